#pragma once
// A thin object wrapper around one window: registers (or super-classes) its
// window class, creates the window with itself as creation parameter and
// hands every message to HandleMessage; and the notification pump that maps
// notification types to member functions. UI thread only.

#include "skinui/UIManager.h"
#include "skinui/UIString.h"

#include <winapi/winapi.h>

// Writes a diagnostic line (at most 510 characters) to the debugger output
// and to the trace callback given to CUIWindowManager::SetModuleInstance.
void UITrace(const char16_t* pstrFormat, ...);

class CNotifyPump;
typedef void (CNotifyPump::*UI_PMSG)(UINotifyMsg& msg);

enum UISig {
    UISig_end = 0,
    UISig_lwl = 1, // handler (wParam, lParam)
    UISig_vn = 2,  // handler (notification)
};

union UIMessageMapFunctions
{
    UI_PMSG pfn;
    void (CNotifyPump::*pfn_Notify_lwl)(WPARAM, LPARAM);
    void (CNotifyPump::*pfn_Notify_vn)(UINotifyMsg&);
};

// A (wParam, lParam) handler as stored in a map entry of signature UISig_lwl.
inline UI_PMSG UINotifyHandlerLwl(void (CNotifyPump::*pfn)(WPARAM, LPARAM))
{
    UIMessageMapFunctions mmf;
    mmf.pfn_Notify_lwl = pfn;
    return mmf.pfn;
}

struct UINotifyMapEntry
{
    CUIString sMsgType;
    CUIString sCtrlName;
    UINT nSig;
    UI_PMSG pfn;
};

struct UINotifyMap
{
    const UINotifyMap* (*pfnGetBaseMap)();
    const UINotifyMapEntry* lpEntries;
};

class CNotifyPump
{
public:
    virtual ~CNotifyPump() = default;
    bool DispatchNotify(UINotifyMsg& msg);
    virtual const UINotifyMap* GetMessageMap() const;

    static const UINotifyMap* GetThisMessageMap();

protected:
    bool DispatchToMaps(UINotifyMsg& msg);
    static const UINotifyMapEntry* FindNotifyMapEntry(const UINotifyMapEntry* lpEntry, UINotifyMsg& msg);
};

class CWindowWnd
{
public:
    CWindowWnd();
    virtual ~CWindowWnd() = default;
    CWindowWnd(const CWindowWnd&) = delete;
    CWindowWnd& operator=(const CWindowWnd&) = delete;

    HWND GetHWND() const;
    operator HWND() const;

    bool RegisterOwnClass();
    bool RegisterDerivedClass();

    HWND CreateInRect(HWND hwndParent, const char16_t* pstrName, DWORD dwStyle, DWORD dwExStyle, const RECT& rc,
                      HMENU hMenu = nullptr);
    HWND Create(HWND hwndParent, const char16_t* pstrName, DWORD dwStyle, DWORD dwExStyle, int x = CW_USEDEFAULT,
                int y = CW_USEDEFAULT, int cx = CW_USEDEFAULT, int cy = CW_USEDEFAULT, HMENU hMenu = nullptr);
    void Close(UINT nRet = IDOK);
    void CenterWindow();
    void SetIcon(UINT nRes);
    UINT Show(bool bShow = true, bool bTakeFocus = true);

    LRESULT SendToWindow(UINT uMsg, WPARAM wParam = 0, LPARAM lParam = 0);
    LRESULT PostToWindow(UINT uMsg, WPARAM wParam = 0, LPARAM lParam = 0);

protected:
    virtual const char16_t* GetWindowClassName() const = 0;
    virtual const char16_t* GetSuperClassName() const;
    virtual UINT GetClassStyle() const;
    virtual LRESULT HandleMessage(UINT uMsg, WPARAM wParam, LPARAM lParam);
    virtual void OnFinalMessage(HWND hWnd);

    static LRESULT CALLBACK StaticWindowProc(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam);
    static LRESULT CALLBACK StaticPropWindowProc(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam);
    static LRESULT routeMessage(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam, bool inProperty);

    HWND m_hWnd;
    WNDPROC m_OldWndProc;
};
