// Loads a default list of 100,000 records into the window ("Load Default List" through the real
// reader program) and compares it with mdbtools' own export of the same file to /dev/null.
#include "BenchSupport.h"
#include "Form1Controls.h"
#include "WindowUnderTest.h"
#include "ui/WebsiteListView.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QPushButton>
#include <QTemporaryDir>
#include <cstdio>

namespace {

constexpr int records = 100'000;
constexpr int runs = 3;

// Writes the database with the build tree's jetwrite; false when that fails.
bool writeDatabase(const QString& buildTree, const QString& path) {
    QTemporaryDir folder;
    QFile rows(folder.filePath(QStringLiteral("rows.txt")));
    if (!rows.open(QIODevice::WriteOnly))
        return false;
    for (int i = 0; i < records; ++i)
        rows.write("https://www.example-" + QByteArray::number(i) + ".org/some/page.html\n");
    rows.close();
    return QProcess::execute(buildTree + QStringLiteral("/program/jetwrite"),
                             {rows.fileName(), path}) == 0;
}

} // namespace

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    const QString buildTree =
        QDir(QCoreApplication::applicationDirPath() + QStringLiteral("/..")).absolutePath();

    WindowUnderTest fixture;
    const QString folder = fixture.env.programFolder.path();
    const QString database = folder + QStringLiteral("/websites.mdb");
    if (!writeDatabase(buildTree, database) ||
        !QFile::copy(buildTree + QStringLiteral("/program/corvantis-mdb-reader"),
                     folder + QStringLiteral("/corvantis-mdb-reader"))) {
        std::fprintf(stderr, "cannot set up the program folder under %s\n", qPrintable(buildTree));
        return 1;
    }
    Form1& window = fixture.load();
    window.show();

    const double load = bench::bestSeconds(runs, [&] {
        window.websiteList().clear();
        loadDefaultListButton(window)->click();
        websiteListView(window)->scrollToBottom();
        QApplication::processEvents(); // laid out and painted: the list shows the entries
    });
    if (window.websiteList().count() != records || !fixture.env.dialogs.reports.empty()) {
        std::fprintf(stderr, "the list holds %d entries, not %d\n", window.websiteList().count(),
                     records);
        return 1;
    }
    const double reference = bench::commandSeconds(
        QStringLiteral("mdb-export '%1' tblWebsites > /dev/null").arg(database), runs);

    std::printf("     default_list_100k %.4g s\n", load);
    std::printf("     mdb_export_reference %.4g s\n", reference);
    std::printf("BENCH default_list_100k_vs_mdb_export %.4g ratio target <= 1.5\n",
                load / reference);
    return 0;
}
