// The list, its header and its rows built from skins on the headless
// backend: structure, selection by clicks, keys and the wheel, removal
// rules, scrolling, row painting by pixel probes, column resizing, text
// rows with columns and links, and callers' indexes out of range.
#include "tests/skinui/ControlTestSupport.h"
#include "skinui/controls/UIList.h"
#include "skinui/controls/UIListBody.h"
#include "skinui/controls/UIListContainerElement.h"
#include "skinui/controls/UIListHeader.h"
#include "skinui/controls/UIListHeaderItem.h"
#include "skinui/controls/UIListLabelElement.h"
#include "skinui/controls/UIListTextElement.h"
#include "skinui/controls/UIScrollBar.h"
#include "skinui/UIText.h"

#include <functional>

#include <gtest/gtest.h>

using namespace skintest;

namespace {

constexpr uint32_t kWhite = 0xFFFFFF;
constexpr uint32_t kBlue = 0x0000FF;
constexpr uint32_t kGreen = 0x00FF00;
constexpr uint32_t kRed = 0xFF0000;
constexpr uint32_t kGrey = 0x808080;

std::u16string windowSkin(const std::u16string& body)
{
    return u"<Window size=\"400,300\"><Container bkcolor=\"#FFFFFFFF\">" + body + u"</Container></Window>";
}

// A 200x100 list with a 20-pixel header of two columns and n label rows of
// 20 pixels named r0, r1, ...
std::u16string listSkin(int n, const std::u16string& listAttributes = u"", const std::u16string& rowAttributes = u"")
{
    std::u16string rows;
    for (int i = 0; i < n; ++i)
        rows += u"<ListLabelElement name=\"r" + UIUtf8ToUtf16(std::to_string(i)) + u"\" height=\"20\" text=\"row " +
                UIUtf8ToUtf16(std::to_string(i)) + u"\" " + rowAttributes + u"/>";
    return windowSkin(u"<List name=\"list\" float=\"true\" pos=\"0,0,200,100\" vscrollbar=\"true\" " + listAttributes +
                      u"><ListHeader height=\"20\"><ListHeaderItem name=\"h0\" text=\"A\" width=\"80\"/>"
                      u"<ListHeaderItem name=\"h1\" text=\"B\" width=\"100\"/></ListHeader>" +
                      rows + u"</List>");
}

int rowMid(int i) { return 20 + 20 * i + 10; }

} // namespace

TEST(List, ChildrenAreHeaderAndBodyAndRowsKnowTheirOwner)
{
    SkinHost host;
    ASSERT_NE(host.build(listSkin(3)), nullptr);
    auto* list = host.find<CListUI>(u"list");
    ASSERT_NE(list, nullptr);
    // The skin's own header replaced the empty one the list made.
    EXPECT_EQ(list->CContainerUI::GetCount(), 2);
    EXPECT_EQ(list->CContainerUI::GetItemAt(0), list->GetHeader());
    EXPECT_EQ(list->CContainerUI::GetItemAt(1), list->GetList());
    EXPECT_EQ(list->GetHeader()->GetCount(), 2);
    EXPECT_EQ(list->GetCount(), 3);
    for (int i = 0; i < 3; ++i) {
        auto* item = UIListItemOf(list->GetItemAt(i));
        ASSERT_NE(item, nullptr);
        EXPECT_EQ(item->GetIndex(), i);
        EXPECT_EQ(item->GetOwner(), static_cast<IListOwnerUI*>(list));
    }
    EXPECT_EQ(list->GetInterface(u"IList"), static_cast<IListUI*>(list));
    EXPECT_EQ(list->GetItemIndex(host.find(u"h1")), 1);

    // Columns follow the header items after the layout.
    const CUIListInfo* info = list->GetListInfo();
    EXPECT_EQ(info->nColumns, 2);
    EXPECT_EQ(info->rcColumn[0].left, 0);
    EXPECT_EQ(info->rcColumn[0].right, 80);
    EXPECT_EQ(info->rcColumn[1].left, 80);
    EXPECT_EQ(info->rcColumn[1].right, 180);
    EXPECT_TRUE(sameRect(host.find(u"r0")->GetPos(), RECT{0, 20, 200, 40})) << rectText(host.find(u"r0")->GetPos());
}

