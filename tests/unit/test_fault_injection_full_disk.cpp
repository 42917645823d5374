// Every file the program writes, written on a full filesystem (a small tmpfs, filled) or on a
// disk whose sync fails: the old files stay byte for byte, no temporary file is left, and one
// report gives the real reason.
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
#include <QScopeGuard>
#include <QTest>
#include <cerrno>
#include <sys/syscall.h>
#include <unistd.h>

namespace {

int failingSyncError = 0; // while set, every fsync fails with it, as on a disk that lost a write

} // namespace

// Stands in for the C library's fsync in this test program, the program's code included.
extern "C" int fsync(int descriptor) {
    if (failingSyncError != 0) {
        errno = failingSyncError;
        return -1;
    }
    return static_cast<int>(::syscall(SYS_fsync, descriptor));
}

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
        QTest::addColumn<int>("syncError"); // 0: the disk is full instead
        QTest::newRow("list at close") << "list" << 0;
        QTest::newRow("count") << "count" << 0;
        QTest::newRow("backup and list beside an unread one") << "beside" << 0;
        QTest::newRow("backup and list over one changed meanwhile") << "changed" << 0;
        QTest::newRow("export over an 11 KB file") << "export" << 0;
        QTest::newRow("list at close, the sync fails") << "list" << EIO;
        QTest::newRow("export, the sync fails") << "export" << EIO;
    }
    void everyWriteKeepsTheOldFileAndSaysWhy() {
        QFETCH(QString, write);
        QFETCH(int, syncError);
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
        if (syncError == 0)
            disk.fill();
        failingSyncError = syncError;
        const auto syncAgain = qScopeGuard([] { failingSyncError = 0; });
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
            saveWebsiteList(list, view, settings, trap,
                            {write != "beside", write == "changed"
                                                    ? FileVersion()
                                                    : FileVersion::of(section + "Websites")});
        for (const ErrorReport& report : dialogs.reports)
            failures << report.description();

        QCOMPARE(failures.size(), 1);
        const QString reason =
            syncError != 0 ? qt_error_string(syncError) : QStringLiteral("No space left on device");
        QVERIFY2(failures[0].contains(reason), qPrintable(failures[0]));
        QCOMPARE(contentsOf(disk.path()), before);
    }
};

QTEST_GUILESS_MAIN(FaultInjectionFullDiskTest)
#include "test_fault_injection_full_disk.moc"
