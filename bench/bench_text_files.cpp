// Import of a 1,000,000-line list file (about 57 MB) into a real window until the list shows
// it, against `wc -l` on the same file; the memory it takes, as a multiple of the file size;
// and the export of 1,000,000 checked entries, against `cp` of the written file. The import
// and the references are timed as the best of a few runs.
#include "BenchSupport.h"
#include "Form1Controls.h"
#include "app/SystemClock.h"
#include "base/ErrorReport.h"
#include "base/SettingsStore.h"
#include "list/WebsiteList.h"
#include "opener/SeededRandom.h"
#include "ui/Form1.h"
#include "ui/WebsiteListView.h"

#include <QApplication>
#include <QFile>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>

namespace {

constexpr int lineCount = 1'000'000;
constexpr int importRuns = 3;

// Answers the open and save dialogs with one path each; a report or notice means a failed run.
class AnsweringDialogs : public Dialogs {
public:
    QString openAnswer;
    QString saveAnswer;
    int failures = 0;

    void notice(const QString& text, const QString&) override {
        std::fprintf(stderr, "notice: %s\n", qPrintable(text));
        ++failures;
    }
    void errorReport(const ErrorReport& report) override {
        std::fprintf(stderr, "report: %s\n", qPrintable(report.text()));
        ++failures;
    }
    QString inputBox(const QString&, const QString&) override { return {}; }
    QStringList showOpen(const CommonDialog&) override { return {openAnswer}; }
    QString showSave(const CommonDialog&) override { return saveAnswer; }
};

class NoShell : public Shell {
public:
    HandOff open(const QString&) override { return HandOff::started; }
    bool handOffFinished() const override { return true; }
};

// About 57 bytes a line with its CR LF, every line different.
qint64 writeListFile(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        qFatal("cannot write %s", qPrintable(path));
    QByteArray block;
    for (int i = 0; i < lineCount; ++i) {
        block += "https://www.example-site-" + QByteArray::number(i % 977) + ".com/page/" +
                 QByteArray::number(i).rightJustified(7, '0') + "/index.htm\r\n";
        if (block.size() > (1 << 20)) {
            file.write(block);
            block.clear();
        }
    }
    file.write(block);
    return file.size();
}

} // namespace

int main(int argc, char* argv[]) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QTemporaryDir folder;
    const QString listPath = folder.filePath(QStringLiteral("websites.txt"));
    const qint64 fileSize = writeListFile(listPath);

    AnsweringDialogs dialogs;
    NoShell shell;
    SeededRandom random;
    SystemClock clock;
    SettingsStore settings(folder.filePath(QStringLiteral("config")));
    const Platform platform{dialogs, shell, random, clock, settings, folder.path()};
    WebsiteList websites;
    Form1 window(platform, websites);
    window.Form_Load();
    window.show();
    QCoreApplication::processEvents();

    const bench::Timing wc = bench::processTiming(QStringLiteral("wc"), {"-l", listPath});

    dialogs.openAnswer = listPath;
    bench::Timing imported = bench::noTimingYet;
    double peakGrowth = 0;
    double finalGrowth = 0;
    for (int run = 0; run < importRuns; ++run) {
        websites.clear();
        QCoreApplication::processEvents();
        const qint64 memoryBefore = bench::memoryBytes("VmRSS");
        bench::resetPeakMemory();
        imported.keepBest(bench::timingOf([&] {
            loadTextFilesButton(window)->click();
            QCoreApplication::processEvents(); // the list lays out and paints its new rows
        }));
        peakGrowth = std::max(peakGrowth, double(bench::memoryBytes("VmHWM") - memoryBefore));
        finalGrowth = std::max(finalGrowth, double(bench::memoryBytes("VmRSS") - memoryBefore));
        if (websiteListView(window)->model()->rowCount() != lineCount || dialogs.failures > 0)
            qFatal("the import did not give %d entries", lineCount);
    }

    bench::reportRatios({"import_1m_lines", "import_wc_l_reference", "import_ratio_to_wc_l",
                         "import_cpu_ratio_to_wc_l"},
                        imported, wc, "x", 10);
    bench::report("import_peak_memory_growth", peakGrowth / double(fileSize), "x_file_size",
                  "<=", 3);
    bench::report("import_final_memory_growth", finalGrowth / double(fileSize), "x_file_size",
                  "<=", 3);

    WebsiteList& list = window.websiteList();
    for (int row = 0; row < list.count(); ++row)
        list.setChecked(row, true);
    QCoreApplication::processEvents();
    const QString exportPath = folder.filePath(QStringLiteral("exported.txt"));
    dialogs.saveAnswer = exportPath;
    const bench::Timing exported = bench::timingOf([&] { saveTextFileButton(window)->click(); });
    if (dialogs.failures > 0 || QFileInfo(exportPath).size() < fileSize)
        qFatal("the export failed");
    const bench::Timing cp = bench::processTiming(
        QStringLiteral("cp"), {exportPath, folder.filePath(QStringLiteral("copy.txt"))});

    bench::reportRatios({"export_1m_checked_entries", "export_cp_reference", "export_ratio_to_cp",
                         "export_cpu_ratio_to_cp"},
                        exported, cp, "x", 10);
    window.close();
    return 0;
}
