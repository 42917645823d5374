#include "base/Failure.h"
#include "opener/CountConversion.h"

#include <QtTest>

class TestCountConversion : public QObject {
    Q_OBJECT

    static QString failureOf(const QString& text, const QLocale& locale) {
        try {
            convertCount(text, locale);
        } catch (const Failure& failure) {
            return failure.description();
        }
        return QStringLiteral("converted");
    }

private slots:
    void converts_data() {
        QTest::addColumn<QString>("locale");
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("count");
        const QString en = QStringLiteral("en_US");
        const QString de = QStringLiteral("de_DE");
        QTest::newRow("whole") << en << "7" << 7;
        QTest::newRow("blanks around") << en << " \t12  " << 12;
        QTest::newRow("half down to even") << en << "2.5" << 2;
        QTest::newRow("half up to even") << en << "3.5" << 4;
        QTest::newRow("negative half to even") << en << "-2.5" << -2;
        QTest::newRow("group separator") << en << "1,000" << 1000;
        QTest::newRow("exponent") << en << "1e3" << 1000;
        QTest::newRow("largest") << en << "2147483647" << 2147483647;
        QTest::newRow("smallest") << en << "-2147483648" << int(-2147483648LL);
        QTest::newRow("smallest by rounding to even")
            << en << "-2147483648.5" << int(-2147483648LL);
        QTest::newRow("comma is the decimal point") << de << "2,5" << 2;
        QTest::newRow("dot groups") << de << "1.000" << 1000;
    }
    void converts() {
        QFETCH(QString, locale);
        QFETCH(QString, text);
        QFETCH(int, count);
        QCOMPARE(convertCount(text, QLocale(locale)), count);
    }

    void fails_data() {
        QTest::addColumn<QString>("locale");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("description");
        const QString en = QStringLiteral("en_US");
        const QString mismatch = QStringLiteral("Type mismatch");
        const QString overflow = QStringLiteral("Overflow");
        QTest::newRow("empty") << en << "" << mismatch;
        QTest::newRow("letters") << en << "five" << mismatch;
        QTest::newRow("number then letters") << en << "5 sites" << mismatch;
        QTest::newRow("spelled infinity") << en << "inf" << mismatch;
        QTest::newRow("not a number") << en << "nan" << mismatch;
        QTest::newRow("hexadecimal") << en << "0x10" << mismatch;
        QTest::newRow("other locale's decimal comma") << en << "2,5" << mismatch;
        QTest::newRow("past the top") << en << "2147483648" << overflow;
        QTest::newRow("past the top by rounding") << en << "2147483647.5" << overflow;
        QTest::newRow("past the bottom") << en << "-2147483649" << overflow;
        QTest::newRow("exponent past a double") << en << "1e999" << overflow;
    }
    void fails() {
        QFETCH(QString, locale);
        QFETCH(QString, text);
        QFETCH(QString, description);
        QCOMPARE(failureOf(text, QLocale(locale)), description);
    }
};

QTEST_APPLESS_MAIN(TestCountConversion)
#include "test_count_conversion.moc"
