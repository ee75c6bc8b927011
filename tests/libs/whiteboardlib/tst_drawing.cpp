// The board draws: every tool leaves (or removes) the pixels it should.
#include "tests/libs/whiteboardlib/WBTestSupport.h"

#include <QLineEdit>
#include <QTemporaryDir>

using namespace wbtest;

namespace {

const QRgb kWhite = qRgb(255, 255, 255);

class Drawing : public BoardFixture
{
};

struct PressCounter : QObject
{
    int presses = 0;
    bool eventFilter(QObject*, QEvent* e) override
    {
        presses += e->type() == QEvent::MouseButtonPress;
        return false;
    }
};

} // namespace

TEST_F(Drawing, PenDrawsInTheChosenColourAndWidth)
{
    struct Case { int rgb; int width; };
    const Case cases[] = {{0xFF0000, 8}, {0x00A000, 4}, {0x0000FF, 2}};
    int y = 60;
    for (const auto& c : cases) {
        ASSERT_TRUE(lib->SetTool(WBTool_Pen));
        ASSERT_TRUE(lib->SetPenColor(c.rgb));
        ASSERT_TRUE(lib->SetPenWidth(c.width));
        drag(QPoint(100, y), QPoint(500, y));
        const QImage img = shot();
        EXPECT_TRUE(isColor(img.pixel(300, y), QRgb(0xFF000000 | c.rgb))) << std::hex << img.pixel(300, y);
        // The width: 3 px off the middle is inked only for the wide pen.
        EXPECT_EQ(!isColor(img.pixel(300, y + 3), kWhite, 10), c.width >= 8) << c.width;
        EXPECT_TRUE(isColor(img.pixel(300, y + 30), kWhite, 0));
        y += 80;
    }
    // The pen follows the pointer: a bent path is not a straight line.
    stroke({QPoint(100, 330), QPoint(200, 280), QPoint(300, 330)});
    EXPECT_FALSE(isColor(pixel(200, 280), kWhite, 10));
    EXPECT_TRUE(isColor(pixel(200, 330), kWhite, 0));
}

TEST_F(Drawing, ShapesDrawTheirOutlines)
{
    lib->SetPenColor(0x000000);
    lib->SetPenWidth(4);

    lib->SetTool(WBTool_Line);
    drag(QPoint(50, 300), QPoint(590, 300));
    lib->SetTool(WBTool_Rect);
    drag(QPoint(50, 40), QPoint(250, 240));
    lib->SetTool(WBTool_Ellipse);
    drag(QPoint(350, 40), QPoint(550, 240));

    const QImage img = shot();
    const QRgb black = qRgb(0, 0, 0);
    EXPECT_TRUE(isColor(img.pixel(320, 300), black)); // line
    EXPECT_TRUE(isColor(img.pixel(150, 40), black));  // rectangle top edge
    EXPECT_TRUE(isColor(img.pixel(50, 140), black));  // rectangle left edge
    EXPECT_TRUE(isColor(img.pixel(150, 140), kWhite, 0)); // not filled
    EXPECT_TRUE(isColor(img.pixel(450, 40), black));  // ellipse top
    EXPECT_TRUE(isColor(img.pixel(550, 140), black)); // ellipse right
    EXPECT_TRUE(isColor(img.pixel(355, 45), kWhite, 0)); // outside the ellipse, inside its box
    EXPECT_TRUE(isColor(img.pixel(450, 140), kWhite, 0));
}

TEST_F(Drawing, TextToolWritesTypedTextInTheTextColourAndSize)
{
    auto inkIn = [&](const QRect& r) {
        const QImage img = shot();
        int n = 0;
        for (int y = r.top(); y <= r.bottom(); ++y)
            for (int x = r.left(); x <= r.right(); ++x)
                n += isColor(img.pixel(x, y), qRgb(0, 0, 255), 60);
        return n;
    };
    lib->SetTool(WBTool_Text);
    lib->SetTextColor(0x0000FF);
    lib->SetFontSize(36);
    ASSERT_TRUE(writeText(QPoint(60, 60), "HHHH"));
    const int big = inkIn(QRect(60, 60, 200, 50));
    EXPECT_GT(big, 150);

    // The same text at 14 px inks far less; an empty text nothing.
    lib->SetFontSize(14);
    ASSERT_TRUE(writeText(QPoint(60, 200), "HHHH"));
    const int small = inkIn(QRect(60, 200, 200, 50));
    EXPECT_GT(small, 10);
    EXPECT_LT(small * 2, big);

    ASSERT_TRUE(writeText(QPoint(60, 290), ""));
    EXPECT_EQ(inkIn(QRect(60, 290, 200, 50)), 0);
}

TEST_F(Drawing, HighlighterIsWideAndSeeThrough)
{
    lib->SetTool(WBTool_Pen);
    lib->SetPenColor(0x000000);
    lib->SetPenWidth(2);
    drag(QPoint(300, 50), QPoint(300, 300)); // a thin black line under the mark
    lib->SetTool(WBTool_Highlighter);
    lib->SetPenColor(0x0000FF);
    lib->SetPenWidth(4);
    drag(QPoint(100, 150), QPoint(500, 150));

    const QImage img = shot();
    const QRgb marked = img.pixel(200, 150);
    EXPECT_LT(qRed(marked), 235);       // tinted blue...
    EXPECT_GT(qRed(marked), 60);        // ...but not opaque
    EXPECT_GT(qBlue(marked), 200);
    EXPECT_FALSE(isColor(img.pixel(200, 150 + 5), kWhite, 10)); // wide
    EXPECT_LT(qRed(img.pixel(300, 150)), 60); // the line shows through
}

