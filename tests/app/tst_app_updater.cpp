// The main program's update check end to end against a loopback server: the
// reports reach the window as posted events, the version answers, one check
// at a time, and the start of the updater.
// test-labels: e2e
#include "app/AppUpdater.h"
#include "HttpFixture.h"
#include "common/Sha1.h"
#include "TempDir.h"
#include "app/UpdateMessage.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QWidget>
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>
#include <sys/stat.h>

#include <atomic>
#include <fstream>
#include <functional>

namespace {

bool waitUntil(const std::function<bool()>& done, int maxMs = 20000)
{
    QElapsedTimer t;
    t.start();
    while (!done() && t.elapsed() < maxMs)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    return done();
}

void writeBytes(const std::string& path, const std::string& bytes)
{
    std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}

std::string manifest(const std::string& version, const std::string& aBytes)
{
    nlohmann::json m{{"version", version},
                     {"files", {{{"path", "a.txt"}, {"size", aBytes.size()}, {"digest", sha1::ofBytes(aBytes.data(), aBytes.size())}}}}};
    return m.dump();
}

// The home window's part: records every report it receives and frees the records.
class ReportWindow : public QWidget {
public:
    struct Report {
        int kind;
        bool hasRecord;
        std::wstring message;
        std::string text;
    };
    std::vector<Report> reports;

    bool event(QEvent* e) override
    {
        if (e->type() != UpdateMessageEvent::kType)
            return QWidget::event(e);
        auto* ev = static_cast<UpdateMessageEvent*>(e);
        std::unique_ptr<UpdateMessage> record(ev->takeRecord());
        reports.push_back({ev->kind(), record != nullptr, record ? record->message : L"",
                           record ? record->text : ""});
        return true;
    }
    bool finished() const
    {
        for (const Report& r : reports)
            if (r.kind == 2 || r.kind == 3 || r.kind == 4)
                return true;
        return false;
    }
    std::vector<int> kinds() const
    {
        std::vector<int> out;
        for (const Report& r : reports)
            out.push_back(r.kind);
        return out;
    }
};

class AppUpdaterTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        server.server().Get("/version/VeltoraTea", [this](const httplib::Request&, httplib::Response& res) {
            ++versionRequests;
            if (stall)
                server.waitForRelease();
            res.status = versionStatus;
            res.set_content(versionBody, "application/json");
        });
        server.server().Get("/latest/VeltoraTea", [this](const httplib::Request&, httplib::Response& res) {
            res.set_content(latestBody, "application/json");
        });
        ASSERT_TRUE(server.start());
        std::string data = home.dataFolder();
        std::system(("mkdir -p '" + data + "'").c_str());
        writeBytes(data + "/config.ini", "[VeltoraTea]\nUpdateUrl=" + server.url() + "\n");
    }
    void TearDown() override
    {
        server.releaseStalled();
        server.stop();
    }

    void setRelease(const std::string& installed, const std::string& latest, const std::string& minimum,
                    bool changed)
    {
        writeBytes(home.dataFolder() + "/ver", manifest(installed, "a"));
        versionBody = nlohmann::json{{"latest-version", latest + ".json"}, {"minimum-required", minimum}}.dump();
        latestBody = manifest(latest, changed ? "new a" : "a");
    }

    testsupport::TempHome home;
    testsupport::HttpFixture server;
    std::atomic<int> versionRequests{0};
    std::atomic<bool> stall{false};
    int versionStatus = 200;
    std::string versionBody;
    std::string latestBody;
};

TEST_F(AppUpdaterTest, ReportsAndVersionAnswers)
{
    struct Case {
        const char* name;
        std::string installed, latest, minimum;
        bool changed;
        std::vector<int> kinds;
        bool hasNew, mustUpdate;
    } cases[] = {
        {"1.0.9 installed, 1.0.10 out", "1.0.9", "1.0.10", "1.0.0", true, {1, 4}, true, false},
        {"minimum above the installed", "1.0.9", "1.0.10", "1.0.10", true, {1, 4}, true, true},
        {"1.0.10 installed, 1.0.9 out", "1.0.10", "1.0.9", "1.0.0", true, {1, 3}, false, false},
        {"older version, same files", "1.0.9", "1.0.10", "1.0.0", false, {1, 3}, true, false},
    };
    for (const Case& c : cases) {
        setRelease(c.installed, c.latest, c.minimum, c.changed);
        ReportWindow window;
        AppUpdater updater;
        EXPECT_TRUE(updater.SetNotifyWindow(&window));
        EXPECT_TRUE(updater.StartCheck());
        ASSERT_TRUE(waitUntil([&] { return window.finished(); })) << c.name;
        EXPECT_EQ(window.kinds(), c.kinds) << c.name;
        EXPECT_EQ(window.reports[0].text, c.latest + ".json") << c.name;
        EXPECT_FALSE(window.reports.back().hasRecord) << c.name;
        EXPECT_TRUE(updater.HasRemoteVersion());
        EXPECT_EQ(updater.HasNewVersion(), c.hasNew) << c.name;
        EXPECT_EQ(updater.MustUpdate(), c.mustUpdate) << c.name;
    }
}

