// test-labels: xvfb
// The scene preview on the real engine: the mouse records it hands the
// engine's view, the source menu, and when the view is re-made.
#include "media/CBroadcastEngine.h"
#include "media/CPreviewBase.h"

#include <QAction>
#include <QApplication>
#include <QMenu>
#include <QMouseEvent>
#include <QScreen>
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
