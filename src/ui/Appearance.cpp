#include "ui/Appearance.h"

#include "app/Failure.h"
#include "ui/Form1.h"

#include <QFileInfo>

bool FileExists(const QString& path) {
    return !path.isEmpty() && QFileInfo(path).lastModified().isValid();
}

void ApplySkin(Form1& /*window*/) {}

QCursor loadCursorFile(const QString& path) {
    throw Failure(QStringLiteral("Cannot load the cursor %1").arg(path));
}
