// Label, text, button, option, check box and progress built from skins on
// the headless backend: attributes, state images by pixel probes, clicks,
// keys and notifications.
#include "tests/skinui/ControlTestSupport.h"
#include "skinui/UIText.h"
#include "skinui/controls/UIButton.h"
#include "skinui/controls/UICheckBox.h"
#include "skinui/controls/UILabel.h"
#include "skinui/controls/UIProgress.h"
#include "skinui/controls/UITextUI.h"
#include "TempDir.h"

#include <gtest/gtest.h>

using namespace skintest;
using testsupport::TempDir;

namespace {

constexpr uint32_t kRed = 0xFF0000;
constexpr uint32_t kGreen = 0x00FF00;
constexpr uint32_t kBlue = 0x0000FF;
constexpr uint32_t kGrey = 0x808080;
constexpr uint32_t kYellow = 0xFFFF00;

// A skin folder holding one solid image per colour.
class ImageFolder
{
public:
    ImageFolder()
    {
        dir.write("red.bmp", solidBmp(8, 8, kRed));
        dir.write("green.bmp", solidBmp(8, 8, kGreen));
        dir.write("blue.bmp", solidBmp(8, 8, kBlue));
        dir.write("grey.bmp", solidBmp(8, 8, kGrey));
        dir.write("yellow.bmp", solidBmp(8, 8, kYellow));
        CUIWindowManager::SetSkinFolder(UIUtf8ToUtf16(dir.path() + "/").c_str());
    }
    ~ImageFolder() { CUIWindowManager::SetSkinFolder(u""); }
    TempDir dir;
};

std::u16string windowSkin(const std::u16string& body)
{
    return u"<Window size=\"400,300\"><Container bkcolor=\"#FFFFFFFF\">" + body + u"</Container></Window>";
}

} // namespace

TEST(Label, AttributesSetStyleColoursAndEffects)
{
    struct AlignCase
    {
        const char16_t* value;
        UINT style;
    };
    const AlignCase aligns[] = {
        {u"center", DT_CENTER | DT_VCENTER},
        {u"left vcenter", DT_CENTER | DT_VCENTER | DT_SINGLELINE}, // "center" is found inside "vcenter"
        {u"right", DT_RIGHT},
        {u"bottom", DT_BOTTOM | DT_SINGLELINE},
        {u"top", DT_SINGLELINE},
    };
    for (const AlignCase& c : aligns) {
        CLabelUI label;
        label.SetAttribute(u"align", c.value);
        EXPECT_EQ(label.GetTextStyle(), c.style) << UIUtf16ToUtf8(c.value);
    }
    CLabelUI label;
    label.SetAttribute(u"endellipsis", u"true");
    EXPECT_EQ(label.GetTextStyle() & DT_END_ELLIPSIS, static_cast<UINT>(DT_END_ELLIPSIS));
    label.SetAttribute(u"textcolor", u"#FF102030");
    label.SetAttribute(u"disabledtextcolor", u"FF405060");
    EXPECT_EQ(label.GetTextColor(), 0xFF102030u);
    EXPECT_EQ(label.GetDisabledTextColor(), 0xFF405060u);
    label.SetAttribute(u"textpadding", u"1,2,3,4");
    EXPECT_TRUE(sameRect(label.GetTextPadding(), RECT{1, 2, 3, 4}));
    for (const char16_t* hint : {u"6", u"-1"}) {
        label.SetAttribute(u"rhaa", hint);
        EXPECT_EQ(label.GetTextRenderingHint(), 0);
    }
    label.SetAttribute(u"shadowoffset", u"3,45");
    EXPECT_EQ(label.GetShadowOffset().x, -3);
    EXPECT_EQ(label.GetShadowOffset().y, -3);
    label.SetAttribute(u"shadowoffset", u"9,200"); // out of range: unchanged
    EXPECT_EQ(label.GetShadowOffset().x, -3);

    // With the effect mode on, the text is the effect text.
    label.SetText(u"plain");
    label.SetAttribute(u"enabledeffect", u"true");
    EXPECT_EQ(label.GetText(), u"");
    label.SetText(u"effect");
    EXPECT_EQ(label.GetText(), u"effect");
}

