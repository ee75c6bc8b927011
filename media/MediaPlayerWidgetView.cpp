// The media-file player's view: layout by media kind, geometry over the
// whiteboard, labels, progress, buttons, dragging of the audio bar.
#include "media/MediaPlayerWidget.h"

#include "app/CData.h"
#include "app/Logger.h"
#include "media/QAVPlayer.h"
#include "media/VideoRenderWidget.h"
#include "ui_MediaPlayerWidget.h"

#include <QFileInfo>
#include <QFontMetrics>
#include <QMouseEvent>
#include <QUrl>

#include <algorithm>

namespace {

constexpr double kVideoAspect = 1.7777778;
constexpr int kAudioWidth = 280;
constexpr int kAudioHeight = 56;
constexpr int kAudioMargin = 10;
constexpr int kVideoButton = 40;
constexpr int kAudioButton = 30;
constexpr int kVideoTitleWidth = 600;
constexpr int kAudioTitleWidth = 200;

}  // namespace

QString MediaPlayerWidget::formatTime(int seconds, bool hours)
{
    const int h = seconds / 3600;
    const int m = (seconds / 60) % 60;
    const int s = seconds % 60;
    if (!hours && h == 0)
        return QString::asprintf("%02d:%02d", m, s);
    return QString::asprintf("%02d:%02d:%02d", h, m, s);
}

bool MediaPlayerWidget::IsVideoMedia()
{
    if (!m_info)
        return false;
    if (!m_info->type.empty())
        return m_info->type != "audio";
    // No kind given: the file's suffix tells ("mp3" is audio), from its name
    // or else from the address.
    QString suffix = QFileInfo(QString::fromStdString(m_info->fileName)).suffix();
    if (suffix.isEmpty())
        suffix = QFileInfo(QUrl(QString::fromStdString(m_info->url)).path()).suffix();
    return suffix.toLower() != "mp3";
}

void MediaPlayerWidget::setCurrentPage(QWidget* page)
{
    if (ui->stackedWidget->currentWidget() != page)
        ui->stackedWidget->setCurrentWidget(page);
}

void MediaPlayerWidget::updateLayout()
{
    if (IsVideoMedia()) {
        ui->stackedWidget->setVisible(true);
        ui->playBtn->setFixedSize(kVideoButton, kVideoButton);
        ui->bottomWidget->setFixedHeight(kVideoButton);
        setStyleSheet(m_formStyle + "QWidget#MediaPlayerForm{background-color:#000000;}");
    } else if (isTeacherSide()) {
        ui->stackedWidget->setVisible(false);
        ui->playBtn->setFixedSize(kAudioButton, kAudioButton);
        ui->bottomWidget->setFixedHeight(kAudioButton);
        setStyleSheet(m_formStyle + "QWidget#MediaPlayerForm{background-color:rgba(0,0,0,40%);}");
    } else {
        hide();  // students only hear it
    }
    updateTimeLabels();
    updatePlayButton();
    updateTitle();
    updateProgressBar();
    updateGeometry();
}

void MediaPlayerWidget::updateGeometry()
{
    QWidget* p = parentWidget();
    if (!m_info || !isVisible() || !p)
        return;
    if (!IsVideoMedia()) {
        setFixedSize(kAudioWidth, kAudioHeight);
        move(p->width() - kAudioMargin - kAudioWidth, p->height() - kAudioMargin - kAudioHeight);
        return;
    }
    int w;
    int h;
    if (p->height() > 0 && double(p->width()) / double(p->height()) >= kVideoAspect) {
        w = int(p->height() * kVideoAspect);
        h = p->height();
    } else {
        w = p->width();
        h = int(p->width() / kVideoAspect) + 5;
    }
    Logger::instance()->Log(LOG_INFO, "MediaPlayerWidget::updateGeometry",
                            "updateGeometry media Player  setFixedSize  is %d * %d current vlc status: %s", w, h,
                            stateName(m_playState));
    QRect r(0, 0, w, h);
    r.moveCenter(p->rect().center());
    setFixedSize(w, h);
    setGeometry(r);
    const int pageHeight =
        isTeacherSide() ? h - ui->titleVideoWidget->height() - ui->bottomWidget->height() : h;
    m_videoPage->setFixedWidth(w);
    m_videoPage->setFixedHeight(std::max(0, pageHeight));
    m_videoPage->fitOverlay();
}

