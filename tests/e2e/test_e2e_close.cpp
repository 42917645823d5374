#include "RunningProgram.h"

#include <QTest>
#include <csignal>
#include <initializer_list>

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

    // With no display server to show on, one line says so and the status is 1 (not Qt's abort).
    // A display server that may be there, a platform that needs none, or Qt's own arguments
    // are left to Qt: the offscreen window starts, as far as taking its list.
    void startWithoutDisplay_data() {
        QTest::addColumn<QString>("platform");
        QTest::addColumn<QString>("waylandDisplay");
        QTest::addColumn<bool>("waylandSocket"); // wayland-0 in the runtime folder
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<bool>("refused");
        QTest::newRow("Qt's choice") << QString() << QString() << false << QStringList() << true;
        QTest::newRow("xcb") << "xcb" << QString() << false << QStringList() << true;
        QTest::newRow("wayland, xcb")
            << "wayland;xcb" << QString() << false << QStringList() << true;
        QTest::newRow("offscreen") << "offscreen" << QString() << false << QStringList() << false;
        QTest::newRow("-platform")
            << QString() << QString() << false << QStringList{"-platform", "offscreen"} << false;
        QTest::newRow("named") << "wayland"
                               << "w-9" << false << QStringList() << false;
        QTest::newRow("socket") << "wayland" << QString() << true << QStringList() << false;
    }
    void startWithoutDisplay() {
        QFETCH(QString, platform);
        QFETCH(QString, waylandDisplay);
        QFETCH(bool, waylandSocket);
        QFETCH(QStringList, arguments);
        QFETCH(bool, refused);
        const QTemporaryDir home;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.remove("DISPLAY");
        environment.insert("WAYLAND_DISPLAY", waylandDisplay);
        environment.insert("QT_QPA_PLATFORM", platform);
        for (const char* name : {"HOME", "XDG_CONFIG_HOME", "XDG_RUNTIME_DIR"})
            environment.insert(name, home.path());
        if (waylandSocket)
            QVERIFY(QFile(home.filePath("wayland-0")).open(QIODevice::WriteOnly));
        QProcess program;
        program.setProcessEnvironment(environment);
        program.start(RunningProgram::defaultProgram(), arguments);
        const QString lock = home.filePath("Pellamark/Corvantis/Websites.lock");
        if (!refused) { // runs offscreen until told to end, or Qt ends it
            QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(lock) || program.state() == QProcess::NotRunning,
                                     15000);
            program.terminate();
        }
        QVERIFY(program.state() == QProcess::NotRunning || program.waitForFinished(15000));
        const QByteArray said = program.readAllStandardError();
        QCOMPARE(said.contains("graphical session"), refused);
        QCOMPARE(program.exitStatus() == QProcess::NormalExit && program.exitCode() == 1, refused);
        if (refused) {
            QCOMPARE(said.count('\n'), 1);
            QVERIFY(!QFile::exists(lock));
        }
    }
};

QTEST_GUILESS_MAIN(EndToEndCloseTest)
#include "test_e2e_close.moc"
