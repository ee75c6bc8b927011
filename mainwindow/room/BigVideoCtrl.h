#pragma once
// The room's display widget: the panel over the whiteboard area in which the
// teacher's own pushed stream or a played stream is rendered. By the room
// layout it is a small movable, resizable 4:3 picture in the whiteboard
// area, fills the whole area, or gives its place to the side dock's top
// video. Its place is kept as fractions of the whiteboard area, so it
// follows when the window is resized.
//
// GUI thread only, like every member.
#include <QImage>
#include <QRectF>
#include <QWidget>

class QLabel;

namespace Ui {
class BigVideoCtrl;
}

class BigVideoCtrl : public QWidget {
    Q_OBJECT
public:
    static const QRectF kFullArea;
    static const QRectF kDefaultCorner;
    static constexpr int kBand = 6;
    static constexpr int kMinWidth = 160;
    static constexpr int kMinHeight = 120;

    explicit BigVideoCtrl(QWidget* parent);
    ~BigVideoCtrl() override;

    // What the widget shows: the teacher's push (share) of live mode state,
    // or a played stream of that play type.
    void SetPlayState(bool share, int state);
    void SetUserName(const QString& name, bool userVideo);
    void SetRelativeRect(const QRectF& rel);
    void UpdateRelativeRect();

    QRectF RelativeRect() const { return m_rel; }
    QString UserName() const { return m_userName; }
    QLabel* NameLabel() const { return m_nameLabel; }
    // The whiteboard area in the parent's coordinates; empty without one.
    QRect DisplayArea() const;

signals:
    void sgAddDelTopVideo(bool add);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    bool SmallDisplay() const;
    // Which corner a point of the widget lies in (sets the edge flags and
    // the cursor); false when none.
    bool HitCorner(const QPoint& p);
    void ResizeTo(QPoint p);
    void UpdateNameLabel();

    Ui::BigVideoCtrl* ui;        // owned
    QWidget* m_parent;           // the main window
    int m_lastX = 0, m_lastY = 0;  // global mouse position while moving
    bool m_moving = false;
    bool m_resizing = false;
    bool m_top = false, m_left = false, m_right = false, m_bottom = false;
    bool m_share = false;
    int m_state = 2;
    QImage m_noCamBk;
    QImage m_userVideoBk;
    bool m_userVideo = false;
    QLabel* m_nameLabel;         // child
    QString m_userName;
    QRectF m_rel;
};
