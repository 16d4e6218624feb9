// VELDLG's speed and size, each figure printed beside a peer measured in the
// same run: the platform's Scripting.Dictionary for calls and object
// creation, MessageBoxW for dialog latency.
//
//   wine bench.exe [seconds-per-figure]
//
// The DLL must be registered; VELDLG_DLL_x86_64 and VELDLG_DLL_i686 name the
// two builds for the size figures.

#include "support/com_client.h"
#include "support/pe_file.h"
#include "support/robot.h"
#include "support/string_arrays.h"
#include "support/test_files.h"
#include "veldlg_h.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <functional>
#include <string>
#include <thread>
#include <vector>

namespace {

using namespace client;
using Clock = std::chrono::steady_clock;

double g_seconds = 1.0;

struct Goal {
    const char* text; // e.g. ">= 1.0"
    std::function<bool(double)> met;
};

void Row(const std::string& figure, double ours, const std::string& peerName, double peer, const char* unit,
         const Goal* goal = nullptr)
{
    const double ratio = peer > 0 ? ours / peer : 0;
    std::printf("%-44s %12.1f %12.1f  %-22s %6.2f  %s\n", (figure + " (" + unit + ")").c_str(), ours, peer,
                peerName.c_str(), ratio, goal ? (std::string(goal->text) + (goal->met(ratio) ? "  met" : "  NOT MET")).c_str() : "");
}

// Runs `body` repeatedly for the configured time; returns calls per second.
double PerSecond(const std::function<void()>& body, int callsPerRound = 1)
{
    for (int i = 0; i < 100; ++i) body(); // warm up
    long rounds = 0;
    const auto start = Clock::now();
    const auto until = start + std::chrono::duration<double>(g_seconds);
    Clock::time_point now;
    do {
        for (int i = 0; i < 64; ++i) body();
        rounds += 64;
        now = Clock::now();
    } while (now < until);
    return static_cast<double>(rounds) * callsPerRound / std::chrono::duration<double>(now - start).count();
}

// One late-bound put and one late-bound get, names looked up each time as a
// script engine without a cache does.
double LateBound(IDispatch* object, const wchar_t* name, const VARIANT& value)
{
    return PerSecond(
        [&] {
            DISPID id = 0;
            auto* n = const_cast<LPOLESTR>(name);
            object->GetIDsOfNames(IID_NULL, &n, 1, LOCALE_USER_DEFAULT, &id);
            VARIANT arg = value;
            DISPID named = DISPID_PROPERTYPUT;
            DISPPARAMS put{&arg, &named, 1, 1};
            object->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_PROPERTYPUT, &put, nullptr, nullptr, nullptr);
            object->GetIDsOfNames(IID_NULL, &n, 1, LOCALE_USER_DEFAULT, &id);
            DISPPARAMS none{};
            VARIANT result;
            VariantInit(&result);
            object->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_PROPERTYGET, &none, &result, nullptr, nullptr);
            VariantClear(&result);
        },
        2);
}

// A get through the vtable slot the object's own type information names.
using GetLong = HRESULT(STDMETHODCALLTYPE*)(IDispatch*, long*);
GetLong VtableGetter(IDispatch* object, const wchar_t* name)
{
    ComPtr<ITypeInfo> info, vtable;
    object->GetTypeInfo(0, 0, info.put());
    HREFTYPE ref = 0;
    if (FAILED(info->GetRefTypeOfImplType(-1, &ref)) || FAILED(info->GetRefTypeInfo(ref, vtable.put()))) return nullptr;
    DISPID id = 0;
    auto* n = const_cast<LPOLESTR>(name);
    vtable->GetIDsOfNames(&n, 1, &id);
    for (UINT i = 0;; ++i) {
        FUNCDESC* f = nullptr;
        if (FAILED(vtable->GetFuncDesc(i, &f))) return nullptr;
        const bool found = f->memid == id && f->invkind == INVOKE_PROPERTYGET;
        const SHORT slot = f->oVft;
        vtable->ReleaseFuncDesc(f);
        if (found) return (*reinterpret_cast<GetLong**>(object))[slot / static_cast<SHORT>(sizeof(void*))];
    }
}