TEST(List, ClicksKeysAndTheWheelMoveTheSelection)
{
    SkinHost host;
    ASSERT_NE(host.build(listSkin(6)), nullptr);
    auto* list = host.find<CListUI>(u"list");
    host.click(50, rowMid(1));
    EXPECT_EQ(list->GetCurSel(), 1);
    EXPECT_EQ(host.notes.count(u"itemclick", u"r1"), 1);
    ASSERT_EQ(host.notes.count(u"itemselect", u"list"), 1);
    EXPECT_EQ(host.notes.entries.back().wParam, 1u);
    EXPECT_EQ(host.notes.entries.back().lParam, -1);

    host.find(u"r3")->SetEnabled(false);
    host.find(u"r5")->SetVisible(false);
    list->SetFocus();
    struct Step
    {
        int vk;
        int expected;
    };
    // Down skips the disabled row; Down past the last selectable row (the
    // one after is hidden) clears the selection; Home finds the first.
    // End clears it too (the last row is hidden); Down from nothing takes
    // the first row.
    const Step steps[] = {{VK_DOWN, 2}, {VK_DOWN, 4}, {VK_UP, 2},    {VK_HOME, 0}, {VK_UP, 0},
                          {VK_END, -1}, {VK_DOWN, 0}, {VK_DOWN, 1}, {VK_DOWN, 2}, {VK_DOWN, 4},
                          {VK_DOWN, -1}, {VK_HOME, 0}};
    for (const Step& s : steps) {
        host.key(s.vk);
        EXPECT_EQ(list->GetCurSel(), s.expected) << "key " << s.vk;
    }
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(static_cast<CListLabelElementUI*>(list->GetItemAt(i))->IsSelected(), i == 0) << i;

    // A click on a disabled row neither notifies nor selects.
    const int clicks = host.notes.count(u"itemclick");
    host.click(50, rowMid(3));
    EXPECT_EQ(host.notes.count(u"itemclick"), clicks);
    EXPECT_EQ(list->GetCurSel(), 0);

    // Enter activates the selected row.
    list->SetFocus();
    host.key(VK_RETURN, u'\r');
    EXPECT_EQ(host.notes.count(u"itemactivate", u"r0"), 1);

    // With scroll select the wheel moves the selection, never the view.
    list->SetScrollSelect(true);
    host.wheel(50, rowMid(0), -120);
    EXPECT_EQ(list->GetCurSel(), 1);
    EXPECT_EQ(list->GetScrollPos().cy, 0);
}

TEST(List, CallersIndexesOutOfRangeAreRefused)
{
    SkinHost host;
    ASSERT_NE(host.build(listSkin(3)), nullptr);
    auto* list = host.find<CListUI>(u"list");
    CControlUI* r1 = host.find(u"r1");
    const int bad[] = {-7, -1, 3, 4, 100000};
    for (int i : bad) {
        EXPECT_EQ(list->GetItemAt(i), nullptr) << i;
        if (i != -1) { // -1 is the current selection: nothing to change
            EXPECT_FALSE(list->SelectItem(i)) << i;
        }
        EXPECT_FALSE(list->RemoveAt(i)) << i;
        EXPECT_FALSE(list->SetItemIndex(r1, i)) << i;
        EXPECT_FALSE(list->ExpandItem(i, true)) << i;
        if (i != 3) { // the end is a place to insert at
            auto* row = new CListLabelElementUI;
            EXPECT_FALSE(list->AddAt(row, i)) << i;
            delete row;
        }
    }
    EXPECT_EQ(list->GetCount(), 3);
    EXPECT_EQ(list->GetCurSel(), -1);
    EXPECT_FALSE(list->Remove(nullptr));
    CListLabelElementUI stranger;
    EXPECT_FALSE(list->Remove(&stranger));
    auto* text = new CListTextElementUI;
    text->SetText(-1, u"refused");
    EXPECT_STREQ(reinterpret_cast<const char*>(text->GetText(5)), reinterpret_cast<const char*>(u""));
    EXPECT_TRUE(list->AddAt(text, 3));
    EXPECT_EQ(text->GetIndex(), 3);
}

