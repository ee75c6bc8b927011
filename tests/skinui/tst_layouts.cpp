// Containers and layouts built from skins on the headless backend: box, tab,
// tile and child layout arithmetic, child management, scrolling, and the
// builder's limits on nesting.
#include "tests/skinui/ControlTestSupport.h"
#include "skinui/UIText.h"
#include "skinui/controls/UIScrollBar.h"
#include "skinui/layouts/UIHorizontalLayout.h"
#include "skinui/layouts/UITabLayout.h"
#include "skinui/layouts/UIVerticalLayout.h"
#include "TempDir.h"

#include <gtest/gtest.h>

using namespace skintest;
using testsupport::TempDir;

namespace {

struct Placement
{
    const char16_t* name;
    RECT rect;
};

struct LayoutCase
{
    const char* what;
    const char16_t* body; // inside <Window><VerticalLayout>...</VerticalLayout></Window>
    std::vector<Placement> expected;
};

std::u16string windowSkin(const std::u16string& body)
{
    return u"<Window size=\"400,300\"><VerticalLayout name=\"root\">" + body + u"</VerticalLayout></Window>";
}

} // namespace

TEST(Layouts, ChildRectanglesFollowTheLayoutArithmetic)
{
    const std::vector<LayoutCase> cases = {
        {"vertical: fixed child and two sharing the rest",
         u"<VerticalLayout height=\"100\"><Control name=\"a\" height=\"30\"/><Control name=\"b\"/>"
         u"<Control name=\"c\"/></VerticalLayout>",
         {{u"a", {0, 0, 400, 30}}, {u"b", {0, 30, 400, 65}}, {u"c", {0, 65, 400, 100}}}},
        {"vertical: odd remainder goes to the last adjustable child",
         u"<VerticalLayout height=\"101\"><Control name=\"a\" height=\"30\"/><Control name=\"b\"/>"
         u"<Control name=\"c\"/></VerticalLayout>",
         {{u"b", {0, 30, 400, 65}}, {u"c", {0, 65, 400, 101}}}},
        {"vertical: paddings and child padding",
         u"<VerticalLayout height=\"100\" childpadding=\"10\"><Control name=\"a\" height=\"20\" padding=\"5,5,5,5\"/>"
         u"<Control name=\"b\" height=\"20\"/></VerticalLayout>",
         {{u"a", {5, 5, 395, 30}}, {u"b", {0, 40, 400, 60}}}},
        {"vertical: a minimum height beats the share",
         u"<VerticalLayout height=\"100\"><Control name=\"a\" minheight=\"80\"/><Control name=\"b\"/>"
         u"</VerticalLayout>",
         {{u"a", {0, 0, 400, 80}}, {u"b", {0, 80, 400, 100}}}},
        {"vertical: inset and fixed width",
         u"<VerticalLayout height=\"100\" inset=\"10,20,10,0\"><Control name=\"a\" height=\"30\" width=\"50\"/>"
         u"</VerticalLayout>",
         {{u"a", {10, 20, 60, 50}}}},
        {"horizontal: fixed, shared and a top padding",
         u"<HorizontalLayout height=\"50\" width=\"300\"><Control name=\"a\" width=\"100\"/><Control name=\"b\"/>"
         u"<Control name=\"c\" padding=\"0,10,0,0\"/></HorizontalLayout>",
         {{u"a", {0, 0, 100, 50}}, {u"b", {100, 0, 200, 50}}, {u"c", {200, 10, 300, 50}}}},
        {"horizontal: fixed height and maximum width",
         u"<HorizontalLayout height=\"50\"><Control name=\"a\" height=\"20\" maxwidth=\"60\"/><Control name=\"b\"/>"
         u"</HorizontalLayout>",
         {{u"a", {0, 0, 60, 20}}, {u"b", {60, 0, 400, 50}}}},
        {"tab: only the selected child is placed",
         u"<TabLayout height=\"100\" selectedid=\"1\" inset=\"5,5,5,5\"><Control name=\"t0\"/>"
         u"<Control name=\"t1\" padding=\"1,2,3,4\"/></TabLayout>",
         {{u"t1", {6, 7, 392, 91}}}},
        {"tile: three columns with child padding",
         u"<TileLayout height=\"200\" width=\"300\" columns=\"3\" childpadding=\"10\">"
         u"<Control name=\"k0\" height=\"40\"/><Control name=\"k1\" height=\"40\"/><Control name=\"k2\" height=\"40\"/>"
         u"<Control name=\"k3\" height=\"40\"/></TileLayout>",
         {{u"k0", {0, 0, 95, 40}}, {u"k1", {105, 0, 195, 40}}, {u"k2", {205, 0, 300, 40}}, {u"k3", {0, 50, 95, 90}}}},
        {"tile: item size decides the columns, a sized child is centred",
         u"<TileLayout height=\"200\" width=\"300\" itemsize=\"150,0\" columns=\"5\">"
         u"<Control name=\"m0\" width=\"50\" height=\"20\"/><Control name=\"m1\" height=\"30\"/></TileLayout>",
         {{u"m0", {50, 5, 100, 25}}, {u"m1", {150, 0, 300, 30}}}},
        {"tile: item size wider than the layout gives one column; hidden children take no tile",
         u"<TileLayout height=\"200\" width=\"300\" itemsize=\"500,0\"><Control name=\"n0\" height=\"20\"/>"
         u"<Control name=\"hidden\" visible=\"false\" height=\"20\"/><Control name=\"n1\" height=\"20\"/></TileLayout>",
         {{u"n0", {0, 0, 300, 20}}, {u"n1", {0, 20, 300, 40}}}},
        {"floating child at its own position, relative to the right edge",
         u"<Container height=\"100\"><Control name=\"f\" float=\"true\" pos=\"-30,10,-10,30\"/></Container>",
         {{u"f", {370, 10, 390, 30}}}},
    };
    for (const LayoutCase& c : cases) {
        SCOPED_TRACE(c.what);
        SkinHost host;
        ASSERT_NE(host.build(windowSkin(c.body)), nullptr);
        for (const Placement& p : c.expected) {
            CControlUI* ctl = host.find(p.name);
            ASSERT_NE(ctl, nullptr);
            EXPECT_TRUE(sameRect(ctl->GetPos(), p.rect))
                << std::string(p.name, p.name + std::char_traits<char16_t>::length(p.name)) << " at "
                << rectText(ctl->GetPos()) << ", expected " << rectText(p.rect);
        }
    }
}

