#include "skinui/controls/UIListHeader.h"

#include <algorithm>

const char16_t* CListHeaderUI::GetClass() const { return u"ListHeaderUI"; }

void* CListHeaderUI::GetInterface(const char16_t* pstrName)
{
    if (wcscmp(pstrName, u"ListHeader") == 0)
        return this;
    return CHorizontalLayoutUI::GetInterface(pstrName);
}

SIZE CListHeaderUI::PreferredSize(SIZE szAvailable)
{
    SIZE cXY = {0, m_cxyFixed.cy};
    if (cXY.cy == 0 && m_pManager) {
        for (int it = 0; it < m_items.GetSize(); it++)
            cXY.cy = std::max(cXY.cy, static_cast<CControlUI*>(m_items[it])->PreferredSize(szAvailable).cy);
        const int nMin = static_cast<int>(m_pManager->GetDefaultFontDesc()->tm.tmHeight) + 6;
        cXY.cy = std::max(cXY.cy, nMin);
    }
    for (int it = 0; it < m_items.GetSize(); it++)
        cXY.cx += static_cast<CControlUI*>(m_items[it])->PreferredSize(szAvailable).cx;
    return cXY;
}
