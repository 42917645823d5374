// Restores a list of 1,000,000 entries at start-up until the window shows it, and saves it at
// close; compares each with reading and copying the same stored file by `cat` and `cp`, and
// the memory the restore takes with the stored size. Each timing is the best of a few runs.
#include "BenchSupport.h"
#include "Form1Controls.h"
#include "WindowUnderTest.h"
#include "ui/WebsiteListView.h"

#include <QApplication>
#include <QTemporaryDir>
#include <algorithm>

namespace {

constexpr int entries = 1'000'000;
constexpr int runs = 5;

QByteArray storedList() {
    QByteArray stored;
    stored.reserve(entries * 48);
    for (int i = 0; i < entries; ++i)
        stored += "https://www.example-" + QByteArray::number(i) + ".org/some/page.html;";
    stored.chop(1);
    return stored;
}

} // namespace

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    const QByteArray stored = storedList();
    const double storedBytes = static_cast<double>(stored.size());

    QTemporaryDir references;
    const QString file = references.filePath(QStringLiteral("Websites"));
    writeFixture(file, stored);
    // Through the shell, as the reference figures of this benchmark always were.
    const auto shellTiming = [](const QString& command) {
        return bench::processTiming(QStringLiteral("/bin/sh"), {QStringLiteral("-c"), command});
    };
    const bench::Timing cat = shellTiming(QStringLiteral("cat '%1' > /dev/null").arg(file));
    const bench::Timing cp =
        shellTiming(QStringLiteral("cp '%1' '%2'").arg(file, references.filePath("copy")));

    bench::Timing restore = bench::noTimingYet;
    bench::Timing save = bench::noTimingYet;
    double peakGrowth = 0;
    for (int run = 0; run < runs; ++run) {
        WindowUnderTest fixture;
        fixture.env.storeSetting("Websites", stored);
        const qint64 memoryBefore = bench::memoryBytes("VmRSS");
        bench::resetPeakMemory();
        restore.keepBest(bench::timingOf([&] {
            Form1& window = fixture.load();
            window.show();
            websiteListView(window)->scrollToBottom();
            QApplication::processEvents(); // laid out and painted: the list shows the entries
        }));
        peakGrowth =
            std::max(peakGrowth, static_cast<double>(bench::memoryBytes("VmHWM") - memoryBefore));
        if (fixture.websites.count() != entries || !fixture.env.dialogs.reports.empty())
            qFatal("the restore did not give %d entries", entries);
        save.keepBest(bench::timingOf([&] { fixture.window().close(); }));
    }

    bench::info("stored_list_size", storedBytes / 1048576.0, "MiB");
    bench::reportRatios(
        {"restore_1M", "cat_reference", "restore_1M_vs_cat", "restore_1M_cpu_vs_cat"}, restore, cat,
        "ratio", 10);
    bench::report("restore_1M_peak_memory_growth", peakGrowth / storedBytes, "x_stored_size",
                  "<=", 3);
    bench::reportRatios({"save_1M", "cp_reference", "save_1M_vs_cp", "save_1M_cpu_vs_cp"}, save, cp,
                        "ratio", 10);
    return 0;
}
