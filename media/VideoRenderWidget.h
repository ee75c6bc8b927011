#pragma once
// Shows a video picture letterboxed and centred, and carries an overlay child
// into which a media player can draw. Each new picture is painted as soon as
// it arrives (a queued update); while playing and shown, a slow timer only
// makes sure the latest one is on screen. Playing with no picture yet (a
// stream with sound only, or one still waiting for its first key frame)
// shows a plain sound-only placeholder instead of a black rectangle.
#include <QImage>

#include <atomic>
#include <QReadWriteLock>
#include <QTimer>
#include <QWidget>

class VideoRenderWidget : public QWidget {
    Q_OBJECT
public:
    VideoRenderWidget();
    ~VideoRenderWidget() override = default;

    QWidget* overlayWidget() const { return m_overlay; }
    void fitOverlay();
    void setPlaying(bool on);
    bool isPlaying() const { return m_playing; }
    // Replaces the picture and schedules its painting; any thread (the
    // picture is shared by QImage's copy-on-write).
    void setPicture(const QImage& picture);
    // True while playing with no picture received: the placeholder shows.
    bool showsPlaceholder() const;
    QImage picture() const;
    bool timerRunning() const { return m_timer.isActive(); }

    // Where a picture of pictureSize is drawn inside area.
    static QRect targetRect(const QRect& area, const QSize& pictureSize);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    void paintPlaceholder();

private:
    QImage m_picture;                 // guarded by m_pictureLock
    mutable QReadWriteLock m_pictureLock;
    QTimer m_timer;                   // GUI thread only
    bool m_playing = false;           // GUI thread only
    QWidget* m_overlay;               // child; GUI thread only
    std::atomic<bool> m_updateQueued{false};  // atomic: one queued repaint at a time
};
