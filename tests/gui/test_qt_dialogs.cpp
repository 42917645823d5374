// The Qt file dialog adapter: the filter in Qt's syntax, and the real QFileDialog driven once
// for opening and once for saving.
#include "base/ErrorReport.h"
#include "ui/QtDialogs.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFileDialog>
#include <QInputDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <functional>
#include <memory>

namespace {

// Runs `act` on the modal dialog of type Dialog as soon as it is shown. The poll gives up
// after a while, so that it cannot act on a dialog of a later test.
template <typename Dialog> void whenShown(std::function<void(Dialog&)> act) {
    auto* poll = new QTimer(qApp);
    auto started = std::make_shared<QElapsedTimer>();
    started->start();
    QObject::connect(poll, &QTimer::timeout, poll, [poll, act, started] {
        auto* dialog = qobject_cast<Dialog*>(QApplication::activeModalWidget());
        if (dialog == nullptr && started->elapsed() < 30'000)
            return;
        poll->stop();
        poll->deleteLater();
        if (dialog != nullptr)
            act(*dialog);
    });
    poll->start(10);
}

void whenFileDialogShown(std::function<void(QFileDialog&)> act) {
    whenShown<QFileDialog>(std::move(act));
}

void typeAndAccept(QFileDialog& dialog, const QString& typed) {
    auto* name = dialog.findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
    QVERIFY(name != nullptr);
    name->setText(typed);
    static_cast<QDialog&>(dialog).accept(); // QFileDialog::accept, public through QDialog
}

void touch(const QString& path) {
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
}

const QString listFilter = QStringLiteral("Text Files (*.txt)|*.txt|All Files (*.*)|*.*|");

} // namespace

class TestQtDialogs : public QObject {
    Q_OBJECT

private slots:
    void cleanup() {
        // A dialog a failed test left open would block the next one.
        for (int i = 0; i < 10; ++i) {
            if (auto* modal = qobject_cast<QDialog*>(QApplication::activeModalWidget()))
                modal->reject();
            else
                break;
        }
    }

    void nameFilter_data() {
        QTest::addColumn<QString>("filter");
        QTest::addColumn<QString>("qt");
        QTest::newRow("the list filter") << listFilter << "Text Files (*.txt);;All Files (*)";
        QTest::newRow("no final bar") << "Lists|*.txt;*.lst"
                                      << "Lists (*.txt *.lst)";
        QTest::newRow("parentheses in the description") << "Lists (UTF-8) (*.txt)|*.txt|"
                                                        << "Lists (UTF-8) (*.txt)";
        QTest::newRow("empty") << ""
                               << "";
    }
    void nameFilter() {
        QFETCH(QString, filter);
        QFETCH(QString, qt);
        QCOMPARE(qtNameFilter(filter), qt);
    }

    void openReturnsThePickedFilesInTheDialogsOrder() {
        QTemporaryDir folder;
        touch(folder.filePath("a.txt"));
        touch(folder.filePath("b.txt"));
        QString title;
        QStringList filters;
        QFileDialog::FileMode mode{};
        whenFileDialogShown([&](QFileDialog& dialog) {
            title = dialog.windowTitle();
            filters = dialog.nameFilters();
            mode = dialog.fileMode();
            dialog.setDirectory(folder.path());
            typeAndAccept(dialog, QStringLiteral("\"b.txt\" \"a.txt\""));
        });
        QtDialogs dialogs;
        const QStringList picked = dialogs.showOpen(
            {QString(), 0x280201,
             QStringLiteral("Load List(s) - Hold Ctrl to select multiple list files"), listFilter});

        QCOMPARE(picked, QStringList({folder.filePath("b.txt"), folder.filePath("a.txt")}));
        QCOMPARE(title, QStringLiteral("Load List(s) - Hold Ctrl to select multiple list files"));
        QCOMPARE(filters, QStringList({"Text Files (*.txt)", "All Files (*)"}));
        QCOMPARE(mode, QFileDialog::ExistingFiles);
    }

    void openRefusesANameThatDoesNotExist() {
        QTemporaryDir folder;
        bool stayedOpen = false;
        whenFileDialogShown([&](QFileDialog& dialog) {
            dialog.setDirectory(folder.path());
            whenShown<QMessageBox>([](QMessageBox& box) { box.accept(); });
            typeAndAccept(dialog, QStringLiteral("gone.txt"));
            stayedOpen = dialog.isVisible();
            dialog.reject();
        });
        QtDialogs dialogs;
        const QStringList picked =
            dialogs.showOpen({QString(), 0x280201, QStringLiteral("Open"), listFilter});

        QVERIFY(stayedOpen);
        QVERIFY(picked.isEmpty());
    }

    void inputBoxTakesAPastedTextWhole() {
        const QString pasted = QStringLiteral("https://example.org/") + QString(40'000, u'x');
        whenShown<QInputDialog>([&](QInputDialog& box) {
            box.findChild<QLineEdit*>()->insert(pasted);
            box.accept();
        });
        QCOMPARE(QtDialogs().inputBox(QStringLiteral("Enter Website to add: "), {}), pasted);
    }

    void boxesShowHtmlAndControlsFromFilesAsPlainText() {
        const QString html =
            QStringLiteral("<h1><a href=\"file:///\">x</a><img src=/y></h1>\u202Egro.elpmaxe");
        QList<Qt::TextFormat> formats;
        const auto record = [&formats](QMessageBox& box) {
            formats << box.textFormat();
            QVERIFY(box.text().contains(QStringLiteral("</h1><U+202E>gro.elpmaxe")));
            box.accept();
        };
        whenShown<QMessageBox>(record);
        QtDialogs().notice(html, QStringLiteral("Corvantis"));
        whenShown<QMessageBox>(record);
        QtDialogs().errorReport(ErrorReport(html, QStringLiteral("Form1.Form_Load"), 132));
        QCOMPARE(formats, QList<Qt::TextFormat>({Qt::PlainText, Qt::PlainText}));
    }

    void aTallTextFitsTheScreenWithItsBothEnds() {
        QString shown;
        whenShown<QMessageBox>([&](QMessageBox& box) {
            if (box.screen()->availableGeometry().contains(box.frameGeometry()))
                shown = box.text();
            box.accept();
        });
        QtDialogs().notice(QStringLiteral("first\n") + QStringLiteral("line\n").repeated(3000), {});
        QVERIFY(shown.startsWith(u"first\nline") && shown.contains(u" not shown \u2026]\nline"));
    }

    void saveReplacesAnExistingFileWithoutAQuestion() {
        QTemporaryDir folder;
        touch(folder.filePath("old.txt"));
        bool asksBeforeReplacing = true;
        whenFileDialogShown([&](QFileDialog& dialog) {
            asksBeforeReplacing = !dialog.testOption(QFileDialog::DontConfirmOverwrite);
            dialog.setDirectory(folder.path());
            typeAndAccept(dialog, QStringLiteral("old.txt"));
        });
        QtDialogs dialogs;
        const QString chosen =
            dialogs.showSave({QString(), 0x280201, QStringLiteral("Save"), listFilter});

        QCOMPARE(chosen, folder.filePath("old.txt"));
        QVERIFY(!asksBeforeReplacing);
    }
};

QTEST_MAIN(TestQtDialogs)
#include "test_qt_dialogs.moc"
