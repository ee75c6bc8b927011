#include "common/IniFile.h"
#include "TempDir.h"

#include <gtest/gtest.h>

TEST(IniFile, ReadsSectionsLikeProfileFunctions)
{
    IniFile ini = IniFile::fromText(
        "\xEF\xBB\xBF[General]\nLoginType=2\n"
        "[VeltoraTea]\r\nUpdateUrl=http://update.example/pc\r\n"
        "AppName = Veltora \n; comment\nDownloadURL=\"https://dl.example/download_pc.html\"\n"
        "UpdateUrl=second-ignored\n[App]\nTempClearTime=202403051000\n");
    EXPECT_EQ(ini.value("VeltoraTea", "UpdateUrl"), "http://update.example/pc");
    EXPECT_EQ(ini.value("veltoratea", "appname"), "Veltora");
    EXPECT_EQ(ini.value("VeltoraTea", "DownloadURL"), "https://dl.example/download_pc.html");
    EXPECT_EQ(ini.value("General", "LoginType"), "2");
    EXPECT_EQ(ini.value("App", "TempClearTime"), "202403051000");
    EXPECT_EQ(ini.value("VeltoraTea", "Missing", "def"), "def");
    EXPECT_EQ(ini.value("VeltoraTea", "AppName", "", 4), "Vel");
    EXPECT_TRUE(ini.has("VELTORATEA", "UPDATEURL"));
}

TEST(IniFile, MissingFileIsEmpty)
{
    testsupport::TempDir dir;
    IniFile ini(dir.file("none.ini"));
    EXPECT_FALSE(ini.loaded());
    EXPECT_EQ(ini.value("VeltoraTea", "UpdateUrl", "x"), "x");
}
