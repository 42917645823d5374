// The opening run with the real xdg-open hand-off, over a fake single-instance browser that
// takes a while to start: every pick reaches one instance, and no launcher is left unreaped.
#include "FakeCommandView.h"
#include "FakeSingleInstanceBrowser.h"
#include "TestPlatform.h"
#include "base/ErrorTrap.h"
#include "commands/OpeningRun.h"
#include "list/WebsiteList.h"
#include "opener/SeededRandom.h"
#include "opener/XdgShell.h"

#include <QDirIterator>
#include <QtTest>
#include <unistd.h>

namespace {

// Children of this process that have ended and were never reaped.
int zombieChildren() {
    int zombies = 0;
    QDirIterator processes(QStringLiteral("/proc"), QDir::Dirs | QDir::NoDotAndDotDot);
    while (processes.hasNext()) {
        QFile stat(processes.next() + QStringLiteral("/stat"));
        if (!stat.open(QIODevice::ReadOnly))
            continue;
        // "pid (name) state ppid ...": the name may hold blanks, so read from its last ')'.
        const QByteArray line = stat.readAll();
        const QList<QByteArray> fields = line.mid(line.lastIndexOf(')') + 2).split(' ');
        zombies += fields.size() > 1 && fields[0] == "Z" && fields[1].toLongLong() == getpid();
    }
    return zombies;
}

} // namespace

class TestPacedHandOff : public QObject {
    Q_OBJECT

private slots:
    void everyPickReachesOneInstanceAndEveryLauncherIsReaped_data() {
        QTest::addColumn<int>("count");
        QTest::newRow("1") << 1;
        QTest::newRow("10") << 10;
        QTest::newRow("100") << 100;
    }

    void everyPickReachesOneInstanceAndEveryLauncherIsReaped() {
        QFETCH(int, count);
        FakeSingleInstanceBrowser browser;
        const QByteArray oldPath = qgetenv("PATH");
        qputenv("PATH", browser.pathWithBrowserFirst());
        TestPlatform env;
        FakeCommandView view;
        WebsiteList list;
        for (int entry = 1; entry <= 20; ++entry)
            list.append(QStringLiteral("http://127.0.0.1/page/%1").arg(entry));
        SeededRandom random;
        // The browser starts in 0.3 s; a settle time well beyond that, short for a test.
        XdgShell shell(std::chrono::milliseconds(1500));
        ErrorTrap trap(QStringLiteral("Form1.PushButton2_Click"), env.dialogs);
        view.count = QString::number(count);

        openRandomWebsites(list, view, env.dialogs, QStringLiteral("Corvantis"),
                           {shell, random, env.clock}, trap);
        qputenv("PATH", oldPath);
        QTRY_COMPARE_WITH_TIMEOUT(browser.log().size(), count, 20000);
        QTRY_COMPARE_WITH_TIMEOUT(shell.launchersRunning(), 1, 20000); // the browser itself

        QCOMPARE(browser.count("instance"), 1);
        QCOMPARE(browser.count("second-instance"), 0);
        QCOMPARE(browser.count("forwarded"), count - 1);
        QCOMPARE(view.pointer, PointerState::Default);
        QVERIFY(env.dialogs.reports.empty());
        QCOMPARE(zombieChildren(), 0);

        browser.quit();
        QTRY_COMPARE_WITH_TIMEOUT(shell.launchersRunning(), 0, 10000);
        QCOMPARE(zombieChildren(), 0);
    }
};

QTEST_GUILESS_MAIN(TestPacedHandOff)
#include "test_paced_hand_off.moc"
