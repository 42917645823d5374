#pragma once

// Removes the XDG base-directory variables (XDG_CONFIG_HOME, XDG_RUNTIME_DIR, ...) that hold a
// relative path from this process's environment, before anything reads them. The XDG rules say
// such a value is invalid and must be ignored; Qt would take it relative to the current folder,
// so the list read and saved would depend on where the program was started. The defaults apply
// instead, here and in the programs it starts.
void dropRelativeXdgFolders();
