#pragma once
// The per-window manager: paints the control tree double-buffered, routes
// mouse and keyboard messages to the controls as event records, keeps focus,
// capture, tab order and control timers, delivers notifications, and holds
// the window's fonts, images, class defaults and option groups. Process-wide
// settings say where skins come from.
//
// Threads: everything here runs on the thread that owns the window; other
// threads reach a window only by posting messages to it.

#include "skinui/UIPtrArray.h"
#include "skinui/UIRect.h"
#include "skinui/UIString.h"
#include "skinui/UIStringPtrMap.h"
#include "skinui/UIZip.h"

#include <winapi/winapi.h>

class CControlUI;
class CUIWindowManager;

// Event types sent to controls.
enum UIEVENTTYPE_ {
    UIEVENT__FIRST = 1,
    UIEVENT__KEYBEGIN,
    UIEVENT_KEYDOWN,      // 3
    UIEVENT_KEYUP,        // 4
    UIEVENT_CHAR,         // 5
    UIEVENT_SYSKEY,       // 6
    UIEVENT__KEYEND,
    UIEVENT__MOUSEBEGIN,
    UIEVENT_MOUSEMOVE,    // 9
    UIEVENT_MOUSELEAVE,   // 10
    UIEVENT_MOUSEENTER,   // 11
    UIEVENT_MOUSEHOVER,   // 12
    UIEVENT_BUTTONDOWN,   // 13
    UIEVENT_BUTTONUP,     // 14
    UIEVENT_RBUTTONDOWN,  // 15
    UIEVENT_DBLCLICK,     // 16
    UIEVENT_CONTEXTMENU,  // 17
    UIEVENT_SCROLLWHEEL,  // 18
    UIEVENT__MOUSEEND,
    UIEVENT_KILLFOCUS,    // 20
    UIEVENT_SETFOCUS,     // 21
    UIEVENT_WINDOWSIZE,   // 22
    UIEVENT_SETCURSOR,    // 23
    UIEVENT_TIMER,        // 24
    UIEVENT__LAST,
};

// Search flags of CControlUI::FindControl.
#define UIFIND_ALL 0x00000000
#define UIFIND_VISIBLE 0x00000001
#define UIFIND_ENABLED 0x00000002
#define UIFIND_HITTEST 0x00000004
#define UIFIND_TOP_FIRST 0x00000008
#define UIFIND_ME_FIRST 0x80000000

// Input flags of CControlUI::GetInputFlags.
#define UIFLAG_TABSTOP 0x00000001
#define UIFLAG_SETCURSOR 0x00000002

// Key state bits of key, wheel and set-cursor events.
#define UISTATE_RBUTTON 0x01
#define UISTATE_LBUTTON 0x02
#define UISTATE_SHIFT 0x04
#define UISTATE_CONTROL 0x08
#define UISTATE_ALT 0x20

// The manager's own message: destroy the controls scheduled for clean-up.
#define WM_UI_CLEANUP 0x8001

struct UIEventRecord
{
    int Type;
    CControlUI* pSender;
    DWORD dwTimestamp;
    POINT ptMouse;
    WCHAR chKey;
    WORD wKeyState;
    WPARAM wParam;
    LPARAM lParam;
};

struct UINotifyMsg
{
    CUIString sType;
    CUIString sVirtualWnd;
    CControlUI* pSender;
    DWORD dwTimestamp;
    POINT ptMouse;
    WPARAM wParam;
    LPARAM lParam;
};

class INotifyUI
{
public:
    virtual void Notify(UINotifyMsg& msg) = 0;

protected:
    ~INotifyUI() = default;
};

class IMessageFilterUI
{
public:
    virtual LRESULT MessageHandler(UINT uMsg, WPARAM wParam, LPARAM lParam, bool& bHandled) = 0;

protected:
    ~IMessageFilterUI() = default;
};

class ITranslateAccelerator
{
public:
    virtual LRESULT TranslateAccelerator(MSG* pMsg) = 0;

protected:
    ~ITranslateAccelerator() = default;
};

