#pragma once
// A list row with one text per header column (from the list's text
// callback or its own column texts) and up to eight clickable links when
// the list shows markup. UI thread only.
#include "skinui/UIPtrArray.h"
#include "skinui/controls/UIListLabelElement.h"

class CListTextElementUI : public CListLabelElementUI
{
public:
    // Links one row keeps from its last paint.
    static constexpr int kMaxLinks = 8;

    CListTextElementUI();
    ~CListTextElementUI() override;

    const char16_t* GetClass() const override;
    void* GetInterface(const char16_t* pstrName) override;
    UINT GetInputFlags() const override;
    void SetOwner(CControlUI* pOwner) override;
    void HandleEvent(UIEventRecord& event) override;
    SIZE PreferredSize(SIZE szAvailable) override;
    void DrawItemText(HDC hDC, const RECT& rcItem) override;

    // The column's text; empty for a column without one (or a negative one).
    const char16_t* GetText(int iIndex) const;
    // Stores an owned copy of the column's text; negative columns refused.
    void SetText(int iIndex, const char16_t* pstrText);
    using CListLabelElementUI::GetText;
    using CListLabelElementUI::SetText;

    int GetLinkCount() const;
    RECT GetLinkRect(int iIndex) const;

private:
    int m_nLinks;
    RECT m_rcLinks[kMaxLinks];
    CUIString m_sLinks[kMaxLinks];
    int m_nHoverLink;
    IListUI* m_pOwnerList;
    CUIPtrArray m_aTexts;
};
