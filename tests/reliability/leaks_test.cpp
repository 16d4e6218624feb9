// A thousand dialog cycles over the four dialogs (create, put, show, end by
// the robot, read, release) keep the process's windows, GUI objects and
// private memory flat; after the last release the library can unload.

#include "support/dialogs.h"
#include "support/test_files.h"
#include "support/wine.h"

#include <gtest/gtest.h>

#include <cstdio>

namespace {

using namespace client;
using reliability::Dialogs;

// Committed private memory, as the sum of the regions VirtualQuery reports:
// the process's private bytes, which Wine's GetProcessMemoryInfo omits.
size_t PrivateBytes()
{
    size_t total = 0;
    MEMORY_BASIC_INFORMATION m;
    for (const char* p = nullptr; VirtualQuery(p, &m, sizeof m) == sizeof m; p = static_cast<const char*>(m.BaseAddress) + m.RegionSize) {
        if (m.State == MEM_COMMIT && m.Type == MEM_PRIVATE) total += m.RegionSize;
        if (static_cast<const char*>(m.BaseAddress) + m.RegionSize < p) break;
    }
    return total;
}

BOOL CALLBACK CountChild(HWND, LPARAM lp)
{
    ++*reinterpret_cast<int*>(lp);
    return TRUE;
}

BOOL CALLBACK CountWindow(HWND hwnd, LPARAM lp)
{
    DWORD process = 0;
    GetWindowThreadProcessId(hwnd, &process);
    if (process != GetCurrentProcessId()) return TRUE;
    ++*reinterpret_cast<int*>(lp);
    EnumChildWindows(hwnd, CountChild, lp);
    return TRUE;
}

struct Usage {
    int windows = 0;
    DWORD gdi = 0, user = 0;
    size_t privateBytes = 0;
};

Usage Measure()
{
    Usage u;
    EnumWindows(CountWindow, reinterpret_cast<LPARAM>(&u.windows));
    u.gdi = GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS);
    u.user = GetGuiResources(GetCurrentProcess(), GR_USEROBJECTS);
    u.privateBytes = PrivateBytes();
    return u;
}

void Cycle(int i)
{
    const auto& kind = Dialogs()[static_cast<size_t>(i) % Dialogs().size()];
    ComPtr<IDispatch> o = Create(kind.progId);
    ASSERT_TRUE(o);
    kind.setup(o.get(), i % 50);
    reliability::ShowAndEnd(kind, o.get(), i % 50);
    kind.check(o.get(), i % 50);
}

TEST(Leaks, ThousandDialogCyclesKeepTheProcessFlat)
{
    Apartment apartment;
    for (int i = 0; i < 40; ++i) Cycle(i); // warm-up: forms, caches, heaps
    const Usage before = Measure();
    for (int i = 0; i < 1000 && !HasFatalFailure(); ++i) Cycle(i);
    const Usage after = Measure();
    std::printf("windows %d -> %d, GDI objects %lu -> %lu, USER objects %lu -> %lu, private bytes %zu -> %zu\n",
                before.windows, after.windows, before.gdi, after.gdi, before.user, after.user, before.privateBytes,
                after.privateBytes);
    EXPECT_EQ(after.windows, before.windows);
    if (platform::OnWine()) {
        // Wine counts no GUI objects.
        EXPECT_EQ(after.gdi + after.user, 0u) << "Wine now counts GUI objects: drop this mark";
    } else {
        EXPECT_EQ(after.gdi, before.gdi);
        EXPECT_EQ(after.user, before.user);
    }
    // A leak of even a hundred bytes a cycle would show as 100 KB.
    EXPECT_LT(after.privateBytes, before.privateBytes + 96 * 1024);
}

TEST(Leaks, AfterTheLastReleaseTheLibraryUnloads)
{
    Apartment apartment;
    {
        ComPtr<IDispatch> o = Create(L"VELDLG.CustomMessage");
        ASSERT_TRUE(GetModuleHandleW(L"VELDLG.dll"));
        auto* canUnloadNow = reinterpret_cast<HRESULT(WINAPI*)()>(
            reinterpret_cast<void (*)()>(GetProcAddress(GetModuleHandleW(L"VELDLG.dll"), "DllCanUnloadNow")));
        ASSERT_TRUE(canUnloadNow);
        EXPECT_EQ(canUnloadNow(), S_FALSE);
        o = nullptr;
        EXPECT_EQ(canUnloadNow(), S_OK);
    }
    CoFreeUnusedLibrariesEx(0, 0);
    EXPECT_EQ(GetModuleHandleW(L"VELDLG.dll"), nullptr) << "the library stayed loaded";
    // And it comes back for the next client.
    ComPtr<IDispatch> again = Create(L"VELDLG.CustomList");
    EXPECT_TRUE(again);
}

} // namespace
