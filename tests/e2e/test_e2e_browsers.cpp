#include "FirefoxSession.h"
#include "HeadlessWeston.h"
#include "LocalWebServer.h"
#include "RunningProgram.h"
#include "SessionBus.h"
#include "TestBrowserHome.h"

#include <QStandardPaths>
#include <QtTest>
#include <algorithm>
#include <optional>

// The real program hands its picks to the real xdg-open, which opens them in Debian's chromium
// or firefox-esr as the default browser of a temporary home; a local web server hears from each
// page the browser really showed. Whether the browser was running or not, and whichever
// desktop's opener xdg-open goes through (none, gio, kde-open, exo-open), every pick must be
// shown once, in one browser instance, with no window besides the browser's own (a second
// instance shows a profile-error or an "already running" box). Slow: label "browsers".
namespace {

using Browser = TestBrowserHome::Browser;

// Names of the visible top-level windows on the display, the program's own left out.
QStringList otherVisibleWindows() {
    QProcess search;
    search.start(QStringLiteral("xdotool"),
                 {QStringLiteral("search"), QStringLiteral("--onlyvisible"),
                  QStringLiteral("--name"), QStringLiteral(".")});
    search.waitForFinished(10000);
    QStringList names;
    for (const QByteArray& id : search.readAllStandardOutput().split('\n')) {
        if (id.isEmpty())
            continue;
        QProcess name;
        name.start(QStringLiteral("xdotool"), {QStringLiteral("getwindowname"), QString(id)});
        name.waitForFinished(10000);
        const QString title = QString::fromUtf8(name.readAllStandardOutput().trimmed());
        if (title != QStringLiteral("Corvantis"))
            names.append(title);
    }
    return names;
}

QStringList sorted(QStringList texts) {
    std::sort(texts.begin(), texts.end());
    return texts;
}

} // namespace

