// The combo and the combo box on the headless backend: the pop-up opens
// below (or above) the box, shows the rows, closes on a click, Enter,
// Escape or any change of the selection, and hands the rows back; keys and
// the wheel on the closed box; the arrow image's five frames.
#include "tests/skinui/ControlTestSupport.h"
#include "skinui/UIText.h"
#include "skinui/controls/UICombo.h"
#include "skinui/controls/UIComboBox.h"
#include "skinui/controls/UIComboWnd.h"
#include "skinui/controls/UIListLabelElement.h"
#include "skinui/layouts/UIVerticalLayout.h"
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

std::u16string windowSkin(const std::u16string& body)
{
    return u"<Window size=\"400,300\"><Container bkcolor=\"#FFFFFFFF\">" + body + u"</Container></Window>";
}

// A combo at (10,10)-(160,40) with n rows of 20 pixels named c0, c1, ...
std::u16string comboSkin(int n, const std::u16string& attributes = u"", const std::u16string& tag = u"Combo")
{
    std::u16string rows;
    for (int i = 0; i < n; ++i)
        rows += u"<ListLabelElement name=\"c" + UIUtf8ToUtf16(std::to_string(i)) + u"\" height=\"20\" text=\"choice " +
                UIUtf8ToUtf16(std::to_string(i)) + u"\"/>";
    return windowSkin(u"<" + tag + u" name=\"combo\" float=\"true\" pos=\"10,10,160,40\" " + attributes + u">" + rows +
                      u"</" + tag + u">");
}

// A BMP of vertical stripes, one colour each, left to right.
std::string stripedBmp(int stripeWidth, int h, const std::vector<uint32_t>& colours)
{
    const int w = stripeWidth * static_cast<int>(colours.size());
    std::string out = solidBmp(w, h, 0);
    const int rowBytes = (w * 3 + 3) & ~3;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const uint32_t rgb = colours[static_cast<size_t>(x / stripeWidth)];
            const size_t at = 54 + static_cast<size_t>(y * rowBytes + x * 3);
            out[at] = static_cast<char>(rgb & 0xFF);
            out[at + 1] = static_cast<char>((rgb >> 8) & 0xFF);
            out[at + 2] = static_cast<char>((rgb >> 16) & 0xFF);
        }
    return out;
}

} // namespace

TEST(Combo, ClickOpensThePopupBelowAndAClickOnARowSelectsAndCloses)
{
    SkinHost host;
    ASSERT_NE(host.build(comboSkin(5, u"dropboxsize=\"0,70\" itemtextcolor=\"#FFFF0000\"")), nullptr);
    auto* combo = host.find<CComboUI>(u"combo");
    CUIWindowManager* pm = &host.host.pm;
    host.click(50, 20);
    CComboWnd* popup = combo->GetDropWindow();
    ASSERT_NE(popup, nullptr);
    EXPECT_EQ(host.notes.count(u"dropdown", u"combo"), 1);
    // As wide as the box (drop width 0), never taller than the drop height.
    EXPECT_TRUE(sameRect(popup->GetPopupRect(), RECT{10, 40, 160, 110})) << rectText(popup->GetPopupRect());
    // The rows now live in the pop-up.
    EXPECT_EQ(combo->GetItemAt(0)->GetManager(), &popup->GetManager());
    EXPECT_EQ(combo->GetItemAt(0)->GetParent(), popup->GetLayout());
    winapi::dumpWindowPng(popup->GetHWND(), testsupport::screenshotPath("skinui_combo_popup.png"));

    host.click(50, 40 + 1 + 30); // the second row
    EXPECT_EQ(combo->GetCurSel(), 1);
    // The row's own notifications went through the pop-up's manager.
    EXPECT_EQ(host.notes.count(u"itemclick"), 0);
    ASSERT_EQ(host.notes.count(u"itemselect", u"combo"), 1);
    EXPECT_EQ(combo->GetDropWindow(), nullptr);
    EXPECT_EQ(combo->GetText(), u"choice 1");
    // The rows are back with the window's manager, laid out to nothing.
    EXPECT_EQ(combo->GetItemAt(1)->GetManager(), pm);
    EXPECT_EQ(combo->GetItemAt(1)->GetParent(), combo);
    EXPECT_TRUE(sameRect(combo->GetItemAt(1)->GetPos(), RECT{0, 0, 0, 0}));
    EXPECT_EQ(combo->GetButtonState() & 0x10u, 0u); // pushed cleared
    host.screenshot("skinui_combo_closed");

    // A short list shrinks the pop-up to the rows plus 4.
    combo->RemoveAt(4);
    combo->RemoveAt(3);
    combo->RemoveAt(2);
    host.click(50, 20);
    ASSERT_NE(combo->GetDropWindow(), nullptr);
    EXPECT_EQ(combo->GetDropWindow()->GetPopupRect().bottom, 40 + 2 * 20 + 4);
    host.key(VK_RETURN, u'\r');
    EXPECT_EQ(combo->GetDropWindow(), nullptr);
    EXPECT_EQ(combo->GetCurSel(), 1);
}

