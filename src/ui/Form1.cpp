#include "ui/Form1.h"

#include "base/ErrorTrap.h"
#include "base/FileExists.h"
#include "base/ProgramSettings.h"
#include "base/SetAppTitle.h"
#include "commands/DefaultList.h"
#include "commands/ListEditing.h"
#include "commands/ListPersistence.h"
#include "commands/OpeningRun.h"
#include "commands/TextExport.h"
#include "commands/TextImport.h"
#include "list/WebsiteList.h"
#include "ui/AccessibleInterfaces.h"
#include "ui/AppIcon.h"
#include "ui/Appearance.h"
#include "ui/CheckBoxDoubleClickFilter.h"
#include "ui/ProgressBar.h"
#include "ui/SkinFramework.h"
#include "ui/Twips.h"
#include "ui/WebsiteListView.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QEventLoop>
#include <QGroupBox>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <utility>

namespace {

// Statement numbers of the start-up's error reports (the list's restore has its own).
enum LoadStatement : int {
    applySkin = 100,
    findCursorFile = 104,
    loadCursor = 106,
    setCaptionIconTitle = 126,
    addListColumn = 128,
    sizeListColumn = 130,
    fillCountBox = 146,
};

} // namespace

Form1::Form1(Platform platform, WebsiteList& websites, QWidget* parent)
    : QWidget(parent), ListView1(new WebsiteListView(this)), Frame2(new QGroupBox(this)),
      Text1(new QLineEdit(Frame2)), ProgressBar1(new ProgressBar(this)),
      PushButton1(new QPushButton(this)), PushButton4(new QPushButton(this)),
      PushButton6(new QPushButton(this)), PushButton9(new QPushButton(this)),
      PushButton10(new QPushButton(this)), PushButton2(new QPushButton(this)),
      PushButton5(new QPushButton(this)), SkinFramework1(new SkinFramework(this)),
      platform_(std::move(platform)), websites_(websites) {
    installAccessibleInterfaces();
    createControls();
    connectHandlers();
}

Form1::~Form1() = default;

void Form1::connectHandlers() {
    connect(PushButton1, &QPushButton::clicked, this, &Form1::PushButton1_Click);
    connect(PushButton2, &QPushButton::clicked, this, &Form1::PushButton2_Click);
    connect(PushButton4, &QPushButton::clicked, this, &Form1::PushButton4_Click);
    connect(PushButton5, &QPushButton::clicked, this, &Form1::PushButton5_Click);
    connect(PushButton6, &QPushButton::clicked, this, &Form1::PushButton6_Click);
    connect(PushButton9, &QPushButton::clicked, this, &Form1::PushButton9_Click);
    connect(PushButton10, &QPushButton::clicked, this, &Form1::PushButton10_Click);
    connect(Text1, &QLineEdit::textChanged, this, &Form1::Text1_Change);
    connect(ListView1, &QAbstractItemView::doubleClicked, this, &Form1::ListView1_DblClick);
    new CheckBoxDoubleClickFilter(ListView1); // a double-click on a check box only ticks it
    ListView1->installEventFilter(this);

    // Hover feedback: the buttons show the hand, the list, the frame and the window's own
    // surface the arrow. The count box and the progress bar keep whatever was shown.
    setMouseTracking(true);
    QWidget* const hoverAreas[] = {
        PushButton1,  PushButton2,           PushButton4,
        PushButton5,  PushButton6,           PushButton9,
        PushButton10, ListView1->viewport(), ListView1->header()->viewport(),
        Frame2};
    for (QWidget* hover : hoverAreas) {
        hover->setMouseTracking(true);
        hover->installEventFilter(this);
    }
    Text1->setAttribute(Qt::WA_NoMousePropagation);
    ProgressBar1->setAttribute(Qt::WA_NoMousePropagation);
}

void Form1::Form_Load() {
    ErrorTrap trap(QStringLiteral("Form1.Form_Load"), platform_.dialogs);
    const QString folder = platform_.programFolder;

    trap.run(applySkin, [&] { ApplySkin(*this, *SkinFramework1, folder); });
    const QString cursorFile = folder + QStringLiteral("/HAND-M.CUR");
    bool cursorFileFound = false;
    trap.run(findCursorFile, [&] { cursorFileFound = FileExists(cursorFile); });
    if (cursorFileFound)
        trap.run(loadCursor, [&] { setCustomPointer(loadCursorFile(cursorFile)); });

    trap.run(setCaptionIconTitle, [&] {
        setWindowTitle(QLatin1String(productName));
        setWindowIcon(applicationIcon());
        SetAppTitle();
    });

    trap.run(addListColumn, [&] { websites_.addColumn(QStringLiteral(" Websites")); });
    trap.run(sizeListColumn, [&] { ListView1->header()->resizeSection(0, twipsToPixels(7000)); });
    storedListAtStart_ = restoreWebsiteList(websites_, platform_.settings, trap);

    trap.run(fillCountBox, [&] { Text1->setText(ProgramSettings(platform_.settings).count()); });

    if (life_.finishLoading())
        close();
}

void Form1::centreOnScreen() {
    if (const QScreen* screen = this->screen())
        move(screen->availableGeometry().center() - rect().center());
}

void Form1::SetAppTitle() {
    appTitle_ = appTitleFromProductName(QLatin1String(productName));
}

void Form1::Form_QueryUnload(Dialogs& reports) {
    ErrorTrap trap(QStringLiteral("Form1.Form_QueryUnload"), reports);
    saveWebsiteList(websites_, *this, platform_.settings, trap, storedListAtStart_);
}

