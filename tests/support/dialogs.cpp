#include "support/dialogs.h"

#include "support/robot.h"
#include "support/string_arrays.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace reliability {

namespace {

using namespace client;

std::wstring Text(IDispatch* o, const wchar_t* name)
{
    const Outcome r = Get(o, name);
    return r.value.vt() == VT_BSTR ? std::wstring(Bstr::View(V_BSTR(&r.value.get()))) : L"<not a string>";
}

long Number(IDispatch* o, const wchar_t* name)
{
    const Outcome r = Get(o, name);
    Variant number;
    return SUCCEEDED(VariantChangeType(number.put(), const_cast<VARIANT*>(&r.value.get()), 0, VT_I4))
               ? V_I4(&number.get())
               : -99999;
}

std::wstring Tagged(const wchar_t* word, int tag)
{
    return word + std::to_wstring(tag);
}

} // namespace

const std::vector<DialogKind>& Dialogs()
{
    static const std::vector<DialogKind> kinds = {
        {L"VELDLG.CustomMessage",
         [](IDispatch* o, int tag) {
             Put(o, L"NumButtons", I2(2).get());
             Put(o, L"ButtonCaptions", Str(Tagged(L"A", tag) + L"," + Tagged(L"B", tag)).get());
         },
         [](HWND d, int tag) { robot::Click(robot::Child(d, Tagged(L"B", tag), L"Button")); },
         [](IDispatch* o, int tag) {
             EXPECT_EQ(Text(o, L"ButtonResultCaption"), Tagged(L"B", tag));
             EXPECT_EQ(Number(o, L"ButtonResultValue"), 2);
         }},
        {L"VELDLG.LabelStartPosition",
         [](IDispatch* o, int tag) {
             Put(o, L"NumRows", I2(static_cast<short>(1 + tag % 5)).get());
             Put(o, L"NumColumns", I2(static_cast<short>(1 + tag % 3)).get());
         },
         [](HWND d, int tag) {
             robot::Click(robot::Child(d, std::to_wstring(1 + tag % 3) + L", " + std::to_wstring(1 + tag % 5), L"Button"));
         },
         [](IDispatch* o, int tag) {
             EXPECT_EQ(Number(o, L"StartColumn"), 1 + tag % 3);
             EXPECT_EQ(Number(o, L"StartRow"), 1 + tag % 5);
         }},
        {L"VELDLG.DateRange",
         [](IDispatch* o, int tag) {
             Put(o, L"BeginDate", Date(45000 + tag).get());
             Put(o, L"EndDate", Date(45100 + tag).get());
         },
         // Cancel: nothing is saved for the user.
         [](HWND, int) { robot::Press(VK_ESCAPE); },
         [](IDispatch* o, int tag) {
             EXPECT_EQ(Number(o, L"Succeed"), 0);
             EXPECT_EQ(Number(o, L"BeginDate"), 45000 + tag);
             EXPECT_EQ(Number(o, L"EndDate"), 45100 + tag);
         }},
        {L"VELDLG.CustomList",
         [](IDispatch* o, int tag) {
             Put(o, L"ListArray", lists::StringList({Tagged(L"x", tag), Tagged(L"y", tag)}, tag).get());
         },
         [](HWND d, int) {
             robot::ClickListItem(robot::Children(d, L"ListBox").front(), 1);
             robot::Press(VK_RETURN);
         },
         [](IDispatch* o, int tag) {
             EXPECT_EQ(Number(o, L"ListIndex"), tag + 1);
             EXPECT_EQ(Text(o, L"ListItem"), Tagged(L"y", tag));
         }},
    };
    return kinds;
}

std::vector<Function> OwnFunctions(IDispatch* object)
{
    std::vector<Function> functions;
    ComPtr<ITypeInfo> info;
    if (FAILED(object->GetTypeInfo(0, 0, info.put()))) return functions;
    TYPEATTR* attr = nullptr;
    info->GetTypeAttr(&attr);
    const UINT count = attr->cFuncs;
    info->ReleaseTypeAttr(attr);
    for (UINT i = 0; i < count; ++i) {
        FUNCDESC* f = nullptr;
        if (FAILED(info->GetFuncDesc(i, &f))) continue;
        if (f->memid >= 0x60020000) functions.push_back({f->memid, f->invkind}); // past IDispatch's own
        info->ReleaseFuncDesc(f);
    }
    return functions;
}

