#pragma once
// The pusher's local preview: shows the latest frame centred on black. A
// frame emitted on another thread (onNewFrame) arrives on the GUI thread
// (onGetFrame) as its own copy.
#include <QImage>
#include <QReadWriteLock>
#include <QWidget>

class RenderWdg : public QWidget {
    Q_OBJECT
public:
    explicit RenderWdg(QWidget* parent = nullptr);

    // The stored frame (GUI thread).
    QImage frame() const;

signals:
    void onNewFrame(QImage image);

public slots:
    void onGetFrame(QImage image);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    mutable QReadWriteLock m_lock;  // guards m_frame
    QImage m_frame;                 // guarded by m_lock
};
