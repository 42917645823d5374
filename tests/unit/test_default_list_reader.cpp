// The program's side of the reader: frames to records, and every way the reader process can end
// (finished, refused the file, crashed, fell silent, stopped mid-stream) told apart.

#include "JetFixtures.h"
#include "TestFiles.h"
#include "list/DefaultListReader.h"

#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <csignal>

using namespace std::chrono_literals;
using Step = DefaultListReader::Step;

class TestDefaultListReader : public QObject {
    Q_OBJECT

    QTemporaryDir folder_;

    // A stand-in reader: a shell script with the given body.
    QString fakeReader(const QString& name, const QByteArray& body) {
        const QString path = folder_.filePath(name);
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly) || file.write("#!/bin/sh\n" + body + '\n') < 0)
            qFatal("cannot write script");
        file.close();
        file.setPermissions(file.permissions() | QFile::ExeOwner | QFile::ExeGroup |
                            QFile::ExeOther);
        return path;
    }

    struct Outcome {
        QStringList urls; // "<NULL>" for a NULL
        Step last = Step::Record;
        QString problem;
    };

    static Outcome readAll(DefaultListReader& reader) {
        Outcome outcome;
        std::optional<QString> url;
        while ((outcome.last = reader.next(url)) == Step::Record)
            outcome.urls.append(url ? *url : QStringLiteral("<NULL>"));
        outcome.problem = reader.problem();
        return outcome;
    }

    static Outcome readWith(const QString& program, std::chrono::milliseconds limit = 10s,
                            DefaultListLimits limits = DefaultListReader::defaultLimits) {
        DefaultListReader reader(program, QStringLiteral("/nowhere/websites.mdb"), limit, limits);
        return readAll(reader);
    }

