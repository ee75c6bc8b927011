#pragma once
// A word-wrapped text that may hold up to eight clickable links (markup
// mode); a click on a link sends "link" with its index. UI thread only.
#include "skinui/controls/UILabel.h"

class CTextUI : public CLabelUI
{
public:
    static constexpr int kMaxLinks = 8;

    CTextUI();

    const char16_t* GetClass() const override;
    void* GetInterface(const char16_t* pstrName) override;
    UINT GetInputFlags() const override;
    void HandleEvent(UIEventRecord& event) override;
    SIZE PreferredSize(SIZE szAvailable) override;
    void PaintText(HDC hDC) override;

    int GetLinkCount() const;
    // The text of link i, or null outside 0..count-1.
    const CUIString* GetLinkContent(int iIndex) const;

private:
    int linkAt(POINT pt) const;

    int m_nLinks;
    RECT m_rcLinks[kMaxLinks];
    CUIString m_sLinks[kMaxLinks];
    int m_nHoverLink;
};
