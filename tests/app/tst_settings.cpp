#include "app/CSettings.h"
#include "TempDir.h"

#include <gtest/gtest.h>

#include <QFile>

#include <unistd.h>

namespace {

QString iniIn(const testsupport::TempDir& dir) { return QString::fromStdString(dir.file("config.ini")); }

}  // namespace

TEST(Settings, RoundTripOfProgramKeys)
{
    testsupport::TempDir dir;
    const QVariantMap values = {
        {"UserName", "teacher01"},          {"SavePawd", true},
        {"AutoLogin", false},               {"UserPawd", "c2VjcmV0"},
        {"UserSid", "sid-1"},               {"LoginType", 2},
        {"SelectCamera/DeviceName", "Cam"}, {"SelectMicropone/DeviceName", "麦克风"},
        {"SelectSpeaker/DeviceName", "Spk"}, {"App/CamPreviewSel", 1},
        {"MicUseDShow", 0},                 {"App/AppExtGuid", "{guid}"},
        {"App/MGLine", "line2"},            {"App/PlaySetMicVolume", 80},
        {"App/TempClearTime", "202403051000"}, {"UploadLogTime", "20240305"},
        {"VeltoraTea/UpdateUrl", "http://update.example/pc"},
        {"VeltoraTea/DownloadURL", "https://www.example/download_pc.html"},
    };
    {
        CSettings s(iniIn(dir));
        for (auto it = values.begin(); it != values.end(); ++it)
            s.SetValue(it.key(), it.value());
    }
    // Every change is on disk at once, in plain INI text.
    std::string text = testsupport::readFile(dir.file("config.ini"));
    EXPECT_NE(text.find("[VeltoraTea]"), std::string::npos);
    EXPECT_NE(text.find("UpdateUrl=http://update.example/pc"), std::string::npos);

    CSettings again(iniIn(dir));
    for (auto it = values.begin(); it != values.end(); ++it)
        EXPECT_EQ(again.GetValue(it.key()).toString(), it.value().toString()) << it.key().toStdString();
    EXPECT_EQ(again.GetValue("Missing", 7).toInt(), 7);
}

TEST(Settings, CompressedValues)
{
    testsupport::TempDir dir;
    CSettings s(iniIn(dir));
    s.SetValue("App/Blob", QByteArray("hello hello hello hello"), true);
    EXPECT_EQ(s.GetValue("App/Blob", QVariant(), true).toByteArray(), QByteArray("hello hello hello hello"));
    // Read without the flag, the caller gets the compressed bytes.
    EXPECT_NE(s.GetValue("App/Blob").toByteArray(), QByteArray("hello hello hello hello"));
    // A value that is not a compressed stream counts as missing.
    s.SetValue("App/Bad", QByteArray("not compressed at all"));
    EXPECT_EQ(s.GetValue("App/Bad", "default", true).toString(), "default");
    EXPECT_EQ(s.GetValue("App/Absent", "d", true).toString(), "d");
}

TEST(Settings, DamagedFileKeepsOtherKeys)
{
    testsupport::TempDir dir;
    // A truncated file with a broken line and a half-written section header.
    dir.write("config.ini", "[General]\nUserName=alice\nLoginType=2\n[App]\nTempClearTime=2024\n\x01\x02garbage\n[VeltoraTea\nUpdateUrl=h");
    {
        CSettings s(iniIn(dir));
        EXPECT_EQ(s.GetValue("UserName").toString(), "alice");
        s.SetValue("AutoLogin", true);
    }
    CSettings again(iniIn(dir));
    EXPECT_EQ(again.GetValue("UserName").toString(), "alice");
    EXPECT_EQ(again.GetValue("LoginType").toInt(), 2);
    EXPECT_EQ(again.GetValue("App/TempClearTime").toString(), "2024");
    EXPECT_TRUE(again.GetValue("AutoLogin").toBool());
}