private slots:
    void realReaderGivesValuesNullsAndEmptyTextsInOrder() {
        const QString path = folder_.filePath(QStringLiteral("w.mdb"));
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(jetfixtures::websites(
            {QStringLiteral("a.org"), jetfixtures::null, QString(), QStringLiteral(" é ")}));
        file.close();
        DefaultListReader reader(jetfixtures::readerProgram(), path);
        const Outcome outcome = readAll(reader);
        QCOMPARE(outcome.urls, (QStringList{QStringLiteral("a.org"), QStringLiteral("<NULL>"),
                                            QString(), QStringLiteral(" é ")}));
        QCOMPARE(outcome.last, Step::End);
        std::optional<QString> url;
        QCOMPARE(reader.next(url), Step::End); // stays at the end
    }

    void realReaderGivesALongMemoWhole() {
        // 61,440 characters: libmdb's default buffer would cut it at 16,383.
        const QString longUrl = QStringLiteral("https://a.org/") + QString(61'426, u'\u00e9');
        const QString path = folder_.filePath(QStringLiteral("memo.mdb"));
        writeFixture(path, jetfixtures::writeWith({longUrl, QStringLiteral("b")},
                                                  {QStringLiteral("--column"), "url:memo"})
                               .database);
        DefaultListReader reader(jetfixtures::readerProgram(), path);
        QCOMPARE(readAll(reader).urls, (QStringList{longUrl, QStringLiteral("b")}));
    }

    void refusalsAreToldApartWhenNothingWasRead_data() {
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<Step>("step");
        QTest::newRow("cannot open") << 3 << Step::CannotOpen;
        QTest::newRow("no table") << 4 << Step::NoTable;
        QTest::newRow("no url field") << 5 << Step::NoUrlField;
        QTest::newRow("other code") << 9 << Step::Failed;
    }
    void refusalsAreToldApartWhenNothingWasRead() {
        QFETCH(int, exitCode);
        QFETCH(Step, step);
        const Outcome outcome = readWith(fakeReader(QStringLiteral("refuse%1").arg(exitCode),
                                                    "exit " + QByteArray::number(exitCode)));
        QVERIFY(outcome.urls.isEmpty());
        QCOMPARE(outcome.last, step);
        QVERIFY(!outcome.problem.isEmpty());
    }

    void everyEarlyEndIsAFailureKeepingWhatCameBefore_data() {
        QTest::addColumn<QByteArray>("body");
        QTest::addColumn<QString>("problem");
        const QByteArray first = "printf 'V\\005\\000\\000\\000first'; ";
        QTest::newRow("crash") << first + "kill -SEGV $$" << QStringLiteral("crashed");
        QTest::newRow("cut inside a frame") << first + "printf 'V\\011\\000\\000\\000sec'; exit 0"
                                            << QStringLiteral("before the last record");
        QTest::newRow("no end frame")
            << first + "exit 0" << QStringLiteral("before the last record");
        QTest::newRow("refusal after records")
            << first + "exit 3" << QStringLiteral("before the last record");
        QTest::newRow("garbage") << first + "printf 'Zzz'; exit 0"
                                 << QStringLiteral("cannot be read");
        QTest::newRow("failure after the end")
            << first + "printf E; exit 1" << QStringLiteral("after the last record");
        QTest::newRow("output after the end")
            << first + "printf 'EV'; exit 0" << QStringLiteral("wrote output after");
    }
    void everyEarlyEndIsAFailureKeepingWhatCameBefore() {
        QFETCH(QByteArray, body);
        QFETCH(QString, problem);
        const Outcome outcome = readWith(fakeReader(QStringLiteral("early"), body));
        QCOMPARE(outcome.urls, QStringList{QStringLiteral("first")});
        QCOMPARE(outcome.last, Step::Failed);
        QVERIFY2(outcome.problem.contains(problem), qPrintable(outcome.problem));
    }

    void silentReaderIsStoppedAfterTheSilenceLimit() {
        const QString program =
            fakeReader(QStringLiteral("silent"), "printf 'V\\001\\000\\000\\000a'; exec sleep 60");
        QElapsedTimer timer;
        timer.start();
        const Outcome outcome = readWith(program, 400ms);
        QVERIFY(timer.elapsed() < 5000);
        QCOMPARE(outcome.urls, QStringList{QStringLiteral("a")});
        QCOMPARE(outcome.last, Step::Failed);
        QVERIFY2(outcome.problem.contains(QStringLiteral("did not answer")),
                 qPrintable(outcome.problem));
    }

    void slowButSteadyReaderIsNeverCutShort() {
        // Eight records 300 ms apart: longer in total than the limit, never silent that long
        // (a wide margin, so a loaded machine does not turn the pauses into silences).
        const QString program = fakeReader(QStringLiteral("steady"),
                                           "for i in 1 2 3 4 5 6 7 8; do printf "
                                           "'V\\001\\000\\000\\000'$i; sleep 0.3; done; printf E");
        const Outcome outcome = readWith(program, 2000ms);
        QCOMPARE(outcome.urls.size(), 8);
        QCOMPARE(outcome.last, Step::End);
    }

    void readerPastTheLimitsIsStoppedKeepingWhatCameBefore_data() {
        QTest::addColumn<QByteArray>("body");
        QTest::addColumn<qsizetype>("maxRecords");
        QTest::addColumn<qsizetype>("maxBytes");
        QTest::addColumn<int>("records");
        QTest::addColumn<Step>("step");
        const QByteArray endlessValues = "while :; do printf 'V\\001\\000\\000\\000a'; done";
        QTest::newRow("endless values, records")
            << endlessValues << qsizetype(1000) << qsizetype(1 << 20) << 1000 << Step::TooLong;
        QTest::newRow("endless values, bytes")
            << endlessValues << qsizetype(1 << 20) << qsizetype(600) << 100 << Step::TooLong;
        QTest::newRow("endless NULLs")
            << QByteArray("while :; do printf N; done") << qsizetype(1000) << qsizetype(1 << 20)
            << 1000 << Step::TooLong;
        // Refused on its announced length: waiting for the value would run into the silence.
        QTest::newRow("value longer than what is left")
            << QByteArray("printf 'V\\001\\000\\000\\000aV\\000\\000\\020\\000'; "
                          "exec sleep 60")
            << qsizetype(1000) << qsizetype(4096) << 1 << Step::TooLong;
        QTest::newRow("exactly at the limits")
            << QByteArray("printf 'V\\001\\000\\000\\000aNV\\001\\000\\000\\000bE'") << qsizetype(3)
            << qsizetype(13) << 3 << Step::End;
    }
    void readerPastTheLimitsIsStoppedKeepingWhatCameBefore() {
        QFETCH(QByteArray, body);
        QFETCH(qsizetype, maxRecords);
        QFETCH(qsizetype, maxBytes);
        QFETCH(int, records);
        QFETCH(Step, step);
        const QString pidFile = folder_.filePath(QStringLiteral("endless.pid"));
        const QString program =
            fakeReader(QStringLiteral("endless"), "echo $$ > '" + pidFile.toUtf8() + "'; " + body);
        DefaultListReader reader(program, QStringLiteral("/nowhere/websites.mdb"), 10s,
                                 {maxRecords, maxBytes});
        const Outcome outcome = readAll(reader);
        QCOMPARE(outcome.urls.size(), records);
        QCOMPARE(outcome.last, step);
        if (step == Step::TooLong) {
            QVERIFY2(outcome.problem.contains(QStringLiteral("too long")),
                     qPrintable(outcome.problem));
            QFile pid(pidFile);
            QVERIFY(pid.open(QIODevice::ReadOnly));
            QCOMPARE(::kill(static_cast<pid_t>(pid.readAll().trimmed().toLongLong()), 0), -1);
        }
    }

    void missingReaderProgramIsAFailure() {
        const Outcome outcome = readWith(folder_.filePath(QStringLiteral("absent")));
        QVERIFY(outcome.urls.isEmpty());
        QCOMPARE(outcome.last, Step::Failed);
        QVERIFY2(outcome.problem.contains(QStringLiteral("could not be started")),
                 qPrintable(outcome.problem));
    }
};

QTEST_GUILESS_MAIN(TestDefaultListReader)
#include "test_default_list_reader.moc"
