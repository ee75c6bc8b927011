// The updater window's stage machine without a window: every report kind in
// every stage, the progress bar's arithmetic and the button presses.
// test-libs: korvanel_stages
#include "updater/window/UpdateStageMachine.h"

#include <gtest/gtest.h>

#include <cmath>
#include <optional>

using namespace korvanel;
using namespace update;

namespace {

UpdateStageMachine machineAt(Stage stage)
{
    UpdateStageMachine m;
    switch (stage) {
    case Stage::StartDownload:
        m.apply(kUpdateAvailable, nullptr);
        break;
    case Stage::StartInstall:
        m.apply(kUpdateAvailable, nullptr);
        m.apply(kAllDownloaded, nullptr);
        break;
    case Stage::Finished:
        m.apply(kUpToDate, nullptr);
        break;
    case Stage::Failed:
        break;
    }
    return m;
}

std::string str(const std::u16string& s)
{
    std::string out;
    for (char16_t c : s) {
        if (c < 0x80) {
            out.push_back(char(c));
        } else if (c < 0x800) {
            out.push_back(char(0xC0 | (c >> 6)));
            out.push_back(char(0x80 | (c & 0x3F)));
        } else {
            out.push_back(char(0xE0 | (c >> 12)));
            out.push_back(char(0x80 | ((c >> 6) & 0x3F)));
            out.push_back(char(0x80 | (c & 0x3F)));
        }
    }
    return out;
}

}  // namespace

TEST(StageMachine, StartsWithNoButtonsAndTheTitle)
{
    UpdateStageMachine m;
    EXPECT_EQ(m.view().stage, Stage::Failed);
    EXPECT_EQ(str(m.view().title), "Miravo老师端升级中...");
    EXPECT_FALSE(m.view().okVisible);
    EXPECT_FALSE(m.view().nextVisible);
    EXPECT_FALSE(m.view().barVisible);
    EXPECT_EQ(str(m.view().okText), "确定");
}

TEST(StageMachine, EveryKindInEveryStage)
{
    // nullopt: left as it was before the report.
    struct Case {
        int kind;
        const char* narrow;            // the record's narrow text (null: no record)
        std::optional<std::string> action;
        bool actionVisible;
        const char* row;               // null: no row
        std::optional<Stage> stage;
        std::optional<bool> okVisible;
        std::optional<std::string> okText;
        StageAction start;
    };
    const std::string keep;
    const Case cases[] = {
        {0, "/opt/app", "检查本地软件版本...", true, "扫描文件夹: /opt/app", {}, {}, {}, StageAction::None},
        {1, "2.0.json", "获取远程软件版本...", true, "服务端软件版本: 2.0.json", {}, {}, {}, StageAction::None},
        {2, nullptr, "版本检查失败, 点击确定手动下载最新版本", true, "版本检查失败: ", Stage::Failed, true, {},
         StageAction::None},
        {3, nullptr, "软件已经是最新版本", true, "软件已经是最新版本", Stage::Finished, true, {}, StageAction::None},
        {4, nullptr, "下载更新", true, nullptr, Stage::StartDownload, {}, {}, StageAction::StartDownload},
        {5, "bin\\a.dll", {}, false, "下载更新文件: bin\\a.dll", {}, {}, {}, StageAction::None},
        {6, nullptr, "安装更新", true, nullptr, Stage::StartInstall, {}, {}, StageAction::StartInstall},
        {7, "bin\\a.dll", "下载更新失败, 点击确定手动下载最新版本", true, "下载更新文件失败: bin\\a.dll",
         Stage::Failed, true, {}, StageAction::None},
        {8, "bin\\a.dll", "更新校验失败, 点击确定手动下载最新版本", true, "文件校验失败: bin\\a.dll", Stage::Failed,
         true, {}, StageAction::None},
        {9, "bin\\a.dll", "正在安装更新 ...", true, "安装更新文件: bin\\a.dll", {}, {}, {}, StageAction::None},
        {10, "/opt/app/x/y.txt", {}, true, "释放更新文件: /opt/app/x/y.txt", {}, {}, {}, StageAction::None},
        {11, "bin\\a.dll", "安装更新失败, 点击确定重新下载安装包", true, "安装更新文件失败: bin\\a.dll",
         Stage::Failed, true, {}, StageAction::None},
        {12, nullptr, "安装完成", true, "安装完成", Stage::Finished, true, "进入体验", StageAction::None},
        {13, nullptr, {}, true, nullptr, {}, {}, {}, StageAction::None},
        {14, nullptr, {}, true, nullptr, {}, {}, {}, StageAction::None},
        {15, nullptr, {}, true, nullptr, {}, {}, {}, StageAction::None},
        {16, nullptr, {}, false, nullptr, {}, {}, {}, StageAction::None},
    };
    for (Stage stage : {Stage::StartDownload, Stage::StartInstall, Stage::Failed, Stage::Finished}) {
        for (const Case& c : cases) {
            SCOPED_TRACE("stage " + std::to_string(int(stage)) + " kind " + std::to_string(c.kind));
            UpdateStageMachine m = machineAt(stage);
            const UpdateView before = m.view();
            std::unique_ptr<UpdateProgress> record;
            if (c.narrow)
                record = narrowRecord(c.narrow);
            else if (c.kind == kCheckFailed)
                record = textRecord(u"");
            else if (c.kind == kDownloadProgress)
                record = countRecord(4, 1);
            const StepResult r = m.apply(c.kind, record.get());
            const UpdateView& v = m.view();

            EXPECT_EQ(str(v.action), c.action ? *c.action : str(before.action));
            EXPECT_EQ(v.actionVisible, c.actionVisible);
            EXPECT_EQ(v.tipVisible, !c.actionVisible);
            EXPECT_EQ(r.hasRow, c.row != nullptr);
            if (c.row) {
                EXPECT_EQ(str(r.row), c.row);
            }
            EXPECT_EQ(v.stage, c.stage ? *c.stage : before.stage);
            EXPECT_EQ(v.okVisible, c.okVisible ? *c.okVisible : before.okVisible);
            EXPECT_EQ(str(v.okText), c.okText ? *c.okText : str(before.okText));
            EXPECT_FALSE(v.nextVisible);  // btnNext is pressed by the machine, never by the user
            EXPECT_EQ(r.start, c.start);
            if (c.kind == kDownloadProgress) {
                EXPECT_TRUE(v.barVisible);
                EXPECT_EQ(v.barWidth, 112);
                EXPECT_EQ(str(v.tip), "25%");
            } else if (c.kind == kInstallComplete) {
                EXPECT_FALSE(v.barVisible);
            } else {
                EXPECT_EQ(v.barVisible, before.barVisible);
                EXPECT_EQ(v.barWidth, before.barWidth);
            }
        }
    }
}

