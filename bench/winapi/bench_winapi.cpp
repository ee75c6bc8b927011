// Message throughput and painting speed of the headless backend.
#include <benchmark/benchmark.h>

#include <cstring>
#include <vector>

#include "windows.h"

namespace {

long g_count = 0;

LRESULT CALLBACK countProc(HWND h, UINT m, WPARAM w, LPARAM l)
{
    if (m == WM_USER)
        ++g_count;
    return DefWindowProcW(h, m, w, l);
}

HWND countingWindow()
{
    static HWND hwnd = [] {
        WNDCLASSW wc{};
        wc.lpfnWndProc = countProc;
        wc.lpszClassName = u"BenchCount";
        RegisterClassW(&wc);
        return CreateWindowExW(0, u"BenchCount", nullptr, WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
    }();
    return hwnd;
}

// Posting and dispatching 1,000,000 messages.
void BM_PostAndDispatch(benchmark::State& state)
{
    HWND hwnd = countingWindow();
    const long n = 1000000;
    for (auto _ : state) {
        g_count = 0;
        MSG msg;
        for (long i = 0; i < n; ++i) {
            PostMessageW(hwnd, WM_USER, WPARAM(i), 0);
            if ((i & 1023) == 1023)
                while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE))
                    DispatchMessageW(&msg);
        }
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE))
            DispatchMessageW(&msg);
        if (g_count != n)
            state.SkipWithError("lost messages");
    }
    state.SetItemsProcessed(state.iterations() * n);
}
BENCHMARK(BM_PostAndDispatch)->Unit(benchmark::kMillisecond);

struct Scene {
    HBITMAP images[4];
    HDC imageDc;
    HFONT font;
};

Scene& scene()
{
    static Scene s = [] {
        Scene sc{};
        sc.imageDc = CreateCompatibleDC(nullptr);
        for (int i = 0; i < 4; ++i) {
            BITMAPINFO bi{};
            bi.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
            bi.bmiHeader.biWidth = 32;
            bi.bmiHeader.biHeight = -32;
            bi.bmiHeader.biPlanes = 1;
            bi.bmiHeader.biBitCount = 32;
            void* bits = nullptr;
            sc.images[i] = CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
            auto* px = static_cast<uint32_t*>(bits);
            for (int p = 0; p < 32 * 32; ++p)
                px[p] = (p % 3 == 0) ? 0x80402010u : 0xFF336699u;
        }
        LOGFONTW lf{};
        lf.lfHeight = -14;
        std::memcpy(lf.lfFaceName, u"微软雅黑", 5 * sizeof(char16_t));
        sc.font = CreateFontIndirectW(&lf);
        return sc;
    }();
    return s;
}

LRESULT CALLBACK sceneProc(HWND h, UINT m, WPARAM w, LPARAM l)
{
    if (m != WM_PAINT)
        return DefWindowProcW(h, m, w, l);
    Scene& s = scene();
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(h, &ps);
    for (int i = 0; i < 200; ++i) {
        RECT r{(i * 37) % 440, (i * 53) % 320, (i * 37) % 440 + 40, (i * 53) % 320 + 30};
        HBRUSH b = CreateSolidBrush(RGB(i, 255 - i, (i * 7) & 255));
        FillRect(dc, &r, b);
        DeleteObject(b);
    }
    BLENDFUNCTION bf{AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
    for (int i = 0; i < 100; ++i) {
        HGDIOBJ old = SelectObject(s.imageDc, s.images[i % 4]);
        AlphaBlend(dc, (i * 41) % 448, (i * 29) % 328, 32, 32, s.imageDc, 0, 0, 32, 32, bf);
        SelectObject(s.imageDc, old);
    }
    HGDIOBJ oldFont = SelectObject(dc, s.font);
    SetBkMode(dc, TRANSPARENT);
    static const char16_t* texts[] = {u"升级中...", u"Download", u"安装更新文件", u"50%"};
    for (int i = 0; i < 100; ++i) {
        RECT r{(i * 31) % 400, (i * 17) % 340, (i * 31) % 400 + 80, (i * 17) % 340 + 20};
        SetTextColor(dc, RGB(0, 0, i));
        DrawTextW(dc, texts[i % 4], -1, &r, DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);
    }
    SelectObject(dc, oldFont);
    EndPaint(h, &ps);
    return 0;
}

// Painting a 480 x 360 window of 200 rectangles, 100 images, 100 texts.
void BM_PaintScene(benchmark::State& state)
{
    WNDCLASSW wc{};
    wc.lpfnWndProc = sceneProc;
    wc.lpszClassName = u"BenchScene";
    RegisterClassW(&wc);
    HWND hwnd = CreateWindowExW(0, u"BenchScene", nullptr, WS_POPUP | WS_VISIBLE, 0, 0, 480, 360, nullptr, nullptr,
                                nullptr, nullptr);
    winapi::pumpMessages();
    for (auto _ : state) {
        InvalidateRect(hwnd, nullptr, FALSE);
        UpdateWindow(hwnd);
    }
    DestroyWindow(hwnd);
}
BENCHMARK(BM_PaintScene)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