TEST(Layouts, DraggedSeparatorEdgeFollowsThePointerOnBothAxes)
{
    // A 6-pixel strip at the far edge of a 100-long layout, dragged in the
    // immediate mode: pressed 3 pixels inside the edge, the pointer moves 6
    // on, then 20 back; the edge moves with it each time.
    auto drag = [](CBoxLayoutUI& box, UIAxis axis) {
        box.SetPos(RECT{0, 0, 100, 100});
        box.SetAttribute(axis.horizontal ? u"sepwidth" : u"sepheight", u"6");
        box.SetSepImmMode(true);
        std::vector<int> lengths;
        for (const auto& [type, at] : {std::pair{UIEVENT_BUTTONDOWN, 97}, std::pair{UIEVENT_MOUSEMOVE, 103},
                                       std::pair{UIEVENT_MOUSEMOVE, 83}, std::pair{UIEVENT_BUTTONUP, 83}}) {
            UIEventRecord ev{};
            ev.Type = type;
            ev.ptMouse = axis.horizontal ? POINT{at, 50} : POINT{50, at};
            box.HandleEvent(ev);
            if (type == UIEVENT_MOUSEMOVE)
                lengths.push_back(axis.length(box.GetPos()));
        }
        return lengths;
    };
    CVerticalLayoutUI column;
    CHorizontalLayoutUI row;
    EXPECT_EQ(drag(column, UIAxis::Y()), (std::vector<int>{106, 86}));
    EXPECT_EQ(drag(row, UIAxis::X()), (std::vector<int>{106, 86}));
    EXPECT_EQ(column.GetFixedHeight(), 86);
    EXPECT_EQ(row.GetFixedWidth(), 86);
}

