#include "media/RenderWdg.h"

#include <QPainter>

RenderWdg::RenderWdg(QWidget* parent) : QWidget(parent)
{
    connect(this, &RenderWdg::onNewFrame, this, &RenderWdg::onGetFrame, Qt::AutoConnection);
}

QImage RenderWdg::frame() const
{
    QReadLocker lk(&m_lock);
    return m_frame;
}

void RenderWdg::onGetFrame(QImage image)
{
    {
        QWriteLocker lk(&m_lock);
        m_frame = image;
    }
    update();
}

void RenderWdg::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::SmoothPixmapTransform, true);
    painter.fillRect(rect(), QBrush(Qt::black, Qt::SolidPattern));
    QReadLocker lk(&m_lock);
    if (m_frame.isNull())
        return;
    // Halves truncated towards zero.
    painter.drawImage(x() + (width() - m_frame.width()) / 2, y() + (height() - m_frame.height()) / 2, m_frame);
}
