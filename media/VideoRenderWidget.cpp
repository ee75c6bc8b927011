#include "media/VideoRenderWidget.h"

#include <QEvent>
#include <QMetaObject>
#include <QPainter>
#include <QPolygonF>

namespace {
// A safety net only: pictures are painted when they arrive.
constexpr int kRepaintMs = 200;
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
    update();
}

void VideoRenderWidget::setPicture(const QImage& picture)
{
    {
        QWriteLocker locker(&m_pictureLock);
        m_picture = picture;
    }
    // Several pictures arriving before the repaint share it: only the latest
    // is drawn.
    if (!m_updateQueued.exchange(true))
        QMetaObject::invokeMethod(
            this,
            [this] {
                m_updateQueued = false;
                update();
            },
            Qt::QueuedConnection);
}

bool VideoRenderWidget::showsPlaceholder() const
{
    QReadLocker locker(&m_pictureLock);
    return m_playing && m_picture.isNull();
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

void VideoRenderWidget::paintPlaceholder()
{
    // Dark ground with a loudspeaker and two sound waves in the middle.
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.fillRect(rect(), QColor(0x2b, 0x2b, 0x2b));
    const qreal unit = qMax<qreal>(4.0, qMin(width(), height()) / 12.0);
    painter.translate(rect().center());
    const QColor tone(0x5d, 0xc0, 0xba);
    painter.setPen(Qt::NoPen);
    painter.setBrush(tone);
    QPolygonF speaker;
    speaker << QPointF(-2.0 * unit, -0.6 * unit) << QPointF(-1.2 * unit, -0.6 * unit)
            << QPointF(-0.2 * unit, -1.4 * unit) << QPointF(-0.2 * unit, 1.4 * unit)
            << QPointF(-1.2 * unit, 0.6 * unit) << QPointF(-2.0 * unit, 0.6 * unit);
    painter.drawPolygon(speaker);
    painter.setBrush(Qt::NoBrush);
    painter.setPen(QPen(tone, qMax<qreal>(1.5, unit / 4.0), Qt::SolidLine, Qt::RoundCap));
    for (int i = 1; i <= 2; ++i) {
        const qreal r = unit * (0.5 + 0.7 * i);
        painter.drawArc(QRectF(-r, -r, 2 * r, 2 * r), -45 * 16, 90 * 16);
    }
}

void VideoRenderWidget::paintEvent(QPaintEvent* event)
{
    QReadLocker locker(&m_pictureLock);
    if (m_picture.isNull()) {
        locker.unlock();
        if (m_playing)
            paintPlaceholder();
        else
            QWidget::paintEvent(event);
        return;
    }
    QPainter painter(this);
    painter.drawImage(targetRect(rect(), m_picture.size()), m_picture);
}
