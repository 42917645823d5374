#pragma once

#include <QCursor>
#include <QString>

class Form1;

// Applies the skin file "x/o.cjs" beside the program, when it is there as a regular file: the
// window and its frames take the button-face colour, then the skin is loaded, switched on and
// applied. Throws Failure when a step fails; the steps before it stay done.
void ApplySkin(Form1& window);

// Reads a .CUR cursor file. Throws Failure when the file cannot be read or is not a cursor.
QCursor loadCursorFile(const QString& path);
