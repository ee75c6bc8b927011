// The frameless window helper: moving, resizing from the border, resize
// cursors, and giving windows their flags back.
#include "widgets/NcFramelessHelper.h"
#include "tests/widgets/WidgetTestUtil.h"

#include <gtest/gtest.h>

#include <QHoverEvent>
#include <QPointer>

#include <memory>

namespace {

using widgettest::sendMouse;

// A window at (100, 100), 300 x 200, at least 250 x 150, attached to the
// helper before it is shown (as the dialogs that use the helper do).
struct Window : QWidget {
    explicit Window(NcFramelessHelper* helper = nullptr)
    {
        setMinimumSize(250, 150);
        setGeometry(100, 100, 300, 200);
        if (helper)
            helper->attachWidget(this);
        show();
    }
};

// The edge or corner under the pointer follows it: the new edge lies where
// the pointer is. (A window's unset cursor reads as the arrow.)
// Presses at a local point, drags by delta, releases.
void drag(QWidget* w, QPoint local, QPoint delta)
{
    const QPoint g = w->mapToGlobal(local);
    sendMouse(w, QEvent::MouseButtonPress, local, Qt::LeftButton, Qt::LeftButton, g);
    sendMouse(w, QEvent::MouseMove, local + delta, Qt::NoButton, Qt::LeftButton, g + delta);
    sendMouse(w, QEvent::MouseButtonRelease, local + delta, Qt::LeftButton, Qt::NoButton, g + delta);
}

void hover(QWidget* w, QPoint local)
{
    QHoverEvent e(QEvent::HoverMove, local, local);
    QApplication::sendEvent(w, &e);
}

}  // namespace

TEST(NcFramelessHelper, DragMovesOrResizesByWhereItStarts)
{
    const struct {
        const char* what;
        bool resizable;
        QPoint press;
        QPoint delta;
        QRect after;
    } cases[] = {
        {"5 px inside the left border resizes", true, {5, 100}, {-10, 0}, {95, 100, 305, 200}},
        {"6 px inside moves", true, {6, 100}, {-10, 0}, {90, 100, 300, 200}},
        {"border with resizing off moves", false, {5, 100}, {-10, 7}, {90, 107, 300, 200}},
        {"bottom-right corner", true, {298, 198}, {20, 30}, {100, 100, 319, 229}},
        {"top-left corner", true, {2, 2}, {-4, -6}, {98, 96, 302, 204}},
        {"top edge", true, {150, 1}, {0, -10}, {100, 91, 300, 209}},
        {"left edge below the minimum width stays", true, {1, 100}, {80, 0}, {100, 100, 300, 200}},
        {"right edge below the minimum width stays", true, {299, 100}, {-80, 0}, {100, 100, 300, 200}},
        {"bottom edge below the minimum height stays", true, {150, 199}, {0, -80}, {100, 100, 300, 200}},
        {"left edge past the right edge changes nothing", true, {1, 100}, {400, 0}, {100, 100, 300, 200}},
    };
    for (const auto& c : cases) {
        NcFramelessHelper helper;
        Window w(&helper);
        helper.setResizable(c.resizable);
        drag(&w, c.press, c.delta);
        EXPECT_EQ(w.geometry(), c.after) << c.what;
    }

    NcFramelessHelper helper;
    Window w(&helper);
    helper.setMovable(false);
    drag(&w, {150, 100}, {30, 30});
    EXPECT_EQ(w.geometry(), QRect(100, 100, 300, 200)) << "not movable";
    drag(&w, {150, 100}, {30, 30});
    sendMouse(&w, QEvent::MouseButtonPress, {150, 100}, Qt::RightButton, Qt::RightButton);
    sendMouse(&w, QEvent::MouseMove, {170, 100}, Qt::NoButton, Qt::RightButton);
    EXPECT_EQ(w.geometry(), QRect(100, 100, 300, 200)) << "right button";
}