TEST(Combo, EscapeRestoresTheSelectionAndKeysMoveItWhileClosed)
{
    SkinHost host;
    ASSERT_NE(host.build(comboSkin(4)), nullptr);
    auto* combo = host.find<CComboUI>(u"combo");
    ASSERT_TRUE(combo->SelectItem(2));
    host.click(50, 20);
    ASSERT_NE(combo->GetDropWindow(), nullptr);
    // An arrow key in the pop-up changes the selection, which closes it.
    host.key(VK_DOWN);
    EXPECT_EQ(combo->GetCurSel(), 3);
    EXPECT_EQ(combo->GetDropWindow(), nullptr);

    host.click(50, 20);
    ASSERT_NE(combo->GetDropWindow(), nullptr);
    host.key(VK_ESCAPE);
    EXPECT_EQ(combo->GetDropWindow(), nullptr);
    EXPECT_EQ(combo->GetCurSel(), 3);

    // Closed: keys and the wheel move the selection without opening.
    combo->SetFocus();
    struct Step
    {
        int vk;
        int expected;
    };
    const Step steps[] = {{VK_UP, 2}, {VK_HOME, 0}, {VK_UP, 0}, {VK_END, 3}, {VK_PRIOR, 2}, {VK_NEXT, 3}};
    for (const Step& s : steps) {
        host.key(s.vk);
        EXPECT_EQ(combo->GetCurSel(), s.expected) << "key " << s.vk;
        EXPECT_EQ(combo->GetDropWindow(), nullptr);
    }
    host.wheel(50, 20, 120);
    EXPECT_EQ(combo->GetCurSel(), 2);
    host.key(VK_F4);
    EXPECT_NE(combo->GetDropWindow(), nullptr);
    host.key(VK_ESCAPE);
    EXPECT_EQ(combo->GetDropWindow(), nullptr);
}

TEST(Combo, OpensAboveWhenTheWorkAreaEndsBelow)
{
    SkinHost host;
    winapi::headless::setScreen(1920, 1080, RECT{0, 0, 1920, 100});
    ASSERT_NE(host.build(comboSkin(5, u"dropboxsize=\"200,70\"")), nullptr);
    auto* combo = host.find<CComboUI>(u"combo");
    ASSERT_TRUE(combo->Activate());
    ASSERT_NE(combo->GetDropWindow(), nullptr);
    EXPECT_TRUE(sameRect(combo->GetDropWindow()->GetPopupRect(), RECT{10, -60, 210, 10}))
        << rectText(combo->GetDropWindow()->GetPopupRect());
    host.key(VK_ESCAPE);
    winapi::headless::setScreen(1920, 1080, RECT{0, 0, 1920, 1040});
}

