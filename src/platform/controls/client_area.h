#pragma once

#include <QColor>
#include <QWidget>

namespace zerva {

// The surface a window's controls stand on. It paints its own back colour
// instead of changing its palette, since a palette would be inherited by
// every control on it and the controls keep the platform's colours.
class ClientArea : public QWidget {
    Q_OBJECT
public:
    explicit ClientArea(const QColor& backColor, QWidget* parent = nullptr);

    QColor backColor() const { return m_backColor; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QColor m_backColor;
};

// Paints a window's back colour; for windows that are their own surface.
void PaintBackColor(QWidget& window, const QColor& color);

} // namespace zerva
