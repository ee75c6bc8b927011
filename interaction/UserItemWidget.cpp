#include "interaction/UserItemWidget.h"

#include "app/CData.h"
#include "app/DownThread.h"
#include "app/WorkerLifetime.h"
#include "ui_UserItemWidget.h"

#include <QEvent>
#include <QPainter>
#include <QStyleOption>

namespace {

QString Icon(const char* path) { return QString("background:transparent; border-image: url(%1);").arg(path); }

}  // namespace

UserItemWidget::UserItemWidget(QWidget* parent) : QWidget(parent), ui(new Ui::UserItemWidgetForm)
{
    ui->setupUi(this);
    setFixedHeight(46);
    for (QLabel* l : {ui->labVideo, ui->labAudio, ui->labDraw, ui->labHandup, ui->labSpeak})
        l->hide();
    // The name is elided to the width the row gives it, never the reverse.
    ui->nameLabel->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    ui->nameLabel->installEventFilter(this);
}

UserItemWidget::~UserItemWidget() { delete ui; }

QLabel* UserItemWidget::HandupLabel() const { return ui->labHandup; }

void UserItemWidget::SetUser(std::shared_ptr<UserInfo> user)
{
    m_user = std::move(user);
    UpdateName();
    UpdateState();
}

void UserItemWidget::UpdateName()
{
    if (!m_user)
        return;
    QString text = QString::fromStdString(m_user->userName);
    if (m_user->type == 1)
        text += tr("(老师)");
    else if (m_user->type == 2)
        text += tr("(助教)");
    ui->nameLabel->setText(ui->nameLabel->fontMetrics().elidedText(text, Qt::ElideRight, ui->nameLabel->width()));
    ui->nameLabel->setToolTip(text);
}

void UserItemWidget::ShowAvatar(const QPixmap& picture)
{
    QPixmap avatar(40, 40);
    avatar.fill(Qt::transparent);
    QPainter painter(&avatar);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    const QPixmap scaled = picture.scaled(40, 40, Qt::KeepAspectRatioByExpanding, Qt::SmoothTransformation);
    painter.drawPixmap((40 - scaled.width()) / 2, (40 - scaled.height()) / 2, scaled);
    painter.drawPixmap(QRect(0, 0, 40, 40), QPixmap(":/widget/res/widget/userheadebk.png"));
    painter.end();
    ui->headerbk->setPixmap(avatar);
}

void UserItemWidget::UpdateState()
{
    if (!m_user)
        return;
    const QPixmap cached = DownThread::GetLoadPixmap(m_user->userHeader);
    if (!cached.isNull()) {
        ShowAvatar(cached);
    } else {
        // Reported after this call also when it ends at once (no address).
        WorkerLifetime::Start(new DownThread(m_user->userHeader, 0, true), this, &UserItemWidget::OnDownFinish);
    }
    if (CData::instance()->IsLiveRoom() && m_user->type != 0)
        return;
    if (m_user->online) {
        ui->labVideo->show();
        ui->labAudio->show();
        ui->labHandup->hide();
        ui->labVideo->setStyleSheet(Icon(m_user->cam ? ":/video/res/video/video1.png" : ":/video/res/video/video2.png"));
        ui->labAudio->setStyleSheet(Icon(m_user->mic ? ":/video/res/video/mic1.png" : ":/video/res/video/mic2.png"));
    } else {
        ui->labVideo->hide();
        ui->labAudio->hide();
    }
    if (m_user->draw) {
        ui->labDraw->setStyleSheet(Icon(":/draw/res/draw/teaPen1.png"));
        ui->labDraw->show();
    } else if (m_user->click) {
        ui->labDraw->setStyleSheet(Icon(":/draw/res/draw/teaPPt1.png"));
        ui->labDraw->show();
    } else {
        ui->labDraw->hide();
    }
    if (m_user->noSpeak) {
        ui->labSpeak->setStyleSheet(Icon(":/chat/res/chat/nospeak.png"));
        ui->labSpeak->show();
    } else {
        ui->labSpeak->hide();
    }
}

void UserItemWidget::OnDownFinish(DownThread* down)
{
    if (!down)
        return;
    QPixmap picture = DownThread::GetLoadPixmap(down->GetLocalFile().toStdString());
    if (picture.isNull())
        picture = QPixmap(":/class/res/class/userheader.png");
    ShowAvatar(picture);
}

bool UserItemWidget::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == ui->nameLabel && event->type() == QEvent::Resize)
        UpdateName();
    return QWidget::eventFilter(watched, event);
}

void UserItemWidget::paintEvent(QPaintEvent*)
{
    QStyleOption option;
    option.initFrom(this);
    QPainter painter(this);
    style()->drawPrimitive(QStyle::PE_Widget, &option, &painter, this);
}
