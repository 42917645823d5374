// Import of a 1,000,000-line list file (about 57 MB) into a real window until the list shows
// it, against `wc -l` on the same file; the memory it takes, as a multiple of the file size;
// and the export of 1,000,000 checked entries, against `cp` of the written file.
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
#include <QProcess>
#include <QTemporaryDir>
#include <cstdio>
#include <functional>
#include <sys/resource.h>

namespace {

constexpr int lineCount = 1'000'000;

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
    void open(const QString&) override {}
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

// Processor time (user and system) of this process or of its finished children.
double cpuSeconds(int who) {
    rusage usage{};
    getrusage(who, &usage);
    return static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

// Wall-clock and processor seconds of a piece of work: the machine may be shared, and the
// processor time shows what the work itself costs.
struct Timing {
    double wall = 0;
    double cpu = 0;
};

Timing timingOf(const std::function<void()>& work, int who = RUSAGE_SELF) {
    QElapsedTimer timer;
    const double cpuBefore = cpuSeconds(who);
    timer.start();
    work();
    return {static_cast<double>(timer.nsecsElapsed()) / 1e9, cpuSeconds(who) - cpuBefore};
}

Timing timingOfProcess(const QString& program, const QStringList& arguments) {
    return timingOf(
        [&] {
            QProcess process;
            process.start(program, arguments);
            if (!process.waitForFinished(-1) || process.exitCode() != 0)
                qFatal("%s failed", qPrintable(program));
        },
        RUSAGE_CHILDREN);
}

// A field of /proc/self/status in bytes ("VmRSS", "VmHWM").
qint64 memoryBytes(const char* field) {
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith(field))
            return line.mid(line.indexOf(':') + 1).trimmed().split(' ').first().toLongLong() * 1024;
    return 0;
}

void resetPeakMemory() {
    QFile clearRefs(QStringLiteral("/proc/self/clear_refs"));
    if (clearRefs.open(QIODevice::WriteOnly))
        clearRefs.write("5");
}

void print(const char* name, double value, const char* unit, const char* target = nullptr) {
    if (target)
        std::printf("BENCH %s %.3f %s target %s\n", name, value, unit, target);
    else
        std::printf("     %s %.3f %s\n", name, value, unit);
    std::fflush(stdout);
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

    timingOfProcess(QStringLiteral("wc"), {QStringLiteral("-l"), listPath}); // warms the cache
    const Timing wc = timingOfProcess(QStringLiteral("wc"), {QStringLiteral("-l"), listPath});

    dialogs.openAnswer = listPath;
    const qint64 memoryBefore = memoryBytes("VmRSS");
    resetPeakMemory();
    const Timing import = timingOf([&] {
        window.PushButton10_Click();
        QCoreApplication::processEvents(); // the list lays out and paints its new rows
    });
    const qint64 peakGrowth = memoryBytes("VmHWM") - memoryBefore;
    const qint64 finalGrowth = memoryBytes("VmRSS") - memoryBefore;
    if (window.ListView1->model()->rowCount() != lineCount || dialogs.failures > 0)
        qFatal("the import did not give %d entries", lineCount);

    const auto perFileSize = [fileSize](qint64 bytes) {
        return static_cast<double>(bytes) / static_cast<double>(fileSize);
    };
    print("import_1m_lines", import.wall, "s");
    print("import_wc_l_reference", wc.wall, "s");
    print("import_ratio_to_wc_l", import.wall / wc.wall, "x", "<= 10");
    print("import_cpu_ratio_to_wc_l", import.cpu / wc.cpu, "x", "<= 10");
    print("import_peak_memory_growth", perFileSize(peakGrowth), "x_file_size", "<= 3");
    print("import_final_memory_growth", perFileSize(finalGrowth), "x_file_size", "<= 3");

    WebsiteList& list = window.websiteList();
    for (int row = 0; row < list.count(); ++row)
        list.setChecked(row, true);
    QCoreApplication::processEvents();
    const QString exportPath = folder.filePath(QStringLiteral("exported.txt"));
    dialogs.saveAnswer = exportPath;
    const Timing exported = timingOf([&] { window.PushButton5_Click(); });
    if (dialogs.failures > 0 || QFileInfo(exportPath).size() < fileSize)
        qFatal("the export failed");
    const Timing cp = timingOfProcess(QStringLiteral("cp"),
                                      {exportPath, folder.filePath(QStringLiteral("copy.txt"))});

    print("export_1m_checked_entries", exported.wall, "s");
    print("export_cp_reference", cp.wall, "s");
    print("export_ratio_to_cp", exported.wall / cp.wall, "x", "<= 10");
    print("export_cpu_ratio_to_cp", exported.cpu / cp.cpu, "x", "<= 10");
    window.close();
    return 0;
}
