// Builds the Debian package from this build, unpacks it into a temporary root and checks it as
// a person installing it would meet it: its control fields, its files, the desktop validators,
// and the installed program run once from a folder it cannot write to.
#include "RunningProgram.h"

#include <QDirIterator>
#include <QTest>

namespace {

QString run(const QString& program, const QStringList& arguments, int* exitCode = nullptr,
            const QString& folder = {}) {
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    if (!folder.isEmpty())
        process.setWorkingDirectory(folder);
    process.start(program, arguments);
    process.waitForFinished(600'000);
    if (exitCode != nullptr)
        *exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    return QString::fromUtf8(process.readAll());
}

} // namespace

class PackageTest : public QObject {
    Q_OBJECT

    QTemporaryDir work;
    QString package;
    QString root;

private slots:
    void initTestCase() {
        const QString binary = qEnvironmentVariable("CORVANTIS_BINARY_DIR");
        int status = 0;
        const QString output = run(
            "cpack",
            {"-G", "DEB", "-B", work.filePath("deb"), "--config", binary + "/CPackConfig.cmake"},
            &status, binary);
        QVERIFY2(status == 0, qPrintable(output));
        const QString architecture = run("dpkg", {"--print-architecture"}).trimmed();
        package = work.filePath("deb/corvantis_" + qEnvironmentVariable("CORVANTIS_VERSION") + "_" +
                                architecture + ".deb");
        QVERIFY2(QFile::exists(package), qPrintable(output));
        root = work.filePath("root");
        QCOMPARE(QProcess::execute("dpkg", {"-x", package, root}), 0);
    }

    void controlFieldsNameTheLibrariesAndTheDesktopTools() {
        const QString depends = run("dpkg-deb", {"-f", package, "Depends"});
        for (const char* needed : {"libqt6widgets6", "libqt6gui6", "libqt6core6", "libmdb3",
                                   "xdg-utils", "fonts-liberation"})
            QVERIFY2(depends.contains(QLatin1String(needed)), qPrintable(depends));
        QCOMPARE(run("dpkg-deb", {"-f", package, "Version"}).trimmed(),
                 qEnvironmentVariable("CORVANTIS_VERSION"));
        QCOMPARE(run("dpkg-deb", {"-f", package, "Package"}).trimmed(),
                 QStringLiteral("corvantis"));
    }

    void installTreeIsOneProgramFolderAndTheDesktopFiles() {
        QStringList files;
        QDirIterator it(root, QDir::Files | QDir::System | QDir::NoDotAndDotDot,
                        QDirIterator::Subdirectories);
        while (it.hasNext())
            files << QDir(root).relativeFilePath(it.next());
        files.sort();
        const QStringList expected = {
            "usr/bin/corvantis",
            "usr/lib/corvantis/HAND-M.CUR",
            "usr/lib/corvantis/corvantis",
            "usr/lib/corvantis/corvantis-mdb-reader",
            "usr/lib/corvantis/jetwrite",
            "usr/lib/corvantis/websites.mdb",
            "usr/lib/corvantis/x/o.cjs",
            "usr/share/applications/corvantis.desktop",
            "usr/share/icons/hicolor/128x128/apps/corvantis.png",
            "usr/share/icons/hicolor/256x256/apps/corvantis.png",
            "usr/share/icons/hicolor/32x32/apps/corvantis.png",
            "usr/share/icons/hicolor/48x48/apps/corvantis.png",
            "usr/share/icons/hicolor/scalable/apps/corvantis.svg",
            "usr/share/metainfo/org.corvantis.Corvantis.metainfo.xml",
        };
        QCOMPARE(files, expected);
        QCOMPARE(QFileInfo(root + "/usr/bin/corvantis").symLinkTarget(),
                 root + "/usr/lib/corvantis/corvantis");
    }

    void desktopEntryAndMetainfoPassTheValidators() {
        int status = 0;
        QString output = run("desktop-file-validate",
                             {root + "/usr/share/applications/corvantis.desktop"}, &status);
        QVERIFY2(status == 0 && output.trimmed().isEmpty(), qPrintable(output));
        output = run("appstreamcli",
                     {"validate", "--no-net",
                      root + "/usr/share/metainfo/org.corvantis.Corvantis.metainfo.xml"},
                     &status);
        QVERIFY2(status == 0, qPrintable(output));
        QVERIFY2(run("cat", {root + "/usr/share/metainfo/org.corvantis.Corvantis.metainfo.xml"})
                     .contains("version=\"" + qEnvironmentVariable("CORVANTIS_VERSION") + "\""),
                 "the metainfo names the release");
    }

    void installedProgramRunsFromAReadOnlyFolderAndLoadsItsDefaultList() {
        // Run as an unprivileged user, for whom the installed tree is truly read-only.
        QCOMPARE(QProcess::execute("chmod", {"-R", "a-w,a+rX", root}), 0);
        QCOMPARE(QProcess::execute("chmod", {"0755", work.path()}), 0);
        RunningProgram program;
        QCOMPARE(QProcess::execute("chmod", {"0777", program.homePath()}), 0);
        const QString failure =
            program.start("setpriv", {"--reuid=nobody", "--regid=nogroup", "--clear-groups",
                                      root + "/usr/bin/corvantis"});
        QVERIFY2(failure.isEmpty(), qPrintable(failure));
        program.clickAt(136, 230); // "Load Default List"
        QTest::qWait(1500);
        QVERIFY(program.sendCloseRequest());
        QCOMPARE(program.waitForExit(), 0);
        const QList<QByteArray> entries = program.storedSetting("Websites").split(';');
        QVERIFY2(entries.size() >= 50, program.storedSetting("Websites").constData());
        for (const QByteArray& entry : entries)
            QVERIFY2(entry.contains("://"), entry.constData());
        QCOMPARE(QProcess::execute("chmod", {"-R", "u+w", root}), 0);
    }
};

QTEST_GUILESS_MAIN(PackageTest)
#include "test_package.moc"
