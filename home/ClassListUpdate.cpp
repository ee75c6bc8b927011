// The home window's side of the update check: its reports arrive as posted
// events, are logged, and an update that is available or required opens the
// update prompt; the settings menu's "版本更新" opens the same prompt.
#include "home/ClassListWidget.h"

#include "app/AppUpdater.h"
#include "app/CData.h"
#include "app/Logger.h"
#include "app/PubUtils.h"
#include "app/UpdateMessage.h"
#include "home/AppUpdateWidget.h"
#include "widgets/MsgBox.h"

namespace {

// Kinds of report of the update check.
enum UpdateReport { kScanningFolder = 0, kRemoteVersion = 1, kCheckFailed = 2, kUpToDate = 3, kUpdateAvailable = 4 };

const char kAppVersion[] = "1.4.7";

AppUpdater* updater() { return CData::instance()->GetUpdater(); }

}  // namespace

bool ClassListWidget::event(QEvent* e)
{
    if (e->type() == UpdateMessageEvent::kType) {
        onUpdateMessage(static_cast<UpdateMessageEvent*>(e));
        return true;
    }
    return QWidget::event(e);
}

void ClassListWidget::onUpdateMessage(UpdateMessageEvent* report)
{
    // The record is ours from here on and freed when this returns.
    std::unique_ptr<UpdateMessage> record(report->takeRecord());
    const int kind = report->kind();
    if (kind == kCheckFailed) {
        // A failure without its record is logged with an empty text.
        const std::string why = record ? WStringToUtf8(record->message) : std::string();
        Logger::instance()->Log(LOG_WARN, "ClassListWidget::nativeEvent", "check update version failed %s",
                                why.c_str());
    }
    const std::string text = record ? record->text : std::string();
    Logger::instance()->Log(LOG_INFO, "ClassListWidget::nativeEvent", "update msg: %d, %s", kind, text.c_str());
    if (kind != kUpdateAvailable)
        return;
    if (updater()->MustUpdate()) {
        Logger::instance()->Log(LOG_INFO, "ClassListWidget::nativeEvent", "find must update version. start update");
        ShowUpdatePrompt();
    } else if (updater()->HasNewVersion()) {
        Logger::instance()->Log(LOG_INFO, "ClassListWidget::nativeEvent", "has no must update version");
        ShowUpdatePrompt();
    }
}

void ClassListWidget::ShowUpdatePrompt()
{
    const QString current = tr("当前版本为:%1").arg(kAppVersion);
    if (updater()->MustUpdate()) {
        // Required: only "立即更新"; any close ends the program, and the main
        // window starts the updater on its way out.
        auto* dlg = new AppUpdateWidget(nullptr, true, 0);
        dlg->SetMsgText(current, "");
        dlg->SetButtonText(false, "", "");
        connect(dlg, &AppUpdateWidget::sgCloseWidget, this, [this](bool, AppUpdateWidget*) { close(); });
        dlg->exec();
    } else if (updater()->HasNewVersion()) {
        auto* dlg = new AppUpdateWidget(nullptr, true, 0);
        dlg->SetMsgText(current, "");
        dlg->SetButtonText(true, "", "");
        connect(dlg, &AppUpdateWidget::sgCloseWidget, this, [this](bool bOk, AppUpdateWidget*) {
            if (!bOk)
                return;
            AppUpdater::RunUpdater();
            close();
        });
        dlg->show();
    } else {
        auto* box = new MsgBox(this, true, 0);
        box->SetMsgText(tr("您当前已经是最新版本了！\r\n当前版本为: %1").arg(kAppVersion), "");
        box->SetButtonText(false, tr("确定"), tr("取消"));
        box->ShowMsg();
    }
}
