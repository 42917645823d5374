// Builds the Debian package the documented way (dpkg-buildpackage on a copy of the source, so
// nothing is written beside the checkout), runs lintian on it, unpacks it into a temporary root
// and checks it as a person installing it would meet it: its control fields, its files, the
// desktop validators, and the installed program run once from a folder it cannot write to.
// Last, it installs the package on this machine and runs the package's own tests there with
// autopkgtest, as Debian's CI would, then removes it again.
#include "RunningProgram.h"

#include <QDirIterator>
#include <QTest>
#include <QThread>
#include <unistd.h>

namespace {

QString run(const QString& program, const QStringList& arguments, int* exitCode = nullptr,
            const QString& folder = {}, const QProcessEnvironment& environment = {}) {
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    if (!folder.isEmpty())
        process.setWorkingDirectory(folder);
    if (!environment.isEmpty())
        process.setProcessEnvironment(environment);
    process.start(program, arguments);
    process.waitForFinished(-1);
    if (exitCode != nullptr)
        *exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    return QString::fromUtf8(process.readAll());
}

// Every file below `folder` (hidden ones and links too), relative to it, in sorted order.
QStringList filesBelow(const QString& folder) {
    QStringList files;
    QDirIterator it(folder, QDir::Files | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    while (it.hasNext())
        files << QDir(folder).relativeFilePath(it.next());
    files.sort();
    return files;
}

// The files of the source tree that a build sees: tracked or not yet added, without what git
// ignores (build trees). Outside a git checkout, every file but the build trees.
QStringList sourceFiles(const QString& source) {
    int status = 0;
    const QString listed = run(
        "git", {"ls-files", "-z", "--cached", "--others", "--exclude-standard"}, &status, source);
    if (status == 0)
        return listed.split(QChar(0), Qt::SkipEmptyParts);
    QStringList files = filesBelow(source);
    files.removeIf([](const QString& file) {
        return file.startsWith("build/") || file.startsWith(".git/") || file.startsWith("obj-");
    });
    return files;
}

bool copySourceTree(const QString& source, const QString& target, const QString& folder = {}) {
    for (const QString& file : sourceFiles(source)) {
        if (!file.startsWith(folder) || !QFileInfo::exists(source + "/" + file))
            continue; // deleted in the work tree, not yet in git
        QDir().mkpath(QFileInfo(target + "/" + file).absolutePath());
        if (!QFile::copy(source + "/" + file, target + "/" + file))
            return false;
    }
    return true;
}

bool isInstalledHere(const QString& package) {
    return run("dpkg-query", {"-W", "-f", "${db:Status-Status}", package}) == "installed";
}

// The package installed on this machine while it lives; purged at its end, also when the
// installation stopped half-way.
class Installation {
public:
    explicit Installation(const QString& package) : output_(run("dpkg", {"-i", package})) {}
    ~Installation() { purge(); }
    Installation(const Installation&) = delete;
    Installation& operator=(const Installation&) = delete;

    QString output() const { return output_; }
    static int purge() { return QProcess::execute("dpkg", {"--purge", "corvantis"}); }

private:
    QString output_;
};

} // namespace

class PackageTest : public QObject {
    Q_OBJECT

    QTemporaryDir work;
    QString package;
    QString version;
    QString root;

private slots:
    void initTestCase() {
        const QString source = work.filePath("corvantis");
        QVERIFY(copySourceTree(qEnvironmentVariable("CORVANTIS_SOURCE_DIR"), source));
        // The unit tests have run in this build already: the package build skips them.
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("DEB_BUILD_OPTIONS",
                           QString("nocheck parallel=%1").arg(QThread::idealThreadCount()));
        int status = 0;
        const QString output =
            run("dpkg-buildpackage", {"-us", "-uc", "-b", "--build-profiles=nocheck"}, &status,
                source, environment);
        QVERIFY2(status == 0, qPrintable(output.right(20000)));
        version = run("dpkg-parsechangelog", {"-S", "Version"}, nullptr, source).trimmed();
        const QString architecture = run("dpkg", {"--print-architecture"}).trimmed();
        package = work.filePath("corvantis_" + version + "_" + architecture + ".deb");
        QVERIFY2(QFile::exists(package), qPrintable(output.right(20000)));
        root = work.filePath("root");
        QCOMPARE(QProcess::execute("dpkg", {"-x", package, root}), 0);
    }

