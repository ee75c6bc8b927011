#include "updater/window/UpdateStageMachine.h"

namespace korvanel {

using namespace update;

namespace {

// scale x done / total, truncated, within 0..scale; scale when nothing is to
// be fetched (total 0) and never NaN.
int share(const UpdateProgress& record, int scale)
{
    if (!(record.total > 0))
        return scale;
    const double done = record.done > 0 ? (record.done < record.total ? record.done : record.total) : 0.0;
    return static_cast<int>(scale * done / record.total);
}

}  // namespace

std::u16string UpdateStageMachine::percentText(const UpdateProgress& record)
{
    return utf16(std::to_string(share(record, 100))) + u"%";
}

int UpdateStageMachine::barWidth(const UpdateProgress& record, int trackWidth)
{
    const int width = share(record, trackWidth);
    return width < 1 ? 1 : width;
}

void UpdateStageMachine::fail(const std::u16string& action)
{
    m_view.action = action;
    m_view.stage = Stage::Failed;
    m_view.nextVisible = false;
    m_view.okVisible = true;
}

StepResult UpdateStageMachine::apply(int kind, const UpdateProgress* record)
{
    std::u16string text;
    if (record)
        text = record->narrowText.empty() ? record->text : utf16(record->narrowText);

    const bool counting = kind == kFileDownloaded || kind == kDownloadProgress;
    m_view.actionVisible = !counting;
    m_view.tipVisible = counting;

    StepResult r;
    auto row = [&r](const std::u16string& s) {
        r.hasRow = true;
        r.row = s;
    };
    switch (kind) {
    case kScanFolder:
        m_view.action = u"检查本地软件版本...";
        row(u"扫描文件夹: " + text);
        break;
    case kRemoteVersion:
        m_view.action = u"获取远程软件版本...";
        row(u"服务端软件版本: " + text);
        break;
    case kCheckFailed:
        fail(u"版本检查失败, 点击确定手动下载最新版本");
        row(u"版本检查失败: " + text);
        break;
    case kUpToDate:
        m_view.action = u"软件已经是最新版本";
        row(u"软件已经是最新版本");
        m_view.stage = Stage::Finished;
        m_view.nextVisible = false;
        m_view.okVisible = true;
        break;
    case kUpdateAvailable:
        m_view.action = u"下载更新";
        m_view.stage = Stage::StartDownload;
        r.start = pressNext().start;
        break;
    case kFileDownloaded:
        row(u"下载更新文件: " + text);
        break;
    case kAllDownloaded:
        m_view.action = u"安装更新";
        m_view.stage = Stage::StartInstall;
        r.start = pressNext().start;
        break;
    case kDownloadFailed:
        fail(u"下载更新失败, 点击确定手动下载最新版本");
        row(u"下载更新文件失败: " + text);
        break;
    case kVerifyFailed:
        fail(u"更新校验失败, 点击确定手动下载最新版本");
        row(u"文件校验失败: " + text);
        break;
    case kFileInstalled:
        m_view.action = u"正在安装更新 ...";
        row(u"安装更新文件: " + text);
        break;
    case kFileUnpacked:
        row(u"释放更新文件: " + text);
        break;
    case kInstallFailed:
        fail(u"安装更新失败, 点击确定重新下载安装包");
        row(u"安装更新文件失败: " + text);
        break;
    case kInstallComplete:
        m_view.action = u"安装完成";
        row(u"安装完成");
        m_view.barVisible = false;
        m_view.nextVisible = false;
        m_view.okVisible = true;
        m_view.okText = u"进入体验";
        m_view.stage = Stage::Finished;
        break;
    case kDownloadProgress:
        if (record) {
            m_view.barWidth = barWidth(*record, m_trackWidth);
            m_view.barVisible = true;
            m_view.tip = percentText(*record);
        }
        break;
    default:
        break;
    }
    return r;
}

StepResult UpdateStageMachine::pressNext()
{
    StepResult r;
    if (m_view.stage == Stage::StartDownload)
        r.start = StageAction::StartDownload;
    else if (m_view.stage == Stage::StartInstall)
        r.start = StageAction::StartInstall;
    m_view.nextVisible = false;
    return r;
}

void UpdateStageMachine::programStartFailed(const std::u16string& program)
{
    m_view.action = u"无法启动主程序: " + program;
    m_view.actionVisible = true;
    m_view.tipVisible = false;
    m_view.okVisible = true;
}

}  // namespace korvanel
