// The updater's engine against a shaped server: error statuses, stalls and
// replies that are not what they should be. Each ends in exactly one
// failure report and leaves the installation as it was.
// test-labels: e2e tsan
// test-sources: UpdateTestKit.cpp
#include "HttpFixture.h"
#include "common/Sha1.h"
#include "common/update/HttpTransfer.h"
#include "TempDir.h"

#include <curl/curl.h>
#include "tests/updater/UpdateTestKit.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <mutex>
#include <fstream>
#include <thread>

using namespace update;

namespace {

struct Reply {
    int status;
    std::string body;
};

class EngineHttp : public ::testing::Test {
protected:
    void SetUp() override
    {
        server.server().Get(R"(/version/(.*))", [this](const httplib::Request&, httplib::Response& res) {
            answer(reply(version), res);
        });
        server.server().Get(R"(/latest/(.*))", [this](const httplib::Request&, httplib::Response& res) {
            answer(reply(latest), res);
        });
        server.server().Get(R"(/store/cached/(.*))", [this](const httplib::Request& req, httplib::Response& res) {
            storeRequested = true;
            if (stallStore) {
                // Half of the body, then nothing.
                res.set_content_provider(
                    storeBytes.size(), "application/octet-stream",
                    [this](size_t offset, size_t, httplib::DataSink& sink) {
                        if (offset == 0)
                            sink.write(storeBytes.data(), storeBytes.size() / 2);
                        else
                            server.waitForRelease();
                        return offset == 0;
                    });
                return;
            }
            (void)req;
            res.set_content(storeBytes, "application/octet-stream");
        });
        ASSERT_TRUE(server.start());
        install = std::make_unique<kit::Install>(server.url());
        install->installRelease("1.0.0", {{"a.txt", "a"}});
        setReplies({200, kit::versionReply("1.1.0.json", "1.0.0")}, {200, kit::manifestBody("1.1.0", {{"a.txt", storeBytes}})});
    }

    void TearDown() override
    {
        stopTrickle = true;
        server.stop();
    }

    // The replies are set by the test between requests and read by the server's threads.
    Reply reply(const Reply& r)
    {
        std::lock_guard<std::mutex> g(replyLock);
        return r;
    }
    void setReplies(const Reply& v, const Reply& l)
    {
        std::lock_guard<std::mutex> g(replyLock);
        version = v;
        latest = l;
    }

    void answer(const Reply& r, httplib::Response& res)
    {
        if (r.status == kTrickle) {
            res.set_chunked_content_provider("application/json", [this](size_t, httplib::DataSink& sink) {
                return trickle(sink);
            });
            return;
        }
        if (r.status == kAnnounceHuge) {
            res.set_content_provider(size_t(1) << 30, "application/json",
                                     [this](size_t, size_t, httplib::DataSink& sink) { return trickle(sink); });
            return;
        }
        if (r.status < 0) {  // stall before answering
            server.waitForRelease();
            return;
        }
        res.status = r.status;
        res.set_content(r.body, "application/json");
    }

    std::unique_ptr<UpdateEngine> engine(long lowSpeedSec = 1)
    {
        auto e = std::make_unique<UpdateEngine>(install->options(lowSpeedSec));
        e->SetReceiver(&recorder);
        return e;
    }

    // Ten bytes a second, well above the low-speed rule, until the client
    // goes or the test ends.
    bool trickle(httplib::DataSink& sink)
    {
        while (!stopTrickle) {
            if (!sink.write(" ", 1))
                return false;
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
        }
        return false;
    }

    static constexpr int kTrickle = -2;
    static constexpr int kAnnounceHuge = -3;  // announces 1 GiB, then trickles

