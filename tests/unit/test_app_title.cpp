#include "base/SetAppTitle.h"

#include <QTest>

class AppTitleTest : public QObject {
    Q_OBJECT

private slots:
    void titleIsTheNameCutAtItsLastBlank_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("title");
        QTest::newRow("one word is the title") << "Corvantis"
                                               << "Corvantis";
        QTest::newRow("last word dropped") << "Corvantis Random Opener"
                                           << "Corvantis Random";
        QTest::newRow("cut once even when short") << "A B"
                                                  << "A";
        QTest::newRow("cut again while over 40")
            << "Alpha Bravo Charlie Delta Echo Foxtrot Golf Hotel"
            << "Alpha Bravo Charlie Delta Echo Foxtrot";
        QTest::newRow("leading blank") << " Corvantis"
                                       << "";
    }
    void titleIsTheNameCutAtItsLastBlank() {
        QFETCH(QString, name);
        QFETCH(QString, title);
        QCOMPARE(appTitleFromProductName(name), title);
    }
};

QTEST_GUILESS_MAIN(AppTitleTest)
#include "test_app_title.moc"
