// Hover feedback on the shown window: the pointer state after the mouse moves over each part
// of it, and the busy state that no move may change.
#include "Form1Controls.h"
#include "WindowUnderTest.h"
#include "ui/ProgressBar.h"
#include "ui/WebsiteListView.h"

#include <QGroupBox>
#include <QHeaderView>
#include <QLineEdit>
#include <QPushButton>
#include <QtTest>

class TestAppearanceHover : public QObject {
    Q_OBJECT

    std::unique_ptr<WindowUnderTest> test_;

    Form1& window() { return test_->window(); }

    QList<QWidget*> buttons() {
        return {
            addButton(window()),          startButton(window()),    loadDefaultListButton(window()),
            saveTextFileButton(window()), clearAllButton(window()), deleteSelectedButton(window()),
            loadTextFilesButton(window())};
    }

    // The parts that bring the arrow back, by name, with a spot inside each.
    QList<std::pair<QString, std::pair<QWidget*, QPoint>>> arrowParts() {
        return {{"list entries", {websiteListView(window())->viewport(), QPoint(40, 40)}},
                {"list header", {websiteListView(window())->header(), QPoint(40, 5)}},
                {"frame", {countFrame(window()), QPoint(4, 50)}},
                {"window surface", {&window(), QPoint(3, 3)}},
                {"gap between buttons",
                 {&window(), addButton(window())->geometry().bottomLeft() + QPoint(10, 3)}}};
    }

    // Moves the mouse from outside the window onto the spot, as a person would.
    void moveOnto(QWidget* widget, QPoint spot) {
        QTest::mouseMove(widget, spot);
        QCoreApplication::processEvents();
    }

private slots:
    void init() {
        test_ = std::make_unique<WindowUnderTest>();
        test_->load();
        window().show();
        QVERIFY(QTest::qWaitForWindowExposed(&window()));
    }
    void cleanup() { test_.reset(); }

    void everyButtonShowsTheHandAndTheRestTheArrow() {
        for (QWidget* button : buttons()) {
            for (const auto& [name, part] : arrowParts()) {
                moveOnto(button, button->rect().center());
                QVERIFY2(window().pointerState() == PointerState::Custom,
                         qPrintable(button->objectName()));
                moveOnto(part.first, part.second);
                QVERIFY2(window().pointerState() == PointerState::Default, qPrintable(name));
            }
        }
    }

    void theCountBoxAndTheProgressBarLeaveTheStateAsItWas() {
        for (PointerState before : {PointerState::Custom, PointerState::Default}) {
            moveOnto(before == PointerState::Custom ? static_cast<QWidget*>(startButton(window()))
                                                    : websiteListView(window())->viewport(),
                     QPoint(20, 10));
            QCOMPARE(window().pointerState(), before);
            moveOnto(countBox(window()), QPoint(30, 8));
            QCOMPARE(window().pointerState(), before);
            moveOnto(countBox(window()), QPoint(60, 10));
            QCOMPARE(window().pointerState(), before);
            moveOnto(progressBar(window()), QPoint(30, 10));
            QCOMPARE(window().pointerState(), before);
            moveOnto(progressBar(window()), QPoint(90, 12));
            QCOMPARE(window().pointerState(), before);
        }
    }

    void aBusyStateSurvivesEveryHover() {
        window().setPointerState(PointerState::Busy);
        QList<std::pair<QWidget*, QPoint>> spots;
        for (QWidget* button : buttons())
            spots.append({button, button->rect().center()});
        for (const auto& [name, part] : arrowParts())
            spots.append(part);
        spots.append({countBox(window()), QPoint(30, 8)});
        spots.append({progressBar(window()), QPoint(30, 10)});
        for (const auto& [widget, spot] : spots) {
            moveOnto(widget, spot);
            QCOMPARE(window().pointerState(), PointerState::Busy);
            QCOMPARE(window().cursor().shape(), Qt::WaitCursor);
        }
    }
};

QTEST_MAIN(TestAppearanceHover)
#include "test_appearance_hover.moc"
