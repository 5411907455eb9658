#include "platform/controls/twips.h"

#include <QWidget>

#include <cmath>

namespace zerva {

namespace {

int nearest(double pixels)
{
    return static_cast<int>(std::lround(pixels));
}

int signedSize(double pixels)
{
    const int rounded = nearest(pixels);
    return pixels < 0 && rounded >= 0 ? -1 : rounded;
}

} // namespace

Twips Twips::of(const QWidget& widget)
{
    return Twips(widget.logicalDpiX(), widget.logicalDpiY());
}

Twips::Twips(double dpiX, double dpiY)
    : m_perPixelX(PerInch / (dpiX > 0 ? dpiX : 96.0)), m_perPixelY(PerInch / (dpiY > 0 ? dpiY : 96.0))
{
}

int Twips::x(double twips) const
{
    return nearest(twips / m_perPixelX);
}

int Twips::y(double twips) const
{
    return nearest(twips / m_perPixelY);
}

int Twips::width(double twips) const
{
    return signedSize(twips / m_perPixelX);
}

int Twips::height(double twips) const
{
    return signedSize(twips / m_perPixelY);
}

QRect Twips::rect(double left, double top, double w, double h) const
{
    return QRect(x(left), y(top), width(w), height(h));
}

QSize Twips::size(double w, double h) const
{
    return QSize(width(w), height(h));
}

float Twips::fromX(int pixels) const
{
    return static_cast<float>(pixels * m_perPixelX);
}

float Twips::fromY(int pixels) const
{
    return static_cast<float>(pixels * m_perPixelY);
}

} // namespace zerva
