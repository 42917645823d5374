#include "ChildTestRun.h"
#include "TestFiles.h"
#include "app/SingleInstance.h"
#include "base/AtomicFileWriter.h"
#include "base/Failure.h"
#include "base/LockFile.h"
#include "base/SettingsStore.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <algorithm>
#include <utility>

#include <pwd.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>

namespace {

const QString app = QStringLiteral("Pellamark");
const QString section = QStringLiteral("Corvantis");

QByteArray fileBytes(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

} // namespace

class SettingsStoreTest : public QObject {
    Q_OBJECT

private slots:
    void missingKeyReadsAsDefault() {
        QTemporaryDir root;
        const SettingsStore store(root.path());
        QCOMPARE(store.read(app, section, "No of Websites", "3"), QStringLiteral("3"));
        QCOMPARE(store.read(app, section, "Websites", ""), QString());
        // A path that runs through a regular file ("Not a directory") is as absent.
        writeFixture(root.filePath("file"), "x");
        QCOMPARE(SettingsStore(root.filePath("file")).read(app, section, "Websites", "3"),
                 QStringLiteral("3"));
    }

    void valueIsOneFilePerKeyHoldingExactlyItsBytes() {
        QTemporaryDir root;
        SettingsStore store(root.path());
        const QString value = QStringLiteral(" site-a ;;\tsite-b;日本.jp;") + QChar(0x00e9);
        store.write(app, section, "Websites", value);
        store.write(app, section, "No of Websites", "");

        QCOMPARE(fileBytes(root.path() + "/Pellamark/Corvantis/Websites"), value.toUtf8());
        QCOMPARE(fileBytes(root.path() + "/Pellamark/Corvantis/No of Websites"), QByteArray());
        QCOMPARE(store.read(app, section, "Websites", "x"), value);
        QCOMPARE(store.read(app, section, "No of Websites", "3"), QString());
        // A new file gets read and write for all, less the umask, as any new file does.
        const mode_t umaskBefore = ::umask(022);
        store.write(app, section, "New", "x");
        ::umask(umaskBefore);
        struct stat made {};
        QCOMPARE(::stat(QFile::encodeName(store.pathOf(app, section, "New")).constData(), &made),
                 0);
        QCOMPARE(made.st_mode & 07777, mode_t(0644));
    }

    void handEditedFilesReadAsTyped() {
        QTemporaryDir root;
        const SettingsStore store(root.path());
        const QString path = store.pathOf(app, section, "Websites");
        writeFixture(path, "a;b\n"); // an editor's final line end is not part of the value
        QCOMPARE(store.read(app, section, "Websites", ""), QStringLiteral("a;b"));
        writeFixture(path, "a;b\r\n\r\n");
        QCOMPARE(store.read(app, section, "Websites", ""), QStringLiteral("a;b\r\n"));
        writeFixture(path, "caf\xe9;b"); // not UTF-8: byte for byte as Latin-1
        QCOMPARE(store.read(app, section, "Websites", ""),
                 QStringLiteral("caf") + QChar(0xe9) + ";b");
        writeFixture(path, "\xef\xbb\xbfx"); // a byte-order mark is kept as a character
        QCOMPARE(store.read(app, section, "Websites", ""), QString(QChar(0xfeff)) + "x");
    }

    void aValueIsReadWholeUpToTheLimitAndRefusedPastIt() {
        QTemporaryDir root;
        const SettingsStore store(root.path(), 8);
        const QString path = store.pathOf(app, section, "Websites");
        writeFixture(path, "12345678"); // cut there, the list would load short and be saved so
        QCOMPARE(store.read(app, section, "Websites", ""), QStringLiteral("12345678"));
        // A file that holds more than its size says (as procfs does) is refused, not cut.
        QVERIFY(QFile::remove(path) && QFile::link("/proc/self/status", path));
        QVERIFY_THROWS_EXCEPTION(Failure, store.read(app, section, "Websites", ""));
    }