    testsupport::HttpFixture server;
    std::atomic<bool> stopTrickle{false};
    std::unique_ptr<kit::Install> install;
    kit::Recorder recorder;
    std::mutex replyLock;
    Reply version;  // guarded by replyLock
    Reply latest;   // guarded by replyLock
    std::string storeBytes = std::string(200000, 's');
    std::atomic<bool> stallStore{false};
    std::atomic<bool> storeRequested{false};
};

TEST_F(EngineHttp, BadRepliesEndTheCheckWithOneFailure)
{
    const std::u16string noVersion = u"cannot get remote version";
    const std::u16string badVersion = u"无法获取远程服务器软件版本";
    const std::u16string noManifest = u"cannot get latest version";
    struct Case {
        const char* name;
        Reply version;
        Reply latest;
        std::vector<int> kinds;
        std::u16string text;
    } cases[] = {
        {"version 404 with a page", {404, "<html>not here</html>"}, {}, {kCheckFailed}, noVersion},
        {"version 500 with a good body", {500, kit::versionReply("9.json", "1")}, {}, {kCheckFailed}, noVersion},
        {"version stalls", {-1, ""}, {}, {kCheckFailed}, noVersion},
        {"version not JSON", {200, "<html>proxy login</html>"}, {}, {kCheckFailed}, badVersion},
        {"version wrong types", {200, R"({"latest-version": 2, "minimum-required": "1"})"}, {}, {kCheckFailed}, badVersion},
        {"version lacks a key", {200, R"({"latest-version": "2.json"})"}, {}, {kCheckFailed}, badVersion},
        {"manifest 404", {200, kit::versionReply("2.json", "1")}, {404, "{}"}, {kRemoteVersion, kCheckFailed}, noManifest},
        {"manifest not JSON", {200, kit::versionReply("2.json", "1")}, {200, "{\"files\": ["}, {kRemoteVersion, kCheckFailed}, noManifest},
        {"manifest an array", {200, kit::versionReply("2.json", "1")}, {200, "[1, 2]"}, {kRemoteVersion, kCheckFailed}, noManifest},
    };
    for (const Case& c : cases) {
        recorder.clear();
        setReplies(c.version, c.latest);
        auto e = engine();
        const auto start = std::chrono::steady_clock::now();
        EXPECT_EQ(e->CheckThread(), -1) << c.name;
        EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(20)) << c.name;
        EXPECT_EQ(recorder.kinds(), c.kinds) << c.name;
        EXPECT_EQ(recorder.reports().back().text, c.text) << c.name;
        EXPECT_TRUE(e->downloadList().empty()) << c.name;
    }
    server.releaseStalled();
}

// The version and manifest replies are small: a server that trickles them,
// or announces far more than they can be, ends the check in seconds, not
// after the long limit of a whole download.
TEST_F(EngineHttp, ATricklingOrHugeReplyEndsTheCheckFast)
{
    const Reply goodVersion{200, kit::versionReply("2.json", "1")};
    struct Case {
        const char* name;
        Reply version;
        Reply latest;
        long replyTotalSec;
        std::vector<int> kinds;
    } cases[] = {
        {"version trickles", {kTrickle, ""}, {}, 2, {kCheckFailed}},
        {"manifest trickles", goodVersion, {kTrickle, ""}, 2, {kRemoteVersion, kCheckFailed}},
        // The reply's own limit is long here: the announced length ends it.
        {"version announces 1 GiB", {kAnnounceHuge, ""}, {}, 600, {kCheckFailed}},
        {"manifest announces 1 GiB", goodVersion, {kAnnounceHuge, ""}, 600, {kRemoteVersion, kCheckFailed}},
    };
    for (const Case& c : cases) {
        recorder.clear();
        setReplies(c.version, c.latest);
        UpdateEngine::Options o = install->options(5);
        o.limits.replyTotalSec = c.replyTotalSec;
        UpdateEngine e(o);
        e.SetReceiver(&recorder);
        const auto start = std::chrono::steady_clock::now();
        EXPECT_EQ(e.CheckThread(), -1) << c.name;
        EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(20)) << c.name;
        EXPECT_EQ(recorder.kinds(), c.kinds) << c.name << "\n" << recorder.logText();
    }
}

TEST_F(EngineHttp, OnlyHttpAddressesAreFetched)
{
    kit::Install other("file:///etc");
    UpdateEngine e(other.options());
    e.SetReceiver(&recorder);
    e.CheckThread();
    EXPECT_EQ(recorder.kinds(), std::vector<int>{kCheckFailed});
}

