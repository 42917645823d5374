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

    // With no display server to show on, one line says so and the status is 1 (not Qt's abort);
    // a platform that needs none still starts, as far as taking its list.
    void startWithoutDisplay_data() {
        QTest::addColumn<QString>("platform");
        QTest::addColumn<bool>("refused");
        QTest::newRow("Qt's choice") << QString() << true;
        QTest::newRow("xcb") << "xcb" << true;
        QTest::newRow("wayland, then xcb") << "wayland;xcb" << true;
        QTest::newRow("offscreen") << "offscreen" << false;
    }
    void startWithoutDisplay() {
        QFETCH(QString, platform);
        QFETCH(bool, refused);
        const QTemporaryDir home;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
            environment.remove(name);
        if (!platform.isEmpty())
            environment.insert("QT_QPA_PLATFORM", platform);
        for (const char* name : {"HOME", "XDG_CONFIG_HOME", "XDG_RUNTIME_DIR"})
            environment.insert(name, home.path());
        QProcess program;
        program.setProcessEnvironment(environment);
        program.start(RunningProgram::defaultProgram(), {});
        const QString lock = home.filePath("Pellamark/Corvantis/Websites.lock");
        if (refused) {
            QVERIFY(program.waitForFinished(15000));
            QCOMPARE(program.exitCode(), 1);
            QCOMPARE(program.readAllStandardError().count('\n'), 1);
            QVERIFY(!QFile::exists(lock));
        } else {
            QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(lock), 15000);
            program.terminate();
            QVERIFY(program.waitForFinished(15000));
            QCOMPARE(program.exitCode(), 0);
        }
    }
};

QTEST_GUILESS_MAIN(EndToEndCloseTest)
#include "test_e2e_close.moc"
