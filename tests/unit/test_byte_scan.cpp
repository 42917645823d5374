#include "base/ByteScan.h"

#include <QByteArray>
#include <QList>
#include <QTest>

// The scans go 64 bytes at a time and then byte by byte: every position of a few blocks, at
// their edges and in the tail, must be found.
class ByteScanTest : public QObject {
    Q_OBJECT

private slots:
    void everySeparatorIsFoundWhereverItFalls() {
        constexpr qsizetype size = 200;
        for (qsizetype first = 0; first < size; ++first) {
            QByteArray text(size, 'a');
            QList<qsizetype> expected{first};
            text[first] = ';';
            if (first + 64 < size) {
                text[first + 64] = ';';
                expected.append(first + 64);
            }
            QList<qsizetype> found;
            ByteScan::forEachByte(text, ';', [&](qsizetype at) { found.append(at); });
            QCOMPARE(found, expected);
            // The scan for either of two bytes finds a second kind right beside the first.
            if (first + 1 < size) {
                text[first + 1] = ',';
                expected.insert(1, first + 1);
            }
            QList<qsizetype> foundEither;
            ByteScan::forEachByteOf(text, ';', ',', [&](qsizetype at) { foundEither.append(at); });
            QCOMPARE(foundEither, expected);
        }
        int calls = 0;
        ByteScan::forEachByte(QByteArray(), ';', [&](qsizetype) { ++calls; });
        ByteScan::forEachByteOf(QByteArray(), ';', ',', [&](qsizetype) { ++calls; });
        QCOMPARE(calls, 0);
    }

    void theFirstByteThatIsNotAsciiIsFound() {
        constexpr qsizetype size = 200;
        QCOMPARE(ByteScan::asciiPrefixLength(QByteArray(size, 'a')), size);
        for (qsizetype at = 0; at < size; ++at) {
            QByteArray text(size, 'a');
            text[at] = '\x80';
            QCOMPARE(ByteScan::asciiPrefixLength(text), at);
        }
    }
};

QTEST_GUILESS_MAIN(ByteScanTest)
#include "test_byte_scan.moc"
