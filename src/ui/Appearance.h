#pragma once

#include <QCursor>
#include <QString>

class Form1;

// True when the file's last-modified time can be read. Never throws, leaves nothing behind.
bool FileExists(const QString& path);

// Applies the skin file "x/o.cjs" beside the program, when it is there. Throws Failure when a
// step fails; the steps before it stay done.
void ApplySkin(Form1& window);

// Reads a .CUR cursor file. Throws Failure when the file is not a cursor Qt can show.
QCursor loadCursorFile(const QString& path);
