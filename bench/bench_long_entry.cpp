// One entry of 256 MB, a single line imported into a shown window: the window stays responsive
// (a repaint of the list with the entry in sight) and the close, which saves the entry whole,
// takes under a second of the program's own work (its processor time; the disk's time to
// take the file is not the program's). Each figure is the best of a few runs.
#include "BenchSupport.h"
#include "Form1Controls.h"
#include "WindowUnderTest.h"
#include "ui/WebsiteListView.h"

#include <QApplication>
#include <QFileInfo>
#include <QTemporaryDir>
#include <algorithm>

namespace {

constexpr qint64 entryBytes = qint64(256) << 20;
constexpr int runs = 3;

void writeOneLine(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        qFatal("cannot write %s", qPrintable(path));
    const QByteArray start("https://www.example.org/");
    file.write(start);
    const QByteArray chunk(1 << 20, 'x');
    for (qint64 left = entryBytes - start.size(); left > 0; left -= chunk.size())
        file.write(chunk.constData(), std::min<qint64>(left, chunk.size()));
}

} // namespace

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("one-line.txt"));
    writeOneLine(path);

    bench::Timing imported = bench::noTimingYet;
    bench::Timing repaint = bench::noTimingYet;
    bench::Timing close = bench::noTimingYet;
    for (int run = 0; run < runs; ++run) {
        WindowUnderTest fixture;
        Form1& window = fixture.load();
        window.show();
        QApplication::processEvents();
        fixture.env.dialogs.openAnswers.enqueue({path});
        imported.keepBest(bench::timingOf([&] {
            loadTextFilesButton(window)->click();
            QApplication::processEvents(); // laid out and painted
        }));
        if (fixture.websites.count() != 1 || fixture.websites.utf8(0).size() != entryBytes)
            qFatal("the import did not give the one entry");
        repaint.keepBest(bench::timingOf([&] { websiteListView(window)->viewport()->repaint(); }));
        close.keepBest(bench::timingOf([&] { window.close(); }));
        if (QFileInfo(fixture.env.settingPath("Websites")).size() != entryBytes ||
            !fixture.env.dialogs.reports.empty())
            qFatal("the close did not save the entry");
    }

    bench::info("long_entry_256mb_import", imported.wall, "s");
    bench::info("long_entry_256mb_import_cpu", imported.cpu, "s");
    bench::info("long_entry_256mb_close", close.wall, "s");
    bench::report("long_entry_256mb_repaint", repaint.wall, "s", "<=", 0.1);
    bench::report("long_entry_256mb_close_cpu", close.cpu, "s", "<=", 1);
    return 0;
}