struct TFontInfo
{
    HFONT hFont;
    CUIString sFontName;
    int iSize;
    bool bBold;
    bool bUnderline;
    bool bItalic;
    TEXTMETRICW tm;
};

// One loaded image, owned by the manager's image cache.
struct UIImageInfo
{
    HBITMAP hBitmap;
    int nX;
    int nY;
    bool alphaChannel;
    CUIString sResType;
    DWORD dwMask;
};

class CUIWindowManager
{
public:
    CUIWindowManager();
    ~CUIWindowManager();
    CUIWindowManager(const CUIWindowManager&) = delete;
    CUIWindowManager& operator=(const CUIWindowManager&) = delete;

    // ---- lifecycle and tree (messages side)
    void Init(HWND hWnd);
    bool SetRootControl(CControlUI* pControl);
    CControlUI* GetRoot() const;
    bool AttachControls(CControlUI* pControl, CControlUI* pParent = nullptr);
    void ForgetControl(CControlUI* pControl);
    void ScheduleCleanup(CControlUI* pControl);
    CControlUI* FindControl(POINT pt) const;
    CControlUI* FindControl(const char16_t* pstrName) const;
    CControlUI* FindControlUnder(CControlUI* pParent, const char16_t* pstrName) const;

    HWND GetPaintWindow() const;
    HDC GetPaintDC() const;
    POINT GetMousePos() const;

    void RequestLayout();
    void Invalidate(RECT& rcItem);

    // ---- focus, capture
    CControlUI* GetFocus() const;
    void SetFocus(CControlUI* pControl);
    void RequestFocus(CControlUI* pControl);
    bool SetNextTabStop(bool bForward = true);
    void SetCapture();
    void ReleaseCapture();
    bool IsCaptured() const;

    // ---- timers
    bool SetTimer(CControlUI* pControl, UINT nTimerID, UINT uElapse);
    bool KillTimer(CControlUI* pControl, UINT nTimerID);
    int KillTimer(CControlUI* pControl);

    // ---- notifications and filters
    void SendNotify(UINotifyMsg& Msg, bool bAsync = false);
    void SendNotify(CControlUI* pControl, const char16_t* pstrMessage, WPARAM wParam = 0, LPARAM lParam = 0,
                    bool bAsync = false);
    bool AddNotifier(INotifyUI* pControl);
    bool RemoveNotifier(INotifyUI* pControl);
    bool AddPreFilter(IMessageFilterUI* pFilter);
    bool RemovePreFilter(IMessageFilterUI* pFilter);
    bool AddMessageFilter(IMessageFilterUI* pFilter);
    bool RemoveMessageFilter(IMessageFilterUI* pFilter);
    bool AddOverlayPainter(CControlUI* pControl);
    bool RemoveOverlayPainter(CControlUI* pControl);
    bool AddTranslateAccelerator(ITranslateAccelerator* pTranslateAccelerator);
    bool RemoveTranslateAccelerator(ITranslateAccelerator* pTranslateAccelerator);
    void EnableVirtualWindows(bool bEnable);

    bool MessageHandler(UINT uMsg, WPARAM wParam, LPARAM lParam, LRESULT& lRes);
    bool PreFilterMessage(UINT uMsg, WPARAM wParam, LPARAM lParam, LRESULT& lRes);

    static int RunMessageLoop();
    static bool TranslateMessage(const LPMSG pMsg);

    // ---- window settings (resources side)
    SIZE GetInitSize() const;
    void SetInitSize(int cx, int cy);
    RECT& GetSizeBox();
    void SetSizeBox(RECT& rcSizeBox);
    RECT& GetCaptionRect();
    void SetCaptionRect(RECT& rcCaption);
    SIZE GetRoundCorner() const;
    void SetRoundCorner(int cx, int cy);
    SIZE GetMinInfo() const;
    void SetMinInfo(int cx, int cy);
    SIZE GetMaxInfo() const;
    void SetMaxInfo(int cx, int cy);
    int GetTransparent() const;
    void SetTransparent(int nOpacity);
    void SetTransparentBackground(bool bTrans);
    bool IsShowUpdateRect() const;
    void SetShowUpdateRect(bool show);

