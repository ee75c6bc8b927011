#include "media/VideoRenderWidget.h"

#include <QEvent>
#include <QPainter>

namespace {
constexpr int kRepaintMs = 50;
}

VideoRenderWidget::VideoRenderWidget() : QWidget(nullptr), m_overlay(new QWidget(this))
{
    connect(&m_timer, &QTimer::timeout, this, QOverload<>::of(&QWidget::update));
    installEventFilter(this);
}

void VideoRenderWidget::fitOverlay()
{
    m_overlay->setGeometry(rect());
    m_overlay->show();
}

void VideoRenderWidget::setPlaying(bool on)
{
    m_playing = on;
    if (on) {
        {
            QWriteLocker locker(&m_pictureLock);
            m_picture = QImage();
        }
        m_timer.start(kRepaintMs);
    } else {
        m_timer.stop();
    }
}

void VideoRenderWidget::setPicture(const QImage& picture)
{
    QWriteLocker locker(&m_pictureLock);
    m_picture = picture;
}

QImage VideoRenderWidget::picture() const
{
    QReadLocker locker(&m_pictureLock);
    return m_picture;
}

bool VideoRenderWidget::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == this) {
        if (event->type() == QEvent::Show && !m_timer.isActive())
            m_timer.start(kRepaintMs);
        else if (event->type() == QEvent::Hide && m_timer.isActive())
            m_timer.stop();
    }
    return QObject::eventFilter(watched, event);
}

QRect VideoRenderWidget::targetRect(const QRect& area, const QSize& pictureSize)
{
    const float widgetRatio = float(area.width()) / float(area.height());
    const float pictureRatio = float(pictureSize.width()) / float(pictureSize.height());
    QSize size;
    if (widgetRatio > pictureRatio)
        size = QSize(int(area.height() * pictureRatio), area.height());
    else
        size = QSize(area.width(), int(area.width() / pictureRatio));
    QRect target(QPoint(0, 0), size);
    target.moveCenter(area.center());
    return target;
}

void VideoRenderWidget::paintEvent(QPaintEvent* event)
{
    QReadLocker locker(&m_pictureLock);
    if (m_picture.isNull()) {
        locker.unlock();
        QWidget::paintEvent(event);
        return;
    }
    QPainter painter(this);
    painter.drawImage(targetRect(rect(), m_picture.size()), m_picture);
}
