#include "ChildTestRun.h"
#include "RecordingXdgOpen.h"
#include "ScopedEnvironment.h"
#include "TestFiles.h"
#include "base/AtomicFileWriter.h"
#include "base/FileDescriptor.h"
#include "opener/BrowserLookup.h"
#include "opener/DefaultBrowserCommand.h"
#include "opener/LaunchBatch.h"
#include "opener/LauncherErrorOutput.h"
#include "opener/RunningBrowserShell.h"
#include "opener/XdgOpenWay.h"
#include "opener/XdgShell.h"

#include <QtTest>
#include <algorithm>
#include <csignal>
#include <cstdio>
#include <fcntl.h>
#include <future>
#include <sys/socket.h>
#include <sys/un.h>

// The real hand-off, with a recording xdg-open first on PATH.
class TestXdgShell : public QObject {
    Q_OBJECT

    // Fails as xdg-open does without a usable browser for a "fail" address; for a "linger" one,
    // fails only once the test lets it go on, as a browser started by xdg-open may end; for a
    // "late" one, leaves a program that writes to its error output after a while; a "slow" one
    // ends once the test lets it, or after 20 s; a "daemon" one leaves a program that leaves the
    // session a moment later, as daemon(3) does.
    QTemporaryDir sandbox; // a runtime folder as inside a Flatpak sandbox
    RecordingXdgOpen recorder{
        "case \"$1\" in\n"
        "*fail*) echo 'xdg-open: 882: links: not found' >&2\n"
        "  echo \"xdg-open: no method available for opening '$1'\" >&2; exit 3;;\n"
        "*linger*) while [ ! -e \"${0%/*}/go-on\" ]; do sleep 0.05; done; exit 3;;\n"
        "*late*) (sleep 1; echo late >&2 && touch \"${0%/*}/wrote-late\") & ;;\n"
        "*slow*) for _ in $(seq 400); do [ -e \"${0%/*}/stop-slow\" ] && break; sleep 0.05; "
        "done;;\n"
        "*daemon*) (sleep 0.3; exec setsid sleep 3) & ;;\n"
        "esac\n"};

