// QR pictures: geometry of the drawn symbol, and the failure cases.
#include "app/MakeQRImage.h"
#include "TempDir.h"

#include <QImage>
#include <gtest/gtest.h>

#include <qrcodegen.hpp>

using testsupport::TempDir;

namespace {
testsupport::TempHome g_home;  // goes, and cleans up, when the program ends

bool dark(const QImage& img, int x, int y)
{
    return qGray(img.pixel(x, y)) < 128;
}
}  // namespace

TEST(MakeQRImage, DrawsTheSymbolWithAOneModuleMargin)
{
    TempDir dir;
    const QString file = QString::fromStdString(dir.file("qr.png"));
    const char* text = "https://live.example/s/1234";
    ASSERT_TRUE(MakeQRImage(text, file));
    QImage img(file, "PNG");
    ASSERT_FALSE(img.isNull());
    ASSERT_EQ(img.size(), QSize(300, 300));

    // Every module's centre shows what the encoder says about it.
    qrcodegen::QrCode qr = qrcodegen::QrCode::encodeText(text, qrcodegen::QrCode::Ecc::LOW);
    const int n = qr.getSize();
    const double s = 300.0 / (n + 2);
    for (int y = 0; y < n; ++y)
        for (int x = 0; x < n; ++x)
            ASSERT_EQ(dark(img, int((x + 1.5) * s), int((y + 1.5) * s)), qr.getModule(x, y)) << x << "," << y;
    // The margin is white; the finder pattern's corner starts one module in.
    const int m = int(s);
    for (int i = 0; i < 300; i += 7) {
        ASSERT_FALSE(dark(img, i, m - 1));
        ASSERT_FALSE(dark(img, m - 1, i));
        ASSERT_FALSE(dark(img, i, 299));
        ASSERT_FALSE(dark(img, 299, i));
    }
    EXPECT_TRUE(dark(img, m + 1, m + 1));
}

TEST(MakeQRImage, VersionOneModulesAreAThirteenthOfTheCanvas)
{
    TempDir dir;
    const QString file = QString::fromStdString(dir.file("v1.png"));
    ASSERT_TRUE(MakeQRImage("A", file));  // 21 modules: 300 / 23 = 13.04 px each
    QImage img(file);
    EXPECT_FALSE(dark(img, 12, 12));
    EXPECT_TRUE(dark(img, 14, 14));
    EXPECT_TRUE(dark(img, 13 * 7 + 5, 20));  // the finder's right edge (7 modules)
    EXPECT_FALSE(dark(img, 300 - 14, 150));
}

TEST(MakeQRImage, FailuresWriteNothing)
{
    TempDir dir;
    const std::string path = dir.file("none.png");
    EXPECT_FALSE(MakeQRImage("", QString::fromStdString(path)));
    EXPECT_FALSE(testsupport::fileExists(path));

    // Longer than the largest version holds at the lowest level (2953 bytes).
    EXPECT_FALSE(MakeQRImage(QString(3000, 'x'), QString::fromStdString(path)));
    EXPECT_FALSE(testsupport::fileExists(path));

    // A folder that cannot exist (a plain file stands in its place).
    const std::string blocker = dir.write("blocker", "x");
    EXPECT_FALSE(MakeQRImage("text", QString::fromStdString(blocker + "/qr.png")));
    EXPECT_EQ(testsupport::readFile(blocker), "x");

    // Non-ASCII text is encoded as UTF-8.
    EXPECT_TRUE(MakeQRImage(QString::fromUtf8("扫码上课"), QString::fromStdString(path)));
}