    // ---- default colours (the topmost manager of the parent chain answers)
    DWORD GetDefaultDisabledColor() const;
    void SetDefaultDisabledColor(DWORD dwColor);
    DWORD GetDefaultFontColor() const;
    void SetDefaultFontColor(DWORD dwColor);
    DWORD GetDefaultLinkFontColor() const;
    void SetDefaultLinkFontColor(DWORD dwColor);
    DWORD GetDefaultLinkHoverFontColor() const;
    void SetDefaultLinkHoverFontColor(DWORD dwColor);
    DWORD GetDefaultSelectedBkColor() const;
    void SetDefaultSelectedBkColor(DWORD dwColor);

    // ---- fonts
    TFontInfo* GetDefaultFontDesc();
    void SetDefaultFont(const char16_t* pStrFontName, int nSize, bool bBold, bool bUnderline, bool bItalic);
    HFONT AddFont(const char16_t* pStrFontName, int nSize, bool bBold, bool bUnderline, bool bItalic);
    HFONT GetFont(int index);
    HFONT GetFont(const char16_t* pStrFontName, int nSize, bool bBold, bool bUnderline, bool bItalic);
    HFONT FindFont(const char16_t* pStrFontName, int nSize, bool bBold, bool bUnderline, bool bItalic) const;
    TFontInfo* GetFontInfo(int index);
    TFontInfo* GetFontInfo(HFONT hFont);

    // ---- images
    const UIImageInfo* GetOrLoadImage(const char16_t* bitmap, const char16_t* type = nullptr, DWORD mask = 0);
    const UIImageInfo* AddImage(const char16_t* bitmap, const char16_t* type = nullptr, DWORD mask = 0);
    void RemoveAllImages();

    // ---- default attribute lists
    void AddClassDefaults(const char16_t* pStrControlName, const char16_t* pStrControlAttrList);
    const char16_t* GetClassDefaults(const char16_t* pStrControlName) const;
    void RemoveAllDefaultAttributeList();

    // ---- option groups
    bool AddOptionGroup(const char16_t* pStrGroupName, CControlUI* pControl);
    CUIPtrArray* GetOptionGroup(const char16_t* pStrGroupName);
    void RemoveOptionGroup(const char16_t* pStrGroupName, CControlUI* pControl);
    void RemoveAllOptionGroups();

    // ---- parent resources
    bool ShareParentResources(CUIWindowManager* pParent);
    CUIWindowManager* GetParentResources() const;

    // ---- process-wide settings
    static HINSTANCE GetInstance();
    static CUIString GetModuleFolder();
    static HINSTANCE GetResourceModule();
    typedef void (*TraceCallback)(const char16_t* text);
    static void SetModuleInstance(HINSTANCE hInst, TraceCallback trace = nullptr);
    static TraceCallback GetTraceCallback();
    static const CUIString& GetSkinFolderPath();
    static void SetSkinFolder(const char16_t* pStrPath);
    static void SetSkinZipFile(const char16_t* pStrZip, bool bCachedResourceZip = false);
    static void SetSkinZipData(const void* data, unsigned int size);
    static const CUIString& GetSkinZipFile();
    static bool IsSkinZipCached();
    static HZIP GetSkinZipHandle();
    static void Shutdown();
    static void GetHSL(short* H, short* S, short* L);

private:
    // Ends a click under way: releases the capture and hands back the
    // control that was pressed (null when none was).
    CControlUI* TakeClickControl();

    struct TIMERINFO
    {
        CControlUI* pSender;
        UINT nLocalID;
        HWND hWnd;
        UINT uWinTimer;
        bool bKilled;
    };
    struct FINDTABINFO
    {
        CControlUI* pFocus;
        CControlUI* pLast;
        bool bForward;
        bool bNextIsIt;
    };
    struct FINDSHORTCUT
    {
        char16_t ch;
        bool bPickNext;
    };

