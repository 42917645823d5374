#include "Form1Controls.h"
#include "WindowUnderTest.h"
#include "ui/ProgressBar.h"
#include "ui/WebsiteListView.h"

#include <QAccessible>
#include <QGroupBox>
#include <QHeaderView>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

class Form1LayoutTest : public QObject {
    Q_OBJECT

private slots:
    void beforeStartUpTheControlsShowTheirInitialTexts() {
        TestPlatform env;
        WebsiteList websites;
        Form1 window(env.platform(), websites);
        QCOMPARE(countBox(window)->text(), QStringLiteral("1"));
        QCOMPARE(progressBar(window)->text(), QStringLiteral("Progress Bar"));
        QCOMPARE(progressBar(window)->value(), 0);
        QCOMPARE(window.websiteList().columnCount(), 0);
        QVERIFY(!window.hasCustomPointer());
    }

    void controlsSitWhereTheLayoutPutsThem() {
        WindowUnderTest fixture;
        Form1& w = fixture.load();
        QCOMPARE(w.size(), QSize(536, 421));
        QCOMPARE(w.minimumSize(), w.maximumSize()); // cannot be resized
        QVERIFY(!(w.windowFlags() & Qt::WindowMaximizeButtonHint));
        QVERIFY(w.windowFlags() & Qt::WindowMinimizeButtonHint);
        QCOMPARE(websiteListView(w)->geometry(), QRect(8, 8, 520, 169));
        QCOMPARE(addButton(w)->geometry(), QRect(8, 183, 256, 27));
        QCOMPARE(deleteSelectedButton(w)->geometry(), QRect(272, 183, 256, 27));
        QCOMPARE(loadDefaultListButton(w)->geometry(), QRect(8, 217, 256, 27));
        QCOMPARE(clearAllButton(w)->geometry(), QRect(272, 217, 256, 27));
        QCOMPARE(loadTextFilesButton(w)->geometry(), QRect(8, 251, 256, 27));
        QCOMPARE(saveTextFileButton(w)->geometry(), QRect(272, 251, 256, 27));
        QCOMPARE(countFrame(w)->geometry(), QRect(8, 282, 520, 61));
        QCOMPARE(countBox(w)->geometry(), QRect(16, 24, 488, 22));
        QCOMPARE(countBox(w)->parentWidget(), countFrame(w));
        QCOMPARE(startButton(w)->geometry(), QRect(8, 351, 520, 27));
        QCOMPARE(progressBar(w)->geometry(), QRect(8, 386, 520, 27));
    }

    void textsFontsAndNames() {
        WindowUnderTest fixture;
        Form1& w = fixture.load();
        const QList<QPair<QPushButton*, QString>> buttons = {
            {addButton(w), "Add Website"},
            {loadDefaultListButton(w), "Load Default List"},
            {clearAllButton(w), "Clear All Websites"},
            {deleteSelectedButton(w), "Delete Selected Website"},
            {loadTextFilesButton(w), "Load Websites From Text File"},
            {startButton(w), "Start Opening Websites"},
            {saveTextFileButton(w), "Save Websites To Text File"},
        };
        for (const auto& [button, text] : buttons) {
            QCOMPARE(button->text(), text);
            QCOMPARE(button->accessibleName(), text);
            QCOMPARE(button->font().family(), QStringLiteral("Arial"));
            QCOMPARE(button->font().pointSizeF(), 11.25);
            QVERIFY(button->font().bold());
        }
        for (QWidget* nine :
             {static_cast<QWidget*>(&w), static_cast<QWidget*>(websiteListView(w)),
              static_cast<QWidget*>(countFrame(w)), static_cast<QWidget*>(countBox(w))}) {
            QCOMPARE(nine->font().family(), QStringLiteral("Arial"));
            QCOMPARE(nine->font().pointSizeF(), 9.0);
            QVERIFY(nine->font().bold());
        }
        const QString question = QStringLiteral("How many random websites would you like to open?");
        QCOMPARE(countFrame(w)->title(), question);
        QCOMPARE(countBox(w)->accessibleName(), question);
        QCOMPARE(websiteListView(w)->accessibleName(), QStringLiteral("Websites"));
        QCOMPARE(progressBar(w)->accessibleName(), QStringLiteral("Progress Bar"));
        // Read, not set: no value to change, for which a screen reader would offer Increase.
        QAccessibleInterface* bar = QAccessible::queryAccessibleInterface(progressBar(w));
        QVERIFY(bar->role() == QAccessible::ProgressBar && bar->state().readOnly &&
                !bar->valueInterface());
        QCOMPARE(bar->text(QAccessible::Description), progressBar(w)->text()); // what it shows
        QCOMPARE(w.windowTitle(), QStringLiteral("Corvantis"));
        QCOMPARE(w.appTitle(), QStringLiteral("Corvantis"));
        QCOMPARE(w.palette().color(QPalette::Window), QColor(Qt::white));
        QCOMPARE(countFrame(w)->palette().color(QPalette::Window), QColor(Qt::white));
    }

    void listHasOneCheckableColumn() {
        WindowUnderTest fixture;
        fixture.env.storeSetting("Websites", "a;b");
        Form1& w = fixture.load();
        QCOMPARE(w.websiteList().columnCaptions(), QStringList{" Websites"});
        QCOMPARE(websiteListView(w)->header()->sectionSize(0), 467); // 7000 twips
        QCOMPARE(websiteListView(w)->selectionMode(), QAbstractItemView::SingleSelection);
        QCOMPARE(websiteListView(w)->editTriggers(), QAbstractItemView::NoEditTriggers);
        const QModelIndex first = w.websiteList().index(0, 0);
        QVERIFY(w.websiteList().flags(first) & Qt::ItemIsUserCheckable);
        QCOMPARE(first.data(Qt::CheckStateRole).toInt(), int(Qt::Unchecked));
    }

    void tabFollowsTheTabIndex() {
        WindowUnderTest fixture;
        Form1& w = fixture.load();
        w.show();
        QVERIFY(QTest::qWaitForWindowActive(&w));
        websiteListView(w)->setFocus();
        const QList<QWidget*> expected = {addButton(w),           loadDefaultListButton(w),
                                          clearAllButton(w),      deleteSelectedButton(w),
                                          loadTextFilesButton(w), startButton(w),
                                          saveTextFileButton(w),  countBox(w),
                                          websiteListView(w)};
        for (QWidget* next : expected) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            QCOMPARE(QApplication::focusWidget(), next);
        }
        QCOMPARE(progressBar(w)->focusPolicy(), Qt::NoFocus);
    }
};

QTEST_MAIN(Form1LayoutTest)
#include "test_form1_layout.moc"
