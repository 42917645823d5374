#include "RecordingXdgOpen.h"
#include "TestFiles.h"
#include "base/AtomicFileWriter.h"
#include "base/FileDescriptor.h"
#include "opener/XdgShell.h"

#include <QtTest>
#include <algorithm>
#include <csignal>
#include <sys/socket.h>
#include <sys/un.h>

// The real hand-off, with a recording xdg-open first on PATH.
class TestXdgShell : public QObject {
    Q_OBJECT

    // Fails as xdg-open does without a usable browser for a "fail" address; for a "linger" one,
    // fails only once the test lets it go on, as a browser started by xdg-open may end; for a
    // "late" one, leaves a program that writes to its error output after a while.
    RecordingXdgOpen recorder{
        "case \"$1\" in\n"
        "*fail*) echo 'xdg-open: 882: links: not found' >&2\n"
        "  echo \"xdg-open: no method available for opening '$1'\" >&2; exit 3;;\n"
        "*linger*) while [ ! -e \"${0%/*}/go-on\" ]; do sleep 0.05; done; exit 3;;\n"
        "*late*) (sleep 1; echo late >&2 && touch \"${0%/*}/wrote-late\") & ;;\n"
        "esac\n"};

private slots:
    void initTestCase() { qputenv("PATH", recorder.pathWithRecorderFirst()); }

    void handsTheAddressOverAsItsOneArgumentFromTheRootFolder() {
        const QString address = QStringLiteral("http://example.com/a b?q=\"1\"&x='$HOME' ü;`id`");
        XdgShell shell;
        // Would be read as an option: not handed over, and the caller is told.
        QCOMPARE(shell.open(QStringLiteral("-version")), Shell::HandOff::notAnAddress);
        QCOMPARE(shell.open(QStringLiteral("http://a") + QChar(0) + "b"), Shell::HandOff::holdsNul);
        QCOMPARE(shell.open(address), Shell::HandOff::started);
        QTRY_COMPARE_WITH_TIMEOUT(recorder.calls().size(), 1, 10000);
        QTest::qWait(300);

        const QList<RecordingXdgOpen::Call> calls = recorder.calls();
        QCOMPARE(calls.size(), 1);
        QCOMPARE(calls[0].arguments, QByteArrayList{address.toUtf8()});
        QCOMPARE(calls[0].workingFolder, QByteArray("/"));
    }

