#include "RunningProgram.h"

#include <QScopeGuard>
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
        QTest::newRow("SIGINT") << SIGINT;
        QTest::newRow("SIGQUIT") << SIGQUIT;
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

    void lostDisplaySavesTheList() {
        QProcess xvfb; // a display of its own, to lose
        const QString display = RunningProgram::startXServer(xvfb);
        QVERIFY(!display.isEmpty());
        const QByteArray testDisplay = qgetenv("DISPLAY");
        const auto restoreDisplay = qScopeGuard([&] { qputenv("DISPLAY", testDisplay); });
        qputenv("DISPLAY", display.toLatin1()); // where the window is looked for
        RunningProgram program;
        program.setEnvironment(QStringLiteral("DISPLAY"), display);
        program.storeSetting("Websites", "a;;b");
        const QString failure = program.start();
        QVERIFY2(failure.isEmpty(), qPrintable(failure));
        xvfb.kill();
        xvfb.waitForFinished();
        QVERIFY(program.waitForExit() > 0); // Qt's failure status, after the save
        QCOMPARE(program.storedSetting("Websites"), QByteArray("a;b"));
    }

    void closedStandardDescriptorsAreOpenOnDevNull() {
        RunningProgram program;
        const QString failure = program.start(
            "sh", {"-c", "exec \"$0\" <&- >&- 2>&-", RunningProgram::defaultProgram()});
        QVERIFY2(failure.isEmpty(), qPrintable(failure));
        for (int descriptor = 0; descriptor <= 2; ++descriptor)
            QCOMPARE(QFile::symLinkTarget(
                         QStringLiteral("/proc/%1/fd/%2").arg(program.pid()).arg(descriptor)),
                     QStringLiteral("/dev/null"));
        QCOMPARE(program.terminate(), 0);
    }
};

QTEST_GUILESS_MAIN(EndToEndCloseTest)
#include "test_e2e_close.moc"
