// The shadowed dialog base: the nine-part frame from the shadow image.
#include "widgets/ShadowDialogBase.h"
#include "tests/widgets/WidgetTestUtil.h"

#include <gtest/gtest.h>

#include <QImage>
#include <QLabel>
#include <QVBoxLayout>

namespace {

// What the dialog's own painting puts on a transparent image.
QImage paintOnly(QWidget* w)
{
    QImage image(w->size(), QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    w->render(&image, QPoint(), QRegion(), QWidget::RenderFlags());
    return image;
}

// The same region of the image and of the shadow, pixel by pixel.
void expectSame(const QImage& painted, QPoint at, const QImage& shadow, QPoint from, QSize size, const char* what)
{
    for (int y = 0; y < size.height(); ++y)
        for (int x = 0; x < size.width(); ++x)
            ASSERT_EQ(painted.pixel(at + QPoint(x, y)), shadow.pixel(from + QPoint(x, y)))
                << what << " at " << x << "," << y;
}

struct Dialog : ShadowDialogBase {
    explicit Dialog(QColor fill = QColor()) { m_fill = fill; }
};

}  // namespace

TEST(ShadowDialogBase, CornersKeepTheirSizeAndEdgesStretch)
{
    const QImage shadow =
        QImage(":/main/res/main/windowShadow.png").convertToFormat(QImage::Format_ARGB32_Premultiplied);
    ASSERT_FALSE(shadow.isNull());
    const int PW = shadow.width();
    const int PH = shadow.height();

    for (QSize size : {QSize(120, 80), QSize(300, 200)}) {
        Dialog dialog(Qt::white);
        dialog.resize(size);
        const QImage painted = paintOnly(&dialog);
        const int W = size.width();
        const int H = size.height();
        expectSame(painted, {0, 0}, shadow, {0, 0}, {5, 5}, "top-left");
        expectSame(painted, {W - 5, 0}, shadow, {PW - 5, 0}, {5, 5}, "top-right");
        expectSame(painted, {0, H - 5}, shadow, {0, PH - 5}, {5, 5}, "bottom-left");
        expectSame(painted, {W - 5, H - 5}, shadow, {PW - 5, PH - 5}, {5, 5}, "bottom-right");
        // The shadow's edges are even along their length: a stretched edge
        // shows the same ring as the image's middle.
        for (int d = 0; d < 5; ++d) {
            EXPECT_EQ(painted.pixel(W / 2, d), shadow.pixel(PW / 2, d)) << "top edge " << d;
            EXPECT_EQ(painted.pixel(d, H / 2), shadow.pixel(d, PH / 2)) << "left edge " << d;
            EXPECT_EQ(painted.pixel(W - 5 + d, H / 2), shadow.pixel(PW - 5 + d, PH / 2)) << "right edge " << d;
            EXPECT_EQ(painted.pixel(W / 2, H - 5 + d), shadow.pixel(PW / 2, PH - 5 + d)) << "bottom edge " << d;
        }
        EXPECT_EQ(QColor(painted.pixel(W / 2, H / 2)), QColor(Qt::white)) << "the inside";
        EXPECT_EQ(QColor(painted.pixel(5, 5)), QColor(Qt::white));
    }
}

TEST(ShadowDialogBase, NoRoomInsideTheBordersPaintsOnlyTheCorners)
{
    const QImage shadow =
        QImage(":/main/res/main/windowShadow.png").convertToFormat(QImage::Format_ARGB32_Premultiplied);
    Dialog dialog(Qt::red);
    dialog.setFixedSize(10, 10);
    const QImage painted = paintOnly(&dialog);
    expectSame(painted, {0, 0}, shadow, {0, 0}, {5, 5}, "top-left");
    expectSame(painted, {5, 0}, shadow, {shadow.width() - 5, 0}, {5, 5}, "top-right");
    expectSame(painted, {0, 5}, shadow, {0, shadow.height() - 5}, {5, 5}, "bottom-left");
    expectSame(painted, {5, 5}, shadow, {shadow.width() - 5, shadow.height() - 5}, {5, 5}, "bottom-right");
}

TEST(ShadowDialogBase, ShownAsAFramelessDialog)
{
    Dialog dialog(QColor("#FFFFFF"));
    dialog.setWindowFlags(Qt::Dialog | Qt::FramelessWindowHint);
    dialog.setAttribute(Qt::WA_TranslucentBackground);
    auto* layout = new QVBoxLayout(&dialog);
    layout->setContentsMargins(20, 20, 20, 20);
    layout->addWidget(new QLabel("设备检测", &dialog));
    dialog.resize(320, 180);
    dialog.show();
    widgettest::saveScreenshot(&dialog, "shadow-dialog-base.png");
    EXPECT_EQ(dialog.windowFlags() & Qt::FramelessWindowHint, Qt::FramelessWindowHint);
}
