#pragma once
// One user's video tile: 160 x 120 in the bar of the user video list or
// floating on the whiteboard. The teacher drags it between bar and
// whiteboard, reorders the bar by dragging, resizes it on the whiteboard in
// steps, and switches the user's camera and microphone or praises the user
// from a small tool bar shown under the tile on hover. The user's camera
// plays in the tile with the room's own player; positions on the whiteboard
// are kept as fractions of the whiteboard's size.
//
// GUI thread only, like every member.
#include "mainwindow/room/UserTileInfo.h"

#include <QImage>
#include <QPointer>
#include <QPropertyAnimation>
#include <QRectF>
#include <QSharedPointer>
#include <QTimer>
#include <QWidget>

#include <memory>

class QPushButton;
class RtmpLivePlayer;
class UserListCtrl;
class VideoFloatCtrl;

namespace Ui {
class FloatToolBar;
}

class UserItem : public QWidget {
    Q_OBJECT
public:
    enum Mode { kModeBar = 0, kModeBarDrag = 1, kModeWhiteboard = 2 };
    enum Region { kTop = 0, kBottom, kLeft, kRight, kTopLeft, kBottomLeft, kBottomRight, kTopRight, kInside };
    static constexpr int kMaxWidth = 480;
    static constexpr int kZoomStep = 20;

    explicit UserItem(QWidget* topWindow);
    ~UserItem() override;

    void setUserInfo(const std::shared_ptr<UserTileInfo>& info, UserListCtrl* owner);
    UserTileInfo* userInfo() const { return m_info.get(); }
    // The tool bar's buttons follow the user's record; the overlay repaints.
    void refreshState();
    void setBarMode() { m_mode = kModeBar; }
    int mode() const { return m_mode; }
    int region() const { return m_region; }
    void showPraise();
    void updateWbUserVideoRectF(const QRectF& rect);
    void reportWbUserVideoInfo();
    QRectF wbRect() const { return m_wbRect; }
    void zoomIn();
    void zoomOut();

    // The user's camera from the stream the room named (105 / 106).
    void playStream();
    void stopStream();
    // Whether the tile's player plays the camera now.
    bool isPlaying() const;
    // The panel the player draws the camera's picture into.
    QWidget* videoView() const { return m_video; }
    QWidget* toolBar() const { return m_toolBar.data(); }
    VideoFloatCtrl* overlay() const { return m_overlay.data(); }

signals:
    void sgMouseEvent(bool hovered);

public slots:
    void slotResetIgnoreEnterEvent() { m_ignoreEnter = false; }
    void onFloatTimer();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void enterEvent(QEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void moveEvent(QMoveEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    QWidget* top() const;
    QRect wbArea() const;
    QPoint cursorInTop() const;
    int hitTest(const QPoint& p);
    QPoint clampTopLeft(QPoint p) const;
    void dragStateStep(const QPoint& p, const QPoint& inTile);
    void resizeByEdge(QPoint p);
    void showToolBar();
    void hideToolBarIfLeft();
    bool roomAllows() const;

    std::shared_ptr<UserTileInfo> m_info;
    QPointer<UserListCtrl> m_owner;       // null when none
    QPoint m_lastGlobal;                  // during a drag
    bool m_pressed = false;
    int m_mode = kModeBar;
    int m_region = kInside;
    QSharedPointer<VideoFloatCtrl> m_overlay;
    QTimer m_floatTimer;
    bool m_hovered = false;
    Ui::FloatToolBar* m_toolForm = nullptr;  // owned
    QPointer<QWidget> m_toolBar;             // parent: the top-level window, which may delete it first
    bool m_ignoreEnter = false;
    bool m_suppressClicks = false;
    QPropertyAnimation m_geometryAnimation;
    QRectF m_wbRect;
    QImage m_background;
    QWidget* m_video = nullptr;              // child, fills the tile; the player's picture widget goes in it
    RtmpLivePlayer* m_player = nullptr;      // owned; made on the first play
};
