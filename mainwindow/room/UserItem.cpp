#include "mainwindow/room/UserItem.h"
#include "ui_FloatToolBar.h"

#include "app/CData.h"
#include "app/Logger.h"
#include "app/PubUtils.h"
#include "app/Room.h"
#include "ClientLib.h"
#include "mainwindow/room/RoomWhiteboard.h"
#include "mainwindow/room/UserListCtrl.h"
#include "mainwindow/room/VideoFloatCtrl.h"
#include "mainwindow/room/VideoPanel.h"
#include "media/IMediaEngine.h"
#include "media/RtmpLivePlayer.h"
#include "media/RtmpLivePusher.h"
#include "widgets/Toast.h"

#include <QCursor>
#include <QMouseEvent>

namespace {
const int kEdgeMargin = 4;
const int kToolBarReach = 38;  // the tool bar under the tile still counts as hovering
}  // namespace

UserItem::UserItem(QWidget* topWindow) : QWidget(topWindow), m_geometryAnimation(this, "geometry")
{
    resize(UserListCtrl::kTileWidth, UserListCtrl::kTileHeight);
    setMinimumSize(UserListCtrl::kTileWidth, UserListCtrl::kTileHeight);
    setMouseTracking(true);

    // The camera's picture fills the tile under the overlay; clicks reach the tile.
    m_video = new QWidget(this);
    m_video->setAttribute(Qt::WA_TransparentForMouseEvents);
    m_video->setGeometry(rect());
    m_video->hide();

    m_overlay = QSharedPointer<VideoFloatCtrl>(new VideoFloatCtrl(this));

    m_toolBar = new QWidget(topWindow);
    m_toolForm = new Ui::FloatToolBar;
    m_toolForm->setupUi(m_toolBar.data());
    m_toolBar->setWindowFlags(m_toolBar->windowFlags() | Qt::FramelessWindowHint);
    m_toolBar->setAttribute(Qt::WA_StyledBackground);
    m_toolBar->hide();
    m_toolBar->installEventFilter(this);

    // The room answers a switch with the user's new state (103), which the
    // tile then shows; a switch the room refuses puts the button back.
    connect(m_toolForm->showCamerBtn, &QPushButton::clicked, this, [this](bool on) {
        if (!m_suppressClicks && m_info && !IMediaEngine::instance()->setUserVideoState(m_info->userId, on))
            refreshState();
    });
    connect(m_toolForm->showMicBtn, &QPushButton::clicked, this, [this](bool on) {
        if (!m_suppressClicks && m_info && !IMediaEngine::instance()->setUserAudioState(m_info->userId, on))
            refreshState();
    });
    connect(m_toolForm->showPraiseBtn, &QPushButton::clicked, this, [this] {
        if (ClientLib* lib = Room::instance()->GetClientLib(); lib && m_info)
            lib->SendPraise(m_info->userId);
    });
    connect(m_toolForm->btnLarge, &QPushButton::clicked, this, &UserItem::zoomIn);
    connect(m_toolForm->btnSmall, &QPushButton::clicked, this, &UserItem::zoomOut);
    connect(&m_floatTimer, &QTimer::timeout, this, &UserItem::onFloatTimer);
    connect(this, &UserItem::sgMouseEvent, this, [this](bool hovered) {
        if (hovered && !m_floatTimer.isActive())
            m_floatTimer.start(300);
    });
    if (QWidget* wb = RoomWhiteboardWidget())
        wb->installEventFilter(this);
    m_background = HalfSizeImage(QImage(":/video/res/video/uservideobk.png"));
}

UserItem::~UserItem()
{
    stopStream();
    delete m_player;
    delete m_toolBar.data();  // null when the window went first
    delete m_toolForm;
}

void UserItem::setUserInfo(const std::shared_ptr<UserTileInfo>& info, UserListCtrl* owner)
{
    m_info = info;
    m_owner = owner;
    refreshState();
}

void UserItem::refreshState()
{
    if (!m_info)
        return;
    m_suppressClicks = true;
    m_toolForm->showCamerBtn->setChecked(m_info->user.cam);
    emit m_toolForm->showCamerBtn->clicked(m_info->user.cam);
    m_toolForm->showMicBtn->setChecked(m_info->user.mic);
    emit m_toolForm->showMicBtn->clicked(m_info->user.mic);
    m_suppressClicks = false;
    if (CData::instance()->IsTeacher() && m_info->isTeacher == 1)
        m_toolForm->showPraiseBtn->hide();
    // A camera that is off shows no picture, whoever switched it off.
    if (!m_info->user.cam)
        stopStream();
    m_overlay->updateOverlay();
    update();
}

