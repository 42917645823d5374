#include "RunningProgram.h"
#include "ScopedEnvironment.h"

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
        // Where the window is looked for.
        const ScopedEnvironment windowDisplay("DISPLAY", display.toLatin1());
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

    // With no display server to show on, one line says so and the status is 1 (not Qt's abort):
    // no DISPLAY, or one where no server answers, that does not parse, or names a screen the
    // server lacks. A display server that may be there (a named Wayland display, its default
    // socket), a platform that needs none, or Qt's own arguments are left to Qt.
    void startWithoutDisplay_data() {
        QTest::addColumn<QString>("platform");
        QTest::addColumn<QString>("wayland"); // WAYLAND_DISPLAY, or "socket": wayland-0 exists
        QTest::addColumn<QString>("arguments");
        QTest::addColumn<QString>("display");
        QTest::addColumn<bool>("refused");
        const QString none;
        const QString here = qEnvironmentVariable("DISPLAY").section('.', 0, 0);
        QTest::newRow("Qt's choice") << none << none << none << none << true;
        QTest::newRow("xcb") << "xcb" << none << none << none << true;
        QTest::newRow("wayland, xcb") << "wayland;xcb" << none << none << none << true;
        QTest::newRow("offscreen") << "offscreen" << none << none << none << false;
        QTest::newRow("-platform") << none << none << "-platform offscreen" << none << false;
        QTest::newRow("named") << "wayland" << QString("w-9") << none << none << false;
        QTest::newRow("socket") << "wayland" << QString("socket") << none << none << false;
        QTest::newRow("no server") << "xcb" << none << none << QString(":229") << true;
        QTest::newRow("garbage") << none << none << none << QString("garbage") << true;
        QTest::newRow("no such screen") << none << none << none << here + ".7" << true;
        QTest::newRow("no platform named") << ";" << none << none << here << true;
        QTest::newRow("a server there") << "xcb" << none << none << here << false;
    }
    void startWithoutDisplay() {
        QFETCH(QString, platform);
        QFETCH(QString, wayland);
        QFETCH(QString, arguments);
        QFETCH(QString, display);
        QFETCH(bool, refused);
        const QTemporaryDir home;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        display.isEmpty() ? environment.remove("DISPLAY") : environment.insert("DISPLAY", display);
        environment.insert("QT_QPA_PLATFORM", platform);
        environment.insert("WAYLAND_DISPLAY", wayland == "socket" ? QString() : wayland);
        if (wayland == "socket")
            QVERIFY(QFile(home.filePath("wayland-0")).open(QIODevice::WriteOnly));
        for (const char* name : {"HOME", "XDG_CONFIG_HOME", "XDG_RUNTIME_DIR"})
            environment.insert(name, home.path());
        // No session bus: a bus started for the program (by dbus-launch, found on PATH when
        // not installed) would outlive it. This one only leaves a mark.
        environment.remove("DBUS_SESSION_BUS_ADDRESS");
        environment.insert("PATH", home.path() + ':' + environment.value("PATH"));
        QFile launcher(home.filePath("dbus-launch"));
        QVERIFY(launcher.open(QIODevice::WriteOnly) && launcher.write("#!/bin/sh\n>\"$0.ran\"\n"));
        launcher.close();
        QVERIFY(launcher.setPermissions(QFile::ReadOwner | QFile::ExeOwner));
        QProcess program;
        program.setProcessEnvironment(environment);
        program.start(RunningProgram::defaultProgram(), arguments.split(' ', Qt::SkipEmptyParts));
        if (!refused) { // runs offscreen until told to end, or Qt ends it
            // The count is stored as the window is filled, after the widgets are made.
            const QString filled = home.filePath("Pellamark/Corvantis/No of Websites");
            QTRY_VERIFY_WITH_TIMEOUT(
                QFile::exists(filled) || program.state() == QProcess::NotRunning, 15000);
            program.terminate();
        }
        QVERIFY(program.state() == QProcess::NotRunning || program.waitForFinished(15000));
        const QByteArray said = program.readAllStandardError();
        QCOMPARE(said.contains("graphical session") && said.count('\n') == 1, refused);
        QCOMPARE(program.exitStatus() == QProcess::NormalExit && program.exitCode() == 1, refused);
        QVERIFY(!QFile::exists(launcher.fileName() + ".ran"));
    }
};

QTEST_GUILESS_MAIN(EndToEndCloseTest)
#include "test_e2e_close.moc"
