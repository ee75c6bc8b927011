#pragma once
// Shows a video picture letterboxed and centred, and carries an overlay child
// into which a media player can draw. While playing and shown, a 50 ms timer
// repaints the latest picture.
#include <QImage>
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
    // Replaces the picture; any thread (the picture is copied by the caller's
    // QImage sharing, painted on the next tick).
    void setPicture(const QImage& picture);
    QImage picture() const;
    bool timerRunning() const { return m_timer.isActive(); }

    // Where a picture of pictureSize is drawn inside area.
    static QRect targetRect(const QRect& area, const QSize& pictureSize);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    QImage m_picture;                 // guarded by m_pictureLock
    mutable QReadWriteLock m_pictureLock;
    QTimer m_timer;                   // GUI thread only
    bool m_playing = false;           // GUI thread only
    QWidget* m_overlay;               // child; GUI thread only
};
