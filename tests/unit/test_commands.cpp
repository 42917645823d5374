// The window's commands run without widgets: a fake view, the real list, real settings files
// and fake dialogs. The same commands run through the real window in tests/gui and tests/e2e.
#include "FakeCommandView.h"
#include "TestPlatform.h"
#include "base/ErrorTrap.h"
#include "commands/ListEditing.h"
#include "commands/ListPersistence.h"
#include "commands/OpeningRun.h"
#include "list/WebsiteList.h"

#include <QDateTime>
#include <QTest>
#include <QTimer>

namespace {

class CommandFixture {
public:
    TestPlatform env;
    FakeCommandView view;
    WebsiteList list;
    ErrorTrap trap{QStringLiteral("Form1.Command"), env.dialogs};

    void run(const QString& count) {
        view.count = count;
        openRandomWebsites(list, view, env.dialogs, QStringLiteral("Corvantis"),
                           {env.shell, env.random, env.clock}, trap);
    }
};

} // namespace

class TestCommands : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { QLocale::setDefault(QLocale(QStringLiteral("en_US"))); }

    void theRunShowsProgressPerPickAndEndsIdle() {
        CommandFixture fixture;
        appendAll(fixture.list, {"http://a", "http://b", "http://c", "http://d"});
        fixture.env.random.draws = {0.0, 0.99, 0.5};
        fixture.view.onYield = [&] { QCOMPARE(fixture.view.pointer, PointerState::Busy); };
        fixture.run(QStringLiteral("3"));

        QCOMPARE(fixture.env.shell.opened, (QStringList{"http://a", "http://d", "http://c"}));
        QCOMPARE(fixture.view.yields, 3);
        QCOMPARE(fixture.view.progressValues,
                 (std::vector<double>{1.0 / 3 * 100, 2.0 / 3 * 100, 3.0 / 3 * 100, 0}));
        QCOMPARE(fixture.view.pointer, PointerState::Default);
        QCOMPARE(fixture.view.progressText, QString(CommandView::idleProgressText));
        QVERIFY(fixture.env.dialogs.reports.empty());
        QVERIFY(fixture.env.dialogs.notices.empty()); // all opened: nothing to say
    }

    void aCloseDuringTheRunStopsItAndLeavesTheViewAlone() {
        CommandFixture fixture;
        appendAll(fixture.list, {"http://a"});
        fixture.view.onYield = [&] { fixture.view.closing = fixture.view.yields == 2; };
        fixture.run(QStringLiteral("5"));
        QCOMPARE(fixture.env.shell.opened.size(), 1);
        QCOMPARE(fixture.view.pointer, PointerState::Busy); // the window is going away
    }

    void eachPickWaitsForThePreviousHandOffAndACloseEndsTheWait() {
        CommandFixture fixture;
        appendAll(fixture.list, {"http://a"});
        FakeShell& shell = fixture.env.shell;
        // Each hand-off finishes once the event loop has run: the next pick waits for that.
        shell.onOpen = [&](const QString&) {
            shell.finished = false;
            QTimer::singleShot(0, [&] { shell.finished = true; });
        };
        fixture.run(QStringLiteral("3"));
        QCOMPARE(shell.opened.size(), 3);
        QVERIFY(fixture.view.waits >= 3); // the last hand-off is waited for too
        QCOMPARE(fixture.view.pointer, PointerState::Default);

        // A hand-off that never finishes: the window's close ends the wait, and nothing more opens.
        shell.opened.clear();
        shell.onOpen = [&](const QString&) {
            shell.finished = false;
            QTimer::singleShot(0, [&] { fixture.view.closing = true; });
        };
        fixture.run(QStringLiteral("3"));
        QCOMPARE(shell.opened.size(), 1);
    }

    void entriesReadAsOptionsAreSkippedAndToldOnceAtTheEnd() {
        CommandFixture fixture;
        appendAll(fixture.list, {"-x", "http://a"});
        fixture.env.random.draws = {0.0, 0.99, 0.0};
        fixture.run(QStringLiteral("3"));
        QCOMPARE(fixture.env.shell.opened, QStringList{"http://a"});
        QCOMPARE(fixture.env.dialogs.notices.size(), size_t(1));
        const FakeDialogs::Notice& notice = fixture.env.dialogs.notices.front();
        QVERIFY2(notice.text.startsWith(QStringLiteral("Not opened: 2 of 3 picks")),
                 qPrintable(notice.text));
        QVERIFY(notice.text.endsWith(QStringLiteral("\n-x")));
        QCOMPARE(notice.caption, QStringLiteral("Corvantis"));
        QVERIFY(fixture.env.dialogs.reports.empty());
        QCOMPARE(fixture.view.pointer, PointerState::Default);

        // A long entry is named by its start: the box must not lay out megabytes of text.
        fixture.list.clear();
        appendAll(fixture.list, {QLatin1Char('-') + QString(1 << 20, QLatin1Char('y'))});
        fixture.run(QStringLiteral("1"));
        QVERIFY(fixture.env.dialogs.notices.back().text.size() < 1000);
    }

    void entriesHoldingANulAndFailedHandOffsAreToldInTheSameNotice() {
        CommandFixture fixture;
        appendAll(fixture.list, {QStringLiteral("ht") + QChar(0) + "tp://a", "http://b"});
        fixture.env.random.draws = {0.0, 0.99};
        fixture.env.shell.failures = {1, QStringLiteral("xdg-open: no method available")};
        fixture.run(QStringLiteral("2"));
        QCOMPARE(fixture.env.shell.opened, QStringList{"http://b"});
        QCOMPARE(fixture.env.dialogs.notices.size(), size_t(1));
        QCOMPARE(fixture.env.dialogs.notices.front().text,
                 QStringLiteral("Not opened: 1 of 2 picks, whose entry holds a NUL character, at "
                                "which the address handed over would end. The first was:\n"
                                "ht\u2400tp://a\n\nCould not be opened: 1 of 2 picks. The first "
                                "failure said:\nxdg-open: no method available"));
        // Each line the launcher wrote is shortened on its own: the last one is told too.
        fixture.env.shell.failures = {1, QString(300, u'x') + "\nno method available"};
        fixture.run(QStringLiteral("1"));
        QVERIFY(fixture.env.dialogs.notices.back().text.endsWith("\u2026\nno method available"));
    }

    void aCountThatIsNoNumberIsReportedAndTheRunEnds() {
        CommandFixture fixture;
        appendAll(fixture.list, {"http://a"});
        fixture.run(QStringLiteral("many"));
        QCOMPARE(fixture.env.dialogs.reportPlaces(), QStringList{"Form1.Command 104"});
        QVERIFY(fixture.env.shell.opened.isEmpty());
        QCOMPARE(fixture.view.pointer, PointerState::Default);
    }

    void editingWaitsForTheBusyPointerAndTheSelection() {
        CommandFixture fixture;
        appendAll(fixture.list, {"a", "b", "c"});
        fixture.view.pointer = PointerState::Busy;
        fixture.view.selected = 1;
        clearAllWebsites(fixture.list, fixture.view, fixture.trap);
        deleteSelectedUnlessBusy(fixture.list, fixture.view);
        QCOMPARE(fixture.list.count(), 3);

        fixture.view.pointer = PointerState::Default;
        deleteSelectedUnlessBusy(fixture.list, fixture.view);
        QCOMPARE(entriesOf(fixture.list), (QStringList{"a", "c"}));
        fixture.view.selected.reset();
        deleteSelectedWebsite(fixture.list, fixture.view, fixture.trap);
        QCOMPARE(fixture.env.dialogs.reportPlaces(), QStringList{"Form1.Command 102"});
        clearAllWebsites(fixture.list, fixture.view, fixture.trap);
        QCOMPARE(fixture.list.count(), 0);
    }

    void theListSurvivesASaveAndARestore() {
        CommandFixture fixture;
        appendAll(fixture.list, {"http://a", "b"});
        saveWebsiteList(fixture.list, fixture.view, fixture.env.settings, fixture.trap, {});
        QCOMPARE(fixture.env.storedSetting(QStringLiteral("Websites")), QByteArray("http://a;b"));
        QCOMPARE(fixture.view.yields, 1);

        WebsiteList restored;
        QVERIFY(restoreWebsiteList(restored, fixture.env.settings, fixture.trap).restoredInFull);
        QCOMPARE(entriesOf(restored), entriesOf(fixture.list));
        QVERIFY(fixture.env.dialogs.reports.empty());
    }

    void aStoredListThatCannotBeReadNamesTheNewestListsKeptBeside() {
        CommandFixture fixture;
        fixture.env.settings = SettingsStore(fixture.env.configFolder.path(), 1); // too large
        for (const QString& key : QStringList{"Websites", "Websites.new"})
            fixture.env.storeSetting(key, "a;b");
        for (int number = 2; number <= 12; ++number)
            fixture.env.storeSetting(QStringLiteral("Websites.new-%1").arg(number), "n");
        restoreWebsiteList(fixture.list, fixture.env.settings, fixture.trap);
        const QString kept = fixture.env.settingPath(QStringLiteral("Websites.new"));
        QVERIFY(fixture.env.dialogs.reports.at(0).description().endsWith(
            QStringLiteral(" beside it: the newest in %1-10, %1-11, %1-12; 9 older ones in %2, "
                           "from Websites.new to Websites.new-9.")
                .arg(kept, QFileInfo(kept).absolutePath())));
    }

    void aStoredListChangedMeanwhileIsKeptBesideTheSavedOne_data() {
        QTest::addColumn<bool>("copyCanBeKept");
        QTest::addColumn<QByteArray>("changedTo");
        QTest::addColumn<QByteArray>("earlierBeside");
        QTest::addColumn<QByteArray>("stored");
        QTest::addColumn<QByteArray>("savedBeside");
        QTest::addColumn<QString>("reportEnd");
        QTest::newRow("copy kept") << true << QByteArray("changed by hand") << QByteArray()
                                   << QByteArray("a;b") << QByteArray()
                                   << "A copy of it is in %1.bak-2. This session's list was saved "
                                      "in its place.";
        QTest::newRow("no copy: left as it was")
            << false << QByteArray("changed by hand") << QByteArray() << QByteArray()
            << QByteArray("a;b")
            << ". It was left as it was. This session's list was saved as %1.new.";
        QTest::newRow("an earlier session's list beside is kept too")
            << false << QByteArray("changed by hand") << QByteArray("earlier") << QByteArray()
            << QByteArray("a;b")
            << ". It was left as it was. This session's list was saved as %1.new-2.";
        QTest::newRow("a link to nothing beside is not written through")
            << false << QByteArray("changed by hand") << QByteArray("<link to nothing>")
            << QByteArray() << QByteArray("a;b") << ". This session's list was saved as %1.new-2.";
        QTest::newRow("same size")
            << true << QByteArray("c") << QByteArray() << QByteArray("a;b") << QByteArray()
            << "A copy of it is in %1.bak-2. This session's list was saved "
               "in its place.";
        // Rewritten as it was (touched): nothing to keep, nothing to report.
        QTest::newRow("only touched") << true << QByteArray("a") << QByteArray()
                                      << QByteArray("a;b") << QByteArray() << QString();
    }
    void aStoredListChangedMeanwhileIsKeptBesideTheSavedOne() {
        QFETCH(bool, copyCanBeKept);
        QFETCH(QByteArray, changedTo);
        QFETCH(QByteArray, earlierBeside);
        QFETCH(QString, reportEnd);
        CommandFixture fixture;
        fixture.env.storeSetting(QStringLiteral("Websites"), "a");
        fixture.env.storeSetting(QStringLiteral("Websites.bak"), "earlier copy"); // stays
        if (earlierBeside == "<link to nothing>")
            QVERIFY(QFile::link(fixture.env.settingPath(QStringLiteral("nothing")),
                                fixture.env.settingPath(QStringLiteral("Websites.new"))));
        else if (!earlierBeside.isEmpty())
            fixture.env.storeSetting(QStringLiteral("Websites.new"), earlierBeside);
        const StoredListAtStart atStart =
            restoreWebsiteList(fixture.list, fixture.env.settings, fixture.trap);
        fixture.list.append(QStringLiteral("b"));
        fixture.env.storeSetting(QStringLiteral("Websites"), changedTo);
        QFile changed(fixture.env.settingPath(QStringLiteral("Websites")));
        QVERIFY(changed.open(QIODevice::ReadWrite) &&
                changed.setFileTime(QDateTime::currentDateTime().addDays(1),
                                    QFileDevice::FileModificationTime));
        if (!copyCanBeKept) // reading it fails, as root too: no address 0 is mapped
            QVERIFY(changed.remove() && QFile::link("/proc/self/mem", changed.fileName()));
        saveWebsiteList(fixture.list, fixture.view, fixture.env.settings, fixture.trap, atStart);
        QTEST(fixture.env.storedSetting(QStringLiteral("Websites")), "stored");
        QTEST(fixture.env.storedSetting(earlierBeside.isEmpty() ? QStringLiteral("Websites.new")
                                                                : QStringLiteral("Websites.new-2")),
              "savedBeside");
        if (fixture.env.hasSetting(QStringLiteral("Websites.new")) && !earlierBeside.isEmpty())
            QCOMPARE(fixture.env.storedSetting(QStringLiteral("Websites.new")), earlierBeside);
        QCOMPARE(fixture.env.storedSetting(QStringLiteral("Websites.bak")), "earlier copy");
        QCOMPARE(fixture.env.storedSetting(QStringLiteral("Websites.bak-2")),
                 copyCanBeKept && !reportEnd.isEmpty() ? changedTo : QByteArray());
        QCOMPARE(fixture.env.dialogs.reports.empty(), reportEnd.isEmpty());
        if (reportEnd.isEmpty())
            return;
        const QString report = fixture.env.dialogs.reports.at(0).description();
        const QString stored = fixture.env.settingPath(QStringLiteral("Websites"));
        QVERIFY2(report.startsWith(QStringLiteral("The stored list %1 was changed by another "
                                                  "program after Corvantis read it at start-up. ")
                                       .arg(stored)) &&
                     report.endsWith(reportEnd.arg(stored)),
                 qPrintable(report));
    }
};

QTEST_GUILESS_MAIN(TestCommands)
#include "test_commands.moc"