// Objects made and released per second, as CreateObject does (the COM
// runtime finds the class each time) or straight from the class factory.
double CreateRelease(const wchar_t* progId, bool throughFactory)
{
    CLSID clsid{};
    CLSIDFromProgID(progId, &clsid);
    ComPtr<IClassFactory> factory;
    CoGetClassObject(clsid, CLSCTX_INPROC_SERVER, nullptr, IID_IClassFactory, factory.put_void());
    return PerSecond([&] {
        IUnknown* p = nullptr;
        const HRESULT hr = throughFactory
                               ? factory->CreateInstance(nullptr, IID_IUnknown, reinterpret_cast<void**>(&p))
                               : CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IUnknown,
                                                  reinterpret_cast<void**>(&p));
        if (SUCCEEDED(hr)) p->Release();
    });
}

// Milliseconds from the call to a dialog ready for input, and from the
// robot's click to the call's return; the median of several shows.
struct Latency {
    double ready = 0;
    double closed = 0;
};

Latency MeasureDialog(const std::function<void()>& show, const std::function<HWND(DWORD)>& find,
                      const std::function<void(HWND)>& end, int shows = 9)
{
    std::vector<double> ready, closed;
    for (int i = 0; i < shows; ++i) {
        const DWORD thread = GetCurrentThreadId();
        Clock::time_point t0, t1, t2;
        std::thread driver([&] {
            HWND dialog = nullptr;
            while (!dialog) {
                dialog = find(thread);
                if (!dialog) Sleep(0);
            }
            t1 = Clock::now();
            Sleep(50); // let the window settle before the click
            t2 = Clock::now();
            end(dialog);
        });
        t0 = Clock::now();
        show();
        const auto t3 = Clock::now();
        driver.join();
        ready.push_back(std::chrono::duration<double, std::milli>(t1 - t0).count());
        closed.push_back(std::chrono::duration<double, std::milli>(t3 - t2).count());
    }
    std::sort(ready.begin(), ready.end());
    std::sort(closed.begin(), closed.end());
    return {ready[ready.size() / 2], closed[closed.size() / 2]};
}

HWND ReadyForm(DWORD thread)
{
    return robot::WaitForForm(thread, std::chrono::milliseconds(0));
}

HWND ReadyMessageBox(DWORD thread)
{
    return robot::WaitForMessageBox(thread, std::chrono::milliseconds(0));
}

struct DialogCase {
    const char* name;
    const wchar_t* progId;
    std::function<void(IDispatch*)> setup;
    std::function<void(HWND)> end;
};

void DialogFigures(const std::vector<DialogCase>& cases)
{
    const Latency box = MeasureDialog([] { MessageBoxW(nullptr, L"Print the labels now?", L"Print", MB_OK); },
                                      ReadyMessageBox, [](HWND d) { robot::Click(robot::Child(d, L"OK")); });
    const Goal notLater{"<= 1.0", [](double r) { return r <= 1.0; }};
    const Goal twice{"< 2.0", [](double r) { return r < 2.0; }};
    for (const DialogCase& c : cases) {
        ComPtr<IDispatch> object = Create(c.progId);
        c.setup(object.get());
        const Latency l = MeasureDialog([&] { Call(object.get(), L"ShowForm"); }, ReadyForm, c.end);
        const bool grid = std::string(c.name).find("20 x 10") != std::string::npos;
        Row(std::string(c.name) + ": show to ready", l.ready, "MessageBoxW", box.ready, "ms", grid ? &twice : &notLater);
        Row(std::string(c.name) + ": click to return", l.closed, "MessageBoxW", box.closed, "ms");
    }
}

