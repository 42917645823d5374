#include "opener/DesktopOpenerChoice.h"

#include "opener/PackagedProgram.h"
#include "opener/XdgBaseFolders.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QStandardPaths>

namespace {

// Whether any kdeglobals of the configuration folders sets the browser for web addresses,
// which some versions of the KDE frameworks follow before the association files.
bool kdeNamesBrowser(const QProcessEnvironment& environment) {
    static const QRegularExpression browserKey(QStringLiteral("^\\s*BrowserApplication\\b"),
                                               QRegularExpression::MultilineOption);
    for (const QString& folder : xdgConfigFolders(environment)) {
        QFile settings(folder + QStringLiteral("/kdeglobals"));
        if (settings.open(QIODevice::ReadOnly) &&
            QString::fromUtf8(settings.readAll()).contains(browserKey))
            return true;
    }
    return false;
}

// Whether Xfce's preferred-applications helper is there to choose for exo-open: installed, or
// its settings written.
bool xfceHelperChooses(const QProcessEnvironment& environment) {
    if (!QStandardPaths::findExecutable(QStringLiteral("xfce4-mime-helper")).isEmpty() ||
        QFileInfo::exists(QStringLiteral("/var/lib/dpkg/info/xfce4-settings.list")))
        return true;
    const QStringList folders = xdgConfigFolders(environment);
    return std::any_of(folders.begin(), folders.end(), [](const QString& folder) {
        return QFileInfo::exists(folder + QStringLiteral("/xfce4/helpers.rc"));
    });
}

} // namespace

bool openerChoosesByAssociations(XdgOpenWay way, const QProcessEnvironment& environment) {
    if (!isPackagedProgram(QStringLiteral("xdg-utils"), QStringLiteral("xdg-open")) ||
        !isPackagedProgram(QStringLiteral("xdg-utils"), QStringLiteral("xdg-mime")))
        return false;
    switch (way) {
    case XdgOpenWay::generic:
        return true;
    case XdgOpenWay::gnome:
        return environment.value(QStringLiteral("GTK_USE_PORTAL")).isEmpty() &&
               isPackagedProgram(QStringLiteral("libglib2.0-bin"), QStringLiteral("gio"));
    case XdgOpenWay::kde:
        return environment.value(QStringLiteral("KDE_SESSION_VERSION")) == QStringLiteral("5") &&
               isPackagedProgram(QStringLiteral("kde-cli-tools"), QStringLiteral("kde-open5")) &&
               !kdeNamesBrowser(environment);
    case XdgOpenWay::xfce:
        return isPackagedProgram(QStringLiteral("exo-utils"), QStringLiteral("exo-open")) &&
               !xfceHelperChooses(environment);
    case XdgOpenWay::other:
        break;
    }
    return false;
}
