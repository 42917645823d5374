#include "Form1Controls.h"
#include "WindowUnderTest.h"
#include "ui/ProgressBar.h"
#include "ui/WebsiteListView.h"

#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTimer>
#include <QtTest>

namespace {

// What the window showed at one hand-off to the shell.
struct OpenSeen {
    QString address;
    double progress;
    PointerState pointer;
};

// A real window with a list and a count, whose shell records what the window showed at each open.
class RunFixture : public WindowUnderTest {
public:
    std::vector<OpenSeen> seen;

    Form1& start(const QStringList& entries, const QString& count) {
        Form1& form = load();
        form.show();
        for (const QString& entry : entries)
            form.websiteList().append(entry);
        countBox(form)->setText(count);
        env.shell.onOpen = [this, &form](const QString& address) {
            seen.push_back({address, progressBar(form)->exactValue(), form.pointerState()});
        };
        return form;
    }
    // Runs once during the run's next yield, as a person acting while the run goes on.
    void duringNextYield(std::function<void()> action) {
        QTimer::singleShot(0, &window(), std::move(action));
    }
    QStringList reportPlaces() const { return env.dialogs.reportPlaces(); }
};

bool endedIdle(Form1& form) {
    return form.pointerState() == PointerState::Default && progressBar(form)->exactValue() == 0.0 &&
           progressBar(form)->barText() == QStringLiteral("Progress Bar");
}

} // namespace

