#include "dialogs.h"

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

void ClickListItem(HWND dialog, int position)
{
    for (HWND list : robot::Children(dialog, L"ListBox")) {
        RECT r{};
        SendMessageW(list, LB_GETITEMRECT, static_cast<WPARAM>(position), reinterpret_cast<LPARAM>(&r));
        POINT p{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
        ClientToScreen(list, &p);
        robot::ClickAt(p);
    }
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
             ClickListItem(d, 1);
             robot::Press(VK_RETURN);
         },
         [](IDispatch* o, int tag) {
             EXPECT_EQ(Number(o, L"ListIndex"), tag + 1);
             EXPECT_EQ(Text(o, L"ListItem"), Tagged(L"y", tag));
         }},
    };
    return kinds;
}

std::vector<Variant> Snapshot(IDispatch* object)
{
    std::vector<Variant> values;
    ComPtr<ITypeInfo> info;
    if (FAILED(object->GetTypeInfo(0, 0, info.put()))) return values;
    TYPEATTR* attr = nullptr;
    info->GetTypeAttr(&attr);
    const UINT count = attr->cFuncs;
    info->ReleaseTypeAttr(attr);
    for (UINT i = 0; i < count; ++i) {
        FUNCDESC* f = nullptr;
        if (FAILED(info->GetFuncDesc(i, &f))) continue;
        const bool own = f->memid >= 0x60020000 && f->invkind == INVOKE_PROPERTYGET;
        const MEMBERID id = f->memid;
        info->ReleaseFuncDesc(f);
        if (!own) continue;
        DISPPARAMS none{};
        values.push_back(Invoke(object, id, DISPATCH_PROPERTYGET, none).value);
    }
    return values;
}

bool Same(const std::vector<Variant>& a, const std::vector<Variant>& b)
{
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        const VARIANT& x = a[i].get();
        const VARIANT& y = b[i].get();
        if (V_VT(&x) != V_VT(&y)) return false;
        if (V_VT(&x) == VT_EMPTY || V_VT(&x) == VT_NULL) continue;
        if (V_VT(&x) == VT_BSTR) {
            if (Bstr::View(V_BSTR(&x)) != Bstr::View(V_BSTR(&y))) return false;
            continue;
        }
        if (V_VT(&x) == VT_DATE) {
            if (std::memcmp(&V_DATE(&x), &V_DATE(&y), sizeof(DATE)) != 0) return false;
            continue;
        }
        if (VarCmp(const_cast<VARIANT*>(&x), const_cast<VARIANT*>(&y), LOCALE_USER_DEFAULT, 0) != VARCMP_EQ)
            return false;
    }
    return true;
}

void ShowAndEnd(const DialogKind& kind, IDispatch* object, int tag)
{
    robot::WithDialog([&] { EXPECT_EQ(Call(object, L"ShowForm").hr, S_OK); },
                      [&](HWND dialog) { kind.end(dialog, tag); });
}

} // namespace reliability