    static CControlUI* __FindControlFromNameHash(CControlUI* pThis, void* pData);
    static CControlUI* __FindControlFromCount(CControlUI* pThis, void* pData);
    static CControlUI* __FindControlFromPoint(CControlUI* pThis, void* pData);
    static CControlUI* __FindControlFromTab(CControlUI* pThis, void* pData);
    static CControlUI* __FindControlFromShortcut(CControlUI* pThis, void* pData);
    static CControlUI* __FindControlFromUpdate(CControlUI* pThis, void* pData);
    static CControlUI* __FindControlFromName(CControlUI* pThis, void* pData);

    void deliverQueuedNotifications();
    void removeAllTimers();
    void paint();
    void deactivateToolTip();
    void showToolTip(CControlUI* pControl);
    bool ownsControl(CControlUI* pControl) const;
    UINT nextTimerId() const;
    void sendEvent(CControlUI* pControl, UIEventRecord& event);
    static WORD currentKeyState();
    UIEventRecord keyEvent(int type, WPARAM wParam) const;
    static bool offerToFilters(const CUIPtrArray& filters, UINT uMsg, WPARAM wParam, LPARAM lParam, LRESULT& lRes);
    void takeFocusFrom(CControlUI* pNewFocus);
    const CUIWindowManager* topmost() const;

    // ---- message side (window handle and painting)
    HWND m_hWndPaint;
    HDC m_hDcPaint;
    HDC m_hDcOffscreen;
    HDC m_hDcBackground;
    HBITMAP m_hbmpOffscreen;
    HBITMAP m_hbmpBackground;
    HBITMAP m_hbmpOffscreenOld;
    HWND m_hwndTooltip;
    TOOLINFOW m_ToolTip;
    CControlUI* m_pRoot;
    CControlUI* m_pFocus;
    CControlUI* m_pEventHover;
    CControlUI* m_pEventClick;
    CControlUI* m_pEventKey;
    POINT m_ptLastMousePos;
    UINT m_uTimerID;
    bool m_bFirstLayout;
    bool m_bUpdateNeeded;
    bool m_bFocusNeeded;
    bool m_bOffscreenPaint;
    bool m_bAlphaBackground;
    bool m_bMouseTracking;
    bool m_bMouseCapture;
    bool m_bUsedVirtualWnd;
    CUIPtrArray m_aNotifiers;
    CUIPtrArray m_aTimers;
    CUIPtrArray m_aPreMessageFilters;
    CUIPtrArray m_aMessageFilters;
    CUIPtrArray m_aPostPaintControls;
    CUIPtrArray m_aDelayedCleanup;
    CUIPtrArray m_aAsyncNotify;
    CUIPtrArray m_aTranslateAccelerator;
    CUIStringPtrMap m_mNameHash;

    // ---- resources side
    SIZE m_szMinWindow;
    SIZE m_szMaxWindow;
    SIZE m_szInitWindowSize;
    RECT m_rcSizeBox;
    SIZE m_szRoundCorner;
    RECT m_rcCaption;
    int m_nOpacity;
    bool m_bShowUpdateRect;
    CUIStringPtrMap m_mOptionGroup;
    CUIWindowManager* m_pParentResourcePM;
    DWORD m_dwDefaultDisabledColor;
    DWORD m_dwDefaultFontColor;
    DWORD m_dwDefaultLinkFontColor;
    DWORD m_dwDefaultLinkHoverFontColor;
    DWORD m_dwDefaultSelectedBkColor;
    TFontInfo m_DefaultFontInfo;
    CUIPtrArray m_aCustomFonts;
    CUIStringPtrMap m_mImageHash;
    CUIStringPtrMap m_DefaultAttrHash;

    void measureFont(TFontInfo* info);
    HFONT createFont(const char16_t* face, int size, bool bold, bool underline, bool italic) const;

    friend struct CUIWindowManagerStatics;
};