class TestOpeningRun : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { QLocale::setDefault(QLocale(QStringLiteral("en_US"))); }

    void opensNPickedEntriesWithProgressBeforeEachOpen() {
        RunFixture fixture;
        Form1& form = fixture.start({"http://a", "http://b c", "http://d"}, "4");
        fixture.env.random.draws = {0.0, 0.5, 0.99, 0.34};
        startButton(form)->click();

        QCOMPARE(fixture.env.shell.opened,
                 (QStringList{"http://a", "http://b c", "http://d", "http://b c"}));
        QCOMPARE(fixture.seen.size(), size_t(4));
        for (size_t pick = 0; pick < 4; ++pick) {
            QCOMPARE(fixture.seen[pick].progress, double(pick + 1) * 25.0);
            QCOMPARE(fixture.seen[pick].pointer, PointerState::Busy);
        }
        QCOMPARE(fixture.env.random.seeds.size(), size_t(4)); // reseeded before every pick
        QVERIFY(endedIdle(form));
        QVERIFY(fixture.reportPlaces().isEmpty());
    }

    void countFollowsTheLocaleAndRoundsHalvesToEven_data() {
        QTest::addColumn<QString>("count");
        QTest::addColumn<int>("opened");
        QTest::newRow("2.5") << "2.5" << 2;
        QTest::newRow("3.5") << "3.5" << 4;
        QTest::newRow("zero") << "0" << 0;
        QTest::newRow("negative") << "-4" << 0;
        QTest::newRow("above the list size") << "7" << 7;
    }
    void countFollowsTheLocaleAndRoundsHalvesToEven() {
        QFETCH(QString, count);
        QFETCH(int, opened);
        RunFixture fixture;
        Form1& form = fixture.start({"http://a", "http://b"}, count);
        startButton(form)->click();
        QCOMPARE(fixture.env.shell.opened.size(), opened);
        QVERIFY(endedIdle(form));
        QVERIFY(fixture.reportPlaces().isEmpty());
    }

    void oneEntryOpensThreeTimes() {
        RunFixture fixture;
        Form1& form = fixture.start({"http://only"}, "3");
        fixture.env.random.draws = {0.0, 0.7, 0.999};
        startButton(form)->click();
        QCOMPARE(fixture.env.shell.opened, QStringList(3, "http://only"));
    }

    void emptyListOnlyNotifies() {
        RunFixture fixture;
        Form1& form = fixture.start({}, "not a number");
        form.setProgressValue(40.0);
        startButton(form)->click();

        QCOMPARE(fixture.env.dialogs.notices.size(), size_t(1));
        QCOMPARE(fixture.env.dialogs.notices[0].text, QStringLiteral("No Websites added."));
        QCOMPARE(fixture.env.dialogs.notices[0].caption, form.appTitle());
        QVERIFY(fixture.reportPlaces().isEmpty()); // the count was not converted
        QCOMPARE(form.pointerState(), PointerState::Default);
        QCOMPARE(progressBar(form)->exactValue(), 40.0);
    }

    void badCountReportsOnceAndEndsIdle_data() {
        QTest::addColumn<QString>("count");
        QTest::addColumn<QString>("description");
        QTest::newRow("empty") << ""
                               << "Type mismatch";
        QTest::newRow("letters") << "lots"
                                 << "Type mismatch";
        QTest::newRow("beyond 32 bits") << "3000000000"
                                        << "Overflow";
    }
    void badCountReportsOnceAndEndsIdle() {
        QFETCH(QString, count);
        QFETCH(QString, description);
        RunFixture fixture;
        Form1& form = fixture.start({"http://a"}, count);
        startButton(form)->click();

        QCOMPARE(fixture.reportPlaces(), QStringList{"Form1.PushButton2_Click 104"});
        QCOMPARE(fixture.env.dialogs.reports[0].description(), description);
        QVERIFY(fixture.env.shell.opened.isEmpty());
        QVERIFY(endedIdle(form));
    }

    void listEmptiedDuringAYieldReportsOnceAndEnds() {
        RunFixture fixture;
        Form1& form = fixture.start({"http://last"}, "50");
        fixture.env.shell.onOpen = [&](const QString&) {
            fixture.duringNextYield([&] {
                websiteListView(form)->setCurrentIndex(form.websiteList().index(0, 0));
                deleteSelectedButton(form)->click(); // Delete Selected works during a run
            });
        };
        startButton(form)->click();

        QCOMPARE(fixture.env.shell.opened, QStringList{"http://last"});
        QCOMPARE(fixture.reportPlaces(), QStringList{"Form1.PushButton2_Click 112"});
        QVERIFY(endedIdle(form));
    }

    void shrunkListGoesOnWithTheEntriesLeft() {
        RunFixture fixture;
        Form1& form = fixture.start({"http://a", "http://b", "http://c"}, "3");
        fixture.env.random.draws = {0.99};
        fixture.duringNextYield([&] {
            websiteListView(form)->setCurrentIndex(form.websiteList().index(2, 0));
            deleteSelectedButton(form)->click();
        });
        startButton(form)->click();
        QCOMPARE(fixture.env.shell.opened, QStringList(3, "http://b"));
        QVERIFY(fixture.reportPlaces().isEmpty());
    }

    void addedEntryIsSeenByTheNextPick() {
        RunFixture fixture;
        Form1& form = fixture.start({"http://a"}, "2");
        fixture.env.random.draws = {0.99};
        fixture.env.dialogs.inputAnswers.enqueue("new.example");
        fixture.duringNextYield([&] { addButton(form)->click(); });
        startButton(form)->click();
        QCOMPARE(fixture.env.shell.opened, QStringList(2, "http://new.example"));
    }

    void clearDoesNothingDuringARun() {
        RunFixture fixture;
        Form1& form = fixture.start({"http://a", "http://b"}, "2");
        fixture.duringNextYield([&] { clearAllButton(form)->click(); });
        startButton(form)->click();
        QCOMPARE(form.websiteList().count(), 2);
        QCOMPARE(fixture.env.shell.opened.size(), 2);
    }

    // A second press runs a whole nested run with the count as it is then; the outer run keeps
    // its own count and goes on without the busy pointer.
    void nestedRunAndTypingDuringARun() {
        RunFixture fixture;
        Form1& form = fixture.start({"http://a"}, "2");
        fixture.duringNextYield([&] {
            countBox(form)->setText("3");
            startButton(form)->click();
        });
        startButton(form)->click();

        QCOMPARE(fixture.env.shell.opened.size(), 5);
        std::vector<PointerState> pointers;
        for (const OpenSeen& open : fixture.seen)
            pointers.push_back(open.pointer);
        const auto busy = PointerState::Busy, idle = PointerState::Default;
        QCOMPARE(pointers, (std::vector<PointerState>{busy, busy, busy, idle, idle}));
        QCOMPARE(fixture.env.storedSetting("No of Websites"), QByteArray("3"));
        QVERIFY(endedIdle(form));
    }

    void closingDuringAYieldStopsTheRun() {
        RunFixture fixture;
        Form1& form = fixture.start({"http://a", "http://b"}, "10");
        QSignalSpy unloaded(&form, &Form1::unloaded);
        fixture.env.shell.onOpen = [&](const QString&) {
            fixture.duringNextYield([&] { form.close(); });
        };
        startButton(form)->click();

        QCOMPARE(fixture.env.shell.opened.size(), 1);
        QCOMPARE(unloaded.count(), 1);
        QCOMPARE(fixture.env.storedSetting("Websites"), QByteArray("http://a;http://b"));
    }
};

QTEST_MAIN(TestOpeningRun)
#include "test_opening_run.moc"
