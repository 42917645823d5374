#include "Form1Controls.h"
#include "TestFiles.h"
#include "WindowUnderTest.h"
#include "ui/WebsiteListView.h"

#include <QPushButton>
#include <QStyle>
#include <QStyleOptionViewItem>
#include <QtTest>

namespace {

// A shown window holding the given entries; a double-click goes through the window system's
// path (press, release, press, release), as a person's does.
class EditFixture : public WindowUnderTest {
public:
    Form1& start(const QStringList& entries) {
        Form1& form = load();
        for (const QString& entry : entries)
            form.websiteList().append(entry);
        form.show();
        if (!QTest::qWaitForWindowExposed(&form))
            qFatal("window not exposed");
        return form;
    }
    void select(int row) {
        websiteListView(window())->setCurrentIndex(window().websiteList().index(row, 0));
    }
    QPoint inWindow(QPoint inViewport) {
        return websiteListView(window())->viewport()->mapTo(&window(), inViewport);
    }
    void doubleClickAt(QPoint inViewport) {
        QTest::mouseDClick(window().windowHandle(), Qt::LeftButton, {}, inWindow(inViewport));
    }
    void clickAt(QPoint inViewport) {
        QTest::mouseClick(window().windowHandle(), Qt::LeftButton, {}, inWindow(inViewport));
    }
    QPoint textOf(int row) {
        const QRect cell =
            websiteListView(window())->visualRect(window().websiteList().index(row, 0));
        return {cell.left() + cell.width() / 2, cell.center().y()};
    }
    QPoint checkBoxOf(int row) {
        QAbstractItemView* view = websiteListView(window());
        QStyleOptionViewItem option;
        option.initFrom(view);
        option.rect = view->visualRect(window().websiteList().index(row, 0));
        option.features =
            QStyleOptionViewItem::HasCheckIndicator | QStyleOptionViewItem::HasDisplay;
        return view->style()
            ->subElementRect(QStyle::SE_ItemViewItemCheckIndicator, &option, view)
            .center();
    }
};

} // namespace

class TestListEditing : public QObject {
    Q_OBJECT

private slots:
    void addAsksAndAppendsWithThePrefixRule() {
        EditFixture fixture;
        Form1& form = fixture.start({"http://a"});
        for (const char* answer : {"example.com", "https://secure.example", "http://a", "   "})
            fixture.env.dialogs.inputAnswers.enqueue(answer);
        for (int press = 0; press < 4; ++press)
            addButton(form)->click();

        QCOMPARE(entriesOf(form.websiteList()),
                 (QStringList{"http://a", "http://example.com", "https://secure.example",
                              "http://a", "http://   "}));
        QCOMPARE(fixture.env.dialogs.inputPrompts.first(),
                 QStringLiteral("Enter Website to add: "));
        QCOMPARE(fixture.env.dialogs.inputCaptions.first(), form.appTitle());
        QVERIFY(!form.selectedRow().has_value());
        QVERIFY(fixture.env.dialogs.reports.empty());
    }

    void cancelledAddAddsNothing() {
        EditFixture fixture;
        Form1& form = fixture.start({"http://a"});
        addButton(form)->click(); // no answer: the box was cancelled or confirmed empty
        QCOMPARE(entriesOf(form.websiteList()), QStringList{"http://a"});
    }

    void deleteSelectedRemovesThatEntry() {
        EditFixture fixture;
        Form1& form = fixture.start({"http://a", "http://b", "http://c"});
        fixture.select(1);
        deleteSelectedButton(form)->click();
        QCOMPARE(entriesOf(form.websiteList()), (QStringList{"http://a", "http://c"}));
    }

    void deleteSelectedWithNothingSelectedIsReported() {
        EditFixture fixture;
        Form1& form = fixture.start({"http://a", "http://b"});
        websiteListView(form)->selectionModel()->clear();
        deleteSelectedButton(form)->click();
        QCOMPARE(entriesOf(form.websiteList()), (QStringList{"http://a", "http://b"}));
        QCOMPARE(fixture.env.dialogs.reportPlaces(), QStringList{"Form1.PushButton9_Click 102"});
    }

    void clearRemovesAllUnlessBusy() {
        EditFixture fixture;
        Form1& form = fixture.start({"http://a", "http://b"});
        form.setPointerState(PointerState::Busy);
        clearAllButton(form)->click();
        QCOMPARE(form.websiteList().count(), 2);
        form.setPointerState(PointerState::Default);
        clearAllButton(form)->click();
        QCOMPARE(form.websiteList().count(), 0);
        QVERIFY(fixture.env.dialogs.reports.empty());
    }

