#pragma once
// A list: an optional column header over a scrolling body of rows, single
// selection moved by clicks, keys and the wheel, optional expandable rows,
// and one item appearance record every row paints from. Its children are
// always [header, body]; rows live in the body. UI thread only.
#include "skinui/controls/UIListInterfaces.h"
#include "skinui/layouts/UIVerticalLayout.h"

class CListBodyUI;
class CListHeaderUI;

class CListUI : public CVerticalLayoutUI, public IListUI
{
public:
    CListUI();

    const char16_t* GetClass() const override;
    void* GetInterface(const char16_t* pstrName) override;
    UINT GetInputFlags() const override;
    void SetPos(RECT rc) override;
    void HandleEvent(UIEventRecord& event) override;
    void SetAttribute(const char16_t* pstrName, const char16_t* pstrValue) override;

    // IContainerUI: the rows of the body (headers and header items aside).
    CControlUI* GetItemAt(int iIndex) const override;
    int GetItemIndex(CControlUI* pControl) const override;
    bool SetItemIndex(CControlUI* pControl, int iIndex) override;
    int GetCount() const override;
    bool Add(CControlUI* pControl) override;
    bool AddAt(CControlUI* pControl, int iIndex) override;
    bool Remove(CControlUI* pControl) override;
    bool RemoveAt(int iIndex) override;
    void RemoveAll() override;

    // IListUI
    CUIListInfo* GetListInfo() override;
    int GetCurSel() const override;
    bool SelectItem(int iIndex, bool bTakeFocus = false) override;
    CListHeaderUI* GetHeader() const override;
    CListBodyUI* GetList() const override;
    IListTextCallbackUI* GetTextCallback() const override;
    void SetTextCallback(IListTextCallbackUI* pCallback) override;
    bool ExpandItem(int iIndex, bool bExpand = true) override;
    int GetExpandedItem() const override;

    // Forwarded to the body.
    int GetChildPadding() const override;
    void SetChildPadding(int iPadding) override;
    SIZE GetScrollPos() const override;
    SIZE GetScrollRange() const override;
    void SetScrollPos(SIZE szPos) override;
    void LineUp() override;
    void LineDown() override;
    void PageUp() override;
    void PageDown() override;
    void HomeUp() override;
    void EndDown() override;
    void LineLeft() override;
    void LineRight() override;
    void PageLeft() override;
    void PageRight() override;
    void HomeLeft() override;
    void EndRight() override;
    void EnableScrollBar(bool bEnableVertical = true, bool bEnableHorizontal = false) override;
    CScrollBarUI* GetVerticalScrollBar() const override;
    CScrollBarUI* GetHorizontalScrollBar() const override;

    bool GetScrollSelect() const;
    void SetScrollSelect(bool bScrollSelect);
    void EnsureVisible(int iIndex);
    void Scroll(int dx, int dy);

    // Copies the header items' positions into the column table, shifted
    // left by dx (the body's horizontal scroll change); with bLayout the
    // header is laid out first when it is hidden.
    void PlaceColumns(int dx, bool bLayout, const RECT* prcList = nullptr);

private:
    bool IsHeader(CControlUI* pControl) const;
    static bool IsHeaderItem(CControlUI* pControl);
    void RefreshColumnCount();
    void Renumber(int iFrom, int iTo);
    // Applies an "item..." attribute with the repaint or layout it needs.
    bool ApplyListInfo(const char16_t* pstrName, const char16_t* pstrValue);
    // The selection after the row at iIndex left the body.
    void AfterRemoval(int iIndex);

    bool m_bScrollSelect;
    int m_iCurSel;
    int m_iExpandedItem;
    IListTextCallbackUI* m_pCallback;
    CListBodyUI* m_pList;
    CListHeaderUI* m_pHeader;
    CUIListInfo m_ListInfo;
};
