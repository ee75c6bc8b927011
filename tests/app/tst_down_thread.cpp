// test-labels: e2e
// The download worker against a loopback HTTP server: good replies, error
// replies, truncated and stalled bodies, redirects, retries and the cache.
#include "app/CurlHandleGuard.h"
#include "app/DownThread.h"
#include "HttpFixture.h"
#include "app/Logger.h"
#include "app/PubUtils.h"
#include "TempDir.h"

#include <QBuffer>
#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QThreadPool>
#include <QTimer>
#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <sys/stat.h>

using testsupport::fileExists;
using testsupport::readFile;

namespace {

testsupport::TempHome g_home;  // goes, and cleans up, when the program ends

std::string logText()
{
    return readFile(Logger::instance()->fileName().toStdString());
}

// Runs the download and waits (at most 30 s) for its finish on this thread.
void runAndWait(DownThread* d, QThreadPool* pool = nullptr)
{
    QEventLoop loop;
    bool done = false;
    QObject::connect(d, &DownThread::finish, &loop, [&] { done = true; loop.quit(); }, Qt::QueuedConnection);
    QTimer::singleShot(30000, &loop, &QEventLoop::quit);
    d->Start(pool);
    if (!done)
        loop.exec();
    ASSERT_TRUE(done) << "no finish for " << d->GetUrl().toStdString();
}

std::string tempEntries()
{
    std::string names;
    QDir dir(QString::fromStdString(PubUtils::GetTempDir()));
    for (const QString& n : dir.entryList(QDir::Files | QDir::Hidden))
        names += n.toStdString() + " ";
    return names;
}

class DownThreadTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        // Every case starts with an empty cache.
        QDir(QString::fromStdString(PubUtils::GetTempDir())).removeRecursively();
        auto& s = http.server();
        s.Get("/ok.json", [](const httplib::Request&, httplib::Response& r) {
            r.set_content("{\"ok\":1}", "application/json");
        });
        s.Get("/missing.png", [](const httplib::Request&, httplib::Response& r) {
            r.status = 404;
            r.set_content("<html>not found</html>", "text/html");
        });
        s.Get("/broken.png", [](const httplib::Request&, httplib::Response& r) {
            r.status = 500;
            r.set_content("<html>server error</html>", "text/html");
        });
        s.Get("/empty.png", [](const httplib::Request&, httplib::Response& r) { r.status = 200; });
        s.Get("/truncated.bin", [](const httplib::Request&, httplib::Response& r) {
            r.set_content_provider(100000, "application/octet-stream",
                                   [](size_t offset, size_t, httplib::DataSink& sink) {
                                       if (offset >= 50000)
                                           return false;  // the connection drops half way
                                       std::string chunk(10000, 'x');
                                       sink.write(chunk.data(), chunk.size());
                                       return true;
                                   });
        });
        s.Get("/stall.png", [this](const httplib::Request&, httplib::Response& r) {
            http.waitForRelease(20000);
            r.set_content("late", "image/png");
        });
        s.Get("/redirect.json", [](const httplib::Request&, httplib::Response& r) { r.set_redirect("/ok.json"); });
        s.Get("/to-file", [](const httplib::Request&, httplib::Response& r) { r.set_redirect("file:///etc/hostname"); });
        s.Get(R"(/(a|b)/logo\.png)", [](const httplib::Request& req, httplib::Response& r) {
            r.set_content("picture " + req.matches[1].str(), "image/png");
        });
        s.Get("/real.png", [](const httplib::Request&, httplib::Response& r) {
            QImage img(4, 3, QImage::Format_RGB32);
            img.fill(Qt::red);
            QByteArray bytes;
            QBuffer buf(&bytes);
            buf.open(QIODevice::WriteOnly);
            img.save(&buf, "PNG");
            r.set_content(bytes.toStdString(), "image/png");
        });
        s.Get("/huge.json", [](const httplib::Request&, httplib::Response& r) {
            r.set_content(std::string(DownThread::kMemoryCap + 1, ' '), "application/json");
        });
        s.Get("/big.bin", [](const httplib::Request&, httplib::Response& r) {
            r.set_content(std::string(512 * 1024, 'b'), "application/octet-stream");
        });
        ASSERT_TRUE(http.start());
    }

    testsupport::HttpFixture http;
};

}  // namespace

