// The home window's settings menu and what its entries do, the hidden
// shortcuts, and the group's logo and whiteboard background once downloaded.
#include "home/ClassListWidget.h"

#include "ui_ClassListWidget.h"

#include "app/CData.h"
#include "app/DownThread.h"
#include "app/Logger.h"
#include "app/Room.h"
#include "app/PubUtils.h"
#include "home/CalendarWdg.h"
#include "home/ClassInfoWdg.h"
#include "home/CoursePage.h"
#include "home/GroupPage.h"
#include "home/ProblemFeedback.h"

#include <QAction>
#include <QDesktopServices>
#include <QFile>
#include <QMenu>
#include <QShortcut>
#include <QUrl>

namespace {

// The entries of the settings menu; their data is the number as text.
enum MenuEntry { kMenuDeviceCheck = 0, kMenuUpdate = 1, kMenuSwitchAccount = 2, kMenuFeedback = 3 };

// The group images CData downloads.
enum GroupImage { kGroupLogo = 1, kGroupBoardBackground = 2 };

// The menu's look; its own left padding keeps the entries' icons as far
// from the border as the texts' padding (the item padding moves only the
// texts).
const char kMenuStyle[] =
    "QMenu { background: #FFFFFF;font: 14px; color: #666666; height:140px; padding-top: 15px; padding-bottom: "
    "15px;border: 3px solid rgba(163,214,211,0.60);}QMenu::item { height: 28px; color: #666666; padding-left: "
    "15px; padding-right: 15px; }"
    "QMenu { padding-left: 15px; }";
// The menu's own style height: it opens with its top this far above the
// left panel's bottom edge.
constexpr int kMenuHeight = 140;

const char kDefaultBoardBackground[] = ":/wblib/res/wblib/bk1.png";
const char kDefaultAvatar[] = ":/class/res/class/userheader.png";
const char kDefaultAppLogo[] = "border-image: url(:/class/res/class/logo.png);";

}  // namespace

void OpenDataFolder()
{
    QDesktopServices::openUrl(QUrl::fromLocalFile(QString::fromStdString(PubUtils::GetAppData())));
}

void ClassListWidget::connectMenusAndShortcuts()
{
    connect(ui->btnSetting, &QPushButton::clicked, this, &ClassListWidget::onInitMenuShow);
    connect(new QShortcut(QKeySequence("Ctrl+Shift+L"), this), &QShortcut::activated, this, [] { OpenDataFolder(); });
    connect(new QShortcut(QKeySequence("Ctrl+Shift+X"), this), &QShortcut::activated, this, [] {
        // The broadcast settings window belongs to the room controller.
        if (!Room::instance()->ToggleBroadcastWindow())
            Logger::instance()->Log(LOG_INFO, "ClassListWidget::Shortcut", "no broadcast settings window");
    });
    connect(CData::instance(), &CData::sgDownGroupLogo, this, &ClassListWidget::onGroupImage);
}

void ClassListWidget::SetDeviceCheckDialog(QWidget* dialog)
{
    if (deviceCheckDlg && deviceCheckDlg != dialog)
        deviceCheckDlg->deleteLater();
    deviceCheckDlg = dialog;
    if (dialog)
        dialog->setParent(this, dialog->windowFlags() | Qt::Window);
}

void ClassListWidget::onInitMenuShow()
{
    auto* menu = new QMenu("classmenu", this);
    menu->setAttribute(Qt::WA_DeleteOnClose);
    menu->setStyleSheet(kMenuStyle);
    settingMenu = menu;
    const struct {
        const char* icon;
        const char* text;
        MenuEntry entry;
    } entries[] = {
        {":/class/res/class/1msetting.png", QT_TR_NOOP("设备检测"), kMenuDeviceCheck},
        {":/class/res/class/1mabout.png", QT_TR_NOOP("版本更新"), kMenuUpdate},
        {":/class/res/class/1mswitchuser.png", QT_TR_NOOP("切换账号"), kMenuSwitchAccount},
        {":/class/res/class/1mswitchuser.png", QT_TR_NOOP("问题反馈"), kMenuFeedback},
    };
    for (const auto& e : entries) {
        auto* action = new QAction(QIcon(e.icon), tr(e.text), this);
        action->setData(QVariant(QString::number(e.entry)));
        connect(action, &QAction::triggered, this, &ClassListWidget::OnMenuItemClicked);
        // The actions live as long as the menu that shows them.
        connect(menu, &QObject::destroyed, action, &QObject::deleteLater);
        menu->addAction(action);
    }
    menu->exec(ui->leftWdg->mapToGlobal(QPoint(ui->leftWdg->width(), ui->leftWdg->height() - kMenuHeight)));
}

