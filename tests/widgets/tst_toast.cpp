// Toasts and the praise animation: placement, look and lifetime on a test
// animation clock.
#include "widgets/AniToast.h"
#include "widgets/Toast.h"
#include "tests/widgets/ManualAnimationClock.h"
#include "tests/widgets/WidgetTestUtil.h"
#include "QtWait.h"

#include <gtest/gtest.h>

#include <QGraphicsOpacityEffect>
#include <QGuiApplication>
#include <QLabel>
#include <QPainter>
#include <QPointer>
#include <QScreen>
#include <QVBoxLayout>

using widgettest::ManualAnimationClock;

namespace {

template <typename T>
T* onlyChild(QWidget* w)
{
    const auto all = w->findChildren<T*>();
    return all.size() == 1 ? all.first() : nullptr;
}

Toast* parentlessToast()
{
    for (QWidget* w : QApplication::topLevelWidgets())
        if (auto* t = qobject_cast<Toast*>(w))
            return t;
    return nullptr;
}

// A room-like window with a child panel, at (100, 50), 640 x 400.
struct Host : QWidget {
    QWidget* panel;
    Host()
    {
        setStyleSheet("background: #2E3B44;");
        setGeometry(100, 50, 640, 400);
        panel = new QWidget(this);
        panel->setGeometry(20, 300, 120, 80);
        show();
    }
};

// The window with its toast windows drawn where they lie, for a reviewer.
void saveWithOverlays(QWidget* host, const QList<QWidget*>& overlays, const char* name)
{
    QImage shot = host->grab().toImage();
    QPainter p(&shot);
    for (QWidget* w : overlays)
        p.drawPixmap(host->mapFromGlobal(w->mapToGlobal(QPoint(0, 0))), w->grab());
    p.end();
    shot.save(QString::fromStdString(testsupport::screenshotPath(name)));
}

}  // namespace

TEST(Toast, CentredOnTheParentsWindowAndLooksLikeAPill)
{
    ManualAnimationClock clock;
    Host host;
    Toast::ShowToast("课件上传成功", host.panel, 3000);
    Toast* toast = onlyChild<Toast>(&host);
    ASSERT_NE(toast, nullptr);
    EXPECT_EQ(int(toast->windowFlags()), 0xC0803);
    EXPECT_TRUE(toast->testAttribute(Qt::WA_TranslucentBackground));
    EXPECT_TRUE(toast->testAttribute(Qt::WA_TransparentForMouseEvents));
    EXPECT_TRUE(toast->testAttribute(Qt::WA_DeleteOnClose));
    EXPECT_EQ(toast->focusPolicy(), Qt::NoFocus);
    EXPECT_EQ(toast->height(), 52);
    QLabel* label = toast->findChild<QLabel*>("label");
    EXPECT_EQ(label->text(), "课件上传成功");
    EXPECT_GE(toast->width(), label->fontMetrics().horizontalAdvance("课件上传成功") + 50);
    // Centred on the panel's top-level window, not on the panel.
    const QPoint expected = host.mapToGlobal(host.rect().center() - QPoint(toast->width() / 2, 26));
    EXPECT_EQ(toast->pos(), expected);
    EXPECT_TRUE(toast->isVisible());
    clock.step(1200);
    saveWithOverlays(&host, {toast}, "toast-on-window.png");
    host.close();
}

TEST(Toast, WithoutParentCentredOnTheScreenOrAtTheOriginWhenTooWide)
{
    ManualAnimationClock clock;
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    Toast::ShowToast("网络已断开", nullptr, 3000);
    QPointer<Toast> narrow = parentlessToast();
    ASSERT_FALSE(narrow.isNull());
    EXPECT_EQ(narrow->pos(),
              QPoint((screen.width() - narrow->width()) / 2, (screen.height() - narrow->height()) / 2));
    narrow->close();
    widgettest::flushDeletes();

    Toast::ShowToast(QString("很长的提示").repeated(screen.width() / 40 + 10), nullptr, 3000);
    QPointer<Toast> wide = parentlessToast();
    ASSERT_FALSE(wide.isNull());
    EXPECT_GT(wide->width(), screen.width());
    EXPECT_EQ(wide->pos(), QPoint(0, 0));
    wide->close();
    widgettest::flushDeletes();
}

// A toast fades in over a second, stays msec in all, fades out over a
// second and is deleted: msec + 1000 ms. A stay shorter than the fade-in
// starts the fade-out while it is still fading in.
TEST(Toast, LifetimeFollowsTheAnimationClock)
{
    const struct {
        int msec;
        QList<QPair<int, double>> opacities;  // (ms after the call, expected opacity)
        int aliveAt;
        int goneBy;
    } cases[] = {
        {3000, {{500, 0.5}, {1000, 1.0}, {2500, 1.0}, {3500, 0.5}}, 3900, 4100},
        {500, {{250, 0.25}, {700, 0.8}, {1200, 0.3}}, 1400, 1600},
        {0, {{500, 0.5}}, 900, 1100},
    };
    for (const auto& c : cases) {
        ManualAnimationClock clock;
        Host host;
        Toast::ShowToast("已开始录制", &host, c.msec);
        QPointer<Toast> toast = onlyChild<Toast>(&host);
        ASSERT_FALSE(toast.isNull());
        for (const auto& o : c.opacities) {
            clock.stepTo(o.first);
            ASSERT_FALSE(toast.isNull()) << c.msec << " at " << o.first;
            EXPECT_NEAR(toast->windowOpacity(), o.second, 0.05) << c.msec << " at " << o.first;
        }
        clock.stepTo(c.aliveAt);
        EXPECT_FALSE(toast.isNull()) << c.msec;
        clock.stepTo(c.goneBy);
        EXPECT_TRUE(toast.isNull()) << c.msec;
    }
}