TEST_F(Drawing, SelectAndDeleteRemoveOneObject)
{
    lib->SetPenColor(0xFF0000);
    lib->SetPenWidth(4);
    lib->SetTool(WBTool_Rect);
    drag(QPoint(50, 50), QPoint(200, 150));
    lib->SetTool(WBTool_Line);
    drag(QPoint(300, 300), QPoint(600, 300));
    ASSERT_FALSE(isColor(pixel(120, 50), kWhite, 10));

    // Select the rectangle by its edge, move it, delete it with the key.
    lib->SetTool(WBTool_Select);
    drag(QPoint(120, 50), QPoint(120, 80));
    EXPECT_FALSE(isColor(pixel(130, 80), kWhite, 10)); // moved down 30 px
    QTest::keyClick(board(), Qt::Key_Delete);
    EXPECT_TRUE(isColor(pixel(130, 80), kWhite, 0));
    EXPECT_TRUE(isColor(pixel(50, 110), kWhite, 0));
    EXPECT_FALSE(isColor(pixel(450, 300), kWhite, 10)); // the line stays

    // The delete tool removes what it is clicked on; a click on nothing is harmless.
    lib->SetTool(WBTool_Delete);
    click(QPoint(450, 120));
    click(QPoint(450, 301));
    EXPECT_TRUE(isColor(pixel(450, 300), kWhite, 0));
}

TEST_F(Drawing, ClearBoardEmptiesThePage)
{
    lib->SetTool(WBTool_Pen);
    lib->SetPenColor(0x00FF00);
    for (int y = 50; y < 300; y += 50)
        drag(QPoint(50, y), QPoint(590, y));
    ASSERT_TRUE(lib->ClearBoard());
    const QImage img = shot();
    for (int y = 50; y < 300; y += 50)
        EXPECT_TRUE(isColor(img.pixel(320, y), kWhite, 0));
}

TEST_F(Drawing, ClickThroughAndNoPenAuthorityDrawNothing)
{
    lib->SetPenColor(0xFF0000);
    lib->SetTool(WBTool_Click);
    drag(QPoint(50, 100), QPoint(590, 100));
    EXPECT_TRUE(isColor(pixel(320, 100), kWhite, 0));

    // Clicks go through to what lies under the board, unless not allowed.
    PressCounter under;
    host->installEventFilter(&under);
    click(QPoint(320, 100));
    EXPECT_EQ(under.presses, 1);
    lib->SetDrawAuth(true, false);
    click(QPoint(320, 100));
    EXPECT_EQ(under.presses, 1);
    lib->SetDrawAuth(true, true);

    lib->SetTool(WBTool_Pen);
    lib->SetDrawAuth(false, false);
    drag(QPoint(50, 200), QPoint(590, 200));
    EXPECT_TRUE(isColor(pixel(320, 200), kWhite, 0));
    lib->SetDrawAuth(true, true);
    drag(QPoint(50, 200), QPoint(590, 200));
    EXPECT_FALSE(isColor(pixel(320, 200), kWhite, 10));
}

TEST_F(Drawing, BackgroundsFromFilesAndTheBuiltInOnes)
{
    QTemporaryDir dir;
    const QString file = writeSolidPng(dir.filePath("bg.png"), qRgb(0x33, 0x66, 0x99), QSize(64, 36));
    ASSERT_TRUE(lib->SetBackground(file, true));
    EXPECT_TRUE(isColor(pixel(10, 10), qRgb(0x33, 0x66, 0x99), 2));
    EXPECT_TRUE(isColor(pixel(630, 350), qRgb(0x33, 0x66, 0x99), 2));

    // A drawing lies above the background.
    lib->SetTool(WBTool_Pen);
    lib->SetPenColor(0xFFFF00);
    lib->SetPenWidth(6);
    drag(QPoint(100, 100), QPoint(500, 100));
    EXPECT_TRUE(isColor(pixel(300, 100), qRgb(255, 255, 0)));

    // The four built-in backgrounds are resources of the library.
    for (int i = 1; i <= 4; ++i)
        EXPECT_TRUE(lib->SetBackground(QString(":/wblib/res/wblib/bk%1.png").arg(i), false)) << i;
    EXPECT_LT(qRed(pixel(320, 300)), 100); // bk4 is dark

    // An unreadable file keeps the background and says why.
    EXPECT_FALSE(lib->SetBackground(dir.filePath("missing.png"), false));
    EXPECT_FALSE(lib->SetBackground(writeSolidPng(dir.filePath("x.txt"), 0) + ".none", false));
    EXPECT_LT(qRed(pixel(320, 300)), 100);
    EXPECT_TRUE(waitFor([] { return Recorder::get().logged("missing.png"); }));
}

TEST_F(Drawing, InsertedPicturesAndMediaAppearInTheMiddle)
{
    QTemporaryDir dir;
    const QString pic = writeSolidPng(dir.filePath("pic.png"), qRgb(200, 0, 200), QSize(100, 50));
    ASSERT_TRUE(lib->InsertObject(WBObject_Picture, pic, QVariantMap{{"width", 100}, {"height", 50}}));
    ASSERT_TRUE(waitFor([&] { return isColor(pixel(320, 180), qRgb(200, 0, 200), 5); }));
    EXPECT_TRUE(isColor(pixel(320 - 45, 180 - 20), qRgb(200, 0, 200), 5));
    EXPECT_TRUE(isColor(pixel(320 - 60, 180), kWhite, 0)); // shown at the given size

    lib->ClearBoard();
    const QString media = dir.filePath("song.mp3");
    QFile(media).open(QIODevice::WriteOnly);
    ASSERT_TRUE(lib->InsertObject(WBObject_Audio, media, QVariant(0)));
    EXPECT_TRUE(isColor(pixel(320, 170), qRgb(0x2B, 0x32, 0x3A), 10));
}