    void versionIsTheProjectsAndControlFieldsNameTheLibrariesAndTheDesktopTools() {
        QCOMPARE(version, qEnvironmentVariable("CORVANTIS_VERSION")); // native: no revision
        const QString depends = run("dpkg-deb", {"-f", package, "Depends"});
        for (const char* needed : {"libqt6widgets6", "libqt6gui6", "libqt6core6", "libmdb3",
                                   "qt6-qpa-plugins", "xdg-utils", "fonts-liberation"})
            QVERIFY2(depends.contains(QLatin1String(needed)), qPrintable(depends));
        QCOMPARE(run("dpkg-deb", {"-f", package, "Package"}).trimmed(),
                 QStringLiteral("corvantis"));
    }

    void lintianFindsNoErrorOrWarningAndTheBinariesAreHardened() {
        int status = 0;
        const QString output = run(
            "lintian",
            {"--fail-on", "error,warning", "--display-info", "--tag-display-limit", "0", package},
            &status);
        qInfo("lintian:\n%s", qPrintable(output));
        QVERIFY2(status == 0, qPrintable(output));
        for (const char* tag : {"hardening-no-relro", "hardening-no-bindnow", "hardening-no-pie",
                                "binary-has-unneeded-section", "spare-manual-page"})
            QVERIFY2(!output.contains(QLatin1String(tag)), tag);
    }

    // The source package as a maintainer builds it, in a checkout that holds build trees and
    // git's folder: it leaves them out, lintian accepts it, and it unpacks to the source tree.
    void sourcePackageBuildsWithoutTheBuildTreesAndUnpacksToTheSourceTree() {
        const QString folder = work.filePath("source");
        QVERIFY(
            copySourceTree(qEnvironmentVariable("CORVANTIS_SOURCE_DIR"), folder + "/corvantis"));
        const QStringList sources = filesBelow(folder + "/corvantis");
        for (const char* stray : {"build/dev/CMakeCache.txt", ".git/HEAD", "obj-x/Makefile"}) {
            QVERIFY(QDir().mkpath(QFileInfo(folder + "/corvantis/" + stray).absolutePath()));
            QVERIFY(QFile(folder + "/corvantis/" + stray).open(QIODevice::WriteOnly));
        }
        const QString dsc = folder + "/corvantis_" + version + ".dsc";
        for (const QStringList& step : {QStringList{"dpkg-source", "--build", "corvantis"},
                                        QStringList{"lintian", "--fail-on", "error,warning", dsc},
                                        QStringList{"dpkg-source", "--extract", dsc, "unpacked"}}) {
            int status = 0;
            const QString output = run(step.first(), step.mid(1), &status, folder);
            QVERIFY2(status == 0, qPrintable(step.join(' ') + ":\n" + output));
        }
        QCOMPARE(filesBelow(folder + "/unpacked"), sources);
    }

    void installTreeIsOneProgramFolderTheDesktopFilesAndTheDefaultListAsAConffile() {
        const QStringList expected = {
            "etc/corvantis/websites.mdb",
            "usr/bin/corvantis",
            "usr/bin/corvantis-jetwrite",
            "usr/lib/corvantis/HAND-M.CUR",
            "usr/lib/corvantis/corvantis",
            "usr/lib/corvantis/corvantis-mdb-reader",
            "usr/lib/corvantis/jetwrite",
            "usr/lib/corvantis/websites.mdb",
            "usr/lib/corvantis/x/o.cjs",
            "usr/share/applications/org.corvantis.corvantis.desktop",
            "usr/share/doc/corvantis/changelog.gz",
            "usr/share/doc/corvantis/copyright",
            "usr/share/icons/hicolor/128x128/apps/corvantis.png",
            "usr/share/icons/hicolor/256x256/apps/corvantis.png",
            "usr/share/icons/hicolor/32x32/apps/corvantis.png",
            "usr/share/icons/hicolor/48x48/apps/corvantis.png",
            "usr/share/icons/hicolor/scalable/apps/corvantis.svg",
            "usr/share/lintian/overrides/corvantis",
            "usr/share/man/man1/corvantis-jetwrite.1.gz",
            "usr/share/man/man1/corvantis.1.gz",
            "usr/share/metainfo/org.corvantis.corvantis.metainfo.xml",
        };
        QCOMPARE(filesBelow(root), expected);
        QCOMPARE(QFileInfo(root + "/usr/bin/corvantis").symLinkTarget(),
                 root + "/usr/lib/corvantis/corvantis");
        QCOMPARE(QFileInfo(root + "/usr/bin/corvantis-jetwrite").symLinkTarget(),
                 root + "/usr/lib/corvantis/jetwrite");
        QCOMPARE(QFileInfo(root + "/usr/lib/corvantis/websites.mdb").symLinkTarget(),
                 QStringLiteral("/etc/corvantis/websites.mdb"));
        QCOMPARE(run("dpkg-deb", {"--info", package, "conffiles"}).trimmed(),
                 QStringLiteral("/etc/corvantis/websites.mdb"));
    }

