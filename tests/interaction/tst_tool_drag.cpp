// The room's tool panels move with the mouse: a left press within a panel's
// top 40 pixels and a move with the button held carry the panel along; a
// press lower down, another button, or a move after the release leave it.
#include "tests/widgets/WidgetTestUtil.h"

#include "interaction/CountdownWidget.h"
#include "interaction/LotteryResultWidget.h"
#include "interaction/LotteryWidget.h"
#include "interaction/NewTopMsgWdg.h"
#include "interaction/QuestionResultWidget.h"
#include "interaction/QuestionWidget.h"

#include <gtest/gtest.h>

#include <QWidget>

#include <functional>
#include <memory>

using widgettest::sendMouse;

namespace {

// Presses at local with button, moves by delta with the button held,
// releases; then moves again with no button.
void Drag(QWidget* w, QPoint local, QPoint delta, Qt::MouseButton button = Qt::LeftButton)
{
    const QPoint g = w->mapToGlobal(local);
    sendMouse(w, QEvent::MouseButtonPress, local, button, button, g);
    sendMouse(w, QEvent::MouseMove, local + delta, Qt::NoButton, button, g + delta);
    sendMouse(w, QEvent::MouseButtonRelease, local + delta, button, Qt::NoButton, g + delta);
    sendMouse(w, QEvent::MouseMove, local + delta * 2, Qt::NoButton, Qt::NoButton, g + delta * 2);
}

}  // namespace

TEST(ToolPanels, DragByTheTopBandOnly)
{
    QWidget room;
    room.resize(1200, 800);
    const struct {
        const char* name;
        std::function<QWidget*(QWidget*)> make;
    } panels[] = {
        {"countdown", [](QWidget* p) -> QWidget* { return new CountdownWidget(p); }},
        {"lottery set-up", [](QWidget* p) -> QWidget* { return new LotteryWidget(p); }},
        {"lottery result", [](QWidget* p) -> QWidget* { return new LotteryResultWidget(p); }},
        {"notice editor", [](QWidget* p) -> QWidget* { return new NewTopMsgWdg(p); }},
        {"quiz set-up", [](QWidget* p) -> QWidget* { return new QuestionWidget(p); }},
        {"quiz statistics", [](QWidget* p) -> QWidget* { return new QuestionResultWidget(p); }},
    };
    const struct {
        const char* how;
        QPoint press;
        Qt::MouseButton button;
        bool moves;
    } drags[] = {
        {"in the band", {60, 10}, Qt::LeftButton, true},
        {"at the band's last row", {60, 39}, Qt::LeftButton, true},
        {"below the band", {60, 40}, Qt::LeftButton, false},
        {"right button", {60, 10}, Qt::RightButton, false},
    };
    for (const auto& p : panels) {
        std::unique_ptr<QWidget> panel(p.make(&room));
        for (const auto& d : drags) {
            panel->move(200, 150);
            Drag(panel.get(), d.press, {35, -20}, d.button);
            EXPECT_EQ(panel->pos(), d.moves ? QPoint(235, 130) : QPoint(200, 150)) << p.name << ", " << d.how;
        }
    }
}
