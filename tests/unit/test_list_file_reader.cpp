// The list text file format, on byte strings: every case is split in chunks of every size, so
// that chunk boundaries fall everywhere, also between a CR and its LF and inside a UTF-8
// character or the byte-order mark.
#include "base/Failure.h"
#include "base/TextDecoding.h"
#include "commands/TextImport.h"
#include "list/ListFileReader.h"
#include "list/ListFileSplitter.h"
#include "list/WebsiteList.h"

#include <QBuffer>
#include <QStringEncoder>
#include <QTest>

namespace {

QStringList splitInChunks(const QByteArray& bytes, qsizetype chunkSize) {
    QStringList entries;
    ListFileSplitter splitter(
        [&](QByteArrayView entry) { entries.append(decodeUtf8OrLatin1(entry)); });
    for (qsizetype at = 0; at < bytes.size(); at += chunkSize)
        splitter.feed(QByteArrayView(bytes).sliced(at, std::min(chunkSize, bytes.size() - at)));
    splitter.finish();
    return entries;
}

// A device that hands out at most `readSize` bytes per read, as a pipe may, and at the end
// either ends or fails, as a disk with a bad sector does.
class TricklingDevice : public QIODevice {
public:
    enum class AtTheEnd { Ends, Fails };

    TricklingDevice(QByteArray bytes, qint64 readSize, AtTheEnd end = AtTheEnd::Ends)
        : bytes_(std::move(bytes)), readSize_(readSize), end_(end) {
        open(ReadOnly | Unbuffered);
    }
    bool isSequential() const override { return true; }

protected:
    qint64 readData(char* data, qint64 maxSize) override {
        if (bytes_.isEmpty() && end_ == AtTheEnd::Fails) {
            setErrorString(QStringLiteral("Input/output error"));
            return -1;
        }
        const qint64 count = std::min({maxSize, readSize_, qint64{bytes_.size()}});
        memcpy(data, bytes_.constData(), static_cast<size_t>(count));
        bytes_.remove(0, count);
        return count;
    }
    qint64 writeData(const char*, qint64) override { return -1; }

private:
    QByteArray bytes_;
    qint64 readSize_;
    AtTheEnd end_;
};

QByteArray utf16(const QString& text, QStringConverter::Encoding byteOrder) {
    return QStringEncoder(byteOrder, QStringConverter::Flag::WriteBom).encode(text);
}

} // namespace