TEST(Layouts, TabSelectionNotifiesAndKeepsItsChildAcrossInsertAndRemove)
{
    SkinHost host;
    ASSERT_NE(host.build(windowSkin(u"<TabLayout name=\"tabs\"><Control name=\"p0\"/><Control name=\"p1\"/>"
                                    u"<Control name=\"p2\"/></TabLayout>")),
              nullptr);
    auto* tabs = host.find<CTabLayoutUI>(u"tabs");
    EXPECT_EQ(tabs->GetCurSel(), 0);
    EXPECT_TRUE(host.find(u"p0")->IsVisible());
    EXPECT_FALSE(host.find(u"p1")->IsVisible());

    EXPECT_TRUE(tabs->SelectItem(2));
    ASSERT_EQ(host.notes.count(u"tabselect"), 1);
    EXPECT_EQ(host.notes.entries.back().wParam, 2u);
    EXPECT_EQ(host.notes.entries.back().lParam, 0);
    EXPECT_TRUE(tabs->SelectItem(2)); // already selected: nothing sent
    EXPECT_FALSE(tabs->SelectItem(3));
    EXPECT_FALSE(tabs->SelectItem(-1));
    EXPECT_EQ(host.notes.count(u"tabselect"), 1);
    host.refresh();
    EXPECT_TRUE(sameRect(host.find(u"p2")->GetPos(), RECT{0, 0, 400, 300}));

    auto* extra = new CControlUI;
    ASSERT_TRUE(tabs->AddAt(extra, 0));
    EXPECT_FALSE(extra->IsVisible());
    EXPECT_EQ(tabs->GetItemAt(tabs->GetCurSel()), host.find(u"p2"));

    ASSERT_TRUE(tabs->Remove(host.find(u"p2")));
    EXPECT_EQ(tabs->GetCurSel(), 0);
    EXPECT_TRUE(extra->IsVisible());
    EXPECT_EQ(host.notes.count(u"tabselect"), 1);
}

TEST(Layouts, ChildLayoutFillsItselfFromAFile)
{
    TempDir dir;
    dir.write("child.xml", "<Window><Label name=\"inner\" text=\"from file\"/></Window>");
    CUIWindowManager::SetSkinFolder(UIUtf8ToUtf16(dir.path() + "/").c_str());
    {
        SkinHost host;
        ASSERT_NE(host.build(windowSkin(u"<ChildLayout name=\"cl\" height=\"60\" xmlfile=\"child.xml\"/>"
                                        u"<ChildLayout name=\"missing\" xmlfile=\"nothere.xml\"/>")),
                  nullptr);
        CControlUI* inner = host.find(u"inner");
        ASSERT_NE(inner, nullptr);
        EXPECT_EQ(inner->GetParent(), host.find(u"cl"));
        EXPECT_TRUE(sameRect(inner->GetPos(), RECT{0, 0, 400, 60}));
        EXPECT_EQ(static_cast<CContainerUI*>(host.find(u"missing"))->GetCount(), 0);
        EXPECT_EQ(host.find(u"cl")->GetInterface(u"IContainer"), nullptr);
    }
    CUIWindowManager::SetSkinFolder(u"");
}

TEST(Layouts, SelfReferencingSkinsEndWithATraceLine)
{
    TempDir dir;
    dir.write("self.xml", "<Window><VerticalLayout><Include source=\"self.xml\"/><Control name=\"leaf\"/>"
                          "</VerticalLayout></Window>");
    dir.write("loop.xml", "<Window><ChildLayout xmlfile=\"loop.xml\"/></Window>");
    CUIWindowManager::SetSkinFolder(UIUtf8ToUtf16(dir.path() + "/").c_str());
    for (const char16_t* skin :
         {u"<Window><VerticalLayout><Include source=\"self.xml\"/></VerticalLayout></Window>",
          u"<Window><VerticalLayout><ChildLayout xmlfile=\"loop.xml\"/></VerticalLayout></Window>"}) {
        SkinHost host;
        ASSERT_NE(host.build(skin), nullptr);
        EXPECT_TRUE(tracedContaining(u"skin nesting deeper than 16"));
        host.refresh();
    }
    CUIWindowManager::SetSkinFolder(u"");
}

