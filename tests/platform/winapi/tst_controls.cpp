// The built-in controls: typing into the edit control with its
// notifications and styles, the tool tip and the date picker, driven the
// way the skin library drives them (super-classed, messages reflected).
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "windows.h"

namespace {

struct Parent {
    std::vector<std::pair<WORD, HWND>> commands;  // (code, control)
    std::vector<UINT> colourAsks;
    std::vector<UINT> notifies;
};
Parent* g_parent = nullptr;

LRESULT CALLBACK parentProc(HWND h, UINT m, WPARAM w, LPARAM l)
{
    if (g_parent) {
        if (m == WM_COMMAND)
            g_parent->commands.emplace_back(HIWORD(w), reinterpret_cast<HWND>(l));
        if (m == WM_CTLCOLOREDIT || m == WM_CTLCOLORSTATIC)
            g_parent->colourAsks.push_back(m);
        if (m == WM_NOTIFY)
            g_parent->notifies.push_back(reinterpret_cast<NMHDR*>(l)->code);
    }
    if (m == WM_CTLCOLOREDIT) {
        static HBRUSH green = CreateSolidBrush(RGB(0, 200, 0));
        return reinterpret_cast<LRESULT>(green);
    }
    return DefWindowProcW(h, m, w, l);
}

HWND makeParent()
{
    WNDCLASSW wc{};
    wc.lpfnWndProc = parentProc;
    wc.lpszClassName = u"CtlParent";
    RegisterClassW(&wc);
    return CreateWindowExW(0, u"CtlParent", nullptr, WS_POPUP | WS_VISIBLE, 100, 100, 300, 200, nullptr, nullptr,
                           nullptr, nullptr);
}

std::u16string textOf(HWND h)
{
    int n = GetWindowTextLengthW(h);
    std::u16string s(size_t(n) + 1, 0);
    GetWindowTextW(h, s.data(), n + 1);
    s.resize(size_t(n));
    return s;
}

// A super-classed edit, as the skin library makes its native overlay.
WNDPROC g_editBase = nullptr;
int g_returns = 0;
LRESULT CALLBACK overlayProc(HWND h, UINT m, WPARAM w, LPARAM l)
{
    if (m == WM_KEYDOWN && w == VK_RETURN) {
        ++g_returns;
        return 0;
    }
    return CallWindowProcW(g_editBase, h, m, w, l);
}

}  // namespace