TEST(Combo, IndexesFromCallersAreClampedOrRefused)
{
    SkinHost host;
    ASSERT_NE(host.build(comboSkin(3)), nullptr);
    auto* combo = host.find<CComboUI>(u"combo");
    // Past the end: the last row.
    EXPECT_TRUE(combo->SelectItem(100000));
    EXPECT_EQ(combo->GetCurSel(), 2);
    EXPECT_FALSE(combo->SelectItem(-5));
    EXPECT_EQ(combo->GetCurSel(), -1);
    const int bad[] = {-3, 3, 99};
    for (int i : bad) {
        EXPECT_EQ(combo->GetItemAt(i), nullptr) << i;
        EXPECT_FALSE(combo->RemoveAt(i)) << i;
        EXPECT_FALSE(combo->SetItemIndex(combo->GetItemAt(0), i)) << i;
    }
    EXPECT_EQ(combo->GetText(), u"");
    // Removing the selected row selects the one before it.
    combo->SelectItem(2);
    EXPECT_TRUE(combo->RemoveAt(2));
    EXPECT_EQ(combo->GetCurSel(), 1);
    combo->RemoveAll();
    EXPECT_FALSE(combo->SelectItem(0));

    // The attributes, the combo's own item appearance included.
    CComboUI c;
    c.SetAttribute(u"dropboxsize", u"120,300");
    c.SetAttribute(u"textpadding", u"1,2,3,4");
    c.SetAttribute(u"dropbox", u"bkcolor=\"#FF000000\"");
    c.SetAttribute(u"itemtextcolor", u"#FF123456");
    c.SetAttribute(u"itemendellipsis", u"true"); // not a combo attribute
    EXPECT_EQ(c.GetDropBoxSize().cx, 120);
    EXPECT_EQ(c.GetDropBoxSize().cy, 300);
    EXPECT_TRUE(sameRect(c.GetTextPadding(), RECT{1, 2, 3, 4}));
    EXPECT_EQ(c.GetDropBoxAttributeList(), u"bkcolor=\"#FF000000\"");
    EXPECT_EQ(c.GetListInfo()->dwTextColor, 0xFF123456u);
    EXPECT_EQ(c.GetListInfo()->uTextStyle & DT_END_ELLIPSIS, 0u);
}

TEST(ComboBox, TheArrowImageDrawsOneOfItsFiveFrames)
{
    TempDir dir;
    dir.write("arrow.bmp", stripedBmp(20, 30, {kRed, kGreen, kBlue, kYellow, kGrey}));
    CUIWindowManager::SetSkinFolder(UIUtf8ToUtf16(dir.path() + "/").c_str());
    SkinHost host;
    ASSERT_NE(host.build(comboSkin(2,
                                   u"arrowimage=\"file='arrow.bmp' source='0,0,100,30'\"",
                                   u"ComboBox") +
                         u""),
              nullptr);
    auto* box = host.find<CComboBoxUI>(u"combo");
    host.host.pm.SetFocus(nullptr);
    EXPECT_EQ(host.pixel(150, 25), kRed);
    EXPECT_EQ(box->GetButtonWidth(), 20);
    host.move(150, 25);
    EXPECT_EQ(host.pixel(150, 25), kGreen);
    box->SetFocus();
    host.move(300, 200);
    EXPECT_EQ(host.pixel(150, 25), kYellow);
    box->SetEnabled(false);
    EXPECT_EQ(host.pixel(150, 25), kGrey);
    // Left of the button the box shows no arrow.
    EXPECT_NE(host.pixel(130, 25), kGrey);
    host.screenshot("skinui_combobox");

    // Without a source part nothing of the states is drawn.
    box->SetEnabled(true);
    box->SetAttribute(u"arrowimage", u"arrow.bmp");
    box->SetAttribute(u"normalimage", u"arrow.bmp");
    EXPECT_EQ(host.pixel(150, 25), 0xFFFFFFu);
    CUIWindowManager::SetSkinFolder(u"");
}

TEST(Combo, DestroyedWithItsPopupOpenClosesThePopupFirst)
{
    SkinHost host;
    ASSERT_NE(host.build(comboSkin(3)), nullptr);
    auto* combo = host.find<CComboUI>(u"combo");
    ASSERT_TRUE(combo->Activate());
    ASSERT_NE(combo->GetDropWindow(), nullptr);
    const HWND popup = combo->GetDropWindow()->GetHWND();
    ASSERT_TRUE(::IsWindow(popup));
    auto* root = static_cast<CContainerUI*>(host.host.pm.GetRoot());
    root->SetDelayedDestroy(false);
    ASSERT_TRUE(root->Remove(combo));
    EXPECT_FALSE(::IsWindow(popup));
    // The window goes on working where the pop-up was.
    host.click(50, 60);
    host.refresh();
}
