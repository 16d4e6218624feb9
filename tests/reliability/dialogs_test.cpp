// The dialogs under load: STA threads showing theirs at the same time, each
// reading its own results; a client in the MTA calling an object of an STA
// thread through the type library's marshaller, which must see what a
// caller on the object's own thread sees; and a thousand dialog cycles that
// keep windows, GUI objects and private memory flat, after which the library
// unloads and takes its window class with it.

#include "support/dialogs.h"
#include "support/robot.h"
#include "support/test_files.h"
#include "support/wine.h"
#include "veldlg_h.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <thread>

namespace {

using namespace client;
using reliability::Dialogs;

// What a client sees of a sequence of early-bound calls, errors and their
// error info included, then of late-bound calls through the same pointer.
std::vector<std::wstring> ClientSequence(_CustomMessage* o, DWORD dialogThread)
{
    std::vector<std::wstring> seen;
    const auto note = [&](HRESULT hr) {
        seen.push_back(std::to_wstring(hr));
        if (const std::wstring info = FAILED(hr) ? testfiles::ErrorInfo() : L""; !info.empty()) seen.push_back(L"  error info: " + info);
    };
    note(o->ShowForm()); // without captions
    note(o->put_ButtonCaptions(Bstr(L"Yes,No").get()));
    note(o->put_NumButtons(2));
    std::thread user([&] {
        if (const HWND d = robot::WaitForForm(dialogThread)) robot::Click(robot::Child(d, L"No", L"Button"));
    });
    note(o->ShowForm());
    user.join();
    VARIANT value{};
    ComPtr<IDispatch> late;
    note(o->get_ButtonResultValue(&value));
    note(o->QueryInterface(IID_IDispatch, late.put_void()));
    if (!late) return seen;
    const Outcome r = Put(late.get(), L"NumButtons", I2(5).get());
    seen.push_back(L"result " + std::to_wstring(V_VT(&value)) + L" " + std::to_wstring(V_I2(&value)) + L", late put " +
                   std::to_wstring(r.number()) + L" " + r.source + L" / " + r.description);
    for (const std::string& s : reliability::Snapshot(late.get())) seen.emplace_back(s.begin(), s.end());
    return seen;
}

TEST(Dialogs, AnMtaClientSeesThroughTheMarshallerWhatADirectCallerSees)
{
    // This thread calls an object of its own, then owns one that a client in
    // the MTA calls through a proxy while this thread pumps messages.
    Apartment apartment;
    ComPtr<_CustomMessage> mine, shared;
    for (auto* o : {&mine, &shared})
        ASSERT_EQ(CoCreateInstance(CLSID_CustomMessage, nullptr, CLSCTX_INPROC_SERVER, IID__CustomMessage, o->put_void()), S_OK);
    std::vector<std::wstring> direct = ClientSequence(mine.get(), GetCurrentThreadId()), remote;
    IStream* stream = nullptr;
    ASSERT_EQ(CoMarshalInterThreadInterfaceInStream(IID__CustomMessage, shared.get(), &stream), S_OK);
    std::atomic<bool> done{false};
    std::thread client([&, owner = GetCurrentThreadId()] {
        Apartment apartment(COINIT_MULTITHREADED);
        ComPtr<_CustomMessage> proxy;
        EXPECT_EQ(CoGetInterfaceAndReleaseStream(stream, IID__CustomMessage, proxy.put_void()), S_OK);
        if (proxy) remote = ClientSequence(proxy.get(), owner);
        proxy = nullptr;
        done = true;
    });
    for (MSG msg; !done; MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT))
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
    client.join();
    EXPECT_EQ(direct.size(), 18u) << testing::PrintToString(direct);
    // Wine's proxies carry no error info back from a vtable call (the
    // late-bound call has it, in its EXCEPINFO).
    if (platform::OnWine()) std::erase_if(direct, [](const std::wstring& line) { return line.rfind(L"  error info: ", 0) == 0; });
    EXPECT_EQ(remote, direct) << (platform::OnWine() ? "if Wine now marshals error info, drop this mark" : "");
}

