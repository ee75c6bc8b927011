// Layout and painting of a window holding a 1,000-row list on the headless
// backend: a full repaint, one scroll step (scroll plus the repaint it
// causes) and the heap taken per row.
#include <benchmark/benchmark.h>

#include "skinui/UIManager.h"
#include "skinui/UIWindowWnd.h"
#include "skinui/controls/UIList.h"
#include "skinui/controls/UIListTextElement.h"
#include "skinui/controls/UIListHeaderItem.h"

#include <winapi/platform.h>

#include <malloc.h>
#include <string>

namespace {

constexpr int kRows = 1000;
constexpr int kWidth = 600;
constexpr int kHeight = 400;
constexpr int kRowHeight = 20;

class BenchWindow : public CWindowWnd
{
public:
    CUIWindowManager pm;

protected:
    const char16_t* GetWindowClassName() const override { return u"SkinBenchHost"; }
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

std::u16string number(int i)
{
    const std::string s = std::to_string(i);
    return std::u16string(s.begin(), s.end());
}

// Rows of three columns under a three-item header.
void addRows(CListUI* list, int n)
{
    for (int i = 0; i < n; ++i) {
        auto* row = new CListTextElementUI;
        row->SetFixedHeight(kRowHeight);
        list->Add(row);
        row->SetText(0, (u"Row " + number(i)).c_str());
        row->SetText(1, u"lesson material");
        row->SetText(2, number(i * 7).c_str());
    }
}

struct ListWindow
{
    ListWindow()
    {
        winapi::selectBackend(winapi::Backend::Headless);
        winapi::setClockMode(winapi::ClockMode::Manual);
        window.Create(nullptr, u"bench", WS_POPUP | WS_VISIBLE, 0, 0, 0, kWidth, kHeight);
        list = new CListUI;
        list->SetAttribute(u"vscrollbar", u"true");
        list->SetAttribute(u"itembkcolor", u"#FFF4F4F4");
        list->SetAttribute(u"itemaltbk", u"true");
        list->SetAttribute(u"itemlinecolor", u"#FFDDDDDD");
        const int widths[] = {200, 250, 120};
        for (int w : widths) {
            auto* item = new CListHeaderItemUI;
            item->SetFixedWidth(w);
            item->SetText(u"Column");
            list->Add(item);
        }
        addRows(list, kRows);
        window.pm.SetRootControl(list);
        paint();
    }
    ~ListWindow() { ::DestroyWindow(window.GetHWND()); }

    void paint()
    {
        ::InvalidateRect(window.GetHWND(), nullptr, FALSE);
        ::UpdateWindow(window.GetHWND());
        winapi::pumpMessages();
    }

    BenchWindow window;
    CListUI* list = nullptr;
};

ListWindow& listWindow()
{
    static ListWindow w;
    return w;
}

void BM_ListFullRepaint(benchmark::State& state)
{
    ListWindow& w = listWindow();
    for (auto _ : state)
        w.paint();
}
BENCHMARK(BM_ListFullRepaint)->Unit(benchmark::kMicrosecond);

void BM_ListLayout(benchmark::State& state)
{
    ListWindow& w = listWindow();
    const RECT rc = {0, 0, kWidth, kHeight};
    for (auto _ : state)
        w.list->SetPos(rc);
}
BENCHMARK(BM_ListLayout)->Unit(benchmark::kMicrosecond);

// One wheel line: the body scrolls and the window repaints.
void BM_ListScrollStep(benchmark::State& state)
{
    ListWindow& w = listWindow();
    bool down = true;
    for (auto _ : state) {
        const SIZE pos = w.list->GetScrollPos();
        if (pos.cy >= w.list->GetScrollRange().cy)
            down = false;
        else if (pos.cy == 0)
            down = true;
        if (down)
            w.list->LineDown();
        else
            w.list->LineUp();
        ::UpdateWindow(w.window.GetHWND());
        winapi::pumpMessages();
    }
}
BENCHMARK(BM_ListScrollStep)->Unit(benchmark::kMicrosecond);

// Heap taken by each row of three column texts (the row object, its
// texts and its place in the list).
void BM_ListMemoryPerRow(benchmark::State& state)
{
    double perRow = 0;
    for (auto _ : state) {
        auto* list = new CListUI;
        const size_t before = mallinfo2().uordblks;
        addRows(list, kRows);
        const size_t after = mallinfo2().uordblks;
        perRow = static_cast<double>(after - before) / kRows;
        delete list;
    }
    state.counters["bytes_per_row"] = perRow;
}
BENCHMARK(BM_ListMemoryPerRow)->Unit(benchmark::kMillisecond)->Iterations(3);

} // namespace

BENCHMARK_MAIN();
