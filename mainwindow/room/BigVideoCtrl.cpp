#include "mainwindow/room/BigVideoCtrl.h"
#include "ui_BigVideoCtrl.h"

#include "app/CData.h"
#include "mainwindow/room/RoomWhiteboard.h"
#include "mainwindow/room/VideoPanel.h"

#include <QLabel>
#include <QMouseEvent>

const QRectF BigVideoCtrl::kFullArea(0, 0, 1, 1);
const QRectF BigVideoCtrl::kDefaultCorner(0.77, 0.05, 0.2, double(0.2666667f));

BigVideoCtrl::BigVideoCtrl(QWidget* parent) : QWidget(parent), ui(new Ui::BigVideoCtrl), m_parent(parent)
{
    ui->setupUi(this);
    setWindowFlags(windowFlags() | Qt::FramelessWindowHint);
    m_noCamBk = QImage(":/video/res/video/nocambk.png");
    m_userVideoBk = HalfSizeImage(QImage(":/video/res/video/uservideobk.png"));
    m_nameLabel = new QLabel(this);
    m_nameLabel->setAttribute(Qt::WA_TransparentForMouseEvents);
    m_nameLabel->setStyleSheet("background-color:#5C687060;color:white; padding-left:5px;");
    m_nameLabel->setFixedHeight(26);
    m_nameLabel->raise();
    setMouseTracking(true);
    m_nameLabel->setVisible(!CData::instance()->IsTeacher());
    if (QWidget* wb = RoomWhiteboardWidget())
        wb->installEventFilter(this);
}

BigVideoCtrl::~BigVideoCtrl() { delete ui; }

QRect BigVideoCtrl::DisplayArea() const
{
    QWidget* wb = RoomWhiteboardWidget();
    if (!wb)
        return QRect();
    const QPoint at = m_parent ? m_parent->mapFromGlobal(wb->mapToGlobal(QPoint(0, 0))) : QPoint(0, 0);
    return QRect(at, wb->size());
}

bool BigVideoCtrl::SmallDisplay() const
{
    return m_share ? m_state != 4 : (m_state != 3 && m_state != 4);
}

void BigVideoCtrl::SetPlayState(bool share, int state)
{
    m_share = share;
    m_state = state;
    const int layout = CData::instance()->GetLayout();
    if (layout == 1) {
        if ((share && state == 4) || (!share && (state == 3 || state == 4))) {
            setEnabled(false);
            SetRelativeRect(kFullArea);
        } else if (share || state == 2) {
            setEnabled(true);
            SetRelativeRect(kDefaultCorner);
        }
    } else if (layout == 2) {
        setEnabled(false);
        if (SmallDisplay()) {
            emit sgAddDelTopVideo(true);
        } else {
            emit sgAddDelTopVideo(false);
            SetRelativeRect(kFullArea);
        }
    }
}

void BigVideoCtrl::SetUserName(const QString& name, bool userVideo)
{
    m_userName = name;
    m_userVideo = userVideo;
    UpdateNameLabel();
    update();
}

void BigVideoCtrl::UpdateNameLabel()
{
    m_nameLabel->setText(m_nameLabel->fontMetrics().elidedText(m_userName, Qt::ElideRight, width()));
}

void BigVideoCtrl::SetRelativeRect(const QRectF& rel)
{
    m_rel = rel;
    const QRect a = DisplayArea();
    const int x = int(rel.left() * a.width());
    const int y = int(rel.top() * a.height());
    // Whiteboard coordinates into the parent's: the area's corner is the
    // whiteboard's origin there.
    setGeometry(a.left() + x, a.top() + y, int(rel.width() * a.width()), int(rel.height() * a.height()));
}

void BigVideoCtrl::UpdateRelativeRect()
{
    const QRect a = DisplayArea();
    if (a.width() <= 0 || a.height() <= 0)
        return;
    const float aw = float(a.width()), ah = float(a.height());
    const QRectF rel(double(float(x() - a.left()) / aw), double(float(y() - a.top()) / ah),
                     double(float(width()) / aw), double(float(height()) / ah));
    if (rel.left() >= 0 && rel.top() >= 0 && rel.width() >= 0 && rel.height() >= 0 && rel.width() <= 1 &&
        rel.height() <= 1)
        m_rel = rel;
}

