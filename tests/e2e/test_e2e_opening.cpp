#include "RecordingXdgOpen.h"
#include "RunningProgram.h"

#include <QtTest>

// The real program, a list stored in its settings, a recording xdg-open first on PATH:
// pressing "Start Opening Websites" hands over exactly N addresses, one argument each, each
// byte for byte as the entry holds it.
class TestE2eOpening : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() {
        if (qEnvironmentVariableIsEmpty("DISPLAY"))
            QSKIP("needs an X server in DISPLAY (./test.sh starts one)");
    }

    void startOpeningHandsOverNAddressesByteForByte() {
        const QByteArrayList entries{
            "http://example.com/a b/c d?q=\"1\"&x='$HOME' `id`",
            "https://example.org/ünï cödé path/",
            " http://example.net/leading blank#frag",
        };
        const int count = 6;
        RecordingXdgOpen recorder;
        RunningProgram program;
        program.storeSetting(QStringLiteral("Websites"), entries.join(';'));
        program.storeSetting(QStringLiteral("No of Websites"), QByteArray::number(count));
        program.setEnvironment(QStringLiteral("PATH"),
                               QString::fromUtf8(recorder.pathWithRecorderFirst()));
        const QString startFailure = program.start();
        QVERIFY2(startFailure.isEmpty(), qPrintable(startFailure));

        QVERIFY(program.clickOn(QStringLiteral("Start Opening Websites")));
        QTRY_VERIFY_WITH_TIMEOUT(recorder.calls().size() >= count, 20000);
        QTest::qWait(1000); // no more than N arrive
        const QList<RecordingXdgOpen::Call> calls = recorder.calls();
        QCOMPARE(calls.size(), count);
        for (const RecordingXdgOpen::Call& call : calls) {
            QCOMPARE(call.arguments.size(), 1);
            QVERIFY2(entries.contains(call.arguments.first()), call.arguments.first().constData());
            QCOMPARE(call.workingFolder, QByteArray("/"));
        }

        QCOMPARE(program.terminate(), 0);
        QCOMPARE(program.storedSetting(QStringLiteral("Websites")), entries.join(';'));
    }

    // A screen reader hears a window, the list's column header and every entry as a check box,
    // ticked or not; its toggle ticks the entry.
    void screenReaderHearsTheWindowAndEveryCheckBox() {
        RunningProgram program;
        program.storeSetting(QStringLiteral("Websites"), "a.example;b.example");
        const QString startFailure = program.start();
        QVERIFY2(startFailure.isEmpty(), qPrintable(startFailure));
        const AccessibleTree& tree = program.accessibleTree();
        const auto list = tree.waitFor(QStringLiteral("Websites"), QStringLiteral("table"));
        QVERIFY(list);
        QCOMPARE(tree.role(tree.children(*tree.application()).value(0)), QStringLiteral("frame"));
        const QList<AccessibleObject> children = tree.children(*list);
        QStringList heard;
        for (const AccessibleObject& child : children)
            heard.append(tree.role(child) + QStringLiteral(": ") + tree.name(child));
        QCOMPARE(heard, QStringList({QStringLiteral("column header:  Websites"),
                                     QStringLiteral("check box: a.example"),
                                     QStringLiteral("check box: b.example")}));
        QVERIFY(tree.doAction(children.at(1), QStringLiteral("Toggle")));
        QTRY_VERIFY(tree.hasState(children.at(1), AccessibleTree::checked));
        QVERIFY(!tree.hasState(children.at(2), AccessibleTree::checked));
        QCOMPARE(program.terminate(), 0);
    }
};

QTEST_GUILESS_MAIN(TestE2eOpening)
#include "test_e2e_opening.moc"
