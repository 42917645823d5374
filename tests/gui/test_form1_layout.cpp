#include "WindowUnderTest.h"
#include "ui/ProgressBar.h"
#include "ui/WebsiteListView.h"

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
        QCOMPARE(window.Text1->text(), QStringLiteral("1"));
        QCOMPARE(window.ProgressBar1->text(), QStringLiteral("Progress Bar"));
        QCOMPARE(window.ProgressBar1->value(), 0);
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
        QCOMPARE(w.ListView1->geometry(), QRect(8, 8, 520, 169));
        QCOMPARE(w.PushButton1->geometry(), QRect(8, 183, 256, 27));
        QCOMPARE(w.PushButton9->geometry(), QRect(272, 183, 256, 27));
        QCOMPARE(w.PushButton4->geometry(), QRect(8, 217, 256, 27));
        QCOMPARE(w.PushButton6->geometry(), QRect(272, 217, 256, 27));
        QCOMPARE(w.PushButton10->geometry(), QRect(8, 251, 256, 27));
        QCOMPARE(w.PushButton5->geometry(), QRect(272, 251, 256, 27));
        QCOMPARE(w.Frame2->geometry(), QRect(8, 282, 520, 61));
        QCOMPARE(w.Text1->geometry(), QRect(16, 24, 488, 22));
        QCOMPARE(w.Text1->parentWidget(), w.Frame2);
        QCOMPARE(w.PushButton2->geometry(), QRect(8, 351, 520, 27));
        QCOMPARE(w.ProgressBar1->geometry(), QRect(8, 386, 520, 27));
    }

    void textsFontsAndNames() {
        WindowUnderTest fixture;
        Form1& w = fixture.load();
        const QList<QPair<QPushButton*, QString>> buttons = {
            {w.PushButton1, "Add Website"},
            {w.PushButton4, "Load Default List"},
            {w.PushButton6, "Clear All Websites"},
            {w.PushButton9, "Delete Selected Website"},
            {w.PushButton10, "Load Websites From Text File"},
            {w.PushButton2, "Start Opening Websites"},
            {w.PushButton5, "Save Websites To Text File"},
        };
        for (const auto& [button, text] : buttons) {
            QCOMPARE(button->text(), text);
            QCOMPARE(button->accessibleName(), text);
            QCOMPARE(button->font().family(), QStringLiteral("Arial"));
            QCOMPARE(button->font().pointSizeF(), 11.25);
            QVERIFY(button->font().bold());
        }
        for (QWidget* nine : {static_cast<QWidget*>(&w), static_cast<QWidget*>(w.ListView1),
                              static_cast<QWidget*>(w.Frame2), static_cast<QWidget*>(w.Text1)}) {
            QCOMPARE(nine->font().family(), QStringLiteral("Arial"));
            QCOMPARE(nine->font().pointSizeF(), 9.0);
            QVERIFY(nine->font().bold());
        }
        const QString question = QStringLiteral("How many random websites would you like to open?");
        QCOMPARE(w.Frame2->title(), question);
        QCOMPARE(w.Text1->accessibleName(), question);
        QCOMPARE(w.ListView1->accessibleName(), QStringLiteral("Websites"));
        QCOMPARE(w.ProgressBar1->accessibleName(), QStringLiteral("Progress Bar"));
        QCOMPARE(w.windowTitle(), QStringLiteral("Corvantis"));
        QCOMPARE(w.appTitle(), QStringLiteral("Corvantis"));
        QCOMPARE(w.palette().color(QPalette::Window), QColor(Qt::white));
        QCOMPARE(w.Frame2->palette().color(QPalette::Window), QColor(Qt::white));
    }

    void listHasOneCheckableColumn() {
        WindowUnderTest fixture;
        fixture.env.storeSetting("Websites", "a;b");
        Form1& w = fixture.load();
        QCOMPARE(w.websiteList().columnCaptions(), QStringList{" Websites"});
        QCOMPARE(w.ListView1->header()->sectionSize(0), 467); // 7000 twips
        QCOMPARE(w.ListView1->selectionMode(), QAbstractItemView::SingleSelection);
        QCOMPARE(w.ListView1->editTriggers(), QAbstractItemView::NoEditTriggers);
        const QModelIndex first = w.websiteList().index(0, 0);
        QVERIFY(w.websiteList().flags(first) & Qt::ItemIsUserCheckable);
        QCOMPARE(first.data(Qt::CheckStateRole).toInt(), int(Qt::Unchecked));
    }

    void tabFollowsTheTabIndex() {
        WindowUnderTest fixture;
        Form1& w = fixture.load();
        w.show();
        QVERIFY(QTest::qWaitForWindowActive(&w));
        w.ListView1->setFocus();
        const QList<QWidget*> expected = {w.PushButton1, w.PushButton4,  w.PushButton6,
                                          w.PushButton9, w.PushButton10, w.PushButton2,
                                          w.PushButton5, w.Text1,        w.ListView1};
        for (QWidget* next : expected) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            QCOMPARE(QApplication::focusWidget(), next);
        }
        QCOMPARE(w.ProgressBar1->focusPolicy(), Qt::NoFocus);
    }
};

QTEST_MAIN(Form1LayoutTest)
#include "test_form1_layout.moc"
