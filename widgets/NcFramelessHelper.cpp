#include "widgets/NcFramelessHelper.h"

#include <QHoverEvent>
#include <QMouseEvent>
#include <QRect>
#include <QWidget>

void NcFramelessHelper::Position::recalculate(const QPoint& p, const QRect& frame)
{
    const int B = BorderWidth;
    const int fx = frame.x();
    const int fy = frame.y();
    const int fw = frame.width();
    const int fh = frame.height();
    onLeftEdge = p.x() >= fx && p.x() <= fx + B;
    onRightEdge = p.x() >= fx + fw - B && p.x() <= fx + fw;
    onTopEdge = p.y() >= fy && p.y() <= fy + B;
    onBottomEdge = p.y() >= fy + fh - B && p.y() <= fy + fh;
    onTopLeftCorner = onTopEdge && onLeftEdge;
    onBottomLeftCorner = onBottomEdge && onLeftEdge;
    onTopRightCorner = onTopEdge && onRightEdge;
    onBottomRightCorner = onBottomEdge && onRightEdge;
    onEdges = onLeftEdge || onRightEdge || onTopEdge || onBottomEdge;
}

// The state kept for one watched window; making it prepares the window,
// deleting it restores the window.
class NcFramelessHelper::WidgetData {
public:
    WidgetData(NcFramelessHelper* helper, QWidget* window);
    ~WidgetData();

    void handleEvent(QEvent* event);
    // The window is being destroyed: nothing of it may be touched any more.
    void forgetWindow() { m_window = nullptr; }

private:
    void mousePress(QMouseEvent* e);
    void mouseRelease(QMouseEvent* e);
    void mouseMove(QMouseEvent* e);
    void resizeTo(const QPoint& globalPos);
    void updateCursor(const QPoint& globalPos);

    NcFramelessHelper* m_helper;
    QWidget* m_window;
    bool m_leftPressed = false;
    QPoint m_dragOffset;
    Position m_pressed;
    Position m_hover;
    bool m_cursorChanged = false;
    Qt::WindowFlags m_savedFlags;
    bool m_wasVisible = false;
};

NcFramelessHelper::WidgetData::WidgetData(NcFramelessHelper* helper, QWidget* window)
    : m_helper(helper), m_window(window), m_savedFlags(window->windowFlags()), m_wasVisible(window->isVisible())
{
    m_window->setMouseTracking(true);
    m_window->setWindowFlags(m_savedFlags | Qt::FramelessWindowHint | Qt::WindowSystemMenuHint |
                             Qt::WindowMinimizeButtonHint);
    m_window->setAttribute(Qt::WA_Hover, true);
    m_window->setVisible(m_wasVisible);  // changing the flags hides a window
}

NcFramelessHelper::WidgetData::~WidgetData()
{
    if (!m_window)
        return;
    m_window->setMouseTracking(false);
    m_window->setWindowFlags(m_savedFlags);
    m_window->setAttribute(Qt::WA_Hover, false);
    m_window->setVisible(m_wasVisible);
}

void NcFramelessHelper::WidgetData::handleEvent(QEvent* event)
{
    switch (event->type()) {
    case QEvent::MouseButtonPress:
        mousePress(static_cast<QMouseEvent*>(event));
        break;
    case QEvent::MouseButtonRelease:
        mouseRelease(static_cast<QMouseEvent*>(event));
        break;
    case QEvent::MouseMove:
        mouseMove(static_cast<QMouseEvent*>(event));
        break;
    case QEvent::HoverMove:
        if (m_helper->m_resizable)
            updateCursor(m_window->mapToGlobal(static_cast<QHoverEvent*>(event)->pos()));
        break;
    case QEvent::Leave:
        if (!m_leftPressed)
            m_window->unsetCursor();
        break;
    default:
        break;
    }
}

void NcFramelessHelper::WidgetData::mousePress(QMouseEvent* e)
{
    if (e->button() != Qt::LeftButton)
        return;
    m_leftPressed = true;
    const QRect frame = m_window->frameGeometry();
    m_pressed.recalculate(e->globalPos(), frame);
    m_dragOffset = e->globalPos() - frame.topLeft();
}

void NcFramelessHelper::WidgetData::mouseRelease(QMouseEvent* e)
{
    if (e->button() != Qt::LeftButton)
        return;
    m_leftPressed = false;
    m_pressed.reset();
}

