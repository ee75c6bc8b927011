// The dialog builder: window declarations, fonts, class defaults, includes,
// unknown tags and its failure traces.
#include "tests/skinui/SkinTestSupport.h"
#include "TempDir.h"

#include <gtest/gtest.h>

#include <fstream>

using namespace skintest;

namespace {

std::vector<std::u16string>& traces()
{
    static std::vector<std::u16string> lines;
    return lines;
}

void recordTrace(const char16_t* text)
{
    traces().emplace_back(text);
}

bool traced(const std::u16string& prefix)
{
    for (const auto& t : traces())
        if (t.compare(0, prefix.size(), prefix) == 0)
            return true;
    return false;
}

class BuilderTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        winapi::selectBackend(winapi::Backend::Headless);
        CUIWindowManager::SetModuleInstance(::GetModuleHandleW(nullptr), recordTrace);
        CUIWindowManager::SetSkinZipFile(u"", false);
        traces().clear();
        ASSERT_NE(host.open(0, 0, 100, 100), nullptr);
    }
    void TearDown() override
    {
        CUIWindowManager::SetSkinFolder(u"");
        CUIWindowManager::SetModuleInstance(::GetModuleHandleW(nullptr), nullptr);
    }
    HostWindow host;
    EventLog log;
};

} // namespace

TEST_F(BuilderTest, WindowFontsDefaultsAndAttributes)
{
    TestCallback cb(&log);
    CDialogBuilder builder;
    CControlUI* root = builder.Create(
        u"<Window size=\"320,240\" caption=\"0,0,0,30\" sizebox=\"4,4,4,4\" roundcorner=\"5,6\" mininfo=\"200,100\" "
        u"defaultfontcolor=\"#FF102030\" showdirty=\"True\">"
        u"<Font name=\"Sans\" size=\"11\"/><Font size=\"9\"/><Font name=\"Serif\" bold=\"true\" default=\"true\"/>"
        u"<Default name=\"Rec\" value=\"bkcolor=&quot;#FF0000FF&quot; tooltip=&quot;from default&quot;\"/>"
        u"<Default name=\"Rec\" value=\"tooltip=&quot;second&quot;\"/>"
        u"<Container name=\"box\"><Rec name=\"one\" tooltip=\"own\"/><Nope name=\"x\"/><Rec name=\"two\"/></Container>"
        u"</Window>",
        nullptr, &cb, &host.pm);
    ASSERT_NE(root, nullptr);
    EXPECT_EQ(root->GetName(), u"box");
    auto* box = dynamic_cast<IContainerUI*>(root);  // the builder makes its own Container
    ASSERT_NE(box, nullptr);
    ASSERT_EQ(box->GetCount(), 2); // the unknown tag makes no control
    EXPECT_TRUE(traced(u"未知控件:Nope"));
    EXPECT_EQ(box->GetItemAt(0)->GetToolTip(), u"own");             // element beats class default
    EXPECT_EQ(box->GetItemAt(1)->GetToolTip(), u"from default");    // first Default stays
    EXPECT_EQ(box->GetItemAt(1)->GetBkColor(), 0xFF0000FFu);

    EXPECT_EQ(host.pm.GetInitSize().cx, 320);
    EXPECT_EQ(host.pm.GetCaptionRect().bottom, 30);
    EXPECT_EQ(host.pm.GetSizeBox().left, 4);
    EXPECT_EQ(host.pm.GetRoundCorner().cy, 6);
    EXPECT_EQ(host.pm.GetMinInfo().cx, 200);
    EXPECT_EQ(host.pm.GetDefaultFontColor(), 0xFF102030u);
    EXPECT_FALSE(host.pm.IsShowUpdateRect());
    // Fonts are numbered by position; a Font without a name takes no number.
    TFontInfo* f1 = host.pm.GetFontInfo(1);
    EXPECT_EQ(f1->sFontName, u"Serif");
    EXPECT_TRUE(f1->bBold);
    EXPECT_EQ(f1->iSize, 12);
    EXPECT_EQ(host.pm.GetDefaultFontDesc()->sFontName, u"Serif");
    EXPECT_EQ(host.pm.GetFont(2), host.pm.GetDefaultFontDesc()->hFont);
    delete root;
}

TEST_F(BuilderTest, RootNotNamedWindowKeepsResourcesOnly)
{
    TestCallback cb(&log);
    CDialogBuilder builder;
    CControlUI* root = builder.Create(u"<Skin size=\"500,500\"><Font name=\"Mono\" size=\"8\"/><Rec name=\"r\"/></Skin>",
                                      nullptr, &cb, &host.pm);
    ASSERT_NE(root, nullptr);
    EXPECT_EQ(host.pm.GetInitSize().cx, 0);
    EXPECT_EQ(host.pm.GetFontInfo(0)->sFontName, u"Mono");
    delete root;
}

