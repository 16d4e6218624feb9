#include "support/dialogs.h"

#include "support/robot.h"
#include "support/string_arrays.h"

#include <gtest/gtest.h>

namespace reliability {
namespace {

using namespace client;

// A value's bytes: its type, then its text, its elements or its data.
std::string Bytes(const VARIANT& v)
{
    const VARTYPE vt = V_VT(&v);
    std::string out(reinterpret_cast<const char*>(&vt), sizeof vt);
    const auto add = [&](const void* p, size_t n) { out.append(static_cast<const char*>(p), p ? n : 0); };
    const auto text = [&](BSTR b) {
        out += std::to_string(SysStringByteLen(b)) + ':';
        add(b, SysStringByteLen(b));
    };
    const bool array = vt & VT_ARRAY && !(vt & VT_BYREF);
    if (const SAFEARRAY* a = array ? V_ARRAY(&v) : nullptr) {
        add(a->rgsabound, a->cDims * sizeof(SAFEARRAYBOUND));
        ULONG count = 1;
        for (USHORT d = 0; d < a->cDims; ++d) count *= a->rgsabound[d].cElements;
        for (ULONG i = 0; i < count; ++i) {
            const BYTE* e = static_cast<const BYTE*>(a->pvData) + i * a->cbElements;
            if ((vt & VT_TYPEMASK) == VT_BSTR) text(*reinterpret_cast<const BSTR*>(e));
            else if ((vt & VT_TYPEMASK) == VT_VARIANT) out += Bytes(*reinterpret_cast<const VARIANT*>(e));
            else add(e, a->cbElements);
        }
    }
    if (vt == VT_BSTR) text(V_BSTR(&v));
    // Any other type's size is that of an array's element, which the platform knows.
    const VARTYPE scalar = vt & VT_BYREF ? VARTYPE{VT_UNKNOWN} : vt;
    const veldlg::SafeArray sized(array || vt == VT_BSTR ? nullptr : SafeArrayCreateVector(scalar, 0, 0));
    const void* data = vt == VT_DECIMAL ? static_cast<const void*>(&V_DECIMAL(&v)) : &V_UI1(&v);
    if (sized.get()) add(data, SafeArrayGetElemsize(sized.get()));
    return out;
}

} // namespace

const std::vector<DialogKind>& Dialogs()
{
    static const auto tagged = [](const wchar_t* text, int tag) { return text + std::to_wstring(tag); };
    static const std::vector<DialogKind> kinds = {
        {L"VELDLG.CustomMessage",
         [](IDispatch* o, int tag) {
             PutShort(o, L"NumButtons", 2);
             Put(o, L"ButtonCaptions", Str(tagged(L"A", tag) + tagged(L",B", tag)).get());
         },
         [](HWND d, int tag) { robot::Click(robot::Child(d, tagged(L"B", tag), L"Button")); },
         [](IDispatch* o, int tag) {
             EXPECT_EQ(GetText(o, L"ButtonResultCaption"), tagged(L"B", tag));
             EXPECT_EQ(GetShort(o, L"ButtonResultValue"), 2);
         }},
        {L"VELDLG.LabelStartPosition",
         [](IDispatch* o, int tag) {
             PutShort(o, L"NumRows", static_cast<short>(1 + tag % 5));
             PutShort(o, L"NumColumns", static_cast<short>(1 + tag % 3));
         },
         [](HWND d, int tag) { // the button of the tag's column and row
             robot::Click(robot::Child(d, tagged(L"", 1 + tag % 3) + tagged(L", ", 1 + tag % 5)));
         },
         [](IDispatch* o, int tag) {
             EXPECT_EQ(GetShort(o, L"StartColumn"), 1 + tag % 3);
             EXPECT_EQ(GetShort(o, L"StartRow"), 1 + tag % 5);
         }},
        {L"VELDLG.DateRange",
         [](IDispatch* o, int tag) {
             Put(o, L"BeginDate", Date(45000 + tag).get());
             Put(o, L"EndDate", Date(45100 + tag).get());
         },
         [](HWND, int) { robot::Press(VK_ESCAPE); }, // cancelled: nothing is saved for the user
         [](IDispatch* o, int tag) {
             EXPECT_EQ(V_BOOL(&Get(o, L"Succeed").value.get()), VARIANT_FALSE);
             EXPECT_EQ(V_DATE(&Get(o, L"BeginDate").value.get()), 45000 + tag);
             EXPECT_EQ(V_DATE(&Get(o, L"EndDate").value.get()), 45100 + tag);
         }},
        {L"VELDLG.CustomList",
         [](IDispatch* o, int tag) {
             Put(o, L"ListArray", lists::StringList({tagged(L"x", tag), tagged(L"y", tag)}, tag).get());
         },
         [](HWND d, int) { // a double click on the second item
             const HWND list = robot::Children(d, L"ListBox").front();
             const auto height = static_cast<LONG>(SendMessageW(list, LB_GETITEMHEIGHT, 0, 0));
             robot::DoubleClick(list, {5, height * 3 / 2});
         },
         [](IDispatch* o, int tag) {
             EXPECT_EQ(GetShort(o, L"ListIndex"), tag + 1);
             EXPECT_EQ(GetText(o, L"ListItem"), tagged(L"y", tag));
         }},
    };
    return kinds;
}

std::vector<std::string> Snapshot(IDispatch* object)
{
    std::vector<std::string> values;
    DISPPARAMS none{};
    for (DISPID id = 0x68030000; id < 0x6803000A; ++id) {
        const Outcome r = Invoke(object, id, DISPATCH_PROPERTYGET, none);
        values.push_back(std::to_string(r.hr) + Bytes(r.value.get()));
    }
    return values;
}

} // namespace reliability