TEST(Label, EstimatesItsHeightFromItsFontAndPaintsItsText)
{
    SkinHost host;
    ASSERT_NE(host.build(windowSkin(u"<Label name=\"l\" float=\"true\" pos=\"10,10,200,40\" text=\"Hello\" "
                                    u"textcolor=\"#FF000000\"/><Label name=\"auto\" width=\"70\"/>")),
              nullptr);
    auto* autoLabel = host.find<CLabelUI>(u"auto");
    const SIZE sz = autoLabel->PreferredSize(SIZE{400, 300});
    EXPECT_EQ(sz.cx, 70);
    EXPECT_EQ(sz.cy, static_cast<int>(host.host.pm.GetDefaultFontDesc()->tm.tmHeight) + 4);
    // Some dark text pixels inside the label, none outside.
    host.refresh();
    const winapi::Picture pic = winapi::captureWindow(host.host.GetHWND());
    int dark = 0;
    for (int y = 10; y < 40; ++y)
        for (int x = 10; x < 200; ++x)
            if ((pic.at(x, y) & 0xFF) < 0x80)
                ++dark;
    EXPECT_GT(dark, 10);
    EXPECT_EQ(pic.at(250, 25) & 0xFFFFFF, 0xFFFFFFu);
}

TEST(Button, StateImagesFollowThePointerAndTheEnabledState)
{
    ImageFolder images;
    SkinHost host;
    ASSERT_NE(host.build(windowSkin(u"<Button name=\"b\" float=\"true\" pos=\"10,10,110,50\" normalimage=\"red.bmp\" "
                                    u"hotimage=\"green.bmp\" pushedimage=\"blue.bmp\" disabledimage=\"grey.bmp\"/>"
                                    u"<Button name=\"f\" float=\"true\" pos=\"200,10,300,50\" normalimage=\"red.bmp\" "
                                    u"foreimage=\"file='yellow.bmp' dest='0,0,10,10'\"/>")),
              nullptr);
    EXPECT_EQ(host.pixel(60, 30), kRed);
    host.move(60, 30);
    EXPECT_EQ(host.pixel(60, 30), kGreen);
    host.down(60, 30);
    EXPECT_EQ(host.pixel(60, 30), kBlue);
    host.move(300, 200); // pressed inside, dragged outside
    EXPECT_NE(host.pixel(60, 30), kBlue);
    host.move(60, 30); // back inside before the release: pushed again
    EXPECT_EQ(host.pixel(60, 30), kBlue);
    host.move(300, 200);
    host.up(300, 200);
    EXPECT_EQ(host.notes.count(u"click"), 0);
    host.find(u"b")->SetEnabled(false);
    EXPECT_EQ(host.pixel(60, 30), kGrey);

    // The fore image lies over the normal image.
    EXPECT_EQ(host.pixel(205, 15), kYellow);
    EXPECT_EQ(host.pixel(250, 30), kRed);
    host.screenshot("skinui_buttons");
}

TEST(Button, ClicksAndKeysSendClick)
{
    SkinHost host;
    ASSERT_NE(host.build(windowSkin(u"<Button name=\"ok\" float=\"true\" pos=\"10,10,110,50\" text=\"OK\" "
                                    u"hotbkcolor=\"#FF00FF00\"/>"
                                    u"<Button name=\"nokeys\" float=\"true\" pos=\"10,60,110,100\" keyboard=\"false\"/>")),
              nullptr);
    host.click(60, 30);
    EXPECT_EQ(host.notes.count(u"click", u"ok"), 1);
    EXPECT_EQ(host.pixel(60, 45), kGreen); // hot background while the pointer rests on it

    host.find(u"ok")->SetFocus();
    host.key(VK_SPACE, u' ');
    host.key(VK_RETURN, u'\r');
    EXPECT_EQ(host.notes.count(u"click", u"ok"), 3);
    host.find(u"nokeys")->SetFocus();
    host.key(VK_SPACE, u' ');
    EXPECT_EQ(host.notes.count(u"click", u"nokeys"), 0);
    EXPECT_EQ(host.find(u"nokeys")->GetInputFlags() & UIFLAG_TABSTOP, 0u);
}

