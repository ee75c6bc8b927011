// Construction, destruction and the process-wide skin settings of the
// window manager.
#include "skinui/UIControl.h"
#include "skinui/UIManager.h"
#include "skinui/UIManagerInternal.h"
#include "skinui/UIRender.h"

#include <cstring>

namespace {

// Process-wide settings: set at start-up on the UI thread, read there.
struct Statics
{
    HINSTANCE instance = nullptr;
    CUIWindowManager::TraceCallback trace = nullptr;
    CUIString skinFolder;
    CUIString skinZip;
    bool cachedZip = false;
    HZIP zipHandle = nullptr;
    CUIPtrArray managers;
    HPEN updateRectPen = nullptr;
    short H = 180, S = 100, L = 100;
};

Statics& statics()
{
    static Statics s;
    return s;
}

} // namespace

HPEN uiUpdateRectPen()
{
    return statics().updateRectPen;
}

CUIPtrArray& uiManagerList()
{
    return statics().managers;
}

CUIWindowManager::CUIWindowManager()
    : m_hWndPaint(nullptr), m_hDcPaint(nullptr), m_hDcOffscreen(nullptr), m_hDcBackground(nullptr),
      m_hbmpOffscreen(nullptr), m_hbmpBackground(nullptr), m_hbmpOffscreenOld(nullptr), m_hwndTooltip(nullptr),
      m_pRoot(nullptr), m_pFocus(nullptr), m_pEventHover(nullptr), m_pEventClick(nullptr), m_pEventKey(nullptr),
      m_uTimerID(0x1000), m_bFirstLayout(true), m_bUpdateNeeded(false), m_bFocusNeeded(false),
      m_bOffscreenPaint(true), m_bAlphaBackground(false), m_bMouseTracking(false), m_bMouseCapture(false),
      m_bUsedVirtualWnd(false), m_mNameHash(83), m_nOpacity(255), m_bShowUpdateRect(false), m_mOptionGroup(83),
      m_pParentResourcePM(nullptr), m_dwDefaultDisabledColor(0xFFA7A6AA), m_dwDefaultFontColor(0xFF000000),
      m_dwDefaultLinkFontColor(0xFF0000FF), m_dwDefaultLinkHoverFontColor(0xFFD3215F),
      m_dwDefaultSelectedBkColor(0xFFBAE4FF), m_mImageHash(83), m_DefaultAttrHash(83)
{
    std::memset(&m_ToolTip, 0, sizeof m_ToolTip);
    m_ptLastMousePos.x = m_ptLastMousePos.y = -1;
    m_szMinWindow.cx = m_szMinWindow.cy = 0;
    m_szMaxWindow.cx = m_szMaxWindow.cy = 0;
    m_szInitWindowSize.cx = m_szInitWindowSize.cy = 0;
    m_szRoundCorner.cx = m_szRoundCorner.cy = 0;
    std::memset(&m_rcSizeBox, 0, sizeof m_rcSizeBox);
    std::memset(&m_rcCaption, 0, sizeof m_rcCaption);

    LOGFONTW lf{};
    GetObjectW(GetStockObject(DEFAULT_GUI_FONT), sizeof(LOGFONTW), &lf);
    lf.lfCharSet = DEFAULT_CHARSET;
    HFONT hDefaultFont = CreateFontIndirectW(&lf);
    m_DefaultFontInfo.hFont = hDefaultFont;
    m_DefaultFontInfo.sFontName = lf.lfFaceName;
    m_DefaultFontInfo.iSize = -lf.lfHeight;
    m_DefaultFontInfo.bBold = lf.lfWeight >= FW_BOLD;
    m_DefaultFontInfo.bUnderline = lf.lfUnderline == TRUE;
    m_DefaultFontInfo.bItalic = lf.lfItalic == TRUE;
    std::memset(&m_DefaultFontInfo.tm, 0, sizeof m_DefaultFontInfo.tm);

    Statics& s = statics();
    if (!s.updateRectPen) {
        s.updateRectPen = CreatePen(PS_SOLID, 1, RGB(220, 0, 0));
        InitCommonControls();
        LoadLibraryW(u"msimg32.dll"); // stays loaded
    }
}

