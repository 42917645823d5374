// Every file the program writes, written on a full filesystem (a small tmpfs, filled): the old
// file stays byte for byte, no temporary file is left, and one report gives the system's reason.
#include "FakeCommandView.h"
#include "FakeDialogs.h"
#include "FullFilesystem.h"
#include "TestFiles.h"
#include "base/ErrorTrap.h"
#include "base/SettingsKeys.h"
#include "base/SettingsStore.h"
#include "commands/ListPersistence.h"
#include "commands/TextExport.h"
#include "list/WebsiteList.h"

#include <QDirIterator>
#include <QMap>
#include <QTest>

namespace {

// Every file under the folder, hidden ones too, with its bytes.
QMap<QString, QByteArray> contentsOf(const QString& folder) {
    QMap<QString, QByteArray> contents;
    QDirIterator files(folder, QDir::Files | QDir::Hidden | QDir::System,
                       QDirIterator::Subdirectories);
    while (files.hasNext()) {
        QFile file(files.next());
        contents.insert(file.fileName(),
                        file.open(QIODevice::ReadOnly) ? file.readAll() : "(unreadable)");
    }
    return contents;
}

// A list of about 10 KiB, under the 16 KiB that QSaveFile held back before its first write.
void fillList(WebsiteList& list) {
    list.addColumn(QStringLiteral(" Websites"));
    for (int row = 0; row < 400; ++row) {
        list.append(QStringLiteral("https://site-%1.example").arg(row));
        list.setChecked(row, true);
    }
}

} // namespace

class FaultInjectionFullDiskTest : public QObject {
    Q_OBJECT

private slots:
    void everyWriteKeepsTheOldFileAndSaysWhy_data() {
        QTest::addColumn<QString>("write");
        QTest::newRow("list at close") << "list";
        QTest::newRow("count") << "count";
        QTest::newRow("backup and list beside an unread one") << "beside";
        QTest::newRow("export over an 11 KB file") << "export";
    }
    void everyWriteKeepsTheOldFileAndSaysWhy() {
        QFETCH(QString, write);
        FullFilesystem disk;
        if (!disk.isMounted())
            QSKIP(qPrintable(disk.whyNot()));
        SettingsStore settings(disk.path());
        auto setting = [&](QLatin1StringView key) {
            return settings.pathOf(SettingsKeys::application, SettingsKeys::section, key);
        };
        writeFixture(setting(SettingsKeys::websites), QByteArray(11 * 1024, 'w'));
        writeFixture(setting(SettingsKeys::websites) + ".bak", "an older backup");
        writeFixture(setting(SettingsKeys::websitesBesideUnreadList), "an earlier session");
        writeFixture(setting(SettingsKeys::countOfWebsites), "7");
        const QString exported = disk.filePath("export.txt");
        writeFixture(exported, QByteArray(11 * 1024, 'e'));
        WebsiteList list;
        fillList(list);
        FakeDialogs dialogs;
        FakeCommandView view;
        ErrorTrap trap(QStringLiteral("Form1.Form_QueryUnload"), dialogs);
        disk.fill();
        const QMap<QString, QByteArray> before = contentsOf(disk.path());

        std::optional<QString> thrown;
        if (write == "list" || write == "beside")
            saveWebsiteList(list, view, settings, trap, write == "beside");
        else if (write == "export")
            Main::SaveListviewProperlySpacedWithoutProgressBar(list, view, dialogs, exported);
        else
            thrown = ErrorTrap::failureOf([&] {
                settings.write(SettingsKeys::application, SettingsKeys::section,
                               SettingsKeys::countOfWebsites, QStringLiteral("12"));
            });

        QStringList failures;
        for (const ErrorReport& report : dialogs.reports)
            failures << report.description();
        if (thrown)
            failures << *thrown;
        QCOMPARE(failures.size(), 1);
        QVERIFY2(failures.front().contains("No space left on device"), qPrintable(failures[0]));
        QCOMPARE(contentsOf(disk.path()), before);
    }
};

QTEST_GUILESS_MAIN(FaultInjectionFullDiskTest)
#include "test_fault_injection_full_disk.moc"