class TestE2eBrowsers : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() {
        if (qEnvironmentVariableIsEmpty("DISPLAY"))
            QSKIP("needs an X server in DISPLAY (./test.sh starts one)");
        for (const char* program : {"chromium", "firefox-esr", "dbus-daemon", "xdotool"})
            if (QStandardPaths::findExecutable(QString::fromLatin1(program)).isEmpty())
                QSKIP("needs chromium, firefox-esr, dbus-daemon and xdotool (./test.sh installs "
                      "them)");
    }

    void everyPickIsShownInOneBrowser_data() {
        QTest::addColumn<Browser>("browser");
        QTest::addColumn<bool>("running");
        QTest::addColumn<int>("count");
        QTest::addColumn<QString>("desktop"); // XDG_CURRENT_DESKTOP, or none
        QTest::addColumn<bool>("wayland");    // the browser a native Wayland client
        for (const auto& [browser, name] : {std::pair{Browser::chromium, "chromium"},
                                            std::pair{Browser::firefox, "firefox-esr"}}) {
            const QString none;
            QTest::addRow("%s not running, N=3", name) << browser << false << 3 << none << false;
            QTest::addRow("%s not running, N=10", name) << browser << false << 10 << none << false;
            QTest::addRow("%s not running, N=30", name) << browser << false << 30 << none << false;
            QTest::addRow("%s running, N=30", name) << browser << true << 30 << none << false;
            for (const char* desktop : {"GNOME", "KDE", "XFCE"}) {
                QTest::addRow("%s not running, %s, N=10", name, desktop)
                    << browser << false << 10 << QString::fromLatin1(desktop) << false;
                QTest::addRow("%s running, %s, N=30", name, desktop)
                    << browser << true << 30 << QString::fromLatin1(desktop) << false;
            }
            for (const int count : {3, 10})
                QTest::addRow("%s native Wayland, not running, N=%d", name, count)
                    << browser << false << count << none << true;
        }
    }

    void everyPickIsShownInOneBrowser() {
        QFETCH(Browser, browser);
        QFETCH(bool, running);
        QFETCH(int, count);
        QFETCH(QString, desktop);
        QFETCH(bool, wayland);
        if (wayland && QStandardPaths::findExecutable(QStringLiteral("weston")).isEmpty())
            QSKIP("needs weston for a Wayland compositor (./test.sh installs it)");
        SessionBus bus;
        LocalWebServer server;
        RunningProgram program;
        const QString config = program.homePath() + QStringLiteral("/config");
        TestBrowserHome home(browser, program.homePath(), config, wayland, desktop);
        std::optional<HeadlessWeston> compositor;

        // The session as a desktop without a desktop environment of its own, where xdg-open
        // follows mimeapps.list itself, or as the desktop named, whose opener xdg-open calls
        // (which follows that desktop's own list before mimeapps.list, where a decoy waits).
        QProcessEnvironment session = QProcessEnvironment::systemEnvironment();
        for (const char* name :
             {"XDG_CURRENT_DESKTOP", "DESKTOP_SESSION", "BROWSER", "KDE_FULL_SESSION",
              "KDE_SESSION_VERSION", "GNOME_DESKTOP_SESSION_ID"}) {
            program.removeEnvironment(QString::fromLatin1(name));
            session.remove(QString::fromLatin1(name));
        }
        const std::pair<QString, QString> settings[] = {
            {QStringLiteral("XDG_CURRENT_DESKTOP"), desktop},
            // A Plasma 5 session says so; xdg-open then calls kde-open5.
            {QStringLiteral("KDE_SESSION_VERSION"),
             desktop == QStringLiteral("KDE") ? QStringLiteral("5") : QString()},
            {QStringLiteral("HOME"), program.homePath()},
            {QStringLiteral("XDG_CONFIG_HOME"), config},
            {QStringLiteral("XDG_DATA_HOME"), program.homePath() + QStringLiteral("/.local/share")},
            {QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), bus.address()},
        };
        for (const auto& [name, value] : settings) {
            if (value.isEmpty())
                continue;
            program.setEnvironment(name, value);
            session.insert(name, value);
        }
        if (wayland) {
            // The program stays on X; the browser its xdg-open starts finds a Wayland session.
            compositor.emplace(program.runtimeFolder());
            QTRY_VERIFY_WITH_TIMEOUT(compositor->ready(), 20000);
            program.setEnvironment(QStringLiteral("WAYLAND_DISPLAY"),
                                   QLatin1String(HeadlessWeston::socketName));
            program.setEnvironment(QStringLiteral("XDG_SESSION_TYPE"), QStringLiteral("wayland"));
        }

        if (running) {
            // In a session of its own, as the program starts it, so that it can be ended whole.
            QProcess starter;
            starter.setProcessEnvironment(session);
            starter.setProgram(QStringLiteral("setsid"));
            starter.setArguments(
                {QStringLiteral("xdg-open"), server.address(QStringLiteral("/already-running"))});
            QVERIFY(starter.startDetached());
            QTRY_VERIFY_WITH_TIMEOUT(!server.requestedPaths().isEmpty(), 60000);
            QTest::qWait(2000); // the browser's window finishes its first page
        }

        QStringList entries;
        for (int page = 1; page <= 50; ++page)
            entries.append(server.address(QStringLiteral("/page/%1").arg(page)));
        program.storeSetting(QStringLiteral("Websites"), entries.join(QLatin1Char(';')).toUtf8());
        program.storeSetting(QStringLiteral("No of Websites"), QByteArray::number(count));
        const QString startFailure = program.start();
        QVERIFY2(startFailure.isEmpty(), qPrintable(startFailure));
        QVERIFY(program.clickOn(QStringLiteral("Start Opening Websites")));

        // A browser may ask for a page again (a tab restored or reloaded as it starts); what
        // counts is each page it showed.
        const auto shownPages = [&] {
            QStringList pages;
            for (const QString& path : server.shownPaths())
                if (path.startsWith(QStringLiteral("/page/")))
                    pages.append(server.address(path));
            return pages;
        };
        // A browser that is not running settles first; then each pick takes well under a second.
        QTRY_VERIFY_WITH_TIMEOUT(shownPages().size() >= count, 30000 + count * 3000);
        QTest::qWait(3000); // time for a stray page, window or dialog to appear

        // Through xdg-open, or straight to the browser's entry once it was known to run: the
        // entry is started with each pick once either way.
        QStringList handed = home.launched();
        handed.removeAll(server.address(QStringLiteral("/already-running")));
        QCOMPARE(handed.size(), count);
        // The picks after the first go straight to a running browser, the one the desktop chose.
        QVERIFY(!running || !home.launchedDirectly().isEmpty());
        QCOMPARE(home.launchedDecoy(), QStringList());
        const QString pages =
            QStringLiteral("shown: %1\nasked for: %2")
                .arg(server.shownPaths().join(u' '), server.requestedPaths().join(u' '));
        if (browser == Browser::firefox) {
            // Each pick shown, and Firefox's own record holds one window with a tab for each:
            // a tab it was handed as it started it may load once more, in a fresh document.
            QStringList unshown = handed;
            for (const QString& page : shownPages())
                unshown.removeOne(page);
            QVERIFY2(unshown.isEmpty(), qPrintable(pages));
            QStringList tabs = handed;
            if (running)
                tabs.append(server.address(QStringLiteral("/already-running")));
            QTRY_COMPARE_WITH_TIMEOUT(firefoxTabs(home.profile()),
                                      QStringLiteral("1 ") + sorted(tabs).join(u' '), 20000);
        } else {
            QVERIFY2(sorted(shownPages()) == sorted(handed), qPrintable(pages));
        }
        QCOMPARE(home.instances(), 1);
        // A native Wayland browser shows nothing on X: its window is the compositor's.
        const QStringList windows = otherVisibleWindows();
        QVERIFY2(windows.size() == (wayland ? 0 : 1),
                 qPrintable(windows.join(QStringLiteral(" | "))));

        QCOMPARE(program.terminate(), 0);
        home.quit();
    }
};

QTEST_GUILESS_MAIN(TestE2eBrowsers)
#include "test_e2e_browsers.moc"
