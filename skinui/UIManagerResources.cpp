// Fonts, images, class default attribute lists, option groups, default
// colours and window settings of the window manager.
#include "skinui/UIControl.h"
#include "skinui/UIManager.h"
#include "skinui/UIRender.h"

#include <cstring>

// ---------------------------------------------------------------- window settings

SIZE CUIWindowManager::GetInitSize() const
{
    return m_szInitWindowSize;
}

void CUIWindowManager::SetInitSize(int cx, int cy)
{
    m_szInitWindowSize.cx = cx;
    m_szInitWindowSize.cy = cy;
    if (!m_pRoot && m_hWndPaint)
        ::SetWindowPos(m_hWndPaint, nullptr, 0, 0, cx, cy, SWP_NOZORDER | SWP_NOMOVE | SWP_NOACTIVATE);
}

RECT& CUIWindowManager::GetSizeBox()
{
    return m_rcSizeBox;
}

void CUIWindowManager::SetSizeBox(RECT& rcSizeBox)
{
    m_rcSizeBox = rcSizeBox;
}

RECT& CUIWindowManager::GetCaptionRect()
{
    return m_rcCaption;
}

void CUIWindowManager::SetCaptionRect(RECT& rcCaption)
{
    m_rcCaption = rcCaption;
}

SIZE CUIWindowManager::GetRoundCorner() const
{
    return m_szRoundCorner;
}

void CUIWindowManager::SetRoundCorner(int cx, int cy)
{
    m_szRoundCorner.cx = cx;
    m_szRoundCorner.cy = cy;
}

SIZE CUIWindowManager::GetMinInfo() const
{
    return m_szMinWindow;
}

void CUIWindowManager::SetMinInfo(int cx, int cy)
{
    m_szMinWindow.cx = cx;
    m_szMinWindow.cy = cy;
}

SIZE CUIWindowManager::GetMaxInfo() const
{
    return m_szMaxWindow;
}

void CUIWindowManager::SetMaxInfo(int cx, int cy)
{
    m_szMaxWindow.cx = cx;
    m_szMaxWindow.cy = cy;
}

int CUIWindowManager::GetTransparent() const
{
    return m_nOpacity;
}

void CUIWindowManager::SetTransparent(int nOpacity)
{
    m_nOpacity = nOpacity < 0 ? 0 : (nOpacity > 255 ? 255 : nOpacity);
    if (!m_hWndPaint)
        return;
    typedef BOOL (*PFUNCSETLAYEREDWINDOWATTR)(HWND, COLORREF, BYTE, DWORD);
    HMODULE user32 = GetModuleHandleW(u"User32.dll");
    if (!user32)
        user32 = LoadLibraryW(u"User32.dll");
    auto fSet = user32 ? reinterpret_cast<PFUNCSETLAYEREDWINDOWATTR>(reinterpret_cast<void*>(
                             GetProcAddress(user32, "SetLayeredWindowAttributes")))
                       : nullptr;
    if (!fSet)
        return;
    DWORD dwStyle = static_cast<DWORD>(::GetWindowLongW(m_hWndPaint, GWL_EXSTYLE));
    const DWORD dwNewStyle = static_cast<UINT>(m_nOpacity) < 256 ? (dwStyle | WS_EX_LAYERED) : (dwStyle & ~WS_EX_LAYERED);
    if (dwStyle != dwNewStyle)
        ::SetWindowLongW(m_hWndPaint, GWL_EXSTYLE, static_cast<LONG>(dwNewStyle));
    fSet(m_hWndPaint, 0, static_cast<BYTE>(m_nOpacity), LWA_ALPHA);
}

void CUIWindowManager::SetTransparentBackground(bool bTrans)
{
    m_bAlphaBackground = bTrans;
}

bool CUIWindowManager::IsShowUpdateRect() const
{
    return m_bShowUpdateRect;
}

void CUIWindowManager::SetShowUpdateRect(bool show)
{
    m_bShowUpdateRect = show;
}

// ---------------------------------------------------------------- colours

const CUIWindowManager* CUIWindowManager::topmost() const
{
    const CUIWindowManager* pm = this;
    while (pm->m_pParentResourcePM)
        pm = pm->m_pParentResourcePM;
    return pm;
}

