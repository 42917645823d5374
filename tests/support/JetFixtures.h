#pragma once

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

// Jet database fixtures written by the project's own writer (the jetwrite command of the build
// tree), and the paths of the built tools the tests run.
namespace jetfixtures {

inline QString buildTree() {
    return qEnvironmentVariable("CORVANTIS_BINARY_DIR");
}
inline QString jetwriteProgram() {
    return buildTree() + QStringLiteral("/program/jetwrite");
}
inline QString readerProgram() {
    return qEnvironmentVariable("CORVANTIS_PROGRAM_DIR") + QStringLiteral("/corvantis-mdb-reader");
}

// A NULL cell in the rows text.
inline const QString null = QStringLiteral("\\N");

struct Written {
    int exitCode = -1;
    QByteArray database; // empty when the writer failed
    QByteArray errors;
};

// Runs jetwrite on rows (one string per row, cells separated by tabs) with extra options such
// as {"--column", "url:memo"}.
inline Written writeWith(const QStringList& rows, const QStringList& options = {}) {
    QTemporaryDir folder;
    const QString input = folder.filePath(QStringLiteral("rows.txt"));
    const QString output = folder.filePath(QStringLiteral("out.mdb"));
    QFile file(input);
    if (file.open(QIODevice::WriteOnly)) {
        for (const QString& row : rows)
            file.write(row.toUtf8() + '\n');
        file.close();
    }
    QProcess writer;
    writer.start(jetwriteProgram(), options + QStringList{input, output});
    writer.waitForFinished(120'000);
    Written written;
    written.exitCode = writer.exitStatus() == QProcess::NormalExit ? writer.exitCode() : -1;
    written.errors = writer.readAllStandardError();
    QFile result(output);
    if (result.open(QIODevice::ReadOnly))
        written.database = result.readAll();
    return written;
}

// The database of the default-list table (tblWebsites, one Text field url) with these urls.
inline QByteArray websites(const QStringList& urls) {
    return writeWith(urls).database;
}

// Numbered addresses "https://site<i>.example.org/page", i from 1 to count.
inline QStringList numberedUrls(int count) {
    QStringList urls;
    urls.reserve(count);
    for (int i = 1; i <= count; ++i)
        urls.append(QStringLiteral("https://site%1.example.org/page").arg(i));
    return urls;
}

// Copies the built reader program into folder, as it is installed beside the program.
inline bool installReader(const QString& folder) {
    const QString target = QDir(folder).filePath(QStringLiteral("corvantis-mdb-reader"));
    QFile::remove(target);
    return QFile::copy(readerProgram(), target);
}

} // namespace jetfixtures
