// "Load Websites From Text File" on a real window, with the file dialog answered from a script
// and real files in a temporary folder.
#include "Form1Controls.h"
#include "TestFiles.h"
#include "WindowUnderTest.h"
#include "list/WebsiteList.h"

#include <QTemporaryDir>
#include <QTest>

class TestTextImport : public QObject {
    Q_OBJECT

    QTemporaryDir folder_;

    QString writeFile(const QString& name, const QByteArray& bytes) {
        const QString path = folder_.filePath(name);
        writeFixture(path, bytes);
        return path;
    }

private slots:
    void oneFileAppendsItsLinesAfterTheList() {
        WindowUnderTest test;
        Form1& window = test.load();
        window.websiteList().append(QStringLiteral("kept"));
        window.CommonDialog1.fileName = QStringLiteral("left from before");
        const QString path = writeFile("one.txt", "a\r\nb\r\n\r\n c\t\r\n");
        test.env.dialogs.openAnswers.enqueue({path});

        loadTextFilesButton(window)->click();

        QCOMPARE(entriesOf(window.websiteList()), QStringList({"kept", "a", "b", "", " c\t"}));
        QCOMPARE(test.env.dialogs.shownDialogs.size(), size_t{1});
        const CommonDialog& shown = test.env.dialogs.shownDialogs.front();
        QCOMPARE(shown.fileName, QString());
        QCOMPARE(shown.flags, std::uint32_t{0x280201});
        QCOMPARE(shown.dialogTitle,
                 QStringLiteral("Load List(s) - Hold Ctrl to select multiple list files"));
        QCOMPARE(shown.filter, QStringLiteral("Text Files (*.txt)|*.txt|All Files (*.*)|*.*|"));
        QCOMPARE(window.pointerState(), PointerState::Default);
        QVERIFY(test.env.dialogs.notices.empty());
        QVERIFY(test.env.dialogs.reports.empty());
    }

    void threeFilesInTheDialogsOrderAndTwice() {
        WindowUnderTest test;
        Form1& window = test.load();
        const QString b = writeFile("b\\1.txt", "b1\nb2\n");
        const QString a = writeFile("a.txt", "\xEF\xBB\xBFhttp://a\r\n");
        const QString c = writeFile("c\\2", "c1\rc2");
        // Of several picks, each path has its doubled backslashes made single again.
        const auto doubled = [](QString path) { return path.replace(u'\\', "\\\\"); };
        test.env.dialogs.openAnswers.enqueue({doubled(b), a, doubled(c)});
        test.env.dialogs.openAnswers.enqueue({a});

        loadTextFilesButton(window)->click();
        loadTextFilesButton(window)->click();

        QCOMPARE(entriesOf(window.websiteList()),
                 QStringList({"b1", "b2", "http://a", "c1", "c2", "http://a"}));
        QVERIFY(test.env.dialogs.reports.empty());
    }

    void aMissingFileAmongFoundOnes() {
        // The file vanished between the pick and the read: one notice, the others are read.
        WindowUnderTest test;
        Form1& window = test.load();
        const QString a = writeFile("a.txt", "a\r\n");
        const QString c = writeFile("c.txt", "c\r\n");
        test.env.dialogs.openAnswers.enqueue({a, folder_.filePath("gone.txt"), c});

        loadTextFilesButton(window)->click();

        QCOMPARE(entriesOf(window.websiteList()), QStringList({"a", "c"}));
        QCOMPARE(test.env.dialogs.notices.size(), size_t{1});
        QCOMPARE(test.env.dialogs.notices.front().text, QStringLiteral("File not found"));
        QCOMPARE(test.env.dialogs.notices.front().caption, window.appTitle());
        QVERIFY(test.env.dialogs.reports.empty());
    }

    void aFolderPickedIsReportedAndTheCommandGoesOn() {
        // A folder exists but cannot be read as a file, for root too.
        WindowUnderTest test;
        Form1& window = test.load();
        QVERIFY(QDir(folder_.path()).mkpath("folder.txt"));
        const QString a = writeFile("a.txt", "a");
        test.env.dialogs.openAnswers.enqueue({folder_.filePath("folder.txt")});
        test.env.dialogs.openAnswers.enqueue({folder_.filePath("folder.txt"), a});

        loadTextFilesButton(window)->click();
        QCOMPARE(test.env.dialogs.reportPlaces(), QStringList({"Form1.PushButton10_Click 120"}));
        QCOMPARE(window.pointerState(), PointerState::Default);

        loadTextFilesButton(window)->click();
        QCOMPARE(test.env.dialogs.reportPlaces(),
                 QStringList({"Form1.PushButton10_Click 120", "Form1.PushButton10_Click 134"}));
        QVERIFY(
            test.env.dialogs.reports.back().description().contains(folder_.filePath("folder.txt")));
        QCOMPARE(entriesOf(window.websiteList()), QStringList({"a"}));
        QCOMPARE(window.pointerState(), PointerState::Default);
    }

    void aDeviceIsNotReadForever() {
        // /dev/zero never ends and has no line end: it is refused, not read until memory ends.
        WindowUnderTest test;
        Form1& window = test.load();
        test.env.dialogs.openAnswers.enqueue({QStringLiteral("/dev/zero")});

        loadTextFilesButton(window)->click();

        QCOMPARE(test.env.dialogs.reportPlaces(), QStringList({"Form1.PushButton10_Click 120"}));
        QCOMPARE(window.websiteList().count(), 0);
    }

    void cancelAddsNothingAndLeavesThePointer() {
        WindowUnderTest test;
        Form1& window = test.load();
        window.setPointerState(PointerState::Custom);

        loadTextFilesButton(window)->click(); // no answer scripted: the user cancels

        QCOMPARE(window.websiteList().count(), 0);
        QCOMPARE(window.pointerState(), PointerState::Custom);
        QCOMPARE(test.env.dialogs.shownDialogs.size(), size_t{1});
        QVERIFY(test.env.dialogs.notices.empty());
        QVERIFY(test.env.dialogs.reports.empty());
    }
};

QTEST_MAIN(TestTextImport)
#include "test_text_import.moc"
