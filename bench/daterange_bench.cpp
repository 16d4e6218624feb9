// Figures for the date range dialog: how long a client waits until the
// dialog takes input and until ShowForm returns, what a hundred dialogs
// leave behind in memory and in window-manager objects, and what the
// runtime's date operations cost. Built with the tests; run it under Wine
// once the tests have registered the DLL, on a display:
//   wine build/x86_64/bench/daterange_bench.exe
// Dialogs are ended with Escape, so the user's stored dates stay as they are.
// "Takes input" is when the robot, polling every 10 ms, finds the dialog in
// the foreground and answering; "returns" includes the robot's key press.

#include "host/dates.h"
#include "support/com_client.h"
#include "support/robot.h"

#include <psapi.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

double Ms(Clock::duration d)
{
    return std::chrono::duration<double, std::milli>(d).count();
}

template <class F>
void PerCall(const char* name, int n, F&& f)
{
    const auto start = Clock::now();
    for (int i = 0; i < n; ++i) f();
    std::printf("%-40s %8.0f ns per call\n", name, Ms(Clock::now() - start) * 1e6 / n);
}

struct Footprint {
    SIZE_T privateBytes;
    DWORD gdi, user;
};

Footprint Now()
{
    PROCESS_MEMORY_COUNTERS_EX m{};
    GetProcessMemoryInfo(GetCurrentProcess(), reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&m), sizeof m);
    return {m.PrivateUsage, GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS),
            GetGuiResources(GetCurrentProcess(), GR_USEROBJECTS)};
}

double Median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

} // namespace

int main()
{
    volatile bool sink = false;
    PerCall("IsDate(\"07/04/2024\") (field layout)", 200000, [&] { sink = host::IsDate(L"07/04/2024"); });
    PerCall("IsDate(\"July 4, 2024\") (platform parser)", 200000, [&] { sink = host::IsDate(L"July 4, 2024"); });
    PerCall("FormatDate", 200000, [&] { sink = host::FormatDate(45477.5).size() == 10; });
    PerCall("Today", 200000, [&] { sink = host::Today() > 0; });

    client::Apartment apartment;
    client::ComPtr<IDispatch> range = client::Create(L"VELDLG.DateRange");
    if (!range) return 1;
    client::Put(range.get(), L"BeginDate", client::Date(45477).get());
    client::Put(range.get(), L"EndDate", client::Date(45504).get());

    constexpr int kDialogs = 100, kWarmUp = 5;
    std::vector<double> ready, returned;
    Footprint before{};
    for (int i = 0; i < kDialogs + kWarmUp; ++i) {
        if (i == kWarmUp) before = Now();
        Clock::time_point start, up;
        robot::WithDialog(
            [&] {
                start = Clock::now();
                client::Call(range.get(), L"ShowForm");
            },
            [&](HWND) {
                up = Clock::now();
                robot::Press(VK_ESCAPE);
            });
        if (i >= kWarmUp) {
            ready.push_back(Ms(up - start));
            returned.push_back(Ms(Clock::now() - start));
        }
    }
    const Footprint after = Now();
    std::printf("%-40s %8.1f ms (median of %d)\n", "ShowForm until the dialog takes input", Median(ready), kDialogs);
    std::printf("%-40s %8.1f ms (median, Escape included)\n", "ShowForm until it returns", Median(returned));
    std::printf("%-40s %8lld KiB private, %+ld GDI, %+ld USER objects\n", "left behind by the dialogs",
                (static_cast<long long>(after.privateBytes) - static_cast<long long>(before.privateBytes)) / 1024,
                static_cast<long>(after.gdi) - static_cast<long>(before.gdi),
                static_cast<long>(after.user) - static_cast<long>(before.user));
    return sink ? 0 : 0;
}
