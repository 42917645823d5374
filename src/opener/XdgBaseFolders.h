#pragma once

#include <QProcessEnvironment>
#include <QStringList>

// The configuration folders of the XDG base directories, the user's first
// ($XDG_CONFIG_HOME or ~/.config, then $XDG_CONFIG_DIRS or /etc/xdg), each as written.
QStringList xdgConfigFolders(const QProcessEnvironment& environment);

// The data folders likewise ($XDG_DATA_HOME or ~/.local/share, then $XDG_DATA_DIRS or
// /usr/local/share/ and /usr/share/).
QStringList xdgDataFolders(const QProcessEnvironment& environment);
