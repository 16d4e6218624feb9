// The list picker's costs as a client meets them, through IDispatch: putting
// an array of N strings (the form's copy), showing a dialog of N items (the
// load that fills the list box), and the memory the copy holds. Prints its
// figures; it checks nothing. Run it under Wine with a display and the DLL
// registered, for example after scripts/test.sh:
//   . scripts/wine-env.sh; wine_env_start $PWD/build/wineprefix
//   wine build/x86_64/bench/list_bench.exe; wine_env_stop

#include "host/ole.h"
#include "support/robot.h"

#include <psapi.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <thread>
#include <vector>

namespace {

using veldlg::Bstr;
using veldlg::ComPtr;
using veldlg::SafeArray;
using veldlg::Variant;
using Clock = std::chrono::steady_clock;

double Milliseconds(Clock::duration d)
{
    return std::chrono::duration<double, std::milli>(d).count();
}

double Median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

SIZE_T PrivateBytes()
{
    PROCESS_MEMORY_COUNTERS_EX counters{};
    GetProcessMemoryInfo(GetCurrentProcess(), reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&counters),
                         sizeof counters);
    // The private commit; Wine fills it in only as PagefileUsage.
    return counters.PagefileUsage;
}

// N strings of about 24 characters, as a list of customers or printers.
Variant ListOf(LONG n)
{
    SafeArray a(SafeArrayCreateVector(VT_BSTR, 0, static_cast<ULONG>(n)));
    for (LONG i = 0; i < n; ++i) {
        const Bstr text(L"Customer number " + std::to_wstring(100000 + i));
        SafeArrayPutElement(a.get(), &i, text.get());
    }
    Variant v;
    VARIANT* p = v.put();
    V_VT(p) = VT_ARRAY | VT_BSTR;
    V_ARRAY(p) = a.detach();
    return v;
}

HRESULT Invoke(IDispatch* o, const wchar_t* name, WORD flags, const VARIANT* argument)
{
    DISPID id = DISPID_UNKNOWN;
    auto* n = const_cast<LPOLESTR>(name);
    if (HRESULT hr = o->GetIDsOfNames(IID_NULL, &n, 1, LOCALE_USER_DEFAULT, &id); FAILED(hr)) return hr;
    VARIANT arg = argument ? *argument : VARIANT{};
    DISPID named = DISPID_PROPERTYPUT;
    DISPPARAMS params{&arg, &named, argument ? 1u : 0u, argument ? 1u : 0u};
    return o->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, flags, &params, nullptr, nullptr, nullptr);
}

// Time from ShowForm to a dialog ready for input; the dialog is then closed.
double ShowTime(IDispatch* o)
{
    const DWORD thread = GetCurrentThreadId();
    Clock::time_point ready{};
    std::thread closer([&] {
        if (const HWND dialog = robot::WaitForForm(thread)) {
            ready = Clock::now();
            PostMessageW(dialog, WM_CLOSE, 0, 0);
        }
    });
    const auto start = Clock::now();
    const HRESULT hr = Invoke(o, L"ShowForm", DISPATCH_METHOD, nullptr);
    closer.join();
    return SUCCEEDED(hr) && ready != Clock::time_point{} ? Milliseconds(ready - start) : -1;
}

} // namespace

int main()
{
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    CLSID clsid;
    ComPtr<IDispatch> list;
    if (FAILED(CLSIDFromProgID(L"VELDLG.CustomList", &clsid)) ||
        FAILED(CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IDispatch, list.put_void()))) {
        std::puts("VELDLG.CustomList is not registered");
        return 1;
    }

    const Variant empty = ListOf(0);
    std::printf("%8s  %14s  %16s  %18s\n", "items", "put (ms)", "show ready (ms)", "copy held (KiB)");
    for (LONG n : {10L, 1000L, 10000L, 32767L}) {
        const Variant items = ListOf(n);
        std::vector<double> puts, shows;
        for (int run = 0; run < 5; ++run) {
            const auto start = Clock::now();
            Invoke(list.get(), L"ListArray", DISPATCH_PROPERTYPUT, &items.get());
            puts.push_back(Milliseconds(Clock::now() - start));
        }
        // What the form's copy holds: the same list against an empty one.
        Invoke(list.get(), L"ListArray", DISPATCH_PROPERTYPUT, &empty.get());
        const SIZE_T before = PrivateBytes();
        Invoke(list.get(), L"ListArray", DISPATCH_PROPERTYPUT, &items.get());
        const SIZE_T held = PrivateBytes();
        for (int run = 0; run < 3; ++run) shows.push_back(ShowTime(list.get()));
        std::printf("%8ld  %14.3f  %16.1f  %18.0f\n", n, Median(puts), Median(shows),
                    (static_cast<double>(held) - static_cast<double>(before)) / 1024);
    }

    // Puts and shows that replace one another must not let memory grow.
    const Variant items = ListOf(1000);
    Invoke(list.get(), L"ListArray", DISPATCH_PROPERTYPUT, &items.get());
    ShowTime(list.get());
    const SIZE_T start = PrivateBytes();
    for (int run = 0; run < 20; ++run) {
        Invoke(list.get(), L"ListArray", DISPATCH_PROPERTYPUT, &items.get());
        ShowTime(list.get());
    }
    std::printf("20 more puts and shows of 1000 items: private memory %+.0f KiB\n",
                (static_cast<double>(PrivateBytes()) - static_cast<double>(start)) / 1024);
    list = nullptr;
    CoUninitialize();
    return 0;
}
