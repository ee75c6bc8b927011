// The drawing tool menu: its form and groups, each choice as the whiteboard
// library's state and the bar's tool, the random pen colour, the font size
// the whiteboard reports, and the colour swatch.
#include "tests/courseware/DrawToolTestUtil.h"
#include "courseware/ColorButton.h"
#include "app/GEosObserver.h"
#include "tests/widgets/WidgetTestUtil.h"

#include <QButtonGroup>
#include <QGridLayout>
#include <QImage>
#include <QStackedWidget>

using drawtest::DrawToolTest;
using namespace drawtest;

TEST_F(DrawToolTest, MenuFormGroupsAndStartingChoices)
{
    makeBar();
    EXPECT_EQ(menu->objectName(), "DrawToolMenuForm");
    EXPECT_EQ(menu->windowTitle(), "Form");
    EXPECT_TRUE(menu->windowFlags().testFlag(Qt::Tool));
    EXPECT_TRUE(menu->windowFlags().testFlag(Qt::FramelessWindowHint));
    EXPECT_TRUE(menu->hasMouseTracking());
    auto* stack = menu->findChild<QStackedWidget*>("stackedWidget");
    ASSERT_EQ(stack->count(), 3);
    EXPECT_EQ(stack->widget(0)->objectName(), "penPage");
    EXPECT_EQ(stack->widget(1)->objectName(), "textPage");
    EXPECT_EQ(stack->widget(2)->objectName(), "graphPage");
    EXPECT_EQ(stack->currentWidget()->objectName(), "graphPage");
    EXPECT_EQ(menu->GetPenColor(), 0xfd2c0a);
    EXPECT_EQ(menu->GetTextColor(), 0xfd2c0a);

    const struct {
        QButtonGroup* group;
        QList<QPair<const char*, int>> buttons;
        const char* checked;
    } groups[] = {
        {menu->GetPenWidthGroup(), {{"lineWidth1Btn", 2}, {"lineWidth2Btn", 4}, {"lineWidth3Btn", 6}, {"lineWidth4Btn", 8}},
         "lineWidth1Btn"},
        {menu->GetFontSizeGroup(), {{"fontSize1Btn", 14}, {"fontSize2Btn", 18}, {"fontSize3Btn", 24}, {"fontSize4Btn", 36}},
         "fontSize1Btn"},
        {menu->GetShapeGroup(), {{"arrowBtn", 6}, {"lineBtn", 3}, {"rectBtn", 5}, {"circleBtn", 7}, {"noneBtn", 0}},
         "noneBtn"},
    };
    for (const auto& g : groups) {
        EXPECT_TRUE(g.group->exclusive());
        for (const auto& b : g.buttons) {
            QAbstractButton* button = menuButton(b.first);
            ASSERT_NE(button, nullptr) << b.first;
            EXPECT_EQ(g.group->id(button), b.second) << b.first;
            EXPECT_TRUE(button->isCheckable()) << b.first;
            EXPECT_EQ(button->size(), QSize(20, 20)) << b.first;
        }
        EXPECT_EQ(g.group->checkedButton()->objectName(), g.checked);
    }
    EXPECT_EQ(menuButton("lineWidth3Btn")->text(), "6");
    EXPECT_EQ(menuButton("fontSize4Btn")->text(), "36");
    EXPECT_EQ(menuButton("noneBtn")->text(), "None");
    EXPECT_TRUE(menuButton("arrowBtn")->isHidden());
    EXPECT_TRUE(menuButton("noneBtn")->isHidden());

    for (QButtonGroup* colours : {menu->GetPenColorGroup(), menu->GetTextColorGroup()}) {
        const QList<QAbstractButton*> swatches = colours->buttons();
        ASSERT_EQ(swatches.size(), 12);
        EXPECT_EQ(colours->checkedButton(), swatches.first());
        auto* grid = qobject_cast<QGridLayout*>(swatches.first()->parentWidget()->layout());
        ASSERT_NE(grid, nullptr);
        for (int i = 0; i < 12; ++i) {
            auto* swatch = qobject_cast<ColorButton*>(swatches[i]);
            ASSERT_NE(swatch, nullptr);
            EXPECT_EQ(swatch->GetColor(), DrawToolMenuWidget::Colors[i]);
            EXPECT_EQ(swatch->size(), QSize(20, 20));
            int row, column, rs, cs;
            grid->getItemPosition(grid->indexOf(swatch), &row, &column, &rs, &cs);
            EXPECT_EQ(QPoint(column, row), QPoint(i % 4, i / 4)) << i;
        }
    }
    EXPECT_EQ(menu->findChild<QGridLayout*>("penColorGridLayout")->count(), 12);
    EXPECT_EQ(menu->findChild<QGridLayout*>("textColorGridLayout")->count(), 12);
}

