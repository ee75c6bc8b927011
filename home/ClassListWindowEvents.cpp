// The home window's own window behaviour: closing ends the program, the
// rounded shape, dragging by the title band and the style-sheet background.
#include "home/ClassListWidget.h"

#include "app/CData.h"
#include "widgets/RoundedMask.h"

#include <QCloseEvent>
#include <QPainter>
#include <QStyleOption>

namespace {

// The top band (window coordinates) that drags the frameless window.
constexpr int kDragBand = 66;
constexpr qreal kCornerRadius = 4.0;

}  // namespace

void ClassListWidget::closeEvent(QCloseEvent* event)
{
    // The first close of the home, login or room window during one exit wins.
    if (!CData::instance()->IsAppExiting()) {
        CData::instance()->SetAppExiting(true);
        emit exitApp();
    }
    QWidget::closeEvent(event);
}

void ClassListWidget::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    SetRoundedMask(this, kCornerRadius);
}

void ClassListWidget::mousePressEvent(QMouseEvent* event)
{
    m_drag.Press(this, event, kDragBand);
    QWidget::mousePressEvent(event);
}

void ClassListWidget::mouseMoveEvent(QMouseEvent* event)
{
    m_drag.Move(this, event);
    QWidget::mouseMoveEvent(event);
}

void ClassListWidget::mouseReleaseEvent(QMouseEvent* event)
{
    m_drag.Release(event);
    QWidget::mouseReleaseEvent(event);
}

void ClassListWidget::paintEvent(QPaintEvent* event)
{
    QStyleOption option;
    option.initFrom(this);
    QPainter painter(this);
    style()->drawPrimitive(QStyle::PE_Widget, &option, &painter, this);
    QWidget::paintEvent(event);
}
