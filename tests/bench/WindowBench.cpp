// Figures for the window side, printed, never asserted: how long the UI
// thread can be kept from answering while the network is slow, and what a
// refresh tick and a full repaint of the list cost with 100,000 statuses,
// each beside a baseline measured in the same run.
//
// Run under the test environment (Wine prefix, X display, simulator on the
// web host the build points at): window_bench.exe

#include <winsock2.h>

#include "FrameHarness.h"
#include "ResourceIds.h"
#include "ServiceSession.h"
#include "SiteControl.h"
#include "TimelineModel.h"
#include "TimelineStore.h"

#include <windows.h>
// GDI+ needs the COM property types that the lean Windows header leaves out.
#include <objidl.h>
#include <gdiplus.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

namespace {

double Milliseconds(LARGE_INTEGER from, LARGE_INTEGER to)
{
    LARGE_INTEGER frequency;
    ::QueryPerformanceFrequency(&frequency);
    return static_cast<double>(to.QuadPart - from.QuadPart) * 1000.0 / static_cast<double>(frequency.QuadPart);
}

template <class F>
double TimeOnce(F work)
{
    LARGE_INTEGER from;
    LARGE_INTEGER to;
    ::QueryPerformanceCounter(&from);
    work();
    ::QueryPerformanceCounter(&to);
    return Milliseconds(from, to);
}

// The longest a SendMessageTimeout to window waited, probed every 5 ms while
// the frame runs, and the number of probes.
class ResponsivenessProbe {
public:
    explicit ResponsivenessProbe(HWND window) : window(window), probe([this] { Run(); }) {}
    ~ResponsivenessProbe()
    {
        stop = true;
        probe.join();
    }
    double WorstMs() const { return worst.load() / 1000.0; }
    int Probes() const { return probes.load(); }

private:
    void Run()
    {
        while (!stop) {
            LARGE_INTEGER from;
            LARGE_INTEGER to;
            ::QueryPerformanceCounter(&from);
            DWORD_PTR answer = 0;
            ::SendMessageTimeoutA(window, WM_NULL, 0, 0, SMTO_NORMAL, 5000, &answer);
            ::QueryPerformanceCounter(&to);
            const long long micros = static_cast<long long>(Milliseconds(from, to) * 1000.0);
            long long seen = worst.load();
            while (micros > seen && !worst.compare_exchange_weak(seen, micros)) {
            }
            ++probes;
            ::Sleep(5);
        }
    }

