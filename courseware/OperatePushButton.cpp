#include "courseware/OperatePushButton.h"

#include "app/CData.h"
#include "app/GEosObserver.h"

#include <QPainter>

OperatePushButton::OperatePushButton(QWidget* parent) : QPushButton(parent) {}

void OperatePushButton::enterEvent(QEvent* event)
{
    if (isEnabled()) {
        GEosPublish("enterOperateBtnEvent", {m_hoverType, QVariant::fromValue<QWidget*>(this)});
        setCursor(Qt::ArrowCursor);
    }
    QPushButton::enterEvent(event);
}

void OperatePushButton::leaveEvent(QEvent* event)
{
    QPushButton::leaveEvent(event);
}

void OperatePushButton::paintEvent(QPaintEvent* event)
{
    if (m_markColor != NoMark && isChecked()) {
        CData* data = CData::instance();
        const QRect mark = !data->IsTeacher() && !data->IsLiveRoom() ? QRect(12, 10, 22, 24)
                                                                      : rect().adjusted(2, 2, -2, -2);
        QPainter painter(this);
        painter.setBrush(QBrush(QColor(QRgb(m_markColor))));
        painter.drawRect(mark);
    }
    QPushButton::paintEvent(event);  // icon and style sheet over the mark
}
