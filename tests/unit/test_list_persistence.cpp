#include "list/ListPersistence.h"
#include "list/WebsiteList.h"

#include <QAbstractItemModelTester>
#include <QTest>

namespace {

QStringList toList(const std::vector<QString>& pieces) {
    return QStringList(pieces.begin(), pieces.end());
}

} // namespace

class ListPersistenceTest : public QObject {
    Q_OBJECT

private slots:
    void storedStringSplitsIntoEntries_data() {
        QTest::addColumn<QString>("stored");
        QTest::addColumn<QStringList>("entries");
        QTest::newRow("empty") << "" << QStringList();
        QTest::newRow("one") << "site-a" << QStringList{"site-a"};
        QTest::newRow("two") << "site-a;site-b" << QStringList{"site-a", "site-b"};
        QTest::newRow("empty pieces skipped") << ";;site-a;;" << QStringList{"site-a"};
        QTest::newRow("blanks kept") << " a ; ;b\t" << QStringList{" a ", " ", "b\t"};
        QTest::newRow("duplicates kept") << "x;x" << QStringList{"x", "x"};
    }
    void storedStringSplitsIntoEntries() {
        QFETCH(QString, stored);
        QFETCH(QStringList, entries);
        QCOMPARE(toList(splitStoredWebsites(stored)), entries);
    }

    void entriesJoinWithSemicolons() {
        WebsiteList list;
        QCOMPARE(joinWebsites(list), QString());
        list.appendMany({"site-a", "", "site-b", "a/page?x=1;y=2"});
        QCOMPARE(joinWebsites(list), QStringLiteral("site-a;;site-b;a/page?x=1;y=2"));
        // What cannot survive the format: the empty entry goes, the ";" splits its entry.
        QCOMPARE(toList(splitStoredWebsites(joinWebsites(list))),
                 QStringList({"site-a", "site-b", "a/page?x=1", "y=2"}));
        WebsiteList onlyEmpty;
        onlyEmpty.append("");
        QCOMPARE(joinWebsites(onlyEmpty), QString());
    }

    void modelBehavesForViews() {
        WebsiteList list;
        QAbstractItemModelTester tester(&list, QAbstractItemModelTester::FailureReportingMode::QtTest);
        list.addColumn(" Websites");
        list.appendMany({"a", "b", "c"});
        list.append("d");
        list.setChecked(1, true);
        QVERIFY(list.setData(list.index(2, 0), Qt::Checked, Qt::CheckStateRole));
        list.removeAt(0);
        list.removeAt(99); // past the end: nothing happens
        QCOMPARE(list.count(), 3);
        QCOMPARE(list.text(0), QStringLiteral("b"));
        QVERIFY(list.isChecked(0) && list.isChecked(1) && !list.isChecked(2));
        QCOMPARE(list.headerData(0, Qt::Horizontal, Qt::DisplayRole).toString(), QStringLiteral(" Websites"));
        list.clear();
        QCOMPARE(list.rowCount(), 0);
    }
};

QTEST_GUILESS_MAIN(ListPersistenceTest)
#include "test_list_persistence.moc"
