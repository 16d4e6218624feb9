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
    const VARTYPE vt = V_VT(&v), base = vt & VT_BYREF ? VARTYPE{VT_UNKNOWN} : vt & VT_TYPEMASK;
    const bool array = vt & VT_ARRAY && !(vt & VT_BYREF);
    std::string out(reinterpret_cast<const char*>(&vt), sizeof vt);
    const auto element = [&](const void* p, size_t size) { // a text by content, a Variant by its bytes
        const BSTR text = base == VT_BSTR ? *static_cast<const BSTR*>(p) : nullptr;
        const size_t n = base == VT_BSTR ? SysStringByteLen(text) : base == VT_VARIANT ? 0 : size;
        if (base == VT_VARIANT) out += Bytes(*static_cast<const VARIANT*>(p));
        if (base == VT_BSTR) out += std::to_string(n) + ':';
        out.append(static_cast<const char*>(text ? text : p), n);
    };
    if (const SAFEARRAY* a = array ? V_ARRAY(&v) : nullptr) {
        out.append(reinterpret_cast<const char*>(a->rgsabound), a->cDims * sizeof(SAFEARRAYBOUND));
        ULONG count = 1;
        for (USHORT d = 0; d < a->cDims; ++d) count *= a->rgsabound[d].cElements;
        for (ULONG i = 0; i < count; ++i)
            element(static_cast<const BYTE*>(a->pvData) + i * a->cbElements, a->cbElements);
    } else if (const veldlg::SafeArray sized(array ? nullptr : SafeArrayCreateVector(base, 0, 0)); sized.get()) {
        // A scalar's size is that of an array's element, which the platform knows.
        const void* data = vt == VT_DECIMAL ? static_cast<const void*>(&V_DECIMAL(&v)) : &V_UI1(&v);
        element(data, SafeArrayGetElemsize(sized.get()));
    }
    return out;
}

} // namespace

// The results each dialog's own tests check in detail are checked here only
// as far as they show that the user's action reached the dialog.
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
         [](IDispatch* o, int tag) { EXPECT_EQ(GetText(o, L"ButtonResultCaption"), tagged(L"B", tag)); }},
        {L"VELDLG.LabelStartPosition",
         [](IDispatch* o, int tag) {
             PutShort(o, L"NumRows", static_cast<short>(1 + tag % 5));
             PutShort(o, L"NumColumns", static_cast<short>(1 + tag % 3));
         },
         [](HWND d, int t) { robot::Click(robot::Child(d, tagged(L"", 1 + t % 3) + tagged(L", ", 1 + t % 5))); },
         [](IDispatch* o, int tag) { // the button of the tag's column and row
             EXPECT_EQ(std::pair(GetShort(o, L"StartColumn"), GetShort(o, L"StartRow")),
                       (std::pair<short, short>(1 + tag % 3, 1 + tag % 5)));
         }},
        {L"VELDLG.DateRange",
         [](IDispatch* o, int tag) {
             Put(o, L"BeginDate", Date(45000 + tag).get());
             Put(o, L"EndDate", Date(45100 + tag).get());
         },
         [](HWND, int) { robot::Press(VK_ESCAPE); }, // cancelled
         [](IDispatch* o, int) { EXPECT_EQ(V_BOOL(&Get(o, L"Succeed").value.get()), VARIANT_FALSE); }},
        {L"VELDLG.CustomList",
         [](IDispatch* o, int tag) {
             Put(o, L"ListArray", lists::StringList({tagged(L"x", tag), tagged(L"y", tag)}, tag).get());
         },
         [](HWND d, int) { // a double click on the second item
             const HWND list = robot::Children(d, L"ListBox").front();
             robot::DoubleClick(list, {5, static_cast<LONG>(SendMessageW(list, LB_GETITEMHEIGHT, 0, 0)) * 3 / 2});
         },
         [](IDispatch* o, int tag) { EXPECT_EQ(GetText(o, L"ListItem"), tagged(L"y", tag)); }},
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