TEST(Layouts, DeeplyNestedElementsAreRefusedWithoutExhaustingTheStack)
{
    for (const char16_t* tag : {u"Control", u"VerticalLayout"}) {
        const int depth = 200000;
        std::u16string xml = u"<Window><VerticalLayout>";
        xml.reserve(static_cast<size_t>(depth) * 40);
        for (int i = 0; i < depth; ++i)
            xml += std::u16string(u"<") + tag + u">";
        for (int i = 0; i < depth; ++i)
            xml += std::u16string(u"</") + tag + u">";
        xml += u"<Label name=\"after\"/></VerticalLayout></Window>";
        SkinHost host;
        ASSERT_NE(host.build(xml), nullptr);
        EXPECT_TRUE(tracedContaining(u"nested deeper than 256"));
        EXPECT_NE(host.find(u"after"), nullptr);
    }
}

TEST(Container, ChildManagementRefusesBadIndexesAndHonoursAutoDestroy)
{
    SkinHost host;
    ASSERT_NE(host.build(windowSkin(u"<Container name=\"box\"><Control name=\"c0\"/><Control name=\"c1\"/>"
                                    u"</Container><Container name=\"hidden\" visible=\"false\"/>")),
              nullptr);
    auto* box = host.find<CContainerUI>(u"box");
    EXPECT_FALSE(box->RemoveAt(-1));
    EXPECT_FALSE(box->RemoveAt(2));
    EXPECT_EQ(box->GetItemAt(2), nullptr);
    auto* stray = new CControlUI;
    EXPECT_FALSE(box->AddAt(stray, 5));
    delete stray;
    EXPECT_EQ(box->FindSubControl(u"c1"), host.find(u"c1"));
    EXPECT_EQ(box->FindSubControl(u"nothing"), nullptr);

    CControlUI* c0 = box->GetItemAt(0);
    ASSERT_TRUE(box->SetItemIndex(c0, 1));
    EXPECT_EQ(box->GetItemIndex(c0), 1);

    box->SetAutoDestroy(false);
    CControlUI* kept0 = box->GetItemAt(0);
    CControlUI* kept1 = box->GetItemAt(1);
    box->RemoveAll();
    EXPECT_EQ(box->GetCount(), 0);
    delete kept0; // still alive: ours to delete
    delete kept1;

    auto* hidden = host.find<CContainerUI>(u"hidden");
    auto* child = new CControlUI;
    ASSERT_TRUE(hidden->Add(child));
    EXPECT_FALSE(child->IsVisible());
    hidden->SetVisible(true);
    EXPECT_TRUE(child->IsVisible());
}

TEST(Container, VerticalScrollBarAppearsAndScrollsTheChildren)
{
    SkinHost host;
    std::u16string body = u"<VerticalLayout name=\"list\" vscrollbar=\"true\">";
    for (int i = 0; i < 10; ++i)
        body += u"<Control name=\"r" + std::u16string(1, static_cast<char16_t>(u'0' + i)) + u"\" height=\"50\"/>";
    body += u"</VerticalLayout>";
    ASSERT_NE(host.build(windowSkin(body)), nullptr);
    auto* list = host.find<CContainerUI>(u"list");
    CScrollBarUI* bar = list->GetVerticalScrollBar();
    ASSERT_NE(bar, nullptr);
    EXPECT_TRUE(bar->IsVisible());
    EXPECT_EQ(bar->GetScrollRange(), 200);
    EXPECT_EQ(bar->GetScrollPos(), 0);
    EXPECT_TRUE(sameRect(bar->GetPos(), RECT{384, 0, 400, 300}));
    EXPECT_EQ(host.find(u"r0")->GetPos().right, 384);

    host.wheel(100, 100, -120); // one notch down
    const int step = list->GetScrollPos().cy;
    EXPECT_GT(step, 8);
    EXPECT_EQ(host.find(u"r0")->GetPos().top, -step);
    list->EndDown();
    EXPECT_EQ(list->GetScrollPos().cy, 200);
    EXPECT_EQ(host.find(u"r9")->GetPos().bottom, 300);
    list->PageUp();
    EXPECT_EQ(list->GetScrollPos().cy, 0);

    // Hit tests look into the scroll bar first.
    POINT pt = {390, 150};
    EXPECT_EQ(host.host.pm.FindControl(pt), bar);
    host.screenshot("skinui_scrolled_list");

    // Taking children away hides the bar again.
    while (list->GetCount() > 3)
        list->RemoveAt(0);
    host.refresh();
    EXPECT_FALSE(bar->IsVisible());
    EXPECT_EQ(host.find(u"r9")->GetPos().right, 400);
}