TEST_F(AppUpdaterTest, FailedVersionRequestIsOneReport)
{
    struct Case {
        int status;
        std::string body;
        std::wstring message;
    } cases[] = {
        {404, "<html>missing</html>", L"cannot get remote version code 404"},
        {500, R"({"latest-version": "9.json", "minimum-required": "9"})", L"cannot get remote version code 500"},
        {200, "<html>portal</html>", L"parse remote version failed res size 19"},
    };
    for (const Case& c : cases) {
        versionStatus = c.status;
        versionBody = c.body;
        ReportWindow window;
        AppUpdater updater;
        updater.SetNotifyWindow(&window);
        updater.StartCheck();
        ASSERT_TRUE(waitUntil([&] { return window.finished(); }));
        QCoreApplication::processEvents();
        ASSERT_EQ(window.kinds(), std::vector<int>{2});
        EXPECT_EQ(window.reports[0].message, c.message);
        EXPECT_FALSE(updater.HasRemoteVersion());
    }
}

TEST_F(AppUpdaterTest, OneCheckAtATimeAndClosingDoesNotHang)
{
    setRelease("1.0.0", "1.0.1", "1.0.0", true);
    stall = true;
    ReportWindow window;
    auto updater = std::make_unique<AppUpdater>();
    updater->SetNotifyWindow(&window);
    updater->StartCheck();
    ASSERT_TRUE(waitUntil([&] { return versionRequests == 1; }));
    updater->StartCheck();  // a tick while the first check still runs
    updater->onUpdateTimer();
    QCoreApplication::processEvents();
    EXPECT_EQ(versionRequests, 1);
    QElapsedTimer t;
    t.start();
    updater.reset();  // ends the stalled request and waits for the thread
    EXPECT_LT(t.elapsed(), 15000);
    server.releaseStalled();
}

TEST_F(AppUpdaterTest, ReportsForAWindowThatIsGoneAreFreed)
{
    setRelease("1.0.0", "1.0.1", "1.0.0", true);
    AppUpdater updater;
    {
        ReportWindow window;
        updater.SetNotifyWindow(&window);
        updater.StartCheck();
    }
    ReportWindow later;
    ASSERT_TRUE(waitUntil([&] { return updater.HasRemoteVersion(); }));
    for (int i = 0; i < 20; ++i)
        QCoreApplication::processEvents();
    EXPECT_TRUE(later.reports.empty());
}

TEST(AppUpdaterRun, StartsACopyOfTheUpdaterOrTheUpdaterItself)
{
    testsupport::TempDir root;
    const std::string program = root.path() + "/bin/32bit";
    std::system(("mkdir -p '" + program + "'").c_str());
    const std::string marker = root.path() + "/started";
    const std::string updater = root.path() + "/KorvanelTea";
    writeBytes(updater, "#!/bin/sh\necho \"$0\" > '" + marker + ".tmp' && mv '" + marker + ".tmp' '" + marker + "'\n");
    chmod(updater.c_str(), 0755);

    QString started = AppUpdater::RunUpdaterFrom(QString::fromStdString(program));
    EXPECT_EQ(started.toStdString(), root.path() + "/KorvanelTmp");
    ASSERT_TRUE(waitUntil([&] { return testsupport::fileExists(marker); }));
    EXPECT_EQ(testsupport::readFile(marker), root.path() + "/KorvanelTmp\n");

    // The copy cannot be made (a folder holds its name): the updater itself starts.
    std::remove(marker.c_str());
    std::remove((root.path() + "/KorvanelTmp").c_str());
    std::system(("mkdir -p '" + root.path() + "/KorvanelTmp/x'").c_str());
    started = AppUpdater::RunUpdaterFrom(QString::fromStdString(program));
    EXPECT_EQ(started.toStdString(), updater);
    ASSERT_TRUE(waitUntil([&] { return testsupport::fileExists(marker); }));
    EXPECT_EQ(testsupport::readFile(marker), updater + "\n");

    // No updater at all: nothing starts.
    std::remove(updater.c_str());
    EXPECT_TRUE(AppUpdater::RunUpdaterFrom(QString::fromStdString(program)).isEmpty());
}

}  // namespace
