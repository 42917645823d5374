// "Load Default List" through the real reader program, on databases written by jetwrite into a
// temporary program folder.

#include "Form1Controls.h"
#include "JetFixtures.h"
#include "TestFiles.h"
#include "WindowUnderTest.h"
#include "list/AddPrefixIfMissing.h"
#include "list/DefaultListReader.h"

#include <QDir>
#include <QPushButton>
#include <QTest>

using namespace jetfixtures;

namespace {

const QString place = QStringLiteral("Form1.PushButton4_Click %1");

QByteArray fileContents(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QStringList prefixed(const QStringList& urls) {
    QStringList texts;
    for (const QString& url : urls)
        texts.append(Main::AddPrefixIfMissing(url));
    return texts;
}

} // namespace

class TestDefaultList : public QObject {
    Q_OBJECT

    // A window whose program folder holds the reader and, unless empty, this database.
    static Form1& windowWith(WindowUnderTest& test, const QByteArray& database) {
        if (!installReader(test.env.programFolder.path()))
            qFatal("cannot install the reader");
        if (!database.isEmpty())
            test.env.placeInProgramFolder(QStringLiteral("websites.mdb"), database);
        return test.load();
    }

private slots:
    void missingDatabaseIsNamedInANotice() {
        WindowUnderTest test;
        Form1& window = windowWith(test, {});
        window.websiteList().append(QStringLiteral("kept"));
        loadDefaultListButton(window)->click();
        QCOMPARE(test.env.dialogs.notices.size(), size_t(1));
        QCOMPARE(test.env.dialogs.notices[0].text,
                 test.env.programFolder.path() + QStringLiteral("/websites.mdb not found."));
        QCOMPARE(test.env.dialogs.notices[0].caption, window.appTitle());
        QVERIFY(test.env.dialogs.reports.empty());
        QCOMPARE(entriesOf(window.websiteList()), QStringList{QStringLiteral("kept")});
    }

    void folderNamedLikeTheDatabaseIsNotTheDatabase() {
        WindowUnderTest test;
        Form1& window = windowWith(test, {});
        QVERIFY(QDir(test.env.programFolder.path()).mkdir(QStringLiteral("websites.mdb")));
        loadDefaultListButton(window)->click();
        QCOMPARE(test.env.dialogs.notices.size(), size_t(1));
        QCOMPARE(window.websiteList().count(), 0);
    }

    void deviceNamedLikeTheDatabaseIsSaidToBeNoRegularFile() {
        WindowUnderTest test;
        Form1& window = windowWith(test, {});
        const QString database = test.env.programFolder.filePath(QStringLiteral("websites.mdb"));
        QVERIFY(QFile::link(QStringLiteral("/dev/zero"), database));
        loadDefaultListButton(window)->click();
        QCOMPARE(test.env.dialogs.reportPlaces(), QStringList{place.arg(100)});
        QCOMPARE(test.env.dialogs.reports[0].description(),
                 QStringLiteral("Cannot read %1: it is not a regular file").arg(database));
        QVERIFY(test.env.dialogs.notices.empty());
    }

    void addressesGetThePrefixWhereTheyHaveNoScheme() {
        WindowUnderTest test;
        Form1& window = windowWith(
            test, websites({QStringLiteral("http://example.com"), QStringLiteral("example.org"),
                            QStringLiteral("https://example.net"), QString(),
                            QStringLiteral("  blanks kept  ")}));
        loadDefaultListButton(window)->click();
        QCOMPARE(
            entriesOf(window.websiteList()),
            (QStringList{QStringLiteral("http://example.com"), QStringLiteral("http://example.org"),
                         QStringLiteral("https://example.net"), QStringLiteral("http://"),
                         QStringLiteral("http://  blanks kept  ")}));
        QVERIFY(test.env.dialogs.reports.empty());
        QVERIFY(test.env.dialogs.notices.empty());
    }

    void loadingTwiceAppendsTwiceBehindTheEntriesAlreadyThere() {
        const QStringList urls{QStringLiteral("http://a.example"),
                               QStringLiteral("http://b.example")};
        WindowUnderTest test;
        Form1& window = windowWith(test, websites(urls));
        window.websiteList().append(QStringLiteral("http://mine.example"));
        loadDefaultListButton(window)->click();
        loadDefaultListButton(window)->click();
        QCOMPARE(entriesOf(window.websiteList()),
                 QStringList{QStringLiteral("http://mine.example")} + urls + urls);
    }

    void emptyTableAddsNothingAndSaysNothing() {
        WindowUnderTest test;
        Form1& window = windowWith(test, websites({}));
        loadDefaultListButton(window)->click();
        QCOMPARE(window.websiteList().count(), 0);
        QVERIFY(test.env.dialogs.reports.empty());
        QVERIFY(test.env.dialogs.notices.empty());
    }

    void nullsAreReportedOnceAndTheNextRecordsStillCome_data() {
        QTest::addColumn<int>("nulls");
        QTest::addColumn<QString>("description");
        QTest::newRow("one") << 1 << QStringLiteral("Invalid use of Null");
        QTest::newRow("300") << 300
                             << QStringLiteral(
                                    "Invalid use of Null (300 records without an address)");
    }
    void nullsAreReportedOnceAndTheNextRecordsStillCome() {
        QFETCH(int, nulls);
        QFETCH(QString, description);
        QStringList rows{QStringLiteral("http://before.example")};
        for (int i = 0; i < nulls; ++i)
            rows += {null, QStringLiteral("http://after%1.example").arg(i)};
        WindowUnderTest test;
        Form1& window = windowWith(test, websites(rows));
        loadDefaultListButton(window)->click();
        QCOMPARE(test.env.dialogs.reportPlaces(), QStringList{place.arg(114)});
        QCOMPARE(test.env.dialogs.reports[0].description(), description);
        rows.removeAll(null);
        QCOMPARE(entriesOf(window.websiteList()), rows);
    }