DWORD CUIWindowManager::GetDefaultDisabledColor() const
{
    return topmost()->m_dwDefaultDisabledColor;
}

void CUIWindowManager::SetDefaultDisabledColor(DWORD dwColor)
{
    m_dwDefaultDisabledColor = dwColor;
}

DWORD CUIWindowManager::GetDefaultFontColor() const
{
    return topmost()->m_dwDefaultFontColor;
}

void CUIWindowManager::SetDefaultFontColor(DWORD dwColor)
{
    m_dwDefaultFontColor = dwColor;
}

DWORD CUIWindowManager::GetDefaultLinkFontColor() const
{
    return topmost()->m_dwDefaultLinkFontColor;
}

void CUIWindowManager::SetDefaultLinkFontColor(DWORD dwColor)
{
    m_dwDefaultLinkFontColor = dwColor;
}

DWORD CUIWindowManager::GetDefaultLinkHoverFontColor() const
{
    return topmost()->m_dwDefaultLinkHoverFontColor;
}

void CUIWindowManager::SetDefaultLinkHoverFontColor(DWORD dwColor)
{
    m_dwDefaultLinkHoverFontColor = dwColor;
}

DWORD CUIWindowManager::GetDefaultSelectedBkColor() const
{
    return topmost()->m_dwDefaultSelectedBkColor;
}

void CUIWindowManager::SetDefaultSelectedBkColor(DWORD dwColor)
{
    m_dwDefaultSelectedBkColor = dwColor;
}

// ---------------------------------------------------------------- fonts

HFONT CUIWindowManager::createFont(const char16_t* face, int size, bool bold, bool underline, bool italic) const
{
    LOGFONTW lf{};
    GetObjectW(GetStockObject(DEFAULT_GUI_FONT), sizeof(LOGFONTW), &lf);
    lstrcpynW(lf.lfFaceName, face ? face : u"", LF_FACESIZE);
    lf.lfCharSet = DEFAULT_CHARSET;
    lf.lfHeight = -size;
    if (bold)
        lf.lfWeight += FW_BOLD;
    if (underline)
        lf.lfUnderline = TRUE;
    if (italic)
        lf.lfItalic = TRUE;
    return CreateFontIndirectW(&lf);
}

void CUIWindowManager::measureFont(TFontInfo* info)
{
    if (!info || info->tm.tmHeight != 0 || !m_hDcPaint)
        return;
    HFONT hOldFont = static_cast<HFONT>(SelectObject(m_hDcPaint, info->hFont));
    GetTextMetricsW(m_hDcPaint, &info->tm);
    SelectObject(m_hDcPaint, hOldFont);
}

TFontInfo* CUIWindowManager::GetDefaultFontDesc()
{
    auto* pm = const_cast<CUIWindowManager*>(topmost());
    pm->measureFont(&pm->m_DefaultFontInfo);
    return &pm->m_DefaultFontInfo;
}

void CUIWindowManager::SetDefaultFont(const char16_t* pStrFontName, int nSize, bool bBold, bool bUnderline,
                                      bool bItalic)
{
    HFONT hFont = createFont(pStrFontName, nSize, bBold, bUnderline, bItalic);
    if (!hFont)
        return;
    DeleteObject(m_DefaultFontInfo.hFont);
    m_DefaultFontInfo.hFont = hFont;
    m_DefaultFontInfo.sFontName = pStrFontName;
    m_DefaultFontInfo.iSize = nSize;
    m_DefaultFontInfo.bBold = bBold;
    m_DefaultFontInfo.bUnderline = bUnderline;
    m_DefaultFontInfo.bItalic = bItalic;
    std::memset(&m_DefaultFontInfo.tm, 0, sizeof m_DefaultFontInfo.tm);
    measureFont(&m_DefaultFontInfo);
}