std::vector<Variant> Snapshot(IDispatch* object)
{
    std::vector<Variant> values;
    for (const Function& f : OwnFunctions(object)) {
        if (f.kind != INVOKE_PROPERTYGET) continue;
        DISPPARAMS none{};
        values.push_back(Invoke(object, f.id, DISPATCH_PROPERTYGET, none).value);
    }
    return values;
}

namespace {

bool SameVariant(const VARIANT& x, const VARIANT& y);

// Bit for bit, so that a NaN stored in a result equals itself.
size_t ScalarSize(VARTYPE vt)
{
    switch (vt) {
    case VT_I1: case VT_UI1: return 1;
    case VT_I2: case VT_UI2: case VT_BOOL: return 2;
    case VT_I4: case VT_UI4: case VT_R4: case VT_ERROR: case VT_INT: case VT_UINT: return 4;
    case VT_I8: case VT_UI8: case VT_R8: case VT_DATE: case VT_CY: return 8;
    default: return 0;
    }
}

bool SameArray(SAFEARRAY* x, SAFEARRAY* y, VARTYPE elements)
{
    if (!x || !y) return x == y;
    if (x->cDims != y->cDims || x->cbElements != y->cbElements) return false;
    ULONG count = 1;
    for (USHORT d = 0; d < x->cDims; ++d) {
        if (x->rgsabound[d].cElements != y->rgsabound[d].cElements || x->rgsabound[d].lLbound != y->rgsabound[d].lLbound)
            return false;
        count *= x->rgsabound[d].cElements;
    }
    for (ULONG i = 0; i < count; ++i) {
        const auto* px = static_cast<const BYTE*>(x->pvData) + i * x->cbElements;
        const auto* py = static_cast<const BYTE*>(y->pvData) + i * y->cbElements;
        if (elements == VT_BSTR) {
            if (Bstr::View(*reinterpret_cast<const BSTR*>(px)) != Bstr::View(*reinterpret_cast<const BSTR*>(py))) return false;
        } else if (elements == VT_VARIANT) {
            if (!SameVariant(*reinterpret_cast<const VARIANT*>(px), *reinterpret_cast<const VARIANT*>(py))) return false;
        } else if (std::memcmp(px, py, x->cbElements) != 0) {
            return false;
        }
    }
    return true;
}

bool SameVariant(const VARIANT& x, const VARIANT& y)
{
    const VARTYPE vt = V_VT(&x);
    if (vt != V_VT(&y)) return false;
    if (vt & VT_ARRAY) return SameArray(V_ARRAY(&x), V_ARRAY(&y), vt & VT_TYPEMASK);
    switch (vt) {
    case VT_EMPTY: case VT_NULL: return true;
    case VT_BSTR: return Bstr::View(V_BSTR(&x)) == Bstr::View(V_BSTR(&y));
    case VT_DISPATCH: case VT_UNKNOWN: return V_UNKNOWN(&x) == V_UNKNOWN(&y);
    case VT_DECIMAL: return std::memcmp(&V_DECIMAL(&x), &V_DECIMAL(&y), sizeof(DECIMAL)) == 0;
    default: return ScalarSize(vt) && std::memcmp(&V_UI1(&x), &V_UI1(&y), ScalarSize(vt)) == 0;
    }
}

} // namespace

bool Same(const std::vector<Variant>& a, const std::vector<Variant>& b)
{
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (!SameVariant(a[i].get(), b[i].get())) return false;
    return true;
}

void ShowAndEnd(const DialogKind& kind, IDispatch* object, int tag)
{
    robot::WithDialog([&] { EXPECT_EQ(Call(object, L"ShowForm").hr, S_OK); },
                      [&](HWND dialog) { kind.end(dialog, tag); });
}

} // namespace reliability
