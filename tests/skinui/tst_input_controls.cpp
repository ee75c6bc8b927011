// Slider and edit driven by injected mouse and keys on the headless
// backend, and the hosted-service controls (rich edit, ActiveX, web
// browser) taking their failure paths while the window keeps working.
#include "tests/skinui/ControlTestSupport.h"
#include "skinui/controls/UIActiveX.h"
#include "skinui/controls/UIEdit.h"
#include "skinui/controls/UIRichEdit.h"
#include "skinui/controls/UISlider.h"
#include "skinui/controls/UIWebBrowser.h"

#include <winapi/commctrl.h>

#include <gtest/gtest.h>

using namespace skintest;

namespace {

std::u16string windowSkin(const std::u16string& body)
{
    return u"<Window size=\"400,300\"><Container bkcolor=\"#FFFFFFFF\">" + body + u"</Container></Window>";
}

} // namespace

TEST(Slider, TrackClicksDragsAndWheelSetTheValue)
{
    SkinHost host;
    ASSERT_NE(host.build(windowSkin(u"<Slider name=\"s\" float=\"true\" pos=\"0,0,210,20\" thumbsize=\"10,10\" "
                                    u"value=\"0\" step=\"5\"/>"
                                    u"<Slider name=\"flat\" float=\"true\" pos=\"0,40,210,60\" min=\"7\" max=\"7\"/>")),
              nullptr);
    auto* s = host.find<CSliderUI>(u"s");
    // A click on the track sets the value there on release.
    host.click(105, 10);
    EXPECT_EQ(s->GetValue(), 50);
    EXPECT_EQ(host.notes.count(u"valuechanged", u"s"), 1);

    // Dragging the thumb repaints without notifications until the release.
    const RECT thumb = s->GetThumbRect();
    const int x0 = (thumb.left + thumb.right) / 2;
    host.tick(1000);
    host.move(x0, 10);
    host.down(x0, 10);
    host.move(x0 + 50, 10);
    EXPECT_EQ(s->GetValue(), 75);
    EXPECT_EQ(host.notes.count(u"valuechanged", u"s"), 1);
    host.move(500, 10);
    EXPECT_EQ(s->GetValue(), 100);
    host.up(500, 10);
    EXPECT_EQ(host.notes.count(u"valuechanged", u"s"), 2);

    // The wheel steps by "step" and notifies; the paint cuts the value
    // back into the range.
    host.wheel(50, 10, 120);
    host.refresh();
    EXPECT_EQ(s->GetValue(), 100);
    EXPECT_EQ(host.notes.count(u"valuechanged", u"s"), 3);
    host.wheel(50, 10, -120);
    EXPECT_EQ(s->GetValue(), 95);

    // An empty range: thumb and value come out without dividing by zero,
    // also before the first paint put the range in order.
    auto* flat = host.find<CSliderUI>(u"flat");
    flat->SetMaxValue(7);
    const RECT rc = flat->GetThumbRect();
    EXPECT_EQ(rc.left, 0);
    host.click(105, 50);
    EXPECT_EQ(flat->GetValue(), 7);
    host.screenshot("skinui_sliders");
}

TEST(Edit, FocusOpensTheOverlayThatTypesSelectsAndReturns)
{
    SkinHost host;
    ASSERT_NE(host.build(windowSkin(u"<Edit name=\"e\" float=\"true\" pos=\"10,10,210,40\" maxchar=\"8\"/>"
                                    u"<Edit name=\"pw\" float=\"true\" pos=\"10,60,210,90\" password=\"true\" "
                                    u"text=\"abc\" textcolor=\"#FF000000\"/>"
                                    u"<Button name=\"other\" float=\"true\" pos=\"10,120,110,150\"/>")),
              nullptr);
    auto* e = host.find<CEditUI>(u"e");
    EXPECT_EQ(e->GetInputFlags(), static_cast<UINT>(UIFLAG_TABSTOP | UIFLAG_SETCURSOR));
    host.click(50, 25);
    HWND overlay = e->GetNativeWindow();
    ASSERT_NE(overlay, nullptr);
    EXPECT_TRUE(::IsWindowVisible(overlay));

    winapi::headless::typeText(u"hello world");
    pump();
    EXPECT_EQ(std::u16string(e->GetText().GetData()), u"hello wo"); // limited to 8
    EXPECT_GE(host.notes.count(u"textchanged", u"e"), 8);

    host.key(VK_RETURN, u'\r');
    EXPECT_EQ(host.notes.count(u"return", u"e"), 1);
    EXPECT_EQ(std::u16string(e->GetText().GetData()), u"hello wo");

    // Focus elsewhere closes the overlay; the control keeps the text.
    host.click(60, 135);
    pump();
    EXPECT_EQ(e->GetNativeWindow(), nullptr);
    EXPECT_EQ(std::u16string(e->GetText().GetData()), u"hello wo");

    // Password fields open with the masking style.
    auto* pw = host.find<CEditUI>(u"pw");
    host.click(50, 75);
    ASSERT_NE(pw->GetNativeWindow(), nullptr);
    EXPECT_NE(::GetWindowLongPtrW(pw->GetNativeWindow(), GWL_STYLE) & ES_PASSWORD, 0);
    // Hiding a focused edit closes its overlay.
    pw->SetVisible(false);
    pump();
    EXPECT_EQ(pw->GetNativeWindow(), nullptr);
    host.screenshot("skinui_edits");

    e->SetAttribute(u"numberonly", u"true");
    e->SetAttribute(u"numberonly", u"false");
    EXPECT_EQ(e->GetWindowStyles() & ES_NUMBER, 0u);
}

