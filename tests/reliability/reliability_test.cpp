// Bad input through IDispatch: a seeded stream of random Invoke calls on the
// four classes, with random DISPIDs (never a method's, which would show a
// dialog), flags, argument counts, named arguments and values of every
// automation type, by value and by reference. Every answer must be one the
// automation contract allows, and a refused call must change nothing that
// the gets read.
// Then self-registration when the registry does not cooperate, with
// HKEY_CLASSES_ROOT redirected into a scratch key of the current user, so
// that the machine's registration is untouched. What registering writes is
// the installer's test's: it compares it with what the installer writes.

#include "support/dialogs.h"
#include "support/string_arrays.h"
#include "support/test_files.h"
#include "veldlg_h.h"

#include <gtest/gtest.h>

#include <cstring>
#include <limits>
#include <memory>
#include <random>

namespace {

using namespace client;

// Texts, and what the platform makes of them as every other type: numbers
// at the edges of each, dates, booleans. Then NaN, infinity and dates out
// of range; nothing, null and a missing argument; objects and none; arrays
// of one and two dimensions with bounds at the 16-bit edges, and none.
std::vector<Variant> Values(IDispatch* object)
{
    std::vector<Variant> values(1);
    for (const wchar_t* text : {L"0", L"1", L"-1", L"3", L"7", L"20", L"21", L"32767", L"-32768", L"32768",
                                L"-32769", L"65536", L"2147483647", L"-2147483649", L"-0.5", L"45000.25",
                                L"2958465.99", L"-657435", L"1e300", L"", L"Yes,No,Cancel", L"A,B", L",",
                                L"12/25/2026", L"1899-06-01", L"  7  "})
        for (const VARTYPE vt : {VT_BSTR, VT_I1, VT_UI1, VT_I2, VT_UI2, VT_I4, VT_UI4, VT_I8, VT_UI8, VT_INT, VT_UINT,
                                 VT_R4, VT_R8, VT_CY, VT_DATE, VT_DECIMAL, VT_BOOL})
            if (Variant v; SUCCEEDED(VariantChangeType(v.put(), const_cast<VARIANT*>(&Str(text).get()), 0, vt)))
                values.push_back(v);
    values.push_back(Str(std::wstring(40000, L',')));
    const auto add = [&](VARTYPE vt, auto value) { // the value's bytes, or a null pointer
        VARIANT* p = values.emplace_back().put();
        V_VT(p) = vt;
        std::memcpy(&V_UI1(p), &value, sizeof value);
    };
    using Limits = std::numeric_limits<double>;
    for (const double n : {Limits::quiet_NaN(), Limits::infinity(), 1e300, -1e7})
        add(VT_R8, n), add(VT_DATE, n);
    add(VT_R4, std::numeric_limits<float>::quiet_NaN());
    add(VT_ERROR, DISP_E_PARAMNOTFOUND); // a missing argument
    for (const VARTYPE vt :
         std::initializer_list<VARTYPE>{VT_NULL, VT_BSTR, VT_ARRAY | VT_BSTR, VT_DISPATCH, VT_UNKNOWN})
        add(vt, static_cast<void*>(nullptr));
    for (const VARTYPE vt : {VT_DISPATCH, VT_UNKNOWN}) object->AddRef(), add(vt, object);
    for (const VARTYPE type : {VT_BSTR, VT_VARIANT, VT_I2, VT_DATE})
        for (const LONG lower : {0, 1, 5, -32768, 32766, 32767, -32769, 32768})
            for (const USHORT dimensions : {1, 2}) {
                SAFEARRAYBOUND bounds[] = {{static_cast<ULONG>(lower & 3), lower}, {2, 0}};
                values.push_back(lists::Holding(type == VT_BSTR && dimensions == 1
                    ? lists::Strings(std::vector<std::wstring>(lower & 3, L" Item "), lower)
                    : veldlg::SafeArray(SafeArrayCreate(type, dimensions, bounds)), type));
            }
    return values;
}

TEST(Fuzz, RandomInvokeCallsAreAnsweredByTheContractAndRefusedOnesChangeNothing)
{
    Apartment apartment;
    std::mt19937 rng(20261205);
    const auto random = [&](int low, int high) { return std::uniform_int_distribution<int>(low, high)(rng); };
    const auto chance = [&](int percent) { return random(1, 100) <= percent; };
    std::vector<ComPtr<IDispatch>> objects;
    for (const auto& kind : reliability::Dialogs()) ASSERT_TRUE(objects.emplace_back(Create(kind.progId)));
    const std::vector<Variant> values = Values(Create(L"Scripting.Dictionary").get()); // which holds the object
    int refused = 0;
    for (int call = 0; call < 100000; ++call) {
        IDispatch* o = objects[static_cast<size_t>(random(0, 3))].get();
        // Mostly a get or a put of a property, sometimes any flags of five bits.
        const DISPID id = chance(85) ? 0x68030000 + random(0, 8) : random(-10, 3) + (chance(50) ? 0x68030000 : 0);
        const auto flag = static_cast<WORD>(
            chance(80) ? (chance(50) ? DISPATCH_PROPERTYPUT : DISPATCH_PROPERTYGET) : random(0, 31));
        const int argc = chance(75) ? (flag & DISPATCH_PROPERTYPUT ? 1 : 0) : random(0, 3);
        std::vector<Variant> referenced, args;
        referenced.reserve(3); // what a reference points to stays where it is
        for (int i = 0; i < argc; ++i) {
            Variant& v = args.emplace_back(values[static_cast<size_t>(random(0, static_cast<int>(values.size()) - 1))]);
            if (!chance(10)) continue;
            // By reference to the value, as a Variant or as its own type.
            VARIANT* target = const_cast<VARIANT*>(&referenced.emplace_back(std::move(v)).get());
            const VARTYPE vt = V_VT(target);
            const bool typed = vt > VT_NULL && ((vt & VT_ARRAY) || chance(50));
            VARIANT* p = v.put();
            V_VT(p) = typed ? vt | VT_BYREF : VT_VARIANT | VT_BYREF;
            V_BYREF(p) = !typed ? target : vt == VT_DECIMAL ? static_cast<void*>(&V_DECIMAL(target)) : &V_UI1(target);
        }
        std::vector<VARIANT> raw;
        for (const Variant& a : args) raw.push_back(a.get());
        DISPID named = chance(5) ? random(-5, 5) : DISPID_PROPERTYPUT;
        const int namedChance = flag & (DISPATCH_PROPERTYPUT | DISPATCH_PROPERTYPUTREF) ? 90 : 10;
        DISPPARAMS params{raw.data(), &named, static_cast<UINT>(raw.size()), argc > 0 && chance(namedChance) ? 1u : 0u};

        const std::vector<std::string> before = reliability::Snapshot(o);
        const Outcome r = Invoke(o, id, flag, params);
        const auto what = testing::Message() << "call " << call << std::hex << ": " << id << " " << flag << " " << r.hr;
        // Success; an error of the dispatch machinery; or the component's
        // own error with its description, from its error info or EXCEPINFO.
        const HRESULT own = r.hr == DISP_E_EXCEPTION ? r.scode : r.hr;
        ASSERT_TRUE(r.hr == S_OK || (HRESULT_FACILITY(r.hr) == FACILITY_DISPATCH && r.hr != DISP_E_EXCEPTION) ||
                    (HRESULT_FACILITY(own) == FACILITY_CONTROL && !r.description.empty() &&
                     (r.hr == DISP_E_EXCEPTION || !r.source.empty())))
            << what;
        if (r.hr == S_OK) continue;
        ++refused;
        ASSERT_EQ(reliability::Snapshot(o), before) << what << " but changed what the gets read";
    }
    EXPECT_GT(refused, 10000) << "the stream hardly ever refused a call: it tests little";
}

// Nothing below a root but the empty containers (CLSID, Interface, TypeLib)
// that every machine has, which go: only an empty key can be deleted so.
bool Clean(HKEY root)
{
    wchar_t name[256];
    for (const wchar_t* container : {L"CLSID", L"Interface", L"TypeLib"}) RegDeleteKeyW(root, container);
    return RegEnumKeyW(root, 0, name, 256) == ERROR_NO_MORE_ITEMS;
}

// Registering twice, unregistering over keys removed by hand, and failing
// half way: no key left behind.
TEST(Registration, TwiceOverKeysRemovedByHandOrFailingHalfWayLeavesNoKeyBehind)
{
    Apartment apartment;
    const std::unique_ptr<HINSTANCE__, decltype(&FreeLibrary)> dll(LoadLibraryW(testfiles::OwnDll().c_str()),
                                                                   FreeLibrary);
    const auto call = [&](const char* entry) {
        const auto function = reinterpret_cast<void (*)()>(GetProcAddress(dll.get(), entry));
        return reinterpret_cast<HRESULT(WINAPI*)()>(function)();
    };
    // The classes root redirected into a scratch key; put back, and the
    // scratch key deleted, before (a crashed run leaves it) and however the
    // test ends.
    const auto putBack = [](void*) {
        RegOverridePredefKey(HKEY_CLASSES_ROOT, nullptr);
        RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\VELDLG Tests");
    };
    putBack(nullptr);
    const std::shared_ptr<void> restore(nullptr, putBack);
    veldlg::RegKey scratch;
    ASSERT_EQ(RegCreateKeyW(HKEY_CURRENT_USER, L"Software\\VELDLG Tests\\Classes", scratch.put()), 0);
    const HKEY root = scratch.get();
    ASSERT_EQ(RegOverridePredefKey(HKEY_CLASSES_ROOT, root), 0);
    using testfiles::Guid;
    for (const std::wstring& removed : {std::wstring(), L"CLSID\\" + Guid(CLSID_CustomList) + L"\\InprocServer32",
                                        std::wstring(L"VELDLG.DateRange"), L"TypeLib\\" + Guid(LIBID_VELDLG),
                                        L"Interface\\" + Guid(IID__CustomMessage), std::wstring(L"CLSID")}) {
        SCOPED_TRACE(testing::Message() << "removed by hand: " << removed);
        EXPECT_TRUE(call("DllRegisterServer") == S_OK && call("DllRegisterServer") == S_OK);
        EXPECT_EQ(removed.empty() ? 0 : RegDeleteTreeW(root, removed.c_str()), 0);
        EXPECT_TRUE(call("DllUnregisterServer") == S_OK && Clean(root));
    }
    // A volatile CLSID key takes no lasting child: the type library and the
    // first ProgID are written before the first class key fails.
    veldlg::RegKey clsid;
    ASSERT_EQ(RegCreateKeyExW(root, L"CLSID", 0, nullptr, REG_OPTION_VOLATILE, KEY_ALL_ACCESS, nullptr, clsid.put(),
                              nullptr), 0);
    EXPECT_TRUE(FAILED(call("DllRegisterServer")));
    EXPECT_NE(testfiles::ErrorInfo(), L"") << "a failure without error info";
    EXPECT_TRUE(Clean(root)) << "registration left keys behind";
}

} // namespace
