#pragma once

#include <QObject>
#include <QString>

class QWidget;

// The window's skin: a Qt style sheet loaded from the skin file beside the program. Its
// operations keep the numbers the program knows them by (2 load, 1 options, 5 and 10 switches,
// 3 apply).
class SkinFramework : public QObject {
    Q_OBJECT

public:
    // Option bits (1). Without skinEnabled, applying leaves every window as it is.
    static constexpr int skinEnabled = 1;

    explicit SkinFramework(QObject* parent = nullptr);

    // 2: loads the sheet from the file. `variant` names a variant of a skin file that holds
    // several; the skin files here hold one, so it is not used. Throws Failure when the
    // file cannot be read or is not style-sheet text; a sheet loaded before stays.
    void LoadSkin(const QString& path, const QString& variant);

    // 1: the option bits.
    int options() const;
    void setOptions(int options);

    // 5: the skin is used for the main window passed to ApplyWindow.
    void setApplyToMainWindow(bool on);
    // 10: the skin is used for every dialog the program shows afterwards.
    void setApplyToDialogs(bool on);

    // 3: applies the loaded skin to the main window and, from now on, to the dialogs, as the
    // switches say. Throws Failure when no skin has been loaded.
    void ApplyWindow(QWidget* window);

    QString styleSheet() const { return styleSheet_; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QString styleSheet_;
    bool loaded_ = false;
    int options_ = 0;
    bool mainWindowOn_ = false;
    bool dialogsOn_ = false;
    bool skinningDialogs_ = false;
};
