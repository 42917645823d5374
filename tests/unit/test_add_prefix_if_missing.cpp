#include "list/AddPrefixIfMissing.h"

#include <QtTest>

class TestAddPrefixIfMissing : public QObject {
    Q_OBJECT

private slots:
    void prefixes_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("result");
        QTest::newRow("bare host") << "example.com"
                                   << "http://example.com";
        QTest::newRow("http kept") << "http://example.com"
                                   << "http://example.com";
        QTest::newRow("http in the middle kept") << "see http://x.org"
                                                 << "see http://x.org";
        QTest::newRow("https kept") << "https://example.com"
                                    << "https://example.com";
        QTest::newRow("capital scheme kept") << "HTTP://EXAMPLE.COM"
                                             << "HTTP://EXAMPLE.COM";
        QTest::newRow("capital http later is no http") << "see HTTP://x.org"
                                                       << "http://see HTTP://x.org";
        QTest::newRow("ftp kept") << "ftp://files.example"
                                  << "ftp://files.example";
        QTest::newRow("scheme with + - .") << "svn+ssh.x-y://h"
                                           << "svn+ssh.x-y://h";
        QTest::newRow("scheme must start with a letter") << "1abc://h"
                                                         << "http://1abc://h";
        QTest::newRow("no slashes is no scheme") << "mailto:a@b.c"
                                                 << "http://mailto:a@b.c";
        QTest::newRow("non-ASCII letter is no scheme") << "ĥttps://x"
                                                       << "http://ĥttps://x";
        QTest::newRow("blank before a scheme") << " https://x"
                                               << "http:// https://x";
        QTest::newRow("blanks only") << "   "
                                     << "http://   ";
    }
    void prefixes() {
        QFETCH(QString, text);
        QFETCH(QString, result);
        QCOMPARE(Main::AddPrefixIfMissing(text), result);
    }
};

QTEST_APPLESS_MAIN(TestAddPrefixIfMissing)
#include "test_add_prefix_if_missing.moc"
