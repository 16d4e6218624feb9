// Bad input through IDispatch: a seeded stream of random Invoke calls on all
// four classes (ShowForm aside), with random DISPIDs, flags, argument counts,
// named arguments and argument types. Every result must be one the
// automation contract allows, and a refused call must change nothing that
// the gets can see.
//
// VELDLG_FUZZ_SEED and VELDLG_FUZZ_CALLS override the seed and the count.

#include "support/dialogs.h"
#include "support/com_client.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <limits>
#include <random>
#include <string>
#include <vector>

namespace {

using namespace client;

struct Member {
    DISPID id;
    bool get, put;
    bool method;
};

struct Target {
    const wchar_t* progId;
    ComPtr<IDispatch> object;
    std::vector<Member> members;
    DISPID showForm = DISPID_UNKNOWN;
};

// The members of an object as its own type information describes them.
std::vector<Member> MembersOf(IDispatch* object)
{
    std::vector<Member> members;
    for (const reliability::Function& f : reliability::OwnFunctions(object)) {
        auto m = std::find_if(members.begin(), members.end(), [&](const Member& x) { return x.id == f.id; });
        if (m == members.end()) m = members.insert(members.end(), Member{f.id, false, false, false});
        m->get |= f.kind == INVOKE_PROPERTYGET;
        m->put |= f.kind == INVOKE_PROPERTYPUT;
        m->method |= f.kind == INVOKE_FUNC;
    }
    return members;
}

class Generator {
public:
    // `object` is what arguments of object type refer to.
    Generator(unsigned seed, IDispatch* object) : rng_(seed), object_(object) {}

    int Int(int low, int high) { return std::uniform_int_distribution<int>(low, high)(rng_); }
    bool Chance(int percent) { return Int(1, 100) <= percent; }

    template <class T>
    const T& Pick(const std::vector<T>& v) { return v[static_cast<size_t>(Int(0, static_cast<int>(v.size()) - 1))]; }