TEST(Toast, GoesWithItsParent)
{
    ManualAnimationClock clock;
    auto* host = new Host;
    Toast::ShowToast("再见", host, 3000);
    QPointer<Toast> toast = onlyChild<Toast>(host);
    ASSERT_FALSE(toast.isNull());
    delete host;
    EXPECT_TRUE(toast.isNull());
    clock.step(5000);  // its animations went with it
}

TEST(AniToast, FadeOverSizesFromTheParentAndLivesFourSeconds)
{
    const struct {
        QSize parent;
        int side;
    } cases[] = {{{200, 120}, 70}, {{1000, 800}, 300}, {{340, 400}, 290}};
    for (const auto& c : cases) {
        ManualAnimationClock clock;
        QWidget tile;
        tile.setGeometry(50, 60, c.parent.width(), c.parent.height());
        tile.show();
        QPointer<AniToast> ani = AniToast::ShowAni(AniToast::FadeOver, &tile);
        ASSERT_FALSE(ani.isNull());
        EXPECT_TRUE(ani->isWindow());
        EXPECT_TRUE(ani->windowFlags().testFlag(Qt::Tool));
        EXPECT_TRUE(ani->windowFlags().testFlag(Qt::WindowTransparentForInput));
        EXPECT_EQ(ani->size(), QSize(c.side, c.side));
        EXPECT_EQ(ani->pos(), tile.mapToGlobal(tile.rect().center() - QPoint(c.side / 2, c.side / 2)));
        auto* effect = qobject_cast<QGraphicsOpacityEffect*>(ani->graphicsEffect());
        ASSERT_NE(effect, nullptr);
        clock.stepTo(750);
        EXPECT_NEAR(effect->opacity(), 0.5, 0.05);
        clock.stepTo(2000);
        EXPECT_NEAR(effect->opacity(), 1.0, 0.01);
        if (c.side == 300)
            saveWithOverlays(&tile, {ani}, "anitoast-fade-over.png");
        clock.stepTo(3900);
        EXPECT_FALSE(ani.isNull());
        clock.stepTo(4100);
        EXPECT_TRUE(ani.isNull());
    }
}

TEST(AniToast, EitherModeGoesWithItsParentMidAnimation)
{
    // The fading one is a window of its own, not the parent's child.
    for (int mode : {int(AniToast::FadeOver), int(AniToast::GrowAndSpin)}) {
        SCOPED_TRACE(mode);
        ManualAnimationClock clock;
        auto* tile = new QWidget;
        tile->resize(400, 300);
        tile->show();
        QPointer<AniToast> ani = AniToast::ShowAni(mode, tile);
        ASSERT_FALSE(ani.isNull());
        clock.stepTo(1000);
        delete tile;
        EXPECT_TRUE(ani.isNull());
        clock.step(6000);  // its animations went with it
    }
}

TEST(AniToast, GrowAndSpinThenFlipsThreeFramesAndFades)
{
    ManualAnimationClock clock;
    QWidget window;
    window.setStyleSheet("background: #2E3B44;");
    window.resize(800, 600);
    window.show();
    QPointer<AniToast> ani = AniToast::ShowAni(AniToast::GrowAndSpin, &window);
    ASSERT_FALSE(ani.isNull());
    EXPECT_EQ(ani->parentWidget(), &window);
    EXPECT_FALSE(ani->isWindow());
    const QPoint c = window.rect().center();
    clock.step(20);
    EXPECT_NEAR(ani->x(), c.x(), 5);
    EXPECT_GT(ani->y(), window.height() - 60);
    clock.stepTo(1500);
    EXPECT_NEAR(ani->rotation(), 360.0, 10.0);
    saveWithOverlays(&window, {}, "anitoast-grow-and-spin.png");
    clock.stepTo(3050);
    EXPECT_EQ(ani->geometry(), QRect(c.x() - 150, c.y() - 150, 300, 300));
    EXPECT_DOUBLE_EQ(ani->rotation(), 720.0);
    EXPECT_EQ(ani->frameCount(), 0);
    // The frames flip on a 500 ms timer of the widget itself.
    ASSERT_TRUE(testsupport::waitUntil([&] { return ani->frameCount() == 4; }, 20000));
    ASSERT_FALSE(ani.isNull());
    ASSERT_NE(qobject_cast<QGraphicsOpacityEffect*>(ani->graphicsEffect()), nullptr);
    clock.step(1100);
    EXPECT_TRUE(ani.isNull());
}
