// The list picker without windows: the lists the form cannot walk, what
// each way of ending the dialog reports.

#include "list/CustomList.h"
#include "list/frmCustomList.h"
#include "support/dialogs.h"
#include "support/string_arrays.h"
#include "support/windowless.h"

#include <gtest/gtest.h>

#include <optional>
#include <thread>

using namespace client;
using namespace lists;

// The list (none: none put on the thread) and the error; each shown on a
// thread of its own, every property as it was.
TEST(CustomList, ListsTheFormCannotWalkEndTheShow)
{
    const std::pair<std::optional<Variant>, int> cases[] = {
        {std::nullopt, 9}, {Holding(SafeArray()), 9}, {Holding(Strings2D(3, 2)), 9},
        {Holding(Numbered(-32769, 2)), 6}, {Holding(Numbered(32767, 2)), 6}, // bounds past 16 bits
        {Holding(Numbered(32760, 8)), 6}, {Holding(Numbered(-16384, 32768)), 6}, // to 32767; 32768 items
    };
    for (const auto& [list, number] : cases) {
        SCOPED_TRACE(testing::Message() << "case " << &list - &cases[0].first);
        std::thread([&] {
            ComPtr<IDispatch> o = windowless::New<CustomList>();
            if (list) Put(o.get(), L"ListArray", list->get());
            PutShort(o.get(), L"ListIndex", 7);
            const auto before = reliability::Snapshot(o.get());
            ExpectError(windowless::Show<frmCustomList>(o.get(), [](frmCustomList&) { ADD_FAILURE(); }), number,
                        L"VELDLG", number == 9 ? L"Subscript out of range" : L"Overflow");
            EXPECT_EQ(reliability::Snapshot(o.get()), before);
        }).join();
    }
}

// The items and their lower bound, the item selected (-1: none), how the
// dialog ends, the result, and the "No Item Selected" boxes before it ends;
// all on one thread, each list replacing the one before.
enum class Act { Enter, Escape, DoubleClick, Close };

TEST(CustomList, EveryWayOfEndingTheDialog)
{
    const std::wstring kNoSelection = L"Highlight an item before clicking Select\nor click Cancel to quit"
                                      L"|No Item Selected|" + std::to_wstring(MB_OK | MB_ICONINFORMATION);
    const std::vector<std::wstring> colours{L"Red", L"Green", L"Blue"};
    const std::tuple<std::vector<std::wstring>, LONG, short, Act, const wchar_t*, size_t> cases[] = {
        {colours, 0, 1, Act::Close, L"|0", 0}, // the thread's first dialog: none picked before
        {colours, 5, 1, Act::Enter, L"Green|6", 0}, {colours, -32768, 2, Act::DoubleClick, L"Blue|-32766", 0},
        {{L"  two  ", L"x"}, 0, 0, Act::Enter, L"  two  |0", 0}, // spaces are kept
        {colours, 0, 1, Act::Escape, L"NONE SELECTED|-1", 0}, {colours, 0, -1, Act::Enter, L"NONE SELECTED|-1", 1},
        {{L"   ", L"x"}, 0, 0, Act::Enter, L"NONE SELECTED|-1", 1}, {{}, 0, -1, Act::Enter, L"NONE SELECTED|-1", 1},
        {{L"", L"x"}, 0, 0, Act::DoubleClick, L"NONE SELECTED|-1", 1},
    };
    for (const auto& [items, lower, selected, act, result, boxes] : cases) {
        SCOPED_TRACE(testing::Message() << "case " << &items - &std::get<0>(cases[0]));
        ComPtr<IDispatch> o = windowless::New<CustomList>();
        Put(o.get(), L"ListArray", StringList(items, lower).get());
        windowless::Boxes shown;
        EXPECT_EQ(windowless::Show<frmCustomList>(o.get(), [&](frmCustomList& f) {
            if (selected >= 0) f.List1.ListIndex(selected);
            if (act == Act::DoubleClick) f.List1.DblClick();
            if (act == Act::Close) f.Unload();
            if (act == Act::Enter) f.KeyDown(VK_RETURN, 0); // presses Select
            if (f.Visible()) f.KeyDown(VK_ESCAPE, 0); // Escape, or after a message box
        }, &shown).hr, S_OK);
        EXPECT_EQ(GetText(o.get(), L"ListItem") + L"|" + std::to_wstring(GetShort(o.get(), L"ListIndex")), result);
        EXPECT_EQ(shown.size(), boxes);
        for (const auto& box : shown)
            EXPECT_EQ(box.prompt + L"|" + box.title + L"|" + std::to_wstring(box.style), kNoSelection);
    }
}
