#include "widgets/ScreenshotInductorWidget.h"

#include "widgets/StyledBackground.h"

#include <QPainter>

ScreenshotInductorWidget::ScreenshotInductorWidget(QWidget* parent) : QWidget(parent)
{
    setStyleSheet("background-color:rgba(0,0,0,200);");
    setFixedHeight(TipHeight);
}

void ScreenshotInductorWidget::SetText(const QString& text)
{
    m_text = text;
    setFixedWidth(fontMetrics().horizontalAdvance(m_text) + 10);
    repaint();
}

void ScreenshotInductorWidget::paintEvent(QPaintEvent*)
{
    PaintStyledBackground(this);
    QPainter painter(this);
    painter.setPen(Qt::white);
    painter.drawText(rect(), Qt::AlignCenter, m_text);
}
