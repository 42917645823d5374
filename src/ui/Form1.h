#pragma once

#include "base/Platform.h"
#include "commands/CommandView.h"
#include "commands/ListPersistence.h"
#include "ui/WindowLifeCycle.h"

#include <QCursor>
#include <QWidget>
#include <optional>

class QGroupBox;
class QLineEdit;
class QPushButton;
class ProgressBar;
class SkinFramework;
class WebsiteList;
class WebsiteListView;

// The program's one window: the website list, the seven command buttons, the count box in its
// frame and the progress bar. Each handler arms its error trap and hands the work to the
// command in commands/, with the services that command uses. The list is owned by whoever
// builds the window and outlives it.
class Form1 : public QWidget, public CommandView {
    Q_OBJECT

public:
    static constexpr const char* productName = "Corvantis";

    Form1(Platform platform, WebsiteList& websites, QWidget* parent = nullptr);
    ~Form1() override;

    // Start-up: appearance, caption, icon, title, list column, list restore, count box.
    void Form_Load();
    // Places the window in the middle of the screen it is on.
    void centreOnScreen();
    // The close's save, when the program ends without a close because its display is gone:
    // reports go to `reports`, as no box can be shown. Does nothing after the close's save.
    void saveAtExit(Dialogs& reports);

    // The controls, named as the program's handlers and tests speak of them. Owned by the window.
    WebsiteListView* const ListView1;
    QGroupBox* const Frame2;
    QLineEdit* const Text1;
    ProgressBar* const ProgressBar1;
    QPushButton* const PushButton1;  // Add Website
    QPushButton* const PushButton4;  // Load Default List
    QPushButton* const PushButton6;  // Clear All Websites
    QPushButton* const PushButton9;  // Delete Selected Website
    QPushButton* const PushButton10; // Load Websites From Text File
    QPushButton* const PushButton2;  // Start Opening Websites
    QPushButton* const PushButton5;  // Save Websites To Text File
    CommonDialog CommonDialog1;
    SkinFramework* const SkinFramework1;

    // The hand cursor loaded at start-up, shown while the pointer state is Custom.
    void setCustomPointer(const QCursor& cursor);
    bool hasCustomPointer() const { return customPointer_.has_value(); }

    WebsiteList& websiteList() { return websites_; }
    // The caption of the message and input boxes that have no title of their own.
    QString appTitle() const { return appTitle_; }

    // CommandView
    PointerState pointerState() const override { return pointerState_; }
    void setPointerState(PointerState state) override;
    void setProgressValue(double percent) override;
    void setProgressText(const QString& text) override;
    QString countText() const override;
    std::optional<int> selectedRow() const override;
    void yield() override;
    void waitForEvents() override;
    bool isClosing() const override { return life_.isClosing(); }

signals:
    // The window has closed and saved the list: the program ends.
    void unloaded();

public slots:
    void PushButton1_Click();
    void PushButton2_Click();
    void PushButton4_Click();
    void PushButton5_Click();
    void PushButton6_Click();
    void PushButton9_Click();
    void PushButton10_Click();
    void Text1_Change();
    void ListView1_DblClick(const QModelIndex& index);

protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;

private:
    void createControls();
    void nameControls();
    void setTabOrderByIndex();
    void connectHandlers();
    void Form_QueryUnload(Dialogs& reports);
    void Form_Unload();
    void ListView1_KeyDown(int keyCode);
    void SetAppTitle();
    void applyPointer();
    void hoverTo(PointerState state);
    void deleteWithoutReport();

    Platform platform_;
    WebsiteList& websites_;
    PointerState pointerState_ = PointerState::Default;
    std::optional<QCursor> customPointer_;
    QString appTitle_;
    StoredListAtStart storedListAtStart_; // what the close must know of the stored list
    WindowLifeCycle life_;
};