    void addAndDeleteSelectedWorkWhileBusy() {
        EditFixture fixture;
        Form1& form = fixture.start({"http://a", "http://b"});
        form.setPointerState(PointerState::Busy);
        fixture.select(0);
        deleteSelectedButton(form)->click();
        fixture.env.dialogs.inputAnswers.enqueue("c.example");
        addButton(form)->click();
        QCOMPARE(entriesOf(form.websiteList()), (QStringList{"http://b", "http://c.example"}));
    }

    void deleteKeyWithAnyModifierDeletesTheSelectedEntry_data() {
        QTest::addColumn<Qt::KeyboardModifiers>("modifiers");
        QTest::newRow("plain") << Qt::KeyboardModifiers();
        QTest::newRow("shift") << Qt::KeyboardModifiers(Qt::ShiftModifier);
        QTest::newRow("ctrl") << Qt::KeyboardModifiers(Qt::ControlModifier);
        QTest::newRow("alt") << Qt::KeyboardModifiers(Qt::AltModifier);
    }
    void deleteKeyWithAnyModifierDeletesTheSelectedEntry() {
        QFETCH(Qt::KeyboardModifiers, modifiers);
        EditFixture fixture;
        Form1& form = fixture.start({"http://a", "http://b", "http://c"});
        fixture.select(0);
        QTest::keyClick(websiteListView(form), Qt::Key_Delete, modifiers);
        QCOMPARE(entriesOf(form.websiteList()), (QStringList{"http://b", "http://c"}));
    }

    void deleteKeyDoesNothingWhenBusyOrNothingSelected() {
        EditFixture fixture;
        Form1& form = fixture.start({"http://a", "http://b"});
        fixture.select(0);
        form.setPointerState(PointerState::Busy);
        QTest::keyClick(websiteListView(form), Qt::Key_Delete);
        QCOMPARE(form.websiteList().count(), 2);
        form.setPointerState(PointerState::Default);
        websiteListView(form)->selectionModel()->clear();
        QTest::keyClick(websiteListView(form), Qt::Key_Delete);
        QTest::keyClick(websiteListView(form), Qt::Key_Backspace);
        QCOMPARE(form.websiteList().count(), 2);
        QVERIFY(fixture.env.dialogs.reports.empty());
    }

    void doubleClickDeletesTheEntryPointedAt() {
        EditFixture fixture;
        Form1& form = fixture.start({"http://a", "http://b", "http://c"});
        fixture.doubleClickAt(fixture.textOf(1));
        QCOMPARE(entriesOf(form.websiteList()), (QStringList{"http://a", "http://c"}));
        QVERIFY(fixture.env.shell.opened.isEmpty());
    }

    void doubleClickOnACheckBoxOnlyTicksIt() {
        EditFixture fixture;
        Form1& form = fixture.start({"http://a", "http://b"});
        fixture.clickAt(fixture.checkBoxOf(0));
        QVERIFY(form.websiteList().isChecked(0)); // the point is on the check box

        fixture.doubleClickAt(fixture.checkBoxOf(1));
        QCOMPARE(entriesOf(form.websiteList()), (QStringList{"http://a", "http://b"}));
        QVERIFY(form.websiteList().isChecked(1));
        fixture.doubleClickAt(fixture.checkBoxOf(1));
        QVERIFY(!form.websiteList().isChecked(1));
        QCOMPARE(form.websiteList().count(), 2);
    }

    void doubleClickBelowTheEntriesDeletesNothing() {
        EditFixture fixture;
        Form1& form = fixture.start({"http://a", "http://b"});
        fixture.select(1);
        const QPoint below = fixture.textOf(1) + QPoint(0, 60);
        fixture.doubleClickAt(below);
        QCOMPARE(form.websiteList().count(), 2);
    }

    void doubleClickDoesNothingWhileBusy() {
        EditFixture fixture;
        Form1& form = fixture.start({"http://a", "http://b"});
        form.setPointerState(PointerState::Busy);
        fixture.doubleClickAt(fixture.textOf(0));
        QCOMPARE(form.websiteList().count(), 2);
    }
};

QTEST_MAIN(TestListEditing)
#include "test_list_editing.moc"