TEST(Container, WheelScrollsHorizontallyWhenOnlyTheHorizontalBarShows)
{
    SkinHost host;
    ASSERT_NE(host.build(windowSkin(u"<Container name=\"box\" hscrollbar=\"true\"><Control name=\"wide\"/>"
                                    u"</Container>")),
              nullptr);
    auto* box = host.find<CContainerUI>(u"box");
    CScrollBarUI* hbar = box->GetHorizontalScrollBar();
    ASSERT_NE(hbar, nullptr);
    hbar->SetScrollRange(100);
    UIEventRecord ev{};
    ev.Type = UIEVENT_SCROLLWHEEL;
    ev.wParam = SB_LINEDOWN;
    box->HandleEvent(ev);
    EXPECT_EQ(box->GetScrollPos().cx, 8);
    EXPECT_EQ(box->GetScrollPos().cy, 0);
}

TEST(Builder, TagTableCreatesTheLibraryClasses)
{
    struct Tag
    {
        const char16_t* tag;
        const char16_t* cls;
    };
    const Tag tags[] = {
        {u"Control", u"ControlUI"},
        {u"Container", u"ContainerUI"},
        {u"VerticalLayout", u"VerticalLayoutUI"},
        {u"HorizontalLayout", u"HorizontalLayoutUI"},
        {u"TileLayout", u"TileLayoutUI"},
        {u"TabLayout", u"TabLayoutUI"},
        {u"ChildLayout", u"ChildLayoutUI"},
        {u"Label", u"LabelUI"},
        {u"Text", u"TextUI"},
        {u"Button", u"ButtonUI"},
        {u"Option", u"OptionUI"},
        {u"CheckBox", u"CheckBoxUI"},
        {u"Progress", u"ProgressUI"},
        {u"ScrollBar", u"ScrollBarUI"},
        {u"Slider", u"SliderUI"},
        {u"Edit", u"EditUI"},
        {u"RichEdit", u"RichEditUI"},
        {u"ActiveX", u"ActiveXUI"},
        {u"WebBrowser", u"WebBrowserUI"},
        {u"List", u"ListUI"},
        {u"ListHeader", u"ListHeaderUI"},
        {u"ListHeaderItem", u"ListHeaderItemUI"},
        {u"ListTextElement", u"ListTextElementUI"},
        {u"ListLabelElement", u"ListLabelElementUI"},
        {u"ListContainerElement", u"ListContainerElementUI"},
        {u"Combo", u"ComboUI"},
        {u"ComboBox", u"ComboBoxUI"},
        {u"TreeView", u"TreeViewUI"},
        {u"DateTime", u"DateTimeUI"},
    };
    for (const Tag& t : tags) {
        CControlUI* ctl = CDialogBuilder::CreateControlForTag(t.tag);
        ASSERT_NE(ctl, nullptr) << UIUtf16ToUtf8(t.tag);
        EXPECT_EQ(std::u16string(ctl->GetClass()), std::u16string(t.cls));
        delete ctl;
    }
    EXPECT_EQ(CDialogBuilder::CreateControlForTag(u"label"), nullptr);
    EXPECT_EQ(CDialogBuilder::CreateControlForTag(u"Nonsense"), nullptr);
}

TEST(Builder, BadSkinsStillBringTheWindowUp)
{
    SkinHost host;
    ASSERT_NE(host.build(windowSkin(
                  u"<Mystery name=\"m\"/><Label name=\"l\" bogus=\"1\" width=\"-5\" height=\"99999999\" "
                  u"padding=\"-10,-10,-10,-10\" text=\"still here\"/>"
                  u"<VerticalLayout inset=\"-50,-50,-50,-50\" childpadding=\"-7\"><Control/><Control/></VerticalLayout>")),
              nullptr);
    EXPECT_TRUE(tracedContaining(u"未知控件:Mystery"));
    EXPECT_NE(host.find(u"l"), nullptr);
    host.refresh();
}