CUIWindowManager::~CUIWindowManager()
{
    // Controls scheduled for clean-up go first.
    for (int i = 0; i < m_aDelayedCleanup.GetSize(); i++)
        delete static_cast<CControlUI*>(m_aDelayedCleanup[i]);
    m_aDelayedCleanup.Empty();
    for (int i = 0; i < m_aAsyncNotify.GetSize(); i++)
        delete static_cast<UINotifyMsg*>(m_aAsyncNotify[i]);
    m_aAsyncNotify.Empty();
    m_mNameHash.Resize(0);
    // The controls tell the manager that they go: keep the root reachable
    // until it is deleted, then forget it.
    CControlUI* root = m_pRoot;
    m_pRoot = nullptr;
    delete root;

    DeleteObject(m_DefaultFontInfo.hFont);
    for (int i = 0; i < m_aCustomFonts.GetSize(); i++) {
        auto* pFontInfo = static_cast<TFontInfo*>(m_aCustomFonts[i]);
        DeleteObject(pFontInfo->hFont);
        delete pFontInfo;
    }
    m_aCustomFonts.Empty();
    RemoveAllImages();
    RemoveAllDefaultAttributeList();
    RemoveAllOptionGroups();
    removeAllTimers();

    if (m_hwndTooltip)
        DestroyWindow(m_hwndTooltip);
    if (m_hDcOffscreen)
        DeleteDC(m_hDcOffscreen);
    if (m_hDcBackground)
        DeleteDC(m_hDcBackground);
    if (m_hbmpOffscreen)
        DeleteObject(m_hbmpOffscreen);
    if (m_hbmpBackground)
        DeleteObject(m_hbmpBackground);
    if (m_hDcPaint)
        ReleaseDC(m_hWndPaint, m_hDcPaint);
    CUIPtrArray& managers = statics().managers;
    const int idx = managers.Find(this);
    if (idx >= 0)
        managers.Remove(idx);
}

// ---------------------------------------------------------------- statics

HINSTANCE CUIWindowManager::GetInstance()
{
    return statics().instance;
}

CUIString CUIWindowManager::GetModuleFolder()
{
    if (!statics().instance)
        return CUIString();
    char16_t szModule[MAX_PATH + 1] = {0};
    GetModuleFileNameW(statics().instance, szModule, MAX_PATH);
    szModule[MAX_PATH] = 0;
    CUIString sInstancePath = szModule;
    int pos = sInstancePath.ReverseFind(u'\\');
    const int slash = sInstancePath.ReverseFind(u'/');
    if (slash > pos)
        pos = slash;
    if (pos >= 0)
        sInstancePath = sInstancePath.Left(pos + 1);
    return sInstancePath;
}

HINSTANCE CUIWindowManager::GetResourceModule()
{
    return statics().instance;
}

void CUIWindowManager::SetModuleInstance(HINSTANCE hInst, TraceCallback trace)
{
    statics().instance = hInst;
    statics().trace = trace;
}

CUIWindowManager::TraceCallback CUIWindowManager::GetTraceCallback()
{
    return statics().trace;
}

const CUIString& CUIWindowManager::GetSkinFolderPath()
{
    return statics().skinFolder;
}

void CUIWindowManager::SetSkinFolder(const char16_t* pStrPath)
{
    CUIString& folder = statics().skinFolder;
    folder = pStrPath;
    const int len = folder.GetLength();
    if (len > 0) {
        const char16_t last = folder.GetAt(len - 1);
        if (last != u'\\' && last != u'/')
            folder += u'\\';
    }
}

void CUIWindowManager::SetSkinZipFile(const char16_t* pStrPath, bool bCachedResourceZip)
{
    Statics& s = statics();
    if (s.skinZip == pStrPath && s.cachedZip == bCachedResourceZip)
        return;
    if (s.cachedZip && s.zipHandle) {
        UIZipClose(s.zipHandle);
        s.zipHandle = nullptr;
    }
    s.skinZip = pStrPath;
    s.cachedZip = bCachedResourceZip;
    if (s.cachedZip) {
        CUIString sFile = s.skinFolder;
        sFile += s.skinZip;
        s.zipHandle = UIZipOpen(const_cast<char16_t*>(sFile.GetData()), 0, ZIP_FILENAME);
    }
}

void CUIWindowManager::SetSkinZipData(const void* data, unsigned int size)
{
    Statics& s = statics();
    if (s.skinZip == u"membuffer")
        return;
    if (s.cachedZip && s.zipHandle) {
        UIZipClose(s.zipHandle);
        s.zipHandle = nullptr;
    }
    s.skinZip = u"membuffer";
    s.cachedZip = true;
    s.zipHandle = UIZipOpen(const_cast<void*>(data), size, ZIP_MEMORY);
}

const CUIString& CUIWindowManager::GetSkinZipFile()
{
    return statics().skinZip;
}

bool CUIWindowManager::IsSkinZipCached()
{
    return statics().cachedZip;
}

HZIP CUIWindowManager::GetSkinZipHandle()
{
    return statics().zipHandle;
}

void CUIWindowManager::Shutdown()
{
    Statics& s = statics();
    if (s.cachedZip && s.zipHandle) {
        UIZipClose(s.zipHandle);
        s.zipHandle = nullptr;
    }
    // Forget the archive too, so a later start can set a new one.
    s.skinZip.Empty();
    s.cachedZip = false;
}

void CUIWindowManager::GetHSL(short* H, short* S, short* L)
{
    *H = statics().H;
    *S = statics().S;
    *L = statics().L;
}