void Form1::saveAtExit(Dialogs& reports) {
    if (life_.displayLost()) // not before the list is restored, nor after the close's save
        Form_QueryUnload(reports);
}

void Form1::Form_Unload() {
    emit unloaded();
}

void Form1::closeEvent(QCloseEvent* event) {
    // A close request while start-up shows a report (log-out, a signal) waits for the list to
    // be restored: saving the still empty list would overwrite the stored one.
    const WindowLifeCycle::CloseRequest request = life_.requestClose();
    if (request == WindowLifeCycle::CloseRequest::waitForLoad) {
        event->ignore();
        return;
    }
    event->accept();
    if (request == WindowLifeCycle::CloseRequest::closing)
        return;
    // Clicks and keys still queued must not start a command after the list was saved.
    setEnabled(false);
    Form_QueryUnload(platform_.dialogs);
    Form_Unload();
}

void Form1::Text1_Change() {
    // The count box has no error report of its own: a store that cannot be written would
    // otherwise show a box at every keystroke. The list save at close reports such a store.
    try {
        ProgramSettings(platform_.settings).storeCount(Text1->text());
    } catch (const std::exception& failure) {
        qWarning("%s", failure.what());
    }
}

void Form1::PushButton1_Click() {
    ErrorTrap trap(QStringLiteral("Form1.PushButton1_Click"), platform_.dialogs);
    addWebsite(websites_, platform_.dialogs, appTitle_, trap);
}

void Form1::PushButton2_Click() {
    ErrorTrap trap(QStringLiteral("Form1.PushButton2_Click"), platform_.dialogs);
    openRandomWebsites(websites_, *this, platform_.dialogs, appTitle_,
                       {platform_.shell, platform_.random, platform_.clock}, trap);
}

void Form1::PushButton4_Click() {
    ErrorTrap trap(QStringLiteral("Form1.PushButton4_Click"), platform_.dialogs);
    loadDefaultList(websites_, platform_.dialogs, platform_.programFolder, appTitle_, trap);
}

void Form1::PushButton5_Click() {
    ErrorTrap trap(QStringLiteral("Form1.PushButton5_Click"), platform_.dialogs);
    saveWebsitesToTextFile(websites_, *this, platform_.dialogs, CommonDialog1, trap);
}

void Form1::PushButton6_Click() {
    ErrorTrap trap(QStringLiteral("Form1.PushButton6_Click"), platform_.dialogs);
    clearAllWebsites(websites_, *this, trap);
}

void Form1::PushButton9_Click() {
    ErrorTrap trap(QStringLiteral("Form1.PushButton9_Click"), platform_.dialogs);
    deleteSelectedWebsite(websites_, *this, trap);
}

void Form1::PushButton10_Click() {
    ErrorTrap trap(QStringLiteral("Form1.PushButton10_Click"), platform_.dialogs);
    loadWebsitesFromTextFiles(websites_, *this, platform_.dialogs, CommonDialog1, appTitle_, trap);
}

void Form1::ListView1_KeyDown(int keyCode) {
    if (keyCode == Qt::Key_Delete)
        deleteWithoutReport();
}

void Form1::ListView1_DblClick(const QModelIndex& index) {
    if (index.isValid())
        deleteWithoutReport();
}

void Form1::deleteWithoutReport() {
    // The Delete key and the double-click have no error report; nothing may escape the event
    // handler either.
    try {
        deleteSelectedUnlessBusy(websites_, *this);
    } catch (const std::exception& failure) {
        qWarning("%s", failure.what());
    }
}

bool Form1::eventFilter(QObject* watched, QEvent* event) {
    if (watched == ListView1 && event->type() == QEvent::KeyPress)
        ListView1_KeyDown(static_cast<QKeyEvent*>(event)->key());
    if (event->type() == QEvent::MouseMove) {
        const bool overButton = qobject_cast<QPushButton*>(watched) != nullptr;
        hoverTo(overButton ? PointerState::Custom : PointerState::Default);
    }
    return QWidget::eventFilter(watched, event);
}

void Form1::mouseMoveEvent(QMouseEvent* event) {
    if (childAt(event->position().toPoint()) == nullptr)
        hoverTo(PointerState::Default);
    QWidget::mouseMoveEvent(event);
}

void Form1::hoverTo(PointerState state) {
    if (pointerState_ != PointerState::Busy)
        setPointerState(state);
}

void Form1::setCustomPointer(const QCursor& cursor) {
    customPointer_ = cursor;
    applyPointer();
}

void Form1::setPointerState(PointerState state) {
    pointerState_ = state;
    applyPointer();
}

void Form1::applyPointer() {
    switch (pointerState_) {
    case PointerState::Busy:
        setCursor(Qt::WaitCursor);
        break;
    case PointerState::Custom:
        setCursor(customPointer_.value_or(QCursor(Qt::ArrowCursor)));
        break;
    case PointerState::Default:
        unsetCursor();
        break;
    }
}

void Form1::setProgressValue(double percent) {
    ProgressBar1->setExactValue(percent);
}

void Form1::setProgressText(const QString& text) {
    ProgressBar1->setBarText(text);
}

QString Form1::countText() const {
    return Text1->text();
}

void Form1::yield() {
    if (!life_.displayGone()) // events would come from a connection that is gone
        QCoreApplication::processEvents();
}

void Form1::waitForEvents() {
    QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
}

std::optional<int> Form1::selectedRow() const {
    const QModelIndexList rows = ListView1->selectionModel()->selectedRows();
    if (rows.isEmpty())
        return std::nullopt;
    return rows.first().row();
}