bool BigVideoCtrl::HitCorner(const QPoint& p)
{
    const int w = width(), h = height();
    const bool top = p.y() >= 0 && p.y() <= kBand;
    const bool bottom = p.y() >= h - kBand && p.y() <= h;
    const bool left = p.x() >= 0 && p.x() <= kBand;
    const bool right = p.x() >= w - kBand && p.x() <= w;
    struct Corner {
        bool on, t, l, r, b;
        Qt::CursorShape cursor;
    } const corners[] = {
        {left && top, true, true, false, false, Qt::SizeFDiagCursor},
        {right && top, true, false, true, false, Qt::SizeBDiagCursor},
        {left && bottom, false, true, false, true, Qt::SizeBDiagCursor},
        {right && bottom, false, false, true, true, Qt::SizeFDiagCursor},
    };
    for (const Corner& c : corners)
        if (c.on) {
            m_top = c.t;
            m_left = c.l;
            m_right = c.r;
            m_bottom = c.b;
            setCursor(c.cursor);
            return true;
        }
    return false;
}

void BigVideoCtrl::mousePressEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton)
        return;
    if (HitCorner(event->pos())) {
        m_resizing = true;
    } else {
        m_moving = true;
        m_lastX = event->globalPos().x();
        m_lastY = event->globalPos().y();
    }
}

void BigVideoCtrl::ResizeTo(QPoint p)
{
    const QRect a = DisplayArea();
    p.setX(qBound(a.left(), p.x(), a.right()));
    p.setY(qBound(a.top(), p.y(), a.bottom()));
    const QRect g = geometry();
    int left = g.left(), top = g.top(), w = g.width(), h = g.height();
    if (m_left) {
        if (g.right() - p.x() > kMinWidth) {
            left = p.x();
            w = g.right() + 1 - p.x();
        } else {
            left = g.right() - (kMinWidth - 1);
            w = kMinWidth;
        }
    } else {
        w = p.x() - g.left() > kMinWidth ? p.x() - g.left() : kMinWidth;
    }
    if (m_top) {
        if (g.bottom() - p.y() > kMinHeight) {
            top = p.y();
            h = g.bottom() + 1 - p.y();
        } else {
            h = kMinHeight;
            top = g.bottom() - (kMinHeight - 1);
        }
    } else {
        h = p.y() - g.top() < kMinHeight + 1 ? kMinHeight : p.y() - g.top();
    }
    // Always 4:3, the left and top as computed.
    if (float(w) / float(h) > 1.3333334f)
        w = int(float(h) / 3.0f * 4.0f);
    else
        h = int(float(w) * 0.25f * 3.0f);
    setGeometry(left, top, w, h);
    UpdateRelativeRect();
}

void BigVideoCtrl::mouseMoveEvent(QMouseEvent* event)
{
    if (m_resizing) {
        ResizeTo(m_parent ? m_parent->mapFromGlobal(event->globalPos()) : event->globalPos());
    } else if (!HitCorner(event->pos())) {
        m_top = m_left = m_right = m_bottom = false;
        setCursor(Qt::ArrowCursor);
    }
    if ((event->buttons() & Qt::LeftButton) && m_moving) {
        const QPoint delta(event->globalPos().x() - m_lastX, event->globalPos().y() - m_lastY);
        m_lastX = event->globalPos().x();
        m_lastY = event->globalPos().y();
        const QRect a = DisplayArea();
        QPoint to = pos() + delta;
        if (to.x() <= a.left())
            to.setX(a.left());
        if (to.x() + width() >= a.right())
            to.setX(a.right() - width());
        if (to.y() <= a.top())
            to.setY(a.top());
        if (to.y() + height() >= a.bottom())
            to.setY(a.bottom() - height());
        move(to);
        UpdateRelativeRect();
    }
}

void BigVideoCtrl::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton)
        return;
    m_resizing = false;
    const bool edge = m_top || m_left || m_right || m_bottom;
    m_top = m_left = m_right = m_bottom = false;
    if (edge)
        setCursor(Qt::ArrowCursor);
    m_moving = false;
}

bool BigVideoCtrl::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::Resize && watched == RoomWhiteboardWidget()) {
        if (CData::instance()->GetLayout() == 2 && SmallDisplay())
            move(0, 0);
        else
            SetRelativeRect(m_rel);
    }
    return QWidget::eventFilter(watched, event);
}

void BigVideoCtrl::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    m_nameLabel->setGeometry(0, height() - m_nameLabel->height(), width(), m_nameLabel->height());
    UpdateNameLabel();
    m_nameLabel->raise();
}

void BigVideoCtrl::paintEvent(QPaintEvent*)
{
    PaintVideoPanel(this, m_userVideo ? m_userVideoBk : m_noCamBk);
    m_nameLabel->raise();
}