    void desktopEntryAndMetainfoPassTheValidators() {
        int status = 0;
        const QString applications = root + "/usr/share/applications/";
        QString output = run("desktop-file-validate",
                             {applications + "org.corvantis.corvantis.desktop"}, &status);
        QVERIFY2(status == 0 && output.trimmed().isEmpty(), qPrintable(output));
        // The tree: the component's launchable is the desktop entry of the same name.
        output = run("appstreamcli", {"validate-tree", "--pedantic", "--no-net", root}, &status);
        QVERIFY2(status == 0 && !output.contains(QLatin1String("P: ")), qPrintable(output));
        QVERIFY2(run("cat", {root + "/usr/share/metainfo/org.corvantis.corvantis.metainfo.xml"})
                     .contains("version=\"" + qEnvironmentVariable("CORVANTIS_VERSION") + "\""),
                 "the metainfo names the release");
    }

    void installedProgramRunsFromAReadOnlyFolderAndLoadsItsDefaultList() {
        // The default list links to /etc, which is the unpacked root's etc/ here.
        const QString link = root + "/usr/lib/corvantis/websites.mdb";
        QVERIFY(QFile::remove(link));
        QVERIFY(QFile::link(root + "/etc/corvantis/websites.mdb", link));
        // Run as an unprivileged user, for whom the installed tree is truly read-only.
        QCOMPARE(QProcess::execute("chmod", {"-R", "a-w,a+rX", root}), 0);
        QCOMPARE(QProcess::execute("chmod", {"0755", work.path()}), 0);
        RunningProgram program;
        QCOMPARE(QProcess::execute("chmod", {"0777", program.homePath()}), 0);
        const QString failure =
            program.start("setpriv", {"--reuid=nobody", "--regid=nogroup", "--clear-groups",
                                      root + "/usr/bin/corvantis"});
        QVERIFY2(failure.isEmpty(), qPrintable(failure));
        QVERIFY(program.clickOn("Load Default List"));
        QTest::qWait(1500);
        QVERIFY(program.sendCloseRequest());
        QCOMPARE(program.waitForExit(), 0);
        const QList<QByteArray> entries = program.storedSetting("Websites").split(';');
        QVERIFY2(entries.size() >= 50, program.storedSetting("Websites").constData());
        for (const QByteArray& entry : entries)
            QVERIFY2(entry.contains("://"), entry.constData());
        QCOMPARE(QProcess::execute("chmod", {"-R", "u+w", root}), 0);
    }

    // autopkgtest's null runner runs the tests of debian/tests on this machine against what is
    // installed here, without building or installing anything itself.
    void autopkgtestPassesOnTheInstalledPackage() {
        if (::geteuid() != 0)
            QSKIP("installing the package needs root");
        if (isInstalledHere("corvantis"))
            QSKIP("corvantis is installed on this machine: its tests would replace it");
        const QString tests = work.filePath("tests-source");
        QVERIFY(copySourceTree(qEnvironmentVariable("CORVANTIS_SOURCE_DIR"), tests, "debian/"));
        const Installation installation(package);
        QVERIFY2(isInstalledHere("corvantis"), qPrintable(installation.output()));
        int status = 0;
        const QString output =
            run("autopkgtest",
                {"--no-built-binaries", "--timeout-test=300", tests + "/", "--", "null"}, &status);
        qInfo("autopkgtest:\n%s", qPrintable(output.right(20000)));
        QVERIFY2(status == 0, qPrintable(output.right(20000)));
        QCOMPARE(Installation::purge(), 0);
        QVERIFY(!QFile::exists("/etc/corvantis/websites.mdb"));
    }
};

QTEST_GUILESS_MAIN(PackageTest)
#include "test_package.moc"