TEST_F(DownThreadTest, GoodReplyInMemoryAndInCache)
{
    std::unique_ptr<DownThread> mem(new DownThread(http.url("/ok.json"), 2, false));
    runAndWait(mem.get());
    EXPECT_EQ(mem->GetData(), "{\"ok\":1}");
    EXPECT_TRUE(mem->Succeeded());
    EXPECT_EQ(mem->type, 2);
    EXPECT_TRUE(mem->GetLocalFile().isEmpty());

    std::unique_ptr<DownThread> cached(new DownThread(http.url("/real.png"), 0, true));
    const std::string expectPath = PubUtils::GetUrlLocalFile(http.url("/real.png"));
    EXPECT_EQ(cached->GetLocalFile().toStdString(), expectPath);
    runAndWait(cached.get());
    ASSERT_TRUE(fileExists(expectPath));
    EXPECT_FALSE(readFile(expectPath).empty());
    EXPECT_TRUE(cached->data.empty());  // streamed to the file, not held in memory
    EXPECT_FALSE(cached->GetData().isEmpty());

    // A text body in the cache reads back whole through GetData.
    std::unique_ptr<DownThread> json(new DownThread(http.url("/ok.json"), 1, true));
    runAndWait(json.get());
    EXPECT_EQ(json->GetData(), "{\"ok\":1}");
    QDir(QString::fromStdString(PubUtils::GetTempDir())).remove(json->GetLocalFile());
    std::string path;
    EXPECT_TRUE(DownThread::HasCacheFile(http.url("/real.png"), path));
    EXPECT_EQ(path, expectPath);
    QPixmap pix = DownThread::GetLoadPixmap(http.url("/real.png"));
    EXPECT_EQ(pix.size(), QSize(4, 3));
    // Only the finished file is there: no temporary left behind.
    EXPECT_EQ(tempEntries(), QFileInfo(QString::fromStdString(expectPath)).fileName().toStdString() + " ");
}

// A document held in memory is capped: a larger body is a failure.
TEST_F(DownThreadTest, MemoryBodiesAreCapped)
{
    std::unique_ptr<DownThread> mem(new DownThread(http.url("/huge.json"), 2, false));
    runAndWait(mem.get());
    EXPECT_FALSE(mem->Succeeded());
    EXPECT_TRUE(mem->GetData().isEmpty());
}

// Error pages, empty and truncated bodies: a failure, a log line, nothing cached.
TEST_F(DownThreadTest, FailuresNeverReachTheCache)
{
    struct Case {
        const char* path;
        const char* logged;
    } cases[] = {
        {"/missing.png", "error HTTP 404"},
        {"/broken.png", "error HTTP 500"},
        {"/empty.png", "error empty body"},
        {"/truncated.bin", "truncated.bin error"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path);
        std::unique_ptr<DownThread> d(new DownThread(http.url(c.path), 0, true));
        const std::string cache = PubUtils::GetUrlLocalFile(http.url(c.path));
        runAndWait(d.get());
        EXPECT_FALSE(d->Succeeded());
        EXPECT_TRUE(d->GetData().isEmpty());
        EXPECT_TRUE(d->GetLocalFile().isEmpty());
        EXPECT_FALSE(fileExists(cache));
        EXPECT_NE(logText().find(c.logged), std::string::npos);
    }
    EXPECT_EQ(tempEntries(), "");  // no partial file of any of them

    // A failure does not destroy what an earlier good download cached.
    std::string cache = PubUtils::GetUrlLocalFile(http.url("/missing.png"));
    testsupport::TempDir scratch;
    QFile::copy(QString::fromStdString(scratch.write("x", "old picture")), QString::fromStdString(cache));
    std::unique_ptr<DownThread> d(new DownThread(http.url("/missing.png"), 0, true));
    runAndWait(d.get());
    EXPECT_EQ(readFile(cache), "old picture");
}

TEST_F(DownThreadTest, StalledServerTimesOutAndFreesThePool)
{
    QThreadPool pool;
    pool.setMaxThreadCount(1);  // the stall must not block the next download
    std::unique_ptr<DownThread> stalled(new DownThread(http.url("/stall.png"), 0, true));
    stalled->lowSpeedTimeSec = 1;
    std::unique_ptr<DownThread> next(new DownThread(http.url("/ok.json"), 0, false));
    QEventLoop loop;
    std::atomic<int> finished{0};
    for (DownThread* d : {stalled.get(), next.get()})
        QObject::connect(d, &DownThread::finish, &loop, [&] { if (++finished == 2) loop.quit(); },
                         Qt::QueuedConnection);
    QTimer::singleShot(30000, &loop, &QEventLoop::quit);
    stalled->Start(&pool);
    next->Start(&pool);
    loop.exec();
    http.releaseStalled();
    ASSERT_EQ(finished.load(), 2);
    EXPECT_FALSE(stalled->Succeeded());
    EXPECT_TRUE(stalled->GetLocalFile().isEmpty());
    EXPECT_EQ(next->GetData(), "{\"ok\":1}");
    EXPECT_NE(logText().find("stall.png error"), std::string::npos);
}

TEST_F(DownThreadTest, RedirectsFollowedOnlyToHttp)
{
    std::unique_ptr<DownThread> d(new DownThread(http.url("/redirect.json"), 1, false));
    runAndWait(d.get());
    EXPECT_EQ(d->GetData(), "{\"ok\":1}");

    std::unique_ptr<DownThread> f(new DownThread(http.url("/to-file"), 1, true));
    runAndWait(f.get());
    EXPECT_FALSE(f->Succeeded());
    EXPECT_TRUE(f->GetData().isEmpty());
    EXPECT_TRUE(f->GetLocalFile().isEmpty());
}

