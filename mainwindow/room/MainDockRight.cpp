#include "mainwindow/room/MainDockRight.h"

#include "app/CData.h"
#include "app/Logger.h"
#include "widgets/StyledBackground.h"

#include <QEvent>
#include <QVBoxLayout>

MainDockRight::MainDockRight(QWidget* parent) : QWidget(parent)
{
    setWindowFlags(windowFlags() | Qt::FramelessWindowHint);
    setStyleSheet("MainDockRight{background: #979797;}");
    m_layout = new QVBoxLayout(this);
    m_layout->setContentsMargins(0, 0, 0, 0);
    m_layout->setSpacing(1);
}

QWidget* MainDockRight::VideoWidget(int index) const
{
    return index >= 0 && index < kVideoSlots ? m_videos[index].data() : nullptr;
}

int MainDockRight::VideoIndex(QObject* o) const
{
    for (int i = 0; i < kVideoSlots; ++i)
        if (o && m_videos[i] == o)
            return i;
    return -1;
}

void MainDockRight::SetVideoWidget(QWidget* w, int index)
{
    if (index < 0 || index >= kVideoSlots) {
        Logger::instance()->Log(LOG_WARN, "MainDockRight::SetVideoWidget", "no video slot %d", index);
        return;
    }
    m_videos[index] = w;
    if (w) {
        w->installEventFilter(this);
        m_layout->addWidget(w, 1);
    }
}

void MainDockRight::PlaceTopVideo()
{
    const int w = CData::instance()->GetVideoWidth();
    const QSize size(w, (w / 4) * 3);
    m_topVideo->setParent(this);
    m_layout->insertWidget(0, m_topVideo);
    m_topVideo->setGeometry(QRect(QPoint(0, 0), size));
    m_topVideo->setFixedSize(size);
    m_topVideo->show();
}

void MainDockRight::SetTopVideo(QWidget* w)
{
    if (CData::instance()->GetLayout() != 2 || !w)
        return;
    // Set again while in the dock, its former parent stays the one to give
    // it back to (not the dock itself).
    if (w->parentWidget() != this)
        m_topParent = w->parentWidget();
    m_topVideo = w;
    PlaceTopVideo();
    connect(w, SIGNAL(sgAddDelTopVideo(bool)), this, SLOT(onAddDelTopVideo(bool)), Qt::UniqueConnection);
}

void MainDockRight::onAddDelTopVideo(bool bAddTop)
{
    if (!m_topVideo)
        return;
    QLayoutItem* first = m_layout->count() > 0 ? m_layout->itemAt(0) : nullptr;
    const bool onTop = first && first->widget() == m_topVideo;
    if (bAddTop && first && !onTop) {
        PlaceTopVideo();
    } else if (!bAddTop && onTop) {
        m_layout->removeWidget(m_topVideo);
        m_topVideo->setParent(m_topParent);
        m_topVideo->setMaximumSize(10000, 10000);
        m_topVideo->show();
    }
}

void MainDockRight::ShowDock(bool show)
{
    CData* data = CData::instance();
    if (!show) {
        for (auto& video : m_videos) {
            if (video) {
                video->removeEventFilter(this);
                m_layout->removeWidget(video);
            }
            video = nullptr;
        }
        if (m_topVideo) {
            disconnect(m_topVideo, SIGNAL(sgAddDelTopVideo(bool)), this, SLOT(onAddDelTopVideo(bool)));
            m_layout->removeWidget(m_topVideo);
        }
        m_topVideo = nullptr;
        m_topParent = nullptr;
    } else {
        for (auto& video : m_videos)
            if (video)
                video->setFixedWidth(data->GetVideoWidth());
        if (data->IsLiveRoom()) {
            auto setVisible = [this](int i, bool on) {
                if (m_videos[i])
                    m_videos[i]->setVisible(on);
            };
            if (data->IsTeacher()) {
                setVisible(0, false);
                setVisible(1, true);
                if (data->GetLayout() == 1)
                    setVisible(2, true);
            } else {
                setVisible(0, false);
                setVisible(1, false);
                setVisible(2, true);
            }
            setFixedWidth(data->GetVideoWidth());
        } else {
            setFixedWidth(0);
        }
    }
    setVisible(show);
}

bool MainDockRight::eventFilter(QObject* watched, QEvent* event)
{
    const int index = VideoIndex(watched);
    if (index < 0 || !CData::instance()->IsLiveRoom())
        return QWidget::eventFilter(watched, event);
    if (CData::instance()->GetLayout() == 1) {
        if (event->type() == QEvent::Show) {
            if (index == 0 && m_videos[1])
                m_videos[1]->hide();
            else if (index == 1 && m_videos[0])
                m_videos[0]->hide();
            m_layout->setStretch(0, 1);
            if (m_videos[2] && !m_videos[2]->isHidden() && m_layout->count() > 1)
                m_layout->setStretch(1, 1);
        } else if (event->type() == QEvent::Hide && m_videos[0] && m_videos[1] && m_videos[2]) {
            bool other = false;
            for (int i = 0; i < kVideoSlots; ++i)
                other = other || (i != index && !m_videos[i]->isHidden());
            setVisible(other);
        }
    } else if (event->type() == QEvent::Show) {
        for (int i = 0; i < kVideoSlots; ++i)
            if (i != index && m_videos[i])
                m_videos[i]->hide();
        m_layout->setStretch(0, 1);
    }
    return QWidget::eventFilter(watched, event);
}

void MainDockRight::paintEvent(QPaintEvent*)
{
    PaintStyledBackground(this);
}