TEST(WinapiControls, EditTypingNotificationsAndStyles)
{
    InitCommonControls();
    WNDCLASSEXW base{};
    ASSERT_TRUE(GetClassInfoExW(nullptr, u"Edit", &base));
    g_editBase = base.lpfnWndProc;
    base.lpfnWndProc = overlayProc;
    base.hInstance = GetModuleHandleW(nullptr);
    base.lpszClassName = u"EditWndTest";
    ASSERT_NE(RegisterClassExW(&base), 0);

    Parent parent;
    g_parent = &parent;
    HWND p = makeParent();
    HWND edit = CreateWindowExW(0, u"EditWndTest", nullptr, WS_CHILD | ES_AUTOHSCROLL, 10, 10, 120, 24, p, nullptr,
                                GetModuleHandleW(nullptr), nullptr);
    ASSERT_NE(edit, nullptr);
    SendMessageW(edit, EM_LIMITTEXT, 5, 0);
    SetWindowTextW(edit, u"ab");
    SendMessageW(edit, EM_SETMODIFY, FALSE, 0);
    ShowWindow(edit, SW_SHOWNOACTIVATE);
    SetFocus(edit);
    parent.commands.clear();

    SendMessageW(edit, EM_SETSEL, 2, 2);
    winapi::headless::typeText(u"cdefg");  // the limit keeps "abcde"
    winapi::pumpMessages();
    EXPECT_EQ(textOf(edit), u"abcde");
    int changes = 0, updates = 0;
    for (auto& [code, from] : parent.commands) {
        EXPECT_EQ(from, edit);
        changes += code == EN_CHANGE;
        updates += code == EN_UPDATE;
    }
    EXPECT_EQ(changes, 3);
    EXPECT_EQ(updates, 3);
    EXPECT_TRUE(SendMessageW(edit, EM_GETMODIFY, 0, 0));
    // EN_UPDATE comes before EN_CHANGE.
    ASSERT_GE(parent.commands.size(), 2u);
    EXPECT_EQ(parent.commands[0].first, EN_UPDATE);
    EXPECT_EQ(parent.commands[1].first, EN_CHANGE);

    // Backspace, arrows and selection.
    winapi::headless::keyDown(VK_BACK, 0x08);
    winapi::headless::keyUp(VK_BACK);
    winapi::headless::keyDown(VK_HOME);
    winapi::headless::keyUp(VK_HOME);
    winapi::headless::keyDown(VK_DELETE);
    winapi::headless::keyUp(VK_DELETE);
    winapi::pumpMessages();
    EXPECT_EQ(textOf(edit), u"bcd");
    SendMessageW(edit, EM_SETSEL, 0, -1);
    DWORD a = 9, b = 9;
    SendMessageW(edit, EM_GETSEL, reinterpret_cast<WPARAM>(&a), reinterpret_cast<LPARAM>(&b));
    EXPECT_EQ(a, 0u);
    EXPECT_EQ(b, 3u);
    winapi::headless::typeText(u"x");
    winapi::pumpMessages();
    EXPECT_EQ(textOf(edit), u"x");

    // Return goes to the super-class and inserts nothing.
    winapi::headless::keyDown(VK_RETURN, u'\r');
    winapi::headless::keyUp(VK_RETURN);
    winapi::pumpMessages();
    EXPECT_EQ(g_returns, 1);
    EXPECT_EQ(textOf(edit), u"x");

    // Number-only refuses letters; read-only refuses everything.
    SetWindowLongPtrW(edit, GWL_STYLE, GetWindowLongPtrW(edit, GWL_STYLE) | ES_NUMBER);
    winapi::headless::typeText(u"a1");
    winapi::pumpMessages();
    EXPECT_EQ(textOf(edit), u"x1");
    SetWindowLongPtrW(edit, GWL_STYLE, GetWindowLongPtrW(edit, GWL_STYLE) & ~LONG_PTR(ES_NUMBER));
    SendMessageW(edit, EM_SETREADONLY, TRUE, 0);
    winapi::headless::typeText(u"z");
    winapi::pumpMessages();
    EXPECT_EQ(textOf(edit), u"x1");
    SendMessageW(edit, EM_SETREADONLY, FALSE, 0);

    // Painting asks the parent for its colours and uses the brush.
    parent.colourAsks.clear();
    InvalidateRect(edit, nullptr, FALSE);
    winapi::pumpMessages();
    ASSERT_FALSE(parent.colourAsks.empty());
    EXPECT_EQ(parent.colourAsks.back(), UINT(WM_CTLCOLOREDIT));
    winapi::Picture pic = winapi::captureWindow(p);
    EXPECT_EQ(pic.at(10 + 118, 10 + 2), 0xFF00C800u);

    // Printing the child into a parent's picture, moved by the origin.
    HDC mem = CreateCompatibleDC(nullptr);
    HBITMAP bmp = CreateCompatibleBitmap(mem, 300, 200);
    HGDIOBJ oldBmp = SelectObject(mem, bmp);
    POINT oldOrg;
    SetWindowOrgEx(mem, -10, -10, &oldOrg);
    SendMessageW(edit, WM_PRINT, reinterpret_cast<WPARAM>(mem), PRF_CLIENT | PRF_NONCLIENT);
    SetWindowOrgEx(mem, oldOrg.x, oldOrg.y, nullptr);
    EXPECT_EQ(GetPixel(mem, 10 + 118, 10 + 2), RGB(0, 200, 0));
    EXPECT_EQ(GetPixel(mem, 5, 5), RGB(0, 0, 0));
    SelectObject(mem, oldBmp);
    DeleteObject(bmp);
    DeleteDC(mem);

    // Password mode: the text is kept, the picture shows the mask.
    SendMessageW(edit, EM_SETPASSWORDCHAR, u'*', 0);
    EXPECT_EQ(SendMessageW(edit, EM_GETPASSWORDCHAR, 0, 0), u'*');
    EXPECT_TRUE(GetWindowLongPtrW(edit, GWL_STYLE) & ES_PASSWORD);
    EXPECT_EQ(textOf(edit), u"x1");

    // Losing the focus, the overlay closes itself (as the library's does).
    SetFocus(p);
    EXPECT_EQ(GetFocus(), p);
    g_parent = nullptr;
    DestroyWindow(p);
    EXPECT_FALSE(IsWindow(edit));
}

