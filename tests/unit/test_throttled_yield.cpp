// The yield of the long commands: at most one every few milliseconds, none while closing.
#include "list/ThrottledYield.h"
#include "list/WebsiteList.h"
#include "ui/CommandWindow.h"

#include <QTest>
#include <thread>

namespace {

// Counts the yields; the rest of the window is not used.
class CountingWindow : public CommandWindow {
public:
    int yields = 0;
    bool closing = false;

    void yield() override { ++yields; }
    bool isClosing() const override { return closing; }

    PointerState pointerState() const override { return PointerState::Default; }
    void setPointerState(PointerState) override {}
    void setProgressValue(double) override {}
    void setProgressText(const QString&) override {}
    QString countText() const override { return {}; }
    WebsiteList& websiteList() override { return list_; }
    std::optional<int> selectedRow() const override { return std::nullopt; }
    CommonDialog& commonDialog() override { return dialog_; }
    const Platform& platform() const override { qFatal("not used"); }
    QString appTitle() const override { return {}; }

private:
    WebsiteList list_;
    CommonDialog dialog_;
};

} // namespace

class TestThrottledYield : public QObject {
    Q_OBJECT

private slots:
    void yieldsAtFirstThenOnlyAfterTheInterval() {
        CountingWindow window;
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
        CountingWindow window;
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