void MediaPlayerWidget::updateTimeLabels()
{
    if (!m_info)
        return;
    const bool hours = m_info->totalTs > 3600 * 1000;
    ui->currentTimeLabel->setText(formatTime(int(m_info->position / 1000), hours));
    ui->totalTimeLabel->setText("/" + formatTime(m_info->totalTs / 1000, hours));
    for (QLabel* label : {ui->currentTimeLabel, ui->totalTimeLabel})
        label->setFixedWidth(QFontMetrics(label->font()).horizontalAdvance(label->text()) + 2);
}

void MediaPlayerWidget::updateProgressBar()
{
    if (!m_info)
        return;
    const double r = double(m_info->position) / double(m_info->totalTs);
    ui->playProgressSlider->setValue(int(r * ui->playProgressSlider->maximum()));
    if (r >= 1.0)
        Logger::instance()->Log(LOG_INFO, "MediaPlayerWidget::updateProgressBar", "play end pos %lld total %d",
                                static_cast<long long>(m_player->GetPosition()), m_info->totalTs);
}

void MediaPlayerWidget::updatePlayButton()
{
    if (!m_info)
        return;
    const QString kind = IsVideoMedia() ? "video" : "audio";
    const QString state = m_playState == MediaPlayState::Playing ? "pause" : "play";
    ui->playBtn->setStyleSheet(QString("QPushButton{border-image: url(:/player/res/player/%1_%2_nor.png);}"
                                       "QPushButton:hover{border-image: url(:/player/res/player/%1_%2_nor.png);}")
                                   .arg(kind, state));
}

void MediaPlayerWidget::updateTitle()
{
    if (!m_info)
        return;
    const bool video = IsVideoMedia();
    QFont font = ui->titleLabel->font();
    font.setPixelSize(video ? 14 : 12);
    ui->titleLabel->setFont(font);
    const QString name = QString::fromStdString(m_info->fileName);
    ui->titleLabel->setToolTip(name);
    ui->titleLabel->setText(
        QFontMetrics(font).elidedText(name, Qt::ElideRight, video ? kVideoTitleWidth : kAudioTitleWidth));
}

bool MediaPlayerWidget::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == parentWidget() && event->type() == QEvent::Resize) {
        updateGeometry();
    } else if (watched == m_videoPage && event->type() == QEvent::Resize) {
        if (IsVideoMedia())
            m_videoPage->fitOverlay();
        Logger::instance()->Log(LOG_INFO, "MediaPlayerWidget::eventFilter",
                                "ui.videoPage resize event current size is %d * %d current vlc status: %s",
                                m_videoPage->width(), m_videoPage->height(), stateName(m_playState));
    } else if (watched == ui->playProgressSlider) {
        auto* slider = ui->playProgressSlider;
        if (event->type() == QEvent::MouseButtonPress) {
            auto* mouse = static_cast<QMouseEvent*>(event);
            if (mouse->button() == Qt::LeftButton) {
                m_sliderPressed = true;
                const int value = slider->minimum() +
                                  int(double(mouse->pos().x()) / double(std::max(1, slider->width())) *
                                      double(slider->maximum() - slider->minimum()));
                if (value != slider->sliderPosition())
                    slider->setValue(value);
            }
        } else if (event->type() == QEvent::MouseButtonRelease) {
            m_sliderPressed = false;
            m_progressSkip = 1;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void MediaPlayerWidget::mousePressEvent(QMouseEvent* event)
{
    if (IsVideoMedia()) {
        QWidget::mousePressEvent(event);
        return;
    }
    m_dragPos = event->globalPos();
    m_dragging = true;
}

void MediaPlayerWidget::mouseMoveEvent(QMouseEvent* event)
{
    if (IsVideoMedia() || !m_dragging) {
        QWidget::mouseMoveEvent(event);
        return;
    }
    const QPoint delta = event->globalPos() - m_dragPos;
    m_dragPos = event->globalPos();
    QPoint to = pos() + delta;
    if (QWidget* p = parentWidget()) {
        to.setX(qBound(0, to.x(), std::max(0, p->width() - width())));
        to.setY(qBound(0, to.y(), std::max(0, p->height() - height())));
    }
    move(to);
}

void MediaPlayerWidget::mouseReleaseEvent(QMouseEvent* event)
{
    if (IsVideoMedia()) {
        QWidget::mouseReleaseEvent(event);
        return;
    }
    m_dragging = false;
}
