#include "main_window/zerva_form.h"

#include "platform/controls/check_box.h"
#include "platform/controls/client_area.h"
#include "platform/controls/list_view.h"
#include "platform/controls/twips.h"
#include "windows/zerva_icon.h"

#include <QFrame>
#include <QLabel>
#include <QLayout>
#include <QMainWindow>
#include <QPushButton>
#include <QScreen>
#include <QStyle>
#include <QStyleOptionButton>
#include <QTimer>

namespace zerva {

namespace {

const QColor Black(0, 0, 0);
const QColor Yellow(255, 255, 0);

// Names read by screen readers where a control shows no text of its own.
const char* const ProcessListName = "Surec listesi";
const char* const TrustedListName = "Guvenilir programlar";
const char* const BannerName = "Web afisi";

template <typename W>
W* named(W* widget, const char* name, const Twips& twips, QRect twipsRect)
{
    widget->setObjectName(QLatin1String(name));
    widget->setGeometry(twips.rect(twipsRect.x(), twipsRect.y(), twipsRect.width(), twipsRect.height()));
    return widget;
}

ListView* processList(QWidget* parent, const char* name, const Twips& twips, QRect twipsRect)
{
    auto* list = named(new ListView(parent), name, twips, twipsRect);
    list->setColumns({QStringLiteral("Dosya"), QStringLiteral("Path"), QStringLiteral("Modules")});
    list->setColumnWidth(0, twips.width(1740));
    list->setColumnWidth(1, twips.width(5000));
    // Present but unseen.
    list->setColumnWidth(2, 0);
    list->setAccessibleName(QLatin1String(ProcessListName));
    return list;
}

// Yellow text straight on the window's black.
void yellowOnTransparent(QLabel* label)
{
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, Yellow);
    label->setPalette(palette);
    label->setAutoFillBackground(false);
}

// Buttons fill with their button colour; these boxes stand on black.
void yellowOnBlack(QWidget* widget)
{
    QPalette palette = widget->palette();
    palette.setColor(QPalette::Window, Black);
    palette.setColor(QPalette::WindowText, Yellow);
    widget->setPalette(palette);
    widget->setBackgroundRole(QPalette::Window);
    widget->setAutoFillBackground(true);
}

} // namespace

void ZervaForm::setupUi(QMainWindow* window, int timerIntervalMs)
{
    const Twips twips = Twips::of(*window);
    window->setWindowIcon(ZervaIcon());

    auto* client = new ClientArea(Black, window);
    client->setObjectName(QStringLiteral("client"));
    window->setCentralWidget(client);

    // Created bottom-most first, so that later widgets lie on top: the
    // banner frame above whichever process list is shown, Check2 over the
    // end of lblOS.
    lblOS = named(new QLabel(QStringLiteral("Operating System:"), client), "lblOS", twips, {720, 3480, 1755, 345});
    yellowOnTransparent(lblOS);
    BufList = processList(client, "BufList", twips, {1440, 1080, 3855, 2655});
    cmdRefresh = named(new QPushButton(QStringLiteral("Yenile"), client), "cmdRefresh", twips, {2520, 3480, 975, 330});
    cmdExit = named(new QPushButton(QStringLiteral("Kapat"), client), "cmdExit", twips, {3600, 3480, 975, 330});
    List1 = processList(client, "List1", twips, {240, 360, 3855, 2655});
    Check1 = named(new CheckBox(QStringLiteral("Guvenilirleri goster"), client), "Check1", twips, {2040, 4200, 1695, 375});
    yellowOnBlack(Check1);
    Check2 = named(new CheckBox(QStringLiteral("Otomatik yenile"), client), "Check2", twips, {600, 4320, 1455, 255});
    yellowOnBlack(Check2);
    TrList = named(new ListView(client), "TrList", twips, {4560, 360, 2295, 1695});
    TrList->setColumns({});
    TrList->setVisible(false);
    TrList->setAccessibleName(QLatin1String(TrustedListName));
    // A plain container; what it holds covers it, so it draws no border.
    Frame1 = named(new QFrame(client), "Frame1", twips, {5280, 3960, 1455, 495});
    Frame1->setAccessibleName(QLatin1String(BannerName));
    fitStatusRow(twips);

    // The label takes no focus and the hidden lists are skipped.
    QWidget::setTabOrder(cmdRefresh, cmdExit);
    QWidget::setTabOrder(cmdExit, List1);
    QWidget::setTabOrder(List1, Check1);
    QWidget::setTabOrder(Check1, Check2);
    QWidget::setTabOrder(Check2, BufList);

    Timer1 = new QTimer(window);
    Timer1->setObjectName(QStringLiteral("Timer1"));
    Timer1->setInterval(timerIntervalMs);
    Timer1->start();
}

// The status row is 200 twips high and its boxes are narrow: its controls
// take the platform's font at the largest size, from 8 points down, at which
// their captions fit, so that none is cut off.
void ZervaForm::fitStatusRow(const Twips& twips)
{
    const QString longestCount = QStringLiteral("Toplam 9999 Process");
    QStyleOptionButton option;
    option.initFrom(Check1);
    const QStyle* style = Check1->style();
    const int indicator = style->pixelMetric(QStyle::PM_IndicatorWidth, &option, Check1)
        + style->pixelMetric(QStyle::PM_CheckBoxLabelSpacing, &option, Check1);
    QFont font = lblOS->font();
    for (double points = 8.0; points >= 6.0; points -= 0.5) {
        font.setPointSizeF(points);
        const QFontMetrics metrics(font);
        const bool fits = metrics.height() <= twips.height(200)
            && metrics.horizontalAdvance(longestCount) <= twips.width(1500)
            && indicator + metrics.horizontalAdvance(Check1->text()) <= twips.width(1700)
            && indicator + metrics.horizontalAdvance(Check2->text()) <= twips.width(1400);
        if (fits)
            break;
    }
    for (QWidget* control : {static_cast<QWidget*>(lblOS), static_cast<QWidget*>(Check1),
                             static_cast<QWidget*>(Check2)})
        control->setFont(font);
}

void ZervaForm::placeWindow(QMainWindow* window)
{
    const Twips twips = Twips::of(*window);
    const QSize client = twips.size(6945, 4785);
    // The client area lies below the menu bar: lay the window out once at
    // the client size to learn what the menu bar takes.
    window->resize(client);
    if (QLayout* layout = window->layout())
        layout->activate();
    const QSize frame = window->size() - window->centralWidget()->size();
    window->resize(client + frame);
    centreFrame(window);
}

void ZervaForm::centreFrame(QMainWindow* window)
{
    if (const QScreen* screen = window->screen()) {
        QRect placed = window->frameGeometry();
        placed.moveCenter(screen->availableGeometry().center());
        // A window's position is that of its frame.
        window->move(placed.topLeft());
    }
}

} // namespace zerva
