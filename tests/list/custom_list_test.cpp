// CustomList as clients call it, without a user: the ListArray put that
// takes only arrays of strings, the errors that ShowForm brings back from a
// list it cannot walk, and the dialog's icon in both DLLs.

#include "list/resource.h"
#include "support/string_arrays.h"
#include "support/robot.h"
#include "support/test_files.h"
#include "veldlg_h.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <thread>
#include <vector>

namespace {

using namespace client;
using namespace lists;

constexpr wchar_t kProgId[] = L"VELDLG.CustomList";

class CustomListTest : public testing::Test {
protected:
    Apartment apartment;
};

short ListIndex(IDispatch* o)
{
    const Outcome r = Get(o, L"ListIndex");
    EXPECT_EQ(r.hr, S_OK);
    EXPECT_EQ(r.value.vt(), VT_I2);
    return V_I2(&r.value.get());
}

std::wstring ListItem(IDispatch* o)
{
    const Outcome r = Get(o, L"ListItem");
    EXPECT_EQ(r.hr, S_OK);
    EXPECT_EQ(r.value.vt(), VT_BSTR);
    return r.value.vt() == VT_BSTR ? std::wstring(Bstr::View(V_BSTR(&r.value.get()))) : L"<not a string>";
}

// ShowForm when it must fail before any window shows; a dialog that shows
// after all is a failure, and the robot ends it.
Outcome ShowFailing(IDispatch* o)
{
    Outcome out;
    robot::WithDialog([&] { out = Call(o, L"ShowForm"); },
                      [](HWND) {
                          ADD_FAILURE() << "the dialog showed";
                          robot::Press(VK_ESCAPE);
                      });
    return out;
}

TEST_F(CustomListTest, ListArrayRefusesAllButArraysOfStrings)
{
    ComPtr<IDispatch> o = Create(kProgId);
    ASSERT_TRUE(o);

    Variant nullValue;
    V_VT(nullValue.put()) = VT_NULL;
    Variant object; // a JScript array is an object
    VARIANT* dispatch = object.put();
    V_VT(dispatch) = VT_DISPATCH;
    V_DISPATCH(dispatch) = o.get();
    o->AddRef();
    SafeArray numbers(SafeArrayCreateVector(VT_I4, 0, 3));

    const struct {
        const char* name;
        Variant value;
    } refused[] = {
        {"an array of Variants", Holding(Variants({L"Red", L"Green"}), VT_VARIANT)},
        {"a script's array never dimensioned", Holding(SafeArray(), VT_VARIANT)},
        {"an array of numbers", Holding(std::move(numbers), VT_I4)},
        {"Variants that claim to be strings", Holding(Variants({L"Red"}), VT_BSTR)},
        {"a string", Str(L"Red,Green")},
        {"Empty", Variant()},
        {"Null", nullValue},
        {"an object", object},
    };
    for (const auto& r : refused) {
        SCOPED_TRACE(r.name);
        ExpectError(Put(o.get(), L"ListArray", r.value.get()), 13, L"VELDLG", L"Type mismatch");
    }

    // What a script passes for a variable: a reference to its Variant.
    Variant scriptArray = Holding(Variants({L"Red", L"Green"}), VT_VARIANT);
    VARIANT byRef;
    V_VT(&byRef) = VT_VARIANT | VT_BYREF;
    V_VARIANTREF(&byRef) = const_cast<VARIANT*>(&scriptArray.get());
    ExpectError(Put(o.get(), L"ListArray", byRef), 13, L"VELDLG", L"Type mismatch");

    // An early-bound client gets the same error, through the error info.
    ComPtr<_CustomList> early;
    ASSERT_EQ(o->QueryInterface(IID__CustomList, early.put_void()), S_OK);
    const Variant variants = Holding(Variants({L"Red"}), VT_VARIANT);
    EXPECT_EQ(early->put_ListArray(variants.get()), MAKE_HRESULT(SEVERITY_ERROR, FACILITY_CONTROL, 13));
    ComPtr<IErrorInfo> info;
    ASSERT_EQ(GetErrorInfo(0, info.put()), S_OK);
    Bstr description;
    info->GetDescription(description.put());
    EXPECT_EQ(description.view(), L"Type mismatch");
}

struct LoadErrorCase {
    const char* name;
    std::function<Variant()> list;
    int number;
    const wchar_t* description;
};

// Each list fails in the form's load step; the object keeps its results,
// and the form is left unloaded, so a second show fails the same way.
void ExpectLoadErrors(const std::vector<LoadErrorCase>& cases)
{
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ComPtr<IDispatch> o = Create(kProgId);
        ASSERT_TRUE(o);
        if (c.list) {
            ASSERT_EQ(Put(o.get(), L"ListArray", c.list().get()).hr, S_OK);
        }
        ASSERT_EQ(Put(o.get(), L"ListIndex", I2(7).get()).hr, S_OK);
        ASSERT_EQ(Put(o.get(), L"ListItem", Str(L"kept").get()).hr, S_OK);
        for (int show = 1; show <= 2; ++show) {
            SCOPED_TRACE(testing::Message() << "show " << show);
            ExpectError(ShowFailing(o.get()), c.number, L"VELDLG", c.description);
            EXPECT_EQ(ListIndex(o.get()), 7);
            EXPECT_EQ(ListItem(o.get()), L"kept");
        }
    }
}