HFONT CUIWindowManager::AddFont(const char16_t* pStrFontName, int nSize, bool bBold, bool bUnderline, bool bItalic)
{
    HFONT hFont = createFont(pStrFontName, nSize, bBold, bUnderline, bItalic);
    if (!hFont)
        return nullptr;
    auto* pFontInfo = new TFontInfo;
    pFontInfo->hFont = hFont;
    pFontInfo->sFontName = pStrFontName;
    pFontInfo->iSize = nSize;
    pFontInfo->bBold = bBold;
    pFontInfo->bUnderline = bUnderline;
    pFontInfo->bItalic = bItalic;
    std::memset(&pFontInfo->tm, 0, sizeof pFontInfo->tm);
    measureFont(pFontInfo);
    if (!m_aCustomFonts.Add(pFontInfo)) {
        DeleteObject(hFont);
        delete pFontInfo;
        return nullptr;
    }
    return hFont;
}

HFONT CUIWindowManager::GetFont(int index)
{
    if (index < 0 || index >= m_aCustomFonts.GetSize())
        return GetDefaultFontDesc()->hFont;
    return static_cast<TFontInfo*>(m_aCustomFonts[index])->hFont;
}

HFONT CUIWindowManager::GetFont(const char16_t* pStrFontName, int nSize, bool bBold, bool bUnderline, bool bItalic)
{
    return FindFont(pStrFontName, nSize, bBold, bUnderline, bItalic);
}

HFONT CUIWindowManager::FindFont(const char16_t* pStrFontName, int nSize, bool bBold, bool bUnderline,
                                 bool bItalic) const
{
    for (const CUIWindowManager* pm = this; pm; pm = pm->m_pParentResourcePM) {
        for (int it = 0; it < pm->m_aCustomFonts.GetSize(); it++) {
            auto* pFontInfo = static_cast<TFontInfo*>(pm->m_aCustomFonts[it]);
            if (pFontInfo->sFontName == pStrFontName && pFontInfo->iSize == nSize && pFontInfo->bBold == bBold &&
                pFontInfo->bUnderline == bUnderline && pFontInfo->bItalic == bItalic)
                return pFontInfo->hFont;
        }
    }
    return nullptr;
}

TFontInfo* CUIWindowManager::GetFontInfo(int index)
{
    if (index < 0 || index >= m_aCustomFonts.GetSize())
        return GetDefaultFontDesc();
    auto* pFontInfo = static_cast<TFontInfo*>(m_aCustomFonts[index]);
    measureFont(pFontInfo);
    return pFontInfo;
}

TFontInfo* CUIWindowManager::GetFontInfo(HFONT hFont)
{
    for (CUIWindowManager* pm = this; pm; pm = pm->m_pParentResourcePM) {
        for (int it = 0; it < pm->m_aCustomFonts.GetSize(); it++) {
            auto* pFontInfo = static_cast<TFontInfo*>(pm->m_aCustomFonts[it]);
            if (pFontInfo->hFont == hFont) {
                pm->measureFont(pFontInfo);
                if (pFontInfo->tm.tmHeight == 0)
                    measureFont(pFontInfo);
                return pFontInfo;
            }
        }
    }
    return GetDefaultFontDesc();
}

// ---------------------------------------------------------------- images

const UIImageInfo* CUIWindowManager::GetOrLoadImage(const char16_t* bitmap, const char16_t* type, DWORD mask)
{
    if (!bitmap)
        return nullptr;
    if (auto* data = static_cast<UIImageInfo*>(m_mImageHash.Find(bitmap)))
        return data;
    return AddImage(bitmap, type, mask);
}

const UIImageInfo* CUIWindowManager::AddImage(const char16_t* bitmap, const char16_t* type, DWORD mask)
{
    if (!bitmap || !*bitmap)
        return nullptr;
    UIImageInfo* data = nullptr;
    if (type && *type) {
        if (!(bitmap[0] >= u'0' && bitmap[0] <= u'9'))
            return nullptr;
        const int iIndex = _wtoi(bitmap);
        data = CUIRenderEngine::LoadImage(MAKEINTRESOURCEW(iIndex), type, mask);
    } else {
        data = CUIRenderEngine::LoadImage(bitmap, nullptr, mask);
    }
    if (!data)
        return nullptr; // a failed image is never cached
    if (type)
        data->sResType = type;
    data->dwMask = mask;
    if (!m_mImageHash.Insert(bitmap, data)) {
        CUIRenderEngine::FreeImage(data);
        return nullptr;
    }
    return data;
}

