// "Save Websites To Text File" on a real window, with the save dialog answered from a script
// and real files in a temporary folder.
#include "Form1Controls.h"
#include "TestFiles.h"
#include "WindowUnderTest.h"
#include "list/WebsiteList.h"

#include <QProcess>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <csignal>
#include <pwd.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

QByteArray contentOf(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("(unreadable)");
}

void addEntries(WebsiteList& list, const QStringList& texts, const QList<int>& checkedRows) {
    for (const QString& text : texts)
        list.append(text);
    for (int row : checkedRows)
        list.setChecked(row, true);
}

// Limits the size of the files this process writes, so that a write fails, also for root.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes) {
        getrlimit(RLIMIT_FSIZE, &old_);
        previousHandler_ = std::signal(SIGXFSZ, SIG_IGN);
        rlimit limit = old_;
        limit.rlim_cur = bytes;
        setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~FileSizeLimit() {
        setrlimit(RLIMIT_FSIZE, &old_);
        std::signal(SIGXFSZ, previousHandler_);
    }
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;

private:
    rlimit old_{};
    void (*previousHandler_)(int) = nullptr;
};

const QString saveProcedure = QStringLiteral("Main.SaveListviewProperlySpacedWithoutProgressBar");

} // namespace

class TestTextExport : public QObject {
    Q_OBJECT

    QTemporaryDir folder_;

private slots:
    void theCheckedEntriesPaddedToTheLongestOfAll() {
        // Lengths 5, 12 and 20, only the first checked: the unchecked 20 sets the width.
        WindowUnderTest test;
        Form1& window = test.load();
        addEntries(window.websiteList(), {"a.com", "http://b.com", "http://ccccccccc.com"}, {0});
        // A name without extension, of a file that is there: replaced without a question.
        const QString path = folder_.filePath("worked");
        writeFixture(path, "an old file, longer than the new one" + QByteArray(100, '.'));
        window.CommonDialog1.fileName = QStringLiteral("left from before");
        test.env.dialogs.saveAnswers.enqueue(path);

        saveTextFileButton(window)->click();

        QCOMPARE(contentOf(path), QByteArray(" Websites" + QByteArray(11, ' ') + "\t\r\n" +
                                             "a.com" + QByteArray(15, ' ') + "\t\r\n"));
        const CommonDialog& shown = test.env.dialogs.shownDialogs.front();
        QCOMPARE(shown.fileName, QString());
        QCOMPARE(shown.flags, std::uint32_t{0x280201});
        QCOMPARE(shown.dialogTitle, QStringLiteral("Save"));
        QCOMPARE(shown.filter, QStringLiteral("Text Files (*.txt)|*.txt|All Files (*.*)|*.*|"));
        QCOMPARE(window.CommonDialog1.fileName, path);
        QCOMPARE(window.pointerState(), PointerState::Default);
        QVERIFY(test.env.dialogs.reports.empty());
        QVERIFY(test.env.dialogs.notices.empty());
        QCOMPARE(QDir(folder_.path()).entryList({"worked*"}, QDir::Files | QDir::Hidden),
                 QStringList({"worked"})); // no temporary file left beside it
        QCOMPARE(window.websiteList().count(), 3);
    }

    void anEmptyListOrNoCheckedEntryGivesTheHeaderAlone() {
        WindowUnderTest test;
        Form1& window = test.load();
        const QString empty = folder_.filePath("empty.txt");
        const QString unchecked = folder_.filePath("unchecked.txt");
        test.env.dialogs.saveAnswers.enqueue(empty);
        test.env.dialogs.saveAnswers.enqueue(unchecked);

        saveTextFileButton(window)->click();
        addEntries(window.websiteList(), {"http://twelve"}, {});
        saveTextFileButton(window)->click();

        QCOMPARE(contentOf(empty), QByteArray(" Websites\t\r\n"));
        QCOMPARE(contentOf(unchecked), QByteArray(" Websites    \t\r\n"));
    }

    void everyColumnIsPaddedToItsOwnWidth() {
        // Entries have no text beyond the first column: their later cells are blanks only.
        WindowUnderTest test;
        Form1& window = test.load();
        window.websiteList().addColumn(QStringLiteral("Visited"));
        addEntries(window.websiteList(), {"http://a-longer-one", "b"}, {1});
        const QString path = folder_.filePath("columns.txt");
        test.env.dialogs.saveAnswers.enqueue(path);

        saveTextFileButton(window)->click();

        QCOMPARE(contentOf(path), QByteArray(" Websites" + QByteArray(10, ' ') + "\tVisited\t\r\n" +
                                             "b" + QByteArray(18, ' ') + "\t       \t\r\n"));
    }

