// Import of a 1,000,000-line list file (about 57 MB) into a real window until the list shows
// it, against `wc -l` on the same file; the memory it takes, as a multiple of the file size;
// and the export of 1,000,000 checked entries, against `cp` of the written file. The import
// and the references are timed as the best of a few runs.
//
// The import is timed twice: in one window, until the event loop has painted once after the
// click; and as a user meets it, once in a program just started (this program run again for
// each run) until the list has laid out the new rows and painted them.
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
#include <QElapsedTimer>
#include <QFile>
#include <QScrollBar>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>

namespace {

constexpr int lineCount = 1'000'000;
constexpr int importRuns = 3;
constexpr int freshImportRuns = 3;
const char* const freshImportOption = "--import-in-a-fresh-window";

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

// A started window with an empty list, its settings in `folder`.
struct StartedWindow {
    explicit StartedWindow(const QString& folder)
        : settings(folder + QStringLiteral("/config")),
          window(Platform{dialogs, shell, random, clock, settings, folder}, websites) {
        window.Form_Load();
        window.show();
        QCoreApplication::processEvents();
    }

    AnsweringDialogs dialogs;
    NoShell shell;
    SeededRandom random;
    SystemClock clock;
    SettingsStore settings;
    WebsiteList websites;
    Form1 window;
};

// Whether the list shows all its rows: its view has laid them out (the scroll bar reaches the
// last row) and has painted since.
class ShownRowsWatch : public QObject {
public:
    explicit ShownRowsWatch(WebsiteListView& view) : view_(view) {
        view_.viewport()->installEventFilter(this);
    }

    bool shown() const { return shown_; }

    bool eventFilter(QObject* /*watched*/, QEvent* event) override {
        const QScrollBar& bar = *view_.verticalScrollBar();
        if (event->type() == QEvent::Paint && view_.model()->rowCount() > 0 &&
            bar.maximum() + bar.pageStep() >= view_.model()->rowCount())
            shown_ = true;
        return false;
    }

private:
    WebsiteListView& view_;
    bool shown_ = false;
};

// The child's part: one import of the file into a window just started, timed from the click
// until the list shows the rows; prints "<wall seconds> <processor seconds>".
int importInFreshWindow(const QString& listPath) {
    QTemporaryDir folder;
    StartedWindow started(folder.path());
    started.dialogs.openAnswer = listPath;
    ShownRowsWatch watch(*websiteListView(started.window));
    QElapsedTimer waited;
    waited.start();
    const bench::Timing timing = bench::timingOf([&] {
        loadTextFilesButton(started.window)->click();
        while (!watch.shown()) {
            if (waited.elapsed() > 120'000)
                qFatal("the imported list was not shown");
            QCoreApplication::processEvents();
        }
    });
    if (started.websites.count() != lineCount || started.dialogs.failures > 0)
        qFatal("the import did not give %d entries", lineCount);
    std::printf("%.6f %.6f\n", timing.wall, timing.cpu);
    return 0;
}

// The import in a program just started, up to the shown list: the best of a few runs of this
// program, each in its own process, so that each meets memory as a user's first import does.
bench::Timing freshImportTiming(const QString& listPath) {
    bench::Timing best = bench::noTimingYet;
    for (int run = 0; run < freshImportRuns; ++run) {
        QProcess child;
        child.start(QCoreApplication::applicationFilePath(),
                    {QString::fromLatin1(freshImportOption), listPath});
        if (!child.waitForFinished(-1) || child.exitCode() != 0)
            qFatal("the import in a fresh window failed");
        const QList<QByteArray> figures = child.readAllStandardOutput().trimmed().split(' ');
        if (figures.size() != 2)
            qFatal("the import in a fresh window gave no timing");
        best.keepBest({figures[0].toDouble(), figures[1].toDouble()});
    }
    return best;
}

} // namespace

int main(int argc, char* argv[]) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    if (argc == 3 && qstrcmp(argv[1], freshImportOption) == 0)
        return importInFreshWindow(QString::fromLocal8Bit(argv[2]));
    QTemporaryDir folder;
    const QString listPath = folder.filePath(QStringLiteral("websites.txt"));
    const qint64 fileSize = writeListFile(listPath);

    StartedWindow started(folder.path());
    AnsweringDialogs& dialogs = started.dialogs;
    WebsiteList& websites = started.websites;
    Form1& window = started.window;

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
    const bench::Timing freshImport = freshImportTiming(listPath);
    bench::info("import_1m_lines_fresh_window_until_shown", freshImport.wall, "s");
    bench::info("import_1m_lines_fresh_window_until_shown_cpu", freshImport.cpu, "s");
    bench::report("import_until_shown_ratio_to_wc_l", freshImport.wall / wc.wall, "x", "<=", 10);
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