    // One argument of any type automation allows, sometimes by reference.
    Variant Argument(std::vector<Variant>& keepAlive)
    {
        Variant v = Scalar();
        if (Chance(15)) v = Array();
        if (Chance(10)) {
            // By reference: the referenced value must outlive the call.
            keepAlive.push_back(v);
            VARIANT& target = const_cast<VARIANT&>(keepAlive.back().get());
            Variant r;
            VARIANT* p = r.put();
            const VARTYPE vt = V_VT(&target);
            if (vt & VT_ARRAY) {
                V_VT(p) = static_cast<VARTYPE>(vt | VT_BYREF);
                V_ARRAYREF(p) = &V_ARRAY(&target);
            } else if (vt == VT_EMPTY || vt == VT_NULL || Chance(50)) {
                V_VT(p) = VT_VARIANT | VT_BYREF;
                V_VARIANTREF(p) = &target;
            } else {
                // A typed reference to the value itself (VT_BYREF | VT_I2...).
                V_VT(p) = static_cast<VARTYPE>(vt | VT_BYREF);
                V_BYREF(p) = vt == VT_DECIMAL ? static_cast<void*>(&V_DECIMAL(&target)) : static_cast<void*>(&V_UI1(&target));
            }
            return r;
        }
        return v;
    }

private:
    Variant Scalar()
    {
        static const short edges16[] = {0, 1, -1, 20, 21, 10, 11, 32767, -32768, 3, 7};
        static const long edges32[] = {32768, -32769, 65536, 2147483647, -2147483647 - 1, 0, 2};
        static const double reals[] = {0.0, -0.5, 1e300, -1e300, 2958465.99, 2958466.0, -657434.0, -657435.0, 45000.25};
        Variant v;
        VARIANT* p = v.put();
        switch (Int(0, 22)) {
        case 0: V_VT(p) = VT_EMPTY; break;
        case 1: V_VT(p) = VT_NULL; break;
        case 2: V_VT(p) = VT_I2; V_I2(p) = edges16[Int(0, 10)]; break;
        case 3: V_VT(p) = VT_I4; V_I4(p) = edges32[Int(0, 6)]; break;
        case 4: V_VT(p) = VT_R8; V_R8(p) = reals[Int(0, 8)]; break;
        case 5: V_VT(p) = VT_R8; V_R8(p) = Chance(50) ? std::numeric_limits<double>::quiet_NaN() : std::numeric_limits<double>::infinity(); break;
        case 6: V_VT(p) = VT_DATE; V_DATE(p) = reals[Int(0, 8)]; break;
        case 7: V_VT(p) = VT_BOOL; V_BOOL(p) = Chance(50) ? VARIANT_TRUE : VARIANT_FALSE; break;
        case 8: V_VT(p) = VT_CY; V_CY(p).int64 = Int(-100000, 100000); break;
        case 9: V_VT(p) = VT_ERROR; V_ERROR(p) = DISP_E_PARAMNOTFOUND; break;
        case 10: V_VT(p) = VT_UI1; V_UI1(p) = static_cast<BYTE>(Int(0, 255)); break;
        case 11: V_VT(p) = VT_DECIMAL; V_DECIMAL(p).Lo64 = static_cast<ULONGLONG>(Int(0, 70000)); V_VT(p) = VT_DECIMAL; break;
        case 12: V_VT(p) = VT_DISPATCH; V_DISPATCH(p) = nullptr; break;
        case 13: V_VT(p) = VT_R4; V_R4(p) = Chance(20) ? std::numeric_limits<float>::quiet_NaN() : static_cast<float>(reals[Int(0, 8)]); break;
        case 14: V_VT(p) = VT_I1; V_I1(p) = static_cast<CHAR>(Int(-128, 127)); break;
        case 15: V_VT(p) = VT_UI2; V_UI2(p) = static_cast<USHORT>(Int(0, 65535)); break;
        case 16: V_VT(p) = VT_UI4; V_UI4(p) = static_cast<ULONG>(edges32[Int(0, 6)]); break;
        case 17: V_VT(p) = VT_I8; V_I8(p) = static_cast<LONGLONG>(edges32[Int(0, 6)]) * (Chance(50) ? 1 : 65536); break;
        case 18: V_VT(p) = VT_UI8; V_UI8(p) = static_cast<ULONGLONG>(Int(0, 70000)); break;
        case 19: V_VT(p) = VT_INT; V_INT(p) = edges32[Int(0, 6)]; break;
        case 20: V_VT(p) = VT_UINT; V_UINT(p) = static_cast<UINT>(Int(0, 70000)); break;
        case 21:
            // A live object, or none.
            V_VT(p) = Chance(50) ? VT_DISPATCH : VT_UNKNOWN;
            V_DISPATCH(p) = Chance(70) ? object_ : nullptr;
            if (V_DISPATCH(p)) V_DISPATCH(p)->AddRef();
            break;
        default: {
            static const wchar_t* texts[] = {L"", L"Yes,No,Cancel", L"A,B", L",", L"12/25/2026", L"1899-06-01",
                                             L"not a date", L"3", L"-1", L"40000", L"  7  "};
            if (Chance(5)) {
                V_VT(p) = VT_BSTR;
                V_BSTR(p) = nullptr; // a null BSTR is the empty text
            } else if (Chance(3)) {
                V_VT(p) = VT_BSTR;
                V_BSTR(p) = SysAllocStringLen(nullptr, static_cast<UINT>(Int(32767, 70000)));
                for (UINT i = 0; i < SysStringLen(V_BSTR(p)); ++i) V_BSTR(p)[i] = i % 7 ? L'x' : L',';
            } else {
                V_VT(p) = VT_BSTR;
                V_BSTR(p) = SysAllocString(texts[Int(0, 10)]);
            }
        }
        }
        return v;
    }

    // An array of BSTRs, Variants, Integers or Dates, with one to three
    // dimensions and bounds at the 16-bit edges, sometimes without bounds.
    Variant Array()
    {
        static const VARTYPE types[] = {VT_BSTR, VT_BSTR, VT_VARIANT, VT_I2, VT_DATE};
        static const LONG lowers[] = {0, 1, 5, -32768, 32766, 32767, -32769, 32768};
        const VARTYPE type = types[Int(0, 4)];
        Variant v;
        VARIANT* p = v.put();
        V_VT(p) = static_cast<VARTYPE>(VT_ARRAY | type);
        if (Chance(5)) {
            V_ARRAY(p) = nullptr;
            return v;
        }
        SAFEARRAYBOUND bounds[3];
        const UINT dims = static_cast<UINT>(Chance(80) ? 1 : Int(2, 3));
        for (UINT d = 0; d < dims; ++d) bounds[d] = {static_cast<ULONG>(Int(0, 4)), lowers[Int(0, 7)]};
        SAFEARRAY* a = SafeArrayCreate(type, dims, bounds);
        if (a && type == VT_BSTR && dims == 1) {
            for (ULONG i = 0; i < bounds[0].cElements; ++i) {
                LONG index = bounds[0].lLbound + static_cast<LONG>(i);
                Bstr text(i % 2 ? L"  spaced" : L"Item");
                SafeArrayPutElement(a, &index, text.get());
            }
        }
        V_ARRAY(p) = a;
        return v;
    }