TEST(NcFramelessHelper, HoverShowsResizeCursorsOnlyWhereResizing)
{
    const struct {
        QPoint at;
        Qt::CursorShape shape;
    } cases[] = {
        {{2, 2}, Qt::SizeFDiagCursor},    {{298, 198}, Qt::SizeFDiagCursor}, {{298, 2}, Qt::SizeBDiagCursor},
        {{2, 198}, Qt::SizeBDiagCursor},  {{3, 100}, Qt::SizeHorCursor},     {{297, 100}, Qt::SizeHorCursor},
        {{150, 4}, Qt::SizeVerCursor},    {{150, 196}, Qt::SizeVerCursor},
    };
    NcFramelessHelper helper;
    Window w(&helper);
    for (const auto& c : cases) {
        hover(&w, c.at);
        EXPECT_EQ(w.cursor().shape(), c.shape) << c.at.x() << "," << c.at.y();
        hover(&w, {150, 100});
        EXPECT_EQ(w.cursor().shape(), Qt::ArrowCursor) << "inside again";
    }
    // A mouse move without a button updates the cursor the same way; leaving unsets it.
    sendMouse(&w, QEvent::MouseMove, {1, 100}, Qt::NoButton, Qt::NoButton);
    EXPECT_EQ(w.cursor().shape(), Qt::SizeHorCursor);
    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(&w, &leave);
    EXPECT_EQ(w.cursor().shape(), Qt::ArrowCursor);

    helper.setResizable(false);
    hover(&w, {2, 2});
    EXPECT_EQ(w.cursor().shape(), Qt::ArrowCursor) << "resizing off";

    helper.setResizable(true);
    hover(&w, {2, 100});
    w.setWindowState(Qt::WindowMaximized);
    hover(&w, {2, 100});
    EXPECT_EQ(w.cursor().shape(), Qt::ArrowCursor) << "maximised: the earlier cursor is taken back";
    hover(&w, {2, 2});
    EXPECT_EQ(w.cursor().shape(), Qt::ArrowCursor) << "maximised";
}

TEST(NcFramelessHelper, AttachOnceAndDetachRestoresTheWindow)
{
    NcFramelessHelper helper;
    Window w(&helper);
    helper.detachWidget(&w);  // back to hidden, as it was when attached
    EXPECT_FALSE(w.isVisible());
    w.show();
    const Qt::WindowFlags saved = w.windowFlags();
    helper.attachWidget(&w);
    helper.attachWidget(&w);
    EXPECT_TRUE(w.windowFlags().testFlag(Qt::FramelessWindowHint));
    EXPECT_TRUE(w.windowFlags().testFlag(Qt::WindowSystemMenuHint));
    EXPECT_TRUE(w.windowFlags().testFlag(Qt::WindowMinimizeButtonHint));
    EXPECT_TRUE(w.isVisible());
    EXPECT_TRUE(w.hasMouseTracking());
    EXPECT_TRUE(w.testAttribute(Qt::WA_Hover));
    widgettest::saveScreenshot(&w, "frameless-helper-window.png");

    helper.detachWidget(&w);
    EXPECT_EQ(w.windowFlags(), saved);
    EXPECT_TRUE(w.isVisible());
    EXPECT_FALSE(w.hasMouseTracking());
    EXPECT_FALSE(w.testAttribute(Qt::WA_Hover));
    drag(&w, {150, 100}, {30, 30});
    EXPECT_EQ(w.geometry(), QRect(100, 100, 300, 200)) << "no longer watched";

    // A hidden window stays hidden; the helper's end restores what it still watches.
    QWidget hidden;
    const Qt::WindowFlags hiddenFlags = hidden.windowFlags();
    {
        NcFramelessHelper scoped;
        scoped.attachWidget(&hidden);
        EXPECT_FALSE(hidden.isVisible());
    }
    EXPECT_EQ(hidden.windowFlags(), hiddenFlags);
}

TEST(NcFramelessHelper, WindowDestroyedWhileAttachedIsForgotten)
{
    auto helper = std::make_unique<NcFramelessHelper>();
    Window kept(helper.get());
    QPointer<QWidget> w = new Window(helper.get());
    ASSERT_EQ(helper->attachedCount(), 2);
    delete w.data();
    EXPECT_EQ(helper->attachedCount(), 1) << "the destroyed window is forgotten at once";
    helper->detachWidget(w.data());  // null: nothing to do
    EXPECT_EQ(helper->attachedCount(), 1);
    // The helper's end gives the remaining window its frame back and touches
    // nothing of the destroyed one.
    helper.reset();
    EXPECT_FALSE(kept.windowFlags() & Qt::FramelessWindowHint);
}
