#pragma once
// What lists, combos and their rows say to each other: the list-wide item
// appearance record, the owner and list interfaces the rows call, the row
// interface the owners call, and the text callback an application lends a
// list. UI thread only.
#include "skinui/UIControl.h"

// The input flag of list rows: a bit the window manager does not test (rows
// are no tab stops and take no set-cursor events).
constexpr UINT UIFLAG_LISTITEM = 0x04;

// Column entries a list keeps for its text rows.
constexpr int kMaxListColumns = 32;

// The list-wide item appearance, held by value in every list and combo and
// read by the rows through GetListInfo (never copied by them).
struct CUIListInfo
{
    CUIListInfo();

    int nColumns;
    RECT rcColumn[kMaxListColumns];
    int nFont;
    UINT uTextStyle;
    RECT rcTextPadding;
    DWORD dwTextColor;
    DWORD dwBkColor;
    CUIString sBkImage;
    bool bAlternateBk;
    DWORD dwSelectedTextColor;
    DWORD dwSelectedBkColor;
    CUIString sSelectedImage;
    DWORD dwHotTextColor;
    DWORD dwHotBkColor;
    CUIString sHotImage;
    DWORD dwDisabledTextColor;
    DWORD dwDisabledBkColor;
    CUIString sDisabledImage;
    DWORD dwLineColor;
    bool bShowHtml;
    bool bMultiExpandable;
};

// Which record field an "item..." attribute set, so each owner can decide
// what to repaint or lay out again.
enum class UIListInfoField {
    None, // not an item attribute
    Font,
    Align,
    EndEllipsis,
    TextPadding,
    TextColor,
    Colour,
    Image,
    AlternateBk,
    ShowHtmlChanged,
    ShowHtmlSame,
};

// Applies one "item..." attribute to the record ("itemendellipsis" only when
// allowEllipsis); None for any other name.
UIListInfoField UIApplyListInfoAttribute(CUIListInfo& info, const char16_t* pstrName, const char16_t* pstrValue,
                                         bool allowEllipsis);

class IListOwnerUI
{
public:
    virtual CUIListInfo* GetListInfo() = 0;
    virtual int GetCurSel() const = 0;
    virtual bool SelectItem(int iIndex, bool bTakeFocus = false) = 0;
    virtual void HandleEvent(UIEventRecord& event) = 0;

protected:
    ~IListOwnerUI() = default;
};

class CListHeaderUI;
class CListBodyUI;

class IListTextCallbackUI
{
public:
    virtual const char16_t* GetItemText(CControlUI* pList, int iItem, int iSubItem) = 0;

protected:
    ~IListTextCallbackUI() = default;
};

class IListUI : public IListOwnerUI
{
public:
    virtual CListHeaderUI* GetHeader() const = 0;
    virtual CListBodyUI* GetList() const = 0;
    virtual IListTextCallbackUI* GetTextCallback() const = 0;
    virtual void SetTextCallback(IListTextCallbackUI* pCallback) = 0;
    virtual bool ExpandItem(int iIndex, bool bExpand = true) = 0;
    virtual int GetExpandedItem() const = 0;

protected:
    ~IListUI() = default;
};

class IListItemUI
{
public:
    virtual int GetIndex() const = 0;
    virtual void SetIndex(int iIndex) = 0;
    virtual IListOwnerUI* GetOwner() = 0;
    virtual void SetOwner(CControlUI* pOwner) = 0;
    virtual bool IsSelected() const = 0;
    virtual bool Select(bool bSelect = true) = 0;
    virtual bool IsExpanded() const = 0;
    virtual bool Expand(bool bExpand = true) = 0;
    virtual void DrawItemText(HDC hDC, const RECT& rcItem) = 0;

protected:
    ~IListItemUI() = default;
};

// The row interface of a control, or null when it is no list row.
inline IListItemUI* UIListItemOf(CControlUI* pControl)
{
    return pControl ? static_cast<IListItemUI*>(pControl->GetInterface(u"ListItem")) : nullptr;
}
