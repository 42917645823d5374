#pragma once

#include <QByteArray>

class WebsiteList;

// The stored form of the list, as UTF-8: the entry texts joined with ";", no escaping (users'
// files and scripts rely on this form, so an entry holding ";" comes back as two).
namespace StoredWebsites {

inline constexpr char separator = ';';

QByteArray join(const WebsiteList& list);

// Appends every non-empty piece of the stored value; the value itself becomes the entries'
// storage, so a million entries cost no copy each.
void appendTo(WebsiteList& list, QByteArray stored);

} // namespace StoredWebsites
