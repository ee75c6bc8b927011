#include "courseware/ColorButton.h"

#include <QPainter>

ColorButton::ColorButton(int rgb, QWidget* parent) : QPushButton(parent), m_color(rgb)
{
    setFixedSize(20, 20);
    setCheckable(true);
}

void ColorButton::enterEvent(QEvent* event)
{
    QPushButton::enterEvent(event);
}

void ColorButton::leaveEvent(QEvent* event)
{
    QPushButton::leaveEvent(event);
}

void ColorButton::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.fillRect(QRect(3, 3, 14, 14), QColor(QRgb(m_color)));
    painter.setPen(QPen(isChecked() ? QColor(255, 255, 255) : QColor(255, 255, 255, 40), 2));
    painter.drawRect(rect().adjusted(1, 1, -1, -1));
}
