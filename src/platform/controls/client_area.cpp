#include "platform/controls/client_area.h"

#include <QPainter>
#include <QPaintEvent>

namespace zerva {

ClientArea::ClientArea(const QColor& backColor, QWidget* parent) : QWidget(parent), m_backColor(backColor)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void ClientArea::paintEvent(QPaintEvent* event)
{
    QPainter painter(this);
    painter.fillRect(event->rect(), m_backColor);
}

void PaintBackColor(QWidget& window, const QColor& color)
{
    QPainter painter(&window);
    painter.fillRect(window.rect(), color);
}

} // namespace zerva