    void tableWithoutUrlFieldGivesOneReportAndNothing() {
        WindowUnderTest test;
        Form1& window = windowWith(
            test, writeWith({QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("c")},
                            {QStringLiteral("--column"), QStringLiteral("address:text")})
                      .database);
        loadDefaultListButton(window)->click();
        QCOMPARE(test.env.dialogs.reportPlaces(), QStringList{place.arg(114)});
        QCOMPARE(window.websiteList().count(), 0);
    }

    void databaseThatCannotBeReadGivesOneReport_data() {
        QTest::addColumn<QByteArray>("database");
        QTest::addColumn<int>("statement");
        QTest::newRow("not a database") << QByteArray("plain text, not a database\n") << 108;
        QTest::newRow("no tblWebsites")
            << writeWith({QStringLiteral("http://x.example")},
                         {QStringLiteral("--table"), QStringLiteral("Other")})
                   .database
            << 110;
        // Files that crash libmdb 1.0.0 (found by fuzzing): an empty usage map row.
        const QString corpus = qEnvironmentVariable("CORVANTIS_SOURCE_DIR") +
                               QStringLiteral("/fuzz/corpus/mdb_reader/");
        QTest::newRow("catalog without usage map")
            << fileContents(corpus + QStringLiteral("empty-usage-map-of-catalog-1.mdb")) << 108;
        QTest::newRow("table without usage map")
            << fileContents(corpus + QStringLiteral("empty-usage-map-of-table.mdb")) << 110;
    }
    void databaseThatCannotBeReadGivesOneReport() {
        QFETCH(QByteArray, database);
        QFETCH(int, statement);
        WindowUnderTest test;
        Form1& window = windowWith(test, database);
        loadDefaultListButton(window)->click();
        QCOMPARE(test.env.dialogs.reportPlaces(), QStringList{place.arg(statement)});
        QCOMPARE(window.websiteList().count(), 0);
    }

    void longMemoAndNonAsciiTextArriveWhole() {
        const QString longUrl =
            QStringLiteral("https://example.org/") + QString(280, QLatin1Char('y'));
        const QString foreign = QStringLiteral("https://пример.испытание/日本語?q=ü");
        WindowUnderTest test;
        Form1& window = windowWith(test, writeWith({longUrl, foreign}, {QStringLiteral("--column"),
                                                                        QStringLiteral("url:memo")})
                                             .database);
        loadDefaultListButton(window)->click();
        QCOMPARE(entriesOf(window.websiteList()), (QStringList{longUrl, foreign}));
        QCOMPARE(longUrl.size(), 300);
    }

    void readerThatDiesMidStreamKeepsWhatCameAndTheWindowWorks() {
        WindowUnderTest test;
        Form1& window = windowWith(test, websites({QStringLiteral("http://unused.example")}));
        // A stand-in reader that sends one record and crashes.
        const QString reader = test.env.placeInProgramFolder(
            QStringLiteral("corvantis-mdb-reader"),
            "#!/bin/sh\nprintf 'V\\022\\000\\000\\000http://one.example'\nkill -SEGV $$\n");
        QFile::setPermissions(reader, QFile::permissions(reader) | QFile::ExeOwner);
        loadDefaultListButton(window)->click();
        QCOMPARE(test.env.dialogs.reportPlaces(), QStringList{place.arg(112)});
        QCOMPARE(entriesOf(window.websiteList()),
                 QStringList{QStringLiteral("http://one.example")});
        window.websiteList().append(QStringLiteral("still working"));
        QCOMPARE(window.websiteList().count(), 2);
    }

    void endlessReaderEndsAtTheLimitWithOneReport() {
        WindowUnderTest test;
        Form1& window = windowWith(test, websites({}));
        // A stand-in reader that repeats a block of 10000 records for ever.
        QByteArray frames;
        for (int i = 0; i < 10'000; ++i)
            frames += QByteArrayLiteral("V\x08\0\0\0http://a");
        const QString block = test.env.placeInProgramFolder(QStringLiteral("frames"), frames);
        const QString reader = test.env.placeInProgramFolder(
            QStringLiteral("corvantis-mdb-reader"),
            "#!/bin/sh\nwhile :; do cat '" + block.toUtf8() + "' || exit; done\n");
        QFile::setPermissions(reader, QFile::permissions(reader) | QFile::ExeOwner);
        loadDefaultListButton(window)->click();
        QCOMPARE(test.env.dialogs.reportPlaces(), QStringList{place.arg(112)});
        QCOMPARE(window.websiteList().count(), DefaultListReader::defaultLimits.records);
        QCOMPARE(window.websiteList().text(0), QStringLiteral("http://a"));
    }

    void missingReaderIsReported() {
        WindowUnderTest test;
        Form1& window = windowWith(test, websites({QStringLiteral("http://x.example")}));
        QVERIFY(
            QFile::remove(test.env.programFolder.filePath(QStringLiteral("corvantis-mdb-reader"))));
        loadDefaultListButton(window)->click();
        QCOMPARE(test.env.dialogs.reportPlaces(), QStringList{place.arg(112)});
        QCOMPARE(window.websiteList().count(), 0);
    }

    void hundredThousandRecordsAllArriveInOrder() {
        const QStringList urls = numberedUrls(100'000);
        WindowUnderTest test;
        Form1& window = windowWith(test, websites(urls));
        loadDefaultListButton(window)->click();
        QVERIFY(test.env.dialogs.reports.empty());
        QCOMPARE(entriesOf(window.websiteList()), prefixed(urls));
    }
};

QTEST_MAIN(TestDefaultList)
#include "test_default_list.moc"