class TestListFileReader : public QObject {
    Q_OBJECT

private slots:
    void entriesOfEveryChunking_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QStringList>("entries");
        auto row = [](const char* name, QByteArray bytes, QStringList entries) {
            QTest::newRow(name) << bytes << entries;
        };
        row("zero bytes", "", {});
        row("CR LF ends, final CR LF adds nothing", "a\r\nb\r\n\r\nc\r\n", {"a", "b", "", "c"});
        row("LF ends, final LF adds nothing", "a\nb\n\nc\n", {"a", "b", "", "c"});
        row("CR ends read like CR LF", "a\rb\r\rc\r", {"a", "b", "", "c"});
        row("no final line end", "a\r\nb", {"a", "b"});
        row("only CR LF", "\r\n", {""});
        row("only LF", "\n", {""});
        row("only CR", "\r", {""});
        row("two CR LF", "\r\n\r\n", {"", ""});
        row("LF then CR", "a\n\r", {"a", ""});
        row("CR CR LF", "a\r\r\nb", {"a", "", "b"});
        row("LF inside a CR LF line", "a\nb\r\nc", {"a", "b", "c"});
        row("LF CR LF", "a\n\r\nb", {"a", "", "b"});
        row("blanks and tabs kept", " a \t\r\n\thost.example \r\n", {" a \t", "\thost.example "});
        row("NUL bytes kept", QByteArray("a\0b\r\n\0", 6),
            {QStringLiteral("a\u0000b"), QStringLiteral("\u0000")});
        row("byte-order mark dropped", "\xEF\xBB\xBFhttp://a\r\nb", {"http://a", "b"});
        row("byte-order mark alone", "\xEF\xBB\xBF", {});
        row("byte-order mark and CR LF", "\xEF\xBB\xBF\r\n", {""});
        row("byte-order mark and LF", "\xEF\xBB\xBF\n", {""});
        row("second byte-order mark kept",
            "\xEF\xBB\xBF\xEF\xBB\xBF"
            "a",
            {QStringLiteral("\uFEFFa")});
        row("byte-order mark later kept",
            "a\r\n\xEF\xBB\xBF"
            "b",
            {"a", QStringLiteral("\uFEFFb")});
        row("part of a byte-order mark is text", "\xEF\xBB", {QStringLiteral("\u00EF\u00BB")});
        row("UTF-8", "na\xC3\xAFve\r\n\xE2\x82\xAC",
            {QStringLiteral("naïve"), QStringLiteral("€")});
        row("invalid UTF-8 line as Latin-1", "caf\xE9\r\nna\xC3\xAFve",
            {QStringLiteral("caf\u00E9"), QStringLiteral("naïve")});
        row("cut UTF-8 character as Latin-1", "\xE2\x82\r\n", {QStringLiteral("\u00E2\u0082")});
        row("overlong leads C0 and C1 as Latin-1", "\xC0\xAF\r\n\xC1\xBF",
            {QStringLiteral("\u00C0\u00AF"), QStringLiteral("\u00C1\u00BF")});
        // Past 64 bytes the line ends are found a block at a time: a CR LF across two blocks,
        // an LF CR at the end of one, a CR CR in the bytes after the last whole block.
        row("line ends across scan blocks",
            QByteArray(63, 'a') + "\r\n" + QByteArray(61, 'b') + "\n\r" + QByteArray(70, 'c') +
                "\r\rd\n",
            {QString(63, u'a'), QString(61, u'b'), "", QString(70, u'c'), "", "d"});
    }
    void entriesOfEveryChunking() {
        QFETCH(QByteArray, bytes);
        QFETCH(QStringList, entries);
        for (qsizetype chunkSize = 1; chunkSize <= bytes.size() + 1; ++chunkSize)
            QCOMPARE(splitInChunks(bytes, chunkSize), entries);

        // The reader of devices too, with its shortcut for files that are all ASCII.
        QBuffer buffer(&bytes);
        QVERIFY(buffer.open(QIODevice::ReadOnly));
        QStringList read;
        readListFile(buffer, QStringLiteral("list.txt"),
                     [&](QByteArrayView entry) { read.append(decodeUtf8OrLatin1(entry)); });
        QCOMPARE(read, entries);
    }

    void utf16WithAByteOrderMarkInReadsOfEverySize_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QStringList>("entries");
        const QString text = QStringLiteral("http://a\r\nb\u00E9\n\U0001F600x\rlast");
        const QStringList entries{"http://a", QStringLiteral("b\u00E9"),
                                  QStringLiteral("\U0001F600x"), "last"};
        QTest::newRow("little endian") << utf16(text, QStringConverter::Utf16LE) << entries;
        QTest::newRow("big endian") << utf16(text, QStringConverter::Utf16BE) << entries;
        QTest::newRow("mark alone") << QByteArray("\xFF\xFE") << QStringList();
        QTest::newRow("second mark kept")
            << utf16(QStringLiteral("\uFEFFa"), QStringConverter::Utf16LE)
            << QStringList{QStringLiteral("\uFEFFa")};
        QTest::newRow("odd last byte replaced")
            << QByteArray("\xFE\xFF\0a\0\n\x41", 7) << QStringList{"a", QStringLiteral("\uFFFD")};
        QTest::newRow("one byte of a mark is Latin-1")
            << QByteArray("\xFF") << QStringList{QStringLiteral("\u00FF")};
    }
    void utf16WithAByteOrderMarkInReadsOfEverySize() {
        QFETCH(QByteArray, bytes);
        QFETCH(QStringList, entries);
        for (qint64 readSize = 1; readSize <= bytes.size(); ++readSize) {
            TricklingDevice device(bytes, readSize);
            QStringList read;
            readListFile(device, QStringLiteral("unicode.txt"),
                         [&](QByteArrayView entry) { read.append(decodeUtf8OrLatin1(entry)); });
            QCOMPARE(read, entries);
        }
    }

    void longEntriesAcrossReadChunks() {
        // The reader reads in chunks of its own: entries longer than one, and a CR LF at the end
        // of one, come out whole.
        const QByteArray longLine(3 * 1024 * 1024 + 17, 'x');
        QByteArray bytes = "short\r\n" + longLine + "\r\n";
        bytes += QByteArray((1 << 20) - bytes.size() % (1 << 20) - 1, 'y') + "\r\nlast";
        QBuffer buffer(&bytes);
        QVERIFY(buffer.open(QIODevice::ReadOnly));
        QStringList entries;
        readListFile(buffer, QStringLiteral("list.txt"),
                     [&](QByteArrayView entry) { entries.append(decodeUtf8OrLatin1(entry)); });
        QCOMPARE(entries.size(), 4);
        QCOMPARE(entries.at(1), QString::fromLatin1(longLine));
        QVERIFY(entries.at(2).endsWith(u'y') && !entries.at(2).contains(u'\r'));
        QCOMPARE(entries.at(3), QStringLiteral("last"));
    }

    void utf8AfterAnAsciiChunk() {
        // The first read chunk is all ASCII, an entry running into the second one is not.
        QByteArray bytes = QByteArray(1 << 20, 'a') + "\xC3\xA9\r\ncaf\xE9";
        QBuffer buffer(&bytes);
        QVERIFY(buffer.open(QIODevice::ReadOnly));
        QStringList entries;
        readListFile(buffer, QStringLiteral("list.txt"),
                     [&](QByteArrayView entry) { entries.append(decodeUtf8OrLatin1(entry)); });
        QCOMPARE(entries.size(), 2);
        QVERIFY(entries.at(0).endsWith(QStringLiteral("aa\u00E9")));
        QCOMPARE(entries.at(1), QStringLiteral("caf\u00E9"));
    }

    void aReadFailureKeepsTheEntriesBeforeIt() {
        WebsiteList list;
        list.append(QStringLiteral("already there"));
        TricklingDevice device("a\r\nb\r\npartial", 1 << 20, TricklingDevice::AtTheEnd::Fails);
        try {
            appendListFile(list, device, QStringLiteral("/lists/bad.txt"));
            QFAIL("the failure was not thrown");
        } catch (const Failure& failure) {
            QCOMPARE(failure.description(),
                     QStringLiteral("Cannot read /lists/bad.txt: Input/output error"));
        }
        QCOMPARE(list.count(), 3);
        QCOMPARE(list.text(0), QStringLiteral("already there"));
        QCOMPARE(list.text(2), QStringLiteral("b"));
    }

    void manyEntriesKeepTheirOrder() {
        // More entries than one batch, after entries already in the list.
        QByteArray bytes;
        for (int i = 0; i < 20000; ++i)
            bytes += QByteArray::number(i) + "\r\n";
        QBuffer buffer(&bytes);
        QVERIFY(buffer.open(QIODevice::ReadOnly));
        WebsiteList list;
        list.append(QStringLiteral("first"));
        appendListFile(list, buffer, QStringLiteral("n.txt"));
        QCOMPARE(list.count(), 20001);
        for (int i = 0; i < 20000; i += 997)
            QCOMPARE(list.text(i + 1), QString::number(i));
        QCOMPARE(list.text(20000), QStringLiteral("19999"));
    }

    void fixDoubleBackslashes_data() {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("fixed");
        QTest::newRow("linux path unchanged") << "/home/me/a.txt"
                                              << "/home/me/a.txt";
        QTest::newRow("empty") << ""
                               << "";
        QTest::newRow("drive root joined") << R"(C:\\list.txt)"
                                           << R"(C:\list.txt)";
        QTest::newRow("three become two") << R"(C:\\\a)"
                                          << R"(C:\\a)";
        QTest::newRow("four become two") << R"(C:\\\\a)"
                                         << R"(C:\\a)";
        QTest::newRow("network path keeps two") << R"(\\server\share\\a.txt)"
                                                << R"(\\server\share\a.txt)";
        QTest::newRow("many leading become two") << R"(\\\\server\a)"
                                                 << R"(\\server\a)";
        QTest::newRow("one leading becomes two") << R"(\a.txt)"
                                                 << R"(\\a.txt)";
        QTest::newRow("only backslashes") << R"(\\\)"
                                          << R"(\\)";
    }
    void fixDoubleBackslashes() {
        QFETCH(QString, path);
        QFETCH(QString, fixed);
        QCOMPARE(Main::FixDoubleBackslashes(path), fixed);
    }
};

QTEST_GUILESS_MAIN(TestListFileReader)
#include "test_list_file_reader.moc"