void ClassListWidget::OnMenuItemClicked()
{
    auto* action = qobject_cast<QAction*>(sender());
    if (!action)
        return;
    bool ok = false;
    const int entry = action->data().toString().toInt(&ok);
    if (!ok)
        return;
    switch (entry) {
    case kMenuDeviceCheck:
        if (deviceCheckDlg)
            PubUtils::MoveToScreenCenter(deviceCheckDlg, nullptr);
        else
            Logger::instance()->Log(LOG_WARN, "ClassListWidget::OnMenuItemClicked", "no device check window");
        break;
    case kMenuUpdate: ShowUpdatePrompt(); break;
    case kMenuSwitchAccount: switchAccount(); break;
    case kMenuFeedback: PubUtils::MoveToScreenCenter(new ProblemFeedback(this), nullptr); break;
    default: break;
    }
}

void ClassListWidget::switchAccount()
{
    int y = 0, m = 0, d = 0;
    calendar->GetSelDate(y, m, d);
    calendar->SetDate(y, m, d);
    ui->classInfoWdg->ClearRooms();
    ui->coursePage->Clear();
    // The course page's lessons of the selected course go with its courses.
    for (ClassInfoWdg* lessons : ui->coursePage->findChildren<ClassInfoWdg*>())
        lessons->ClearRooms();
    ui->groupPage->Clear();
    CData::instance()->ResetData(true);
    pendingReadTs.clear();
    // Nothing of the first account stays on show for the next one: its
    // name, avatar, group logo and unread mark go too.
    ui->btnUser->setText(QString());
    ui->btnUser->setToolTip(QString());
    showAvatar(QPixmap(kDefaultAvatar));
    ui->labAppLogo->setPixmap(QPixmap());
    ui->labAppLogo->setStyleSheet(kDefaultAppLogo);
    ui->btnMessage->setChecked(false);
    ui->btnMessage->setCheckable(false);
    hide();
    emit switchUser();
}

void ClassListWidget::onGroupImage(int image)
{
    // A download of the previous account that ends after "切换账号".
    if (!CData::instance()->GetStatus(kStatusSignedIn)) {
        Logger::instance()->Log(LOG_INFO, "ClassListWidget::onGroupImage", "signed out, image %d dropped", image);
        return;
    }
    CData* data = CData::instance();
    const QPixmap picture = DownThread::GetLoadPixmap(data->GetGroupLogoUrl(image).toStdString());
    const QString cacheFile = data->GetGroupLogoFile(image);
    if (image == kGroupLogo) {
        if (!picture.isNull())
            ui->labAppLogo->setPixmap(
                picture.scaled(ui->labAppLogo->size(), Qt::KeepAspectRatioByExpanding, Qt::SmoothTransformation));
    } else if (image == kGroupBoardBackground) {
        const QString target = QString::fromStdString(PubUtils::GetTempDir()) + "/bk1.png";
        PubUtils::RemoveFile(target);
        const QString source = picture.isNull() ? QString(kDefaultBoardBackground) : cacheFile;
        if (!QFile::copy(source, target)) {
            Logger::instance()->Log(LOG_WARN, "ClassListWidget::onGroupImage", "copy logo bk1 failed %s",
                                    qPrintable(target));
            PubUtils::CopyToTemp(kDefaultBoardBackground);
        }
    }
}

QMenu* ClassListWidget::SettingMenu() const { return settingMenu; }