    void onlyMemoryLimitsAValueRead() {
#if defined(__SANITIZE_ADDRESS__)
        QSKIP("AddressSanitizer reserves terabytes of address space: no memory limit fits it");
#endif
        // Whatever the close stores, the next start reads as far as memory allows: a value of
        // 64 GiB (a sparse file, taking no disk) fails for want of memory, not for its size.
        QTemporaryDir root;
        const SettingsStore store(root.path());
        const QString path = store.pathOf(app, section, "Websites");
        writeFixture(path, "");
        QVERIFY(QFile::resize(path, qint64{64} << 30));
        rlimit limits{};
        QCOMPARE(::getrlimit(RLIMIT_AS, &limits), 0);
        const rlim_t before =
            std::exchange(limits.rlim_cur, std::min(rlim_t{32} << 30, limits.rlim_max));
        QCOMPARE(::setrlimit(RLIMIT_AS, &limits), 0);
        QVERIFY_THROWS_EXCEPTION(std::bad_alloc, store.readBytes(app, section, "Websites"));
        limits.rlim_cur = before;
        QCOMPARE(::setrlimit(RLIMIT_AS, &limits), 0);
    }

    void unreadableKeyThrowsWithTheReason() {
        QTemporaryDir root;
        const SettingsStore store(root.path());
        QDir().mkpath(store.pathOf(app, section, "Websites")); // a folder where the file must be
        try {
            store.read(app, section, "Websites", "");
            QFAIL("a folder read as a value");
        } catch (const Failure& failure) {
            QVERIFY2(failure.description().contains("is a folder"),
                     qPrintable(failure.description()));
        }
    }

    void failedWriteKeepsTheOldValue() {
        QTemporaryDir root;
        SettingsStore store(root.path());
        store.write(app, section, "Websites", "old");
        // A value written in pieces that fails after its first piece: the old value stays,
        // and no part of the new one is left in the folder.
        QVERIFY_THROWS_EXCEPTION(
            Failure, store.writeUtf8(app, section, "Websites", [](AtomicFileWriter& file) {
                file.write("new, first piece");
                throw Failure(QStringLiteral("the second piece failed"));
            }));
        QCOMPARE(fileBytes(store.pathOf(app, section, "Websites")), QByteArray("old"));
        QCOMPARE(QDir(root.path() + "/Pellamark/Corvantis").entryList(QDir::Files | QDir::Hidden),
                 QStringList{"Websites"});
        // The section folder replaced by a regular file: nothing can be created under it,
        // not even by root.
        const QString sectionFolder = root.path() + "/Pellamark/Corvantis";
        QDir(sectionFolder).removeRecursively();
        writeFixture(sectionFolder, "not a folder");
        QVERIFY_THROWS_EXCEPTION(Failure, store.write(app, section, "Websites", "new"));
        QCOMPARE(fileBytes(sectionFolder), QByteArray("not a folder"));

        SettingsStore under(root.path() + "/file-as-root");
        writeFixture(root.path() + "/file-as-root", "x");
        QVERIFY_THROWS_EXCEPTION(Failure, under.write(app, section, "No of Websites", "3"));
    }