TEST_F(CustomListTest, NoListEverPutIsASubscriptError)
{
    std::thread fresh([] {
        Apartment apartment;
        ExpectLoadErrors({{"no list on this thread", nullptr, 9, L"Subscript out of range"}});
    });
    fresh.join();
}

TEST_F(CustomListTest, ListsTheFormCannotWalk)
{
    constexpr wchar_t kSubscript[] = L"Subscript out of range";
    constexpr wchar_t kOverflow[] = L"Overflow";
    ExpectLoadErrors({
        {"an array without bounds", [] { return Holding(SafeArray()); }, 9, kSubscript},
        {"two dimensions", [] { return Holding(Strings2D(3, 2)); }, 9, kSubscript},
        {"lower bound past 16 bits", [] { return Holding(Numbered(32768, 1)); }, 6, kOverflow},
        {"lower bound below 16 bits", [] { return Holding(Numbered(-32769, 2)); }, 6, kOverflow},
        {"upper bound past 16 bits", [] { return Holding(Numbered(32767, 2)); }, 6, kOverflow},
        // The last element is added; the loop's step past 32767 overflows.
        {"upper bound 32767", [] { return Holding(Numbered(32760, 8)); }, 6, kOverflow},
        {"32768 elements from 0", [] { return Holding(Numbered(0, 32768)); }, 6, kOverflow},
    });
}

TEST_F(CustomListTest, BothDllsCarryTheDialogIcon)
{
    for (const char* arch : {"x86_64", "i686"}) {
        SCOPED_TRACE(arch);
        const std::wstring dll = testfiles::Dll(arch);
        const HMODULE module = LoadLibraryExW(dll.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
        ASSERT_TRUE(module) << "cannot load " << testing::PrintToString(dll);
        const HRSRC found = FindResourceW(module, MAKEINTRESOURCEW(IDI_CUSTOMLIST), RT_GROUP_ICON);
        const auto* group = found ? static_cast<const BYTE*>(LockResource(LoadResource(module, found))) : nullptr;
        // The icon group: a header of three WORDs, then 14-byte entries.
        std::vector<std::string> images;
        for (WORD i = 0; group && i < reinterpret_cast<const WORD*>(group)[2]; ++i) {
            const BYTE* e = group + 6 + 14 * i;
            images.push_back(std::to_string(e[0]) + "x" + std::to_string(e[1]) + " colours " + std::to_string(e[2]) +
                             " bits " + std::to_string(e[6] | e[7] << 8));
        }
        EXPECT_EQ(images, (std::vector<std::string>{"32x32 colours 16 bits 4", "16x16 colours 16 bits 4"}));
        FreeLibrary(module);
    }
}

} // namespace
