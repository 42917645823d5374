// The stored list against what a hostile user or a failing machine does to it: special files at
// "Websites", a memory limit at start-up, SIGKILL during the save at close. Each start and
// close runs in a child process with a deadline, so that one that blocks or reads without end
// fails the test instead of stopping it.
#include "ChildTestRun.h"
#include "WindowUnderTest.h"

#include <QCryptographicHash>
#include <QElapsedTimer>
#include <QRandomGenerator>
#include <QTest>

#include <csignal>
#include <cstdio>
#include <sys/resource.h>
#include <sys/stat.h>

namespace {

constexpr int deadlineMs = 120000;
constexpr int killedSaves = 8;

// What a path is (type, device, link target) and, for a regular file, its bytes' digest.
QByteArray stateOf(const QString& path) {
    struct stat info {};
    if (::lstat(QFile::encodeName(path).constData(), &info) != 0)
        return "missing";
    QFile file(path);
    const QByteArray bytes =
        S_ISREG(info.st_mode) && file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    return QByteArray::number(info.st_mode, 8) + ' ' + QByteArray::number(info.st_rdev) + ' ' +
           QFile::encodeName(QFile::symLinkTarget(path)) + ' ' +
           QCryptographicHash::hash(bytes, QCryptographicHash::Sha1).toHex();
}

// The address space this process takes, from /proc/self/stat (field 23, after the name).
rlim_t addressSpaceInUse() {
    QFile stat(QStringLiteral("/proc/self/stat"));
    const QByteArray fields = stat.open(QIODevice::ReadOnly) ? stat.readAll() : QByteArray();
    return fields.mid(fields.lastIndexOf(')') + 2).split(' ').value(20).toULongLong();
}

QByteArray contentOf(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("(missing)");
}

// The child's half: a window starts on the parent's settings (its memory first limited to what
// it takes then plus `headroom`, when given), gets the entry "new" and closes.
void startAndCloseInChild(rlim_t headroom, const QStringList& expectedReports) {
    WindowUnderTest fixture;
    fixture.env.settings = SettingsStore(ChildTestRun::configFolder());
    Form1 window(fixture.env.platform(), fixture.websites);
    if (headroom > 0) {
        const rlim_t limit = addressSpaceInUse() + headroom;
        const rlimit limits{limit, limit};
        QCOMPARE(::setrlimit(RLIMIT_AS, &limits), 0);
    }
    window.Form_Load();
    window.websiteList().append(QStringLiteral("new"));
    std::puts("saving");
    std::fflush(stdout);
    window.close();
    std::puts("saved");
    std::fflush(stdout);
    for (const ErrorReport& report : fixture.env.dialogs.reports)
        qInfo("report: %s", qPrintable(report.description()));
    QCOMPARE(fixture.env.dialogs.reportPlaces(), expectedReports);
}

} // namespace

class FaultInjectionSettingsTest : public QObject {
    Q_OBJECT

private slots:
    void settingsThatAreNoRegularFileAreLeftAlone_data() {
        QTest::addColumn<QString>("kind");
        QTest::newRow("FIFO") << "fifo";
        QTest::newRow("link to /dev/zero") << "/dev/zero";
        QTest::newRow("link to a device") << "/dev/null";
        QTest::newRow("unreadable file") << "unreadable";
        QTest::newRow("folder") << "folder";
    }
    void settingsThatAreNoRegularFileAreLeftAlone() {
        if (ChildTestRun::isChild())
            return startAndCloseInChild(0, {"Form1.Form_Load 132", "Form1.Form_QueryUnload 110"});
        QFETCH(QString, kind);
        QTemporaryDir config;
        const QString section = config.filePath(QStringLiteral("Pellamark/Corvantis"));
        const QString websites = section + QStringLiteral("/Websites");
        writeFixture(websites + QStringLiteral(".bak"), "an older backup");
        // What an earlier session could not store there: kept, and named at start-up.
        writeFixture(websites + QStringLiteral(".new"), "an earlier session's list");
        // The child runs as nobody when this runs as root: the folder is nobody's, the
        // "unreadable" file root's, with no permission for anyone.
        if (::geteuid() == 0)
            QCOMPARE(QProcess::execute("chown", {"-R", "nobody:nogroup", config.path()}), 0);
        if (kind == "fifo") {
            QCOMPARE(::mkfifo(QFile::encodeName(websites).constData(), 0666), 0);
        } else if (kind.startsWith('/')) {
            QVERIFY(QFile::link(kind, websites));
        } else if (kind == "folder") {
            writeFixture(websites + QStringLiteral("/inside"), "kept");
        } else {
            writeFixture(websites, "a;b");
            QVERIFY(QFile::setPermissions(websites, {}));
        }
        const QStringList paths{websites, websites + QStringLiteral(".bak"),
                                websites + QStringLiteral(".new"), "/dev/zero", "/dev/null"};
        auto states = [&] {
            QByteArrayList states;
            for (const QString& path : paths)
                states << stateOf(path);
            return states;
        };
        const QByteArrayList before = states();

        ChildTestRun child(ChildTestRun::thisCase(), config.path(), true);
        QVERIFY2(child.finishWithin(deadlineMs), child.output().constData());

        QCOMPARE(states(), before);
        QCOMPARE(QDir(section).entryList(QDir::AllEntries | QDir::System | QDir::Hidden |
                                         QDir::NoDotAndDotDot),
                 QStringList({"No of Websites", "Websites", "Websites.bak", "Websites.new",
                              "Websites.new-2"}));
        QCOMPARE(contentOf(websites + QStringLiteral(".new-2")), QByteArray("new"));
        QVERIFY2(child.output().contains(
                     QStringLiteral("The list of an earlier session that could not be saved "
                                    "there is kept in %1.new.")
                         .arg(websites)
                         .toUtf8()),
                 child.output().constData());
    }

