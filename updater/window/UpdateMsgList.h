#pragma once
// The window's list of report rows: each row is built from
// "UpdateMsgListItem.xml" with the list's window manager and carries one
// label "lblMsg". UI thread only.
#include "skinui/layouts/UITileLayout.h"

class CUpdateMsgList : public CTileLayoutUI
{
public:
    explicit CUpdateMsgList(CUIWindowManager* manager) : m_manager(manager) {}
    ~CUpdateMsgList() override = default;

    // Adds one row with the text; false when the row's skin cannot be built.
    bool AddMessage(const char16_t* text);
    // Scrolls to the last row.
    void ScrollToEnd();

private:
    CUIWindowManager* m_manager;  // the window's manager; not owned
};
