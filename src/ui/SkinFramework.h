#pragma once

#include <QObject>
#include <QString>
#include <QStringList>

class QWidget;

// The window's skin: a Qt style sheet loaded from the skin file beside the program. Its
// operations keep the numbers the program knows them by (2 load, 1 options, 5 and 10 switches,
// 3 apply), and every call is recorded in order, so that what start-up did can be checked.
class SkinFramework : public QObject {
    Q_OBJECT

public:
    // Option bits (1). Without skinEnabled, applying leaves every window as it is.
    static constexpr int skinEnabled = 1;

    explicit SkinFramework(QObject* parent = nullptr);

    // 2: loads the sheet from the file. `variant` names a variant of a skin file that holds
    // several; the skin files here hold one, so it is only recorded. Throws Failure when the
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
    // Every call so far, e.g. "2 LoadSkin /opt/x/o.cjs", "1 read 0", "1 write 1", "5 write true".
    QStringList calls() const { return calls_; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void record(int dispatchId, const QString& what) const;

    QString styleSheet_;
    bool loaded_ = false;
    int options_ = 0;
    bool mainWindowOn_ = false;
    bool dialogsOn_ = false;
    bool skinningDialogs_ = false;
    mutable QStringList calls_;
};