    std::mt19937 rng_;
    IDispatch* object_;
};

unsigned SeedFromEnvironment()
{
    const char* s = std::getenv("VELDLG_FUZZ_SEED");
    return s ? static_cast<unsigned>(std::strtoul(s, nullptr, 10)) : 20261205u;
}

int CallsFromEnvironment()
{
    const char* s = std::getenv("VELDLG_FUZZ_CALLS");
    return s ? std::atoi(s) : 100000;
}

// What the automation contract allows an Invoke to answer.
bool Allowed(const Outcome& o)
{
    if (o.hr == S_OK) return true;
    if (o.hr == DISP_E_EXCEPTION) return HRESULT_FACILITY(o.scode) == FACILITY_CONTROL && !o.description.empty();
    if (HRESULT_FACILITY(o.hr) == FACILITY_DISPATCH) return true;
    // The component's own errors carry error info.
    return HRESULT_FACILITY(o.hr) == FACILITY_CONTROL && !o.description.empty() && !o.source.empty();
}

TEST(Fuzz, RandomInvokeCallsAreAnsweredByTheContractAndRefusedOnesChangeNothing)
{
    Apartment apartment;
    const unsigned seed = SeedFromEnvironment();
    const int calls = CallsFromEnvironment();
    SCOPED_TRACE(testing::Message() << "seed " << seed << " (VELDLG_FUZZ_SEED=" << seed << " repeats this run)");

    std::vector<Target> targets;
    for (const wchar_t* progId :
         {L"VELDLG.CustomMessage", L"VELDLG.LabelStartPosition", L"VELDLG.DateRange", L"VELDLG.CustomList"}) {
        Target t{progId, Create(progId)};
        ASSERT_TRUE(t.object) << "cannot create " << testing::PrintToString(std::wstring(progId));
        t.members = MembersOf(t.object.get());
        for (const Member& m : t.members)
            if (m.method) t.showForm = m.id;
        targets.push_back(std::move(t));
    }

    ComPtr<IDispatch> dictionary = Create(L"Scripting.Dictionary");
    Generator g(seed, dictionary.get());
    static const WORD flags[] = {DISPATCH_METHOD, DISPATCH_PROPERTYGET, DISPATCH_PROPERTYPUT, DISPATCH_PROPERTYPUTREF,
                                 DISPATCH_METHOD | DISPATCH_PROPERTYGET, 0, 0x10};
    int refused = 0;
    for (int call = 0; call < calls; ++call) {
        Target& t = targets[static_cast<size_t>(g.Int(0, 3))];
        DISPID id;
        do {
            id = g.Chance(85) ? g.Pick(t.members).id : g.Int(-10, 3) + (g.Chance(50) ? 0x68030000 : 0);
        } while (id == t.showForm);
        const WORD flag = g.Chance(80) ? (g.Chance(50) ? DISPATCH_PROPERTYPUT : DISPATCH_PROPERTYGET)
                                       : flags[g.Int(0, 6)];

        std::vector<Variant> keepAlive;
        std::vector<Variant> args;
        const int argc = g.Chance(75) ? (flag & DISPATCH_PROPERTYPUT ? 1 : 0) : g.Int(0, 3);
        for (int i = 0; i < argc; ++i) args.push_back(g.Argument(keepAlive));
        std::vector<VARIANT> raw;
        for (auto& a : args) raw.push_back(a.get());
        DISPID named = DISPID_PROPERTYPUT;
        DISPPARAMS params{raw.data(), nullptr, static_cast<UINT>(raw.size()), 0};
        if (argc > 0 && (flag & (DISPATCH_PROPERTYPUT | DISPATCH_PROPERTYPUTREF) ? g.Chance(90) : g.Chance(10))) {
            params.rgdispidNamedArgs = &named;
            params.cNamedArgs = 1;
            if (g.Chance(5)) named = g.Int(-5, 5);
        }

        const std::vector<Variant> before = reliability::Snapshot(t.object.get());
        const Outcome o = Invoke(t.object.get(), id, flag, params);
        ASSERT_TRUE(Allowed(o)) << "call " << call << " on " << testing::PrintToString(std::wstring(t.progId))
                                << ": DISPID 0x" << std::hex << id << " flags 0x" << flag << " args " << std::dec
                                << argc << " answered 0x" << std::hex << o.hr << " scode 0x" << o.scode;
        if (o.ok()) continue;
        ++refused;
        ASSERT_TRUE(reliability::Same(before, reliability::Snapshot(t.object.get())))
            << "call " << call << " (DISPID 0x" << std::hex << id << ", flags 0x" << flag << ", " << std::dec << argc
            << " argument(s) of type " << (argc ? raw[0].vt : 0) << ", named " << params.cNamedArgs
            << ") was refused (0x" << std::hex << o.hr << ") but changed what the gets read of "
            << testing::PrintToString(std::wstring(t.progId));
    }
    RecordProperty("refused", refused);
    EXPECT_GT(refused, calls / 10) << "the stream hardly ever refused a call: it tests little";
}

} // namespace
