// SIGKILL at random moments of the save at close of a 1,000,000-entry list, each in a child
// process: the stored list is always the old one or the new one, whole, and the temporary file
// a killed save leaves is removed by the next save.
#include "ChildTestRun.h"
#include "WindowUnderTest.h"

#include <QElapsedTimer>
#include <QRandomGenerator>
#include <QTest>

#include <csignal>
#include <cstdio>

namespace {

constexpr int trials = 8;
constexpr int deadlineMs = 120000;
constexpr const char* configVariable = "CORVANTIS_FAULT_CONFIG";

QByteArray contentOf(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("(missing)");
}

QStringList temporaryFilesIn(const QString& folder) {
    return QDir(folder).entryList({QStringLiteral(".Websites.saving-*")},
                                  QDir::Files | QDir::Hidden);
}

} // namespace

class FaultInjectionKillTest : public QObject {
    Q_OBJECT

private slots:
    void killDuringTheSaveLeavesTheOldOrTheNewList() {
        if (ChildTestRun::isChild()) {
            WindowUnderTest fixture;
            fixture.env.settings = SettingsStore(qEnvironmentVariable(configVariable));
            Form1& window = fixture.load();
            window.websiteList().append(QStringLiteral("https://new.example"));
            std::puts("saving");
            std::fflush(stdout);
            window.close();
            QVERIFY(fixture.env.dialogs.reports.empty());
            return;
        }
        QTemporaryDir config;
        const QString section = config.filePath(QStringLiteral("Pellamark/Corvantis"));
        const QString websites = section + QStringLiteral("/Websites");
        const QByteArray oldList = storedListOf(1'000'000);
        const QByteArray newList = oldList + ";https://new.example";
        auto startSave = [&](ChildTestRun& child) {
            writeFixture(websites, oldList);
            child.setEnvironment(configVariable, config.path());
            return child.start() && child.waitForOutput("saving", deadlineMs);
        };

        // An undisturbed save, timed: the kills fall within as long a time after it began.
        qint64 saveMs = 0;
        {
            ChildTestRun child(QStringLiteral("killDuringTheSaveLeavesTheOldOrTheNewList"));
            QVERIFY(startSave(child));
            QElapsedTimer save;
            save.start();
            QVERIFY2(child.finishWithin(deadlineMs), child.output().constData());
            saveMs = save.elapsed();
            QVERIFY(contentOf(websites) == newList);
        }
        int leftTemporaryFile = 0;
        int keptTheOldList = 0;
        for (int trial = 0; trial < trials; ++trial) {
            ChildTestRun child(QStringLiteral("killDuringTheSaveLeavesTheOldOrTheNewList"));
            QVERIFY(startSave(child));
            const auto delayMs = static_cast<int>(QRandomGenerator::global()->bounded(saveMs + 1));
            QTest::qSleep(delayMs);
            ::kill(static_cast<pid_t>(child.pid()), SIGKILL);
            child.finishWithin(deadlineMs);
            const QByteArray stored = contentOf(websites);
            QVERIFY2(stored == oldList || stored == newList,
                     qPrintable(QStringLiteral("killed %1 ms into the save: %2 bytes stored")
                                    .arg(delayMs)
                                    .arg(stored.size())));
            keptTheOldList += stored == oldList ? 1 : 0;
            leftTemporaryFile += temporaryFilesIn(section).isEmpty() ? 0 : 1;
        }
        qInfo("of %d killed saves, %d kept the old list, %d left a temporary file", trials,
              keptTheOldList, leftTemporaryFile);

        // The next save removes them, and one of a writer that is gone in any case.
        writeFixture(section + QStringLiteral("/.Websites.saving-999999999-0"), "half");
        ChildTestRun child(QStringLiteral("killDuringTheSaveLeavesTheOldOrTheNewList"));
        QVERIFY(startSave(child));
        QVERIFY2(child.finishWithin(deadlineMs), child.output().constData());
        QVERIFY(contentOf(websites) == newList);
        QCOMPARE(temporaryFilesIn(section), QStringList());
    }
};

QTEST_MAIN(FaultInjectionKillTest)
#include "test_fault_injection_kill.moc"
