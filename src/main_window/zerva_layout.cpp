#include "main_window/zerva.h"

#include "main_window/layout_rule.h"
#include "platform/controls/check_box.h"
#include "platform/controls/list_view.h"
#include "platform/controls/trap.h"
#include "platform/controls/twips.h"

#include <QEvent>
#include <QMoveEvent>
#include <QShowEvent>
#include <QFrame>
#include <QLabel>
#include <QPushButton>

namespace zerva {

namespace {

// One move setting all four values; like the list views, a control refuses
// a negative size.
void MoveControl(QWidget& control, const QRect& rect)
{
    if (rect.width() < 0 || rect.height() < 0)
        throw ToolkitError("negative size");
    control.setGeometry(rect);
}

} // namespace

QSizeF Zerva::clientSizeTwips() const
{
    const Twips twips = Twips::of(*this);
    const QWidget* client = centralWidget();
    // A minimised window's client area has no height.
    const float h = isMinimized() ? 0.0f : twips.fromY(client->height());
    return QSizeF(twips.fromX(client->width()), h);
}

// Runs whenever the client area changes size, minimising and restoring
// included. Each step reads the size afresh and fails on its own.
void Zerva::Form_Resize()
{
    for (int step = 1; step <= LayoutStepCount; ++step)
        Trap([&] { applyLayoutStep(step); });
}

void Zerva::applyLayoutStep(int step)
{
    const QSizeF client = clientSizeTwips();
    const LayoutStep s = LayoutRuleStep(step, static_cast<float>(client.width()),
                                        static_cast<float>(client.height()));
    const Twips twips = Twips::of(*this);
    QWidget* control = nullptr;
    ListView* list = nullptr;
    switch (s.target) {
    case LayoutTarget::List1: list = m_form.List1; break;
    case LayoutTarget::BufList: list = m_form.BufList; break;
    case LayoutTarget::cmdRefresh: control = m_form.cmdRefresh; break;
    case LayoutTarget::cmdExit: control = m_form.cmdExit; break;
    case LayoutTarget::lblOS: control = m_form.lblOS; break;
    case LayoutTarget::Check1: control = m_form.Check1; break;
    case LayoutTarget::Check2: control = m_form.Check2; break;
    case LayoutTarget::Frame1: control = m_form.Frame1; break;
    }
    switch (s.set) {
    case LayoutSet::Height: list->setHeightPx(twips.height(s.height)); break;
    case LayoutSet::Width: list->setWidthPx(twips.width(s.width)); break;
    case LayoutSet::LeftTop: list->movePx(twips.x(s.left), twips.y(s.top)); break;
    case LayoutSet::Rect: MoveControl(*control, twips.rect(s.left, s.top, s.width, s.height)); break;
    }
}

bool Zerva::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == centralWidget() && event->type() == QEvent::Resize)
        Form_Resize();
    return QMainWindow::eventFilter(watched, event);
}

// The window was centred before it had a frame; once the frame is known
// (on showing, or with the first moves after it where a window manager adds
// the frame), the frame is centred instead, once.
void Zerva::centreFrameOnce()
{
    if (!m_frameCentred && isVisible() && windowState() == Qt::WindowNoState
        && frameGeometry().size() != size()) {
        m_frameCentred = true;
        ZervaForm::centreFrame(this);
    }
}

void Zerva::showEvent(QShowEvent* event)
{
    QMainWindow::showEvent(event);
    centreFrameOnce();
}

void Zerva::moveEvent(QMoveEvent* event)
{
    QMainWindow::moveEvent(event);
    centreFrameOnce();
}

void Zerva::changeEvent(QEvent* event)
{
    QMainWindow::changeEvent(event);
    if (event->type() == QEvent::WindowStateChange)
        Form_Resize();
}

} // namespace zerva