TEST(WinapiControls, TooltipTracksATool)
{
    HWND p = makeParent();
    HWND tip = CreateWindowExW(0, u"tooltips_class32", nullptr, WS_POPUP | TTS_NOPREFIX | TTS_ALWAYSTIP, CW_USEDEFAULT,
                               CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, p, nullptr, nullptr, nullptr);
    ASSERT_NE(tip, nullptr);
    EXPECT_EQ(GetWindow(tip, GW_OWNER), p);
    EXPECT_EQ(SendMessageW(tip, TTM_GETDELAYTIME, TTDT_INITIAL, 0), 500);
    TOOLINFOW ti{};
    ti.cbSize = 44;
    ti.uFlags = TTF_IDISHWND;
    ti.hwnd = p;
    ti.uId = reinterpret_cast<UINT_PTR>(p);
    ti.lpszText = const_cast<LPWSTR>(u"提示 tip");
    ti.rect = RECT{0, 0, 50, 20};
    EXPECT_TRUE(SendMessageW(tip, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&ti)));
    SendMessageW(tip, TTM_SETMAXTIPWIDTH, 0, 200);
    winapi::headless::mouseMove(120, 120);
    winapi::pumpMessages();
    SendMessageW(tip, TTM_TRACKACTIVATE, TRUE, reinterpret_cast<LPARAM>(&ti));
    EXPECT_TRUE(IsWindowVisible(tip));
    RECT r;
    GetWindowRect(tip, &r);
    EXPECT_GT(r.right - r.left, 20);
    EXPECT_GE(r.top, 120);
    // The tip never takes the mouse from the window below.
    EXPECT_EQ(WindowFromPoint(POINT{r.left + 2, r.top + 2}), p);
    SendMessageW(tip, TTM_TRACKACTIVATE, FALSE, reinterpret_cast<LPARAM>(&ti));
    EXPECT_FALSE(IsWindowVisible(tip));
    DestroyWindow(p);
    EXPECT_FALSE(IsWindow(tip));  // owned windows go with their owner
}

TEST(WinapiControls, DatePickerKeepsAndEditsTheDate)
{
    Parent parent;
    g_parent = &parent;
    HWND p = makeParent();
    HWND dtp = CreateWindowExW(0, u"SysDateTimePick32", nullptr, WS_CHILD | WS_VISIBLE, 10, 10, 120, 24, p, nullptr,
                               nullptr, nullptr);
    ASSERT_NE(dtp, nullptr);
    SYSTEMTIME st{};
    st.wYear = 2024;
    st.wMonth = 2;
    st.wDay = 28;
    EXPECT_TRUE(SendMessageW(dtp, DTM_SETSYSTEMTIME, GDT_VALID, reinterpret_cast<LPARAM>(&st)));
    SetFocus(dtp);
    winapi::headless::keyDown(VK_UP);  // the day field: 28 -> 29 (leap year)
    winapi::headless::keyUp(VK_UP);
    winapi::headless::keyDown(VK_UP);  // 29 -> 1
    winapi::headless::keyUp(VK_UP);
    winapi::pumpMessages();
    SYSTEMTIME got{};
    EXPECT_EQ(SendMessageW(dtp, DTM_GETSYSTEMTIME, 0, reinterpret_cast<LPARAM>(&got)), GDT_VALID);
    EXPECT_EQ(got.wYear, 2024);
    EXPECT_EQ(got.wMonth, 2);
    EXPECT_EQ(got.wDay, 1);
    EXPECT_EQ(parent.notifies.size(), 2u);
    // Typed digits replace a field.
    winapi::headless::keyDown(VK_LEFT);
    winapi::headless::keyUp(VK_LEFT);
    winapi::headless::typeText(u"11");
    winapi::pumpMessages();
    SendMessageW(dtp, DTM_GETSYSTEMTIME, 0, reinterpret_cast<LPARAM>(&got));
    EXPECT_EQ(got.wMonth, 11);
    // An impossible date is refused.
    SYSTEMTIME bad{};
    bad.wYear = 2023;
    bad.wMonth = 2;
    bad.wDay = 29;
    EXPECT_FALSE(SendMessageW(dtp, DTM_SETSYSTEMTIME, GDT_VALID, reinterpret_cast<LPARAM>(&bad)));
    g_parent = nullptr;
    DestroyWindow(p);
}
