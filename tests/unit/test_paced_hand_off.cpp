// The opening run with the real xdg-open hand-off, over a fake single-instance browser that
// takes a while to start: every pick reaches one instance, and no launcher is left unreaped.
#include "FakeCommandView.h"
#include "FakeSingleInstanceBrowser.h"
#include "ScopedEnvironment.h"
#include "TestFiles.h"
#include "TestPlatform.h"
#include "base/ErrorTrap.h"
#include "commands/OpeningRun.h"
#include "list/WebsiteList.h"
#include "opener/ProcessSockets.h"
#include "opener/SeededRandom.h"
#include "opener/XcbSupport.h"
#include "opener/XdgShell.h"

#include <QDirIterator>
#include <QTcpServer>
#include <QTemporaryDir>
#include <QtTest>
#include <arpa/inet.h>
#include <netinet/in.h>
#include <unistd.h>

namespace {

// Runs the opening run over a list of 20 local pages, with `count` picks.
void runPicks(XdgShell& shell, int count) {
    TestPlatform env;
    FakeCommandView view;
    WebsiteList list;
    for (int entry = 1; entry <= 20; ++entry)
        list.append(QStringLiteral("http://127.0.0.1/page/%1").arg(entry));
    SeededRandom random;
    ErrorTrap trap(QStringLiteral("Form1.PushButton2_Click"), env.dialogs);
    view.count = QString::number(count);
    openRandomWebsites(list, view, env.dialogs, QStringLiteral("Corvantis"),
                       {shell, random, env.clock}, trap);
    QCOMPARE(view.pointer, PointerState::Default);
    QVERIFY(env.dialogs.reports.empty());
}

// A mapped top-level window on the display of DISPLAY that names `owner` in _NET_WM_PID, as a
// browser's window does.
class WindowOfProcess {
public:
    explicit WindowOfProcess(pid_t owner) : connection_(xcb_connect(nullptr, nullptr)) {
        xcb_connection_t* connection = connection_.get();
        const xcb_window_t root = XcbSupport::rootOfScreen(connection, 0);
        const xcb_window_t window = xcb_generate_id(connection);
        xcb_create_window(connection, XCB_COPY_FROM_PARENT, window, root, 0, 0, 200, 100, 0,
                          XCB_WINDOW_CLASS_INPUT_OUTPUT, XCB_COPY_FROM_PARENT, 0, nullptr);
        const auto pid = static_cast<std::uint32_t>(owner);
        xcb_change_property(connection, XCB_PROP_MODE_REPLACE, window,
                            XcbSupport::atomNamed(connection, "_NET_WM_PID"), XCB_ATOM_CARDINAL, 32,
                            1, &pid);
        xcb_map_window(connection, window);
        xcb_flush(connection);
    }

private:
    XcbSupport::Connection connection_;
};

} // namespace

class TestPacedHandOff : public QObject {
    Q_OBJECT

private slots:
    void everyPickReachesOneInstanceAndEveryLauncherIsReaped_data() {
        QTest::addColumn<int>("count");
        QTest::addColumn<FakeSingleInstanceBrowser::Launch>("launch");
        QTest::addColumn<int>("launchersLeft"); // the browser itself, or none through an opener
        QTest::newRow("1") << 1 << FakeSingleInstanceBrowser::Launch::becomesTheBrowser << 1;
        QTest::newRow("10") << 10 << FakeSingleInstanceBrowser::Launch::becomesTheBrowser << 1;
        QTest::newRow("100") << 100 << FakeSingleInstanceBrowser::Launch::becomesTheBrowser << 1;
        QTest::newRow("10 through a desktop's opener")
            << 10 << FakeSingleInstanceBrowser::Launch::throughAnOpener << 0;
    }

