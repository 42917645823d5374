#include "opener/PackagedProgram.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

namespace {

constexpr const char* packageRecords = "/var/lib/dpkg/info";

// The package manager's list of checksums of `package`: named for the package alone, or for
// the package and its architecture where several architectures may be installed side by side.
QByteArray checksumsOf(const QString& package) {
    const QDir records(QString::fromLatin1(packageRecords));
    QStringList names{package + QStringLiteral(".md5sums")};
    names += records.entryList({package + QStringLiteral(":*.md5sums")}, QDir::Files);
    for (const QString& name : names)
        if (QFile sums(records.filePath(name)); sums.open(QIODevice::ReadOnly))
            return sums.readAll();
    return {};
}

} // namespace

bool isPackagedProgram(const QString& package, const QString& name) {
    // The program itself, where the package installs the name as a link to it.
    const QString installed = QFileInfo(QStringLiteral("/usr/bin/") + name).canonicalFilePath();
    const QString found = QStandardPaths::findExecutable(name);
    if (installed.isEmpty() || found.isEmpty() || QFileInfo(found).canonicalFilePath() != installed)
        return false;
    const QByteArray recordedPath = "  " + QFile::encodeName(installed).sliced(1);
    QByteArray installedSum;
    for (const QByteArray& line : checksumsOf(package).split('\n'))
        if (line.endsWith(recordedPath))
            installedSum = line.first(line.indexOf(' '));
    QFile program(installed);
    constexpr qint64 largestProgram = qint64{16} << 20; // the openers are scripts or small ELF
    if (installedSum.isEmpty() || !program.open(QIODevice::ReadOnly) ||
        program.size() > largestProgram)
        return false;
    return QCryptographicHash::hash(program.readAll(), QCryptographicHash::Md5).toHex() ==
           installedSum;
}
