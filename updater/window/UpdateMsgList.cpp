#include "updater/window/UpdateMsgList.h"

#include "skinui/UIDlgBuilder.h"
#include "skinui/controls/UILabel.h"
#include "skinui/layouts/UIVerticalLayout.h"

bool CUpdateMsgList::AddMessage(const char16_t* text)
{
    CDialogBuilder builder;
    CControlUI* root = builder.Create(u"UpdateMsgListItem.xml", nullptr, nullptr, m_manager);
    auto* row = root ? static_cast<CVerticalLayoutUI*>(root->GetInterface(u"VerticalLayout")) : nullptr;
    if (!row) {
        delete root;
        return false;
    }
    if (auto* label = static_cast<CLabelUI*>(row->FindSubControl(u"lblMsg")))
        label->SetText(text);
    return Add(row);
}

void CUpdateMsgList::ScrollToEnd()
{
    const SIZE range = GetScrollRange();
    SetScrollPos(SIZE{GetScrollPos().cx, range.cy});
}
