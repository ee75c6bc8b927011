// The media-line chooser: geometry and visible lines for 0, 1, 2, 3 and too
// many lines, switching by a click, and a click on the current line.
#include "mainwindow/popups/SwitchLineWidget.h"
#include "tests/mainwindow/ShellTestSupport.h"

#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

namespace {

struct Lines {
    int count;
    int line;
    std::vector<int> switched;  // lines handed to the switch
};

void UseLines(SwitchLineWidget& w, Lines& lines)
{
    w.SetLineSource([&lines] { return QVariantMap{{"count", lines.count}, {"line", lines.line}}; },
                    [&lines](int n) { lines.switched.push_back(n); });
}

QPushButton* Button(SwitchLineWidget& w, int i)
{
    return w.findChild<QPushButton*>(QString("pushButton_%1").arg(i + 1));
}

}  // namespace

TEST(SwitchLineWidget, HeightAndVisibleLinesFollowTheLineCount)
{
    struct Case {
        QVariant count;
        int height;      // after UpdateHeight
        bool shown;      // after ShowLines
        int visible;     // buttons shown
    };
    const Case cases[] = {
        {0, 40, false, 0}, {1, 70, false, 0}, {2, 100, true, 2}, {3, 130, true, 3},
        {6, 220, true, 6}, {50, 220, true, 6}, {-4, 40, false, 0}, {"many", 40, false, 0},
    };
    for (const Case& c : cases) {
        SwitchLineWidget w;
        w.SetLineSource([&c] { return QVariantMap{{"count", c.count}, {"line", 1}}; }, [](int) {});
        w.UpdateHeight();
        w.ShowLines();
        const std::string label = c.count.toString().toStdString();
        EXPECT_EQ(w.height(), c.height) << label;
        EXPECT_EQ(w.width(), 90) << label;
        EXPECT_EQ(w.isVisible(), c.shown) << label;
        if (!c.shown)
            continue;
        int visible = 0;
        for (int i = 0; i < SwitchLineWidget::kMaxLines; ++i) {
            visible += Button(w, i)->isVisible();
            EXPECT_EQ(Button(w, i)->property("index").toInt(), i);
            EXPECT_EQ(Button(w, i)->isChecked(), i == 1) << label << " button " << i;
        }
        EXPECT_EQ(visible, c.visible) << label;
        if (c.count == 3) {
            shelltest::UseProgramStyle();
            shelltest::Screenshot(&w, "switch_line_three_lines.png");
        }
    }
}

TEST(SwitchLineWidget, ClickOnAnotherLineSwitchesOnceAndHides)
{
    SwitchLineWidget w;
    Lines lines{3, 0, {}};
    UseLines(w, lines);
    QSignalSpy switched(&w, &SwitchLineWidget::sgSwitchLine);

    w.UpdateHeight();
    w.ShowLines();
    ASSERT_TRUE(w.isVisible());
    QTest::mouseClick(Button(w, 0), Qt::LeftButton);  // the current line
    EXPECT_FALSE(w.isVisible());
    EXPECT_EQ(switched.count(), 0);
    EXPECT_TRUE(lines.switched.empty());

    w.ShowLines();
    QTest::mouseClick(Button(w, 2), Qt::LeftButton);
    EXPECT_FALSE(w.isVisible());
    EXPECT_EQ(switched.count(), 1);
    EXPECT_EQ(lines.switched, std::vector<int>{2});
    EXPECT_EQ(w.CurrentLine(), 2);
}

TEST(SwitchLineWidget, CurrentLineOutsideTheOfferedOnesChecksNoButton)
{
    SwitchLineWidget w;
    Lines lines{2, 1, {}};
    UseLines(w, lines);
    w.ShowLines();
    ASSERT_TRUE(Button(w, 1)->isChecked());
    lines.line = 9;  // the data no longer holds the line that was checked
    w.ShowLines();
    for (int i = 0; i < SwitchLineWidget::kMaxLines; ++i)
        EXPECT_FALSE(Button(w, i)->isChecked()) << i;
}
