// The round progress bar: range and value rules, the value text, the arc
// and the drawn geometry.
#include "widgets/QRoundProgressBar.h"
#include "tests/widgets/WidgetTestUtil.h"

#include <gtest/gtest.h>

#include <QPainter>
#include <QtMath>

#include <cmath>
#include <limits>

namespace {

// Notes what the painting steps were given.
struct ProbeBar : QRoundProgressBar {
    QRectF baseRect;
    double arc = -1;
    int textPixelSize = -1;
    QString text;
    void paintBase(QPainter& p, const QRectF& base, const QRectF& inner) override
    {
        baseRect = base;
        QRoundProgressBar::paintBase(p, base, inner);
    }
    void paintValue(QPainter& p, const QRectF& base, double value, double arcLength, const QRectF& inner,
                    double innerRadius) override
    {
        arc = arcLength;
        QRoundProgressBar::paintValue(p, base, value, arcLength, inner, innerRadius);
    }
    void paintValueText(QPainter& p, const QRectF& inner, double innerRadius, double value) override
    {
        QRoundProgressBar::paintValueText(p, inner, innerRadius, value);
        textPixelSize = p.font().pixelSize();
        text = formatValueText(value);
    }
};

// Known colours: the value red, the base white, the inside blue.
void paintWithKnownColours(QRoundProgressBar* bar)
{
    QPalette pal = bar->palette();
    pal.setColor(QPalette::Window, Qt::gray);
    pal.setColor(QPalette::Base, Qt::white);
    pal.setColor(QPalette::Highlight, Qt::red);
    pal.setColor(QPalette::AlternateBase, Qt::blue);
    pal.setColor(QPalette::Shadow, Qt::darkGray);
    pal.setColor(QPalette::Text, Qt::black);
    bar->setPalette(pal);
}

// The colour in the middle of the ring at a clock angle (degrees clockwise from twelve).
QColor ringAt(const QImage& image, double clockDegrees)
{
    const double d = qMin(image.width(), image.height());
    const double r = (d / 2) * (1 + 0.75) / 2;
    const double a = qDegreesToRadians(clockDegrees);
    return image.pixelColor(int(d / 2 + r * std::sin(a)), int(d / 2 - r * std::cos(a)));
}

}  // namespace

TEST(QRoundProgressBar, RangeSettersSwapAndClampTheValue)
{
    const struct {
        const char* what;
        std::function<void(QRoundProgressBar&)> act;
        double min, max, value;
    } cases[] = {
        {"defaults", [](QRoundProgressBar&) {}, 0, 100, 25},
        {"setRange(10, 5)", [](QRoundProgressBar& b) { b.setRange(10, 5); }, 5, 10, 10},
        {"setMinimum above the maximum", [](QRoundProgressBar& b) { b.setMinimum(150); }, 100, 150, 100},
        {"setMaximum below the minimum", [](QRoundProgressBar& b) { b.setMaximum(-20); }, -20, 0, 0},
        {"value below", [](QRoundProgressBar& b) { b.setValue(-5.0); }, 0, 100, 0},
        {"value above (int)", [](QRoundProgressBar& b) { b.setValue(250); }, 0, 100, 100},
        {"NaN reads as the minimum",
         [](QRoundProgressBar& b) {
             b.setRange(10, 20);
             b.setValue(std::numeric_limits<double>::quiet_NaN());
         },
         10, 20, 10},
    };
    for (const auto& c : cases) {
        QRoundProgressBar bar;
        c.act(bar);
        EXPECT_EQ(bar.minimum(), c.min) << c.what;
        EXPECT_EQ(bar.maximum(), c.max) << c.what;
        EXPECT_EQ(bar.value(), c.value) << c.what;
    }
    QRoundProgressBar bar;
    EXPECT_TRUE(bar.hasHeightForWidth());
    EXPECT_EQ(bar.heightForWidth(77), 77);
    EXPECT_EQ(bar.minimumSizeHint(), QSize(32, 32));
}

TEST(QRoundProgressBar, ArcAndTextFollowTheRange)
{
    const struct {
        double min, max, value;
        QString format;
        double arc;
        QString text;
    } cases[] = {
        {0, 100, 25, "%p%", 90, "25.0%"},
        {50, 100, 75, "%p", 180, "50.0"},
        {0, 100, 25, "%v / %m", 90, "25.0 / 101.0"},
        {0, 100, 25, "", 90, ""},
        {5, 5, 5, "%p%", 0, "0.0%"},  // an empty range: no division by zero
    };
    for (const auto& c : cases) {
        ProbeBar bar;
        bar.setRange(c.min, c.max);
        bar.setValue(c.value);
        bar.setTextFormat(c.format);
        bar.resize(100, 100);
        bar.grab();
        EXPECT_DOUBLE_EQ(bar.arc, c.arc) << c.format.toStdString();
        EXPECT_FALSE(std::isnan(bar.arc));
        if (c.format.isEmpty())
            EXPECT_EQ(bar.textPixelSize, -1) << "no text drawn";
        else
            EXPECT_EQ(bar.text, c.text);
    }
}

TEST(QRoundProgressBar, TextSizeAndBaseRectFollowTheWidget)
{
    const struct {
        int decimals;
        double factor;
    } cases[] = {{0, 0.35}, {1, 0.27}, {3, 0.11}, {4, 0.05}, {6, 0.05}};
    for (const auto& c : cases) {
        ProbeBar bar;
        bar.setDecimals(c.decimals);
        bar.resize(200, 100);
        bar.grab();
        EXPECT_EQ(bar.baseRect, QRectF(1, 1, 98, 98));
        EXPECT_EQ(bar.textPixelSize, int(c.factor * 75.0 + 1e-9)) << c.decimals;  // inner diameter 100 * 0.75
    }
}

TEST(QRoundProgressBar, QuarterArcRunsClockwiseFromTwelve)
{
    const struct {
        double min, max, value;
        int style;
        QList<QPair<double, bool>> lit;  // (clock angle, drawn in the value colour)
    } cases[] = {
        {0, 100, 25, 0, {{20, true}, {70, true}, {120, false}, {330, false}}},
        {50, 100, 75, 1, {{90, true}, {170, true}, {190, false}, {270, false}}},
        {0, 100, 0, 0, {{20, false}, {70, false}}},
        {5, 5, 5, 0, {{20, false}, {200, false}}},
    };
    for (const auto& c : cases) {
        QRoundProgressBar bar;
        paintWithKnownColours(&bar);
        bar.setDrawStyle(c.style);
        bar.setTextFormat("");
        bar.setRange(c.min, c.max);
        bar.setValue(c.value);
        bar.resize(200, 200);
        const QImage image = bar.grab().toImage();
        for (const auto& l : c.lit)
            EXPECT_EQ(ringAt(image, l.first) == QColor(Qt::red), l.second)
                << c.value << " style " << c.style << " at " << l.first;
    }

    QRoundProgressBar bar;
    bar.resize(200, 200);
    bar.show();
    widgettest::saveScreenshot(&bar, "round-progress-bar-default.png");
    bar.setDrawStyle(QRoundProgressBar::StyleLine);
    bar.setOutlineWidth(6);
    bar.setRange(0, 1);
    bar.setValue(0.66);
    bar.setTextFormat("%v");
    widgettest::saveScreenshot(&bar, "round-progress-bar-line.png");
}
