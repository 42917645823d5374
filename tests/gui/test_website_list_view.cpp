// The website list as people and screen readers meet it: a table of one column whose cells are
// the entries, the header above them, rows one line high with and without the skin.
#include "Form1Controls.h"
#include "TestFiles.h"
#include "WindowUnderTest.h"
#include "ui/WebsiteListView.h"

#include <QAccessible>
#include <QHeaderView>
#include <QScrollBar>
#include <QtTest>

namespace {

QByteArray shippedSkin() {
    QFile file(qEnvironmentVariable("CORVANTIS_PROGRAM_DIR") + QStringLiteral("/x/o.cjs"));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

class TestWebsiteListView : public QObject {
    Q_OBJECT

private slots:
    void screenReadersSeeATableOfNamedCheckableCells() {
        WindowUnderTest fixture;
        Form1& form = fixture.load();
        appendAll(form.websiteList(), {"http://a", "http://b"});
        form.websiteList().setChecked(1, true);

        QAccessibleInterface* list = QAccessible::queryAccessibleInterface(websiteListView(form));
        QCOMPARE(list->role(), QAccessible::Table);
        QCOMPARE(list->text(QAccessible::Name), QStringLiteral("Websites"));
        QAccessibleTableInterface* table = list->tableInterface();
        QVERIFY(table != nullptr);
        QCOMPARE(table->rowCount(), 2);
        QCOMPARE(table->columnCount(), 1);
        QCOMPARE(table->columnDescription(0), QStringLiteral(" Websites"));
        for (int row = 0; row < 2; ++row) {
            QAccessibleInterface* cell = table->cellAt(row, 0);
            QCOMPARE(cell->role(), QAccessible::CheckBox);
            QCOMPARE(cell->text(QAccessible::Name), form.websiteList().text(row));
            QVERIFY(cell->state().checkable);
            QCOMPARE(bool(cell->state().checked), row == 1);
            QCOMPARE(list->indexOfChild(cell), row + 1);
            QCOMPARE(cell->childCount(), 0); // a leaf: a screen reader looks no deeper
            QCOMPARE(cell->tableCellInterface()->columnHeaderCells(), {list->child(0)});
        }
        QCOMPARE(QAccessible::queryAccessibleInterface(&form)->role(), QAccessible::Window);
        // The header, then the entries: no corner button, no header cells of hidden row numbers.
        QCOMPARE(list->childCount(), 3);
        QCOMPARE(list->child(0)->role(), QAccessible::ColumnHeader);
        QCOMPARE(list->child(0)->text(QAccessible::Name), QStringLiteral(" Websites"));
        QCOMPARE(list->child(3), nullptr);
        QCOMPARE(list->indexOfChild(list->child(0)), 0);
        QVERIFY(!table->cellAt(0, 1) && !table->cellAt(0, -1) && !table->cellAt(-1, 0) &&
                !table->cellAt(2, 0));
        QVERIFY(list->child(0)->text(QAccessible::Description).isEmpty());

        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        for (int child = 0; child < 3; ++child) {
            const QPoint middle = list->child(child)->rect().center();
            QCOMPARE(list->childAt(middle.x(), middle.y()), list->child(child));
            QVERIFY(!list->child(child)->state().disabled &&
                    !list->child(child)->state().offscreen);
        }
        QCOMPARE(list->child(0)->rect().bottomLeft() + QPoint(0, 1),
                 list->child(1)->rect().topLeft()); // the entries right under the header
        const QPoint belowTheEntries = list->child(2)->rect().center() + QPoint(0, 40);
        QCOMPARE(list->childAt(belowTheEntries.x(), belowTheEntries.y()), nullptr);
        table->cellAt(0, 0)->actionInterface()->doAction(
            QAccessibleActionInterface::toggleAction());
        QVERIFY(form.websiteList().isChecked(0));
        QVERIFY(table->selectRow(1) && !table->selectRow(2) && !table->selectRow(-1));
        QVERIFY(table->unselectRow(0) && !table->unselectRow(2));
        QCOMPARE(table->selectedRows(), {1});
        QCOMPARE(table->selectedCells(), {table->cellAt(1, 0)});
        QVERIFY(table->cellAt(1, 0)->state().selected && !table->cellAt(0, 0)->state().selected);
        QVERIFY(table->isRowSelected(1) && !table->isRowSelected(0));
        QVERIFY(table->unselectRow(1));
        QCOMPARE(table->selectedRowCount(), 0);
        table->selectRow(1);
        websiteListView(form)->setFocus();
        websiteListView(form)->setCurrentIndex(form.websiteList().index(1, 0));
        QCOMPARE(list->focusChild(), table->cellAt(1, 0));
        QVERIFY(table->cellAt(1, 0)->state().focused && !table->cellAt(0, 0)->state().focused);

        // Children of rows that are gone are not kept. (The view tells of the change only to a
        // platform that listens, which the offscreen one does not.)
        const QAccessible::Id gone = QAccessible::uniqueId(table->cellAt(1, 0));
        form.websiteList().clear();
        QAccessibleTableModelChangeEvent reset(websiteListView(form),
                                               QAccessibleTableModelChangeEvent::ModelReset);
        table->modelChange(&reset);
        QCOMPARE(QAccessible::accessibleInterface(gone), nullptr);
        QCOMPARE(list->childCount(), 1);
    }

    void theHeaderNamesTheColumnAndRowsHaveNoNumbers() {
        WindowUnderTest fixture;
        Form1& form = fixture.load();
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        QHeaderView* header = websiteListView(form)->header();
        QVERIFY(header->isVisible());
        QCOMPARE(header->model()->headerData(0, Qt::Horizontal).toString(),
                 QStringLiteral(" Websites"));
        QCOMPARE(header->defaultAlignment(), Qt::AlignLeft | Qt::AlignVCenter);
        QVERIFY(!header->sectionsClickable());
        QVERIFY(!websiteListView(form)->verticalHeader()->isVisible());
        QVERIFY(!websiteListView(form)->showGrid());
    }

    void rowsAreOneLineHighAndWholeAtTheEnd_data() {
        QTest::addColumn<bool>("skinned");
        QTest::newRow("plain") << false;
        QTest::newRow("skin") << true;
    }
    void rowsAreOneLineHighAndWholeAtTheEnd() {
        QFETCH(bool, skinned);
        WindowUnderTest fixture;
        if (skinned) {
            QVERIFY(!shippedSkin().isEmpty());
            fixture.env.placeInProgramFolder("x/o.cjs", shippedSkin());
        }
        Form1& form = fixture.load();
        QStringList entries;
        for (int i = 0; i < 100; ++i)
            entries.append(QStringLiteral("http://site%1.example").arg(i));
        appendAll(form.websiteList(), entries);
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        WebsiteListView* view = websiteListView(form);
        const QAbstractItemView* asItemView = view; // where the hint for a row is public
        QCOMPARE(view->rowHeight(0), asItemView->sizeHintForRow(0));

        view->scrollToBottom();
        QCoreApplication::processEvents();
        const int top = view->verticalScrollBar()->value();
        QCOMPARE(view->visualRect(form.websiteList().index(top, 0)).top(), 0);
        QVERIFY(
            view->viewport()->rect().contains(view->visualRect(form.websiteList().index(99, 0))));
        QAccessibleTableInterface* table =
            QAccessible::queryAccessibleInterface(view)->tableInterface();
        QVERIFY(table->cellAt(0, 0)->state().offscreen && !table->cellAt(99, 0)->state().offscreen);
    }

    void aVeryLongEntryIsShownCut() {
        WindowUnderTest fixture;
        Form1& form = fixture.load();
        const QString longEntry = QStringLiteral("http://") + QString(20'000'000, u'x');
        form.websiteList().append(longEntry);
        form.websiteList().append(QString()); // shown empty, but named for a screen reader
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form)); // painted without laying out 20 MB
        QAccessibleTableInterface* table =
            QAccessible::queryAccessibleInterface(websiteListView(form))->tableInterface();
        QCOMPARE(table->cellAt(0, 0)->text(QAccessible::Name).size(), WebsiteList::shownLength + 1);
        QCOMPARE(table->cellAt(1, 0)->text(QAccessible::Name), QStringLiteral("Empty entry"));
        QCOMPARE(form.websiteList().text(0), longEntry);
    }
};

QTEST_MAIN(TestWebsiteListView)
#include "test_website_list_view.moc"