    HWND window;
    std::atomic<bool> stop{false};
    std::atomic<long long> worst{0};
    std::atomic<int> probes{0};
    std::thread probe;
};

void Responsiveness()
{
    SiteControl::Reset();
    SiteControl::Post("account", "user=benchuser&password=benchpass");
    // Twenty authors whose pictures each answer after 2 s, and a home page
    // that answers after 3 s.
    for (int i = 0; i < 20; ++i) {
        const std::string user = "slow" + std::to_string(i);
        const std::string icon = "/images/" + user + "/48x48.png";
        SiteControl::Post("status", "user=" + user + "&text=slow+picture+" + std::to_string(i) + "&icon="
                                        + SiteControl::Encode(icon));
        SiteControl::Route("path=" + SiteControl::Encode(icon) + "&delay=2000");
    }
    SiteControl::Route("path=%2F&delay=3000");
    FrameHarness::WriteAccount("benchuser", "benchpass", "10");

    FrameHarness harness;
    if (!harness.Create())
        return;
    double worst = 0;
    int probes = 0;
    {
        const ResponsivenessProbe probe(harness.Frame());
        harness.Pump([] { return serviceSession.fetchBusy.load() == 0; }, 120000);
        harness.Pump([] { return false; }, 1500);
        worst = probe.WorstMs();
        probes = probe.Probes();
    }
    // Baseline: the same probe with nothing slow going on.
    double idleWorst = 0;
    {
        const ResponsivenessProbe probe(harness.Frame());
        harness.Pump([] { return false; }, 3000);
        idleWorst = probe.WorstMs();
    }
    std::printf("responsiveness: worst wait %.1f ms over %d probes during a 3 s home page and 20 pictures of 2 s"
                " (idle baseline %.1f ms, ratio %.1f)\n",
                worst, probes, idleWorst, idleWorst > 0 ? worst / idleWorst : 0.0);
    harness.Close();
    SiteControl::Post("route/clear");
}

// Twenty authors whose pictures each take 3 s: when the rows show against
// when the fetch cycle (pictures included) ends, which is when a scrape that
// fetched pictures before publishing would have shown them.
void StatusesBeforePictures()
{
    SiteControl::Reset();
    SiteControl::Post("account", "user=benchuser&password=benchpass");
    const int authors = 20;
    for (int i = 0; i < authors; ++i) {
        const std::string user = "bench" + std::to_string(i);
        const std::string icon = "/images/" + user + "/" + std::to_string(201 + i) + "x61.png";
        SiteControl::Post("status", "user=" + user + "&text=slow+picture&icon=" + SiteControl::Encode(icon));
        SiteControl::Route("path=" + SiteControl::Encode(icon) + "&delay=3000");
    }
    FrameHarness::WriteAccount("benchuser", "benchpass", "180");
    FrameHarness harness;
    if (!harness.Create())
        return;
    MainFrame& frame = harness.Frame();
    LARGE_INTEGER start;
    ::QueryPerformanceCounter(&start);
    LARGE_INTEGER answered = {};
    LARGE_INTEGER shown = {};
    LARGE_INTEGER ended = {};
    harness.Pump([&] {
        LARGE_INTEGER now;
        ::QueryPerformanceCounter(&now);
        if (answered.QuadPart == 0 && SiteControl::CountInLog("GET / 200") > 0)
            answered = now;
        if (shown.QuadPart == 0 && frame.timelineView.GetItemCount() >= authors)
            shown = now;
        if (ended.QuadPart == 0 && answered.QuadPart != 0 && serviceSession.fetchBusy.load() == 0)
            ended = now;
        return ended.QuadPart != 0 && shown.QuadPart != 0;
    }, 180000);
    const double rows = Milliseconds(answered, shown);
    const double cycle = Milliseconds(answered, ended);
    std::printf("statuses before pictures: rows %.0f ms after the home page's answer; the cycle, 20 pictures of 3 s"
                " included, ended after %.0f ms (ratio %.1f)\n",
                rows, cycle, rows > 0 ? cycle / rows : 0.0);
    harness.Close();
    SiteControl::Post("route/clear");
}

void FillStore(int count, int firstId)
{
    TimelineStore::Batch batch(Timeline());
    TimelineEntry entry;
    for (int i = 0; i < count; ++i) {
        std::memset(&entry, 0, sizeof entry);
        std::snprintf(entry.statusId, sizeof entry.statusId, "%d", firstId + i);
        std::snprintf(entry.screenName, sizeof entry.screenName, "user%d", i % 97);
        std::snprintf(entry.displayName, sizeof entry.displayName, "表示名 %d", i % 97);
        std::snprintf(entry.iconUrl, sizeof entry.iconUrl, "http://localhost/images/u%d/48x48.png", i % 97);
        std::snprintf(entry.text, sizeof entry.text,
                      "ステータス %d: 今日はいい天気ですね。散歩に行きましょう。 http://example.org/%d #tag%d", i, i,
                      i % 13);
        const unsigned long long key = 130000000000000000ULL + static_cast<unsigned long long>(i) * 10000000ULL;
        entry.createdAtFileTime.dwLowDateTime = static_cast<DWORD>(key);
        entry.createdAtFileTime.dwHighDateTime = static_cast<DWORD>(key >> 32);
        batch.Add(entry);
    }
}

struct TickFigures {
    double tick;
    double detail;
    double repaint;
};

// One refresh tick that brings `added` new statuses into a list of the
// store's size, with a row selected in the middle, and then a full repaint.
TickFigures MeasureTick(FrameHarness& harness, int added, int firstId)
{
    MainFrame& frame = harness.Frame();
    const int middle = frame.shownCount / 2;
    frame.timelineView.SetItemState(middle, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
    harness.PumpPending();
    FillStore(added, firstId);
    frame.tickCount = 0;
    TickFigures figures;
    figures.tick = TimeOnce([&] { frame.OnReloadTick(); });
    harness.PumpPending();
    figures.detail = TimeOnce([&] { frame.ShowSelectedStatus(); });
    figures.repaint = TimeOnce([&] {
        frame.timelineView.Invalidate(true);
        frame.timelineView.UpdateWindow();
    });
    return figures;
}

void RefreshAndRepaint()
{
    SiteControl::Post("account", "user=benchuser&password=benchpass");
    FrameHarness::WriteAccount("benchuser", "benchpass", "180");
    FrameHarness harness;
    if (!harness.Create())
        return;
    MainFrame& frame = harness.Frame();
    frame.UISetCheck(autoReloadCommand, false);
    harness.Pump([] { return serviceSession.fetchBusy.load() == 0; }, 60000);

    // Baseline: a store of a few hundred statuses.
    FillStore(200, 200000000);
    frame.tickCount = 0;
    frame.OnReloadTick();
    harness.PumpPending();
    const TickFigures small = MeasureTick(harness, 20, 210000000);

    FillStore(100000, 300000000);
    frame.tickCount = 0;
    frame.OnReloadTick();
    harness.PumpPending();
    std::vector<TickFigures> runs;
    for (int i = 0; i < 5; ++i)
        runs.push_back(MeasureTick(harness, 20, 400000000 + i * 100));
    TickFigures worst = {0, 0, 0};
    for (const TickFigures& run : runs) {
        worst.tick = std::max(worst.tick, run.tick);
        worst.detail = std::max(worst.detail, run.detail);
        worst.repaint = std::max(worst.repaint, run.repaint);
    }
    std::printf("refresh tick with %d statuses: worst %.2f ms of 5 (baseline %d statuses: %.2f ms, ratio %.1f)\n",
                frame.shownCount, worst.tick, 220, small.tick, small.tick > 0 ? worst.tick / small.tick : 0.0);
    std::printf("  of which filling the detail pane: worst %.2f ms (baseline %.2f ms)\n", worst.detail, small.detail);
    std::printf("full repaint of the visible list: worst %.2f ms of 5 (baseline %.2f ms, ratio %.1f)\n",
                worst.repaint, small.repaint, small.repaint > 0 ? worst.repaint / small.repaint : 0.0);
    harness.Close();
}

} // namespace

int main()
{
    if (::GetACP() != 932) {
        std::fprintf(stderr, "run with LANG=ja_JP.UTF-8 (code page 932)\n");
        return 3;
    }
    WSADATA wsa;
    ::WSAStartup(MAKEWORD(2, 2), &wsa);
    Gdiplus::GdiplusStartupInput input;
    ULONG_PTR token = 0;
    Gdiplus::GdiplusStartup(&token, &input, nullptr);
    Responsiveness();
    StatusesBeforePictures();
    RefreshAndRepaint();
    FrameHarness::WriteSettings("");
    Gdiplus::GdiplusShutdown(token);
    return 0;
}