TEST_F(DrawToolTest, EachMenuChoiceGoesToTheBoardAndSelectsItsTool)
{
    makeBar();
    bar->InitToolBar();
    // From the shapes tool, a pen colour switches the bar to the pen.
    QTest::mouseClick(button("graphBtn"), Qt::LeftButton);
    ASSERT_EQ(tool(), WBTool_Line);
    QTest::mouseClick(menu->GetPenColorGroup()->buttons().at(5), Qt::LeftButton);
    EXPECT_EQ(penColor(), 0x0097f0U);
    EXPECT_EQ(menu->GetPenColor(), 0x0097f0);
    EXPECT_EQ(tool(), WBTool_Pen);
    EXPECT_TRUE(button("penBtn")->isChecked());
    EXPECT_EQ(button("penBtn")->GetMarkColor(), 0x0097f0);

    const struct {
        const char* name;
        int width;
    } widths[] = {{"lineWidth4Btn", 8}, {"lineWidth2Btn", 4}, {"lineWidth3Btn", 6}, {"lineWidth1Btn", 2}};
    for (const auto& w : widths) {
        QTest::mouseClick(menuButton(w.name), Qt::LeftButton);
        EXPECT_EQ(penWidth(), w.width) << w.name;
        EXPECT_EQ(tool(), WBTool_Pen);
    }

    // Text colour and size: the text tool (code 4) on the text button (id 3).
    QTest::mouseClick(menu->GetTextColorGroup()->buttons().at(2), Qt::LeftButton);
    EXPECT_EQ(textColor(), 0xffd400U);
    EXPECT_EQ(tool(), WBTool_Text);
    EXPECT_EQ(bar->GetToolGroup()->checkedId(), 3);
    EXPECT_EQ(button("textBtn")->GetMarkColor(), 0xffd400);
    EXPECT_EQ(button("penBtn")->GetMarkColor(), 0x0097f0);
    const struct {
        const char* name;
        int size;
    } sizes[] = {{"fontSize3Btn", 24}, {"fontSize4Btn", 36}, {"fontSize2Btn", 18}};
    for (const auto& s : sizes) {
        QTest::mouseClick(button("moveBtn"), Qt::LeftButton);
        QTest::mouseClick(menuButton(s.name), Qt::LeftButton);
        EXPECT_EQ(fontSize(), s.size) << s.name;
        EXPECT_EQ(tool(), WBTool_Text) << s.name;
    }

    // Choosing the pen resends its colour and width; the shape goes back to none.
    QTest::mouseClick(menuButton("rectBtn"), Qt::LeftButton);
    EXPECT_EQ(tool(), WBTool_Rect);
    wb()->SetPenColor(0x123456);
    wb()->SetPenWidth(30);
    QTest::mouseClick(button("penBtn"), Qt::LeftButton);
    EXPECT_EQ(tool(), WBTool_Pen);
    EXPECT_EQ(penColor(), 0x0097f0U);
    EXPECT_EQ(penWidth(), 2);
    EXPECT_TRUE(menuButton("noneBtn")->isChecked());
    // ... so the next shapes choice starts from the line again.
    QTest::mouseClick(button("graphBtn"), Qt::LeftButton);
    EXPECT_EQ(tool(), WBTool_Line);
    EXPECT_TRUE(menuButton("lineBtn")->isChecked());

    wb()->SetTextColor(0x123456);
    wb()->SetFontSize(50);
    QTest::mouseClick(button("textBtn"), Qt::LeftButton);
    EXPECT_EQ(textColor(), 0xffd400U);
    EXPECT_EQ(fontSize(), 18);
    EXPECT_EQ(tool(), WBTool_Text);
}

