// Start-up's appearance steps on a real window: the skin and the hand cursor, present, absent
// and broken, and what each leaves on the window and in the error reports.
#include "Form1Controls.h"
#include "WindowUnderTest.h"
#include "base/FileExists.h"
#include "ui/AppIcon.h"
#include "ui/Appearance.h"
#include "ui/SkinFramework.h"

#include <QGroupBox>
#include <QMessageBox>
#include <QProcess>
#include <QPushButton>
#include <QtTest>
#include <sys/stat.h>
#include <unistd.h>

namespace {

QByteArray shipped(const QString& name) {
    QFile file(qEnvironmentVariable("CORVANTIS_PROGRAM_DIR") + QLatin1Char('/') + name);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QColor background(const QWidget* widget) {
    return widget->palette().color(QPalette::Active, QPalette::Window);
}

QColor buttonFace(const QWidget* widget) {
    return widget->palette().color(QPalette::Active, QPalette::Button);
}

void hoverOverButton(Form1& window) {
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    // From the window's surface, so that the move onto the button is a move wherever the
    // previous test left the mouse.
    QTest::mouseMove(&window, QPoint(3, 3));
    QTest::mouseMove(addButton(window), addButton(window)->rect().center());
    QCOMPARE(window.pointerState(), PointerState::Custom);
}

} // namespace

class TestAppearance : public QObject {
    Q_OBJECT

private slots:
    void theSkinIsLoadedSwitchedOnAndApplied() {
        WindowUnderTest test;
        test.env.placeInProgramFolder("x/o.cjs", shipped("x/o.cjs"));
        Form1& window = test.load();

        QCOMPARE(background(&window), buttonFace(&window));
        QCOMPARE(background(countFrame(window)), buttonFace(countFrame(window)));
        QCOMPARE(window.styleSheet(), QString::fromUtf8(shipped("x/o.cjs")));
        QVERIFY(test.env.dialogs.reports.empty());
    }

    void theSkinAlsoDressesTheProgramsDialogs() {
        WindowUnderTest test;
        test.env.placeInProgramFolder("x/o.cjs", "QPushButton { color: #123456; }");
        test.load();
        QMessageBox box(QMessageBox::NoIcon, "caption", "text");
        box.show();
        QCOMPARE(box.styleSheet(), QStringLiteral("QPushButton { color: #123456; }"));
    }

    void withoutTheSkinFileTheWindowStaysPlain_data() {
        QTest::addColumn<QString>("folderInstead");
        QTest::newRow("no skin file") << QString();
        QTest::newRow("a folder named o.cjs") << QStringLiteral("x/o.cjs");
        QTest::newRow("x is a file") << QStringLiteral("x");
    }
    void withoutTheSkinFileTheWindowStaysPlain() {
        QFETCH(QString, folderInstead);
        WindowUnderTest test;
        if (folderInstead == QStringLiteral("x"))
            test.env.placeInProgramFolder("x", "not a folder");
        else if (!folderInstead.isEmpty())
            QVERIFY(QDir(test.env.programFolder.path()).mkpath(folderInstead));
        Form1& window = test.load();

        QVERIFY(window.SkinFramework1->styleSheet().isEmpty()); // nothing was loaded
        QCOMPARE(background(&window), QColor(Qt::white));
        QCOMPARE(background(countFrame(window)), QColor(Qt::white));
        QVERIFY(window.styleSheet().isEmpty());
        QVERIFY(test.env.dialogs.reports.empty());
    }

    void aSkinThatIsNoStyleSheetIsReportedAndStartUpGoesOn_data() {
        QTest::addColumn<QByteArray>("skin");
        QTest::newRow("not UTF-8") << QByteArray("QPushButton { color: \xff\xfe; }");
        QTest::newRow("NUL bytes") << QByteArray("QPushButton { color: red; }\0\0", 30);
        QTest::newRow("brace not closed") << QByteArray("QPushButton { color: red;");
        QTest::newRow("brace not opened") << QByteArray("QPushButton color: red; }");
        QTest::newRow("a PNG") << QByteArray("\x89PNG\r\n\x1a\n\0\0\0\rIHDR", 16);
    }
    void aSkinThatIsNoStyleSheetIsReportedAndStartUpGoesOn() {
        QFETCH(QByteArray, skin);
        WindowUnderTest test;
        test.env.placeInProgramFolder("x/o.cjs", skin);
        test.env.placeInProgramFolder("HAND-M.CUR", shipped("HAND-M.CUR"));
        Form1& window = test.load();

        QCOMPARE(test.env.dialogs.reportPlaces(), QStringList({"Form1.Form_Load 100"}));
        QVERIFY(test.env.dialogs.reports.front().description().startsWith(
            "The skin is not a style sheet"));
        QCOMPARE(window.SkinFramework1->options() & SkinFramework::skinEnabled,
                 0); // not switched on
        QVERIFY(window.styleSheet().isEmpty());
        QVERIFY(window.hasCustomPointer()); // start-up went on with the cursor
        QCOMPARE(window.windowTitle(), QStringLiteral("Corvantis"));
    }

