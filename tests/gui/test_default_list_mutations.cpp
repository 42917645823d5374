// Robustness: a database corrupted at random, many times over with a fixed seed. Every run of
// "Load Default List" must end on its own (entries, a report, or an empty read), in bounded
// time, with only the reports the command knows, and leave a window that goes on working.
// The reader that libmdb may crash or hang in is a separate process; this shows it.

#include "Form1Controls.h"
#include "JetFixtures.h"
#include "WindowUnderTest.h"

#include <QElapsedTimer>
#include <QPushButton>
#include <QSet>
#include <QTest>
#include <random>

using namespace jetfixtures;

namespace {

constexpr int runs = 500;
constexpr std::uint32_t seed = 20'261'207;

// Corrupts a few bytes, half of them in the first 128 bytes of a page, where page headers,
// row offsets, table definitions and usage maps live.
QByteArray mutated(QByteArray database, std::mt19937& random) {
    const int pages = static_cast<int>(database.size() / 4096);
    std::uniform_int_distribution<int> count(1, 12);
    std::uniform_int_distribution<int> page(0, pages - 1);
    std::uniform_int_distribution<int> anywhere(0, 4095);
    std::uniform_int_distribution<int> header(0, 127);
    std::uniform_int_distribution<int> byte(0, 255);
    std::bernoulli_distribution inHeader(0.5);
    for (int i = count(random); i > 0; --i) {
        const int position =
            page(random) * 4096 + (inHeader(random) ? header(random) : anywhere(random));
        const int value = byte(random);
        // Extremes find more than uniform bytes: 0x00, 0xFF, or one flipped bit.
        switch (value % 4) {
        case 0:
            database[position] = static_cast<char>(value);
            break;
        case 1:
            database[position] = char(0x00);
            break;
        case 2:
            database[position] = char(0xFF);
            break;
        default:
            database[position] = static_cast<char>(database[position] ^ (1 << (value % 8)));
        }
    }
    return database;
}

QByteArray fixture() {
    QStringList rows = numberedUrls(300);
    rows[7] = null;
    rows[8] = QString();
    rows[9] = QStringLiteral("bare.example.org");
    return websites(rows);
}

} // namespace

class TestDefaultListMutations : public QObject {
    Q_OBJECT

private slots:
    void corruptedDatabasesNeverTakeTheWindowDown() {
        const QByteArray original = fixture();
        QVERIFY(original.size() > 4 * 4096);
        WindowUnderTest test;
        QVERIFY(installReader(test.env.programFolder.path()));
        Form1& window = test.load();
        const QSet<QString> knownPlaces{QStringLiteral("Form1.PushButton4_Click 108"),
                                        QStringLiteral("Form1.PushButton4_Click 110"),
                                        QStringLiteral("Form1.PushButton4_Click 112"),
                                        QStringLiteral("Form1.PushButton4_Click 114")};
        std::mt19937 random(seed);
        int withEntries = 0, withReports = 0, readerFailures = 0, emptyReads = 0;
        qint64 slowest = 0;
        for (int run = 0; run < runs; ++run) {
            test.env.placeInProgramFolder(QStringLiteral("websites.mdb"),
                                          mutated(original, random));
            window.websiteList().clear();
            test.env.dialogs.reports.clear();
            QElapsedTimer timer;
            timer.start();
            loadDefaultListButton(window)->click();
            // A hang is caught by the test's time limit in CTest; the slowest run is told.
            slowest = std::max(slowest, timer.elapsed());
            for (const QString& place : test.env.dialogs.reportPlaces())
                QVERIFY2(knownPlaces.contains(place), qPrintable(place));
            QVERIFY(test.env.dialogs.notices.empty());
            withEntries += window.websiteList().count() > 0;
            withReports += !test.env.dialogs.reports.empty();
            emptyReads += window.websiteList().count() == 0 && test.env.dialogs.reports.empty();
            readerFailures += test.env.dialogs.reportPlaces().contains(
                QStringLiteral("Form1.PushButton4_Click 112"));
        }
        qInfo("%d runs: %d with entries, %d with a report, %d with the reader failing, %d empty; "
              "slowest %lld ms",
              runs, withEntries, withReports, readerFailures, emptyReads, slowest);
        // The window still works, and an intact database still loads whole.
        test.env.placeInProgramFolder(QStringLiteral("websites.mdb"), original);
        window.websiteList().clear();
        test.env.dialogs.reports.clear();
        loadDefaultListButton(window)->click();
        QCOMPARE(window.websiteList().count(), 299);
        QCOMPARE(test.env.dialogs.reportPlaces(),
                 QStringList{QStringLiteral("Form1.PushButton4_Click 114")});
    }
};

QTEST_MAIN(TestDefaultListMutations)
#include "test_default_list_mutations.moc"