TEST(List, RemovingAndMovingRowsKeepsTheSelectionOnTheRightRow)
{
    struct Case
    {
        const char* what;
        int selected;
        int removed;
        int expectedSel;   // index after the removal
        const char16_t* expectedName;
    };
    const Case cases[] = {
        {"selected row: the one moving in", 2, 2, 2, u"r3"},
        {"row before the selection", 3, 1, 2, u"r3"},
        {"row after the selection", 1, 3, 1, u"r1"},
        {"last row selected", 4, 4, 3, u"r3"},
    };
    for (const Case& c : cases) {
        SkinHost host;
        ASSERT_NE(host.build(listSkin(5)), nullptr);
        auto* list = host.find<CListUI>(u"list");
        ASSERT_TRUE(list->SelectItem(c.selected));
        ASSERT_TRUE(list->RemoveAt(c.removed)) << c.what;
        EXPECT_EQ(list->GetCurSel(), c.expectedSel) << c.what;
        EXPECT_EQ(list->GetItemAt(list->GetCurSel())->GetName(), c.expectedName) << c.what;
        for (int i = 0; i < list->GetCount(); ++i)
            EXPECT_EQ(UIListItemOf(list->GetItemAt(i))->GetIndex(), i) << c.what;
    }

    SkinHost host;
    ASSERT_NE(host.build(listSkin(5)), nullptr);
    auto* list = host.find<CListUI>(u"list");
    list->SelectItem(1);
    ASSERT_TRUE(list->SetItemIndex(host.find(u"r1"), 4));
    EXPECT_EQ(list->GetCurSel(), 4);
    EXPECT_EQ(list->GetItemAt(1)->GetName(), u"r2");
    ASSERT_TRUE(list->AddAt(new CListLabelElementUI, 0));
    EXPECT_EQ(list->GetCurSel(), 5);
    // Hiding the selected row leaves the list without a selection.
    host.find(u"r1")->SetVisible(false);
    EXPECT_EQ(list->GetCurSel(), -1);
    list->RemoveAll();
    EXPECT_EQ(list->GetCount(), 0);
}

TEST(List, ScrollsByWheelAndBringsTheSelectionIntoView)
{
    SkinHost host;
    ASSERT_NE(host.build(listSkin(50)), nullptr);
    auto* list = host.find<CListUI>(u"list");
    CScrollBarUI* bar = list->GetVerticalScrollBar();
    ASSERT_NE(bar, nullptr);
    ASSERT_TRUE(bar->IsVisible());
    EXPECT_EQ(bar->GetScrollRange(), 50 * 20 - 80);
    host.wheel(50, rowMid(1), -120);
    const int step = list->GetScrollPos().cy;
    EXPECT_GT(step, 0);
    EXPECT_EQ(host.find(u"r0")->GetPos().top, 20 - step);

    // Selecting a row below the view scrolls so its bottom meets the view's.
    list->SelectItem(30);
    EXPECT_EQ(host.find(u"r30")->GetPos().bottom, 100);
    list->SetFocus();
    host.key(VK_HOME);
    EXPECT_EQ(list->GetScrollPos().cy, 0);
    host.key(VK_NEXT);
    EXPECT_EQ(list->GetScrollPos().cy, 80);
    host.screenshot("skinui_list_scrolled");
}

TEST(List, RowsPaintFromTheListWideAppearance)
{
    SkinHost host;
    ASSERT_NE(host.build(listSkin(4,
                                  u"itembkcolor=\"#FF808080\" itemaltbk=\"true\" itemselectedbkcolor=\"#FF0000FF\" "
                                  u"itemhotbkcolor=\"#FF00FF00\" itemlinecolor=\"#FFFF0000\" "
                                  u"itemtextcolor=\"#FF808080\"")),
              nullptr);
    auto* list = host.find<CListUI>(u"list");
    // Alternate rows: even rows grey, odd rows without colour.
    EXPECT_EQ(host.pixel(150, rowMid(0)), kGrey);
    EXPECT_EQ(host.pixel(150, rowMid(1)), kWhite);
    EXPECT_EQ(host.pixel(150, rowMid(2)), kGrey);
    // The line along each row's bottom.
    EXPECT_EQ(host.pixel(150, 20 + 19), kRed);
    EXPECT_EQ(host.pixel(150, 20 + 20 + 19), kRed);
    // Hot and selected colours win over the alternation.
    host.move(150, rowMid(1));
    EXPECT_EQ(host.pixel(150, rowMid(1)), kGreen);
    list->SelectItem(3);
    EXPECT_EQ(host.pixel(150, rowMid(3)), kBlue);
    host.find(u"r2")->SetEnabled(false);
    EXPECT_EQ(host.pixel(150, rowMid(2)), kWhite); // the disabled colour
    host.screenshot("skinui_list_rows");
}

