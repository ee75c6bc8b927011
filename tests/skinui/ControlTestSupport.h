#pragma once
// A headless window built from a skin text with the real control classes:
// trace lines recorded, notifications logged, pictures and screenshots,
// input in client coordinates (the window sits at the screen's origin).

#include "tests/skinui/SkinTestSupport.h"
#include "skinui/UIContainer.h"
#include "TestPaths.h"

#include <winapi/platform.h>

#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

namespace skintest {

inline std::vector<std::u16string>& controlTraces()
{
    static std::vector<std::u16string> lines;
    return lines;
}

inline void recordControlTrace(const char16_t* text)
{
    controlTraces().emplace_back(text);
}

inline bool tracedContaining(const std::u16string& part)
{
    for (const auto& t : controlTraces())
        if (t.find(part) != std::u16string::npos)
            return true;
    return false;
}

// Every notification the window's manager delivers, in order.
class NotifyLog : public INotifyUI
{
public:
    struct Entry
    {
        std::u16string type;
        std::u16string sender;
        WPARAM wParam;
        LPARAM lParam;
    };
    void Notify(UINotifyMsg& msg) override
    {
        entries.push_back(Entry{std::u16string(msg.sType.GetData()),
                                msg.pSender ? std::u16string(msg.pSender->GetName().GetData()) : u"", msg.wParam,
                                msg.lParam});
    }
    int count(const std::u16string& type, const std::u16string& sender = u"") const
    {
        int n = 0;
        for (const auto& e : entries)
            if (e.type == type && (sender.empty() || e.sender == sender))
                ++n;
        return n;
    }
    std::vector<Entry> entries;
};

// A solid 24-bit BMP (the image loader reads BMP as well as PNG).
inline std::string solidBmp(int w, int h, uint32_t rgb)
{
    const int rowBytes = (w * 3 + 3) & ~3;
    const uint32_t dataSize = static_cast<uint32_t>(rowBytes * h);
    std::string out(54 + dataSize, '\0');
    auto put32 = [&](size_t at, uint32_t v) {
        for (int i = 0; i < 4; ++i)
            out[at + i] = static_cast<char>((v >> (8 * i)) & 0xFF);
    };
    out[0] = 'B';
    out[1] = 'M';
    put32(2, 54 + dataSize);
    put32(10, 54);
    put32(14, 40);
    put32(18, static_cast<uint32_t>(w));
    put32(22, static_cast<uint32_t>(h));
    out[26] = 1;
    out[28] = 24;
    put32(34, dataSize);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const size_t at = 54 + static_cast<size_t>(y * rowBytes + x * 3);
            out[at] = static_cast<char>(rgb & 0xFF);
            out[at + 1] = static_cast<char>((rgb >> 8) & 0xFF);
            out[at + 2] = static_cast<char>((rgb >> 16) & 0xFF);
        }
    return out;
}

class SkinHost
{
public:
    explicit SkinHost(int w = 400, int h = 300) : m_w(w), m_h(h)
    {
        winapi::selectBackend(winapi::Backend::Headless);
        winapi::setClockMode(winapi::ClockMode::Manual);
        CUIWindowManager::SetModuleInstance(::GetModuleHandleW(nullptr), recordControlTrace);
        controlTraces().clear();
        host.open(0, 0, w, h);
        host.pm.AddNotifier(&notes);
    }
    ~SkinHost()
    {
        host.pm.RemoveNotifier(&notes);
        CUIWindowManager::SetModuleInstance(::GetModuleHandleW(nullptr), nullptr);
    }

    // Builds the skin text (a Window element) and attaches it; null on failure.
    CControlUI* build(const std::u16string& xml, IDialogBuilderCallback* cb = nullptr)
    {
        CDialogBuilder builder;
        CControlUI* root = builder.Create(xml.c_str(), nullptr, cb, &host.pm);
        if (!root)
            return nullptr;
        host.pm.SetRootControl(root);
        refresh();
        return root;
    }

    void refresh()
    {
        ::InvalidateRect(host.GetHWND(), nullptr, FALSE);
        pump();
    }

    template <class T = CControlUI>
    T* find(const char16_t* name)
    {
        return static_cast<T*>(host.pm.FindControl(name));
    }

    uint32_t pixel(int x, int y)
    {
        refresh();
        return winapi::captureWindow(host.GetHWND()).at(x, y) & 0xFFFFFF;
    }

    void click(int x, int y)
    {
        winapi::headless::mouseMove(x, y);
        winapi::headless::mouseDown(x, y);
        winapi::headless::mouseUp(x, y);
        pump();
    }
    void move(int x, int y)
    {
        winapi::headless::mouseMove(x, y);
        pump();
    }
    void down(int x, int y)
    {
        winapi::headless::mouseDown(x, y);
        pump();
    }
    void up(int x, int y)
    {
        winapi::headless::mouseUp(x, y);
        pump();
    }
    void key(int vk, char16_t ch = 0)
    {
        winapi::headless::keyDown(vk, ch);
        winapi::headless::keyUp(vk);
        pump();
    }
    void wheel(int x, int y, int delta)
    {
        winapi::headless::mouseWheel(x, y, delta);
        pump();
    }
    void tick(uint32_t ms)
    {
        winapi::advanceClock(ms);
        pump();
    }

    // Saves the window under <build>/screenshots/<name>.png.
    void screenshot(const std::string& name)
    {
        refresh();
        winapi::dumpWindowPng(host.GetHWND(), testsupport::screenshotPath(name + ".png"));
    }

    HostWindow host;
    NotifyLog notes;

private:
    int m_w;
    int m_h;
};

inline bool sameRect(const RECT& a, const RECT& b)
{
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

inline std::string rectText(const RECT& r)
{
    char buf[96];
    std::snprintf(buf, sizeof buf, "(%ld,%ld,%ld,%ld)", static_cast<long>(r.left), static_cast<long>(r.top),
                  static_cast<long>(r.right), static_cast<long>(r.bottom));
    return buf;
}

} // namespace skintest
