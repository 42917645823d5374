// The controls of the main window: kind, text, position, size, font and tab order.
#include "list/WebsiteList.h"
#include "ui/Form1.h"
#include "ui/ProgressBar.h"
#include "ui/SkinFramework.h"
#include "ui/Twips.h"
#include "ui/WebsiteListView.h"

#include <QGroupBox>
#include <QHeaderView>
#include <QLineEdit>
#include <QPushButton>
#include <utility>

namespace {

QFont arialBold(double points) {
    QFont font(QStringLiteral("Arial"));
    font.setPointSizeF(points);
    font.setBold(true);
    return font;
}

void placeButton(QPushButton* button, const QString& text, const QRect& geometry) {
    button->setText(text);
    button->setAccessibleName(text);
    button->setGeometry(geometry);
    button->setFont(arialBold(11.25));
    button->setAutoDefault(false);
}

} // namespace

void Form1::createControls() {
    setFixedSize(twipsToPixels(8040), twipsToPixels(6315));
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                   Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint);
    setFont(arialBold(9));
    setAutoFillBackground(true);
    QPalette white = palette();
    white.setColor(QPalette::Window, Qt::white);
    setPalette(white);
    QPixmap blank(32, 32);
    blank.fill(Qt::transparent);
    setWindowIcon(QIcon(blank));

    ListView1->setGeometry(twipsRect(120, 120, 7800, 2535));
    ListView1->setFont(arialBold(9));
    ListView1->setSelectionMode(QAbstractItemView::SingleSelection);
    ListView1->setSelectionBehavior(QAbstractItemView::SelectRows);
    ListView1->setEditTriggers(QAbstractItemView::NoEditTriggers);
    ListView1->header()->setStretchLastSection(false);
    ListView1->header()->setSectionsMovable(false);
    ListView1->setAccessibleName(QStringLiteral("Websites"));
    ListView1->setModel(&websites_);

    Frame2->setTitle(QStringLiteral("How many random websites would you like to open?"));
    Frame2->setGeometry(twipsRect(120, 4230, 7800, 915));
    Frame2->setAutoFillBackground(true);
    Frame2->setPalette(white);
    Frame2->setAccessibleName(Frame2->title());

    Text1->setGeometry(twipsRect(240, 360, 7320, 330));
    Text1->setText(QStringLiteral("1"));
    Text1->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    Text1->setMaxLength(32767 * 2);
    Text1->setAccessibleName(Frame2->title());

    ProgressBar1->setGeometry(twipsRect(120, 5790, 7800, 405));
    ProgressBar1->setBarText(CommandView::idleProgressText);
    ProgressBar1->setFocusPolicy(Qt::NoFocus);
    ProgressBar1->setAccessibleName(CommandView::idleProgressText);

    placeButton(PushButton1, QStringLiteral("Add Website"), twipsRect(120, 2750, 3840, 405));
    placeButton(PushButton4, QStringLiteral("Load Default List"), twipsRect(120, 3260, 3840, 405));
    placeButton(PushButton6, QStringLiteral("Clear All Websites"),
                twipsRect(4080, 3260, 3840, 405));
    placeButton(PushButton9, QStringLiteral("Delete Selected Website"),
                twipsRect(4080, 2750, 3840, 405));
    placeButton(PushButton10, QStringLiteral("Load Websites From Text File"),
                twipsRect(120, 3770, 3840, 405));
    placeButton(PushButton2, QStringLiteral("Start Opening Websites"),
                twipsRect(120, 5265, 7800, 405));
    placeButton(PushButton5, QStringLiteral("Save Websites To Text File"),
                twipsRect(4080, 3770, 3840, 405));

    nameControls();
    setTabOrderByIndex();
}

// The names by which the skin addresses the controls.
void Form1::nameControls() {
    const std::pair<QObject*, const char*> names[] = {{this, "Form1"},
                                                      {ListView1, "ListView1"},
                                                      {Frame2, "Frame2"},
                                                      {Text1, "Text1"},
                                                      {ProgressBar1, "ProgressBar1"},
                                                      {PushButton1, "PushButton1"},
                                                      {PushButton4, "PushButton4"},
                                                      {PushButton6, "PushButton6"},
                                                      {PushButton9, "PushButton9"},
                                                      {PushButton10, "PushButton10"},
                                                      {PushButton2, "PushButton2"},
                                                      {PushButton5, "PushButton5"},
                                                      {SkinFramework1, "SkinFramework1"}};
    for (const auto& [control, name] : names)
        control->setObjectName(QLatin1String(name));
}

void Form1::setTabOrderByIndex() {
    QWidget* const order[] = {ListView1,    PushButton1, PushButton4, PushButton6, PushButton9,
                              PushButton10, PushButton2, PushButton5, Text1};
    for (size_t i = 1; i < std::size(order); ++i)
        setTabOrder(order[i - 1], order[i]);
}
