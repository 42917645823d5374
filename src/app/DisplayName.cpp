#include "app/DisplayName.h"

QString displayOfThisStart(const QString& platformName) {
    if (platformName.startsWith(QLatin1String("wayland"))) {
        const QString display = qEnvironmentVariable("WAYLAND_DISPLAY");
        return display.isEmpty() ? QStringLiteral("wayland-0") : display; // the client default
    }
    if (platformName == QLatin1String("xcb"))
        return canonicalXDisplay(qEnvironmentVariable("DISPLAY"));
    return platformName; // no display of its own (offscreen): one per platform
}

QString canonicalXDisplay(const QString& display) {
    const qsizetype colon = display.lastIndexOf(QLatin1Char(':'));
    if (colon < 0)
        return display; // not host:number[.screen], such as a socket's path: taken as it is
    QString host = display.left(colon);
    if (host == QLatin1String("unix"))
        host.clear();
    QString number = display.mid(colon + 1);
    const qsizetype screen = number.indexOf(QLatin1Char('.'));
    if (screen >= 0)
        number.truncate(screen);
    return host + QLatin1Char(':') + number;
}
