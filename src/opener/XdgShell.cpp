#include "opener/XdgShell.h"

#include <QProcess>

void XdgShell::open(const QString& address) {
    // xdg-open would read an address that begins with "-" as an option of its own.
    if (address.startsWith(QLatin1Char('-')))
        return;
    QProcess::startDetached(QStringLiteral("xdg-open"), {address}, QStringLiteral("/"));
}
