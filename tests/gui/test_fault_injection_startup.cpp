// Start-up and close against what a hostile user or a failing machine leaves in the settings
// folder, and under a memory limit. Each start runs in a child process with a deadline, so that
// a start-up that blocks or reads without end fails the test instead of stopping it. The
// stored list must come out of every one of them as it was.
#include "ChildTestRun.h"
#include "WindowUnderTest.h"

#include <QCryptographicHash>
#include <QDirIterator>
#include <QTest>

#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr int deadlineMs = 60000;
constexpr const char* configVariable = "CORVANTIS_FAULT_CONFIG";
// The memory a child may take for the restore once its window is built.
constexpr rlim_t memoryHeadroom = rlim_t{48} << 20;

QString sectionFolder(const QString& config) {
    return config + QStringLiteral("/Pellamark/Corvantis");
}

QByteArray digestOf(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly)
               ? QCryptographicHash::hash(file.readAll(), QCryptographicHash::Sha1).toHex()
               : QByteArray("(unreadable)");
}

// What a path is, without following a link, and for a regular file its bytes' digest: what
// must not change.
QByteArray stateOf(const QString& path) {
    struct stat info {};
    if (::lstat(QFile::encodeName(path).constData(), &info) != 0)
        return "missing";
    QByteArray state = QByteArray::number(info.st_mode, 8) + ' ' + QByteArray::number(info.st_rdev);
    if (S_ISLNK(info.st_mode))
        state += " -> " + QFile::encodeName(QFile::symLinkTarget(path));
    if (S_ISREG(info.st_mode))
        state += ' ' + digestOf(path);
    return state;
}

// Every name in the folder and below it, hidden ones too: a temporary file left behind shows.
QStringList namesIn(const QString& folder) {
    QStringList names;
    QDirIterator entries(folder,
                         QDir::AllEntries | QDir::System | QDir::Hidden | QDir::NoDotAndDotDot,
                         QDirIterator::Subdirectories);
    while (entries.hasNext())
        names << entries.next().mid(folder.size() + 1);
    names.sort();
    return names;
}

// Root's files are given to "nobody", who runs the child when the test runs as root.
void giveToChildUser(const QString& folder) {
    if (::geteuid() != 0)
        return;
    QDirIterator entries(folder,
                         QDir::AllEntries | QDir::System | QDir::Hidden | QDir::NoDotAndDotDot,
                         QDirIterator::Subdirectories);
    QStringList paths{folder};
    while (entries.hasNext())
        paths << entries.next();
    for (const QString& path : paths)
        ::lchown(QFile::encodeName(path).constData(), 65534, 65534);
}

// The child's half: a window on the settings of the parent's folder is started, given one new
// entry and closed, as a person would. Limits the memory first when asked to.
void startAndCloseInChild(std::optional<rlim_t> memoryHeadroomBytes,
                          const QStringList& expectedReports) {
    WindowUnderTest fixture;
    fixture.env.settings = SettingsStore(qEnvironmentVariable(configVariable));
    Form1 window(fixture.env.platform(), fixture.websites);
    if (memoryHeadroomBytes) {
        // What this process takes now, with its window built, plus the headroom.
        QFile status(QStringLiteral("/proc/self/status"));
        QVERIFY(status.open(QIODevice::ReadOnly));
        rlim_t used = 0;
        for (const QByteArray& line : status.readAll().split('\n'))
            if (line.startsWith("VmSize:"))
                used = line.simplified().split(' ').value(1).toULongLong() << 10;
        QVERIFY(used > 0);
        const rlimit limit{used + *memoryHeadroomBytes, used + *memoryHeadroomBytes};
        QCOMPARE(::setrlimit(RLIMIT_AS, &limit), 0);
    }
    window.Form_Load();
    window.websiteList().append(QStringLiteral("new"));
    window.close();
    for (const ErrorReport& report : fixture.env.dialogs.reports)
        qInfo("report: %s", qPrintable(report.description()));
    QCOMPARE(fixture.env.dialogs.reportPlaces(), expectedReports);
}

} // namespace

class FaultInjectionStartupTest : public QObject {
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
        const QStringList expectedReports{"Form1.Form_Load 132", "Form1.Form_QueryUnload 110"};
        if (ChildTestRun::isChild())
            return startAndCloseInChild(std::nullopt, expectedReports);
        QFETCH(QString, kind);
        QTemporaryDir config;
        const QString section = sectionFolder(config.path());
        const QString websites = section + QStringLiteral("/Websites");
        writeFixture(websites + QStringLiteral(".bak"), "an older backup");
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
        giveToChildUser(config.path());
        if (kind == "unreadable")
            ::chown(QFile::encodeName(websites).constData(), 0, 0); // not nobody's to read
        const QByteArray websitesBefore = stateOf(websites);
        const QByteArray backupBefore = stateOf(websites + QStringLiteral(".bak"));
        const QByteArray devicesBefore = stateOf("/dev/zero") + stateOf("/dev/null");

        ChildTestRun child(QStringLiteral("settingsThatAreNoRegularFileAreLeftAlone:") +
                           QLatin1String(QTest::currentDataTag()));
        child.setEnvironment(configVariable, config.path());
        child.runUnprivileged();
        QVERIFY(child.start());
        QVERIFY2(child.finishWithin(deadlineMs), child.output().constData());

        QCOMPARE(stateOf(websites), websitesBefore);
        QCOMPARE(stateOf(websites + QStringLiteral(".bak")), backupBefore);
        QCOMPARE(stateOf("/dev/zero") + stateOf("/dev/null"), devicesBefore);
        QFile besides(websites + QStringLiteral(".new"));
        QVERIFY(besides.open(QIODevice::ReadOnly));
        QCOMPARE(besides.readAll(), QByteArray("new"));
        QStringList expectedNames{"No of Websites", "Websites", "Websites.bak", "Websites.new"};
        if (kind == "folder")
            expectedNames << QStringLiteral("Websites/inside");
        QCOMPARE(namesIn(section), expectedNames);
    }

    void restoreUnderAMemoryLimitKeepsTheStoredList_data() {
        QTest::addColumn<QByteArray>("entry");
        QTest::addColumn<qsizetype>("storedBytes");
        QTest::addColumn<QString>("failingStatement");
        // Larger than the headroom: reading it fails.
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
            return startAndCloseInChild(memoryHeadroom,
                                        {failingStatement, "Form1.Form_QueryUnload 110"});
        QFETCH(QByteArray, entry);
        QFETCH(qsizetype, storedBytes);
        QTemporaryDir config;
        const QString websites = sectionFolder(config.path()) + QStringLiteral("/Websites");
        writeFixture(websites, entry.repeated(storedBytes / entry.size()));
        const QByteArray websitesBefore = stateOf(websites);

        ChildTestRun child(QStringLiteral("restoreUnderAMemoryLimitKeepsTheStoredList:") +
                           QLatin1String(QTest::currentDataTag()));
        child.setEnvironment(configVariable, config.path());
        child.setEnvironment(QStringLiteral("MALLOC_ARENA_MAX"), QStringLiteral("1"));
        QVERIFY(child.start());
        QVERIFY2(child.finishWithin(deadlineMs), child.output().constData());
        QVERIFY2(child.output().contains("Out of memory"), child.output().constData());
        QCOMPARE(stateOf(websites), websitesBefore);
        QCOMPARE(digestOf(websites + QStringLiteral(".bak")), digestOf(websites));
    }
};

QTEST_MAIN(FaultInjectionStartupTest)
#include "test_fault_injection_startup.moc"