    void everyPickReachesOneInstanceAndEveryLauncherIsReaped() {
        QFETCH(int, count);
        QFETCH(FakeSingleInstanceBrowser::Launch, launch);
        QFETCH(int, launchersLeft);
        FakeSingleInstanceBrowser browser("0.3", launch);
        ScopedEnvironment environment("PATH", browser.pathWithBrowserFirst());
        // The browser starts in 0.3 s; a settle time well beyond that, short for a test.
        XdgShell shell(std::chrono::milliseconds(1500));
        runPicks(shell, count);
        environment.restore();
        QTRY_COMPARE_WITH_TIMEOUT(browser.log().size(), count, 20000);
        QTRY_COMPARE_WITH_TIMEOUT(shell.launchersRunning(), launchersLeft, 20000);

        QCOMPARE(browser.count("instance"), 1);
        QCOMPARE(browser.count("second-instance"), 0);
        QCOMPARE(browser.count("forwarded"), count - 1);
        QTRY_COMPARE_WITH_TIMEOUT(zombieChildren(), 0, 5000); // reaped as the event loop hears

        browser.quit();
        QTRY_COMPARE_WITH_TIMEOUT(shell.launchersRunning(), 0, 10000);
        QCOMPARE(zombieChildren(), 0);
    }

    // A hand-off whose launcher lives on past its wait (it has become the browser) holds no
    // descriptor once the wait has ended, so that a long session never runs out of them.
    void handOffsHoldNoDescriptorAfterTheirWait() {
        QTemporaryDir bin;
        QFile launcher(bin.filePath(QStringLiteral("xdg-open")));
        QVERIFY(launcher.open(QIODevice::WriteOnly));
        launcher.write("#!/bin/sh\nexec sleep 2 2>&-\n"); // no error output to relay
        launcher.setPermissions(launcher.permissions() | QFile::ExeOwner);
        launcher.close();
        ScopedEnvironment environment("PATH", bin.path().toUtf8() + ':' + qgetenv("PATH"));
        environment.unset("DISPLAY"); // the one connection to the display is not a hand-off's
        XdgShell shell(std::chrono::milliseconds(1));
        const int descriptorsBefore = openDescriptors();
        runPicks(shell, 5000);
        environment.restore();

        QVERIFY(shell.launchersRunning() > 0);
        QCOMPARE(openDescriptors(), descriptorsBefore);
        QTRY_COMPARE_WITH_TIMEOUT(shell.launchersRunning(), 0, 30000);
        QCOMPARE(zombieChildren(), 0);
    }

    // A browser that has shown its window takes addresses: the next pick need not wait out the
    // settle time (an hour here, so that only the window can end the wait).
    void theWaitEndsWhenTheStartingBrowserShowsItsWindow() {
        if (qEnvironmentVariableIsEmpty("DISPLAY"))
            QSKIP("needs an X server in DISPLAY (./test.sh starts one)");
        FakeSingleInstanceBrowser browser;
        ScopedEnvironment environment("PATH", browser.pathWithBrowserFirst());
        XdgShell shell(std::chrono::hours(1));
        shell.open(QStringLiteral("http://127.0.0.1/page/1"));
        environment.restore();
        QTRY_VERIFY_WITH_TIMEOUT(browser.instancePid() != 0, 20000);
        QVERIFY(!shell.handOffFinished());

        const WindowOfProcess window(browser.instancePid());
        QTRY_VERIFY_WITH_TIMEOUT(shell.handOffFinished(), 20000);

        // The next start is watched afresh: its own window ends its wait.
        browser.quit();
        environment.set("PATH", browser.pathWithBrowserFirst());
        shell.open(QStringLiteral("http://127.0.0.1/page/2"));
        environment.restore();
        QTRY_VERIFY_WITH_TIMEOUT(browser.instancePid() != 0, 20000);
        QVERIFY(!shell.handOffFinished());
        const WindowOfProcess nextWindow(browser.instancePid());
        QTRY_VERIFY_WITH_TIMEOUT(shell.handOffFinished(), 20000);
    }

