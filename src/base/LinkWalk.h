#pragma once

#include <QString>

// The one rule for following symbolic links, which every door to a file (RegularFileReader,
// AtomicFileWriter) keeps: a link is followed to the file it names, except one that another user
// put in a sticky folder that everyone may write (such as /tmp). The kernel's protected_symlinks
// rule refuses such a link too, so nobody can have a file of ours read, copied or written through
// a link of theirs.

// Where a path's symbolic links lead.
struct LinkWalk {
    QString target;       // the file the links name; the path itself when it is no link
    QString foreignLink;  // the first link on the way that must not be followed; empty if none
    QString sharedFolder; // the folder that link lies in
};
LinkWalk walkLinks(const QString& path);
