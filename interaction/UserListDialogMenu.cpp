// The online user list's per-user menu: built for a pressed student's row,
// each entry changes the row's record, stores it in CData and sends one
// command to the client library. The row redraws with the user's next
// update.
#include "interaction/UserListDialog.h"

#include "ClientLib.h"
#include "app/CData.h"
#include "app/Logger.h"
#include "app/Room.h"
#include "interaction/UserItemWidget.h"
#include "ui_UserListDialog.h"

#include <QButtonGroup>
#include <QCursor>
#include <QListWidget>
#include <QMenu>
#include <QPointer>
#include <QPushButton>
#include <QWidgetAction>

namespace {

void AddEntry(QMenu* menu, QButtonGroup* group, int id, const QString& text, bool enabled = true)
{
    auto* button = new QPushButton(text);
    button->setStyleSheet("QPushButton{ text-align: left; border:none; height:22px;}");
    button->setEnabled(enabled);
    auto* action = new QWidgetAction(menu);
    action->setDefaultWidget(button);
    action->setEnabled(enabled);
    menu->addAction(action);
    group->addButton(button, id);
}

}  // namespace

void UserListDialog::BuildUserMenu(QMenu* menu, QButtonGroup* group, UserItemWidget* row)
{
    CData* data = CData::instance();
    const UserInfo& u = *row->GetUser();
    if (data->IsLiveRoom()) {
        const int mode = data->GetLiveMode();
        if (data->GetStatus(kStatusVoiceInteraction) && (mode == 2 || mode == 1))
            AddEntry(menu, group, kUserCmdLiveLinkMic, u.online ? tr("取消互动") : tr("邀请互动"));
    } else {
        AddEntry(menu, group, kUserCmdMic, u.mic ? tr("关闭麦克风") : tr("开启麦克风"), u.online);
        AddEntry(menu, group, kUserCmdCamera, u.cam ? tr("关闭摄像头") : tr("开启摄像头"), u.online);
        AddEntry(menu, group, kUserCmdDraw, u.draw ? tr("取消画笔") : tr("授权画笔"));
        AddEntry(menu, group, kUserCmdClick, u.click ? tr("取消点击") : tr("授权点击"));
        if (data->IsLoginRole6())
            AddEntry(menu, group, kUserCmdLinkMic, u.online ? tr("取消互动") : tr("邀请互动"));
    }
    AddEntry(menu, group, kUserCmdNoSpeak, u.noSpeak ? tr("取消禁言") : tr("开启禁言"));
    AddEntry(menu, group, kUserCmdKick, tr("踢出用户"));
}

void UserListDialog::onUserItemPressed(QListWidgetItem* item)
{
    auto* row = item ? qobject_cast<UserItemWidget*>(ui->listWidget->itemWidget(item)) : nullptr;
    if (!row || !row->GetUser()) {
        Logger::instance()->Log(LOG_WARN, "UserListDialog::onUserItemPressed", "userWidget is null");
        return;
    }
    if (row->GetUser()->type != 0)
        return;
    auto* menu = new QMenu;
    menu->setStyleSheet("QMenu { font: 14px; color: #2A2A2A; background-color: #FFFFFF; border: 12px solid #FFFFFF;}"
                        "QMenu::item { background-color: transparent; }"
                        "QMenu::item:hover { background-color: #D3F7F6; }");
    auto* group = new QButtonGroup(menu);
    group->setExclusive(false);
    BuildUserMenu(menu, group, row);
    // The row may go while the menu runs (the user leaves): held weakly.
    QPointer<UserItemWidget> pressed(row);
    connect(group, &QButtonGroup::idClicked, this,
            [this, menu, pressed](int id) { RunUserCommand(id, pressed.data(), menu); });
    if (m_menuRunner)
        m_menuRunner(menu);
    else
        menu->exec(QCursor::pos());
    delete menu;
}

void UserListDialog::RunUserCommand(int id, UserItemWidget* row, QMenu* menu)
{
    menu->hide();
    if (!row || !row->GetUser()) {
        Logger::instance()->Log(LOG_WARN, "UserListDialog::RunUserCommand", "userWidget is null");
        return;
    }
    UserInfo& u = *row->GetUser();
    const QString userId = QString::fromStdString(u.userId);
    ClientLib* lib = Room::instance()->GetClientLib();
    CData* data = CData::instance();
    switch (id) {
    case kUserCmdLinkMic:
    case kUserCmdLiveLinkMic:
        data->UpdateUser(u);
        if (lib)
            lib->SetUserLinkMic(userId, !u.online);
        break;
    case kUserCmdCamera:
        if (!u.online)
            return;
        u.cam = !u.cam;
        data->UpdateUser(u);
        if (lib)
            lib->SetUserVideoState(userId, u.cam);
        break;
    case kUserCmdMic:
        if (!u.online)
            return;
        u.mic = !u.mic;
        data->UpdateUser(u);
        if (lib)
            lib->SetUserAudioState(userId, u.mic);
        break;
    case kUserCmdClick:
        // Pen and click rights exclude each other.
        u.click = !u.click;
        if (u.click && u.draw) {
            u.draw = false;
            if (lib)
                lib->SetUserDrawAuth(userId, false);
        }
        data->UpdateUser(u);
        if (lib)
            lib->SetUserClickAuth(userId, u.click);
        break;
    case kUserCmdDraw:
        u.draw = !u.draw;
        if (u.draw && u.click) {
            u.click = false;
            if (lib)
                lib->SetUserClickAuth(userId, false);
        }
        data->UpdateUser(u);
        if (lib)
            lib->SetUserDrawAuth(userId, u.draw);
        break;
    case kUserCmdNoSpeak:
        u.noSpeak = !u.noSpeak;
        data->UpdateUser(u);
        if (lib)
            lib->SetUserNoSpeak(userId, u.noSpeak);
        break;
    case kUserCmdKick:
        if (lib)
            lib->KickUser(userId);
        break;
    default:
        break;
    }
}
