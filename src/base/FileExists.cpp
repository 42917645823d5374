#include "base/FileExists.h"

#include <QDateTime>
#include <QFileInfo>

bool FileExists(const QString& path) {
    return !path.isEmpty() && QFileInfo(path).lastModified().isValid();
}
