#pragma once

#include <QRect>

class QWidget;

namespace zerva {

// Window measures are kept in twips (1/1440 inch) and turned into the
// toolkit's pixels through the logical DPI of the screen a window is on:
// 15 twips make one pixel at 96 dpi. Every window maps its measures here.
class Twips {
public:
    static constexpr double PerInch = 1440.0;

    // The mapping for the screen `widget` is on.
    static Twips of(const QWidget& widget);

    Twips(double dpiX, double dpiY);

    double perPixelX() const { return m_perPixelX; }
    double perPixelY() const { return m_perPixelY; }

    // Positions go to the nearest pixel.
    int x(double twips) const;
    int y(double twips) const;
    // Sizes too, but a negative size stays negative, so that the toolkit
    // refuses it in pixels as it would in twips.
    int width(double twips) const;
    int height(double twips) const;
    QRect rect(double left, double top, double width, double height) const;
    QSize size(double width, double height) const;

    // Pixels back to twips, in the single precision the layout uses.
    float fromX(int pixels) const;
    float fromY(int pixels) const;

private:
    double m_perPixelX;
    double m_perPixelY;
};

} // namespace zerva