void NcFramelessHelper::WidgetData::mouseMove(QMouseEvent* e)
{
    if (m_leftPressed) {
        if (m_helper->m_resizable && m_pressed.onEdges)
            resizeTo(e->globalPos());
        else if (m_helper->m_movable)
            m_window->move(e->globalPos() - m_dragOffset);
    } else if (m_helper->m_resizable) {
        updateCursor(e->globalPos());
    }
}

void NcFramelessHelper::WidgetData::resizeTo(const QPoint& p)
{
    const QRect o = m_window->frameGeometry();
    int left = o.left();
    int top = o.top();
    int right = o.right();
    int bottom = o.bottom();
    if (m_pressed.onTopLeftCorner) {
        left = p.x();
        top = p.y();
    } else if (m_pressed.onBottomLeftCorner) {
        left = p.x();
        bottom = p.y();
    } else if (m_pressed.onTopRightCorner) {
        right = p.x();
        top = p.y();
    } else if (m_pressed.onBottomRightCorner) {
        right = p.x();
        bottom = p.y();
    } else if (m_pressed.onLeftEdge) {
        left = p.x();
    } else if (m_pressed.onRightEdge) {
        right = p.x();
    } else if (m_pressed.onTopEdge) {
        top = p.y();
    } else if (m_pressed.onBottomEdge) {
        bottom = p.y();
    }
    QRect r(QPoint(left, top), QPoint(right, bottom));
    if (!r.isValid())
        return;  // dragged past the opposite edge
    if (r.width() < m_window->minimumWidth()) {
        if (left == o.left())
            r.setRight(o.right());
        else
            r.setLeft(o.left());
    }
    if (r.height() < m_window->minimumHeight()) {
        if (top == o.top())
            r.setBottom(o.bottom());
        else
            r.setTop(o.top());
    }
    m_window->setGeometry(r);
}

void NcFramelessHelper::WidgetData::updateCursor(const QPoint& p)
{
    if (m_window->isFullScreen() || m_window->isMaximized()) {
        if (m_cursorChanged) {
            m_window->unsetCursor();
            m_cursorChanged = false;
        }
        return;
    }
    m_hover.recalculate(p, m_window->frameGeometry());
    if (m_hover.onTopLeftCorner || m_hover.onBottomRightCorner) {
        m_window->setCursor(Qt::SizeFDiagCursor);
    } else if (m_hover.onTopRightCorner || m_hover.onBottomLeftCorner) {
        m_window->setCursor(Qt::SizeBDiagCursor);
    } else if (m_hover.onLeftEdge || m_hover.onRightEdge) {
        m_window->setCursor(Qt::SizeHorCursor);
    } else if (m_hover.onTopEdge || m_hover.onBottomEdge) {
        m_window->setCursor(Qt::SizeVerCursor);
    } else {
        if (m_cursorChanged) {
            m_window->unsetCursor();
            m_cursorChanged = false;
        }
        return;
    }
    m_cursorChanged = true;
}

NcFramelessHelper::NcFramelessHelper(QObject* parent) : QObject(parent) {}

NcFramelessHelper::~NcFramelessHelper()
{
    // Restores every window still watched; their event filters go with this object.
    for (WidgetData* data : qAsConst(m_widgets))
        delete data;
    m_widgets.clear();
}

void NcFramelessHelper::attachWidget(QWidget* window)
{
    if (!window || m_widgets.contains(window))
        return;
    m_widgets.insert(window, new WidgetData(this, window));
    window->installEventFilter(this);
    // A window destroyed while attached leaves without being restored.
    connect(window, &QObject::destroyed, this, [this](QObject* obj) {
        WidgetData* data = m_widgets.take(static_cast<QWidget*>(obj));
        if (data) {
            data->forgetWindow();
            delete data;
        }
    });
}

void NcFramelessHelper::detachWidget(QWidget* window)
{
    WidgetData* data = m_widgets.take(window);
    if (!data)
        return;
    window->removeEventFilter(this);
    disconnect(window, &QObject::destroyed, this, nullptr);
    delete data;
}

void NcFramelessHelper::setMovable(bool movable)
{
    m_movable = movable;
}

void NcFramelessHelper::setResizable(bool resizable)
{
    m_resizable = resizable;
}

bool NcFramelessHelper::eventFilter(QObject* watched, QEvent* event)
{
    switch (event->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseMove:
    case QEvent::HoverMove:
    case QEvent::Leave: {
        WidgetData* data = m_widgets.value(static_cast<QWidget*>(watched));
        if (data)
            data->handleEvent(event);
        break;
    }
    default:
        break;
    }
    return false;
}