void UserItem::showPraise() { m_overlay->showPraise(); }

// ---- The camera's stream --------------------------------------------------------

void UserItem::playStream()
{
    if (!m_info || m_info->stream.isEmpty())
        return;
    if (!m_player)
        m_player = CreateRtmpLivePlayer();
    if (!m_player)
        return;
    if (m_player->IsPlaying()) {
        if (m_player->GetPlayParam().playUrl == m_info->stream)
            return;
        m_player->StopTask();
    }
    RtmpPlayParam param;
    param.playUrl = m_info->stream;
    param.renderWidget = m_video;
    m_player->SetPlayParam(param);
    m_video->setGeometry(rect());
    m_video->show();
    m_overlay->updateOverlay();  // the name and marks stay above the picture
    m_player->StartTask();
}

bool UserItem::isPlaying() const { return m_player && m_player->IsPlaying(); }

void UserItem::stopStream()
{
    if (m_player && m_player->IsPlaying())
        m_player->StopTask();
    if (m_video)
        m_video->hide();
}

// ---- Geometry helpers -------------------------------------------------------------

QWidget* UserItem::top() const { return parentWidget() ? parentWidget() : const_cast<UserItem*>(this); }

QRect UserItem::wbArea() const { return RoomWhiteboardRect(top()); }

QPoint UserItem::cursorInTop() const { return top()->mapFromGlobal(QCursor::pos()); }

bool UserItem::roomAllows() const
{
    CData* data = CData::instance();
    return data->IsTeacher() || data->IsLiveRoom();
}

int UserItem::hitTest(const QPoint& p)
{
    if (!CData::instance()->IsLiveRoom()) {
        setCursor(Qt::SizeAllCursor);
        return kInside;
    }
    const QRect g = geometry();
    const bool left = p.x() >= g.left() && p.x() <= g.left() + kEdgeMargin;
    const bool right = p.x() >= g.right() - kEdgeMargin && p.x() <= g.right();
    const bool topEdge = p.y() >= g.top() && p.y() <= g.top() + kEdgeMargin;
    const bool bottom = p.y() >= g.bottom() - kEdgeMargin && p.y() <= g.bottom();
    struct Hit {
        bool on;
        int region;
        Qt::CursorShape cursor;
    } const hits[] = {
        {left && topEdge, kTopLeft, Qt::SizeFDiagCursor},   {right && bottom, kBottomRight, Qt::SizeFDiagCursor},
        {left && bottom, kBottomLeft, Qt::SizeBDiagCursor}, {right && topEdge, kTopRight, Qt::SizeBDiagCursor},
        {left, kLeft, Qt::SizeHorCursor},                   {right, kRight, Qt::SizeHorCursor},
        {topEdge, kTop, Qt::SizeVerCursor},                 {bottom, kBottom, Qt::SizeVerCursor},
    };
    for (const Hit& h : hits)
        if (h.on) {
            setCursor(h.cursor);
            return h.region;
        }
    setCursor(Qt::SizeAllCursor);
    return kInside;
}

QPoint UserItem::clampTopLeft(QPoint p) const
{
    const QRect w = wbArea();
    if (p.x() <= w.left())
        p.setX(w.left());
    if (p.x() + width() >= w.right())
        p.setX(w.right() - width());
    if (m_mode == kModeWhiteboard) {
        if (p.y() <= w.top())
            p.setY(w.top());
        if (p.y() + height() >= w.bottom())
            p.setY(w.bottom() - height());
    }
    return p;
}

void UserItem::dragStateStep(const QPoint& p, const QPoint& inTile)
{
    const QRect w = wbArea();
    if (p.y() >= w.top() && m_mode != kModeWhiteboard) {
        m_mode = kModeWhiteboard;
        const int tw = int(w.width() * 0.32);
        const int th = int(tw * 0.25 * 3.0);
        setGeometry(x(), w.top(), tw, th);
        if (m_owner)
            m_owner->removeWbItemsFromBar();
    } else if (p.y() < w.top() && m_owner && p.y() < m_owner->mapTo(top(), QPoint(0, m_owner->height())).y() &&
               m_mode != kModeBarDrag && !CData::instance()->IsLiveRoom()) {
        m_mode = kModeBarDrag;
        // The cursor keeps its relative place in the shrunken tile.
        const int left = int(p.x() - double(inTile.x()) * UserListCtrl::kTileWidth / width());
        setGeometry(left, m_info ? m_info->y : y(), UserListCtrl::kTileWidth, UserListCtrl::kTileHeight);
        m_owner->moveItemInBar(this, p);
    }
}