void CUIWindowManager::RemoveAllImages()
{
    for (int i = 0; i < m_mImageHash.GetSize(); i++) {
        if (const char16_t* key = m_mImageHash.GetAt(i))
            CUIRenderEngine::FreeImage(static_cast<UIImageInfo*>(m_mImageHash.Find(key, false)));
    }
    m_mImageHash.RemoveAll();
}

// ---------------------------------------------------------------- default attribute lists

void CUIWindowManager::AddClassDefaults(const char16_t* pStrControlName, const char16_t* pStrControlAttrList)
{
    if (!pStrControlName)
        return;
    auto* pDefaultAttr = new CUIString(pStrControlAttrList);
    if (!m_DefaultAttrHash.Insert(pStrControlName, pDefaultAttr))
        delete pDefaultAttr; // the first list stays
}

const char16_t* CUIWindowManager::GetClassDefaults(const char16_t* pStrControlName) const
{
    for (const CUIWindowManager* pm = this; pm; pm = pm->m_pParentResourcePM) {
        auto* pDefaultAttr = static_cast<CUIString*>(pm->m_DefaultAttrHash.Find(pStrControlName));
        if (pDefaultAttr)
            return pDefaultAttr->GetData();
    }
    return nullptr;
}

void CUIWindowManager::RemoveAllDefaultAttributeList()
{
    for (int i = 0; i < m_DefaultAttrHash.GetSize(); i++) {
        if (const char16_t* key = m_DefaultAttrHash.GetAt(i))
            delete static_cast<CUIString*>(m_DefaultAttrHash.Find(key, false));
    }
    m_DefaultAttrHash.RemoveAll();
}

// ---------------------------------------------------------------- option groups

bool CUIWindowManager::AddOptionGroup(const char16_t* pStrGroupName, CControlUI* pControl)
{
    auto* aOptionGroup = static_cast<CUIPtrArray*>(m_mOptionGroup.Find(pStrGroupName));
    if (aOptionGroup) {
        if (aOptionGroup->Find(pControl) >= 0)
            return false;
        return aOptionGroup->Add(pControl);
    }
    auto* aGroup = new CUIPtrArray(6);
    aGroup->Add(pControl);
    if (!m_mOptionGroup.Insert(pStrGroupName, aGroup)) {
        delete aGroup;
        return false;
    }
    return true;
}

CUIPtrArray* CUIWindowManager::GetOptionGroup(const char16_t* pStrGroupName)
{
    return static_cast<CUIPtrArray*>(m_mOptionGroup.Find(pStrGroupName));
}

void CUIWindowManager::RemoveOptionGroup(const char16_t* pStrGroupName, CControlUI* pControl)
{
    auto* aOptionGroup = static_cast<CUIPtrArray*>(m_mOptionGroup.Find(pStrGroupName));
    if (!aOptionGroup)
        return;
    const int i = aOptionGroup->Find(pControl);
    if (i >= 0)
        aOptionGroup->Remove(i);
    if (aOptionGroup->IsEmpty()) {
        delete aOptionGroup;
        m_mOptionGroup.Remove(pStrGroupName);
    }
}

void CUIWindowManager::RemoveAllOptionGroups()
{
    for (int i = 0; i < m_mOptionGroup.GetSize(); i++) {
        if (const char16_t* key = m_mOptionGroup.GetAt(i))
            delete static_cast<CUIPtrArray*>(m_mOptionGroup.Find(key, false));
    }
    m_mOptionGroup.RemoveAll();
}

// ---------------------------------------------------------------- parent resources

bool CUIWindowManager::ShareParentResources(CUIWindowManager* pParent)
{
    for (CUIWindowManager* pm = pParent; pm; pm = pm->m_pParentResourcePM) {
        if (pm == this)
            return false;
    }
    m_pParentResourcePM = pParent;
    return true;
}

CUIWindowManager* CUIWindowManager::GetParentResources() const
{
    return m_pParentResourcePM;
}
