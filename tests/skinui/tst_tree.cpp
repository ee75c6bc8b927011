// The tree view built from nested TreeNode elements on the headless
// backend: rows in display order, indentation, expanding and collapsing by
// the folder box and by double clicks, checking whole subtrees, adding and
// removing nodes, and callers' indexes out of range.
#include "tests/skinui/ControlTestSupport.h"
#include "skinui/controls/UICheckBox.h"
#include "skinui/controls/UILabel.h"
#include "skinui/controls/UIListHeader.h"
#include "skinui/controls/UITreeNode.h"
#include "skinui/controls/UITreeView.h"

#include <gtest/gtest.h>

using namespace skintest;

namespace {

std::u16string windowSkin(const std::u16string& body)
{
    return u"<Window size=\"400,300\"><Container bkcolor=\"#FFFFFFFF\">" + body + u"</Container></Window>";
}

// a
//   a1
//     a1x
//   a2
// b
const char16_t kTree[] =
    u"<TreeView name=\"tree\" float=\"true\" pos=\"0,0,300,200\" visiblecheckbtn=\"true\" "
    u"itemselectedbkcolor=\"#FF0000FF\">"
    u"<TreeNode name=\"a\" text=\"Animals\">"
    u"<TreeNode name=\"a1\" text=\"Birds\"><TreeNode name=\"a1x\" text=\"Finch\"/></TreeNode>"
    u"<TreeNode name=\"a2\" text=\"Fish\"><Control name=\"extra\" width=\"10\" bkcolor=\"#FF00FF00\"/></TreeNode>"
    u"</TreeNode>"
    u"<TreeNode name=\"b\" text=\"Plants\"/>"
    u"</TreeView>";

std::u16string rowNames(CTreeViewUI* tree)
{
    std::u16string names;
    for (int i = 0; i < tree->GetCount(); ++i) {
        if (i > 0)
            names += u",";
        names += tree->GetItemAt(i)->GetName().GetData();
        if (!tree->GetItemAt(i)->IsVisible())
            names += u"(hidden)";
    }
    return names;
}

std::string narrow(const std::u16string& s) { return std::string(s.begin(), s.end()); }

} // namespace

TEST(TreeView, NodesBecomeRowsInDisplayOrderWithTheirIndentation)
{
    SkinHost host;
    ASSERT_NE(host.build(windowSkin(kTree)), nullptr);
    auto* tree = host.find<CTreeViewUI>(u"tree");
    ASSERT_NE(tree, nullptr);
    EXPECT_EQ(narrow(rowNames(tree)), "a,a1,a1x,a2,b");
    EXPECT_FALSE(tree->GetHeader()->IsVisible());
    auto* a = host.find<CTreeNodeUI>(u"a");
    auto* a1 = host.find<CTreeNodeUI>(u"a1");
    auto* a1x = host.find<CTreeNodeUI>(u"a1x");
    EXPECT_EQ(a->GetCountChild(), 2);
    EXPECT_EQ(a1->GetParentNode(), a);
    EXPECT_EQ(a1x->GetTreeView(), tree);
    EXPECT_EQ(a->GetLastNode(), host.find(u"a2"));
    EXPECT_EQ(a1x->GetNodeIndex(), 2);
    EXPECT_EQ(a1->GetItemText(), u"Birds");
    // Top level: no line; depth d: a line 2 + 16 d wide.
    EXPECT_FALSE(a->GetDottedLine()->IsVisible());
    EXPECT_EQ(a1->GetDottedLine()->GetFixedWidth(), 18);
    EXPECT_EQ(a1x->GetDottedLine()->GetFixedWidth(), 34);
    EXPECT_TRUE(a1x->GetDottedLine()->IsVisible());
    // A control written inside a node element sits in the node's row.
    EXPECT_EQ(host.find(u"extra")->GetParent(),
              static_cast<CControlUI*>(host.find<CTreeNodeUI>(u"a2")->GetTreeNodeHorizontal()));
    EXPECT_TRUE(a->GetCheckBox()->IsVisible());
    EXPECT_TRUE(a->GetFolderButton()->IsVisible());
    host.screenshot("skinui_tree");
}