void UserItem::resizeByEdge(QPoint p)
{
    const QRect w = wbArea();
    p.setX(qBound(w.left(), p.x(), w.right()));
    p.setY(qBound(w.top(), p.y(), w.bottom()));
    QRect g = geometry();
    int left = g.left(), topY = g.top(), wd = g.width(), ht = g.height();
    const int right = g.right(), bottom = g.bottom();
    const int minW = UserListCtrl::kTileWidth, minH = UserListCtrl::kTileHeight;
    if (m_region == kLeft || m_region == kTopLeft || m_region == kBottomLeft) {
        if (right - p.x() < minW + 1) {
            wd = minW;
            left = right - (minW - 1);
        } else {
            left = p.x();
            wd = right + 1 - p.x();
        }
    }
    if (m_region == kRight || m_region == kBottomRight || m_region == kTopRight)
        wd = p.x() - left < minW + 1 ? minW : p.x() - left;
    if (m_region == kTop || m_region == kTopLeft || m_region == kTopRight) {
        if (bottom - p.y() < minH + 1) {
            ht = minH;
            topY = bottom - (minH - 1);
        } else {
            topY = p.y();
            ht = bottom + 1 - p.y();
        }
    }
    if (m_region == kBottom || m_region == kBottomLeft || m_region == kBottomRight)
        ht = p.y() - topY < minH + 1 ? minH : p.y() - topY;
    if (CData::instance()->IsLiveRoom())
        setGeometry(left, topY, wd, ht);
}

// ---- Mouse ------------------------------------------------------------------------

void UserItem::mousePressEvent(QMouseEvent* event)
{
    if (!roomAllows())
        return;
    m_pressed = true;
    m_ignoreEnter = true;
    m_lastGlobal = event->globalPos();
    if (CData::instance()->IsTeacher())
        raise();
}

void UserItem::mouseMoveEvent(QMouseEvent* event)
{
    if (!roomAllows())
        return;
    const QPoint p = top()->mapFromGlobal(event->globalPos());
    if (!m_pressed) {
        if (m_mode == kModeWhiteboard) {
            m_region = hitTest(p);
        } else {
            m_region = kInside;
            setCursor(Qt::SizeAllCursor);
        }
        return;
    }
    m_toolBar->hide();
    if (m_region == kInside)
        dragStateStep(p, event->pos());
    const QPoint delta = event->globalPos() - m_lastGlobal;
    m_lastGlobal = event->globalPos();
    if (m_mode == kModeBarDrag) {
        move(clampTopLeft(QPoint(x() + delta.x(), y())));
        if (m_owner)
            m_owner->moveItemInBar(this, p);
        return;
    }
    if (m_region == kInside)
        move(clampTopLeft(pos() + delta));
    else
        resizeByEdge(p);
    if (m_mode == kModeWhiteboard)
        reportWbUserVideoInfo();
}

void UserItem::mouseReleaseEvent(QMouseEvent* event)
{
    if (!roomAllows())
        return;
    m_toolBar->hide();
    if (m_mode == kModeBarDrag && m_info) {
        auto* slide = new QPropertyAnimation(this, "pos", this);  // goes with the item if it goes first
        slide->setDuration(300);
        slide->setStartValue(pos());
        slide->setEndValue(QPoint(m_info->x, m_info->y));
        slide->start(QAbstractAnimation::DeleteWhenStopped);
        m_mode = kModeBar;
    }
    m_pressed = false;
    m_region = hitTest(top()->mapFromGlobal(event->globalPos()));
    QTimer::singleShot(10, this, &UserItem::slotResetIgnoreEnterEvent);
}

// ---- Hover and the tool bar -------------------------------------------------------

void UserItem::showToolBar()
{
    if (!m_hovered) {
        m_hovered = true;
        emit sgMouseEvent(true);
    }
    if (m_ignoreEnter || !CData::instance()->IsTeacher() || CData::instance()->IsLiveRoom())
        return;
    const bool onBoard = m_mode == kModeWhiteboard;
    m_toolBar->setFixedWidth(onBoard ? 170 : 120);
    m_toolForm->btnLarge->setVisible(onBoard);
    m_toolForm->btnSmall->setVisible(onBoard);
    m_toolBar->move(x() + (width() - m_toolBar->width()) / 2, geometry().bottom() + 1);
    m_toolBar->show();
    m_toolBar->raise();
}

