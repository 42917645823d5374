#pragma once

#include <QString>

// Whether the program `name` first on PATH is the one Debian's package `package` installed in
// /usr/bin (or the program that name links to), byte for byte as the package manager recorded
// it. Another one (a wrapper of the user's, an edited copy) may do anything with an address.
// Not certain without the package manager's record.
bool isPackagedProgram(const QString& package, const QString& name);