TEST_F(BuilderTest, IncludeBuildsItsSourceCountTimes)
{
    testsupport::TempDir dir;
    {
        std::ofstream out(dir.path() + "/item.xml");
        out << "<Include><Rec name=\"inc\" text=\"\xE4\xB8\xAD\"/></Include>";
    }
    const std::u16string folder(dir.path().begin(), dir.path().end());
    CUIWindowManager::SetSkinFolder((folder + u"/").c_str());
    TestCallback cb(&log);
    CDialogBuilder builder;
    CControlUI* root = builder.Create(
        u"<Window><Container><Rec name=\"first\"/><Include source=\"item.xml\" count=\"3\"/>"
        u"<Include count=\"2\"/></Container></Window>",
        nullptr, &cb, &host.pm);
    ASSERT_NE(root, nullptr);
    auto* box = dynamic_cast<IContainerUI*>(root);  // the builder makes its own Container
    ASSERT_NE(box, nullptr);
    ASSERT_EQ(box->GetCount(), 4);
    EXPECT_EQ(box->GetItemAt(0)->GetName(), u"first");
    for (int i = 1; i < 4; ++i) {
        EXPECT_EQ(box->GetItemAt(i)->GetName(), u"inc");
        EXPECT_EQ(box->GetItemAt(i)->GetText(), u"\u4E2D");
    }
    delete root;
}

TEST_F(BuilderTest, FailuresAreTracedAndNull)
{
    TestCallback cb(&log);
    {
        CDialogBuilder builder;
        EXPECT_EQ(builder.Create(u"", nullptr, &cb, &host.pm), nullptr);
        EXPECT_TRUE(traced(u"xml LoadFromFile faild:"));
    }
    {
        CDialogBuilder builder;
        EXPECT_EQ(builder.Create(u"missing-skin.xml", nullptr, &cb, &host.pm), nullptr);
        EXPECT_EQ(std::u16string(builder.GetMarkup()->GetLastErrorMessage()), u"Error opening file");
    }
    {
        CDialogBuilder builder;
        EXPECT_EQ(builder.Create(u"<Window><a x='1'/></Window>", nullptr, &cb, &host.pm), nullptr);
        EXPECT_TRUE(traced(u"xml Load faild:<Window>"));
    }
    {
        // A control under a parent that is no container ends the build.
        CDialogBuilder builder;
        RecordingControl notAContainer;
        EXPECT_EQ(builder.Create(u"<Window><Rec/><Rec/></Window>", nullptr, &cb, &host.pm, &notAContainer), nullptr);
    }
    {
        // No control at all at a level.
        CDialogBuilder builder;
        EXPECT_EQ(builder.Create(u"<Window><Font name=\"x\"/></Window>", nullptr, &cb, &host.pm), nullptr);
        EXPECT_TRUE(traced(u"CDialogBuilder::_Parse reutn null"));
    }
    {
        CDialogBuilder builder;
        EXPECT_EQ(builder.Create(STRINGorID(4242u), u"xml", &cb, &host.pm), nullptr);
        EXPECT_TRUE(traced(u"FindResource null:4242"));
    }
}

TEST_F(BuilderTest, TraceLinesAreBounded)
{
    const std::u16string longName(2000, u'x');
    UITrace(u"未知控件:%s", longName.c_str());
    ASSERT_FALSE(traces().empty());
    EXPECT_LE(traces().back().size(), 511u);
    EXPECT_EQ(traces().back().back(), u'\n');
    CUIString s;
    s.Format(u"%s", longName.c_str());
    EXPECT_EQ(s.GetLength(), 63);
}

TEST(ControlAttributes, TableOfEdgeCases)
{
    CControlUI c;
    c.SetAttribute(u"pos", u"-10,5,0,25");
    EXPECT_EQ(c.GetFixedXY().cx, 0);
    EXPECT_EQ(c.GetFixedXY().cy, 5);
    EXPECT_EQ(c.GetFixedWidth(), 10);
    EXPECT_EQ(c.GetFixedHeight(), 20);
    c.SetFixedWidth(-1);
    EXPECT_EQ(c.GetFixedWidth(), 10);
    c.SetAttribute(u"bkcolor", u"  #FF00FF00");
    EXPECT_EQ(c.GetBkColor(), 0xFF00FF00u);
    c.SetAttribute(u"bordercolor", u" #FF00FF00");
    EXPECT_EQ(c.GetBorderColor(), 0u);
    c.SetAttribute(u"visible", u"True");
    EXPECT_FALSE(c.IsVisible());
    c.SetAttribute(u"tooltip", u"one<n>two");
    EXPECT_EQ(c.GetToolTip(), u"one\r\ntwo");
    c.ApplyAttributeText(u"name=\"n1\"  text=\"t\"");
    EXPECT_EQ(c.GetName(), u"n1");
    EXPECT_TRUE(c.GetText().IsEmpty());
    c.ApplyAttributeText(u"name=\"n2\" text=\"t2\"");
    EXPECT_EQ(c.GetText(), u"t2");
    c.SetPos(RECT{50, 10, 20, 40});
    EXPECT_EQ(c.GetPos().right, 50);
    c.SetAttribute(u"pos", u"7"); // a short list never reads past its end
    c.SetAttribute(u"padding", u"");
}