TEST(StageMachine, FailureTextsTheCheckSends)
{
    for (const char16_t* text : {u"cannot get remote version", u"无法获取远程服务器软件版本", u"cannot get latest version"}) {
        UpdateStageMachine m;
        auto record = textRecord(text);
        const StepResult r = m.apply(kCheckFailed, record.get());
        EXPECT_EQ(r.row, u"版本检查失败: " + std::u16string(text));
        EXPECT_EQ(m.pressOk(), FinalAction::OpenDownloadPage);
    }
}

TEST(StageMachine, ProgressBarWidthAndPercentage)
{
    struct Case {
        double total, done;
        int track, width;
        const char* tip;
    };
    const Case cases[] = {
        {4, 2, 450, 225, "50%"},   {4, 0, 450, 1, "0%"},     {3, 1, 450, 150, "33%"},
        {3, 2, 450, 300, "66%"},   {3, 3, 450, 450, "100%"}, {0, 0, 450, 450, "100%"},  // nothing to fetch: full
        {7, 1, 450, 64, "14%"},    {2, 5, 450, 450, "100%"}, {4, -1, 450, 1, "0%"},
        {1000, 1, 450, 1, "0%"},   {std::nan(""), 1, 450, 450, "100%"}, {4, std::nan(""), 450, 1, "0%"},
    };
    for (const Case& c : cases) {
        UpdateStageMachine m(c.track);
        auto record = countRecord(c.total, c.done);
        m.apply(kDownloadProgress, record.get());
        EXPECT_EQ(m.view().barWidth, c.width) << c.total << "/" << c.done;
        EXPECT_EQ(str(m.view().tip), c.tip) << c.total << "/" << c.done;
    }
}

TEST(StageMachine, WholeRunsEndWithTheRightButton)
{
    {  // current installation: the bar never shows, btnOK "确定" starts the program
        UpdateStageMachine m;
        m.apply(kScanFolder, narrowRecord("/opt/app").get());
        m.apply(kRemoteVersion, narrowRecord("1.json").get());
        m.apply(kUpToDate, nullptr);
        EXPECT_FALSE(m.view().barVisible);
        EXPECT_EQ(m.view().okText, u"确定");
        EXPECT_EQ(m.pressOk(), FinalAction::StartProgram);
    }
    {  // an update: download, install, "进入体验"
        UpdateStageMachine m;
        EXPECT_EQ(m.apply(kUpdateAvailable, nullptr).start, StageAction::StartDownload);
        m.apply(kDownloadProgress, countRecord(2, 0).get());
        m.apply(kFileDownloaded, narrowRecord("a").get());
        EXPECT_FALSE(m.view().actionVisible);
        m.apply(kDownloadProgress, countRecord(2, 2).get());
        EXPECT_EQ(m.apply(kAllDownloaded, nullptr).start, StageAction::StartInstall);
        EXPECT_TRUE(m.view().actionVisible);
        m.apply(kFileInstalled, narrowRecord("a").get());
        m.apply(kInstallComplete, nullptr);
        EXPECT_EQ(m.view().okText, u"进入体验");
        EXPECT_FALSE(m.view().barVisible);
        EXPECT_EQ(m.pressOk(), FinalAction::StartProgram);
        // Pressing btnNext now starts nothing.
        EXPECT_EQ(m.pressNext().start, StageAction::None);
    }
    {  // the program does not start: the window says so and keeps btnOK
        UpdateStageMachine m;
        m.apply(kUpToDate, nullptr);
        m.programStartFailed(u"/opt/app/bin/32bit/Veltora");
        EXPECT_EQ(m.view().action, u"无法启动主程序: /opt/app/bin/32bit/Veltora");
        EXPECT_TRUE(m.view().okVisible);
        EXPECT_EQ(m.pressOk(), FinalAction::StartProgram);
    }
}
