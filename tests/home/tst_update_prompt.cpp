// The home window's update prompt against a local update server: a newer
// version (the new-version dialog with both buttons, "立即更新" starts the
// updater and closes the window), a required one (only "立即更新", modal,
// any close ends the program), none newer (nothing shown; the menu's notice
// says so), and the logging of each report of the update check.
// test-labels: e2e
#include "HttpFixture.h"
#include "app/AppUpdater.h"
#include "app/CData.h"
#include "app/Logger.h"
#include "app/UpdateMessage.h"
#include "home/AppUpdateWidget.h"
#include "home/ClassListWidget.h"
#include "tests/home/HomeTestSupport.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

#include <fstream>
#include <mutex>

using namespace hometest;

namespace {

void writeFile(const std::string& path, const std::string& bytes)
{
    std::ofstream(path, std::ios::binary) << bytes;
}

// The update server, serving what the current case sets. Made before
// anything reads the settings, so the update check asks it.
struct UpdateServer {
    testsupport::HttpFixture http;
    std::mutex lock;
    std::string versionBody;  // guarded by lock
    std::string latestBody;   // guarded by lock

    UpdateServer()
    {
        http.server().Get("/version/VeltoraTea", [this](const httplib::Request&, httplib::Response& res) {
            std::lock_guard<std::mutex> g(lock);
            res.set_content(versionBody, "application/json");
        });
        http.server().Get("/latest/VeltoraTea", [this](const httplib::Request&, httplib::Response& res) {
            std::lock_guard<std::mutex> g(lock);
            res.set_content(latestBody, "application/json");
        });
        http.start();
        const std::string data = home().dataFolder();
        QDir().mkpath(QString::fromStdString(data));
        writeFile(data + "/config.ini", "[VeltoraTea]\nUpdateUrl=" + http.url() + "\n");
        // Installed: 1.4.7 with no files of its own.
        writeFile(data + "/ver", R"({"version":"1.4.7","files":[]})");
    }

    // latest and minimum as the version reply gives them; the newest
    // release adds one file.
    void publish(const std::string& latest, const std::string& minimum)
    {
        std::lock_guard<std::mutex> g(lock);
        versionBody = R"({"latest-version":")" + latest + R"(","minimum-required":")" + minimum + R"("})";
        latestBody = R"({"version":"1.5.0","files":[{"path":"bin\\32bit\\notes.txt","size":5,)"
                     R"("digest":"0123456789abcdef0123456789abcdef01234567"}]})";
    }
};

UpdateServer& server()
{
    static UpdateServer s;
    return s;
}

std::string logText() { return testsupport::readFile(Logger::instance()->fileName().toStdString()); }

// Counts the update reports the window receives (it still handles them).
class ReportSpy : public QObject {
public:
    explicit ReportSpy(QWidget* w) { w->installEventFilter(this); }
    std::vector<int> kinds;

protected:
    bool eventFilter(QObject*, QEvent* e) override
    {
        if (e->type() == UpdateMessageEvent::kType)
            kinds.push_back(static_cast<UpdateMessageEvent*>(e)->kind());
        return false;
    }
};

bool reported(const ReportSpy& spy, int kind)
{
    return std::find(spy.kinds.begin(), spy.kinds.end(), kind) != spy.kinds.end();
}

AppUpdateWidget* openDialog()
{
    for (QWidget* w : QApplication::topLevelWidgets())
        if (auto* d = qobject_cast<AppUpdateWidget*>(w); d && d->isVisible())
            return d;
    return nullptr;
}

template <class T = QWidget>
T* part(QWidget* w, const char* name)
{
    return w->findChild<T*>(name);
}

// Publishes, then makes the home window, whose construction starts a check.
void prepare(const std::string& latest, const std::string& minimum)
{
    server().publish(latest, minimum);
    lib();
    useProgramStyle();
    CData::instance()->SetAppExiting(false);
    ASSERT_TRUE(testsupport::waitUntil([] { return !CData::instance()->GetUpdater()->IsChecking(); }, 30000));
}

}  // namespace