    void writeGoesThroughALinkOnlyToARegularFile() {
        QTemporaryDir root;
        SettingsStore store(root.path());
        const QString websites = store.pathOf(app, section, "Websites");
        // A dotfiles user's link: the file it names gets the value and keeps its mode.
        const QString linked = root.filePath("dotfiles/Websites");
        writeFixture(linked, "old");
        QVERIFY(QFile::setPermissions(linked, QFile::ReadOwner | QFile::WriteOwner));
        QVERIFY(QDir().mkpath(QFileInfo(websites).absolutePath()));
        QVERIFY(QFile::link(linked, websites));
        // Also in a sticky folder that everyone may write, as /tmp, of another owner (when root).
        const QByteArray linkFolder = QFile::encodeName(QFileInfo(websites).absolutePath());
        QCOMPARE(::chmod(linkFolder.constData(), 01777), 0);
        if (::geteuid() == 0)
            QCOMPARE(::chown(linkFolder.constData(), ::getpwnam("nobody")->pw_uid, -1), 0);
        store.write(app, section, "Websites", "new");
        QCOMPARE(fileBytes(linked), QByteArray("new"));
        QCOMPARE(QFile::permissions(linked) & ~(QFile::ReadUser | QFile::WriteUser),
                 QFile::ReadOwner | QFile::WriteOwner);
        // A link to a FIFO or to a device (a null device made here, as root, never one of
        // /dev) is refused, and what it names stays what it was.
        const QByteArray fifo = QFile::encodeName(root.filePath("fifo"));
        const QByteArray device = QFile::encodeName(root.filePath("null"));
        QCOMPARE(::mkfifo(fifo.constData(), 0666), 0);
        ::mknod(device.constData(), S_IFCHR | 0666, makedev(1, 3));
        for (const auto& [special, type] : {std::pair(fifo, S_IFIFO), std::pair(device, S_IFCHR)}) {
            struct stat info {};
            if (::lstat(special.constData(), &info) != 0)
                continue; // no device without root
            QVERIFY(QFile::remove(websites) && QFile::link(QFile::decodeName(special), websites));
            QVERIFY_THROWS_EXCEPTION(Failure, store.write(app, section, "Websites", "new"));
            QCOMPARE(::lstat(special.constData(), &info), 0);
            QCOMPARE(info.st_mode & S_IFMT, type);
        }
        QCOMPARE(
            QDir(QFileInfo(websites).absolutePath())
                .entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot),
            QStringList{"Websites"});
    }

    void aFileWhoseOwnerCannotBeKeptWarnsAndLosesItsGroupBits() {
        if (ChildTestRun::isChild()) { // nobody replaces root's file in nobody's folder
            QTest::ignoreMessage(QtWarningMsg, QRegularExpression("now belongs to this user"));
            AtomicFileWriter::writeWhole(ChildTestRun::configFolder() + "/shared", "new");
            return;
        }
        if (::geteuid() != 0)
            QSKIP("needs root to make a file of another user");
        QTemporaryDir folder;
        const QByteArray shared = QFile::encodeName(folder.filePath("shared"));
        writeFixture(folder.filePath("shared"), "old");
        QCOMPARE(::chmod(shared.constData(), 0664), 0);
        QCOMPARE(::chown(QFile::encodeName(folder.path()).constData(), 65534, 65534), 0);
        ChildTestRun child(ChildTestRun::thisCase(), folder.path(), true);
        QVERIFY2(child.finishWithin(60000), child.output().constData());
        struct stat info {};
        QCOMPARE(::stat(shared.constData(), &info), 0);
        QCOMPARE(info.st_uid, uid_t{65534});
        QCOMPARE(info.st_mode & 0777, mode_t{0604});
        QCOMPARE(fileBytes(folder.filePath("shared")), QByteArray("new"));
    }

    void backupKeepsTheStoredValueBeside() {
        QTemporaryDir root;
        SettingsStore store(root.path());
        QVERIFY(!store.keepCopy(app, section, "Websites", "Websites.bak")); // nothing to keep
        QVERIFY(!QFile::exists(store.pathOf(app, section, "Websites.bak")));
        // Nor in a folder where the value should be: no copy, and no failure to report.
        QVERIFY(QDir().mkpath(store.pathOf(app, section, "Folder")));
        QVERIFY(!store.keepCopy(app, section, "Folder", "Folder.bak"));
        // One that cannot be opened (a link to itself) is a failure, with the reason.
        const QString loop = store.pathOf(app, section, "Loop");
        QVERIFY(QFile::link(loop, loop));
        QVERIFY_THROWS_EXCEPTION(Failure, store.keepCopy(app, section, "Loop", "Loop.bak"));
        store.write(app, section, "Websites", "first");
        QVERIFY(store.keepCopy(app, section, "Websites", "Websites.bak"));
        store.write(app, section, "Websites", "second");
        const QString websites = store.pathOf(app, section, "Websites");
        QVERIFY(QFile::setPermissions(websites, QFile::ReadOwner | QFile::WriteOwner));
        store.keepCopy(app, section, "Websites", "Websites.bak");
        QCOMPARE(fileBytes(websites + ".bak"), QByteArray("second"));
        // A private list gives a private copy.
        QCOMPARE(QFile::permissions(websites + ".bak") & ~(QFile::ReadUser | QFile::WriteUser),
                 QFile::ReadOwner | QFile::WriteOwner);
        // Another user's link in a shared sticky folder is neither read nor copied.
        QVERIFY(QFile::remove(websites) && QFile::link(root.filePath("private"), websites));
        writeFixture(root.filePath("private"), "private");
        const QByteArray folder = QFile::encodeName(QFileInfo(websites).absolutePath());
        QCOMPARE(::chmod(folder.constData(), 01777), 0);
        if (::lchown(QFile::encodeName(websites).constData(), ::getpwnam("nobody")->pw_uid, -1))
            QSKIP("needs root to make a link of another user");
        QVERIFY_THROWS_EXCEPTION(Failure, store.keepCopy(app, section, "Websites", "Websites.bak"));
        QVERIFY_THROWS_EXCEPTION(Failure, store.readBytes(app, section, "Websites"));
        QCOMPARE(fileBytes(websites + ".bak"), QByteArray("second"));
    }

