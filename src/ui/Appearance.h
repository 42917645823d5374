#pragma once

#include <QCursor>
#include <QString>

class QWidget;
class SkinFramework;

// Applies the skin file "x/o.cjs" in the program folder, when it is there as a regular file:
// the window and its frames take the button-face colour, then the skin is loaded, switched on
// and applied to the window. Throws Failure when a step fails; the steps before it stay done.
void ApplySkin(QWidget& window, SkinFramework& skin, const QString& programFolder);

// Reads a .CUR cursor file. Throws Failure when the file cannot be read or is not a cursor.
QCursor loadCursorFile(const QString& path);
