#include "FakeDesktop.h"
#include "app/SystemClock.h"
#include "opener/RandomIndex.h"
#include "opener/SeededRandom.h"

#include <QtTest>
#include <array>

namespace {

// Chi-square of the picks of RandomIndex over `bins` entries against the uniform distribution.
double chiSquareOfPicks(RandomSource& random, const Clock& clock, int bins, int picks) {
    std::vector<int> observed(static_cast<size_t>(bins), 0);
    for (int pick = 0; pick < picks; ++pick) {
        const int position = static_cast<int>(RandomIndex(random, clock, bins));
        if (position < 1 || position > bins)
            return std::numeric_limits<double>::infinity();
        ++observed[static_cast<size_t>(position - 1)];
    }
    const double expected = double(picks) / bins;
    double chiSquare = 0;
    for (int count : observed)
        chiSquare += (count - expected) * (count - expected) / expected;
    return chiSquare;
}

// The chi-square value with 9 degrees of freedom that a uniform source exceeds with a
// probability below one in a million: a test that fails only for a real fault.
constexpr double chiSquare9DegreesOneInAMillion = 44.9;

} // namespace

class TestRandomIndex : public QObject {
    Q_OBJECT

private slots:
    void mapsTheDrawToA1BasedPosition() {
        ScriptedRandom random;
        FixedClock clock;
        random.draws = {0.0, 0.0999, 0.1, 0.9999999, 0.5};
        QCOMPARE(RandomIndex(random, clock, 10), 1.0);
        QCOMPARE(RandomIndex(random, clock, 10), 1.0);
        QCOMPARE(RandomIndex(random, clock, 10), 2.0);
        QCOMPARE(RandomIndex(random, clock, 10), 10.0);
        QCOMPARE(RandomIndex(random, clock, 0), 1.0);
    }

    void reseedsFromTheTimeOfDayBeforeEveryDraw() {
        ScriptedRandom random;
        FixedClock clock;
        clock.seconds = 100.5;
        RandomIndex(random, clock, 3);
        clock.seconds = 101.25;
        RandomIndex(random, clock, 3);
        QCOMPARE(random.seeds, (std::vector<double>{100.5, 101.25}));
    }

    void largestDrawStaysOnTheLastEntry() {
        ScriptedRandom random;
        FixedClock clock;
        random.draws = {std::nextafter(1.0, 0.0)};
        for (int count : {1, 3, 10, 1000000, 2147483647})
            QCOMPARE(RandomIndex(random, clock, count), double(count));
    }

    void sameSeedTwiceDoesNotRepeatTheSequence() {
        SeededRandom random;
        random.reseed(43200.25);
        const std::array<double, 3> first{random.next(), random.next(), random.next()};
        random.reseed(43200.25);
        const std::array<double, 3> second{random.next(), random.next(), random.next()};
        QVERIFY(first != second);
    }

    // Each pick reseeds, and picks come faster than the clock ticks: the picks must be uniform
    // both with the real clock and when every pick sees the very same time of day.
    void picksOverTenEntriesAreUniform() {
        SeededRandom random;
        SystemClock realClock;
        FixedClock frozenClock;
        QCOMPARE_LT(chiSquareOfPicks(random, realClock, 10, 200000),
                    chiSquare9DegreesOneInAMillion);
        QCOMPARE_LT(chiSquareOfPicks(random, frozenClock, 10, 200000),
                    chiSquare9DegreesOneInAMillion);
    }
};

QTEST_APPLESS_MAIN(TestRandomIndex)
#include "test_random_index.moc"
