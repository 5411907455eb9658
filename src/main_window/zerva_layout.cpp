#include "main_window/zerva.h"

#include "platform/check_box.h"
#include "platform/list_view.h"
#include "platform/trap.h"

#include <QFrame>
#include <QLabel>
#include <QPushButton>

namespace zerva {

// Lists on top, the status band along the bottom; each step on its own.
void Zerva::Form_Resize()
{
    const QWidget* client = centralWidget();
    const int w = client->width();
    const int h = client->height();
    Trap([&] { m_form.List1->setHeightPx(h - 37); });
    Trap([&] { m_form.BufList->setHeightPx(h - 37); });
    Trap([&] { m_form.BufList->movePx(0, 0); });
    Trap([&] { m_form.List1->movePx(0, 0); });
    Trap([&] { m_form.List1->setWidthPx(w); });
    Trap([&] { m_form.BufList->setWidthPx(w); });
    m_form.cmdRefresh->setGeometry(w - 140, h - 27, 67, 23);
    m_form.cmdExit->setGeometry(w - 70, h - 27, 67, 23);
    m_form.lblOS->setGeometry(5, h - 20, 200, 13);
    m_form.Check1->setGeometry(205, h - 20, 113, 13);
    m_form.Check2->setGeometry(105, h - 20, 93, 13);
    m_form.Frame1->setGeometry(w - 109, h - 90, 90, 35);
}

} // namespace zerva
