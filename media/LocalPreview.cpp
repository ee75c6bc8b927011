#include "media/LocalPreview.h"

#include "app/Logger.h"

#include <QEvent>
#include <QPainter>

LocalPreview::LocalPreview(QObject* parent) : QObject(parent), m_shared(std::make_shared<Shared>()) {}

LocalPreview::~LocalPreview() { stop(); }

void LocalPreview::start(QWidget* target)
{
    stop();
    {
        std::lock_guard<std::mutex> lk(m_shared->lock);
        ++m_shared->generation;
    }
    m_target = target;
    m_drawn = false;
    if (!target)
        return;
    target->installEventFilter(this);
    m_gone = connect(target, &QObject::destroyed, this, [this] {
        m_target = nullptr;
        emit targetGone();
    });
}

void LocalPreview::stop()
{
    {
        std::lock_guard<std::mutex> lk(m_shared->lock);
        ++m_shared->generation;
        m_shared->picture = QImage();
        m_shared->error.clear();
    }
    disconnect(m_gone);
    if (m_target) {
        m_target->removeEventFilter(this);
        m_target->update();
    }
    m_target = nullptr;
    m_shown = QImage();
    m_error.clear();
    m_drawn = false;
}

ClientLibPreviewFn LocalPreview::sink()
{
    std::shared_ptr<Shared> shared = m_shared;
    quint64 generation;
    {
        std::lock_guard<std::mutex> lk(shared->lock);
        generation = shared->generation;
    }
    // The library stops its capture (and so every call of this function)
    // before this object goes; see ClientLibMediaEngine.
    return [this, shared, generation](quintptr, const QImage& picture, const QString& error) {
        std::lock_guard<std::mutex> lk(shared->lock);
        if (shared->generation != generation)
            return;
        if (picture.isNull())
            shared->error = error;
        else
            shared->picture = picture;
        if (!shared->posted) {
            shared->posted = true;
            QMetaObject::invokeMethod(this, &LocalPreview::takePicture, Qt::QueuedConnection);
        }
    };
}

ClientLibLevelFn LocalPreview::levelSink()
{
    std::shared_ptr<Shared> shared = m_shared;
    return [this, shared](float value, const QString& error) {
        std::lock_guard<std::mutex> lk(shared->lock);
        shared->level = value;
        if (!error.isEmpty())
            shared->levelError = error;
        if (!shared->levelPosted) {
            shared->levelPosted = true;
            QMetaObject::invokeMethod(this, &LocalPreview::takeLevel, Qt::QueuedConnection);
        }
    };
}

void LocalPreview::takePicture()
{
    QImage picture;
    QString error;
    {
        std::lock_guard<std::mutex> lk(m_shared->lock);
        m_shared->posted = false;
        picture.swap(m_shared->picture);
        error.swap(m_shared->error);
    }
    if (!m_target)
        return;
    if (!error.isEmpty()) {
        LOG_WARN_F("LocalPreview::takePicture", "%s", error.toUtf8().constData());
        m_error = error;
        m_shown = QImage();
        m_target->update();
        emit deviceLost(error);
        return;
    }
    if (picture.isNull())
        return;
    m_shown = picture;
    m_error.clear();
    m_target->update();
}

void LocalPreview::takeLevel()
{
    float value;
    QString error;
    {
        std::lock_guard<std::mutex> lk(m_shared->lock);
        m_shared->levelPosted = false;
        value = m_shared->level;
        error.swap(m_shared->levelError);
    }
    emit level(value);
    if (!error.isEmpty()) {
        LOG_WARN_F("LocalPreview::takeLevel", "%s", error.toUtf8().constData());
        emit deviceLost(error);
    }
}

bool LocalPreview::eventFilter(QObject* watched, QEvent* event)
{
    if (watched != m_target || event->type() != QEvent::Paint || (m_shown.isNull() && m_error.isEmpty()))
        return QObject::eventFilter(watched, event);
    QWidget* w = m_target;
    QPainter painter(w);
    painter.fillRect(w->rect(), Qt::black);
    if (!m_error.isEmpty()) {
        painter.setPen(Qt::white);
        painter.drawText(w->rect(), Qt::AlignCenter | Qt::TextWordWrap, m_error);
        return true;
    }
    const QSize size = m_shown.size().scaled(w->size(), Qt::KeepAspectRatio);
    const QRect area(QPoint((w->width() - size.width()) / 2, (w->height() - size.height()) / 2), size);
    painter.drawImage(area, m_shown);
    painter.end();
    if (!m_drawn) {
        m_drawn = true;
        emit pictureDrawn(reinterpret_cast<quintptr>(w));
    }
    return true;
}