TEST(Option, GroupsSelectOneAndCheckBoxesToggle)
{
    SkinHost host;
    ASSERT_NE(host.build(windowSkin(
                  u"<Option name=\"o1\" group=\"g\" selected=\"true\" float=\"true\" pos=\"10,10,60,30\" "
                  u"selectedbkcolor=\"#FF0000FF\"/>"
                  u"<Option name=\"o2\" group=\"g\" float=\"true\" pos=\"70,10,120,30\" selectedbkcolor=\"#FF0000FF\"/>"
                  u"<CheckBox name=\"cb\" float=\"true\" pos=\"10,50,60,70\"/>")),
              nullptr);
    auto* o1 = host.find<COptionUI>(u"o1");
    auto* o2 = host.find<COptionUI>(u"o2");
    EXPECT_TRUE(o1->IsSelected());
    EXPECT_EQ(host.pixel(30, 20), kBlue);
    host.notes.entries.clear();

    host.click(90, 20);
    EXPECT_FALSE(o1->IsSelected());
    EXPECT_TRUE(o2->IsSelected());
    EXPECT_EQ(host.notes.count(u"selectchanged", u"o2"), 1);
    EXPECT_EQ(host.notes.count(u"selectchanged", u"o1"), 0);
    EXPECT_EQ(host.pixel(90, 20), kBlue);
    EXPECT_EQ(host.pixel(30, 20), 0xFFFFFFu);

    host.click(90, 20); // already selected: stays selected, still clicked
    EXPECT_TRUE(o2->IsSelected());
    EXPECT_EQ(host.notes.count(u"click", u"o2"), 2);
    EXPECT_EQ(host.notes.count(u"selectchanged", u"o2"), 1);

    auto* cb = host.find<CCheckBoxUI>(u"cb");
    EXPECT_STREQ(UIUtf16ToUtf8(cb->GetClass()).c_str(), "CheckBoxUI");
    host.click(30, 60);
    EXPECT_TRUE(cb->IsSelected());
    host.tick(1000); // no double click
    host.click(30, 60);
    EXPECT_FALSE(cb->IsSelected());
    EXPECT_EQ(host.notes.count(u"selectchanged", u"cb"), 2);

    // Disabling keeps only the selected bit.
    o2->SetEnabled(false);
    EXPECT_EQ(o2->GetButtonState(), 0x02u);
}

TEST(Text, LinksAreClickableOnlyInMarkupMode)
{
    SkinHost host;
    ASSERT_NE(host.build(windowSkin(u"<Text name=\"t\" float=\"true\" pos=\"10,10,300,40\" showhtml=\"true\" "
                                    u"text=\"{a first}Go there{/a}\"/>"
                                    u"<Text name=\"plain\" float=\"true\" pos=\"10,50,300,80\" text=\"just words\"/>")),
              nullptr);
    auto* t = host.find<CTextUI>(u"t");
    auto* plain = host.find<CTextUI>(u"plain");
    EXPECT_EQ(t->GetLinkCount(), 1);
    ASSERT_NE(t->GetLinkContent(0), nullptr);
    EXPECT_EQ(t->GetLinkContent(1), nullptr);
    EXPECT_EQ(t->GetInputFlags(), static_cast<UINT>(UIFLAG_SETCURSOR));
    EXPECT_EQ(plain->GetLinkCount(), 0);
    EXPECT_EQ(plain->GetInputFlags(), 0u);
    host.click(16, 14);
    ASSERT_EQ(host.notes.count(u"link", u"t"), 1);
    EXPECT_EQ(host.notes.entries.back().wParam, 0u);
    host.click(290, 14);
    EXPECT_EQ(host.notes.count(u"link", u"t"), 1);
}

TEST(Progress, FillFollowsTheValueAndAnEmptyRangeNeverDividesByZero)
{
    ImageFolder images;
    SkinHost host;
    ASSERT_NE(host.build(windowSkin(
                  u"<Progress name=\"p\" float=\"true\" pos=\"0,0,200,20\" foreimage=\"green.bmp\" value=\"50\"/>"
                  u"<Progress name=\"v\" float=\"true\" pos=\"250,0,270,100\" hor=\"false\" foreimage=\"green.bmp\" "
                  u"value=\"25\"/>"
                  u"<Progress name=\"empty\" float=\"true\" pos=\"0,50,200,70\" min=\"50\" max=\"50\" value=\"50\" "
                  u"foreimage=\"green.bmp\"/>"
                  u"<Progress name=\"over\" float=\"true\" pos=\"0,80,200,100\" value=\"150\" foreimage=\"green.bmp\"/>")),
              nullptr);
    EXPECT_EQ(host.pixel(50, 10), kGreen);
    EXPECT_EQ(host.pixel(150, 10), 0xFFFFFFu);
    EXPECT_EQ(host.pixel(260, 90), kGreen);
    EXPECT_EQ(host.pixel(260, 60), 0xFFFFFFu);

    auto* empty = host.find<CProgressUI>(u"empty");
    EXPECT_EQ(empty->GetMaxValue(), 51);
    EXPECT_EQ(host.pixel(100, 60), 0xFFFFFFu);
    auto* over = host.find<CProgressUI>(u"over");
    EXPECT_EQ(over->GetValue(), 100);
    EXPECT_EQ(host.pixel(199, 90), kGreen);

    // Changing the value moves the fill at the next paint.
    host.find<CProgressUI>(u"p")->SetValue(100);
    EXPECT_EQ(host.pixel(150, 10), kGreen);
    host.screenshot("skinui_progress");
}
