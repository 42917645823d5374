// Restores a list of 1,000,000 entries at start-up until the window shows it, and saves it at
// close; compares each with copying the same stored file by `cat` and `cp`.
#include "BenchSupport.h"
#include "WindowUnderTest.h"
#include "ui/WebsiteListView.h"

#include <QApplication>

namespace {

constexpr int entries = 1'000'000;

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
    const double memoryBefore = bench::peakMemoryMiB();

    WindowUnderTest fixture;
    fixture.env.storeSetting("Websites", stored);
    const QString file = fixture.env.settingPath("Websites");
    const QString copy = file + ".copy";

    const double restore = bench::bestSeconds(1, [&] {
        Form1& window = fixture.load();
        window.show();
        window.ListView1->scrollToBottom();
        QApplication::processEvents(); // laid out and painted: the list shows the entries
    });
    const double peak = bench::peakMemoryMiB() - memoryBefore;
    const double save = bench::bestSeconds(1, [&] { fixture.window().close(); });

    const double cat = bench::commandSeconds(QStringLiteral("cat '%1' > /dev/null").arg(file));
    const double cp = bench::commandSeconds(QStringLiteral("cp '%1' '%2'").arg(file, copy));
    QFile::remove(copy);

    bench::info("stored_list_size", stored.size() / 1048576.0, "MiB");
    bench::info("restore_1M", restore, "s");
    bench::info("cat_reference", cat, "s");
    bench::report("restore_1M_vs_cat", restore / cat, "ratio", "<=", 10);
    bench::info("save_1M", save, "s");
    bench::info("cp_reference", cp, "s");
    bench::report("save_1M_vs_cp", save / cp, "ratio", "<=", 10);
    bench::report("restore_1M_peak_memory_growth", peak / (stored.size() / 1048576.0),
                  "x_stored_size", "<=", 8);
    return 0;
}
