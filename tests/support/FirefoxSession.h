#pragma once

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QStringList>
#include <QtEndian>
#include <algorithm>
#include <lz4.h>

// What Firefox itself records of its windows and tabs, in the session file it rewrites in its
// profile after a change (sessionstore-backups/recovery.jsonlz4: "mozLz40\0", the decoded size,
// one LZ4 block of JSON): "<windows> <the sorted page of every tab>", open or closed; empty
// until there is one. It tells a new tab from a tab Firefox loads again as it finishes starting
// (in a fresh document), which the page's own report cannot.
inline QString firefoxTabs(const QString& profile) {
    QFile file(profile + QStringLiteral("/sessionstore-backups/recovery.jsonlz4"));
    const QByteArray stored = file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    if (stored.size() < 12 || !stored.startsWith(QByteArrayView("mozLz40\0", 8)))
        return {};
    QByteArray json(qFromLittleEndian<quint32>(stored.data() + 8), Qt::Uninitialized);
    if (LZ4_decompress_safe(stored.data() + 12, json.data(), int(stored.size() - 12),
                            int(json.size())) != json.size())
        return {};
    QJsonArray windows = QJsonDocument::fromJson(json)[QLatin1String("windows")].toArray();
    for (const QJsonValue closed :
         QJsonDocument::fromJson(json)[QLatin1String("_closedWindows")].toArray())
        windows.append(closed);
    QStringList pages;
    for (const QJsonValue window : windows) {
        QJsonArray tabs = window[QLatin1String("tabs")].toArray();
        for (const QJsonValue closed : window[QLatin1String("_closedTabs")].toArray())
            tabs.append(closed[QLatin1String("state")]);
        for (const QJsonValue tab : tabs) // a tab's page is its entry at `index`, from 1
            pages.append(tab[QLatin1String("entries")][tab[QLatin1String("index")].toInt() - 1]
                            [QLatin1String("url")]
                                .toString());
    }
    std::sort(pages.begin(), pages.end());
    return QString::number(windows.size()) + u' ' + pages.join(u' ');
}
