// test-labels: xvfb
// test-sources: ../rtmppush/StreamProbe.cpp BroadcastTestSupport.cpp
// The broadcast engine's canvas on a real X display (1600x1000): visual
// sources drawn in their order where they are placed, the area source
// capturing the part of the screen under its rectangle, and views that end
// with their engine.
#include "libs/broadcast/IBroadcastEngine.h"
#include "libs/broadcast/ISourceProperty.h"
#include "libs/broadcast/SceneViewImpl.h"
#include "tests/libs/broadcast/BroadcastTestSupport.h"

#include "QtWait.h"
#include "TempDir.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

#include <gtest/gtest.h>

#include <memory>

using namespace broadcasttest;
using testsupport::waitUntil;

namespace {

const char* const kDesktop = "桌面捕获";
const char* const kCamera = "摄像头";
const char* const kArea = "区域捕获";
constexpr uint32_t kTeal = 0x5dc0ba;
constexpr uint32_t kBrick = 0xc04030;

// A frameless window of one colour on the screen.
std::unique_ptr<QWidget> backdrop(const QRect& where, uint32_t colour)
{
    auto w = std::make_unique<QWidget>();
    w->setWindowFlags(Qt::FramelessWindowHint);
    w->setStyleSheet(QString("background-color: #%1;").arg(colour, 6, 16, QChar('0')));
    w->setGeometry(where);
    w->show();
    waitUntil([&] { return w->isVisible(); });
    QCoreApplication::processEvents();
    return w;
}

bool sameRect(const SceneRect& a, const SceneRect& b)
{
    return a.x == b.x && a.y == b.y && a.w == b.w && a.h == b.h;
}

std::string text(const SceneRect& r)
{
    return std::to_string(r.x) + "," + std::to_string(r.y) + " " + std::to_string(r.w) + "x" + std::to_string(r.h);
}

}  // namespace

TEST(EngineCanvas, VisualSourcesAreDrawnInTheirOrderWhereTheyArePlaced)
{
    ASSERT_EQ(QSize(1600, 1000), QGuiApplication::primaryScreen()->size());
    auto screen = backdrop(QRect(0, 0, 1600, 1000), kTeal);
    testsupport::TempDir dir;
    Engine e(Broadcast::kSourceDesktop, kDesktop, {Engine::kRemote});
    // Unplaced, the desktop fills the canvas keeping the screen's aspect.
    SceneRect desk;
    ASSERT_TRUE(waitUntil([&] { return e.engine->GetSourceRect(kDesktop, &desk) && desk.x == 96; }))
        << text(desk);
    EXPECT_TRUE(sameRect(SceneRect{96, 0, 1728, 1080}, desk)) << text(desk);

    ASSERT_TRUE(e.engine->AddSource(Broadcast::kSourceCamera, kCamera, Engine::kScene));
    ASSERT_TRUE(e.engine->SetSourceOrder(kCamera, 20));
    ASSERT_TRUE(e.engine->SetSourceRect(kCamera, SceneRect{1280, 720, 640, 360}));
    SceneRect cam;
    ASSERT_TRUE(e.engine->GetSourceRect(kCamera, &cam));
    EXPECT_TRUE(sameRect(SceneRect{1280, 720, 640, 360}, cam)) << text(cam);
    EXPECT_FALSE(e.engine->SetSourceRect("no such source", cam));
    EXPECT_FALSE(e.engine->SetSourceRect(Engine::kRemote, cam)) << "not a visual source";

    // Pictures at a quarter of the canvas: the camera (a real one or the
    // generated bars) sits over the desktop's lower right corner.
    struct Case {
        int cameraOrder;
        uint32_t cornerColour;  // 0: not the desktop's
    };
    for (const Case& c : {Case{20, 0}, Case{5, kTeal}}) {
        ASSERT_TRUE(e.engine->SetSourceOrder(kCamera, c.cameraOrder));
        const std::string file = e.record(dir.path(), 1500);
        ASSERT_FALSE(file.empty()) << e.observer.log.text();
        const RgbPicture p = pictureOf(file, 480, 270);
        ASSERT_FALSE(p.empty()) << file;
        EXPECT_LT(p.distance(100, 100, kTeal), 24) << std::hex << p.at(100, 100);
        EXPECT_LT(p.distance(10, 100, 0x000000), 24) << "black beside the screen " << std::hex << p.at(10, 100);
        EXPECT_LT(p.distance(470, 100, 0x000000), 24) << std::hex << p.at(470, 100);
        if (c.cornerColour) {
            EXPECT_LT(p.distance(400, 225, c.cornerColour), 24) << "order " << c.cameraOrder;
        } else {
            int away = 0;
            for (int x = 330; x < 450; x += 10)
                away += p.distance(x, 225, kTeal) > 40;
            EXPECT_GT(away, 8) << "order " << c.cameraOrder << ": the camera's picture is not drawn";
        }
        EXPECT_LT(p.distance(300, 225, kTeal), 24) << "left of the camera";
    }
}