TEST(Dialogs, EightStaThreadsShowTheirsAtOnce)
{
    // COM and the library started once first: eight first starts at once can stall Wine.
    Apartment apartment;
    const ComPtr<IDispatch> first = Create(Dialogs()[0].progId);
    std::atomic<DWORD> ids[8] = {};
    std::vector<std::thread> threads;
    for (int t = 0; t < 8; ++t)
        threads.emplace_back([&, t] {
            Apartment apartment;
            const auto& kind = Dialogs()[t % 4];
            ComPtr<IDispatch> o = Create(kind.progId);
            kind.setup(o.get(), t);
            ids[t] = GetCurrentThreadId();
            EXPECT_EQ(Call(o.get(), L"ShowForm").hr, S_OK);
            kind.check(o.get(), t);
        });
    // Once every thread has its object (COM may be slow to start), every
    // dialog is up, and its thread in its modal loop, before the robot ends
    // any; side by side, so that it can reach each. What it could not end is
    // closed, so that the threads finish.
    while (std::count(ids, ids + 8, 0u)) Sleep(10);
    HWND dialogs[8] = {};
    for (int i = 0; i < 1000 && std::count(dialogs, dialogs + 8, nullptr); ++i, Sleep(10))
        for (int t = 0; t < 8; ++t)
            if (!dialogs[t] && (dialogs[t] = robot::FindForm(ids[t]))) robot::Settle(dialogs[t]);
    for (int t = 0; t < 8; ++t)
        SetWindowPos(dialogs[t], nullptr, t % 3 * 426, t / 3 * 340, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    for (int t = 0; t < 8; ++t) {
        SCOPED_TRACE(testing::Message() << "thread " << t);
        EXPECT_TRUE(dialogs[t] && robot::BringToFront(dialogs[t])) << "not every dialog came up at once";
        if (dialogs[t]) Dialogs()[t % 4].end(dialogs[t], t);
        EXPECT_TRUE(robot::WaitUntilGone(dialogs[t]) || !PostMessageW(dialogs[t], WM_CLOSE, 0, 0)) << "the robot could not end it";
    }
    for (auto& thread : threads) thread.join();
}

// A window, counted; its children go with it.
BOOL CALLBACK Count(HWND, LPARAM count) { return ++*reinterpret_cast<size_t*>(count), TRUE; }

// The thread's windows, the process's GUI objects, and its committed private
// memory: the private bytes, which Wine's GetProcessMemoryInfo omits.
std::vector<size_t> Usage()
{
    std::vector<size_t> u{0, GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS) + GetGuiResources(GetCurrentProcess(), GR_USEROBJECTS), 0};
    EnumThreadWindows(GetCurrentThreadId(), Count, reinterpret_cast<LPARAM>(&u[0]));
    MEMORY_BASIC_INFORMATION m;
    for (const char* p = nullptr; VirtualQuery(p, &m, sizeof m) && static_cast<const char*>(m.BaseAddress) + m.RegionSize > p;
         p = static_cast<const char*>(m.BaseAddress) + m.RegionSize)
        if (m.State == MEM_COMMIT && m.Type == MEM_PRIVATE) u[2] += m.RegionSize;
    return u;
}

TEST(Dialogs, AThousandCyclesKeepTheProcessFlatAndTheLibraryUnloadsAfterTheLast)
{
    Apartment apartment;
    const auto cycle = [](int i) {
        const auto& kind = Dialogs()[static_cast<size_t>(i) % Dialogs().size()];
        ComPtr<IDispatch> o = Create(kind.progId);
        kind.setup(o.get(), i % 50);
        robot::WithDialog([&] { EXPECT_EQ(Call(o.get(), L"ShowForm").hr, S_OK); },
                          [&](HWND d) { kind.end(d, i % 50); });
        kind.check(o.get(), i % 50);
    };
    for (int i = 0; i < 40; ++i) cycle(i); // warm-up: forms, caches, heaps
    const std::vector<size_t> before = Usage();
    for (int i = 0; i < 1000 && !HasFailure(); ++i) cycle(i);
    const std::vector<size_t> after = Usage();
    EXPECT_EQ(after[0], before[0]) << "windows";
    // Wine counts no GUI objects.
    EXPECT_EQ(after[1], platform::OnWine() ? 0 : before[1]) << (platform::OnWine() ? "Wine now counts them: drop this mark" : "GUI objects");
    EXPECT_LT(after[2], before[2] + 96 * 1024) << "private bytes grew (100 bytes a cycle would show as 100 KB)";

    const HMODULE dll = GetModuleHandleW(L"VELDLG.dll");
    WNDCLASSEXW wc{sizeof wc};
    EXPECT_TRUE(dll && GetClassInfoExW(dll, L"VELDLG.DateField", &wc));
    CoFreeUnusedLibrariesEx(0, 0);
    EXPECT_EQ(GetModuleHandleW(L"VELDLG.dll"), nullptr) << "the library stayed loaded";
    // A class left behind would still answer to the old module's handle.
    EXPECT_FALSE(GetClassInfoExW(dll, L"VELDLG.DateField", &wc)) << "the class outlived the library";
}

} // namespace
