// Every file the program writes, written on a full filesystem (a small tmpfs, filled): the old
// files stay byte for byte, no temporary file is left, and one report gives the real reason.
#include "FakeCommandView.h"
#include "FakeDialogs.h"
#include "FullFilesystem.h"
#include "TestFiles.h"
#include "base/ErrorTrap.h"
#include "base/SettingsKeys.h"
#include "base/SettingsStore.h"
#include "commands/ListPersistence.h"
#include "commands/TextExport.h"

#include <QDirIterator>
#include <QMap>
#include <QTest>

namespace {

// Every file under the folder, hidden ones too, with its bytes.
QMap<QString, QByteArray> contentsOf(const QString& folder) {
    QMap<QString, QByteArray> contents;
    QDirIterator files(folder, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (files.hasNext()) {
        QFile file(files.next());
        contents.insert(file.fileName(), file.open(QIODevice::ReadOnly) ? file.readAll() : "?");
    }
    return contents;
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
        if (!disk.whyNot().isEmpty())
            QSKIP(qPrintable(disk.whyNot()));
        SettingsStore settings(disk.path());
        const QString section = disk.filePath(QStringLiteral("Pellamark/Corvantis/"));
        for (const char* key : {"Websites", "Websites.bak", "Websites.new", "No of Websites"})
            writeFixture(section + key, QByteArray(11 * 1024, *key));
        const QString exported = disk.filePath(QStringLiteral("export.txt"));
        writeFixture(exported, QByteArray(11 * 1024, 'e'));
        // About 10 KiB: less than QSaveFile held back before its first write.
        WebsiteList list;
        list.addColumn(QStringLiteral(" Websites"));
        for (int row = 0; row < 400; ++row) {
            list.append(QStringLiteral("https://site-%1.example").arg(row));
            list.setChecked(row, true);
        }
        FakeDialogs dialogs;
        FakeCommandView view;
        ErrorTrap trap(QStringLiteral("Form1.Form_QueryUnload"), dialogs);
        disk.fill();
        const QMap<QString, QByteArray> before = contentsOf(disk.path());

        QStringList failures;
        if (write == "export")
            Main::SaveListviewProperlySpacedWithoutProgressBar(list, view, dialogs, exported);
        else if (write == "count")
            failures << ErrorTrap::failureOf([&] {
                            settings.write(SettingsKeys::application, SettingsKeys::section,
                                           SettingsKeys::countOfWebsites, QStringLiteral("12"));
                        }).value_or(QString());
        else
            saveWebsiteList(list, view, settings, trap, write == "beside");
        for (const ErrorReport& report : dialogs.reports)
            failures << report.description();

        QCOMPARE(failures.size(), 1);
        QVERIFY2(failures[0].contains("No space left on device"), qPrintable(failures[0]));
        QCOMPARE(contentsOf(disk.path()), before);
    }
};

QTEST_GUILESS_MAIN(FaultInjectionFullDiskTest)
#include "test_fault_injection_full_disk.moc"