TEST(Edit, PasswordTextIsPaintedMasked)
{
    SkinHost host;
    ASSERT_NE(host.build(windowSkin(u"<Edit name=\"plain\" float=\"true\" pos=\"10,10,210,40\" text=\"iii\" "
                                    u"textcolor=\"#FF000000\"/>"
                                    u"<Edit name=\"pw\" float=\"true\" pos=\"10,60,210,90\" password=\"true\" "
                                    u"text=\"iii\" textcolor=\"#FF000000\"/>")),
              nullptr);
    // The same text paints differently once masked.
    host.refresh();
    const winapi::Picture pic = winapi::captureWindow(host.host.GetHWND());
    int differing = 0;
    for (int y = 0; y < 30; ++y)
        for (int x = 10; x < 210; ++x)
            if (pic.at(x, 10 + y) != pic.at(x, 60 + y))
                ++differing;
    EXPECT_GT(differing, 0);
}

TEST(HostedServices, MissingServicesFailCleanlyAndTheWindowKeepsWorking)
{
    SkinHost host;
    ASSERT_NE(host.build(windowSkin(
                  u"<RichEdit name=\"re\" float=\"true\" pos=\"10,10,200,100\" text=\"kept\" wantreturn=\"false\" "
                  u"align=\"center right\" multiline=\"true\" vscrollbar=\"true\" bkcolor=\"#FF00FF00\"/>"
                  u"<ActiveX name=\"ax\" float=\"true\" pos=\"210,10,300,100\" clsid=\"{11111111-2222-3333-4444-555555555555}\"/>"
                  u"<ActiveX name=\"byname\" float=\"true\" pos=\"210,110,300,150\" clsid=\"Some.Control\"/>"
                  u"<WebBrowser name=\"web\" float=\"true\" pos=\"10,110,200,200\" homepage=\"http://127.0.0.1/\" "
                  u"autonavi=\"true\"/>"
                  u"<Button name=\"ok\" float=\"true\" pos=\"10,250,110,290\"/>")),
              nullptr);
    EXPECT_TRUE(tracedContaining(u"no windowless rich-text services"));
    EXPECT_TRUE(tracedContaining(u"could not be created"));
    EXPECT_TRUE(tracedContaining(u"names no class"));

    auto* re = host.find<CRichEditUI>(u"re");
    EXPECT_FALSE(re->HasTextHost());
    EXPECT_EQ(std::u16string(re->GetText().GetData()), u"kept");
    EXPECT_FALSE(re->IsWantReturn());
    EXPECT_EQ(re->GetWinStyle() & (CRichEditUI::StyleCenter | CRichEditUI::StyleRight),
              static_cast<LONG>(CRichEditUI::StyleRight));
    EXPECT_NE(re->GetWinStyle() & CRichEditUI::StyleMultiLine, 0);
    EXPECT_NE(re->GetVerticalScrollBar(), nullptr);
    EXPECT_NE(re->GetInterface(u"WantTab"), nullptr);
    re->SetAttribute(u"wanttab", u"false");
    EXPECT_EQ(re->GetInterface(u"WantTab"), nullptr);
    EXPECT_EQ(host.pixel(100, 50), 0x00FF00u); // background still painted

    auto* ax = host.find<CActiveXUI>(u"ax");
    EXPECT_FALSE(ax->HasControl());
    auto* web = host.find<CWebBrowserUI>(u"web");
    EXPECT_FALSE(web->HasBrowser());
    web->NavigateHomePage(); // nothing to do, nothing breaks
    EXPECT_EQ(std::u16string(web->GetHomePage()), u"http://127.0.0.1/");

    // Input over them is harmless and the rest of the window still works.
    host.click(100, 50);
    host.key('A', u'A');
    host.click(250, 50);
    host.tick(1000);
    host.click(60, 270);
    EXPECT_EQ(host.notes.count(u"click", u"ok"), 1);
    host.screenshot("skinui_hosted_services");
}
