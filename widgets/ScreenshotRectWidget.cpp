#include "widgets/ScreenshotRectWidget.h"

#include <QApplication>
#include <QDesktopWidget>
#include <QMouseEvent>
#include <QPainter>

#include <algorithm>
#include <cstdlib>

const QSize ScreenshotRectWidget::MaxSize(1280, 590);

ScreenshotRectWidget::ScreenshotRectWidget(std::shared_ptr<QPixmap> fullScreen, QPoint start, QWidget* parent)
    : QWidget(parent), m_fullScreen(std::move(fullScreen)), m_anchor(start)
{
    setMouseTracking(false);
    hide();
    setMinimumSize(MinSide, MinSide);
    setMaximumSize(MaxSize);
}

bool ScreenshotRectWidget::IsResizing() const
{
    return m_pressed && m_region != Inside;
}

void ScreenshotRectWidget::slotOnMousePosChange(int x, int y)
{
    if (x < 0 || y < 0)
        return;
    const QRect wanted(std::min(x, m_anchor.x()), std::min(y, m_anchor.y()), std::abs(x - m_anchor.x()),
                       std::abs(y - m_anchor.y()));
    setGeometry(wanted);  // bounded by the minimum and maximum size
    m_current = geometry();
    rebuildAreaImage();
    if (parentWidget())
        parentWidget()->update();
    emit sigScreenshotAreaChange();
    show();
}

void ScreenshotRectWidget::rebuildAreaImage()
{
    m_areaImage = m_fullScreen ? m_fullScreen->copy(m_current) : QPixmap();
    if (!m_areaImage.isNull()) {
        QPainter painter(&m_areaImage);
        painter.setPen(QPen(QColor(0, 255, 0), 4, Qt::SolidLine, Qt::SquareCap, Qt::BevelJoin));
        painter.drawRect(rect());
    }
    repaint();
}

int ScreenshotRectWidget::HitTest(const QPoint& p)
{
    const QPoint tl = mapToParent(rect().topLeft());
    const QPoint br = mapToParent(rect().bottomRight());
    const int L = tl.x(), T = tl.y(), R = br.x(), B = br.y();
    const bool left = p.x() >= L && p.x() <= L + Band;
    const bool right = p.x() >= R - Band && p.x() <= R;
    const bool top = p.y() >= T && p.y() <= T + Band;
    const bool bottom = p.y() >= B - Band && p.y() <= B;
    int region = Inside;
    if (left && top)
        region = TopLeft;
    else if (right && bottom)
        region = BottomRight;
    else if (left && bottom)
        region = BottomLeft;
    else if (right && top)
        region = TopRight;
    else if (left)
        region = Left;
    else if (right)
        region = Right;
    else if (top)
        region = Top;
    else if (bottom)
        region = Bottom;
    static const Qt::CursorShape cursors[] = {Qt::SizeVerCursor,   Qt::SizeVerCursor,   Qt::SizeHorCursor,
                                              Qt::SizeHorCursor,   Qt::SizeFDiagCursor, Qt::SizeBDiagCursor,
                                              Qt::SizeFDiagCursor, Qt::SizeBDiagCursor, Qt::SizeAllCursor};
    setCursor(cursors[region]);
    return region;
}

void ScreenshotRectWidget::mousePressEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton) {
        m_pressed = true;
        m_dragOffset = event->globalPos() - pos();
    }
    QWidget::mousePressEvent(event);
}

void ScreenshotRectWidget::mouseMoveEvent(QMouseEvent* event)
{
    const QPoint p = mapToParent(event->pos());
    // The corners that stay put. Right and bottom anchors lie just past the
    // last pixel column and row, so that dragging the opposite side keeps
    // the selection's other sides where they are.
    const QPoint tl = mapToParent(rect().topLeft());
    const QPoint brEnd = mapToParent(rect().bottomRight()) + QPoint(1, 1);
    if (!m_pressed) {
        m_region = HitTest(p);
        switch (m_region) {
        case Top:
        case TopLeft: m_anchor = brEnd; break;
        case Left:
        case BottomLeft: m_anchor = QPoint(brEnd.x(), tl.y()); break;
        case TopRight: m_anchor = QPoint(tl.x(), brEnd.y()); break;
        default: m_anchor = tl; break;
        }
        QWidget::mouseMoveEvent(event);
        return;
    }
    switch (m_region) {
    case Top: slotOnMousePosChange(tl.x(), p.y()); break;
    case Bottom: slotOnMousePosChange(brEnd.x(), p.y()); break;
    case Left: slotOnMousePosChange(p.x(), brEnd.y()); break;
    case Right: slotOnMousePosChange(p.x(), brEnd.y()); break;
    case TopLeft:
    case BottomLeft:
    case BottomRight:
    case TopRight: slotOnMousePosChange(p.x(), p.y()); break;
    default: {
        const QRect desk = QApplication::desktop()->geometry();
        QPoint to = event->globalPos() - m_dragOffset;
        if (to.x() < 0)
            to.setX(0);
        if (to.x() + width() >= desk.width())
            to.setX(desk.width() - width());
        if (to.y() < 0)
            to.setY(0);
        if (to.y() + height() >= desk.height())
            to.setY(desk.height() - height());
        move(to);
        m_dragOffset = event->globalPos() - to;
        m_current = geometry();
        rebuildAreaImage();
        emit sigScreenshotAreaChange();
        break;
    }
    }
    QWidget::mouseMoveEvent(event);
}

void ScreenshotRectWidget::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton) {
        if (m_region != Inside)
            setCursor(Qt::SizeAllCursor);
        m_pressed = false;
    }
    rebuildAreaImage();
    QWidget::mouseReleaseEvent(event);
}

void ScreenshotRectWidget::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.drawPixmap(0, 0, m_areaImage);
}
