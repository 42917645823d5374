#include "ui/SkinFramework.h"

#include "base/Failure.h"
#include "base/RegularFileReader.h"
#include "ui/StyleSheetText.h"

#include <QCoreApplication>
#include <QDialog>
#include <QEvent>

namespace {

// A skin is a few kilobytes of text; anything past this is not one.
constexpr qint64 largestSkin = qint64{1024} * 1024;

} // namespace

SkinFramework::SkinFramework(QObject* parent) : QObject(parent) {}

void SkinFramework::LoadSkin(const QString& path, const QString& /*variant*/) {
    const QByteArray bytes = readSmallFile(path, largestSkin, QStringLiteral("skin"));
    styleSheet_ = styleSheetText(bytes);
    loaded_ = true;
}

int SkinFramework::options() const {
    return options_;
}

void SkinFramework::setOptions(int options) {
    options_ = options;
}

void SkinFramework::setApplyToMainWindow(bool on) {
    mainWindowOn_ = on;
}

void SkinFramework::setApplyToDialogs(bool on) {
    dialogsOn_ = on;
}

void SkinFramework::ApplyWindow(QWidget* window) {
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
