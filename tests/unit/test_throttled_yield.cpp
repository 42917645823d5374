// The yield of the long commands: at most one every few milliseconds, none while closing.
#include "FakeCommandView.h"
#include "commands/ThrottledYield.h"

#include <QTest>
#include <thread>

class TestThrottledYield : public QObject {
    Q_OBJECT

private slots:
    void yieldsAtFirstThenOnlyAfterTheInterval() {
        FakeCommandView window;
        ThrottledYield yield(window);
        for (int i = 0; i < 100000; ++i)
            yield();
        QVERIFY(window.yields >= 1);
        QVERIFY2(window.yields < 100, "a tight loop must not yield at every step");

        // After the interval, the next few steps of a loop yield once.
        const int before = window.yields;
        std::this_thread::sleep_for(ThrottledYield::interval * 2);
        for (int i = 0; i < 100; ++i)
            yield();
        QVERIFY(window.yields > before);
    }

    void noYieldWhileTheWindowCloses() {
        FakeCommandView window;
        window.closing = true;
        ThrottledYield yield(window);
        for (int i = 0; i < 100; ++i) {
            yield();
            std::this_thread::sleep_for(ThrottledYield::interval / 4);
        }
        QCOMPARE(window.yields, 0);
    }
};

QTEST_GUILESS_MAIN(TestThrottledYield)
#include "test_throttled_yield.moc"
