#include "ui/SkinFramework.h"

#include "app/Failure.h"
#include "app/FileAccess.h"
#include "ui/StyleSheetText.h"

#include <QCoreApplication>
#include <QDialog>
#include <QEvent>

namespace {

// A skin is a few kilobytes of text; anything past this is not one.
constexpr qint64 largestSkin = 1024 * 1024;

QString onOff(bool on) {
    return on ? QStringLiteral("true") : QStringLiteral("false");
}

} // namespace

SkinFramework::SkinFramework(QObject* parent) : QObject(parent) {}

void SkinFramework::record(int dispatchId, const QString& what) const {
    calls_.append(QString::number(dispatchId) + QLatin1Char(' ') + what);
}

void SkinFramework::LoadSkin(const QString& path, const QString& variant) {
    record(2, QStringLiteral("LoadSkin %1 %2").arg(path, variant).trimmed());
    const QByteArray bytes = readSmallFile(path, largestSkin, QStringLiteral("skin"));
    styleSheet_ = styleSheetText(bytes);
    loaded_ = true;
}

int SkinFramework::options() const {
    record(1, QStringLiteral("read %1").arg(options_));
    return options_;
}

void SkinFramework::setOptions(int options) {
    record(1, QStringLiteral("write %1").arg(options));
    options_ = options;
}

void SkinFramework::setApplyToMainWindow(bool on) {
    record(5, QStringLiteral("write ") + onOff(on));
    mainWindowOn_ = on;
}

void SkinFramework::setApplyToDialogs(bool on) {
    record(10, QStringLiteral("write ") + onOff(on));
    dialogsOn_ = on;
}

void SkinFramework::ApplyWindow(QWidget* window) {
    record(3, QStringLiteral("ApplyWindow"));
    if (!loaded_)
        throw Failure(QStringLiteral("No skin is loaded"));
    if (!(options_ & skinEnabled))
        return;
    if (mainWindowOn_ && window)
        window->setStyleSheet(styleSheet_);
    QCoreApplication* const application = QCoreApplication::instance();
    if (dialogsOn_ && application && !skinningDialogs_) {
        application->installEventFilter(this);
        skinningDialogs_ = true;
    }
}

// Skins each dialog as it is first shown, unless it brings a sheet of its own.
bool SkinFramework::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::Show) {
        auto* dialog = qobject_cast<QDialog*>(watched);
        if (dialog && dialog->isWindow() && dialog->styleSheet().isEmpty())
            dialog->setStyleSheet(styleSheet_);
    }
    return QObject::eventFilter(watched, event);
}
