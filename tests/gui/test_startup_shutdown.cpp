#include "Form1Controls.h"
#include "WindowUnderTest.h"
#include "ui/ProgressBar.h"

#include <QDir>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTest>

class StartupShutdownTest : public QObject {
    Q_OBJECT

private slots:
    void firstStartShowsAnEmptyListAndStoresTheDefaultCount() {
        WindowUnderTest fixture;
        Form1& w = fixture.load();
        QCOMPARE(w.websiteList().count(), 0);
        QCOMPARE(countBox(w)->text(), QStringLiteral("3"));
        QCOMPARE(fixture.env.storedSetting("No of Websites"), QByteArray("3"));
        QVERIFY(fixture.env.dialogs.reports.empty());
    }

    void countBoxIsStoredAtEveryChangeAndComesBackAsTyped() {
        WindowUnderTest fixture;
        fixture.env.storeSetting("No of Websites", "lots");
        Form1& w = fixture.load();
        QCOMPARE(countBox(w)->text(), QStringLiteral("lots"));
        countBox(w)->clear();
        QCOMPARE(fixture.env.storedSetting("No of Websites"), QByteArray());
        countBox(w)->setText("12,5 x");
        QCOMPARE(fixture.env.storedSetting("No of Websites"), QByteArray("12,5 x"));
    }

    void listIsRestoredAndSavedAtClose() {
        WindowUnderTest fixture;
        fixture.env.storeSetting("Websites", ";;site-a; site b ;;site-a;");
        Form1& w = fixture.load();
        QCOMPARE(w.websiteList().count(), 3);
        QCOMPARE(w.websiteList().text(1), QStringLiteral(" site b "));
        w.websiteList().append("");
        w.websiteList().append("c");
        QSignalSpy unloaded(&w, &Form1::unloaded);
        QVERIFY(w.close());
        QCOMPARE(unloaded.count(), 1);
        QCOMPARE(fixture.env.storedSetting("Websites"), QByteArray("site-a; site b ;site-a;;c"));
        QVERIFY(w.isClosing());
        w.close(); // a second request does not save or end twice
        QCOMPARE(unloaded.count(), 1);
    }

    void emptiedListIsStoredEmpty() {
        WindowUnderTest fixture;
        fixture.env.storeSetting("Websites", "a;b");
        Form1& w = fixture.load();
        w.websiteList().clear();
        w.close();
        QVERIFY(fixture.env.hasSetting("Websites"));
        QCOMPARE(fixture.env.storedSetting("Websites"), QByteArray());
    }

    void unreadableStoredListIsReportedAndKeptAsBackupAtClose() {
        WindowUnderTest fixture;
        // The stored list cannot be read: a folder stands where its file must be.
        const QString websites = fixture.env.settingPath("Websites");
        QVERIFY(QDir().mkpath(websites));
        QVERIFY(QFile(websites + "/inside").open(QIODevice::WriteOnly));
        fixture.env.storeSetting("No of Websites", "7");
        Form1& w = fixture.load();
        QCOMPARE(fixture.env.dialogs.reportPlaces(), QStringList{"Form1.Form_Load 132"});
        QCOMPARE(countBox(w)->text(), QStringLiteral("7")); // start-up went on after the report
        w.websiteList().append("new");
        w.close();
        // The folder cannot be replaced by the save: reported, and nothing of it is lost.
        QCOMPARE(fixture.env.dialogs.reportPlaces().last(),
                 QStringLiteral("Form1.Form_QueryUnload 110"));
        QVERIFY(!fixture.env.dialogs.reports.back().description().contains("A copy of it is in"));
        QVERIFY(QFile::exists(websites + "/inside"));
    }

    void listThatFailedToLoadIsKeptAndTheSessionSavedBeside() {
        WindowUnderTest fixture;
        // A store that reads at most 8 bytes: the stored list is too large to load.
        fixture.env.settings = SettingsStore(fixture.env.configFolder.path(), 8);
        fixture.env.storeSetting("Websites", "kept-a;kept-b");
        Form1& w = fixture.load();
        QCOMPARE(fixture.env.dialogs.reportPlaces(), QStringList{"Form1.Form_Load 132"});
        QVERIFY(fixture.env.dialogs.reports.at(0).description().contains("larger than 8 bytes"));
        QCOMPARE(w.websiteList().count(), 0);
        w.websiteList().append("new");
        w.close();
        QCOMPARE(fixture.env.storedSetting("Websites.bak"), QByteArray("kept-a;kept-b"));
        // Not written over: the session's list goes beside it, and one report says where.
        QCOMPARE(fixture.env.storedSetting("Websites"), QByteArray("kept-a;kept-b"));
        QCOMPARE(fixture.env.storedSetting("Websites.new"), QByteArray("new"));
        QCOMPARE(fixture.env.dialogs.reportPlaces().mid(1),
                 QStringList{"Form1.Form_QueryUnload 110"});
        QVERIFY(fixture.env.dialogs.reports.at(1).description().contains("Websites.new"));
    }

    void settingsFolderThatCannotBeWrittenIsReportedAtClose() {
        WindowUnderTest fixture;
        fixture.env.storeSetting("Websites", "old");
        Form1& w = fixture.load();
        // The program's section folder turned into a file: the new list cannot be written.
        const QString section = QFileInfo(fixture.env.settingPath("Websites")).absolutePath();
        QVERIFY(QDir(section).removeRecursively());
        QFile blocker(section);
        QVERIFY(blocker.open(QIODevice::WriteOnly));
        blocker.close();
        w.websiteList().append("new");
        QSignalSpy unloaded(&w, &Form1::unloaded);
        w.close();
        QCOMPARE(unloaded.count(), 1); // the window still closes
        QCOMPARE(fixture.env.dialogs.reportPlaces(), QStringList{"Form1.Form_QueryUnload 110"});
        QVERIFY(fixture.env.dialogs.reports.at(0).description().contains("Websites"));
    }

    void closeRequestDuringStartUpWaitsForTheListAndKeepsIt() {
        WindowUnderTest fixture;
        fixture.env.storeSetting("Websites", "kept-a;kept-b");
        // A skin that is not a style sheet: start-up shows a report before the list is
        // restored, and the session ends while it is open.
        fixture.env.placeInProgramFolder("x/o.cjs", "QWidget { color: red;");
        fixture.env.dialogs.whileReportShown = [&] { fixture.window().close(); };
        Form1& w = fixture.load();
        QCOMPARE(fixture.env.dialogs.reportPlaces(), QStringList{"Form1.Form_Load 100"});
        QVERIFY(w.isClosing()); // closed once start-up was done
        QCOMPARE(w.websiteList().count(), 2);
        QCOMPARE(fixture.env.storedSetting("Websites"), QByteArray("kept-a;kept-b"));
    }

    void millionEntriesSaveAndRestoreWhole() {
        const QByteArray stored = storedListOf(1'000'000);
        WindowUnderTest fixture;
        fixture.env.storeSetting("Websites", stored);
        Form1& w = fixture.load();
        QCOMPARE(w.websiteList().count(), 1'000'000);
        QCOMPARE(w.websiteList().text(999'999), QStringLiteral("https://example.org/page/999999"));
        w.close();
        QCOMPARE(fixture.env.storedSetting("Websites"), stored);
    }
};

QTEST_MAIN(StartupShutdownTest)
#include "test_startup_shutdown.moc"
