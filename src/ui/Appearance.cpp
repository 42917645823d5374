#include "ui/Appearance.h"

#include "base/RegularFileReader.h"
#include "ui/CursorFile.h"
#include "ui/SkinFramework.h"

#include <QCheckBox>
#include <QFileInfo>
#include <QGroupBox>
#include <QLabel>
#include <QPixmap>
#include <QRadioButton>

namespace {

// A cursor holds a few images of at most 256 x 256 pixels; anything larger is not one.
constexpr qint64 largestCursorFile = qint64{4} * 1024 * 1024;

// The skin counts only as an ordinary file: a folder of that name or a hidden file does not.
bool isOrdinaryFile(const QString& path) {
    const QFileInfo info(path);
    return info.isFile() && !info.isHidden();
}

// The plain backgrounds take the palette's button face, in every colour group, so that they
// follow the desktop's colours rather than a fixed value.
void paintButtonFace(QWidget& widget) {
    QPalette palette = widget.palette();
    for (const auto group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled})
        palette.setBrush(group, QPalette::Window, palette.brush(group, QPalette::Button));
    widget.setPalette(palette);
}

bool hasPlainBackground(const QWidget* control) {
    return qobject_cast<const QRadioButton*>(control) || qobject_cast<const QCheckBox*>(control) ||
           qobject_cast<const QGroupBox*>(control) || qobject_cast<const QLabel*>(control);
}

} // namespace

void ApplySkin(QWidget& window, SkinFramework& skin, const QString& programFolder) {
    const QString skinPath = programFolder + QStringLiteral("/x/o.cjs");
    if (!isOrdinaryFile(skinPath))
        return;

    paintButtonFace(window);
    for (QWidget* control : window.findChildren<QWidget*>())
        if (hasPlainBackground(control))
            paintButtonFace(*control);

    skin.LoadSkin(skinPath, QString());
    skin.setOptions(skin.options() | SkinFramework::skinEnabled);
    skin.setApplyToMainWindow(true);
    skin.setApplyToDialogs(true);
    skin.ApplyWindow(&window);
}

QCursor loadCursorFile(const QString& path) {
    const QByteArray bytes = readSmallFile(path, largestCursorFile, QStringLiteral("cursor"));
    const CursorPicture picture = readCursorFile(bytes);
    return QCursor(QPixmap::fromImage(picture.image), picture.hotspot.x(), picture.hotspot.y());
}