    void lockFileRefusesWhatIsNoLockOfThisUser_data() {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("problem");
        QTest::newRow("link") << "link"
                              << "it is a symbolic link, which is not followed";
        QTest::newRow("FIFO") << "fifo"
                              << "it is not a regular file";
        QTest::newRow("folder") << "folder"
                                << "it is a folder";
        QTest::newRow("another user's file") << "nobody"
                                             << "it belongs to another user";
    }
    void lockFileRefusesWhatIsNoLockOfThisUser() {
        QFETCH(QString, kind);
        QFETCH(QString, problem);
        QTemporaryDir root;
        const QString path = root.filePath("Websites.lock");
        writeFixture(root.filePath("precious"), "precious");
        if (kind == "link")
            QVERIFY(QFile::link(root.filePath("precious"), path));
        else if (kind == "fifo")
            QCOMPARE(::mkfifo(QFile::encodeName(path).constData(), 0600), 0);
        else if (kind == "folder")
            QVERIFY(QDir().mkpath(path));
        else
            writeFixture(path, "x");
        if (kind == "nobody" &&
            ::chown(QFile::encodeName(path).constData(), ::getpwnam("nobody")->pw_uid, -1) != 0)
            QSKIP("needs root to make a file of another user");
        LockFile lock(path);
        QCOMPARE(lock.open(), LockFile::Opening::unusable);
        QCOMPARE(lock.problem(), problem);
        // The start ends, saying which file is wrong and how; only a folder that cannot be
        // written (a file where it must be) lets it run without a lock.
        SingleInstance start(path, QStringLiteral(":0"));
        QCOMPARE(start.claim(), SingleInstance::Role::Unusable);
        QVERIFY(start.unusableLockNotice().contains(path + ": " + problem + "."));
        QCOMPARE(SingleInstance(root.filePath("precious/Websites.lock"), ":0").claim(),
                 SingleInstance::Role::Unguarded);
        QCOMPARE(fileBytes(root.filePath("precious")), QByteArray("precious"));

        // Its own lock file is written at its start, never cut.
        QVERIFY(QDir().rmdir(path) || QFile::remove(path));
        writeFixture(path, "a longer first line\nsecond\n");
        LockFile own(path);
        QCOMPARE(own.open(), LockFile::Opening::opened);
        QVERIFY(own.writeLine(":1"));
        QCOMPARE(own.readLine(255), QByteArray(":1"));
        QCOMPARE(fileBytes(path), QByteArray(":1\nonger first line\nsecond\n"));
        // A line of one byte, or of the longest length, is read whole; a longer one not at all.
        QVERIFY(own.writeLine("x"));
        QCOMPARE(own.readLine(255), QByteArray("x"));
        QVERIFY(own.writeLine(QByteArray(255, 'x')));
        QCOMPARE(own.readLine(255), QByteArray(255, 'x'));
        QCOMPARE(own.readLine(254), QByteArray());
        QVERIFY(own.isStillAtPath());
        QVERIFY(QFile::remove(path));
        QVERIFY(!own.isStillAtPath());
        writeFixture(path, ""); // another file in its place
        QVERIFY(!own.isStillAtPath());
    }
};

QTEST_GUILESS_MAIN(SettingsStoreTest)
#include "test_settings_store.moc"