TEST(List, HeaderItemsClickAndResizeTheirColumns)
{
    SkinHost host;
    ASSERT_NE(host.build(listSkin(2)), nullptr);
    auto* list = host.find<CListUI>(u"list");
    auto* h0 = host.find<CListHeaderItemUI>(u"h0");
    host.click(30, 10);
    EXPECT_EQ(host.notes.count(u"headerclick", u"h0"), 1);

    // Dragging the separator at the right edge widens the column.
    host.down(78, 10);
    host.move(98, 10);
    host.up(98, 10);
    host.refresh();
    EXPECT_EQ(h0->GetPos().right, 100);
    EXPECT_EQ(list->GetListInfo()->rcColumn[1].left, 100);
    EXPECT_EQ(host.notes.count(u"headerclick", u"h0"), 1);
    // It never shrinks below its minimum width.
    host.down(98, 10);
    host.move(-200, 10);
    host.up(-200, 10);
    host.refresh();
    EXPECT_GE(h0->GetPos().right - h0->GetPos().left, 16);
    // A left-edge separator drags the left edge.
    h0->SetAttribute(u"sepwidth", u"-4");
    const RECT strip = h0->GetThumbRect();
    EXPECT_EQ(strip.left, h0->GetPos().left);
    EXPECT_EQ(strip.right, h0->GetPos().left + 8);
}

TEST(List, TextRowsDrawColumnsFromTheCallbackOrTheirOwnTexts)
{
    class Callback : public IListTextCallbackUI
    {
    public:
        const char16_t* GetItemText(CControlUI*, int iItem, int iSubItem) override
        {
            calls.emplace_back(iItem, iSubItem);
            return u"{a}x{/a}";
        }
        std::vector<std::pair<int, int>> calls;
    };
    SkinHost host;
    ASSERT_NE(host.build(windowSkin(u"<List name=\"list\" float=\"true\" pos=\"0,0,390,100\" itemshowhtml=\"true\">"
                                    u"<ListHeader height=\"20\"/>"
                                    u"<ListTextElement name=\"t\" height=\"20\"/></List>")),
              nullptr);
    auto* list = host.find<CListUI>(u"list");
    // Ten columns of 30 pixels, each holding one link: only eight are kept.
    for (int i = 0; i < 10; ++i) {
        auto* item = new CListHeaderItemUI;
        item->SetFixedWidth(30);
        list->Add(item);
    }
    EXPECT_EQ(list->GetListInfo()->nColumns, 10);
    Callback cb;
    list->SetTextCallback(&cb);
    host.refresh();
    auto* row = host.find<CListTextElementUI>(u"t");
    ASSERT_GE(cb.calls.size(), 10u) << rectText(list->GetListInfo()->rcColumn[9]) << rectText(host.find(u"t")->GetPos());
    EXPECT_EQ(cb.calls.size() % 10, 0u);
    EXPECT_EQ(row->GetLinkCount(), CListTextElementUI::kMaxLinks);
    const RECT link = row->GetLinkRect(0);
    host.click((link.left + link.right) / 2, (link.top + link.bottom) / 2);
    EXPECT_EQ(host.notes.count(u"link", u"t"), 1);

    // Without a callback the row's own column texts are drawn.
    list->SetTextCallback(nullptr);
    row->SetText(0, u"own");
    EXPECT_EQ(std::u16string(row->GetText(0)), u"own");
    EXPECT_EQ(std::u16string(row->GetText(9)), u"");
    host.refresh();
    EXPECT_EQ(row->GetLinkCount(), 0);
}