TEST(TreeView, FolderBoxAndDoubleClickCollapseAndExpandSubtrees)
{
    SkinHost host;
    ASSERT_NE(host.build(windowSkin(kTree)), nullptr);
    auto* tree = host.find<CTreeViewUI>(u"tree");
    auto* a = host.find<CTreeNodeUI>(u"a");
    auto* a1 = host.find<CTreeNodeUI>(u"a1");

    // Collapse a1 by its folder box, then a: all three descendants hide.
    const RECT f1 = a1->GetFolderButton()->GetPos();
    host.click((f1.left + f1.right) / 2, (f1.top + f1.bottom) / 2);
    EXPECT_EQ(narrow(rowNames(tree)), "a,a1,a1x(hidden),a2,b");
    EXPECT_FALSE(a1->IsChildrenVisible());
    const RECT f0 = a->GetFolderButton()->GetPos();
    host.click((f0.left + f0.right) / 2, (f0.top + f0.bottom) / 2);
    EXPECT_EQ(narrow(rowNames(tree)), "a,a1(hidden),a1x(hidden),a2(hidden),b");
    // Expanding a again shows only what lies below expanded nodes.
    host.click((f0.left + f0.right) / 2, (f0.top + f0.bottom) / 2);
    EXPECT_EQ(narrow(rowNames(tree)), "a,a1,a1x(hidden),a2,b");

    // A double click on a1's row toggles its folder and expands it.
    const RECT r1 = a1->GetPos();
    const int y = (r1.top + r1.bottom) / 2;
    host.click(250, y);
    UIEventRecord dbl{};
    dbl.Type = UIEVENT_DBLCLICK;
    dbl.ptMouse = POINT{250, y};
    dbl.pSender = a1;
    a1->Event(dbl);
    host.refresh();
    EXPECT_EQ(host.notes.count(u"itemdbclick", u"a1"), 1);
    EXPECT_EQ(host.notes.count(u"itemactivate", u"a1"), 1);
    EXPECT_EQ(narrow(rowNames(tree)), "a,a1,a1x,a2,b");
    EXPECT_FALSE(a1->GetFolderButton()->IsSelected());
    EXPECT_EQ(tree->GetCurSel(), 1);
}

TEST(TreeView, CheckingANodeChecksItsWholeSubtree)
{
    SkinHost host;
    ASSERT_NE(host.build(windowSkin(kTree)), nullptr);
    auto* a = host.find<CTreeNodeUI>(u"a");
    const RECT c = a->GetCheckBox()->GetPos();
    host.click((c.left + c.right) / 2, (c.top + c.bottom) / 2);
    const char16_t* names[] = {u"a", u"a1", u"a1x", u"a2"};
    for (const char16_t* n : names)
        EXPECT_TRUE(host.find<CTreeNodeUI>(n)->GetCheckBox()->IsSelected()) << narrow(n);
    EXPECT_FALSE(host.find<CTreeNodeUI>(u"b")->GetCheckBox()->IsSelected());
    host.click((c.left + c.right) / 2, (c.top + c.bottom) / 2);
    for (const char16_t* n : names)
        EXPECT_FALSE(host.find<CTreeNodeUI>(n)->GetCheckBox()->IsSelected()) << narrow(n);
}

TEST(TreeView, AddingAndRemovingNodesKeepsTheDisplayOrder)
{
    SkinHost host;
    ASSERT_NE(host.build(windowSkin(kTree)), nullptr);
    auto* tree = host.find<CTreeViewUI>(u"tree");
    auto* a = host.find<CTreeNodeUI>(u"a");
    auto* b = host.find<CTreeNodeUI>(u"b");

    // A new child follows the node's last descendant.
    auto* a3 = new CTreeNodeUI;
    a3->SetName(u"a3");
    ASSERT_TRUE(a->AddChildNode(a3));
    EXPECT_EQ(narrow(rowNames(tree)), "a,a1,a1x,a2,a3,b");
    EXPECT_EQ(a3->GetDottedLine()->GetFixedWidth(), 18);
    // A child of the last row is appended, not refused.
    auto* b1 = new CTreeNodeUI;
    b1->SetName(u"b1");
    ASSERT_TRUE(b->AddChildNode(b1));
    EXPECT_EQ(narrow(rowNames(tree)), "a,a1,a1x,a2,a3,b,b1");
    EXPECT_EQ(b->GetCountChild(), 1);
    // The node's AddAt puts a child before the child at that index.
    auto* a0 = new CTreeNodeUI;
    a0->SetName(u"a0");
    ASSERT_TRUE(a->AddAt(a0, 0));
    EXPECT_EQ(narrow(rowNames(tree)), "a,a0,a1,a1x,a2,a3,b,b1");
    EXPECT_EQ(a->GetChildNode(0), a0);

    // Removing a node takes its subtree; RemoveAt takes leaves as well.
    ASSERT_TRUE(tree->Remove(host.find<CTreeNodeUI>(u"a1")));
    EXPECT_EQ(narrow(rowNames(tree)), "a,a0,a2,a3,b,b1");
    EXPECT_EQ(a->GetCountChild(), 3);
    ASSERT_TRUE(tree->RemoveAt(1));
    EXPECT_EQ(narrow(rowNames(tree)), "a,a2,a3,b,b1");
    EXPECT_EQ(a->GetCountChild(), 2);
    ASSERT_TRUE(a->RemoveChildNode(a->GetChildNode(0)));
    EXPECT_EQ(narrow(rowNames(tree)), "a,a3,b,b1");
}

