// test-labels: xvfb
// The scene preview on the real engine: the mouse records it hands the
// engine's view, the source menu, and when the view is re-made.
#include "media/CBroadcastEngine.h"
#include "media/CPreviewBase.h"

#include "libs/broadcast/ISourceProperty.h"

#include <QAction>
#include <QApplication>
#include <QMenu>
#include <QMouseEvent>
#include <QScreen>
#include <QSignalSpy>
#include <QTimer>
#include <gtest/gtest.h>

#include "QtWait.h"
#include "TestPaths.h"

using testsupport::waitUntil;

namespace {

const char* const kDesktop = "桌面捕获";

// The engine with the scene and a desktop source, as the settings window
// sets it up.
IBroadcastEngine* engineWithDesktop()
{
    CBroadcastEngine::instance();
    IBroadcastEngine* engine = CBroadcastEngine::getEngine();
    engine->Initialize();
    engine->Start();
    auto scenes = engine->GetScenes();
    if (!scenes->HasScene("default_scene"))
        scenes->AddScene("default_scene");
    scenes->SelectScene("default_scene");
    engine->SetVideoOutput(1920, 1080, 2048);
    if (!engine->HasSource(kDesktop))
        engine->AddSource(Broadcast::kSourceDesktop, kDesktop, "default_scene");
    return engine;
}

void send(QWidget* w, QEvent::Type type, QPoint pos, Qt::MouseButton button = Qt::LeftButton)
{
    const Qt::MouseButtons held = type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::MouseButtons(button);
    QMouseEvent ev(type, pos, w->mapToGlobal(pos), type == QEvent::MouseMove ? Qt::NoButton : button, held,
                   Qt::NoModifier);
    QApplication::sendEvent(w, &ev);
}

// A left-button drag from one point to another in three moves.
void drag(QWidget* w, QPoint from, QPoint to)
{
    send(w, QEvent::MouseButtonPress, from);
    for (int i = 1; i <= 3; ++i)
        send(w, QEvent::MouseMove, from + (to - from) * i / 3);
    send(w, QEvent::MouseButtonRelease, to);
}

void click(QWidget* w, Qt::MouseButton button, QPoint pos, Qt::KeyboardModifiers mods = Qt::NoModifier)
{
    QMouseEvent press(QEvent::MouseButtonPress, pos, w->mapToGlobal(pos), button, button, mods);
    QApplication::sendEvent(w, &press);
    QMouseEvent release(QEvent::MouseButtonRelease, pos, w->mapToGlobal(pos), button, Qt::NoButton, mods);
    QApplication::sendEvent(w, &release);
}

}  // namespace

TEST(PreviewBase, MouseRecordsCarryButtonExactModifiersAndPosition)
{
    struct Case {
        QEvent::Type type;
        Qt::MouseButton button;
        Qt::KeyboardModifiers mods;
        int wantButton;
        int wantMods;
    };
    const Case cases[] = {
        {QEvent::MouseButtonPress, Qt::LeftButton, Qt::NoModifier, 0, 0},
        {QEvent::MouseButtonPress, Qt::RightButton, Qt::ShiftModifier, 1, 2},
        {QEvent::MouseButtonPress, Qt::LeftButton, Qt::ControlModifier, 0, 4},
        {QEvent::MouseButtonRelease, Qt::LeftButton, Qt::AltModifier, 0, 8},
        {QEvent::MouseButtonPress, Qt::LeftButton, Qt::ShiftModifier | Qt::ControlModifier, 0, 0},
        {QEvent::MouseButtonPress, Qt::MiddleButton, Qt::KeypadModifier, 1, 0},
        {QEvent::MouseMove, Qt::NoButton, Qt::ShiftModifier, 1, 2},
    };
    for (const Case& c : cases) {
        QMouseEvent ev(c.type, QPointF(31, 47), QPointF(31, 47), c.button, c.button, c.mods);
        auto scene = CPreviewBase::makeSceneEvent(&ev);
        EXPECT_EQ(c.wantButton, scene->button) << int(c.button);
        EXPECT_EQ(c.wantMods, scene->modifiers) << int(c.mods);
        EXPECT_EQ(31, scene->x);
        EXPECT_EQ(47, scene->y);
    }
}

