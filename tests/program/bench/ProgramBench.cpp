// Figures for the real program, printed, never judged: how long Larkspur.exe
// takes from CreateProcess to its window shown with the list painted, on a
// Wine whose server already runs, and how much processor time its window
// uses while it sits idle with its one-second tick. Run it like a client
// test (prepared prefix, X display, the simulator on the build's web host).

#include "ProgramProcess.h"
#include "SiteControl.h"

#include <winsock2.h>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

const int runs = 7;
const int idleSeconds = 10;

double Milliseconds(const LARGE_INTEGER& from, const LARGE_INTEGER& to)
{
    LARGE_INTEGER frequency;
    ::QueryPerformanceFrequency(&frequency);
    return 1000.0 * static_cast<double>(to.QuadPart - from.QuadPart) / static_cast<double>(frequency.QuadPart);
}

// Shown, and nothing left to paint in the frame or the list.
bool Painted(HWND frame, HWND list)
{
    return frame != nullptr && list != nullptr && ::IsWindowVisible(frame) && ::IsWindowVisible(list)
           && !::GetUpdateRect(frame, nullptr, FALSE) && !::GetUpdateRect(list, nullptr, FALSE);
}

ULONGLONG ProcessorTime100ns(HANDLE process)
{
    FILETIME created, exited, kernel, user;
    if (!::GetProcessTimes(process, &created, &exited, &kernel, &user))
        return 0;
    const auto value = [](const FILETIME& time) {
        return (static_cast<ULONGLONG>(time.dwHighDateTime) << 32) | time.dwLowDateTime;
    };
    return value(kernel) + value(user);
}

void PrintSpread(const char* what, std::vector<double> values)
{
    if (values.empty()) {
        std::printf("%-44s no successful run\n", what);
        return;
    }
    std::sort(values.begin(), values.end());
    std::printf("%-44s min %7.1f ms  median %7.1f ms  max %7.1f ms  (%zu runs)\n", what, values.front(),
                values[values.size() / 2], values.back(), values.size());
}

} // namespace

int main()
{
    WSADATA wsa;
    ::WSAStartup(MAKEWORD(2, 2), &wsa);
    SiteControl::Reset();
    SiteControl::Post("account", "user=bench&password=bench-pw");
    for (int i = 1; i <= 20; ++i)
        SiteControl::Post("status", "user=writer&text=" + SiteControl::Encode("status number " + std::to_string(i)));

    ProgramCopy copy;
    if (!copy.IsReady() || !copy.WriteSettings("Larkspur", "bench", "bench-pw", 180)) {
        std::printf("cannot copy %s\n", BuiltProgramPath().c_str());
        return 1;
    }

    std::vector<double> created;
    std::vector<double> shown;
    std::vector<double> filled;
    for (int run = 0; run < runs; ++run) {
        ProgramProcess program;
        LARGE_INTEGER start, now;
        ::QueryPerformanceCounter(&start);
        if (!program.Start(copy.ExePath()))
            continue;
        HWND frame = nullptr;
        HWND list = nullptr;
        const bool painted = PollUntil(
            [&] {
                if (frame == nullptr && (frame = program.MainWindow()) != nullptr) {
                    LARGE_INTEGER found;
                    ::QueryPerformanceCounter(&found);
                    created.push_back(Milliseconds(start, found));
                }
                list = frame != nullptr && list == nullptr ? FindTimelineList(frame) : list;
                return Painted(frame, list);
            },
            20000);
        ::QueryPerformanceCounter(&now);
        if (painted)
            shown.push_back(Milliseconds(start, now));
        if (PollUntil([&] { return ListItemCount(list) > 0 && Painted(frame, list); }, 20000)) {
            ::QueryPerformanceCounter(&now);
            filled.push_back(Milliseconds(start, now));
        }
        ::PostMessageA(frame, WM_CLOSE, 0, 0);
        program.WaitForExit(10000);
    }
    PrintSpread("CreateProcess to window visible:", created);
    PrintSpread("CreateProcess to window shown, list painted:", shown);
    PrintSpread("CreateProcess to first rows painted:", filled);

    // Idle: signed in, list filled, automatic reloading at its longest
    // interval, so the only work left is the one-second tick.
    ProgramProcess program;
    if (!program.Start(copy.ExePath()))
        return 1;
    const HWND frame = program.WaitForMainWindow(20000);
    const HWND list = frame != nullptr ? FindTimelineList(frame) : nullptr;
    if (!PollUntil([&] { return ListItemCount(list) == 20; }, 20000)) {
        std::printf("the list did not fill\n");
        return 1;
    }
    ::Sleep(2000);
    const int requestsBefore = SiteControl::CountInLog(" ");
    const ULONGLONG before = ProcessorTime100ns(program.Handle());
    ::Sleep(idleSeconds * 1000);
    const ULONGLONG after = ProcessorTime100ns(program.Handle());
    const int requests = SiteControl::CountInLog(" ") - requestsBefore;
    const double usedMs = static_cast<double>(after - before) / 10000.0;
    std::printf("processor time from start to a filled list:   %.1f ms\n", static_cast<double>(before) / 10000.0);
    // The system counts processor time in clock ticks of 10 ms.
    std::printf("idle window over %d s: %.1f ms of processor time (%.2f ms per tick; counted in 10 ms steps), "
                "%d requests\n",
                idleSeconds, usedMs, usedMs / idleSeconds, requests);
    ::PostMessageA(frame, WM_CLOSE, 0, 0);
    std::printf("exit code after close: %d\n", program.WaitForExit(10000));
    ::WSACleanup();
    return 0;
}