TEST_F(DrawToolTest, RandomColourFollowsTheClockAndIsNeverWhite)
{
    makeBar();
    bar->InitToolBar();
    for (qint64 second = 1700000000; second < 1700000000 + 24; ++second) {
        menu->SelectRandomColorAt(second);
        const int index = int(second % 12);
        const int want = DrawToolMenuWidget::Colors[index == DrawToolMenuWidget::WhiteIndex ? 0 : index];
        EXPECT_EQ(menu->GetPenColor(), want) << second;
        EXPECT_NE(menu->GetPenColor(), 0xffffff);
        EXPECT_EQ(penColor(), QRgb(want));
        EXPECT_EQ(tool(), WBTool_Pen);
    }
    bar->SelectRandomColor();
    EXPECT_NE(menu->GetPenColor(), 0xffffff);
}

TEST_F(DrawToolTest, ReportedFontSizeChecksItsButtonWithoutChoosingATool)
{
    makeBar();
    bar->InitToolBar();
    ASSERT_EQ(tool(), WBTool_Pen);
    const struct {
        int reported;
        const char* checked;
    } table[] = {{18, "fontSize2Btn"}, {36, "fontSize4Btn"}, {20, "fontSize4Btn"}, {14, "fontSize1Btn"}};
    for (const auto& t : table) {
        emit Room::instance()->sgWBLibCmd(RsWB_FontSize, QVariantMap{{"fontSize", t.reported}});
        EXPECT_EQ(fontSize(), t.reported) << t.reported;  // sent back as reported
        EXPECT_EQ(menu->GetFontSizeGroup()->checkedButton()->objectName(), t.checked) << t.reported;
        EXPECT_EQ(tool(), WBTool_Pen) << t.reported;
    }
    // Other commands change nothing.
    emit Room::instance()->sgWBLibCmd(RsWB_BackgroundImage, QVariantMap{{"fontSize", 24}});
    EXPECT_EQ(fontSize(), 14);
}

TEST_F(DrawToolTest, HoverMessagesOfTheWrongShapeAreIgnored)
{
    makeBar();
    QWidget* pen = button("penBtn");
    GEosPublish("enterOperateBtnEvent", {2});
    GEosPublish("enterOperateBtnEvent", {2, QVariant::fromValue<QWidget*>(pen), 3});
    GEosPublish("enterOperateBtnEvent", {2, QVariant()});
    EXPECT_TRUE(menu->isHidden());
    GEosPublish("enterOperateBtnEvent", {2, QVariant::fromValue<QWidget*>(pen)});
    EXPECT_TRUE(menu->isVisible());
    GEosPublish("enterOperateBtnEvent", {7, QVariant::fromValue<QWidget*>(pen)});
    EXPECT_TRUE(menu->isHidden());
    // A disabled button announces nothing.
    pen->setEnabled(false);
    QEvent enter(QEvent::Enter);
    QApplication::sendEvent(pen, &enter);
    EXPECT_TRUE(menu->isHidden());
}

TEST(ColorButton, PaintsItsSwatchAndACheckedOutline)
{
    ColorButton swatch(0x98cd46);
    EXPECT_EQ(swatch.size(), QSize(20, 20));
    const QImage plain = swatch.grab().toImage();
    EXPECT_EQ(plain.pixelColor(10, 10), QColor(0x98, 0xcd, 0x46));
    EXPECT_EQ(plain.pixelColor(3, 3), QColor(0x98, 0xcd, 0x46));
    EXPECT_EQ(plain.pixelColor(16, 16), QColor(0x98, 0xcd, 0x46));
    swatch.setChecked(true);
    const QImage checked = swatch.grab().toImage();
    EXPECT_EQ(checked.pixelColor(1, 10), QColor(Qt::white));
    EXPECT_NE(plain.pixelColor(1, 10), QColor(Qt::white));
    widgettest::saveScreenshot(&swatch, "draw-tool-color-button.png");
}
