#include "RunningProgram.h"

#include <QDir>
#include <QtTest>
#include <csignal>

// Starts in one session (user and display): a later start brings the running window forward
// and ends without writing anything, so no window's close can undo another's changes; a start
// that was killed does not stand in the way of the next.
class TestE2eSingleInstance : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() {
        if (qEnvironmentVariableIsEmpty("DISPLAY"))
            QSKIP("needs an X server in DISPLAY (./test.sh starts one)");
    }

    void secondStartBringsTheFirstForwardAndWritesNothing() {
        RunningProgram first;
        first.storeSetting(QStringLiteral("Websites"), "http://kept.example");
        QString failure = first.start();
        QVERIFY2(failure.isEmpty(), qPrintable(failure));
        // A start that ran would write the count at once and its own list at its close.
        QVERIFY(QFile::remove(first.settingPath(QStringLiteral("No of Websites"))));
        first.storeSetting(QStringLiteral("Websites"), "on disk");
        RunningProgram::focusNoWindow();
        QVERIFY(!first.hasInputFocus());

        RunningProgram second;
        second.joinSessionOf(first);
        failure = second.launch();
        QVERIFY2(failure.isEmpty(), qPrintable(failure));
        QCOMPARE(second.waitForExit(), 0);
        QTRY_VERIFY(first.hasInputFocus());
        QCOMPARE(first.storedSetting(QStringLiteral("No of Websites")), QByteArray("<missing>"));
        QCOMPARE(first.storedSetting(QStringLiteral("Websites")), QByteArray("on disk"));

        first.clickAt(136, 196);             // "Add Website": client x 8..264, y 183..210
        QTRY_VERIFY(!first.hasInputFocus()); // the input box has it
        const unsigned long inputBox = RunningProgram::focusedWindow();
        RunningProgram::typeAndEnter(QStringLiteral("added.example"));
        QTRY_VERIFY(RunningProgram::focusedWindow() != inputBox);
        QVERIFY(first.sendCloseRequest());
        QCOMPARE(first.waitForExit(), 0);
        QCOMPARE(first.storedSetting(QStringLiteral("Websites")),
                 QByteArray("http://kept.example;http://added.example"));
    }

    void killedStartDoesNotBlockTheNextAndStartsAtOnceGiveOneWindow() {
        RunningProgram killed;
        QString failure = killed.start();
        QVERIFY2(failure.isEmpty(), qPrintable(failure));
        QCOMPARE(::kill(static_cast<pid_t>(killed.pid()), SIGKILL), 0);
        QCOMPARE(killed.waitForExit(), -1);
        QVERIFY(!QDir(killed.runtimeFolder()).isEmpty()); // what it left behind

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
