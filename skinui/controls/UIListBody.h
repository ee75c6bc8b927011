#pragma once
// The scrolling part of a list that holds its rows: a vertical layout whose
// rows are all as wide as the widest row (or the header), with a horizontal
// scroll bar when that is wider than the view; hands every event to its
// list. UI thread only.
#include "skinui/layouts/UIVerticalLayout.h"

class CListUI;

class CListBodyUI : public CVerticalLayoutUI
{
public:
    explicit CListBodyUI(CListUI* pOwner);

    void SetPos(RECT rc) override;
    void HandleEvent(UIEventRecord& event) override;
    void SetScrollPos(SIZE szPos) override;

    CListUI* GetOwnerList() const;

private:
    // The width every row needs: the widest row estimate, or the header's.
    int RequiredWidth(SIZE szAvailable);
    // Shows, resizes or hides the horizontal bar for that width; returns the
    // inner rectangle with the bar's height taken off or given back.
    RECT FitHorizontalBar(RECT rc, int cxRequired);

    CListUI* m_pOwner;
};
