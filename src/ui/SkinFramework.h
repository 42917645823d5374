#pragma once

#include <QObject>

// The window's skin: a Qt style sheet loaded from the skin file beside the program.
class SkinFramework : public QObject {
    Q_OBJECT

public:
    using QObject::QObject;
};