TEST(PreviewBase, RightClickOnASourceOpensTheSourceMenu)
{
    engineWithDesktop();
    CPreviewBase preview;
    preview.setStyleSheet("background-color: rgb(130, 130, 130);");
    // Mouse before the first resize: no view, only the base handling.
    click(&preview, Qt::RightButton, QPoint(10, 10));
    EXPECT_EQ(nullptr, preview.view());

    preview.move(800, 500);
    preview.resize(480, 360);
    preview.show();
    ASSERT_TRUE(waitUntil([&] { return preview.isVisible() && preview.view(); }));
    // The source has a size in the scene once its first picture came.
    ASSERT_TRUE(waitUntil(
        [&] {
            auto probe = std::make_shared<SceneMouseEvent>(SceneMouseEvent{1, 0, 240, 180});
            const bool hit = preview.view()->OnMouseDown(probe) != nullptr;
            preview.view()->OnMouseUp(probe);
            return hit;
        },
        20000));

    QStringList shown;
    QString shownFor;
    QObject::connect(&preview, &CPreviewBase::contextMenuShown, [&](QMenu* menu, QString source) {
        shownFor = source;
        for (QAction* a : menu->actions()) {
            shown << a->text();
            EXPECT_TRUE(a->shortcut().isEmpty());
        }
        QTimer::singleShot(50, menu, [menu] {
            menu->grab().save(QString::fromStdString(testsupport::screenshotPath("preview_source_menu.png")));
            menu->close();
        });
    });
    struct Case {
        Qt::MouseButton button;
        QPoint at;
        bool menu;
    };
    const Case cases[] = {
        {Qt::RightButton, {240, 10}, false},  // the grey bar: no source there
        {Qt::LeftButton, {240, 180}, false},  // a source, but the left button
        {Qt::RightButton, {240, 180}, true},
    };
    for (const Case& c : cases) {
        shown.clear();
        click(&preview, c.button, c.at);
        EXPECT_EQ(c.menu, !shown.isEmpty()) << c.at.x() << "," << c.at.y() << " button " << int(c.button);
    }
    EXPECT_EQ(QString(kDesktop), shownFor);
    EXPECT_EQ(QStringList({"delete", "rename", "Up", "Down", "top", "Bottom", "Original proportional stretch",
                           "Properties"}),
              shown);
    QGuiApplication::primaryScreen()
        ->grabWindow(preview.winId())
        .save(QString::fromStdString(testsupport::screenshotPath("preview_scene.png")));
}

TEST(PreviewBase, OutputSizeChangeRemakesTheViewOnlyWhileShown)
{
    engineWithDesktop();
    CBroadcastEngine* wrapper = CBroadcastEngine::instance();
    CPreviewBase preview;
    preview.resize(320, 180);
    preview.show();
    ASSERT_TRUE(waitUntil([&] { return preview.view() != nullptr; }));
    const int made = preview.viewsMade();

    wrapper->OnOutputSizeChange(1280, 720);  // as the engine's thread would
    ASSERT_TRUE(waitUntil([&] { return preview.viewsMade() == made + 1; }));

    preview.hide();
    wrapper->OnOutputSizeChange(1920, 1080);
    QCoreApplication::processEvents();
    QCoreApplication::processEvents();
    EXPECT_EQ(made + 1, preview.viewsMade()) << "hidden: the view stays";

    preview.resize(400, 225);
    preview.show();
    ASSERT_TRUE(waitUntil([&] { return preview.viewsMade() > made + 1; })) << "the next resize re-makes it";
}

