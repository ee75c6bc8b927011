#include "interaction/UserListDialog.h"

#include "ClientLib.h"
#include "app/CData.h"
#include "app/Room.h"
#include "interaction/UserItemWidget.h"
#include "ui_UserListDialog.h"
#include "widgets/Toast.h"

#include <QEvent>
#include <QLabel>
#include <QListWidget>
#include <QPainter>
#include <QStyleOption>

namespace {

const char kAllMic[] = "background:transparent; border-image: url(:/video/res/video/allmic.png);";
const char kAllMic2[] = "background:transparent; border-image: url(:/video/res/video/allmic2.png);";
const char kHandup[] = "background:transparent; border-image: url(:/video/res/video/handup.png);";
const char kHandup2[] = "background:transparent; border-image: url(:/video/res/video/handup2.png);";

ClientLib* Lib() { return Room::instance()->GetClientLib(); }

}  // namespace

UserListDialog::UserListDialog(QWidget* parent) : QWidget(parent), ui(new Ui::UserListWidgetForm)
{
    ui->setupUi(this);
    CData* data = CData::instance();
    if (!data->IsLiveRoom())
        setWindowFlags(Qt::Dialog | Qt::FramelessWindowHint);
    for (QWidget* w : {static_cast<QWidget*>(ui->switchBtn), ui->titleWidget, ui->widgetBigCloseMedia,
                       ui->widgetBigOnlineUser})
        w->hide();
    if (data->IsTeacher())
        ui->listWidget->setContextMenuPolicy(Qt::CustomContextMenu);
    setFixedWidth(200);
    ui->labAudio->setFixedSize(20, 20);
    ui->labHandup->setFixedSize(20, 20);
    ui->labStopOnline->setProperty("userid", QString());
    connect(ui->listWidget, &QListWidget::itemPressed, this, &UserListDialog::onUserItemPressed);
    for (QObject* o : {static_cast<QObject*>(this), static_cast<QObject*>(ui->wdgCloseAudio),
                       static_cast<QObject*>(ui->wdgHandup), static_cast<QObject*>(ui->wdgCloseMedia),
                       static_cast<QObject*>(ui->labStopOnline)})
        o->installEventFilter(this);
}

UserListDialog::~UserListDialog() { delete ui; }

QString UserListDialog::GetSortKey(const UserInfo& user)
{
    if (user.type == 1)
        return "a";
    if (user.type == 2)
        return "b";
    if (user.cam)
        return "c";
    if (user.mic)
        return "d";
    if (user.online)
        return "e";
    if (user.noSpeak)
        return "f";
    return "z";
}

int UserListDialog::FindRow(const std::string& userId) const
{
    for (int i = 0; i < ui->listWidget->count(); ++i) {
        auto* row = qobject_cast<UserItemWidget*>(ui->listWidget->itemWidget(ui->listWidget->item(i)));
        if (row && row->GetUser() && row->GetUser()->userId == userId)
            return i;
    }
    return -1;
}

QStringList UserListDialog::RowUserIds() const
{
    QStringList ids;
    for (int i = 0; i < ui->listWidget->count(); ++i) {
        auto* row = qobject_cast<UserItemWidget*>(ui->listWidget->itemWidget(ui->listWidget->item(i)));
        ids << (row && row->GetUser() ? QString::fromStdString(row->GetUser()->userId) : QString());
    }
    return ids;
}

UserItemWidget* UserListDialog::RowOf(const QString& userId) const
{
    const int i = FindRow(userId.toStdString());
    return i < 0 ? nullptr : qobject_cast<UserItemWidget*>(ui->listWidget->itemWidget(ui->listWidget->item(i)));
}

void UserListDialog::SetCloseAudio(bool closeAudio)
{
    ui->wdgCloseAudio->setProperty("CloseAudio", closeAudio);
    ui->labAudioTip->setText(closeAudio ? tr("取消全体静音") : tr("开启全体静音"));
    ui->labAudio->setStyleSheet(closeAudio ? kAllMic2 : kAllMic);
}

void UserListDialog::RefreshCloseAudio()
{
    CData* data = CData::instance();
    const std::string self = data->GetLocalUser()->userId;
    bool otherMic = false;
    for (const UserInfo& u : data->GetUserList())
        otherMic = otherMic || (u.userId != self && u.mic);
    SetCloseAudio(!otherMic);
}

void UserListDialog::RefreshLinkMicBar(const UserInfo& updated)
{
    CData* data = CData::instance();
    const std::string self = data->GetLocalUser()->userId;
    if (m_bigOpenMedia) {
        bool matched = false;
        for (const UserInfo& u : data->GetUserList()) {
            if (u.userId == self || !u.mic)
                continue;
            ui->labStopOnlieTip->setText(tr("音频互动:%1").arg(QString::fromStdString(u.userName)));
            ui->labStopOnline->setProperty("userid", QString::fromStdString(u.userId));
            matched = true;
        }
        if (ui->widgetBigOnlineUser->isHidden() == matched) {
            ui->widgetBigOnlineUser->setVisible(matched);
            data->SetStatus(kStatusLinkMic, matched ? 1 : 0);
        }
        return;
    }
    if (!ui->widgetBigOnlineUser->isHidden() &&
        ui->labStopOnline->property("userid").toString() == QString::fromStdString(updated.userId)) {
        ui->labStopOnline->setProperty("userid", QString());
        ui->widgetBigOnlineUser->hide();
        data->SetStatus(kStatusLinkMic, 0);
    }
}