    // The recorded calls, each as its arguments joined by spaces, sorted.
    QStringList recordedCalls() const {
        QStringList calls;
        for (const RecordingXdgOpen::Call& call : recorder.calls())
            calls.append(QString::fromUtf8(call.arguments.join(' ')));
        calls.sort();
        return calls;
    }

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
        const auto restore = qScopeGuard([&] {
            std::signal(SIGINT, SIG_DFL);
            ::pthread_sigmask(SIG_UNBLOCK, &terminate, nullptr);
        });
        const ScopedEnvironment environment("PATH", bin.path().toUtf8() + ':' + qgetenv("PATH"));
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
        const Shell::FailedHandOffs failed = shell.endRun();
        QCOMPARE(failed.count, 2);
        QCOMPARE(failed.firstError,
                 QStringLiteral("xdg-open: 882: links: not found\n"
                                "xdg-open: no method available for opening 'http://fail/1'"));
        // Running when the failures are taken: it has become the browser, never counted.
        shell.open(QStringLiteral("http://linger"));
        QCOMPARE(shell.endRun().count, 0);
        QVERIFY(QFile(recorder.binFolder() + "/go-on").open(QIODevice::WriteOnly));
        QTRY_COMPARE_WITH_TIMEOUT(shell.launchersRunning(), 0, 10000);
        QCOMPARE(shell.endRun().count, 0);
        // A launcher that cannot be started at all fails too.
        ScopedEnvironment environment("PATH", "/nowhere");
        shell.open(QStringLiteral("http://ok"));
        environment.restore();
        QCOMPARE(shell.endRun().count, 1);
    }

    // How each launch's wait ends (the settle time an hour where another end is expected).
    void aLaunchEndsItsWaitOnce_data() {
        QTest::addColumn<QString>("address");
        QTest::addColumn<int>("settleMs");
        QTest::addColumn<Launch::Outcome>("outcome");
        QTest::addRow("taken") << "http://ok" << 3600000
                               << Launch::Outcome::sessionEndedWithSuccess;
        QTest::addRow("failed") << "http://fail" << 3600000
                                << Launch::Outcome::sessionEndedWithFailure;
        QTest::addRow("forks into the background")
            << "http://daemon" << 3600000 << Launch::Outcome::sessionEndedWithSuccess;
        QTest::addRow("settle time") << "http://slow" << 300 << Launch::Outcome::settleTimeRanOut;
        QTest::addRow("not started") << "" << 3600000 << Launch::Outcome::couldNotStart;
    }
    void aLaunchEndsItsWaitOnce() {
        QFETCH(QString, address);
        QFETCH(int, settleMs);
        QFETCH(Launch::Outcome, outcome);
        ScopedEnvironment environment;
        if (address.isEmpty())
            environment.set("PATH", "/nowhere");
        XdgShell shell{std::chrono::milliseconds(settleMs)};
        QList<Launch::Outcome> outcomes;
        shell.tellFinishedHandOffs(
            [&](const QString&, Launch::Outcome ended) { outcomes << ended; });
        QFile::remove(recorder.binFolder() + "/stop-slow");
        shell.open(address.isEmpty() ? QStringLiteral("http://ok") : address);
        environment.restore();
        QTRY_VERIFY_WITH_TIMEOUT(shell.handOffFinished(), 5000);
        QTest::qWait(200);
        QCOMPARE(outcomes, QList<Launch::Outcome>{outcome});
        QVERIFY(QFile(recorder.binFolder() + "/stop-slow").open(QIODevice::WriteOnly));
        QTRY_COMPARE_WITH_TIMEOUT(shell.launchersRunning(), 0, 10000);
    }

    // What a launcher started outlives this program's shell and still has an error output: what
    // it wrote before the wait ended is told, what it writes later is relayed, never refused.
    void aProgramTheLauncherStartedWritesAfterTheShellHasGone() {
        {
            XdgShell shell;
            shell.open(QStringLiteral("http://late"));
            QTRY_COMPARE_WITH_TIMEOUT(shell.launchersRunning(), 0, 10000);
        }
        QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(recorder.binFolder() + "/wrote-late"), 10000);
        // Every line reaches this program's own error output, here a file.
        QTemporaryFile ourErrors;
        QVERIFY(ourErrors.open());
        const FileDescriptor savedErrors(::fcntl(STDERR_FILENO, F_DUPFD_CLOEXEC, 0));
        ::dup2(ourErrors.handle(), STDERR_FILENO);
        LauncherErrorOutput output;
        FileDescriptor writer(::fcntl(output.launcherEnd(), F_DUPFD_CLOEXEC, 0));
        output.launcherStarted();
        QCOMPARE(::write(writer.get(), "said", 4), 4);
        QCOMPARE(output.firstAndLastLines(), QStringLiteral("said"));
        QCOMPARE(::write(writer.get(), "\nlast\n", 6), 6);
        output.letGo(); // with no turn of the event loop between
        ::dup2(savedErrors.get(), STDERR_FILENO);
        QCOMPARE(::write(writer.get(), "relayed\n", 8), 8);
        writer.close();
        QCOMPARE(output.firstAndLastLines(), QStringLiteral("said\nlast"));
        const auto written = [&] {
            QFile errors(ourErrors.fileName());
            return errors.open(QIODevice::ReadOnly) ? errors.readAll() : QByteArray();
        };
        QTRY_COMPARE_WITH_TIMEOUT(written(), QByteArray("said\nlast\nrelayed\n"), 5000);
    }

    // Once a web address's xdg-open has ended with its session, the browser runs: the further
    // web addresses go to its command, those given during a launch together in the next one
    // where it takes a list (repeats included, in order), anything else behind them through
    // xdg-open. A launch that fails counts each of its addresses; the next run asks again.
    void aRunningBrowserGetsTheFurtherWebAddressesStraight_data() {
        QTest::addColumn<bool>("takesList");
        QTest::addColumn<QString>("program"); // the recorder's first argument, or another program
        QTest::addColumn<QStringList>("calls");
        QTest::addColumn<int>("failures");
        QTest::addRow("list") << true << "browser"
                              << QStringList{"browser http://a/2 --tab",
                                             "browser http://a/3 http://a/3 --tab",
                                             "browser http://a/6 --tab",
                                             "ftp://a/4",
                                             "http://a/1",
                                             "http://a/5"}
                              << 0;
        QTest::addRow("one each") << false << "browser"
                                  << QStringList{"browser http://a/2 --tab",
                                                 "browser http://a/3 --tab",
                                                 "browser http://a/3 --tab",
                                                 "browser http://a/6 --tab",
                                                 "ftp://a/4",
                                                 "http://a/1",
                                                 "http://a/5"}
                                  << 0;
        QTest::addRow("failing") << true << "browser-fail"
                                 << QStringList{"browser-fail http://a/2 --tab",
                                                "browser-fail http://a/3 http://a/3 --tab",
                                                "browser-fail http://a/6 --tab",
                                                "ftp://a/4",
                                                "http://a/1",
                                                "http://a/5"}
                                 << 4;
        // Its launch ends with its session: a program it left behind has written.
        QTest::addRow("leaves a program") << true << "browser-late"
                                          << QStringList{"browser-late http://a/2 --tab",
                                                         "browser-late http://a/3 http://a/3 --tab",
                                                         "browser-late http://a/6 --tab",
                                                         "ftp://a/4",
                                                         "http://a/1",
                                                         "http://a/5"}
                                          << 0;
        // Each launch outlives the settle time (the browser was started anew): the run goes on.
        QTest::addRow("starts the browser anew")
            << true << "browser-slow"
            << QStringList{"browser-slow http://a/2 --tab",
                           "browser-slow http://a/3 http://a/3 --tab",
                           "browser-slow http://a/6 --tab",
                           "ftp://a/4",
                           "http://a/1",
                           "http://a/5"}
            << 0;
        QTest::addRow("not started") << false << "/nowhere/browser"
                                     << QStringList{"ftp://a/4", "http://a/1", "http://a/5"} << 4;
    }
    void aRunningBrowserGetsTheFurtherWebAddressesStraight() {
        QFETCH(bool, takesList);
        QFETCH(QString, program);
        QFETCH(QStringList, calls);
        QFETCH(int, failures);
        for (const QString& file : QDir(recorder.binFolder() + "/calls").entryList(QDir::Files))
            QFile::remove(recorder.binFolder() + "/calls/" + file);
        QFile::remove(recorder.binFolder() + "/wrote-late");
        QFile::remove(recorder.binFolder() + "/stop-slow");
        ScopedEnvironment environment;
        environment.unset("DISPLAY"); // the one connection to the display is not a launch's
        // Short enough for a launch to outlive it well within the waits below.
        XdgShell launcherShell(program.endsWith("slow") ? std::chrono::seconds(3)
                                                        : XdgShell::defaultSettleTime);
        int lookUps = 0;
        RunningBrowserShell shell(launcherShell, [&] {
            ++lookUps;
            if (program.startsWith(u'/'))
                return BrowserCommand{{program, "--tab"}, 1, takesList};
            return BrowserCommand{{"xdg-open", program, "--tab"}, 2, takesList};
        });
        // A failed hand-off before does not keep the next one from telling that the browser runs.
        for (const char* address : {"http://fail/0", "http://a/1"}) {
            shell.open(address);
            QTRY_VERIFY_WITH_TIMEOUT(shell.handOffFinished(), 10000);
        }
        QTRY_VERIFY_WITH_TIMEOUT(shell.goesStraightToTheBrowser(), 10000); // looked up meanwhile
        const int descriptorsBefore = openDescriptors(); // the look-up's thread has its own
        for (const char* address : {"http://a/2", "http://a/3", "http://a/3", "ftp://a/4"})
            QVERIFY(shell.handOffFinished() && shell.open(address) == Shell::HandOff::started);
        QVERIFY(!shell.handOffFinished());
        QTRY_VERIFY_WITH_TIMEOUT(shell.handOffFinished(), 10000);
        shell.open(QStringLiteral("http://a/6"));
        QTRY_VERIFY_WITH_TIMEOUT(shell.everyHandOffFinished(), 10000);
        QCOMPARE(QFile::exists(recorder.binFolder() + "/wrote-late"), program.endsWith("late"));
        QCOMPARE(shell.endRun().count, failures + 1);
        shell.open(QStringLiteral("http://a/5"));
        QTRY_VERIFY_WITH_TIMEOUT(shell.everyHandOffFinished(), 10000);
        calls.append(QStringLiteral("http://fail/0"));
        calls.sort();
        QCOMPARE(recordedCalls(), calls);
        // The next run looks the browser up again, once its first web pick has gone through.
        QTRY_VERIFY_WITH_TIMEOUT(shell.goesStraightToTheBrowser(), 10000);
        QCOMPARE(lookUps, 2);
        QCOMPARE(openDescriptors(), descriptorsBefore); // none held by a launch that lives on
        QVERIFY(QFile(recorder.binFolder() + "/stop-slow").open(QIODevice::WriteOnly));
        if (program.endsWith("slow"))
            QTest::qWait(1000); // a launch that started the browser anew ends, none under way
        QTRY_COMPARE_WITH_TIMEOUT(zombieChildren(), 0, 5000); // and is reaped
    }

    void whereXdgOpenRunsTheEntryItselfAndHow_data() {
        QTest::addColumn<QString>("exec");
        QTest::addColumn<QStringList>("launch"); // with addresses a and b; none: not certain
        QTest::addRow("list") << "/usr/bin/chromium %U"
                              << QStringList{"/usr/bin/chromium", "a", "b"};
        QTest::addRow("one") << "b  --new-tab\t%u -x"
                             << QStringList{"b", "--new-tab", "a", "b", "-x"};
        QTest::addRow("no field code") << "browser" << QStringList{};
        QTest::addRow("code first") << "%U b %U" << QStringList{};
        QTest::addRow("twice") << "b %U %U" << QStringList{};
        QTest::addRow("other code") << "b %i %U" << QStringList{};
        QTest::addRow("in a word") << "b --url=%U" << QStringList{};
        QTest::addRow("quoted") << "\"b\" %U" << QStringList{};
        QTest::addRow("expanded") << "b $HOME %U" << QStringList{};
    }
    void whereXdgOpenRunsTheEntryItselfAndHow() {
        QFETCH(QString, exec);
        QFETCH(QStringList, launch);
        const auto command = commandOfExec(exec);
        QCOMPARE(command ? command->launchWith({"a", "b"}) : QStringList{}, launch);
    }

    // The look-up runs beside the event loop: one that has not answered in time ends with
    // nothing, and its late answer is dropped; the next run asks again.
    void aLookUpThatDoesNotAnswerInTimeEndsWithNothing() {
        std::promise<void> release;
        const std::shared_future<void> released = release.get_future().share();
        BrowserLookup lookup(
            [released] {
                released.wait();
                return std::optional<BrowserCommand>(BrowserCommand{{"b", "x"}, 1, true});
            },
            std::chrono::milliseconds(200));
        int finished = 0;
        lookup.start([&] { ++finished; });
        QCOMPARE(lookup.state(), BrowserLookup::State::lookingUp);
        QTRY_COMPARE_WITH_TIMEOUT(lookup.state(), BrowserLookup::State::notFound, 5000);
        release.set_value();
        QTest::qWait(300);
        QCOMPARE(lookup.state(), BrowserLookup::State::notFound);
        lookup.reset();
        lookup.start([&] { ++finished; });
        QTRY_COMPARE_WITH_TIMEOUT(lookup.state(), BrowserLookup::State::found, 5000);
        QCOMPARE(finished, 2);
    }

    // A launch to a browser that takes a list takes the addresses waiting, within its bounds.
    void aBatchIsBounded_data() {
        QTest::addColumn<QStringList>("waiting");
        QTest::addColumn<bool>("takesList");
        QTest::addColumn<qsizetype>("batch");
        const QString kilobyte(1023, u'a');
        QTest::addRow("few") << QStringList{"a", "b", "c"} << true << qsizetype(3);
        QTest::addRow("one each") << QStringList{"a", "b"} << false << qsizetype(1);
        QTest::addRow("many") << QStringList(1000, "a") << true << LaunchBatch::maxAddresses;
        QTest::addRow("long") << QStringList(60, kilobyte + kilobyte) << true << qsizetype(32);
        QTest::addRow("one too long")
            << QStringList(2, QString(100000, u'a')) << true << qsizetype(1);
        QTest::addRow("none") << QStringList{} << true << qsizetype(0);
    }
    void aBatchIsBounded() {
        QFETCH(QStringList, waiting);
        QFETCH(bool, takesList);
        QFETCH(qsizetype, batch);
        QCOMPARE(nextBatchSize(waiting, takesList), batch);
    }

    void whichWayXdgOpenTakes_data() {
        QTest::addColumn<QStringList>("environment"); // NAME=value
        QTest::addColumn<XdgOpenWay>("way");
        using enum XdgOpenWay;
        QTest::addRow("bare") << QStringList{"DISPLAY=:1"} << generic;
        QTest::addRow("Wayland") << QStringList{"WAYLAND_DISPLAY=w"} << generic;
        QTest::addRow("no display") << QStringList{"XDG_CURRENT_DESKTOP=GNOME"} << other;
        writeFixture(sandbox.filePath("flatpak-info"), "[Application]\n");
        QTest::addRow("Flatpak") << QStringList{"DISPLAY=:1", "XDG_RUNTIME_DIR=" + sandbox.path()}
                                 << other;
        QTest::addRow("a window manager")
            << QStringList{"DISPLAY=:1", "XDG_CURRENT_DESKTOP=i3"} << generic;
        for (const auto& [desktop, way] :
             {std::pair{"GNOME", gnome}, std::pair{"GNOME-Flashback:GNOME", gnome},
              std::pair{"KDE", kde}, std::pair{"XFCE", xfce}, std::pair{"MATE", other},
              std::pair{"LXQt", other}, std::pair{"ubuntu:GNOME", generic}})
            QTest::addRow("%s", desktop)
                << QStringList{"DISPLAY=:1", QStringLiteral("XDG_CURRENT_DESKTOP=") + desktop}
                << way;
        QTest::addRow("KDE by session")
            << QStringList{"DISPLAY=:1", "KDE_FULL_SESSION=true"} << other;
        QTest::addRow("Xfce by session")
            << QStringList{"DISPLAY=:1", "DESKTOP_SESSION=xfce"} << other;
        QTest::addRow("generic named")
            << QStringList{"DISPLAY=:1", "XDG_CURRENT_DESKTOP=X-Generic", "DESKTOP_SESSION=gnome"}
            << generic;
    }
    void whichWayXdgOpenTakes() {
        QFETCH(QStringList, environment);
        QFETCH(XdgOpenWay, way);
        QProcessEnvironment values;
        for (const QString& setting : environment)
            values.insert(setting.section(u'=', 0, 0), setting.section(u'=', 1));
        QCOMPARE(xdgOpenWayByEnvironment(values), way);
        QVERIFY(isWebAddress("https://a/b?c") && !isWebAddress("https://a b") &&
                !isWebAddress(QStringLiteral("http://a") + QChar(1)) && !isWebAddress("HTTP://a") &&
                !isWebAddress("ftp://a") && !isWebAddress("http:a"));
    }

    // The command xdg-open's generic way or a desktop's opener runs, found in a temporary home;
    // on a desktop, its own association file names the browser and the common one another.
    // Each look-up runs in a child, for GLib reads the data folders once a process.
    void theDefaultBrowsersCommandIsLookedUpAsXdgOpenDoes_data() {
        QTest::addColumn<QByteArray>("desktop");
        QTest::addColumn<QByteArray>("exec");   // and what follows it in the entry
        QTest::addColumn<QString>("subfolder"); // of the user's applications folder
        QTest::addColumn<QString>("setting"); // file=text in the configuration folder, $NAME=value
        QTest::addColumn<QString>("program"); // as launched; none: not certain
        const QString inPath = QStandardPaths::findExecutable("true");
        const QByteArray plain("true --x %u");
        const QString none;
        QTest::addRow("bare") << QByteArray() << plain << none << none << inPath;
        QTest::addRow("absolute program")
            << QByteArray() << inPath.toUtf8() + " --x %u" << none << none << inPath;
        for (const char* desktop : {"GNOME", "KDE", "XFCE"})
            QTest::addRow("%s", desktop) << QByteArray(desktop) << plain << none << none << inPath;
        QTest::addRow("MATE") << QByteArray("MATE") << plain << none << none << none;
        QTest::addRow("KDE, a browser set")
            << QByteArray("KDE") << plain << none
            << "kdeglobals=[General]\nBrowserApplication=b.desktop\n"
            << none;
        QTest::addRow("GNOME, the portal asked")
            << QByteArray("GNOME") << plain << none << "$GTK_USE_PORTAL=1" << none;
        QTest::addRow("XFCE, its helper set")
            << QByteArray("XFCE") << plain << none << "xfce4/helpers.rc=WebBrowser=b\n"
            << none;
        QTest::addRow("relative program")
            << QByteArray() << QByteArray("bin/true %u") << none << none << none;
        QTest::addRow("searched subfolder") << QByteArray() << plain << "sub" << none << none;
        QTest::addRow("later group")
            << QByteArray()
            << QByteArray("true --x %u\n[Desktop Action new]\nExec=other %U\n"
                          "Terminal=true")
            << none << none << inPath;
        for (const char* key : {"Terminal=true", "DBusActivatable=true", "Path=/"})
            QTest::addRow("%s", key)
                << QByteArray("GNOME") << plain + '\n' + key << none << none << none;
        QTest::addRow("Exec twice")
            << QByteArray() << QByteArray("true --x %u\nExec=true %u") << none << none << none;
        QTest::addRow("escaped blank")
            << QByteArray() << QByteArray("true\\s--x %u") << none << none << none;
        QTest::addRow("named twice") // in the association file
            << QByteArray() << QByteArray("true --x %u\n#") << none << none << none;
    }
    void theDefaultBrowsersCommandIsLookedUpAsXdgOpenDoes() {
        if (ChildTestRun::isChild()) {
            // xdg-utils' own first; then an exact copy of xdg-open or of xdg-mime, or another
            // xdg-open, first: any of them might do anything with an address.
            const QByteArray path = qgetenv("PATH").sliced(qgetenv("PATH").indexOf(':') + 1);
            qputenv("PATH", path);
            QTemporaryDir copies[2];
            QByteArray paths[] = {path, path, path, recorder.binFolder().toUtf8() + ':' + path};
            for (int copy = 0; copy < 2; ++copy) {
                const QString name = copy == 0 ? "xdg-open" : "xdg-mime";
                QFile::copy(QStandardPaths::findExecutable(name), copies[copy].filePath(name));
                paths[copy + 1].prepend(copies[copy].path().toUtf8() + ':');
            }
            for (const QByteArray& first : paths) {
                qputenv("PATH", first);
                const auto command = defaultBrowserCommand();
                std::printf("launch:%s\n",
                            command ? qPrintable(command->launchWith({"a"}).join(' ')) : "");
            }
            return;
        }
        QFETCH(QByteArray, desktop);
        QFETCH(QByteArray, exec);
        QFETCH(QString, subfolder);
        QFETCH(QString, setting);
        QFETCH(QString, program);
        const QByteArray recorderFirst = qgetenv("PATH");
        QTemporaryDir home;
        const QString user = home.path() + "/user/applications/";
        const QString system = home.path() + "/system/applications/";
        QDir().mkpath(user + subfolder);
        writeFixture(system + "test-browser.desktop",
                     "[Desktop Entry]\nType=Application\nName=B\nExec=" + exec + "\n");
        writeFixture(system + "other-browser.desktop",
                     "[Desktop Entry]\nType=Application\nName=O\nExec=false %U\n");
        const QByteArray ownList = desktop.isEmpty() ? QByteArray() : desktop.toLower() + '-';
        writeFixture(home.path() + "/config/" + ownList + "mimeapps.list",
                     "[Default Applications]\nx-scheme-handler/http=test-browser.desktop\n"
                     "x-scheme-handler/https=test-browser.desktop\n" +
                         QByteArray(exec.endsWith('#') ? "X-Scheme-Handler/http=b.desktop\n" : ""));
        if (!desktop.isEmpty())
            writeFixture(home.path() + "/config/mimeapps.list",
                         "[Default Applications]\nx-scheme-handler/http=other-browser.desktop\n"
                         "x-scheme-handler/https=other-browser.desktop\n");
        if (!setting.isEmpty() && !setting.startsWith(u'$'))
            writeFixture(home.path() + "/config/" + setting.section(u'=', 0, 0),
                         setting.section(u'=', 1).toUtf8());
        const std::pair<const char*, QByteArray> settings[] = {
            {"XDG_CURRENT_DESKTOP", desktop},
            {"KDE_SESSION_VERSION", "5"},
            {"DISPLAY", ":nowhere"},
            {"XDG_CONFIG_HOME", (home.path() + "/config").toUtf8()},
            {"XDG_DATA_HOME", (home.path() + "/user").toUtf8()},
            {"XDG_DATA_DIRS", (home.path() + "/system").toUtf8()},
            {"DBUS_SESSION_BUS_ADDRESS", "unix:path=/nowhere"},
            {"PATH", recorderFirst.sliced(recorderFirst.indexOf(':') + 1)}};
        ScopedEnvironment environment;
        for (const auto& [name, value] : settings)
            environment.set(name, value);
        if (setting.startsWith(u'$'))
            environment.set(qPrintable(setting.sliced(1).section(u'=', 0, 0)),
                            setting.section(u'=', 1).toUtf8());
        ChildTestRun child(ChildTestRun::thisCase(), home.path());
        environment.restore();
        QVERIFY2(child.finishWithin(20000), child.output().constData());
        QStringList launches;
        for (const QByteArray& line : child.output().split('\n'))
            if (line.startsWith("launch:"))
                launches.append(QString::fromUtf8(line.sliced(7)));
        const QString launch = program.isEmpty() ? QString() : program + " --x a";
        QCOMPARE(launches, QStringList({launch, "", "", ""}));
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
        ScopedEnvironment environment("DISPLAY", ":" + QByteArray::number(number));
        XdgShell shell(std::chrono::milliseconds(300));
        shell.open(QStringLiteral("http://ok/display"));
        environment.restore();
        QTRY_VERIFY_WITH_TIMEOUT(shell.handOffFinished(), 10000);
        QFile::remove(QString::fromLatin1(path));
    }
};

QTEST_GUILESS_MAIN(TestXdgShell)
#include "test_xdg_shell.moc"