TEST(TreeView, CallersIndexesAndForeignControlsAreRefused)
{
    SkinHost host;
    ASSERT_NE(host.build(windowSkin(kTree)), nullptr);
    auto* tree = host.find<CTreeViewUI>(u"tree");
    auto* a = host.find<CTreeNodeUI>(u"a");
    const int bad[] = {-1, 5, 1000};
    for (int i : bad) {
        EXPECT_EQ(a->GetChildNode(i), nullptr) << i;
        EXPECT_FALSE(tree->RemoveAt(i)) << i;
        auto* n = new CTreeNodeUI;
        EXPECT_EQ(tree->AddAt(n, i), -1) << i;
        delete n;
    }
    EXPECT_EQ(a->GetChildNode(2), nullptr);
    CControlUI plain;
    EXPECT_FALSE(a->AddChildNode(nullptr));
    EXPECT_FALSE(a->AddAt(&plain, 0));
    EXPECT_FALSE(a->RemoveChildNode(host.find<CTreeNodeUI>(u"b")));
    EXPECT_FALSE(tree->Add(static_cast<CTreeNodeUI*>(nullptr)));
    EXPECT_FALSE(tree->AddAt(nullptr, static_cast<CTreeNodeUI*>(nullptr)));
    EXPECT_EQ(narrow(rowNames(tree)), "a,a1,a1x,a2,b");

    // A node element outside a tree view ends the skin's level with a trace.
    SkinHost other;
    EXPECT_NE(other.build(windowSkin(u"<TreeNode text=\"lost\"/><Label name=\"l\"/>")), nullptr);
    EXPECT_TRUE(tracedContaining(u"TreeNode"));
}

TEST(TreeView, AttributesReachEveryNode)
{
    SkinHost host;
    ASSERT_NE(host.build(windowSkin(kTree)), nullptr);
    auto* tree = host.find<CTreeViewUI>(u"tree");
    tree->SetAttribute(u"visiblefolderbtn", u"false");
    tree->SetAttribute(u"visiblecheckbtn", u"false");
    tree->SetAttribute(u"itemminwidth", u"120");
    tree->SetAttribute(u"itemtextcolor", u"#FF112233");
    tree->SetAttribute(u"selitemtextcolor", u"#FF445566");
    for (int i = 0; i < tree->GetCount(); ++i) {
        auto* n = static_cast<CTreeNodeUI*>(tree->GetItemAt(i));
        EXPECT_FALSE(n->GetFolderButton()->IsVisible());
        EXPECT_FALSE(n->GetCheckBox()->IsVisible());
        EXPECT_EQ(n->GetMinWidth(), 120);
        EXPECT_EQ(n->GetItemTextColor(), 0xFF112233u);
        EXPECT_EQ(n->GetSelItemTextColor(), 0xFF445566u);
    }
    auto* b = host.find<CTreeNodeUI>(u"b");
    b->SetAttribute(u"itemattr", u"textcolor=\"#FF0000FF\"");
    b->SetAttribute(u"folderattr", u"width=\"30\"");
    EXPECT_EQ(b->GetFolderButton()->GetFixedWidth(), 30);
    tree->SelectItem(4);
    EXPECT_EQ(b->GetItemButton()->GetTextColor(), 0xFF445566u);
}
