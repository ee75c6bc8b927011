// Reading skin files from the skin folder and from the skin zip: size
// limits, damaged members and the loader's error texts.
#include "TempDir.h"
#include "skinui/UIManager.h"
#include "skinui/UIMarkup.h"
#include "tests/skinui/ZipBuilder.h"

#include <gtest/gtest.h>

namespace {

std::u16string wide(const std::string& s)
{
    return std::u16string(s.begin(), s.end());
}

std::u16string loadError(const char16_t* name)
{
    CUIMarkup xml;
    if (xml.LoadFromFile(name))
        return u"";
    return xml.GetLastErrorMessage();
}

class SkinFilesTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        CUIWindowManager::Shutdown();
        CUIWindowManager::SetSkinZipFile(u"", false);
        CUIWindowManager::SetSkinFolder((wide(dir.path()) + u"/").c_str());
    }
    void TearDown() override
    {
        CUIWindowManager::Shutdown();
        CUIWindowManager::SetSkinZipFile(u"", false);
        CUIWindowManager::SetSkinFolder(u"");
    }
    testsupport::TempDir dir;
};

std::string sizedSkin(size_t size)
{
    std::string s = "<a>";
    s.append(size - 7, ' ');
    s += "</a>";
    return s;
}

} // namespace

TEST_F(SkinFilesTest, FolderFilesAndSizeLimit)
{
    dir.write("exact.xml", sizedSkin(4194304));
    dir.write("over.xml", sizedSkin(4194305));
    dir.write("empty.xml", "");
    dir.write("ok.xml", "\xEF\xBB\xBF<Window><Label/></Window>");
    EXPECT_EQ(loadError(u"exact.xml"), u"");
    EXPECT_EQ(loadError(u"over.xml"), u"File too large");
    EXPECT_EQ(loadError(u"empty.xml"), u"File is empty");
    EXPECT_EQ(loadError(u"missing.xml"), u"Error opening file");
    CUIMarkup xml;
    ASSERT_TRUE(xml.LoadFromFile(u"ok.xml"));
    EXPECT_EQ(std::u16string(xml.GetRoot().GetChild().GetName()), u"Label");
}

TEST_F(SkinFilesTest, ZipFileMembersAndDamage)
{
    ziptest::Member bad("bad.xml", "<Window><Label/></Window>");
    bad.crcDelta = 5;
    ziptest::Member big("big.xml", sizedSkin(4194305));
    dir.write("skin.zip", ziptest::build({{"ui/main.xml", "<Window><Button/></Window>"}, bad, {"none.xml", ""}, big}));
    CUIWindowManager::SetSkinZipFile(u"skin.zip", false);
    EXPECT_EQ(loadError(u"ui\\MAIN.xml"), u"");
    EXPECT_EQ(loadError(u"nope.xml"), u"Could not find ziped file");
    EXPECT_EQ(loadError(u"bad.xml"), u"Could not unzip file");
    EXPECT_EQ(loadError(u"none.xml"), u"File is empty");
    EXPECT_EQ(loadError(u"big.xml"), u"File too large");
    // Kept open, the same answers.
    CUIWindowManager::SetSkinZipFile(u"skin.zip", true);
    ASSERT_NE(CUIWindowManager::GetSkinZipHandle(), nullptr);
    EXPECT_EQ(loadError(u"ui/main.xml"), u"");
    EXPECT_EQ(loadError(u"bad.xml"), u"Could not unzip file");
    CUIWindowManager::SetSkinZipFile(u"absent.zip", false);
    EXPECT_EQ(loadError(u"ui/main.xml"), u"Error opening zip file");
}

TEST_F(SkinFilesTest, ZipInMemory)
{
    static const std::string zip = ziptest::build({{"main.xml", "<Window/>"}});
    CUIWindowManager::SetSkinZipData(zip.data(), static_cast<unsigned>(zip.size()));
    EXPECT_EQ(CUIWindowManager::GetSkinZipFile(), u"membuffer");
    EXPECT_TRUE(CUIWindowManager::IsSkinZipCached());
    EXPECT_EQ(loadError(u"main.xml"), u"");
    // A memory block that is no zip: no archive, a clear failure.
    CUIWindowManager::Shutdown();
    static const std::string junk = "not a zip";
    CUIWindowManager::SetSkinZipData(junk.data(), static_cast<unsigned>(junk.size()));
    EXPECT_EQ(CUIWindowManager::GetSkinZipHandle(), nullptr);
    EXPECT_EQ(loadError(u"main.xml"), u"Error opening zip file");
}