TEST(PreviewBase, DraggingTheAreaInThePreviewMovesAndResizesTheCapturedRegion)
{
    const char* const kArea = "区域捕获";
    IBroadcastEngine* engine = engineWithDesktop();
    engine->RemoveSource(kDesktop);
    if (!engine->HasSource(kArea))
        engine->AddSource(Broadcast::kSourceArea, kArea, "default_scene");
    engine->SetSourceOrder(kArea, 10);
    CPreviewBase preview;
    // 480 wide: the canvas shows at a quarter of its size, 15 pixels down
    // (canvas x, y at x / 4, 15 + y / 4). The 1600x1000 screen stands on it
    // at 96,0 1728x1080: 24,15 432x270 here.
    preview.move(700, 400);
    preview.resize(480, 300);
    preview.show();
    QSignalSpy selected(CBroadcastEngine::instance(), &CBroadcastEngine::signalSourceSelectionChange);
    ASSERT_TRUE(waitUntil([&] { return preview.isVisible() && preview.view(); }));
    ASSERT_TRUE(waitUntil(
        [&] {
            send(&preview, QEvent::MouseButtonPress, QPoint(240, 150));
            send(&preview, QEvent::MouseButtonRelease, QPoint(240, 150));
            return selected.count() > 0;
        },
        20000))
        << "the area is not selected";
    EXPECT_EQ(QString(kArea), selected.first().at(0).toString());
    EXPECT_TRUE(selected.first().at(1).toBool());

    auto area = IMonitorCaptureSourceProperty::create(kArea, true);
    struct Case {
        const char* what;
        QPoint from, to;
        SceneRect placed;  // canvas pixels
        SceneRect region;  // screen pixels
    };
    const Case cases[] = {
        {"the lower right handle", {456, 285}, {336, 210}, {96, 0, 1248, 780}, {0, 0, 1154, 722}},
        {"the inside", {100, 100}, {180, 140}, {416, 160, 1248, 780}, {296, 148, 1154, 722}},
        {"the left handle", {104, 152}, {154, 152}, {616, 160, 1048, 780}, {481, 148, 970, 722}},
        {"past the screen's edge", {300, 100}, {700, 100}, {776, 160, 1048, 780}, {629, 148, 970, 722}},
        {"outside every source", {5, 5}, {60, 60}, {776, 160, 1048, 780}, {629, 148, 970, 722}},
    };
    for (const Case& c : cases) {
        drag(&preview, c.from, c.to);
        SceneRect placed, region;
        ASSERT_TRUE(engine->GetSourceRect(kArea, &placed));
        ASSERT_TRUE(area->GetCaptureRegion(&region));
        const auto text = [](const SceneRect& r) {
            return std::to_string(r.x) + "," + std::to_string(r.y) + " " + std::to_string(r.w) + "x" +
                   std::to_string(r.h);
        };
        EXPECT_EQ(text(c.placed), text(placed)) << c.what;
        EXPECT_EQ(text(c.region), text(region)) << c.what;
    }
    // Selected again (a click leaves it where it is), the outline stands on
    // the area, not on the canvas: red at its corner, none at the canvas's.
    send(&preview, QEvent::MouseButtonPress, QPoint(400, 150));
    send(&preview, QEvent::MouseButtonRelease, QPoint(400, 150));
    QImage shot;
    const bool outlined = waitUntil([&] {
        shot = QGuiApplication::primaryScreen()->grabWindow(preview.winId()).toImage();
        return !shot.isNull() && shot.pixelColor(776 / 4, 15 + 160 / 4) == QColor(255, 48, 48);
    });
    shot.save(QString::fromStdString(testsupport::screenshotPath("preview_area_edited.png")));
    EXPECT_TRUE(outlined);
    EXPECT_NE(QColor(255, 48, 48), shot.pixelColor(1, 16));
    engine->RemoveSource(kArea);
}