void UserItem::hideToolBarIfLeft()
{
    const QRect reach = geometry().adjusted(0, 0, 0, kToolBarReach);
    if (!reach.contains(cursorInTop()) && m_hovered) {
        m_hovered = false;
        m_toolBar->hide();
        emit sgMouseEvent(false);
    }
}

void UserItem::enterEvent(QEvent*) { showToolBar(); }

void UserItem::leaveEvent(QEvent*) { hideToolBarIfLeft(); }

void UserItem::onFloatTimer()
{
    hideToolBarIfLeft();
    if (!m_hovered)
        m_floatTimer.stop();
}

bool UserItem::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_toolBar.data()) {
        if (event->type() == QEvent::Enter) {
            if (!m_hovered) {
                m_hovered = true;
                emit sgMouseEvent(true);
            }
        } else if (event->type() == QEvent::Leave) {
            hideToolBarIfLeft();
        }
    } else if (watched == RoomWhiteboardWidget() && event->type() == QEvent::Resize && m_mode == kModeWhiteboard) {
        updateWbUserVideoRectF(m_wbRect);
    }
    return QWidget::eventFilter(watched, event);
}

// ---- Whiteboard places and zoom ---------------------------------------------------

void UserItem::reportWbUserVideoInfo()
{
    QWidget* wb = RoomWhiteboardWidget();
    if (!wb || !m_info)
        return;  // without a whiteboard there is nothing to be relative to
    const QPoint p = wb->mapFromGlobal(top()->mapToGlobal(pos()));
    const float ww = float(wb->width()), wh = float(wb->height());
    const QRectF rel(double(float(p.x()) / ww), double(float(p.y()) / wh), double(float(width()) / ww),
                     double(float(height()) / wh));
    if (rel.left() < 0 || rel.top() < 0 || rel.width() < 0 || rel.height() < 0 || rel.width() > 1 ||
        rel.height() > 1 || ww <= 0 || wh <= 0) {
        Logger::instance()->Log(LOG_WARN, "UserItem::reportWbUserVideoInfo", "report Wb pos err %s, %f, %f, %f, %f",
                                m_info->userId.toUtf8().constData(), rel.left(), rel.top(), rel.width(),
                                rel.height());
        return;
    }
    if (CData::instance()->IsLiveRoom()) {
        m_wbRect = rel;
    } else if (CData::instance()->IsTeacher()) {
        m_wbRect = rel;
        if (ClientLib* lib = Room::instance()->GetClientLib())
            lib->ReportWbUserVideoInfo(m_info->userId, rel);
    }
}

void UserItem::updateWbUserVideoRectF(const QRectF& rect)
{
    m_wbRect = rect;
    if (m_geometryAnimation.state() == QAbstractAnimation::Running) {
        Logger::instance()->Log(LOG_WARN, "UserItem::updateWbUserVideoRectF", "animate is running,we must force stop it!");
        m_geometryAnimation.stop();
    }
    m_region = kInside;
    m_mode = kModeWhiteboard;
    const QRect w = wbArea();
    setGeometry(w.left() + int(rect.left() * w.width()), w.top() + int(rect.top() * w.height()),
                int(rect.width() * w.width()), int(rect.height() * w.height()));
}

void UserItem::zoomOut()
{
    const int w = width() - kZoomStep;
    if (w <= UserListCtrl::kTileWidth) {
        Toast::ShowToast(tr("视频已经是最小尺寸了"), this, 3000);
        return;
    }
    setGeometry(x(), y(), w, (w / 4) * 3);
    reportWbUserVideoInfo();
    showToolBar();
}

void UserItem::zoomIn()
{
    const int w = width() + kZoomStep;
    if (w >= kMaxWidth) {
        Toast::ShowToast(tr("视频已经是最大尺寸了"), this, 3000);
        return;
    }
    const int h = (w / 4) * 3;
    const QRect area = wbArea();
    QRect g = geometry();
    if (g.left() + w > area.right())
        g.setLeft(area.right() - w);  // the right edge stays
    else
        g.setWidth(w);
    if (g.top() + h > area.bottom())
        g.setTop(area.bottom() - h);  // the bottom edge stays
    else
        g.setHeight(h);
    setGeometry(g);
    reportWbUserVideoInfo();
    showToolBar();
}

// ---- Painting and the children -----------------------------------------------------

void UserItem::paintEvent(QPaintEvent*)
{
    PaintVideoPanel(this, m_info && m_info->user.cam ? m_background : QImage());
}

void UserItem::moveEvent(QMoveEvent* event)
{
    QWidget::moveEvent(event);
    m_overlay->updateOverlay();
}

void UserItem::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    m_video->setGeometry(rect());
}