    void cancelWritesNothingAndLeavesThePointer() {
        WindowUnderTest test;
        Form1& window = test.load();
        window.CommonDialog1.fileName = folder_.filePath("from an earlier save.txt");
        window.setPointerState(PointerState::Custom);

        saveTextFileButton(window)->click();

        QVERIFY(!QFileInfo::exists(folder_.filePath("from an earlier save.txt")));
        QCOMPARE(window.pointerState(), PointerState::Custom);
        QVERIFY(test.env.dialogs.reports.empty());
    }

    void aTargetThatCannotBeCreatedGivesOneReport_data() {
        QTest::addColumn<QString>("name");
        QTest::newRow("a folder where the file must be") << "a folder";
        QTest::newRow("a path under a regular file") << "a file/list.txt";
        QTest::newRow("another user's link in a sticky folder") << "shared/planted.txt";
    }
    void aTargetThatCannotBeCreatedGivesOneReport() {
        QFETCH(QString, name);
        QTemporaryDir folder;
        QVERIFY(QDir(folder.path()).mkdir("a folder"));
        writeFixture(folder.filePath("a file"), "old");
        // A folder such as /tmp, and in it a link to "a file" that another user planted.
        const QByteArray planted = QFile::encodeName(folder.filePath("shared/planted.txt"));
        QVERIFY(QDir(folder.path()).mkdir("shared"));
        QCOMPARE(::chmod(QFile::encodeName(folder.filePath("shared")).constData(), 01777), 0);
        QVERIFY(QFile::link(folder.filePath("a file"), QFile::decodeName(planted)));
        const bool givenAway = ::lchown(planted.constData(), ::getpwnam("nobody")->pw_uid, -1) == 0;
        if (!givenAway && name.startsWith("shared"))
            QSKIP("needs root, to give the link to another user");
        WindowUnderTest test;
        Form1& window = test.load();
        addEntries(window.websiteList(), {"a", "b", "c"}, {0, 1, 2});
        test.env.dialogs.saveAnswers.enqueue(folder.filePath(name));

        saveTextFileButton(window)->click();

        QCOMPARE(test.env.dialogs.reportPlaces(), QStringList({saveProcedure + " 136"}));
        QVERIFY(QFileInfo(folder.filePath("a folder")).isDir());
        QCOMPARE(contentOf(folder.filePath("a file")), QByteArray("old"));
        QCOMPARE(QDir(folder.path()).count(), 5u); // ".", "..", and the three fixtures
        QCOMPARE(window.pointerState(), PointerState::Default);
    }

    void aFailedWriteKeepsTheOldFile() {
        WindowUnderTest test;
        Form1& window = test.load();
        const QString path = folder_.filePath("kept.txt");
        writeFixture(path, "the old list\r\n");
        QStringList texts;
        QList<int> checked;
        for (int row = 0; row < 20000; ++row) {
            texts.append(QStringLiteral("http://www.example.com/%1").arg(row));
            checked.append(row);
        }
        addEntries(window.websiteList(), texts, checked);
        test.env.dialogs.saveAnswers.enqueue(path);
        {
            FileSizeLimit limit(64 * 1024);
            saveTextFileButton(window)->click();
        }
        QCOMPARE(test.env.dialogs.reportPlaces(), QStringList({saveProcedure + " 180"}));
        QCOMPARE(contentOf(path), QByteArray("the old list\r\n"));
        QCOMPARE(QDir(folder_.path()).entryList({"kept*"}, QDir::Files | QDir::Hidden),
                 QStringList({"kept.txt"}));
        QCOMPARE(window.pointerState(), PointerState::Default);
    }