    // A native Wayland browser shows no X window; one that listens on a socket (its channel for
    // the addresses of later starts, or its proxy to the compositor) and has settled takes
    // addresses, also before the settle time (an hour here). One still busy starting does not,
    // unless it has asked for its page: connected to the page's host, even while busy.
    void theWaitEndsWhenANativeWaylandBrowserOpensItsSocket_data() {
        using Work = FakeSingleInstanceBrowser::Work;
        QTest::addColumn<QByteArray>("socketName");
        QTest::addColumn<Work>("work");
        QTest::addColumn<bool>("ready");
        // Its address: %1 the server's port; the fake connects to the port a fragment names.
        QTest::addColumn<QString>("page");
        const QString local = QStringLiteral("http://127.0.0.1:%1/page/1");
        QTest::newRow("asked for its page")
            << QByteArray() << Work::asksForItsPage << true << local;
        QTest::newRow("asked for its page by name, after its proxy")
            << QByteArray("wayland-proxy-1") << Work::asksForItsPage << true
            << QStringLiteral("http://localhost:%1/page/1");
        QTest::newRow("connected elsewhere, still starting")
            << QByteArray() << Work::asksForItsPage << false
            << QStringLiteral("http://127.0.0.1:9/page/1#%1");
        QTest::newRow("its socket") << QByteArray("SingletonSocket") << Work::idle << true << local;
        QTest::newRow("a Wayland proxy")
            << QByteArray("wayland-proxy-1") << Work::idle << true << local;
        QTest::newRow("its socket, waking now and then")
            << QByteArray("SingletonSocket") << Work::wakesNowAndThen << true << local;
        QTest::newRow("its socket, still starting")
            << QByteArray("SingletonSocket") << Work::busy << false << local;
    }

    void theWaitEndsWhenANativeWaylandBrowserOpensItsSocket() {
        QFETCH(QByteArray, socketName);
        QFETCH(FakeSingleInstanceBrowser::Work, work);
        QFETCH(bool, ready);
        QFETCH(QString, page);
        FakeSingleInstanceBrowser browser(
            "0.3", FakeSingleInstanceBrowser::Launch::becomesTheBrowser, socketName, work);
        ScopedEnvironment environment("PATH", browser.pathWithBrowserFirst());
        environment.set("WAYLAND_DISPLAY", "wayland-0");
        XdgShell shell(std::chrono::hours(1));
        QTcpServer server; // takes connections (the kernel completes them), answers none
        QVERIFY(server.listen(QHostAddress::LocalHost));
        shell.open(page.arg(server.serverPort()));
        environment.restore();
        QTRY_VERIFY_WITH_TIMEOUT(browser.instancePid() != 0, 20000);
        QTest::qWait(2000); // time to see its socket, and the session settle
        QCOMPARE(shell.handOffFinished(), ready);
        // An idle browser wakes for a few milliseconds now and then; a starting one works on.
        QVERIFY(
            SessionQuietWatch::quiet(std::chrono::milliseconds(5), std::chrono::milliseconds(100)));
        QVERIFY(!SessionQuietWatch::quiet(std::chrono::milliseconds(30),
                                          std::chrono::milliseconds(100)));
        // A dual-stack socket shows an IPv4 far end in its IPv4-mapped IPv6 form.
        sockaddr_in loopback{};
        loopback.sin_family = AF_INET;
        loopback.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        const QByteArray mapped = Q_BYTE_ORDER == Q_LITTLE_ENDIAN
                                      ? "0000000000000000FFFF00000100007F:1F90"
                                      : "00000000000000000000FFFF7F000001:1F90";
        QCOMPARE(tableEndpoints(reinterpret_cast<sockaddr*>(&loopback), 8080).value(1), mapped);
    }
};

QTEST_GUILESS_MAIN(TestPacedHandOff)
#include "test_paced_hand_off.moc"
