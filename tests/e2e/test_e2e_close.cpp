#include "RunningProgram.h"

#include <QTest>
#include <csignal>

class EndToEndCloseTest : public QObject {
    Q_OBJECT

private slots:
    void firstStartThenCloseBoxLeavesBothSettings() {
        RunningProgram program;
        const QString failure = program.start();
        QVERIFY2(failure.isEmpty(), qPrintable(failure));
        QVERIFY(program.sendCloseRequest());
        QCOMPARE(program.waitForExit(), 0);
        QCOMPARE(program.storedSetting("Websites"), QByteArray());
        QCOMPARE(program.storedSetting("No of Websites"), QByteArray("3"));
    }

    void closeBoxSavesTheList() {
        RunningProgram program;
        // Hand-edited: the empty pieces are dropped on load, so the saved value shows the save ran.
        program.storeSetting("Websites", ";site-a;;site b;");
        program.storeSetting("No of Websites", "5");
        const QString failure = program.start();
        QVERIFY2(failure.isEmpty(), qPrintable(failure));
        QVERIFY(program.sendCloseRequest());
        QCOMPARE(program.waitForExit(), 0);
        QCOMPARE(program.storedSetting("Websites"), QByteArray("site-a;site b"));
        QCOMPARE(program.storedSetting("No of Websites"), QByteArray("5"));
    }

    void logOutSignalsCloseNormallyAndSave_data() {
        QTest::addColumn<int>("signal");
        QTest::newRow("SIGTERM") << SIGTERM;
        QTest::newRow("SIGHUP") << SIGHUP;
    }
    void logOutSignalsCloseNormallyAndSave() {
        QFETCH(int, signal);
        RunningProgram program;
        program.storeSetting("Websites", "a;;b");
        const QString failure = program.start();
        QVERIFY2(failure.isEmpty(), qPrintable(failure));
        QCOMPARE(::kill(static_cast<pid_t>(program.pid()), signal), 0);
        QCOMPARE(program.waitForExit(), 0);
        QCOMPARE(program.storedSetting("Websites"), QByteArray("a;b"));
    }
};

QTEST_GUILESS_MAIN(EndToEndCloseTest)
#include "test_e2e_close.moc"