    void anUnreadableSkinIsReported() {
        if (::geteuid() == 0) {
            // Permission bits do not stop root: run this case again as an unprivileged user.
            QProcess child;
            child.start("setpriv",
                        {"--reuid=nobody", "--regid=nogroup", "--clear-groups",
                         QCoreApplication::applicationFilePath(), "anUnreadableSkinIsReported"});
            QVERIFY(child.waitForFinished(60000));
            QVERIFY2(child.exitCode() == 0, child.readAllStandardOutput().constData());
            return;
        }
        WindowUnderTest test;
        const QString path = test.env.placeInProgramFolder("x/o.cjs", "QWidget {}");
        QVERIFY(QFile::setPermissions(path, QFileDevice::Permissions()));
        Form1& window = test.load();
        QCOMPARE(test.env.dialogs.reportPlaces(), QStringList({"Form1.Form_Load 100"}));
        QVERIFY(test.env.dialogs.reports.front().description().startsWith("Cannot read the skin"));
        QVERIFY(window.styleSheet().isEmpty());
    }

    void theShippedHandBecomesThePointerOverButtons() {
        WindowUnderTest test;
        test.env.placeInProgramFolder("HAND-M.CUR", shipped("HAND-M.CUR"));
        Form1& window = test.load();
        QVERIFY(window.hasCustomPointer());
        hoverOverButton(window);
        QCOMPARE(window.cursor().shape(), Qt::BitmapCursor);
        QCOMPARE(window.cursor().hotSpot(), QPoint(7, 0));
        QVERIFY(test.env.dialogs.reports.empty());
    }

    void withoutTheCursorFileTheArrowShows() {
        WindowUnderTest test;
        Form1& window = test.load();
        QVERIFY(!window.hasCustomPointer());
        hoverOverButton(window);
        QCOMPARE(window.cursor().shape(), Qt::ArrowCursor);
        QVERIFY(test.env.dialogs.reports.empty());
    }

    void aBrokenCursorFileIsReportedOnceAndTheArrowStays_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("instead"); // a folder or a FIFO in the file's place
        QTest::newRow("zero bytes") << QByteArray() << QString();
        QTest::newRow("truncated") << shipped("HAND-M.CUR").left(1000) << QString();
        QTest::newRow("a PNG renamed")
            << QByteArray("\x89PNG\r\n\x1a\n\0\0\0\rIHDR", 16) << QString();
        QTest::newRow("a folder") << QByteArray() << QStringLiteral("folder");
        QTest::newRow("a FIFO, which would block") << QByteArray() << QStringLiteral("fifo");
    }
    void aBrokenCursorFileIsReportedOnceAndTheArrowStays() {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, instead);
        WindowUnderTest test;
        const QString cursorPath = test.env.programFolder.filePath("HAND-M.CUR");
        if (instead == QStringLiteral("folder"))
            QVERIFY(QDir().mkpath(cursorPath));
        else if (instead == QStringLiteral("fifo"))
            QCOMPARE(::mkfifo(QFile::encodeName(cursorPath).constData(), 0600), 0);
        else
            test.env.placeInProgramFolder("HAND-M.CUR", bytes);
        Form1& window = test.load();
        QCOMPARE(test.env.dialogs.reportPlaces(), QStringList({"Form1.Form_Load 106"}));
        QVERIFY(!window.hasCustomPointer());
        hoverOverButton(window);
        QCOMPARE(window.cursor().shape(), Qt::ArrowCursor);
    }

    void fileExistsAnswersWithoutFailing() {
        QTemporaryDir folder;
        QFile file(folder.filePath("present"));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.close();
        QVERIFY(FileExists(file.fileName()));
        QVERIFY(!FileExists(QString()));
        QVERIFY(!FileExists(folder.filePath("absent")));
        QVERIFY(!FileExists(folder.filePath("no such folder/present")));
        QVERIFY(!FileExists(file.fileName() + "/under a file"));
    }

    void theWindowWearsTheApplicationIcon() {
        WindowUnderTest test;
        Form1& window = test.load();
        const QList<QSize> sizes = window.windowIcon().availableSizes();
        for (int side : {32, 48, 128, 256})
            QVERIFY2(sizes.contains(QSize(side, side)), qPrintable(QString::number(side)));
    }
};

QTEST_MAIN(TestAppearance)
#include "test_appearance.moc"
