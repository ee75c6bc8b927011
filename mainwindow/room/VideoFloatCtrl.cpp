#include "mainwindow/room/VideoFloatCtrl.h"
#include "ui_VideoFloatCtrl.h"

#include "app/CData.h"
#include "app/PubUtils.h"
#include "mainwindow/room/UserItem.h"
#include "mainwindow/room/VideoPanel.h"
#include "media/IMediaEngine.h"
#include "widgets/AniToast.h"

#include <QEvent>
#include <QPainter>

VideoMarkImages::VideoMarkImages()
    : noCam(":/video/res/video/nocambk.png"),
      noMic(":/video/res/video/nomicbk.png"),
      mic(":/video/res/video/micbk.png"),
      praise(":/video/res/video/praisebk.png")
{
    if (mic.width() > 27) {
        mic = HalfSizeImage(mic);
        noMic = HalfSizeImage(noMic);
        praise = HalfSizeImage(praise);
    }
}

// ---- VideoFloatCtrl ---------------------------------------------------------------

VideoFloatCtrl::VideoFloatCtrl(UserItem* videoWidget)
    : QWidget(videoWidget), ui(new Ui::VidoeFloatCtrl), m_video(videoWidget)
{
    ui->setupUi(this);
    setWindowFlags(windowFlags() | Qt::Tool | Qt::FramelessWindowHint | Qt::WindowTransparentForInput);
    setAttribute(Qt::WA_TranslucentBackground);
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setFocusPolicy(Qt::NoFocus);
    m_noCam = new VideoNoCam(videoWidget);
    m_praiseSound = PubUtils::CopyToTemp(":/pub/respub/audio/mypraise.mp3");
    videoWidget->installEventFilter(this);
    if (!CData::instance()->IsLiveRoom())
        connect(videoWidget, &UserItem::sgMouseEvent, this, [this](bool hovered) {
            m_hovered = hovered;
            updateOverlay();
        });
    hide();
}

VideoFloatCtrl::~VideoFloatCtrl() { delete ui; }

void VideoFloatCtrl::updateOverlay()
{
    CData* data = CData::instance();
    if (data->IsLiveRoom() && data->IsTeacher())
        return;
    hide();
    m_noCam->setGeometry(m_video->rect());
    m_noCam->show();
    m_noCam->repaint();
    m_noCam->raise();
}

void VideoFloatCtrl::showPraise()
{
    UserTileInfo* info = m_video->userInfo();
    if (!info)
        return;
    if (info->userId.toStdString() != CData::instance()->GetLocalUser()->userId) {
        AniToast::showPraise(AniToast::FadeOver, isVisible() ? static_cast<QWidget*>(this) : m_noCam);
    } else if (info->isTeacher == 0) {
        IMediaEngine::instance()->playAudioFile(m_praiseSound);
        AniToast::showPraise(AniToast::GrowAndSpin, m_video->window());
    }
}

bool VideoFloatCtrl::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_video) {
        if (event->type() == QEvent::Resize)
            updateOverlay();
        else if (event->type() == QEvent::ChildAdded && m_noCam->isVisible())
            m_noCam->raise();
    } else if (event->type() == QEvent::Move) {
        updateOverlay();
    }
    return QWidget::eventFilter(watched, event);
}

void VideoFloatCtrl::paintEvent(QPaintEvent*)
{
    UserTileInfo* info = m_video->userInfo();
    if (!info || !info->user.cam || (!m_hovered && m_video->mode() != UserItem::kModeBar)) {
        ui->userName->setText(QString());
        ui->praiseLab->setText(QString());
        return;
    }
    QPainter painter(this);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    ui->userName->setText(info->userName);
    if (info->isTeacher == 0)
        ui->praiseLab->setText(QString::number(info->user.count));
    painter.drawImage(0, height() - 27, info->user.mic ? m_images.mic : m_images.noMic);
    if (info->isTeacher == 0)
        painter.drawImage(width() - 47, height() - 26, m_images.praise);
}

// ---- VideoNoCam -------------------------------------------------------------------

VideoNoCam::VideoNoCam(UserItem* videoWidget) : QWidget(videoWidget), ui(new Ui::VidoeFloatCtrl), m_video(videoWidget)
{
    ui->setupUi(this);
    setWindowFlags(windowFlags() | Qt::FramelessWindowHint | Qt::WindowTransparentForInput);
    setAttribute(Qt::WA_TranslucentBackground);
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setFocusPolicy(Qt::NoFocus);
    videoWidget->installEventFilter(this);
    setGeometry(videoWidget->rect());
    hide();
}

VideoNoCam::~VideoNoCam() { delete ui; }

QString VideoNoCam::shownName() const { return ui->userName->text(); }

QString VideoNoCam::shownPraise() const { return ui->praiseLab->text(); }

bool VideoNoCam::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_video && event->type() == QEvent::Resize)
        setGeometry(m_video->rect());
    return QWidget::eventFilter(watched, event);
}

void VideoNoCam::paintEvent(QPaintEvent*)
{
    UserTileInfo* info = m_video->userInfo();
    if (!info)
        return;
    QPainter painter(this);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    const int w = width(), h = height();
    const QString elided =
        ui->userName->fontMetrics().elidedText(info->userName, Qt::ElideRight, ui->userName->width());
    if (ui->userName->text() != elided)
        ui->userName->setText(elided);
    if (!info->user.cam)
        painter.drawImage(w / 2 - 18, h / 2 - 18, m_images.noCam);
    else
        raise();
    if (!CData::instance()->IsLiveRoom()) {
        painter.drawImage(0, h - 27, info->user.mic ? m_images.mic : m_images.noMic);
        if (info->isTeacher == 0) {
            const QString count = QString::number(info->user.count);
            if (ui->praiseLab->text() != count)
                ui->praiseLab->setText(count);
            painter.drawImage(w - 45, h - 22, m_images.praise);
        }
        return;
    }
    ui->praiseLab->hide();
    ui->micLablel->hide();
    for (QSpacerItem* s : {ui->horizontalSpacer, ui->horizontalSpacer_2})
        s->changeSize(0, 1, QSizePolicy::Minimum, QSizePolicy::Minimum);
    const QString style = "background-color:#5C687060;color:white;";
    if (ui->userName->styleSheet() != style)
        ui->userName->setStyleSheet(style);
}
