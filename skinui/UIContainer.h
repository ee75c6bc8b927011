#pragma once
// The control that owns child controls: an ordered array, the inner
// rectangle (item rectangle less the inset), optional vertical and
// horizontal scroll bars, scrolling, clipped painting and hit tests that look
// into the children. Layouts, lists and the rich edit derive from it and
// replace SetPos with their own arrangement. UI thread only.
#include "skinui/IContainerUI.h"
#include "skinui/UIAxis.h"
#include "skinui/UIControl.h"
#include "skinui/UIPtrArray.h"

class CScrollBarUI;

// How StackChildren places each child across its axis.
struct UIStackRules
{
    // >= 0: every child spans the whole length across (and at least this
    // much), whatever its own size; < 0: a child keeps its fixed size across.
    int iSpanAtLeast = -1;
    // The child's trailing padding along the axis lies inside its rectangle.
    bool bTrailingPadInside = true;
};

class CContainerUI : public CControlUI, public IContainerUI
{
public:
    CContainerUI();
    ~CContainerUI() override;

    const char16_t* GetClass() const override;
    void* GetInterface(const char16_t* pstrName) override;

    // IContainerUI
    CControlUI* GetItemAt(int iIndex) const override;
    int GetItemIndex(CControlUI* pControl) const override;
    bool SetItemIndex(CControlUI* pControl, int iIndex) override;
    int GetCount() const override;
    bool Add(CControlUI* pControl) override;
    bool AddAt(CControlUI* pControl, int iIndex) override;
    bool Remove(CControlUI* pControl) override;
    bool RemoveAt(int iIndex) override;
    void RemoveAll() override;

    void SetManager(CUIWindowManager* pManager, CControlUI* pParent, bool bInit = true) override;
    void SetPos(RECT rc) override;
    void SetVisible(bool bVisible = true) override;
    void SetInheritedVisible(bool bVisible = true) override;
    void SetMouseEnabled(bool bEnable = true) override;
    CControlUI* FindControl(FINDCONTROLPROC Proc, void* pData, UINT uFlags) override;
    void HandleEvent(UIEventRecord& event) override;
    void SetAttribute(const char16_t* pstrName, const char16_t* pstrValue) override;
    void DoPaint(HDC hDC, const RECT& rcPaint) override;

    virtual RECT GetInset() const;
    virtual void SetInset(RECT rcInset);
    virtual int GetChildPadding() const;
    virtual void SetChildPadding(int iPadding);
    virtual bool IsAutoDestroy() const;
    virtual void SetAutoDestroy(bool bAuto);
    virtual bool IsDelayedDestroy() const;
    virtual void SetDelayedDestroy(bool bDelayed);
    virtual bool IsMouseChildEnabled() const;
    virtual void SetMouseChildEnabled(bool bEnable = true);
    virtual int FindSelectableItem(int iIndex, bool bForward = true) const;
    virtual SIZE GetScrollPos() const;
    virtual SIZE GetScrollRange() const;
    virtual void SetScrollPos(SIZE szPos);
    virtual void LineUp();
    virtual void LineDown();
    virtual void PageUp();
    virtual void PageDown();
    virtual void HomeUp();
    virtual void EndDown();
    virtual void LineLeft();
    virtual void LineRight();
    virtual void PageLeft();
    virtual void PageRight();
    virtual void HomeLeft();
    virtual void EndRight();
    virtual void EnableScrollBar(bool bEnableVertical = true, bool bEnableHorizontal = false);
    virtual CScrollBarUI* GetVerticalScrollBar() const;
    virtual CScrollBarUI* GetHorizontalScrollBar() const;

    // The control of that name below this container, or null.
    CControlUI* FindSubControl(const char16_t* pstrSubControlName);

protected:
    virtual void PlaceFloatingChild(int iIndex);
    virtual void UpdateScrollBars(RECT rc, int cxRequired, int cyRequired);
    // The item rectangle less the inset and the visible scroll bars.
    RECT InnerRect() const;
    // A layout's SetPos starts here: the control takes rc and *pInner gets
    // the inner rectangle; false (the bars updated) when there are no
    // children to place.
    bool BeginLayout(RECT rc, RECT* pInner);
    // The top-left corner of rc moved back by the visible bars' positions.
    POINT ScrolledOrigin(const RECT& rc) const;
    // Places the visible children one after another along the axis from
    // ptStart, sharing szAvailable's free length among the children that
    // have none of their own; floating children get their own placement.
    // Returns the length the children need along the axis.
    int StackChildren(UIAxis axis, SIZE szAvailable, POINT ptStart, const UIStackRules& rules);
    void DestroyChild(CControlUI* pControl);
    // A new bar owned by this container, with the window's class defaults.
    CScrollBarUI* CreateScrollBar(bool bHorizontal);
    // Moves the visible bars to szPos and the children with them; returns
    // how far they moved.
    SIZE ScrollChildrenTo(SIZE szPos);
    // The bar that scrolls along the axis (may be null).
    CScrollBarUI* ScrollBarAlong(UIAxis axis) const;
    // Scrolls along the axis by delta, or to pos when bAbsolute.
    void ScrollAlong(UIAxis axis, int value, bool bAbsolute);
    // One page along the axis: the inner length less the other bar.
    int PageAlong(UIAxis axis) const;

    CUIPtrArray m_items;
    RECT m_rcInset;
    int m_iChildPadding;
    bool m_bAutoDestroy;
    bool m_bDelayedDestroy;
    bool m_bMouseChildEnabled;
    bool m_bScrollProcess;
    CScrollBarUI* m_pVerticalScrollBar;
    CScrollBarUI* m_pHorizontalScrollBar;
};
