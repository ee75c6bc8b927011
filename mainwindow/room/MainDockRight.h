#pragma once
// The grey column on the right of the room window: up to three video widgets
// and, in the live room's layout 2, the teacher's own video on top (which
// the video itself can ask to leave and come back through its signal
// sgAddDelTopVideo(bool)). Entering and leaving a room fill and clear it.
// GUI thread only.
#include <QPointer>
#include <QWidget>

class QVBoxLayout;

class MainDockRight : public QWidget {
    Q_OBJECT
public:
    static constexpr int kVideoSlots = 3;

    explicit MainDockRight(QWidget* parent = nullptr);

    // index 0, 1 or 2; a null widget only clears the slot.
    void SetVideoWidget(QWidget* w, int index);
    // Layout 2 only: the widget moves into the dock, on top.
    void SetTopVideo(QWidget* w);
    void ShowDock(bool show);

    QWidget* VideoWidget(int index) const;
    QWidget* TopVideo() const { return m_topVideo; }
    QVBoxLayout* DockLayout() const { return m_layout; }

public slots:
    void onAddDelTopVideo(bool bAddTop);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    void PlaceTopVideo();
    int VideoIndex(QObject* o) const;

    QVBoxLayout* m_layout;             // GUI thread only, like every member
    QPointer<QWidget> m_topParent;     // where the top video came from
    QPointer<QWidget> m_topVideo;
    QPointer<QWidget> m_videos[kVideoSlots];
};