TEST_F(EngineHttp, ManualDownloadPageIsAnHttpAddress)
{
    const std::string config = install->dataFolder() + "/config.ini";
    const std::string base = testsupport::readFile(config);
    std::ofstream(config, std::ios::app) << "DownloadURL=https://download.example/teacher\n";
    EXPECT_EQ(engine()->GetDownloadUrl(), "https://download.example/teacher");
    std::ofstream(config) << base << "DownloadURL=file:///etc/passwd\n";
    EXPECT_EQ(engine()->GetDownloadUrl(), "");
}

TEST_F(EngineHttp, UpperCaseDigestsMatch)
{
    setReplies(version, {200, kit::manifestBody("1.1.0", {{"a.txt", "a"}}, /*upperDigests=*/true)});
    auto e = engine();
    e->CheckThread();
    EXPECT_EQ(recorder.kinds(), (std::vector<int>{kRemoteVersion, kUpToDate}));
}

TEST_F(EngineHttp, ManifestOfTheWrongShapeFailsTheCheck)
{
    for (const char* digest : {"0123456789abcdef0123456789abcdef0123456", "zz23456789abcdef0123456789abcdef01234567",
                               "0123456789abcdef0123456789abcdef0123456789", ""}) {
        recorder.clear();
        setReplies(version, {200, std::string(R"({"version": "1.1.0", "files": [{"path": "a.txt", "size": 1, "digest": ")") +
                                      digest + "\"}]}"});
        auto e = engine();
        EXPECT_EQ(kit::runAllStages(*e, recorder), kCheckFailed) << digest;
        EXPECT_EQ(install->read("a.txt"), "a");
    }
    // Every other fault of shape: nothing fetched, nothing installed, "ver" kept.
    const std::string verBefore = install->ver();
    const std::string good = R"("path": "a.txt", "size": 1, "digest": "0123456789abcdef0123456789abcdef01234567")";
    for (const std::string& body :
         {std::string(R"({"version": "1.1.0"})"), std::string(R"({"version": "1.1.0", "files": {}})"),
          std::string(R"({"version": 110, "files": []})"), std::string(R"({"files": []})"),
          std::string(R"({"version": "1.1.0", "files": [3]})"),
          std::string(R"({"version": "1.1.0", "files": [{"size": 1, "digest": "0123456789abcdef0123456789abcdef01234567"}]})"),
          std::string(R"({"version": "1.1.0", "files": [{"path": "a.txt", "size": -1, "digest": "0123456789abcdef0123456789abcdef01234567"}]})"),
          std::string(R"({"version": "1.1.0", "files": [{"path": "a.txt", "size": 1.5, "digest": "0123456789abcdef0123456789abcdef01234567"}]})"),
          std::string(R"({"version": "1.1.0", "files": [{"path": "a.txt", "size": "1", "digest": "0123456789abcdef0123456789abcdef01234567"}]})"),
          std::string(R"({"version": "1.1.0", "files": [{)") + good + R"(}, {"path": "../b", "size": 1, "digest": "0123456789abcdef0123456789abcdef01234567"}]})"}) {
        recorder.clear();
        setReplies(version, {200, body});
        auto e = engine();
        EXPECT_EQ(kit::runAllStages(*e, recorder), kCheckFailed) << body;
        EXPECT_EQ(install->read("a.txt"), "a");
        EXPECT_EQ(install->ver(), verBefore) << body;
    }
    for (const std::string& r : server.requests())
        EXPECT_EQ(r.find("/store/"), std::string::npos) << "nothing is fetched for a malformed manifest";
}

TEST_F(EngineHttp, StalledDownloadFailsAfterTheLowSpeedTimeOut)
{
    stallStore = true;
    auto e = engine();
    EXPECT_EQ(kit::runAllStages(*e, recorder), kDownloadFailed);
    EXPECT_EQ(recorder.texts(kDownloadFailed), std::vector<std::string>{"a.txt"});
    EXPECT_EQ(install->read("a.txt"), "a");
    server.releaseStalled();
}

TEST_F(EngineHttp, ClosingStopsADownloadAndWaitsForTheWorker)
{
    stallStore = true;
    auto e = engine(/*lowSpeedSec=*/60);
    e->CheckThread();
    ASSERT_EQ(recorder.kinds().back(), kUpdateAvailable);
    ASSERT_TRUE(e->StartDownload());
    while (!storeRequested)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    const auto start = std::chrono::steady_clock::now();
    e->Cancel();
    e.reset();  // waits for the worker
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(30));
    EXPECT_EQ(recorder.kinds().back(), kDownloadFailed) << recorder.logText();
    server.releaseStalled();
}

