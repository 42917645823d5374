#include "RecordingXdgOpen.h"
#include "opener/XdgShell.h"

#include <QtTest>

// The real hand-off, with a recording xdg-open first on PATH.
class TestXdgShell : public QObject {
    Q_OBJECT

    RecordingXdgOpen recorder;

private slots:
    void initTestCase() { qputenv("PATH", recorder.pathWithRecorderFirst()); }

    void handsTheAddressOverAsItsOneArgumentFromTheRootFolder() {
        const QString address = QStringLiteral("http://example.com/a b?q=\"1\"&x='$HOME' ü;`id`");
        XdgShell shell;
        // Would be read as an option: not handed over, and the caller is told.
        QCOMPARE(shell.open(QStringLiteral("-version")), Shell::HandOff::notAnAddress);
        QCOMPARE(shell.open(address), Shell::HandOff::started);
        QTRY_COMPARE_WITH_TIMEOUT(recorder.calls().size(), 1, 10000);
        QTest::qWait(300);

        const QList<RecordingXdgOpen::Call> calls = recorder.calls();
        QCOMPARE(calls.size(), 1);
        QCOMPARE(calls[0].arguments, QByteArrayList{address.toUtf8()});
        QCOMPARE(calls[0].workingFolder, QByteArray("/"));
    }
};

QTEST_GUILESS_MAIN(TestXdgShell)
#include "test_xdg_shell.moc"