bool UserListDialog::UpdateUser(std::shared_ptr<UserInfo> user)
{
    CData* data = CData::instance();
    if (!user || !data->IsTeacher())
        return false;
    if (data->IsLiveRoom())
        RefreshLinkMicBar(*user);
    else
        RefreshCloseAudio();

    const QString key = GetSortKey(*user);
    QListWidget* list = ui->listWidget;
    const int found = FindRow(user->userId);
    if (found >= 0) {
        QListWidgetItem* item = list->item(found);
        item->setText(key);
        qobject_cast<UserItemWidget*>(list->itemWidget(item))->SetUser(user);
    } else {
        auto* row = new UserItemWidget(this);
        row->SetUser(user);
        auto* item = new QListWidgetItem(key);
        item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
        item->setForeground(QColor("#7c858c"));
        item->setSizeHint(QSize(list->width(), row->height()));
        list->addItem(item);
        list->setItemWidget(item, row);
    }
    // A plain "z" row never sorts: a new one stays last, a row that drops
    // back to "z" keeps its place until the next sort.
    if (key != "z")
        list->sortItems(Qt::AscendingOrder);
    return true;
}

bool UserListDialog::RemoveUser(QString userId)
{
    const int found = FindRow(userId.toStdString());
    if (found < 0)
        return false;
    // The list releases the row widget with its item.
    delete ui->listWidget->takeItem(found);
    return true;
}

void UserListDialog::SetOnlineNum(QString text) { ui->labOnline->setText(text); }

void UserListDialog::SetOpenHandup(bool open)
{
    ui->wdgHandup->setProperty("OpenHandup", open);
    ui->labHandupTip->setText(open ? tr("取消自由举手") : tr("开启自由举手"));
    ui->labHandup->setStyleSheet(open ? kHandup2 : kHandup);
}

void UserListDialog::SetUserHandup(QString userId, bool up)
{
    if (UserItemWidget* row = RowOf(userId))
        row->HandupLabel()->setVisible(up);
}

void UserListDialog::CancelLinkMic()
{
    if (!ui->widgetBigOnlineUser->isHidden())
        HangUp();
}

void UserListDialog::HangUp()
{
    const QString userId = ui->labStopOnline->property("userid").toString();
    ClientLib* lib = Lib();
    if (!lib || !lib->SetUserLinkMic(userId, false))
        return;
    ui->labStopOnline->setProperty("userid", QString());
    ui->widgetBigOnlineUser->hide();
    CData::instance()->SetStatus(kStatusLinkMic, 0);
}

void UserListDialog::onBigOpenMedia(bool open)
{
    m_bigOpenMedia = open;
    ui->widgetBigCloseMedia->setVisible(open);
}

void UserListDialog::on_closeBtn_clicked() { hide(); }

void UserListDialog::OnCloseAudioPressed()
{
    CData* data = CData::instance();
    const bool closeAudio = ui->wdgCloseAudio->property("CloseAudio").toBool();
    const std::vector<UserInfo> users = data->GetUserList();
    // Alone in the room: nothing comes back to flip the switch, so it flips here.
    if (users.size() == 1)
        SetCloseAudio(!closeAudio);
    ClientLib* lib = Lib();
    if (!lib)
        return;
    const std::string self = data->GetLocalUser()->userId;
    for (const UserInfo& u : users) {
        if (u.userId == self || !u.online)
            continue;
        if (closeAudio && !u.mic)
            lib->SetUserAudioState(QString::fromStdString(u.userId), true);
        else if (!closeAudio && u.mic)
            lib->SetUserAudioState(QString::fromStdString(u.userId), false);
    }
}

void UserListDialog::OnHandupPressed()
{
    const bool open = !ui->wdgHandup->property("OpenHandup").toBool();
    ClientLib* lib = Lib();
    if (lib && lib->SetVoiceInteraction(open))
        SetOpenHandup(open);
}

void UserListDialog::OnCloseMediaPressed()
{
    if (!ui->widgetBigOnlineUser->isHidden()) {
        Toast::ShowToast(tr("请停止连麦后，再取消互动"), this, 3000);
        return;
    }
    emit sgBigCloseMediaClick();
}

bool UserListDialog::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::MouseButtonPress) {
        if (watched == ui->wdgCloseAudio) {
            if (!CData::instance()->IsLiveRoom())
                OnCloseAudioPressed();
        } else if (watched == ui->wdgHandup) {
            OnHandupPressed();
        } else if (watched == ui->wdgCloseMedia) {
            OnCloseMediaPressed();
        } else if (watched == ui->labStopOnline) {
            HangUp();
        }
    } else if (watched == this && event->type() == QEvent::WindowDeactivate && !CData::instance()->IsLiveRoom()) {
        hide();
    }
    return QWidget::eventFilter(watched, event);
}

void UserListDialog::showEvent(QShowEvent* event)
{
    CData* data = CData::instance();
    ui->titleWidget->setVisible(data->GetLayout() != 2);
    ui->wdgCloseAudio->setVisible(!data->IsLiveRoom());
    ui->wdgHandup->setVisible(data->IsLoginRole6());
    QWidget::showEvent(event);
}

void UserListDialog::paintEvent(QPaintEvent*)
{
    QStyleOption option;
    option.initFrom(this);
    QPainter painter(this);
    style()->drawPrimitive(QStyle::PE_Widget, &option, &painter, this);
}