    void restoreUnderAMemoryLimitKeepsTheStoredList_data() {
        QTest::addColumn<QByteArray>("entry");
        QTest::addColumn<qsizetype>("storedBytes");
        QTest::addColumn<QString>("failingStatement");
        // More than the headroom of 48 MiB: reading it fails.
        QTest::newRow("while reading") << QByteArray("https://www.example.org/some/page.html;")
                                       << (qsizetype{128} << 20) << "Form1.Form_Load 132";
        // Half the headroom, but 12 million entries: making them fails.
        QTest::newRow("while making the entries")
            << QByteArray("a;") << (qsizetype{24} << 20) << "Form1.Form_Load 136";
    }
    void restoreUnderAMemoryLimitKeepsTheStoredList() {
#if defined(__SANITIZE_ADDRESS__)
        QSKIP("AddressSanitizer reserves terabytes of address space: no memory limit fits it");
#endif
        QFETCH(QString, failingStatement);
        if (ChildTestRun::isChild())
            return startAndCloseInChild(rlim_t{48} << 20,
                                        {failingStatement, "Form1.Form_QueryUnload 110"});
        QFETCH(QByteArray, entry);
        QFETCH(qsizetype, storedBytes);
        QTemporaryDir config;
        const QString websites = config.filePath(QStringLiteral("Pellamark/Corvantis/Websites"));
        writeFixture(websites, entry.repeated(storedBytes / entry.size()));
        const QByteArray before = stateOf(websites);

        ChildTestRun child(ChildTestRun::thisCase(), config.path());
        QVERIFY2(child.finishWithin(deadlineMs), child.output().constData());
        QVERIFY2(child.output().contains("Out of memory"), child.output().constData());
        QCOMPARE(stateOf(websites), before);
        QCOMPARE(stateOf(websites + QStringLiteral(".bak")), before);
    }

    void killDuringTheSaveLeavesTheOldOrTheNewList() {
        if (ChildTestRun::isChild())
            return startAndCloseInChild(0, {});
        QTemporaryDir config;
        const QString section = config.filePath(QStringLiteral("Pellamark/Corvantis"));
        const QString websites = section + QStringLiteral("/Websites");
        const QByteArray oldList = storedListOf(1'000'000);
        const QByteArray newList = oldList + ";new";
        const QStringList temporaryFiles{QStringLiteral(".Websites.saving-*")};
        // Saves in a child; kills it that long after it began saving, when not negative.
        qint64 saveMs = 0;
        auto saveInChild = [&](int killAfterMs) {
            writeFixture(websites, oldList);
            ChildTestRun child(ChildTestRun::thisCase(), config.path());
            if (!child.waitForOutput("saving", deadlineMs))
                return false;
            QElapsedTimer save;
            save.start();
            if (killAfterMs < 0) {
                const bool saved = child.waitForOutput("saved", deadlineMs);
                saveMs = save.elapsed();
                return saved && child.finishWithin(deadlineMs);
            }
            QTest::qSleep(killAfterMs);
            ::kill(static_cast<pid_t>(child.pid()), SIGKILL);
            child.finishWithin(deadlineMs);
            return true;
        };

        // An undisturbed save, timed: the kills fall within as long a time after it began.
        QVERIFY(saveInChild(-1) && contentOf(websites) == newList);
        int leftTemporaryFiles = 0;
        for (int trial = 0; trial < killedSaves; ++trial) {
            const auto killAfterMs =
                static_cast<int>(QRandomGenerator::global()->bounded(saveMs + 1));
            QVERIFY(saveInChild(killAfterMs));
            const QByteArray stored = contentOf(websites);
            QVERIFY2(stored == oldList || stored == newList,
                     qPrintable(QStringLiteral("killed %1 ms into the save: %2 bytes stored")
                                    .arg(killAfterMs)
                                    .arg(stored.size())));
            leftTemporaryFiles +=
                QDir(section).entryList(temporaryFiles, QDir::Files | QDir::Hidden).isEmpty() ? 0
                                                                                              : 1;
        }
        qInfo("after %d of %d killed saves a temporary file was there", leftTemporaryFiles,
              killedSaves);

        // The next save removes them, and one of a writer long gone in any case.
        writeFixture(section + QStringLiteral("/.Websites.saving-999999999-0"), "half");
        QVERIFY(saveInChild(-1) && contentOf(websites) == newList);
        QCOMPARE(QDir(section).entryList(temporaryFiles, QDir::Files | QDir::Hidden),
                 QStringList());
    }
};

QTEST_MAIN(FaultInjectionSettingsTest)
#include "test_fault_injection_settings.moc"
