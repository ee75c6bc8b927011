#include "skinui/controls/UIListInterfaces.h"

#include "skinui/UIAttrParse.h"

#include <cstring>

CUIListInfo::CUIListInfo()
    : nColumns(0), nFont(-1), uTextStyle(DT_VCENTER), dwTextColor(0xFF000000), dwBkColor(0), bAlternateBk(false),
      dwSelectedTextColor(0xFF000000), dwSelectedBkColor(0xFFC1E3FF), dwHotTextColor(0xFF000000),
      dwHotBkColor(0xFFE9F5FF), dwDisabledTextColor(0xFFCCCCCC), dwDisabledBkColor(0xFFFFFFFF), dwLineColor(0),
      bShowHtml(false), bMultiExpandable(false)
{
    std::memset(rcColumn, 0, sizeof rcColumn);
    std::memset(&rcTextPadding, 0, sizeof rcTextPadding);
}

UIListInfoField UIApplyListInfoAttribute(CUIListInfo& info, const char16_t* pstrName, const char16_t* pstrValue,
                                         bool allowEllipsis)
{
    auto is = [pstrName](const char16_t* name) { return wcscmp(pstrName, name) == 0; };
    struct ColourField
    {
        const char16_t* name;
        DWORD CUIListInfo::*field;
    };
    static const ColourField colours[] = {
        {u"itembkcolor", &CUIListInfo::dwBkColor},
        {u"itemselectedtextcolor", &CUIListInfo::dwSelectedTextColor},
        {u"itemselectedbkcolor", &CUIListInfo::dwSelectedBkColor},
        {u"itemhottextcolor", &CUIListInfo::dwHotTextColor},
        {u"itemhotbkcolor", &CUIListInfo::dwHotBkColor},
        {u"itemdisabledtextcolor", &CUIListInfo::dwDisabledTextColor},
        {u"itemdisabledbkcolor", &CUIListInfo::dwDisabledBkColor},
        {u"itemlinecolor", &CUIListInfo::dwLineColor},
    };
    struct ImageField
    {
        const char16_t* name;
        CUIString CUIListInfo::*field;
    };
    static const ImageField images[] = {
        {u"itembkimage", &CUIListInfo::sBkImage},
        {u"itemselectedimage", &CUIListInfo::sSelectedImage},
        {u"itemhotimage", &CUIListInfo::sHotImage},
        {u"itemdisabledimage", &CUIListInfo::sDisabledImage},
    };

    if (is(u"itemfont")) {
        info.nFont = _wtoi(pstrValue);
        return UIListInfoField::Font;
    }
    if (is(u"itemalign")) {
        // Tested in this order, so a later word wins.
        if (wcsstr(pstrValue, u"left"))
            info.uTextStyle &= ~(DT_CENTER | DT_RIGHT);
        if (wcsstr(pstrValue, u"center")) {
            info.uTextStyle &= ~(DT_LEFT | DT_RIGHT);
            info.uTextStyle |= DT_CENTER;
        }
        if (wcsstr(pstrValue, u"right")) {
            info.uTextStyle &= ~(DT_LEFT | DT_CENTER);
            info.uTextStyle |= DT_RIGHT;
        }
        return UIListInfoField::Align;
    }
    if (allowEllipsis && is(u"itemendellipsis")) {
        if (UIIsTrue(pstrValue))
            info.uTextStyle |= DT_END_ELLIPSIS;
        else
            info.uTextStyle &= ~DT_END_ELLIPSIS;
        return UIListInfoField::EndEllipsis;
    }
    if (is(u"itemtextpadding")) {
        LONG v[4] = {0, 0, 0, 0};
        UIParseInts(pstrValue, v, 4);
        info.rcTextPadding = RECT{v[0], v[1], v[2], v[3]};
        return UIListInfoField::TextPadding;
    }
    if (is(u"itemtextcolor")) {
        info.dwTextColor = UIParseColour(pstrValue);
        return UIListInfoField::TextColor;
    }
    for (const auto& c : colours)
        if (is(c.name)) {
            info.*c.field = UIParseColour(pstrValue);
            return UIListInfoField::Colour;
        }
    for (const auto& i : images)
        if (is(i.name)) {
            info.*i.field = pstrValue;
            return UIListInfoField::Image;
        }
    if (is(u"itemaltbk")) {
        info.bAlternateBk = UIIsTrue(pstrValue);
        return UIListInfoField::AlternateBk;
    }
    if (is(u"itemshowhtml")) {
        const bool b = UIIsTrue(pstrValue);
        if (b == info.bShowHtml)
            return UIListInfoField::ShowHtmlSame;
        info.bShowHtml = b;
        return UIListInfoField::ShowHtmlChanged;
    }
    return UIListInfoField::None;
}