TEST(EngineCanvas, AnAreaCapturesTheScreenUnderItsRectangleAndKeepsIt)
{
    auto left = backdrop(QRect(0, 0, 800, 1000), kTeal);
    auto right = backdrop(QRect(800, 0, 800, 1000), kBrick);
    testsupport::TempDir dir;
    Engine e(Broadcast::kSourceArea, kArea, {Engine::kRemote});
    auto area = IMonitorCaptureSourceProperty::create(kArea, true);
    SceneRect region;
    ASSERT_TRUE(waitUntil([&] { return area->GetCaptureRegion(&region) && region.w == 1600; })) << text(region);
    EXPECT_TRUE(sameRect(SceneRect{0, 0, 1600, 1000}, region)) << "unplaced: the whole screen";

    // The screen stands on the canvas at 96,0 1728x1080 (a scale of 1.08).
    struct Case {
        SceneRect set;
        SceneRect placed;
        SceneRect region;
    };
    const Case cases[] = {
        {{960, 0, 864, 540}, {960, 0, 864, 540}, {800, 0, 800, 500}},
        {{1800, 900, 864, 540}, {960, 540, 864, 540}, {800, 500, 800, 500}},  // kept on the screen
        {{0, 0, 4000, 4000}, {96, 0, 1728, 1080}, {0, 0, 1600, 1000}},
        {{960, 0, 864, 540}, {960, 0, 864, 540}, {800, 0, 800, 500}},
    };
    for (const Case& c : cases) {
        ASSERT_TRUE(e.engine->SetSourceRect(kArea, c.set));
        SceneRect placed;
        ASSERT_TRUE(e.engine->GetSourceRect(kArea, &placed));
        EXPECT_TRUE(sameRect(c.placed, placed)) << text(c.set) << " -> " << text(placed);
        ASSERT_TRUE(area->GetCaptureRegion(&region));
        EXPECT_TRUE(sameRect(c.region, region)) << text(c.set) << " -> " << text(region);
    }

    // What is recorded: the right half's colour inside the rectangle, black
    // beside it.
    const std::string file = e.record(dir.path(), 1500);
    ASSERT_FALSE(file.empty()) << e.observer.log.text();
    const RgbPicture p = pictureOf(file, 480, 270);
    ASSERT_FALSE(p.empty());
    EXPECT_LT(p.distance(350, 60, kBrick), 24) << std::hex << p.at(350, 60);
    EXPECT_LT(p.distance(250, 120, kBrick), 24) << std::hex << p.at(250, 120);
    EXPECT_LT(p.distance(100, 60, 0x000000), 24) << std::hex << p.at(100, 60);
    EXPECT_LT(p.distance(350, 200, 0x000000), 24) << std::hex << p.at(350, 200);

    // Kept for the next time the source is added, and over a restart.
    ASSERT_TRUE(e.engine->RemoveSource(kArea));
    EXPECT_FALSE(area->GetCaptureRegion(&region));
    ASSERT_TRUE(e.engine->AddSource(Broadcast::kSourceArea, kArea, Engine::kScene));
    e.engine->Stop();
    e.engine->Start();
    SceneRect placed;
    ASSERT_TRUE(e.engine->GetSourceRect(kArea, &placed));
    EXPECT_TRUE(sameRect(SceneRect{960, 0, 864, 540}, placed)) << text(placed);
    ASSERT_TRUE(area->GetCaptureRegion(&region));
    EXPECT_TRUE(sameRect(SceneRect{800, 0, 800, 500}, region)) << text(region);
}

TEST(EngineCanvas, ViewsEndWithTheirEngine)
{
    QWidget window;
    window.setAttribute(Qt::WA_NativeWindow);
    window.resize(320, 180);
    window.show();
    ASSERT_TRUE(waitUntil([&] { return window.isVisible(); }));
    const int before = broadcast::SceneViewImpl::liveViews();
    {
        RecordingObserver observer;
        IBroadcastEngine* engine = IBroadcastEngine::create(&observer);
        engine->Start();
        auto scenes = engine->GetScenes();
        ISceneView* kept = scenes->CreateView(uint64_t(window.winId()));
        ISceneView* returned = scenes->CreateView(uint64_t(window.winId()));
        ASSERT_NE(nullptr, kept);
        ASSERT_NE(nullptr, returned);
        kept->Start();
        returned->Start();
        EXPECT_EQ(before + 2, broadcast::SceneViewImpl::liveViews());
        scenes->DestroyView(returned);
        scenes->DestroyView(nullptr);
        EXPECT_EQ(before + 1, broadcast::SceneViewImpl::liveViews());
        EXPECT_EQ(nullptr, scenes->CreateView(0)) << "no window";
        // The maker never returns the other view: the engine ends it.
        engine->Stop();
        IBroadcastEngine::release(engine);
    }
    EXPECT_EQ(before, broadcast::SceneViewImpl::liveViews());
}