void SizeFigures()
{
    for (const char* arch : {"x86_64", "i686"}) {
        const std::wstring path = testfiles::Dll(arch);
        WIN32_FILE_ATTRIBUTE_DATA data{};
        GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data);
        const double bytes = data.nFileSizeLow;
        std::string imports;
        for (const auto& dll : testfiles::PeFile(path).Imports()) imports += (imports.empty() ? "" : " ") + dll;
        std::printf("%-44s %12.0f %12s  %-22s %6.2f  %s\n", (std::string("DLL size, ") + arch + " (bytes)").c_str(),
                    bytes, "409600", "400 KB", bytes / 409600, bytes < 409600 ? "< 1.0  met" : "< 1.0  NOT MET");
        std::printf("    imports: %s\n", imports.c_str());
    }
}

} // namespace

int main(int argc, char** argv)
{
    if (argc > 1) g_seconds = std::atof(argv[1]);
    Apartment apartment;
    std::printf("%-44s %12s %12s  %-22s %6s  %s\n", "figure", "VELDLG", "peer", "peer is", "ratio", "goal");

    ComPtr<IDispatch> message = Create(L"VELDLG.CustomMessage");
    ComPtr<IDispatch> dictionary = Create(L"Scripting.Dictionary");
    if (!message || !dictionary) return 1;

    const Goal atLeast{">= 1.0", [](double r) { return r >= 1.0; }};
    Row("late-bound put+get", LateBound(message.get(), L"NumButtons", I2(2).get()), "Dictionary.CompareMode",
        LateBound(dictionary.get(), L"CompareMode", I4(1).get()), "calls/s", &atLeast);

    const GetLong ours = VtableGetter(message.get(), L"NumButtons");
    const GetLong theirs = VtableGetter(dictionary.get(), L"CompareMode");
    long value = 0;
    Row("early-bound vtable get", PerSecond([&] { ours(message.get(), &value); }), "Dictionary.CompareMode",
        PerSecond([&] { theirs(dictionary.get(), &value); }), "calls/s");

    Row("CoCreateInstance + release", CreateRelease(L"VELDLG.CustomMessage", false), "Scripting.Dictionary",
        CreateRelease(L"Scripting.Dictionary", false), "objects/s");
    Row("class factory create + release", CreateRelease(L"VELDLG.CustomMessage", true), "Scripting.Dictionary",
        CreateRelease(L"Scripting.Dictionary", true), "objects/s");

    DialogFigures({
        {"CustomMessage, 3 buttons", L"VELDLG.CustomMessage",
         [](IDispatch* o) {
             Put(o, L"NumButtons", I2(3).get());
             Put(o, L"ButtonCaptions", Str(L"Yes,No,Cancel").get());
             Put(o, L"Message", Str(L"Print the labels now?").get());
         },
         [](HWND d) { robot::Click(robot::Child(d, L"Yes")); }},
        {"LabelStartPosition, 20 x 10", L"VELDLG.LabelStartPosition",
         [](IDispatch* o) {
             Put(o, L"NumRows", I2(20).get());
             Put(o, L"NumColumns", I2(10).get());
         },
         // The first button: finding one by its text would read all 200.
         [](HWND d) { robot::Click(robot::Children(d).front()); }},
        {"LabelStartPosition, 3 x 2", L"VELDLG.LabelStartPosition",
         [](IDispatch* o) {
             Put(o, L"NumRows", I2(3).get());
             Put(o, L"NumColumns", I2(2).get());
         },
         [](HWND d) { robot::Click(robot::Children(d).front()); }},
        {"DateRange, two presets", L"VELDLG.DateRange",
         [](IDispatch* o) {
             Put(o, L"BeginDate", Date(46000).get());
             Put(o, L"EndDate", Date(46030).get());
         },
         // Cancel: the user's stored dates stay as they are.
         [](HWND) { robot::Press(VK_ESCAPE); }},
        {"CustomList, 3 items", L"VELDLG.CustomList",
         [](IDispatch* o) { Put(o, L"ListArray", lists::StringList({L"Red", L"Green", L"Blue"}).get()); },
         [](HWND d) { robot::Click(robot::Child(d, L"CANC&EL")); }},
    });

    SizeFigures();
    return 0;
}
