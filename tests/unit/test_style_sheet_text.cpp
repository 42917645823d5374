// What the skin accepts as style-sheet text: braces are counted as Qt's parser reads them.
#include "base/Failure.h"
#include "ui/StyleSheetText.h"

#include <QtTest>

class TestStyleSheetText : public QObject {
    Q_OBJECT

private slots:
    void acceptsSheets_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("empty") << QByteArray();
        QTest::newRow("nested pseudo-states")
            << QByteArray("QPushButton:hover { color: red; }\nQLineEdit{border:0}");
        QTest::newRow("braces in a comment") << QByteArray("/* } { */ QWidget { color: red; }");
        QTest::newRow("braces in strings")
            << QByteArray("QLabel[text=\"}\"] { color: red; } QLabel[text='{'] {}");
        QTest::newRow("escaped quote") << QByteArray("QLabel[text=\"a\\\"}\"] {}");
        QTest::newRow("UTF-8 text") << QByteArray("/* caf\xc3\xa9 */ QWidget {}");
        QTest::newRow("the shipped skin") << [] {
            QFile file(qEnvironmentVariable("CORVANTIS_SOURCE_DIR") + "/assets/skin/corvantis.qss");
            return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("missing {");
        }();
    }
    void acceptsSheets() {
        QFETCH(QByteArray, bytes);
        QCOMPARE(styleSheetText(bytes), QString::fromUtf8(bytes));
    }

    void refusesWhatIsNoSheet_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("why");
        QTest::newRow("NUL") << QByteArray("QWidget {}\0", 11) << "NUL";
        QTest::newRow("Latin-1") << QByteArray("/* caf\xe9 */") << "not UTF-8";
        QTest::newRow("cut UTF-8") << QByteArray("QWidget {} \xc3") << "not UTF-8";
        QTest::newRow("open brace") << QByteArray("QWidget { color: red;") << "not closed";
        QTest::newRow("extra close") << QByteArray("QWidget {}}{") << "no opening";
        QTest::newRow("open comment") << QByteArray("QWidget {} /* }") << "comment";
        QTest::newRow("open string") << QByteArray("QLabel[text=\"}] {}") << "quoted";
        QTest::newRow("brace only in a comment") << QByteArray("QWidget { /* } */") << "not closed";
    }
    void refusesWhatIsNoSheet() {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, why);
        try {
            styleSheetText(bytes);
            QFAIL("accepted");
        } catch (const Failure& failure) {
            QVERIFY2(failure.description().contains(why), qPrintable(failure.description()));
        }
    }
};

QTEST_GUILESS_MAIN(TestStyleSheetText)
#include "test_style_sheet_text.moc"
