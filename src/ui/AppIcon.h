#pragma once

#include <QIcon>

// The program's own icon, in the sizes the desktop asks for.
QIcon applicationIcon();
