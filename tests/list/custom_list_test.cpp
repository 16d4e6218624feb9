// The list picker without windows: the lists the form cannot walk, what
// each way of ending the dialog reports, and the list that the objects of a
// thread share, which only arrays of strings replace.

#include "list/CustomList.h"
#include "list/frmCustomList.h"
#include "support/string_arrays.h"
#include "support/windowless.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <thread>
#include <vector>

namespace {

using namespace client;
using namespace lists;
using windowless::New;

const std::wstring kNoSelection = L"Highlight an item before clicking Select\nor click Cancel to quit"
                                  L"|No Item Selected|" + std::to_wstring(MB_OK | MB_ICONINFORMATION);

TEST(CustomList, ListsTheFormCannotWalkEndTheShow)
{
    const struct {
        const char* name;
        std::optional<Variant> list; // none: no list put on this thread
        int number;
    } cases[] = {
        {"no list", std::nullopt, 9},
        {"an array without bounds", Holding(SafeArray()), 9},
        {"two dimensions", Holding(Strings2D(3, 2)), 9},
        {"lower bound below 16 bits", Holding(Numbered(-32769, 2)), 6},
        {"upper bound past 16 bits", Holding(Numbered(32767, 2)), 6},
        {"upper bound 32767", Holding(Numbered(32760, 8)), 6},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        std::thread([&] {
            ComPtr<IDispatch> o = New<CustomList>();
            if (c.list) Put(o.get(), L"ListArray", c.list->get());
            PutShort(o.get(), L"ListIndex", 7);
            for (int show = 1; show <= 2; ++show) {
                ExpectError(windowless::Show<frmCustomList>(o.get(), [](frmCustomList&) { ADD_FAILURE(); }),
                            c.number, L"VELDLG", c.number == 9 ? L"Subscript out of range" : L"Overflow");
                EXPECT_EQ(GetShort(o.get(), L"ListIndex"), 7);
            }
        }).join();
    }
}

enum class Act { Enter, Escape, DoubleClick, Close };

TEST(CustomList, EveryWayOfEndingTheDialog)
{
    const std::vector<std::wstring> colours{L"Red", L"Green", L"Blue"};
    const struct {
        std::vector<std::wstring> items;
        LONG lower;
        short selected; // in the list, -1 for none
        Act act;
        short index;
        const wchar_t* item;
        size_t boxes; // "No Item Selected" message boxes before the dialog ends
    } cases[] = {
        {colours, 5, 1, Act::Enter, 6, L"Green", 0},
        {colours, -32768, 2, Act::DoubleClick, -32766, L"Blue", 0},
        {{L"  two  ", L"x"}, 0, 0, Act::Enter, 0, L"  two  ", 0}, // spaces are kept
        {colours, 0, 1, Act::Escape, -1, L"NONE SELECTED", 0},
        {colours, 0, -1, Act::Enter, -1, L"NONE SELECTED", 1},
        {{L"   ", L"x"}, 0, 0, Act::Enter, -1, L"NONE SELECTED", 1},
        {{L"", L"x"}, 0, 0, Act::DoubleClick, -1, L"NONE SELECTED", 1},
        {{}, 0, -1, Act::Enter, -1, L"NONE SELECTED", 1},
        {colours, 0, 1, Act::Close, 0, L"", 0}, // the close box first
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "case " << &c - cases);
        std::thread([&] {
            ComPtr<IDispatch> o = New<CustomList>();
            Put(o.get(), L"ListArray", StringList(c.items, c.lower).get());
            windowless::Boxes boxes;
            const Outcome r = windowless::Show<frmCustomList>(o.get(), [&](frmCustomList& f) {
                EXPECT_EQ(f.Caption(), L"Select");
                if (c.selected >= 0) f.List1.ListIndex(c.selected);
                if (c.act == Act::DoubleClick) f.List1.DblClick();
                if (c.act == Act::Close) f.Unload();
                if (c.act == Act::Enter) f.KeyDown(VK_RETURN, 0); // presses Select
                if (f.Visible()) f.KeyDown(VK_ESCAPE, 0); // Escape, or after a message box
            }, &boxes);
            EXPECT_EQ(r.hr, S_OK);
            EXPECT_EQ(GetShort(o.get(), L"ListIndex"), c.index);
            EXPECT_EQ(GetText(o.get(), L"ListItem"), c.item);
            ASSERT_EQ(boxes.size(), c.boxes);
            for (const auto& box : boxes)
                EXPECT_EQ(box.prompt + L"|" + box.title + L"|" + std::to_wstring(box.style), kNoSelection);
        }).join();
    }
}

TEST(CustomList, ObjectsOfOneThreadShareTheList)
{
    ComPtr<IDispatch> a = New<CustomList>(), b = New<CustomList>();
    Put(a.get(), L"ListArray", StringList({L"one", L"two"}, 1).get());
    // Refused, and the list stays. Arrays of Variants, as scripts build them,
    // are checked from VBScript.
    for (const Variant& refused : {Holding(Variants({L"Red"}), VT_BSTR), Str(L"Red,Green")})
        ExpectError(Put(a.get(), L"ListArray", refused.get()), 13, L"VELDLG", L"Type mismatch");
    Put(b.get(), L"FormCaption", Str(L"Pick one").get());
    for (int show = 1; show <= 2; ++show) { // filled afresh each time
        windowless::Show<frmCustomList>(b.get(), [](frmCustomList& f) {
            EXPECT_EQ(f.Caption() + L"|" + f.List1.AccessibleName(), L"Pick one|Pick one");
            f.List1.ListIndex(1);
            f.cmdSelect.Press();
        });
        EXPECT_EQ(GetShort(b.get(), L"ListIndex"), 2);
        EXPECT_EQ(GetText(b.get(), L"ListItem"), L"two");
    }
    // The close box: the result the form recorded last.
    windowless::Show<frmCustomList>(a.get(), [](frmCustomList& f) { f.Unload(); });
    EXPECT_EQ(GetText(a.get(), L"ListItem"), L"two");
}

} // namespace