TEST(UpdatePrompt, NewerVersionOffersBothButtons)
{
    prepare("1.5.0.json", "1.0.0");
    ClassListWidget w;
    ReportSpy spy(&w);
    QSignalSpy exits(&w, &ClassListWidget::exitApp);
    ASSERT_TRUE(testsupport::waitUntil([&] { return reported(spy, 4); }, 30000));
    EXPECT_TRUE(reported(spy, 1));
    EXPECT_NE(logText().find("has no must update version"), std::string::npos);

    AppUpdateWidget* dlg = nullptr;
    ASSERT_TRUE(testsupport::waitUntil([&] { return (dlg = openDialog()) != nullptr; }));
    EXPECT_FALSE(dlg->isModal());
    EXPECT_EQ(dlg->size(), QSize(311, 337));
    EXPECT_EQ(part<QLabel>(dlg, "label")->text(), QString::fromUtf8("有新版本更新啦！"));
    EXPECT_EQ(part<QLabel>(dlg, "labMsg")->text(), QString::fromUtf8("当前版本为:1.4.7"));
    EXPECT_TRUE(part(dlg, "btnCancel")->isVisible());
    EXPECT_TRUE(part(dlg, "line")->isVisible());
    EXPECT_EQ(part<QPushButton>(dlg, "btnOk")->text(), QString::fromUtf8("立即更新"));
    QTest::qWait(100);
    screenshot(dlg, "update_prompt_newer.png");

    // "暂不升级" closes only the dialog.
    QPointer<AppUpdateWidget> first = dlg;
    part<QPushButton>(dlg, "btnCancel")->click();
    ASSERT_TRUE(testsupport::waitUntil([&] { return openDialog() == nullptr; }));
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(first.isNull());
    EXPECT_EQ(exits.count(), 0);

    // The menu's "版本更新" offers it again; "立即更新" starts the updater
    // and closes the home window, which ends the program.
    w.ShowUpdatePrompt();
    ASSERT_TRUE(testsupport::waitUntil([&] { return (dlg = openDialog()) != nullptr; }));
    part<QPushButton>(dlg, "btnOk")->click();
    EXPECT_EQ(exits.count(), 1);
    EXPECT_NE(logText().find("AppUpdater::RunUpdater"), std::string::npos);
    CData::instance()->SetAppExiting(false);
}

TEST(UpdatePrompt, RequiredVersionOffersOnlyUpdateAndAnyCloseEndsTheProgram)
{
    prepare("1.5.0.json", "1.5.0.json");
    const struct {
        const char* name;
        bool pressOk;
    } closes[] = {{"update now", true}, {"escape", false}};
    for (const auto& c : closes) {
        ClassListWidget w;
        ReportSpy spy(&w);
        QSignalSpy exits(&w, &ClassListWidget::exitApp);
        // The dialog runs modally inside the report's handling: it is
        // answered from a timer.
        bool seen = false;
        QTimer driver;
        QObject::connect(&driver, &QTimer::timeout, [&] {
            AppUpdateWidget* dlg = openDialog();
            if (!dlg || seen)
                return;
            seen = true;
            EXPECT_TRUE(dlg->isModal()) << c.name;
            EXPECT_FALSE(part(dlg, "btnCancel")->isVisible()) << c.name;
            EXPECT_FALSE(part(dlg, "line")->isVisible()) << c.name;
            EXPECT_EQ(part<QLabel>(dlg, "labMsg")->text(), QString::fromUtf8("当前版本为:1.4.7")) << c.name;
            screenshot(dlg, "update_prompt_required.png");
            if (c.pressOk)
                part<QPushButton>(dlg, "btnOk")->click();
            else
                QTest::keyClick(dlg, Qt::Key_Escape);
        });
        driver.start(50);
        ASSERT_TRUE(testsupport::waitUntil([&] { return exits.count() == 1; }, 30000)) << c.name;
        EXPECT_TRUE(seen) << c.name;
        EXPECT_EQ(openDialog(), nullptr) << c.name;
        EXPECT_NE(logText().find("find must update version. start update"), std::string::npos);
        CData::instance()->SetAppExiting(false);
        ASSERT_TRUE(testsupport::waitUntil([] { return !CData::instance()->GetUpdater()->IsChecking(); }, 30000));
    }
}

TEST(UpdatePrompt, CurrentVersionShowsNothingAndEveryReportIsLogged)
{
    prepare("1.4.7.json", "1.0.0");
    ClassListWidget w;
    ReportSpy spy(&w);
    ASSERT_TRUE(testsupport::waitUntil([&] { return reported(spy, 3); }, 30000));
    QTest::qWait(100);
    EXPECT_EQ(openDialog(), nullptr);
    EXPECT_FALSE(reported(spy, 4));

    // Reports as the check posts them; a failure without its record is
    // logged with an empty text.
    const struct {
        int kind;
        UpdateMessage* record;
        std::vector<std::string> lines;
    } reports[] = {
        {3, nullptr, {"update msg: 3, \n"}},
        {2, new UpdateMessage{L"cannot get latest version", "t"}, {"check update version failed cannot get latest version", "update msg: 2, t"}},
        {2, nullptr, {"check update version failed \n", "update msg: 2, \n"}},
        {0, new UpdateMessage{L"", "/opt/folder"}, {"update msg: 0, /opt/folder"}},
        {1, new UpdateMessage{L"", "9.9.9.json"}, {"update msg: 1, 9.9.9.json"}},
    };
    for (const auto& r : reports) {
        const size_t before = logText().size();
        QCoreApplication::postEvent(&w, new UpdateMessageEvent(r.kind, r.record));
        QCoreApplication::processEvents();
        const std::string added = logText().substr(before);
        for (const std::string& line : r.lines)
            EXPECT_NE(added.find(line), std::string::npos) << r.kind << ": " << line << " in " << added;
        EXPECT_EQ(added.find("check update version failed") != std::string::npos, r.kind == 2) << r.kind;
    }
    EXPECT_EQ(openDialog(), nullptr);
}