TEST_F(EngineHttp, ClosingDuringInstallationLetsItFinish)
{
    auto e = engine();
    e->CheckThread();
    e->DownloadThread();
    ASSERT_EQ(recorder.kinds().back(), kAllDownloaded);
    ASSERT_TRUE(e->StartInstall());
    e->Cancel();
    e.reset();
    EXPECT_EQ(recorder.kinds().back(), kInstallComplete);
    EXPECT_EQ(install->read("a.txt"), storeBytes);
    EXPECT_EQ(install->ver(), reply(latest).body);
}

}  // namespace

TEST(HttpTransferLimits, ATricklingServerCannotHoldATransferForEver)
{
    testsupport::HttpFixture trickle;
    std::atomic<bool> stop{false};
    trickle.server().Get("/slow", [&stop](const httplib::Request&, httplib::Response& res) {
        res.set_chunked_content_provider("application/octet-stream", [&stop](size_t, httplib::DataSink& sink) {
            // One byte every 200 ms: well above the low-speed rule's 1 B/s.
            for (int i = 0; i < 300 && !stop; ++i) {
                if (!sink.write("x", 1))
                    return false;
                std::this_thread::sleep_for(std::chrono::milliseconds(200));
            }
            sink.done();
            return true;
        });
    });
    ASSERT_TRUE(trickle.start());
    update::TransferLimits limits;
    limits.baseTotalSec = 2;
    limits.minBytesPerSec = 1 << 20;  // 1 MiB/s: a 1 MiB file may take one more second
    update::HttpTransfer http(limits);
    testsupport::TempDir dir;
    const auto start = std::chrono::steady_clock::now();
    update::HttpTransfer::Result r = http.download(trickle.url("/slow"), dir.file("slow.bin"), 1u << 20);
    const auto took = std::chrono::steady_clock::now() - start;
    stop = true;
    EXPECT_FALSE(r.ok());
    EXPECT_EQ(r.curlCode, CURLE_OPERATION_TIMEDOUT) << r.error;
    EXPECT_LT(took, std::chrono::seconds(30));
    EXPECT_FALSE(testsupport::fileExists(dir.file("slow.bin")));
    EXPECT_EQ(limits.totalSecFor(0), 2);
    EXPECT_EQ(limits.totalSecFor(3u << 20), 5);
}

TEST(HttpTransferLimits, AnAnnouncedLengthOverTheLimitIsRefusedAtOnce)
{
    testsupport::HttpFixture server;
    std::atomic<bool> stop{false};
    server.server().Get("/huge", [&stop](const httplib::Request&, httplib::Response& res) {
        res.set_content_provider(size_t(1) << 30, "application/octet-stream",
                                 [&stop](size_t, size_t, httplib::DataSink& sink) {
                                     while (!stop && sink.write("x", 1))
                                         std::this_thread::sleep_for(std::chrono::milliseconds(100));
                                     return false;
                                 });
    });
    ASSERT_TRUE(server.start());
    update::HttpTransfer http(update::TransferLimits{});  // the long limits of a real run
    testsupport::TempDir dir;
    const auto start = std::chrono::steady_clock::now();
    std::string body;
    update::HttpTransfer::Result got = http.get(server.url("/huge"), body, 64u << 10);
    update::HttpTransfer::Result downloaded = http.download(server.url("/huge"), dir.file("huge.bin"), 1u << 20);
    const auto took = std::chrono::steady_clock::now() - start;
    stop = true;
    for (const update::HttpTransfer::Result& r : {got, downloaded}) {
        EXPECT_FALSE(r.ok());
        EXPECT_TRUE(r.tooLarge) << r.error;
        EXPECT_NE(r.error.find("larger than"), std::string::npos) << r.error;
    }
    EXPECT_TRUE(body.empty());
    EXPECT_FALSE(testsupport::fileExists(dir.file("huge.bin")));
    EXPECT_LT(took, std::chrono::seconds(10));
    server.stop();
}
