#include "RunningProgram.h"
#include "ScopedEnvironment.h"
#include "app/SingleInstance.h"
#include "base/FileDescriptor.h"

#include <QDir>
#include <QScopeGuard>
#include <QtTest>
#include <csignal>
#include <cstring>
#include <pwd.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <vector>

namespace {

// The socket on which the first start listens, in its runtime folder.
QString socketIn(const QString& folder) {
    return QDir(folder).entryInfoList({"*.socket"}, QDir::System).value(0).filePath();
}

// Connections to the socket in the folder that send nothing, kept open.
std::vector<FileDescriptor> openIdleConnections(const QString& folder, int count) {
    const QString socket = socketIn(folder);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::strncpy(address.sun_path, QFile::encodeName(socket).constData(),
                 sizeof address.sun_path - 1);
    std::vector<FileDescriptor> connections;
    for (int made = 0; made < count; ++made) {
        FileDescriptor connection(::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0));
        if (::connect(connection.get(), reinterpret_cast<const sockaddr*>(&address),
                      sizeof address) == 0)
            connections.push_back(std::move(connection));
    }
    return connections;
}

} // namespace

// One writer per list: a later start on the list's display brings the running window forward,
// one on another display says where the list is open; both end without writing anything, so
// no window's close can undo another's changes. A start that was killed does not stand in the
// way of the next.
class TestE2eSingleInstance : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() {
        if (qEnvironmentVariableIsEmpty("DISPLAY"))
            QSKIP("needs an X server in DISPLAY (./test.sh starts one)");
    }

    void secondStartBringsTheFirstForwardAndWritesNothing_data() {
        QTest::addColumn<QString>("display");
        QTest::addColumn<int>("idleConnections");
        QTest::addColumn<bool>("displayInLock");
        const QString display = qEnvironmentVariable("DISPLAY");
        QTest::newRow("same display") << display << 0 << true;
        QTest::newRow("the display written another way")
            << QStringLiteral("unix") + display.section(u'.', 0, 0) + QStringLiteral(".0") << 0
            << true;
        // More than the file descriptors the first may open (1024).
        QTest::newRow("after 1100 idle connections") << display << 1100 << true;
        // The first could not write its display: the later start waits for it a moment, then
        // asks on its own display.
        QTest::newRow("no display in the lock") << display << 0 << false;
    }
    void secondStartBringsTheFirstForwardAndWritesNothing() {
        QFETCH(QString, display);
        QFETCH(int, idleConnections);
        QFETCH(bool, displayInLock);
        rlimit files{};
        QCOMPARE(::getrlimit(RLIMIT_NOFILE, &files), 0);
        const rlimit usualFiles{1024, files.rlim_max}; // fewer than the idle connections
        QCOMPARE(::setrlimit(RLIMIT_NOFILE, &usualFiles), 0);
        RunningProgram first;
        first.storeSetting(QStringLiteral("Websites"), "http://kept.example");
        QString failure = first.start();
        QVERIFY2(failure.isEmpty(), qPrintable(failure));
        files.rlim_cur = files.rlim_max;
        QCOMPARE(::setrlimit(RLIMIT_NOFILE, &files), 0);
        const auto connections = openIdleConnections(first.runtimeFolder(), idleConnections);
        QCOMPARE(static_cast<int>(connections.size()), idleConnections);
        // A start that ran would write the count at once and its own list at its close.
        QVERIFY(QFile::remove(first.settingPath(QStringLiteral("No of Websites"))));
        QVERIFY(QFile::remove(first.settingPath(QStringLiteral("Websites"))));
        if (!displayInLock)
            QVERIFY(QFile(first.settingPath(SettingsKeys::websitesLock)).resize(0));
        RunningProgram::focusNoWindow();
        QVERIFY(!first.hasInputFocus());

        RunningProgram second;
        second.joinSessionOf(first);
        second.setEnvironment(QStringLiteral("DISPLAY"), display);
        failure = second.launch();
        QVERIFY2(failure.isEmpty(), qPrintable(failure));
        // Within its waits of a few seconds, not stuck in a retry.
        QCOMPARE(second.waitForExit(30000), 0);
        QTRY_VERIFY(first.hasInputFocus());
        QCOMPARE(first.storedSetting(QStringLiteral("No of Websites")), QByteArray("<missing>"));
        QCOMPARE(first.storedSetting(QStringLiteral("Websites")), QByteArray("<missing>"));

        QVERIFY(first.clickOn(QStringLiteral("Add Website")));
        QTRY_VERIFY(!first.hasInputFocus()); // the input box has it
        const unsigned long inputBox = RunningProgram::focusedWindow();
        RunningProgram::typeAndEnter(QStringLiteral("added.example"));
        QTRY_VERIFY(RunningProgram::focusedWindow() != inputBox);
        QVERIFY(first.sendCloseRequest());
        QCOMPARE(first.waitForExit(), 0);
        QCOMPARE(first.storedSetting(QStringLiteral("Websites")),
                 QByteArray("http://kept.example;http://added.example"));
    }

    void startOnAnotherDisplaySaysWhereTheListIsOpenAndWritesNothing() {
        QProcess xvfb; // a second display
        const auto stopXvfb = qScopeGuard([&xvfb] { xvfb.kill(), xvfb.waitForFinished(); });
        const QString otherDisplay = RunningProgram::startXServer(xvfb);
        QVERIFY(!otherDisplay.isEmpty());
        RunningProgram first;
        QString failure = first.start();
        QVERIFY2(failure.isEmpty(), qPrintable(failure));
        QVERIFY(QFile::remove(first.settingPath(QStringLiteral("No of Websites"))));

        RunningProgram second;
        second.joinSessionOf(first);
        second.setEnvironment(QStringLiteral("DISPLAY"), otherDisplay);
        const ScopedEnvironment display("DISPLAY", otherDisplay.toLatin1());
        failure = second.start(); // its notice, captioned "Corvantis"
        QVERIFY2(failure.isEmpty(), qPrintable(failure));
        QVERIFY(second.sendCloseRequest());
        QCOMPARE(second.waitForExit(), 0);
        QCOMPARE(first.storedSetting(QStringLiteral("No of Websites")), QByteArray("<missing>"));
        QVERIFY(first.isRunning());
    }

    void unusableLockEndsWithANoticeAndWritesNothing_data() {
        QTest::addColumn<QString>("kind");
        QTest::newRow("link to a private file") << "link";
        QTest::newRow("FIFO") << "fifo";
        QTest::newRow("folder") << "folder";
        QTest::newRow("root's, private, run as nobody") << "root's";
    }
    void unusableLockEndsWithANoticeAndWritesNothing() {
        QFETCH(QString, kind);
        RunningProgram program;
        program.storeSetting(QStringLiteral("Websites"), "kept.example");
        const QString lock = program.settingPath(QStringLiteral("Websites.lock"));
        const QByteArray lockPath = QFile::encodeName(lock);
        const QString precious = program.homePath() + QStringLiteral("/precious.txt");
        QFile file(kind == "link" ? precious : lock);
        QVERIFY(kind == "fifo" || kind == "folder" ||
                (file.open(QIODevice::WriteOnly) && file.write("precious") == 8));
        file.close();
        QVERIFY(kind != "link" || QFile::link(precious, lock));
        QVERIFY(kind != "fifo" || ::mkfifo(lockPath.constData(), 0600) == 0);
        QVERIFY(kind != "folder" || QDir().mkpath(lock));
        QString failure;
        if (kind == "root's") { // the folder is nobody's: only the lock file stands in the way
            QVERIFY(QFile::setPermissions(lock, QFile::ReadOwner | QFile::WriteOwner));
            QCOMPARE(QProcess::execute("chmod", {"0777", program.homePath()}), 0);
            QCOMPARE(QProcess::execute("chown",
                                       {"-R", "nobody:nogroup", program.homePath() + "/config"}),
                     0);
            QCOMPARE(::chown(lockPath.constData(), 0, 0), 0);
            // An X server with access control (xvfb-run) admits whoever can read its cookie.
            const QString cookie = program.homePath() + QStringLiteral("/Xauthority");
            if (QFile::copy(qEnvironmentVariable("XAUTHORITY"), cookie) &&
                QFile::setPermissions(cookie, QFile::ReadOwner | QFile::ReadOther))
                program.setEnvironment(QStringLiteral("XAUTHORITY"), cookie);
            failure =
                program.start("setpriv", {"--reuid=nobody", "--regid=nogroup", "--clear-groups",
                                          RunningProgram::defaultProgram()});
        } else {
            failure = program.start(); // its notice, captioned "Corvantis"
        }
        QVERIFY2(failure.isEmpty(), qPrintable(failure));
        QVERIFY(program.sendCloseRequest());
        QCOMPARE(program.waitForExit(), 1);
        QCOMPARE(program.storedSetting(QStringLiteral("No of Websites")), QByteArray("<missing>"));
        QCOMPARE(program.storedSetting(QStringLiteral("Websites")), QByteArray("kept.example"));
        QFile kept(kind == "link" ? precious : lock);
        QVERIFY(kind == "fifo" || kind == "folder" ||
                (kept.open(QIODevice::ReadOnly) && kept.readAll() == "precious"));
    }

    void lockFileRemovedWhileOpenIsPutBack() {
        RunningProgram first;
        QString failure = first.start();
        QVERIFY2(failure.isEmpty(), qPrintable(failure));
        const QString lock = first.settingPath(QStringLiteral("Websites.lock"));
        QVERIFY(QFile::remove(lock));
        QTRY_VERIFY(QFile::exists(lock));
        QVERIFY(QFile::remove(first.settingPath(QStringLiteral("No of Websites"))));

        RunningProgram second;
        second.joinSessionOf(first);
        failure = second.launch();
        QVERIFY2(failure.isEmpty(), qPrintable(failure));
        QCOMPARE(second.waitForExit(), 0);
        QCOMPARE(first.storedSetting(QStringLiteral("No of Websites")), QByteArray("<missing>"));
        QCOMPARE(first.terminate(), 0);
    }

    void laterStartThatCannotReachTheFirstSaysTheListIsOpen() {
        RunningProgram first;
        QString failure = first.start();
        QVERIFY2(failure.isEmpty(), qPrintable(failure));
        QVERIFY(QFile::remove(first.settingPath(QStringLiteral("No of Websites"))));
        QVERIFY(QFile::remove(socketIn(first.runtimeFolder())));

        RunningProgram second;
        second.joinSessionOf(first);
        failure = second.start(); // its notice, after it has tried to reach the first a while
        QVERIFY2(failure.isEmpty(), qPrintable(failure));
        QVERIFY(second.sendCloseRequest());
        QCOMPARE(second.waitForExit(), 0);
        QCOMPARE(first.storedSetting(QStringLiteral("No of Websites")), QByteArray("<missing>"));
        QVERIFY(first.isRunning());
    }

    void laterStartsInThisProcessTellTheDisplaysApart() {
        // The lock as a later start finds it, without the windows: what each is told to do.
        QTemporaryDir folder;
        const QString lock = folder.filePath(QStringLiteral("Websites.lock"));
        SingleInstance first(lock, QStringLiteral(":9"));
        QCOMPARE(first.claim(), SingleInstance::Role::First);
        SingleInstance elsewhere(lock, QStringLiteral(":7"));
        QCOMPARE(elsewhere.claim(), SingleInstance::Role::Elsewhere);
        QCOMPARE(elsewhere.holderDisplay(), QStringLiteral(":9"));
        SingleInstance here(lock, QStringLiteral(":9"));
        QCOMPARE(here.claim(), SingleInstance::Role::Second);
        // Without a runtime folder (nor Qt's fallback in TMPDIR) the first cannot be reached.
        const QString notAFolder = folder.filePath(
            QStringLiteral("runtime-") + QString::fromLocal8Bit(::getpwuid(::geteuid())->pw_name));
        QFile(notAFolder).open(QIODevice::WriteOnly);
        ScopedEnvironment environment("XDG_RUNTIME_DIR", QFile::encodeName(notAFolder));
        environment.set("TMPDIR", QFile::encodeName(folder.path()));
        SingleInstance unreachable(lock, QStringLiteral(":9"));
        QCOMPARE(unreachable.claim(), SingleInstance::Role::Second);
        QVERIFY(!unreachable.askFirstToComeForward({}));
    }

    void relativeXdgFoldersAreIgnored() {
        RunningProgram program;
        program.storeSetting(QStringLiteral("Websites"), "relative.example");
        const QString failure = program.start(
            QStringLiteral("env"), {"-C", program.homePath(), "XDG_CONFIG_HOME=config",
                                    "XDG_RUNTIME_DIR=runtime", RunningProgram::defaultProgram()});
        QVERIFY2(failure.isEmpty(), qPrintable(failure));
        QVERIFY(QDir(program.runtimeFolder()).isEmpty(QDir::System | QDir::NoDotAndDotDot));
        QCOMPARE(program.terminate(), 0);
        QVERIFY(QFile::exists(program.homePath() + "/.config/Pellamark/Corvantis/No of Websites"));
        QCOMPARE(program.storedSetting(QStringLiteral("No of Websites")), QByteArray("<missing>"));
    }

    void killedStartDoesNotBlockTheNextAndStartsAtOnceGiveOneWindow() {
        RunningProgram killed;
        QString failure = killed.start();
        QVERIFY2(failure.isEmpty(), qPrintable(failure));
        QCOMPARE(::kill(static_cast<pid_t>(killed.pid()), SIGKILL), 0);
        QCOMPARE(killed.waitForExit(), -1);
        QVERIFY(!QDir(killed.runtimeFolder())
                     .isEmpty(QDir::System | QDir::NoDotAndDotDot)); // its socket

        // Two starts at the same moment, as from two quick clicks in a menu.
        RunningProgram one;
        RunningProgram other;
        one.joinSessionOf(killed);
        other.joinSessionOf(killed);
        QVERIFY(one.launch().isEmpty());
        QVERIFY(other.launch().isEmpty());
        QTRY_VERIFY_WITH_TIMEOUT(!one.isRunning() || !other.isRunning(), 20000);
        RunningProgram& ended = one.isRunning() ? other : one;
        RunningProgram& running = one.isRunning() ? one : other;
        QCOMPARE(ended.waitForExit(), 0);
        failure = running.waitForWindow();
        QVERIFY2(failure.isEmpty(), qPrintable(failure));
        QCOMPARE(running.terminate(), 0);
    }
};

QTEST_GUILESS_MAIN(TestE2eSingleInstance)
#include "test_e2e_single_instance.moc"
