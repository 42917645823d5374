// The .CUR reader on hand-made files: the directory, the chosen image, the hotspot, and files
// that are not cursors (cut short, empty, another format).
#include "base/Failure.h"
#include "ui/CursorFile.h"

#include <QBuffer>
#include <QtTest>

namespace {

void put16(QByteArray& out, int value) {
    out.append(static_cast<char>(value & 0xFF));
    out.append(static_cast<char>(value >> 8 & 0xFF));
}

void put32(QByteArray& out, quint32 value) {
    put16(out, static_cast<int>(value & 0xFFFF));
    put16(out, static_cast<int>(value >> 16));
}

// A square 32-bit bitmap as a cursor stores it: header, colours bottom row first, 1-bit mask.
// Every pixel is `fill` except the top-left one, which is opaque red.
QByteArray bitmap(int side, quint32 fill) {
    QByteArray out;
    put32(out, 40);
    put32(out, static_cast<quint32>(side));
    put32(out, static_cast<quint32>(side * 2));
    put16(out, 1);
    put16(out, 32);
    for (int i = 0; i < 6; ++i)
        put32(out, 0);
    for (int y = side - 1; y >= 0; --y)
        for (int x = 0; x < side; ++x)
            put32(out, x == 0 && y == 0 ? 0xFFFF0000 : fill);
    const int maskRowBytes = ((side + 31) / 32) * 4;
    out.append(QByteArray(side * maskRowBytes, '\0'));
    return out;
}

struct Image {
    int side;
    QPoint hotspot;
    QByteArray data;
};

QByteArray cursorFile(const QList<Image>& images, int type = 2) {
    QByteArray out;
    put16(out, 0);
    put16(out, type);
    put16(out, static_cast<int>(images.size()));
    quint32 offset = 6 + 16 * static_cast<quint32>(images.size());
    for (const Image& image : images) {
        out.append(static_cast<char>(image.side));
        out.append(static_cast<char>(image.side));
        out.append(2, '\0');
        put16(out, image.hotspot.x());
        put16(out, image.hotspot.y());
        put32(out, static_cast<quint32>(image.data.size()));
        put32(out, offset);
        offset += static_cast<quint32>(image.data.size());
    }
    for (const Image& image : images)
        out.append(image.data);
    return out;
}

QString failureOf(const QByteArray& bytes) {
    try {
        readCursorFile(bytes);
    } catch (const Failure& failure) {
        return failure.description();
    }
    return {};
}

} // namespace

class TestCursorFile : public QObject {
    Q_OBJECT

private slots:
    void readsTheImageAndTheHotspotOfTheDirectory() {
        const CursorPicture picture =
            readCursorFile(cursorFile({{8, QPoint(3, 5), bitmap(8, 0xFF00FF00)}}));
        QCOMPARE(picture.image.size(), QSize(8, 8));
        QCOMPARE(picture.hotspot, QPoint(3, 5));
        QCOMPARE(picture.image.pixelColor(0, 0), QColor(Qt::red));
        QCOMPARE(picture.image.pixelColor(7, 7), QColor(Qt::green));
    }

    void keepsTransparency() {
        const CursorPicture picture =
            readCursorFile(cursorFile({{8, QPoint(0, 0), bitmap(8, 0x00000000)}}));
        QCOMPARE(picture.image.pixelColor(4, 4).alpha(), 0);
        QCOMPARE(picture.image.pixelColor(0, 0).alpha(), 255);
    }

    void takesTheImageNearest32PixelsWithItsOwnHotspot() {
        const QByteArray bytes = cursorFile({{16, QPoint(1, 1), bitmap(16, 0xFF0000FF)},
                                             {32, QPoint(9, 2), bitmap(32, 0xFF00FF00)},
                                             {48, QPoint(20, 3), bitmap(48, 0xFFFFFFFF)}});
        const CursorPicture picture = readCursorFile(bytes);
        QCOMPARE(picture.image.size(), QSize(32, 32));
        QCOMPARE(picture.hotspot, QPoint(9, 2));
        QCOMPARE(picture.image.pixelColor(5, 5), QColor(Qt::green));
    }

    void rejectsEveryTruncation() {
        const QByteArray whole = cursorFile({{8, QPoint(3, 5), bitmap(8, 0xFF00FF00)}});
        for (qsizetype length = 0; length < whole.size(); ++length)
            QVERIFY2(!failureOf(whole.left(length)).isEmpty(), qPrintable(QString::number(length)));
    }

    void rejectsWhatIsNoCursor_data() {
        QTest::addColumn<QByteArray>("bytes");
        const Image image{8, QPoint(0, 0), bitmap(8, 0xFF00FF00)};
        QTest::newRow("empty") << QByteArray();
        QTest::newRow("an icon, not a cursor") << cursorFile({image}, 1);
        QTest::newRow("no image") << cursorFile({});
        QTest::newRow("hotspot outside the image") << cursorFile({{8, QPoint(8, 2), image.data}});
        QTest::newRow("image data that is no bitmap")
            << cursorFile({{8, QPoint(0, 0), QByteArray(300, 'x')}});
        QImage png(8, 8, QImage::Format_ARGB32);
        png.fill(Qt::blue);
        QByteArray pngBytes;
        QBuffer buffer(&pngBytes);
        buffer.open(QIODevice::WriteOnly);
        png.save(&buffer, "PNG");
        QTest::newRow("a PNG renamed") << pngBytes;
        QByteArray farOffset = cursorFile({image});
        farOffset[18] = '\x7F';
        QTest::newRow("image offset past the end") << farOffset;
    }
    void rejectsWhatIsNoCursor() {
        QFETCH(QByteArray, bytes);
        QVERIFY(failureOf(bytes).startsWith(QStringLiteral("Not a valid cursor file")));
    }

    void theShippedHandPointsWithItsFingertip() {
        QFile file(qEnvironmentVariable("CORVANTIS_PROGRAM_DIR") + QStringLiteral("/HAND-M.CUR"));
        QVERIFY(file.open(QIODevice::ReadOnly));
        const CursorPicture hand = readCursorFile(file.readAll());
        QCOMPARE(hand.image.size(), QSize(32, 32));
        QCOMPARE(hand.image.pixelColor(hand.hotspot).alpha(), 255);
        // Nothing of the hand lies above the fingertip.
        for (int y = 0; y < hand.hotspot.y(); ++y)
            for (int x = 0; x < 32; ++x)
                QCOMPARE(hand.image.pixelColor(x, y).alpha(), 0);
    }
};

QTEST_GUILESS_MAIN(TestCursorFile)
#include "test_cursor_file.moc"
