#include "opener/XdgBaseFolders.h"

namespace {

// The folders of `variable`, or of `fallback` when it is unset or empty.
QStringList foldersOf(const QProcessEnvironment& environment, const char* variable,
                      const QString& fallback) {
    const QString value = environment.value(QString::fromLatin1(variable));
    return (value.isEmpty() ? fallback : value).split(u':', Qt::SkipEmptyParts);
}

} // namespace

QStringList xdgConfigFolders(const QProcessEnvironment& environment) {
    const QString home = environment.value(QStringLiteral("HOME"));
    return foldersOf(environment, "XDG_CONFIG_HOME", home + QStringLiteral("/.config")) +
           foldersOf(environment, "XDG_CONFIG_DIRS", QStringLiteral("/etc/xdg"));
}

QStringList xdgDataFolders(const QProcessEnvironment& environment) {
    const QString home = environment.value(QStringLiteral("HOME"));
    return foldersOf(environment, "XDG_DATA_HOME", home + QStringLiteral("/.local/share")) +
           foldersOf(environment, "XDG_DATA_DIRS", QStringLiteral("/usr/local/share/:/usr/share/"));
}
