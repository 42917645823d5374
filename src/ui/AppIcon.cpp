#include "ui/AppIcon.h"

#include <QFile>

QIcon applicationIcon() {
    QIcon icon;
    for (int size : {32, 48, 128, 256}) {
        const QString file = QStringLiteral(":/icons/corvantis-%1.png").arg(size);
        if (QFile::exists(file))
            icon.addFile(file, QSize(size, size));
    }
    return icon;
}
