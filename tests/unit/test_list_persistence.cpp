#include "TestFiles.h"
#include "list/StoredWebsites.h"
#include "list/WebsiteList.h"

#include <QAbstractItemModelTester>
#include <QTest>

namespace {

// The stored form of the list, as the save writes it piece by piece.
QByteArray joined(const WebsiteList& list) {
    QByteArray all;
    StoredWebsites::write(list, [&all](QByteArrayView piece) { all += piece; });
    return all;
}

QStringList splitStored(const QString& stored) {
    WebsiteList list;
    StoredWebsites::appendTo(list, stored.toUtf8());
    return entriesOf(list);
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
        QCOMPARE(splitStored(stored), entries);
    }

    void anEntryThatIsNotUtf8IsReadAsLatin1Alone() {
        WebsiteList list;
        StoredWebsites::appendTo(list,
                                 "caf\xE9.example;na\xC3\xAFve.example;\xE6\x97\xA5.jp;\xE2\x82");
        QCOMPARE(
            entriesOf(list),
            QStringList({QStringLiteral("caf\u00E9.example"), QStringLiteral("na\u00EFve.example"),
                         QStringLiteral("\u65E5.jp"), QStringLiteral("\u00E2\u0082")}));
    }

    void entriesJoinWithSemicolons() {
        WebsiteList list;
        QCOMPARE(joined(list), QByteArray());
        appendAll(list, {"site-a", "", "site-b", "a/page?x=1;y=2"});
        QCOMPARE(joined(list), QByteArray("site-a;;site-b;a/page?x=1;y=2"));
        // What cannot survive the format: the empty entry goes, the ";" splits its entry.
        QCOMPARE(splitStored(QString::fromUtf8(joined(list))),
                 QStringList({"site-a", "site-b", "a/page?x=1", "y=2"}));
        WebsiteList onlyEmpty;
        onlyEmpty.append("");
        QCOMPARE(joined(onlyEmpty), QByteArray());
        WebsiteList wide;
        appendAll(wide, {QStringLiteral("日本.jp"), QStringLiteral("caf\u00e9"),
                         QStringLiteral("\U0001F600")});
        for (int row = 0; row < wide.count(); ++row)
            QCOMPARE(wide.cellLength(row, 0), wide.text(row).size());
        QCOMPARE(joined(wide), QStringLiteral("日本.jp;caf\u00e9;").toUtf8() +
                                   QStringLiteral("\U0001F600").toUtf8());
    }

    void theJoinedFormIsWrittenInPieces() {
        WebsiteList list;
        QStringList texts;
        for (int i = 0; i < 3000; ++i) // several chunks of many entries
            texts.append(QString(500, QChar(u'a' + i % 26)));
        texts +=
            {QString((1 << 20) - 1, u'y'), QString(1 << 20, u'z'), "", "end"}; // around a chunk
        appendAll(list, texts);
        QByteArray pieces;
        int calls = 0;
        StoredWebsites::write(list, [&](QByteArrayView piece) {
            pieces += piece;
            ++calls;
        });
        QCOMPARE(pieces, texts.join(';').toUtf8());
        QVERIFY(calls > 2 && calls < 10);
    }

    void appendsAfterARestoreGoToTheirOwnStorage() {
        WebsiteList list;
        list.appendSplitUtf8("a;b", ';');
        list.append(u"c");
        list.appendSplitUtf8(";;", ';');
        const QString longText(3'000'000, QLatin1Char('x')); // larger than one storage block
        list.append(longText);
        {
            WebsiteList::BulkAppend bulk(list);
            bulk.add(u"d");
            QCOMPARE(list.rowCount(), 4); // the views hear of it once, at the end
        }
        list.removeAt(1);
        QCOMPARE(entriesOf(list), QStringList({"a", "c", longText, "d"}));
        QCOMPARE(list.rowCount(), 4);
    }

    void viewsGetALongEntryCutAndTheCommandsTheWholeText() {
        WebsiteList list;
        list.addColumn(" Websites");
        const qsizetype cut = WebsiteList::shownLength;
        const QString fits(cut, u'a');
        const QString pairAtTheCut = QString(cut - 1, u'b') + QStringLiteral("\U0001F600c");
        const QString huge = QString(5'000'000, u'\u00e9'); // two bytes each in UTF-8
        appendAll(list, {fits, pairAtTheCut, huge});
        const auto shown = [&](int row, int role) { return list.index(row, 0).data(role); };

        QCOMPARE(shown(0, Qt::DisplayRole).toString(), fits);
        QCOMPARE(shown(1, Qt::DisplayRole).toString(), QString(cut - 1, u'b') + u'\u2026');
        QCOMPARE(shown(2, Qt::DisplayRole).toString(), QString(cut, u'\u00e9') + u'\u2026');
        QCOMPARE(shown(2, Qt::AccessibleTextRole), shown(2, Qt::DisplayRole));
        QCOMPARE(list.text(2), huge);
        QCOMPARE(list.cellText(2, 0), huge);
        QCOMPARE(joined(list), QStringList({fits, pairAtTheCut, huge}).join(';').toUtf8());
        // An entry reversed by a right-to-left override is shown with the override named.
        const QString controlled =
            QStringLiteral("a\u202Egro.\u2066b\u200Bc\u200Dd\u061C\u200E\u200F"
                           "\u202A\u202B\u2069\u2065\u2029");
        list.append(controlled);
        QCOMPARE(shown(3, Qt::DisplayRole).toString(),
                 QStringLiteral("a<U+202E>gro.<U+2066>b<U+200B>c\u200Dd<U+061C><U+200E><U+200F>"
                                "<U+202A><U+202B><U+2069>\u2065\u2029"));
        QCOMPARE(list.text(3), controlled);
    }

    void modelBehavesForViews() {
        WebsiteList list;
        QAbstractItemModelTester tester(&list,
                                        QAbstractItemModelTester::FailureReportingMode::QtTest);
        list.addColumn(" Websites");
        appendAll(list, {"a", "b", "c"});
        list.append("d");
        list.setChecked(1, true);
        QVERIFY(list.setData(list.index(2, 0), Qt::Checked, Qt::CheckStateRole));
        list.removeAt(0);
        list.removeAt(99); // past the end: nothing happens
        QCOMPARE(list.count(), 3);
        QCOMPARE(list.text(0), QStringLiteral("b"));
        QVERIFY(list.isChecked(0) && list.isChecked(1) && !list.isChecked(2));
        QCOMPARE(list.headerData(0, Qt::Horizontal, Qt::DisplayRole).toString(),
                 QStringLiteral(" Websites"));
        list.clear();
        QCOMPARE(list.rowCount(), 0);
    }
};

QTEST_GUILESS_MAIN(ListPersistenceTest)
#include "test_list_persistence.moc"