TEST(List, AttributesSetTheItemAppearanceRecord)
{
    CListUI list;
    const CUIListInfo& info = *list.GetListInfo();
    struct Case
    {
        const char16_t* name;
        const char16_t* value;
        std::function<bool()> check;
    };
    const Case cases[] = {
        {u"itemfont", u"3", [&] { return info.nFont == 3; }},
        {u"itemalign", u"right", [&] { return (info.uTextStyle & DT_RIGHT) != 0; }},
        {u"itemalign", u"center", [&] { return (info.uTextStyle & (DT_CENTER | DT_RIGHT)) == DT_CENTER; }},
        {u"itemalign", u"left", [&] { return (info.uTextStyle & (DT_CENTER | DT_RIGHT)) == 0; }},
        {u"itemendellipsis", u"true", [&] { return (info.uTextStyle & DT_END_ELLIPSIS) != 0; }},
        {u"itemtextpadding", u"1,2,3,4", [&] { return sameRect(info.rcTextPadding, RECT{1, 2, 3, 4}); }},
        {u"itemtextcolor", u"#FF010203", [&] { return info.dwTextColor == 0xFF010203; }},
        {u"itembkcolor", u"FF040506", [&] { return info.dwBkColor == 0xFF040506; }},
        {u"itembkimage", u"bk.png", [&] { return info.sBkImage == u"bk.png"; }},
        {u"itemaltbk", u"true", [&] { return info.bAlternateBk; }},
        {u"itemselectedtextcolor", u"#FF111111", [&] { return info.dwSelectedTextColor == 0xFF111111; }},
        {u"itemselectedbkcolor", u"#FF222222", [&] { return info.dwSelectedBkColor == 0xFF222222; }},
        {u"itemselectedimage", u"sel.png", [&] { return info.sSelectedImage == u"sel.png"; }},
        {u"itemhottextcolor", u"#FF333333", [&] { return info.dwHotTextColor == 0xFF333333; }},
        {u"itemhotbkcolor", u"#FF444444", [&] { return info.dwHotBkColor == 0xFF444444; }},
        {u"itemhotimage", u"hot.png", [&] { return info.sHotImage == u"hot.png"; }},
        {u"itemdisabledtextcolor", u"#FF555555", [&] { return info.dwDisabledTextColor == 0xFF555555; }},
        {u"itemdisabledbkcolor", u"#FF666666", [&] { return info.dwDisabledBkColor == 0xFF666666; }},
        {u"itemdisabledimage", u"dis.png", [&] { return info.sDisabledImage == u"dis.png"; }},
        {u"itemlinecolor", u"#FF777777", [&] { return info.dwLineColor == 0xFF777777; }},
        {u"itemshowhtml", u"true", [&] { return info.bShowHtml; }},
        {u"multiexpanding", u"true", [&] { return info.bMultiExpandable; }},
        {u"scrollselect", u"true", [&] { return list.GetScrollSelect(); }},
        {u"header", u"hidden", [&] { return !list.GetHeader()->IsVisible(); }},
        {u"headerbkimage", u"hd.png", [&] { return std::u16string(list.GetHeader()->GetBkImage()) == u"hd.png"; }},
        {u"childpadding", u"3", [&] { return list.GetList()->GetChildPadding() == 3; }},
        {u"vscrollbar", u"true", [&] { return list.GetList()->GetVerticalScrollBar() != nullptr; }},
        {u"hscrollbar", u"true", [&] {
             return list.GetList()->GetHorizontalScrollBar() && list.GetList()->GetVerticalScrollBar();
         }},
    };
    for (const Case& c : cases) {
        list.SetAttribute(c.name, c.value);
        EXPECT_TRUE(c.check()) << UIUtf16ToUtf8(c.name) << "=" << UIUtf16ToUtf8(c.value);
    }
    // Booleans are true only for "true".
    list.SetAttribute(u"itemaltbk", u"TRUE");
    EXPECT_FALSE(info.bAlternateBk);
}

TEST(ListContainerElement, ChildrenPaintOverTheRowBackgroundAndClicksSelect)
{
    SkinHost host;
    ASSERT_NE(host.build(windowSkin(u"<List name=\"list\" float=\"true\" pos=\"0,0,200,100\" header=\"hidden\" "
                                    u"itemselectedbkcolor=\"#FF0000FF\">"
                                    u"<ListContainerElement name=\"c0\" height=\"30\"><HorizontalLayout>"
                                    u"<Control name=\"box\" width=\"20\" bkcolor=\"#FF00FF00\"/>"
                                    u"</HorizontalLayout></ListContainerElement>"
                                    u"<ListContainerElement name=\"c1\" height=\"30\" selected=\"false\"/></List>")),
              nullptr);
    auto* list = host.find<CListUI>(u"list");
    // "selected" selects whatever its value says.
    EXPECT_EQ(list->GetCurSel(), 1);
    host.click(100, 15);
    EXPECT_EQ(list->GetCurSel(), 0);
    EXPECT_EQ(host.pixel(10, 15), kGreen);
    EXPECT_EQ(host.pixel(100, 15), kBlue);
    EXPECT_EQ(host.pixel(100, 45), kWhite);
}
