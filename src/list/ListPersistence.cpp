#include "list/ListPersistence.h"

#include "app/ErrorTrap.h"
#include "app/SettingsStore.h"
#include "list/WebsiteList.h"
#include "ui/CommandWindow.h"

namespace {

const QString application = QStringLiteral("Pellamark");
const QString section = QStringLiteral("Corvantis");
const QString websitesKey = QStringLiteral("Websites");

} // namespace

QString joinWebsites(const WebsiteList& list) {
    qsizetype length = 0;
    for (int row = 0; row < list.count(); ++row)
        length += list.text(row).size() + 1;
    QString joined;
    joined.reserve(length);
    for (int row = 0; row < list.count(); ++row) {
        if (row > 0)
            joined += QLatin1Char(';');
        joined += list.text(row);
    }
    return joined;
}

std::vector<QString> splitStoredWebsites(QStringView stored) {
    std::vector<QString> pieces;
    for (QStringView piece : stored.tokenize(QLatin1Char(';'), Qt::SkipEmptyParts))
        pieces.push_back(piece.toString());
    return pieces;
}

bool restoreWebsiteList(WebsiteList& list, SettingsStore& settings, ErrorTrap& trap) {
    QString stored;
    const bool read =
        trap.run(132, [&] { stored = settings.read(application, section, websitesKey, {}); });
    if (stored.isEmpty())
        return read;
    std::vector<QString> pieces;
    trap.run(136, [&] { pieces = splitStoredWebsites(stored); });
    stored.clear();
    trap.run(142, [&] { list.appendMany(std::move(pieces)); });
    return read;
}

void saveWebsiteList(CommandWindow& window, SettingsStore& settings, ErrorTrap& trap,
                     bool keepBackupFirst) {
    QString joined;
    trap.run(102, [&] { joined = joinWebsites(window.websiteList()); });
    trap.run(110, [&] {
        if (keepBackupFirst)
            settings.keepBackup(application, section, websitesKey);
        settings.write(application, section, websitesKey, joined);
    });
    trap.run(112, [&] { window.yield(); });
}
