#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <functional>

class WebsiteList;

// The stored form of the list, as UTF-8: the entry texts joined with ";", no escaping (users'
// files and scripts rely on this form, so an entry holding ";" comes back as two).
namespace StoredWebsites {

inline constexpr char separator = ';';

// Hands the joined form to writePiece in pieces, a chunk of many entries or one long entry at
// a time, so that no copy of the whole list is made. What writePiece throws goes on.
void write(const WebsiteList& list, const std::function<void(QByteArrayView)>& writePiece);

// Appends every non-empty piece of the stored value. An entry that is not valid UTF-8 is read
// byte for byte as Latin-1, and only that entry. The value itself becomes the entries'
// storage, so a million entries cost no copy each.
void appendTo(WebsiteList& list, QByteArray stored);

} // namespace StoredWebsites