    // The browser a launcher may become starts as a fresh program does, whatever this one
    // blocks, ignores or has open: not deaf to SIGTERM or SIGINT, holding no file being saved.
    // This launcher writes its signal sets before it forks (dash clears the mask then).
    void theLauncherStartsWithDefaultSignalHandlingAndNoFileOfOurs() {
        QTemporaryDir bin;
        const QString launcher = bin.filePath(QStringLiteral("xdg-open"));
        writeFixture(launcher,
                     "#!/bin/sh\nwhile read -r line; do echo \"$line\"; done "
                     "</proc/$$/status >\"$0.state\"\nls -l /proc/$$/fd >>\"$0.state\"\n");
        QFile::setPermissions(launcher, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        sigset_t terminate;
        sigemptyset(&terminate);
        sigaddset(&terminate, SIGTERM);
        QCOMPARE(::pthread_sigmask(SIG_BLOCK, &terminate, nullptr), 0);
        QVERIFY(std::signal(SIGINT, SIG_IGN) != SIG_ERR);
        const QByteArray path = qgetenv("PATH");
        const auto restore = qScopeGuard([&] {
            std::signal(SIGINT, SIG_DFL);
            ::pthread_sigmask(SIG_UNBLOCK, &terminate, nullptr);
            qputenv("PATH", path);
        });
        qputenv("PATH", bin.path().toUtf8() + ':' + path);
        AtomicFileWriter file(bin.filePath(QStringLiteral("list.txt")));
        file.open();
        XdgShell shell;
        shell.open(QStringLiteral("http://state"));
        QTRY_COMPARE_WITH_TIMEOUT(shell.launchersRunning(), 0, 10000);
        QFile state(launcher + QStringLiteral(".state"));
        QVERIFY(state.open(QIODevice::ReadOnly));
        const QByteArray written = state.readAll();
        const auto has = [&written](const char* set, int signal) {
            const qsizetype at = written.indexOf(set) + 8;
            return (written.mid(at, 16).toULongLong(nullptr, 16) >> (signal - 1) & 1) != 0;
        };
        QVERIFY2(written.contains("SigBlk:") && !has("SigBlk:", SIGTERM) && !has("SigIgn:", SIGINT),
                 written.constData());
        QVERIFY2(!written.contains("list.txt"), written.constData());
    }

    void failedLaunchersAreCountedWithWhatTheyWrote() {
        XdgShell shell;
        for (const char* address : {"http://fail/1", "http://ok", "http://fail/2"}) {
            shell.open(QString::fromLatin1(address));
            QTRY_COMPARE_WITH_TIMEOUT(shell.launchersRunning(), 0, 10000);
        }
        const Shell::FailedHandOffs failed = shell.takeFailedHandOffs();
        QCOMPARE(failed.count, 2);
        QCOMPARE(failed.firstError,
                 QStringLiteral("xdg-open: 882: links: not found\n"
                                "xdg-open: no method available for opening 'http://fail/1'"));
        // Running when the failures are taken: it has become the browser, never counted.
        shell.open(QStringLiteral("http://linger"));
        QCOMPARE(shell.takeFailedHandOffs().count, 0);
        QVERIFY(QFile(recorder.binFolder() + "/go-on").open(QIODevice::WriteOnly));
        QTRY_COMPARE_WITH_TIMEOUT(shell.launchersRunning(), 0, 10000);
        QCOMPARE(shell.takeFailedHandOffs().count, 0);
        // A launcher that cannot be started at all fails too.
        const QByteArray path = qgetenv("PATH");
        qputenv("PATH", "/nowhere");
        shell.open(QStringLiteral("http://ok"));
        qputenv("PATH", path);
        QCOMPARE(shell.takeFailedHandOffs().count, 1);
    }

    // What a launcher started outlives this program's shell and still has an error output.
    void aProgramTheLauncherStartedWritesAfterTheShellHasGone() {
        {
            XdgShell shell;
            shell.open(QStringLiteral("http://late"));
            QTRY_COMPARE_WITH_TIMEOUT(shell.launchersRunning(), 0, 10000);
        }
        QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(recorder.binFolder() + "/wrote-late"), 10000);
    }

    // A display that takes the connection and never answers: the hand-off still ends.
    void aDisplayThatNeverAnswersLeavesOnlyTheSettleTime() {
        QDir().mkpath(QStringLiteral("/tmp/.X11-unix"));
        int number = 600;
        while (QFile::exists(QStringLiteral("/tmp/.X11-unix/X%1").arg(number)))
            ++number;
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        const QByteArray path = "/tmp/.X11-unix/X" + QByteArray::number(number);
        std::copy(path.begin(), path.end(), address.sun_path);
        const FileDescriptor silentDisplay(::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0));
        QVERIFY(::bind(silentDisplay.get(), reinterpret_cast<sockaddr*>(&address),
                       sizeof address) == 0);
        QVERIFY(::listen(silentDisplay.get(), 8) == 0);
        const QByteArray oldDisplay = qgetenv("DISPLAY");
        qputenv("DISPLAY", ":" + QByteArray::number(number));
        XdgShell shell(std::chrono::milliseconds(300));
        shell.open(QStringLiteral("http://ok/display"));
        qputenv("DISPLAY", oldDisplay);
        QTRY_VERIFY_WITH_TIMEOUT(shell.handOffFinished(), 10000);
        QFile::remove(QString::fromLatin1(path));
    }
};

QTEST_GUILESS_MAIN(TestXdgShell)
#include "test_xdg_shell.moc"