    void aWritableFileInAReadOnlyFolderIsWrittenInPlace_data() {
        QTest::addColumn<int>("linksInFront");
        QTest::addColumn<bool>("immutableFolder");
        QTest::addColumn<QByteArray>("written");
        const QByteArray exported(" Websites\t\r\nx        \t\r\n");
        QTest::newRow("the file") << 0 << false << exported;
        // A folder that refuses new files even to root (chattr +i).
        QTest::newRow("an immutable folder") << 0 << true << exported;
        // Past the links followed in one path the last is a link still, as if planted after
        // they were followed: written in place, it is not followed either.
        QTest::newRow("a link not followed") << 41 << false << QByteArray(64, 'o');
    }
    void aWritableFileInAReadOnlyFolderIsWrittenInPlace() {
        // No temporary file can be made beside it, so the file itself is written. Permission
        // bits do not stop root: this test runs itself again as an unprivileged user.
        QFETCH(int, linksInFront);
        QFETCH(bool, immutableFolder);
        QFETCH(QByteArray, written);
        const QByteArray childTarget = qgetenv("CORVANTIS_EXPORT_TARGET");
        if (!childTarget.isEmpty()) {
            WindowUnderTest test;
            Form1& window = test.load();
            addEntries(window.websiteList(), {"x"}, {0});
            test.env.dialogs.saveAnswers.enqueue(QString::fromLocal8Bit(childTarget));
            saveTextFileButton(window)->click();
            QCOMPARE(test.env.dialogs.reportPlaces().isEmpty(), linksInFront == 0);
            return;
        }
        if (geteuid() != 0)
            QSKIP("needs root, to run the export as another user");
        QTemporaryDir folder;
        const QString readOnly = folder.filePath("read-only");
        QString path = readOnly + "/list.txt";
        const QString file = linksInFront == 0 ? path : folder.filePath("file.txt");
        QVERIFY(QDir().mkdir(readOnly));
        writeFixture(file, QByteArray(64, 'o')); // longer than what is written over it
        QVERIFY(QFile::setPermissions(file, QFile::ReadOwner | QFile::WriteOwner |
                                                QFile::ReadOther | QFile::WriteOther));
        if (linksInFront > 0)
            QVERIFY(QFile::link(file, path)); // the last, in the read-only folder
        for (int link = linksInFront - 1; link > 0; --link) {
            const QString before = folder.filePath(QStringLiteral("link-%1").arg(link));
            QVERIFY(QFile::link(path, before));
            path = before;
        }
        for (const QString& open : {folder.path(), readOnly})
            QVERIFY(QFile::setPermissions(open, QFile::ReadOwner | QFile::WriteOwner |
                                                    QFile::ExeOwner | QFile::ReadOther |
                                                    QFile::ExeOther));
        if (immutableFolder && QProcess::execute("chattr", {"+i", readOnly}) != 0)
            QSKIP("needs a file system that keeps the immutable flag");
        const auto mutableAgain = qScopeGuard([&] {
            QProcess::execute("chattr", {"-i", readOnly});
        });
        QProcess child;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("CORVANTIS_EXPORT_TARGET", path);
        child.setProcessEnvironment(environment);
        const QStringList self{QCoreApplication::applicationFilePath(),
                               QStringLiteral("aWritableFileInAReadOnlyFolderIsWrittenInPlace:") +
                                   QTest::currentDataTag()};
        if (immutableFolder) // stops root too
            child.start(self[0], self.mid(1));
        else
            child.start("setpriv",
                        QStringList{"--reuid=nobody", "--regid=nogroup", "--clear-groups"} + self);
        QVERIFY(child.waitForFinished(60000));
        QVERIFY2(child.exitCode() == 0, child.readAllStandardOutput().constData());
        QCOMPARE(contentOf(file), written);
    }

    void commandsRunNestedDuringTheSave() {
        // A command run at a yield removes entries: positions past the new end are skipped
        // without a report, and the width is that of the entries measured.
        WindowUnderTest test;
        Form1& window = test.load();
        addEntries(window.websiteList(),
                   {"http://one.example", "two", "http://a-long-third.example", "4", "5"},
                   {0, 1, 2, 3, 4});
        const QString path = folder_.filePath("nested.txt");
        test.env.dialogs.saveAnswers.enqueue(path);
        std::optional<PointerState> pointerInNestedCommand;
        QTimer::singleShot(0, &window, [&] {
            pointerInNestedCommand = window.pointerState();
            for (int i = 0; i < 3; ++i)
                window.websiteList().removeAt(2);
        });

        saveTextFileButton(window)->click();

        QCOMPARE(pointerInNestedCommand, std::optional(PointerState::Busy));
        QVERIFY(test.env.dialogs.reports.empty());
        QCOMPARE(contentOf(path), QByteArray(" Websites         \t\r\n"
                                             "http://one.example\t\r\n"
                                             "two               \t\r\n"));
    }

    void anExportedFileReadsBackAsItsLines() {
        WindowUnderTest test;
        Form1& window = test.load();
        addEntries(window.websiteList(), {"http://ünïcode.example", "ab"}, {0, 1});
        const QString path = folder_.filePath("round trip.txt");
        test.env.dialogs.saveAnswers.enqueue(path);
        saveTextFileButton(window)->click();
        QVERIFY(contentOf(path).contains("http://\xC3\xBCn\xC3\xAF"
                                         "code.example\t\r\n"));

        window.websiteList().clear();
        test.env.dialogs.openAnswers.enqueue({path});
        loadTextFilesButton(window)->click();

        QCOMPARE(window.websiteList().count(), 3);
        QCOMPARE(window.websiteList().text(0), QStringLiteral(" Websites             \t"));
        QCOMPARE(window.websiteList().text(1), QStringLiteral("http://ünïcode.example\t"));
        QCOMPARE(window.websiteList().text(2), QStringLiteral("ab                    \t"));
    }
};

QTEST_MAIN(TestTextExport)
#include "test_text_export.moc"