TEST_F(DownThreadTest, NonHttpAndEmptyUrls)
{
    // An empty URL finishes at once on the caller's thread, without a pool.
    DownThread empty("", 0, true);
    int calls = 0;
    QObject::connect(&empty, &DownThread::finish, [&](DownThread* p) { EXPECT_EQ(p, &empty); ++calls; });
    empty.Start();
    EXPECT_EQ(calls, 1);

    for (const char* url : {"/etc/hostname", "file:///etc/hostname", "httpx://127.0.0.1/x"}) {
        SCOPED_TRACE(url);
        std::unique_ptr<DownThread> d(new DownThread(url, 0, false));
        runAndWait(d.get());
        EXPECT_TRUE(d->GetData().isEmpty());
        EXPECT_FALSE(d->Succeeded());
    }
    EXPECT_TRUE(DownThread::GetLoadPixmap(http.url("/never-fetched.png")).isNull());
}

TEST_F(DownThreadTest, RetriesUpToMaxTries)
{
    std::unique_ptr<DownThread> d(new DownThread(http.url("/broken.png"), 3, true));
    d->maxTries = 3;
    d->retryDelayMs = 10;
    runAndWait(d.get());
    EXPECT_EQ(d->tries, 3);
    int gets = 0;
    for (const std::string& r : http.requests())
        gets += r == "GET /broken.png";
    EXPECT_EQ(gets, 3);
    std::string log = logText();
    for (int t = 0; t < 3; ++t)
        EXPECT_NE(log.find("broken.png error HTTP 500, times " + std::to_string(t)), std::string::npos);
    EXPECT_TRUE(d->GetLocalFile().isEmpty());
}

// The cache name depends on the whole URL: same file name, other path or host.
TEST_F(DownThreadTest, CacheNamesDoNotCollide)
{
    testsupport::HttpFixture other;
    other.server().Get("/a/logo.png", [](const httplib::Request&, httplib::Response& r) {
        r.set_content("other host", "image/png");
    });
    ASSERT_TRUE(other.start());
    const std::string urls[] = {http.url("/a/logo.png"), http.url("/b/logo.png"), other.url("/a/logo.png")};
    const std::string bodies[] = {"picture a", "picture b", "other host"};
    for (const std::string& u : urls) {
        std::unique_ptr<DownThread> d(new DownThread(u, 0, true));
        runAndWait(d.get());
    }
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(readFile(PubUtils::GetUrlLocalFile(urls[i])), bodies[i]);
}

// Parallel downloads of one URL each rename a complete file into place.
TEST_F(DownThreadTest, ConcurrentDownloadsOfOneUrl)
{
    const std::string url = http.url("/big.bin");
    std::vector<std::unique_ptr<DownThread>> jobs;
    QEventLoop loop;
    std::atomic<int> finished{0};
    for (int i = 0; i < 6; ++i) {
        jobs.emplace_back(new DownThread(url, 0, true));
        QObject::connect(jobs.back().get(), &DownThread::finish, &loop,
                         [&] { if (++finished == 6) loop.quit(); }, Qt::QueuedConnection);
    }
    QTimer::singleShot(30000, &loop, &QEventLoop::quit);
    for (auto& j : jobs)
        j->Start();
    loop.exec();
    ASSERT_EQ(finished.load(), 6);
    EXPECT_EQ(readFile(PubUtils::GetUrlLocalFile(url)), std::string(512 * 1024, 'b'));
    EXPECT_EQ(tempEntries(), QFileInfo(QString::fromStdString(PubUtils::GetUrlLocalFile(url))).fileName().toStdString() + " ");
}

TEST_F(DownThreadTest, UnwritableCacheFolderKeepsTheBodyInMemory)
{
    // The temporary folder's place is taken by a plain file: nothing can be
    // created below it, not even by root.
    testsupport::TempHome home;
    const std::string temp = home.dataFolder() + "/Temp";
    ASSERT_TRUE(QDir().mkpath(QString::fromStdString(home.dataFolder())));
    {
        QFile f(QString::fromStdString(temp));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    }
    // The data folder is cached for the run; only the cache path matters here.
    const std::string url = http.url("/ok.json");
    std::unique_ptr<DownThread> d(new DownThread(url, 0, false));
    d->localPath = temp + "/cache.json";
    runAndWait(d.get());
    EXPECT_EQ(d->GetData(), "{\"ok\":1}");
    EXPECT_TRUE(d->GetLocalFile().isEmpty());
    EXPECT_NE(logText().find("QFile open " + temp + "/cache.json error"), std::string::npos);
}

TEST(CurlHandleGuard, OneLockForEveryHandle)
{
    CurlHandleGuard* g = CurlHandleGuard::instance();
    EXPECT_EQ(g, CurlHandleGuard::instance());
    QReadWriteLock* lock = g->GetLock();
    ASSERT_NE(lock, nullptr);
    CURL* h = g->Init();
    ASSERT_NE(h, nullptr);
    g->Cleanup(h);
    g->Cleanup(nullptr);
    // While another party (the client library) holds the lock, no handle is made.
    lock->lockForWrite();
    std::atomic<bool> made{false};
    std::thread t([&] { CURL* x = g->Init(); made = true; g->Cleanup(x); });
    QThread::msleep(50);
    EXPECT_FALSE(made.load());
    lock->unlock();
    t.join();
    EXPECT_TRUE(made.load());
}
