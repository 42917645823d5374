#include "FakeDialogs.h"
#include "base/ErrorReport.h"
#include "base/ErrorTrap.h"

#include <QTest>

class ErrorReportTest : public QObject {
    Q_OBJECT

private slots:
    void textIsBuiltCharacterForCharacter() {
        const ErrorReport report(QStringLiteral("Overflow"), QStringLiteral("Form1.Form_Load"),
                                 144);
        QCOMPARE(report.text(),
                 QStringLiteral("Overflow\r\nin Corvantis2021/08/31.Form1.Form_Load at line 144\r\r"
                                "Please email screenshot of this message to ") +
                     QLatin1String(ErrorReport::supportAddress));
        QCOMPARE(QLatin1String(ErrorReport::title), QLatin1String("Application Error"));
    }

    void trapReportsTheFailedStatementAndGoesOn() {
        FakeDialogs dialogs;
        ErrorTrap trap(QStringLiteral("Main.SaveListviewProperlySpacedWithoutProgressBar"),
                       dialogs);
        QStringList ran;
        QVERIFY(trap.run(100, [&] { ran << "100"; }));
        QVERIFY(!trap.run(102, [&] {
            ran << "102";
            throw Failure(QStringLiteral("Path not found"));
        }));
        QVERIFY(!trap.run(104, [&] { throw std::runtime_error("bad"); }));
        QVERIFY(trap.run(106, [&] { ran << "106"; }));

        QCOMPARE(ran, QStringList({"100", "102", "106"}));
        QCOMPARE(dialogs.reportPlaces(),
                 QStringList({"Main.SaveListviewProperlySpacedWithoutProgressBar 102",
                              "Main.SaveListviewProperlySpacedWithoutProgressBar 104"}));
        QVERIFY(dialogs.reports.at(0).text().startsWith(
            "Path not found\r\nin "
            "Corvantis2021/08/31.Main.SaveListviewProperlySpacedWithoutProgressBar "
            "at line 102\r\r"));
    }

    void outOfMemoryIsReportedNotFatal() {
        FakeDialogs dialogs;
        ErrorTrap trap(QStringLiteral("Form1.PushButton10_Click"), dialogs);
        QVERIFY(!trap.run(120, [] { throw std::bad_alloc(); }));
        QCOMPARE(dialogs.reports.at(0).description(), QStringLiteral("Out of memory"));
    }
};

QTEST_GUILESS_MAIN(ErrorReportTest)
#include "test_error_report.moc"
