#pragma once
// Helpers for the skin library tests: a host window with a manager, a small
// container that places its children at their "pos", and a control that
// records the events it receives.

#include "skinui/IContainerUI.h"
#include "skinui/UIControl.h"
#include "skinui/UIDlgBuilder.h"
#include "skinui/UIWindowWnd.h"

#include <winapi/winapi.h>

#include <string>
#include <vector>

namespace skintest {

struct EventLog
{
    std::vector<std::pair<std::u16string, int>> events; // (control name, event type)
    void clear() { events.clear(); }
    std::vector<std::pair<std::u16string, int>> mouseOnly() const
    {
        std::vector<std::pair<std::u16string, int>> out;
        for (const auto& e : events)
            if (e.second > 8 && e.second < 19 && e.second != 12)
                out.push_back(e);
        return out;
    }
};

class RecordingControl : public CControlUI
{
public:
    explicit RecordingControl(EventLog* log = nullptr, bool tabStop = false) : m_log(log), m_tabStop(tabStop) {}
    const char16_t* GetClass() const override { return u"RecordingUI"; }
    UINT GetInputFlags() const override { return m_tabStop ? UIFLAG_TABSTOP : 0; }
    void HandleEvent(UIEventRecord& event) override
    {
        if (m_log)
            m_log->events.emplace_back(std::u16string(GetName().GetData()), event.Type);
        lastEvent = event;
        CControlUI::HandleEvent(event);
    }
    void SetAttribute(const char16_t* name, const char16_t* value) override
    {
        if (wcscmp(name, u"tabstop") == 0)
            m_tabStop = wcscmp(value, u"true") == 0;
        else
            CControlUI::SetAttribute(name, value);
    }
    UIEventRecord lastEvent{};

private:
    EventLog* m_log;
    bool m_tabStop;
};

// Children are placed at their fixed position and size inside the container.
class TestContainer : public CControlUI, public IContainerUI
{
public:
    ~TestContainer() override
    {
        for (CControlUI* c : m_items)
            delete c;
    }
    const char16_t* GetClass() const override { return u"TestContainerUI"; }
    void* GetInterface(const char16_t* name) override
    {
        if (wcscmp(name, u"IContainer") == 0)
            return static_cast<IContainerUI*>(this);
        return CControlUI::GetInterface(name);
    }
    CControlUI* GetItemAt(int i) const override
    {
        return i >= 0 && i < static_cast<int>(m_items.size()) ? m_items[i] : nullptr;
    }
    int GetItemIndex(CControlUI* c) const override
    {
        for (size_t i = 0; i < m_items.size(); ++i)
            if (m_items[i] == c)
                return static_cast<int>(i);
        return -1;
    }
    bool SetItemIndex(CControlUI*, int) override { return false; }
    int GetCount() const override { return static_cast<int>(m_items.size()); }
    bool Add(CControlUI* c) override
    {
        if (!c)
            return false;
        c->SetManager(m_pManager, this, false);
        m_items.push_back(c);
        RequestLayout();
        return true;
    }
    bool AddAt(CControlUI* c, int) override { return Add(c); }
    bool Remove(CControlUI* c) override
    {
        const int i = GetItemIndex(c);
        return i >= 0 && RemoveAt(i);
    }
    bool RemoveAt(int i) override
    {
        if (i < 0 || i >= GetCount())
            return false;
        delete m_items[static_cast<size_t>(i)];
        m_items.erase(m_items.begin() + i);
        return true;
    }
    void RemoveAll() override
    {
        for (CControlUI* c : m_items)
            delete c;
        m_items.clear();
    }
    void SetManager(CUIWindowManager* pManager, CControlUI* pParent, bool bInit = true) override
    {
        for (CControlUI* c : m_items)
            c->SetManager(pManager, this, bInit);
        CControlUI::SetManager(pManager, pParent, bInit);
    }
    void SetPos(RECT rc) override
    {
        CControlUI::SetPos(rc);
        for (CControlUI* c : m_items) {
            const SIZE xy = c->GetFixedXY();
            RECT r = {rc.left + xy.cx, rc.top + xy.cy, rc.left + xy.cx + c->GetFixedWidth(),
                      rc.top + xy.cy + c->GetFixedHeight()};
            c->SetPos(r);
        }
    }
    void DoPaint(HDC hDC, const RECT& rcPaint) override
    {
        CControlUI::DoPaint(hDC, rcPaint);
        for (CControlUI* c : m_items)
            if (c->IsVisible())
                c->DoPaint(hDC, rcPaint);
    }
    CControlUI* FindControl(FINDCONTROLPROC Proc, void* pData, UINT uFlags) override
    {
        if ((uFlags & UIFIND_VISIBLE) != 0 && !IsVisible())
            return nullptr;
        if ((uFlags & UIFIND_ENABLED) != 0 && !IsEnabled())
            return nullptr;
        if ((uFlags & UIFIND_HITTEST) != 0 && !::PtInRect(&m_rcItem, *static_cast<LPPOINT>(pData)))
            return nullptr;
        if ((uFlags & UIFIND_ME_FIRST) != 0) {
            if (CControlUI* me = CControlUI::FindControl(Proc, pData, uFlags))
                return me;
        }
        if ((uFlags & UIFIND_TOP_FIRST) != 0) {
            for (int i = GetCount() - 1; i >= 0; --i)
                if (CControlUI* c = m_items[static_cast<size_t>(i)]->FindControl(Proc, pData, uFlags))
                    return c;
        } else {
            for (CControlUI* item : m_items)
                if (CControlUI* c = item->FindControl(Proc, pData, uFlags))
                    return c;
        }
        if ((uFlags & UIFIND_ME_FIRST) == 0)
            return CControlUI::FindControl(Proc, pData, uFlags);
        return nullptr;
    }

private:
    std::vector<CControlUI*> m_items;
};

// Creates the test classes for the dialog builder.
class TestCallback : public IDialogBuilderCallback
{
public:
    explicit TestCallback(EventLog* log = nullptr) : m_log(log) {}
    CControlUI* CreateControl(const char16_t* cls) override
    {
        if (wcscmp(cls, u"Container") == 0 || wcscmp(cls, u"TestContainer") == 0)
            return new TestContainer;
        if (wcscmp(cls, u"Rec") == 0)
            return new RecordingControl(m_log);
        return nullptr;
    }

private:
    EventLog* m_log;
};

// A popup window whose messages go to its manager.
class HostWindow : public CWindowWnd
{
public:
    CUIWindowManager pm;
    HWND open(int x, int y, int w, int h)
    {
        return Create(nullptr, u"host", WS_POPUP | WS_VISIBLE, 0, x, y, w, h);
    }
    ~HostWindow() override
    {
        if (m_hWnd && ::IsWindow(m_hWnd))
            ::DestroyWindow(m_hWnd);
    }

protected:
    const char16_t* GetWindowClassName() const override { return u"SkinTestHost"; }
    LRESULT HandleMessage(UINT uMsg, WPARAM wParam, LPARAM lParam) override
    {
        if (uMsg == WM_CREATE) {
            pm.Init(m_hWnd);
            return 0;
        }
        LRESULT lRes = 0;
        if (pm.MessageHandler(uMsg, wParam, lParam, lRes))
            return lRes;
        return CWindowWnd::HandleMessage(uMsg, wParam, lParam);
    }
};

// Dispatches until nothing is left (bounded).
inline void pump()
{
    for (int i = 0; i < 50 && winapi::pumpMessages() > 0; ++i) {
    }
}

} // namespace skintest
