#pragma once

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QStringList>
#include <QtEndian>
#include <algorithm>
#include <lz4.h>

// "<windows> <the sorted page of every tab>" as Firefox records them in its profile (a "mozLz40"
// header, the decoded size, one LZ4 block of JSON); empty until it has. It tells a new tab from
// one loaded again in a fresh document, which the page's own report cannot.
inline QString firefoxTabs(const QString& profile) {
    QFile file(profile + QStringLiteral("/sessionstore-backups/recovery.jsonlz4"));
    const QByteArray stored = file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    if (stored.size() < 12 || !stored.startsWith(QByteArrayView("mozLz40\0", 8)))
        return {};
    QByteArray json(qFromLittleEndian<quint32>(stored.data() + 8), Qt::Uninitialized);
    if (LZ4_decompress_safe(stored.data() + 12, json.data(), int(stored.size() - 12),
                            int(json.size())) != json.size())
        return {};
    const QJsonArray windows = QJsonDocument::fromJson(json)[QLatin1String("windows")].toArray();
    QStringList pages;
    for (const QJsonValue window : windows)
        for (const QJsonValue tab :
             window[QLatin1String("tabs")].toArray()) // entry `index`, from 1
            pages.append(tab[QLatin1String("entries")][tab[QLatin1String("index")].toInt() - 1]
                            [QLatin1String("url")]
                                .toString());
    std::sort(pages.begin(), pages.end());
    return QString::number(windows.size()) + u' ' + pages.join(u' ');
}
