// The list picker as a user meets it: the real window and its controls, the
// list filled from the client's array, and the dialog ended by clicks, keys
// or the close box through the real input queue.

#include "support/string_arrays.h"
#include "support/robot.h"
#include "veldlg_h.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <thread>
#include <vector>

namespace {

using namespace client;
using namespace lists;
using Items = std::vector<std::wstring>;

constexpr wchar_t kProgId[] = L"VELDLG.CustomList";
constexpr wchar_t kPrompt[] = L"Highlight an item before clicking Select\nor click Cancel to quit";
const Items kColours = {L"Red", L"Green", L"Blue"};

class ListDialogTest : public testing::Test {
protected:
    Apartment apartment;
};

short ListIndex(IDispatch* o)
{
    const Outcome r = Get(o, L"ListIndex");
    EXPECT_EQ(r.value.vt(), VT_I2);
    return V_I2(&r.value.get());
}

std::wstring ListItem(IDispatch* o)
{
    const Outcome r = Get(o, L"ListItem");
    EXPECT_EQ(r.value.vt(), VT_BSTR);
    return r.value.vt() == VT_BSTR ? std::wstring(Bstr::View(V_BSTR(&r.value.get()))) : L"<not a string>";
}

void PutList(IDispatch* o, const Items& items, LONG lower = 0)
{
    ASSERT_EQ(Put(o, L"ListArray", StringList(items, lower).get()).hr, S_OK);
}

void Show(IDispatch* o, const std::function<void(HWND)>& act)
{
    robot::WithDialog([&] { EXPECT_EQ(Call(o, L"ShowForm").hr, S_OK); }, act);
}

HWND ListBoxOf(HWND dialog)
{
    const std::vector<HWND> lists = robot::Children(dialog, L"ListBox");
    EXPECT_EQ(lists.size(), 1u);
    return lists.empty() ? nullptr : lists[0];
}

HWND SelectButton(HWND dialog)
{
    return robot::Child(dialog, L"&SELECT", L"Button");
}

Items ItemsOf(HWND list)
{
    Items out;
    const auto n = SendMessageW(list, LB_GETCOUNT, 0, 0);
    for (LRESULT i = 0; i < n; ++i) {
        std::wstring text(static_cast<size_t>(SendMessageW(list, LB_GETTEXTLEN, i, 0)) + 1, L'\0');
        text.resize(static_cast<size_t>(SendMessageW(list, LB_GETTEXT, i, reinterpret_cast<LPARAM>(text.data()))));
        out.push_back(text);
    }
    return out;
}

HWND Focus(HWND dialog)
{
    robot::Settle(dialog);
    GUITHREADINFO gui{sizeof gui};
    GetGUIThreadInfo(GetWindowThreadProcessId(dialog, nullptr), &gui);
    return gui.hwndFocus;
}

TEST_F(ListDialogTest, TheDesignedWindow)
{
    ComPtr<IDispatch> o = Create(kProgId);
    ASSERT_EQ(Put(o.get(), L"FormCaption", Str(L"").get()).hr, S_OK);
    PutList(o.get(), kColours);
    // ListIndex preselects nothing: the dialog's result replaces it.
    ASSERT_EQ(Put(o.get(), L"ListIndex", I2(1).get()).hr, S_OK);
    Show(o.get(), [](HWND dialog) {
        EXPECT_EQ(robot::Text(dialog), L"Select");
        const SIZE client = robot::ClientSize(dialog);
        EXPECT_EQ(client.cx, robot::Px(dialog, 4305));
        EXPECT_EQ(client.cy, robot::Px(dialog, 2910));
        const LONG style = GetWindowLongW(dialog, GWL_STYLE);
        EXPECT_TRUE(style & WS_THICKFRAME) << "a resizable border";
        EXPECT_TRUE(style & WS_SYSMENU) << "a close box";
        EXPECT_FALSE(style & (WS_MINIMIZEBOX | WS_MAXIMIZEBOX)) << "no minimise or maximise box";
        for (auto [kind, size] : {std::pair{ICON_BIG, 32}, std::pair{ICON_SMALL, 16}}) {
            const auto icon = reinterpret_cast<HICON>(SendMessageW(dialog, WM_GETICON, kind, 0));
            ICONINFO info{};
            ASSERT_TRUE(icon && GetIconInfo(icon, &info)) << "icon " << kind;
            BITMAP colour{};
            GetObjectW(info.hbmColor, sizeof colour, &colour);
            EXPECT_EQ(colour.bmWidth, size) << "icon " << kind;
            DeleteObject(info.hbmColor);
            DeleteObject(info.hbmMask);
        }

        // The controls in tab order, where the design puts them.
        const std::vector<HWND> controls = robot::Children(dialog);
        ASSERT_EQ(controls.size(), 3u);
        const HWND list = controls[0], select = controls[1], cancel = controls[2];
        EXPECT_EQ(robot::ClassOf(list), L"ListBox");
        EXPECT_EQ(robot::Text(select), L"&SELECT");
        EXPECT_EQ(robot::Text(cancel), L"CANC&EL");
        const struct {
            HWND control;
            int left, top, width, height;
            const wchar_t* tip;
        } places[] = {{list, 120, 120, 2895, 2595, L"Make your selection"},
                      {select, 3120, 120, 1095, 315, L"Accept"},
                      {cancel, 3120, 600, 1095, 315, L"Cancel"}};
        for (const auto& p : places) {
            SCOPED_TRACE(testing::PrintToString(robot::Text(p.control)));
            const RECT r = robot::PlaceIn(p.control, dialog);
            EXPECT_EQ(r.left, robot::Px(dialog, p.left));
            EXPECT_EQ(r.top, robot::Px(dialog, p.top));
            EXPECT_EQ(r.right - r.left, robot::Px(dialog, p.width));
            // A list box shows whole rows: it may be up to one row shorter.
            const int height = r.bottom - r.top, designed = robot::Px(dialog, p.height);
            const auto row = static_cast<int>(SendMessageW(list, LB_GETITEMHEIGHT, 0, 0));
            EXPECT_TRUE(height <= designed && height > designed - row) << height << " for " << designed;
            EXPECT_EQ(robot::ToolTipOf(dialog, p.control), p.tip);
        }

        EXPECT_EQ(ItemsOf(list), kColours);
        EXPECT_EQ(SendMessageW(list, LB_GETCURSEL, 0, 0), LB_ERR) << "an item is selected";
        EXPECT_TRUE(SendMessageW(select, WM_GETDLGCODE, 0, 0) & DLGC_DEFPUSHBUTTON) << "Select is not the default";
        EXPECT_EQ(Focus(dialog), list) << "focus starts in the list";
        for (HWND next : {select, cancel, list}) {
            robot::Press(VK_TAB);
            EXPECT_EQ(Focus(dialog), next) << "Tab to " << testing::PrintToString(robot::Text(next));
        }
        robot::Press(VK_ESCAPE);
    });
    EXPECT_EQ(ListIndex(o.get()), -1);
}

TEST_F(ListDialogTest, TitleIsTheCaptionPutOrElseSelect)
{
    ComPtr<IDispatch> o = Create(kProgId);
    PutList(o.get(), kColours);
    for (const wchar_t* caption : {L"Pick a Colour", L""}) {
        ASSERT_EQ(Put(o.get(), L"FormCaption", Str(caption).get()).hr, S_OK);
        const std::wstring expected = *caption ? caption : L"Select";
        Show(o.get(), [&](HWND dialog) {
            EXPECT_EQ(robot::Text(dialog), expected);
            robot::Press(VK_ESCAPE);
        });
    }
}

enum class Act { ClickSelect, DoubleClick, EnterAfterKeys, EnterAfterClick, AltS, ClickCancel, Escape, AltE };

void Perform(HWND dialog, Act act, int position)
{
    const HWND list = ListBoxOf(dialog);
    switch (act) {
    case Act::ClickSelect:
        robot::ClickListItem(list, position);
        robot::Click(SelectButton(dialog));
        break;
    case Act::DoubleClick: robot::DoubleClick(list, robot::ListItemCentre(list, position)); break;
    case Act::EnterAfterKeys:
        // Focus starts in the list: Home selects the first item.
        robot::Press(VK_HOME);
        for (int i = 0; i < position; ++i) robot::Press(VK_DOWN);
        robot::Press(VK_RETURN);
        break;
    case Act::EnterAfterClick:
        robot::ClickListItem(list, position);
        robot::Press(VK_RETURN);
        break;
    case Act::AltS:
        robot::ClickListItem(list, position);
        robot::Press('S', {VK_MENU});
        break;
    case Act::ClickCancel:
        robot::ClickListItem(list, position);
        robot::Click(robot::Child(dialog, L"CANC&EL", L"Button"));
        break;
    case Act::Escape:
        robot::ClickListItem(list, position);
        robot::Press(VK_ESCAPE);
        break;
    case Act::AltE:
        robot::ClickListItem(list, position);
        robot::Press('E', {VK_MENU});
        break;
    }
}

struct ChoiceCase {
    const char* name;
    Items items;
    LONG lower;
    Act act;
    int position; // in the list, from 0
    short index;
    const wchar_t* item;
};

TEST_F(ListDialogTest, ChoosingReportsTheIndexInTheClientsArray)
{
    const ChoiceCase cases[] = {
        {"lower bound 0", kColours, 0, Act::ClickSelect, 1, 1, L"Green"},
        {"lower bound 1", kColours, 1, Act::ClickSelect, 2, 3, L"Blue"},
        {"lower bound 5", kColours, 5, Act::ClickSelect, 1, 6, L"Green"},
        {"lowest lower bound", kColours, -32768, Act::ClickSelect, 2, -32766, L"Blue"},
        {"highest index", {L"x", L"y", L"z"}, 32764, Act::ClickSelect, 2, 32766, L"z"},
        {"double click", kColours, 0, Act::DoubleClick, 2, 2, L"Blue"},
        {"Enter in the list", kColours, 0, Act::EnterAfterKeys, 1, 1, L"Green"},
        {"Enter after a click", kColours, 3, Act::EnterAfterClick, 0, 3, L"Red"},
        {"access key of Select", kColours, 0, Act::AltS, 0, 0, L"Red"},
        {"leading spaces kept", {L"  Red", L"Green"}, 0, Act::ClickSelect, 0, 0, L"  Red"},
        {"trailing spaces kept", {L"Red", L"Green  "}, 0, Act::ClickSelect, 1, 1, L"Green  "},
        {"a tab is text", {L"\t", L"Green"}, 0, Act::EnterAfterClick, 0, 0, L"\t"},
        {"Cancel", kColours, 0, Act::ClickCancel, 1, -1, L"NONE SELECTED"},
        {"Escape", kColours, 0, Act::Escape, 1, -1, L"NONE SELECTED"},
        {"access key of Cancel", kColours, 0, Act::AltE, 1, -1, L"NONE SELECTED"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ComPtr<IDispatch> o = Create(kProgId);
        PutList(o.get(), c.items, c.lower);
        Show(o.get(), [&](HWND dialog) {
            EXPECT_EQ(ItemsOf(ListBoxOf(dialog)), c.items);
            Perform(dialog, c.act, c.position);
        });
        EXPECT_EQ(ListIndex(o.get()), c.index);
        EXPECT_EQ(ListItem(o.get()), c.item);
    }
}

// Reads the "No Item Selected" box, answers it, and checks that the dialog
// is still there and takes input again.
void AnswerNoSelectionBox(HWND dialog)
{
    const DWORD thread = GetWindowThreadProcessId(dialog, nullptr);
    const HWND box = robot::WaitForMessageBox(thread);
    ASSERT_TRUE(box) << "no message box";
    EXPECT_EQ(robot::Text(box), L"No Item Selected");
    EXPECT_TRUE(robot::Child(box, kPrompt, L"Static")) << "the two-line prompt";
    const std::vector<HWND> buttons = robot::Children(box, L"Button");
    ASSERT_EQ(buttons.size(), 1u);
    EXPECT_EQ(robot::Text(buttons[0]), L"OK");
    HICON icon = nullptr;
    for (HWND s : robot::Children(box, L"Static"))
        if ((GetWindowLongW(s, GWL_STYLE) & SS_TYPEMASK) == SS_ICON)
            icon = reinterpret_cast<HICON>(SendMessageW(s, STM_GETICON, 0, 0));
    EXPECT_EQ(icon, LoadIconW(nullptr, IDI_INFORMATION)) << "the information icon";
    robot::Press(VK_RETURN);
    EXPECT_TRUE(robot::WaitUntilGone(box));
    EXPECT_EQ(robot::WaitForForm(thread), dialog) << "the dialog is not open and ready";
}

enum class Then { CloseBox, ChooseGreen };

struct NoSelectionCase {
    const char* name;
    std::function<Variant()> list;
    Act act;
    int position; // -1: select nothing
    Then then;
};

TEST_F(ListDialogTest, ConfirmingNoSelectionAsksAndKeepsTheDialogOpen)
{
    const auto colours = [] { return StringList(kColours); };
    const auto blanks = [] { return StringList({L"Red", L"   ", L""}); };
    const NoSelectionCase cases[] = {
        {"nothing selected, Select", colours, Act::ClickSelect, -1, Then::CloseBox},
        {"nothing selected, Enter", colours, Act::EnterAfterClick, -1, Then::ChooseGreen},
        {"an item of spaces", blanks, Act::ClickSelect, 1, Then::CloseBox},
        {"an empty item", blanks, Act::EnterAfterClick, 2, Then::CloseBox},
        {"double click on spaces", blanks, Act::DoubleClick, 1, Then::CloseBox},
        {"an empty array", [] { return Holding(Numbered(0, 0)); }, Act::ClickSelect, -1, Then::CloseBox},
        {"an empty array, Enter", [] { return Holding(Numbered(0, 0)); }, Act::EnterAfterClick, -1, Then::CloseBox},
        {"two dimensions, the first empty", [] { return Holding(Strings2D(0, 3)); }, Act::ClickSelect, -1,
         Then::CloseBox},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ComPtr<IDispatch> o = Create(kProgId);
        ASSERT_EQ(Put(o.get(), L"ListArray", c.list().get()).hr, S_OK);
        // Known results on this thread's form, which the close box hands back.
        Show(o.get(), [](HWND) { robot::Press(VK_ESCAPE); });
        Show(o.get(), [&](HWND dialog) {
            const HWND list = ListBoxOf(dialog);
            if (c.position < 0) {
                // A click on the list's empty space or on the Select button selects nothing.
                if (c.act == Act::ClickSelect)
                    robot::Click(SelectButton(dialog));
                else
                    robot::Press(VK_RETURN);
            } else {
                Perform(dialog, c.act, c.position);
            }
            AnswerNoSelectionBox(dialog);
            if (c.then == Then::CloseBox) {
                robot::ClickCloseBox(dialog);
            } else {
                robot::ClickListItem(list, 1);
                robot::Click(SelectButton(dialog));
            }
        });
        if (c.then == Then::CloseBox) {
            EXPECT_EQ(ListIndex(o.get()), -1) << "something was stored";
            EXPECT_EQ(ListItem(o.get()), L"NONE SELECTED");
        } else {
            EXPECT_EQ(ListIndex(o.get()), 1);
            EXPECT_EQ(ListItem(o.get()), L"Green");
        }
    }
}

TEST_F(ListDialogTest, CloseBoxHandsBackWhatTheFormHeld)
{
    std::thread fresh([] {
        Apartment apartment;
        ComPtr<IDispatch> o = Create(kProgId);
        PutList(o.get(), kColours);
        ASSERT_EQ(Put(o.get(), L"ListIndex", I2(7).get()).hr, S_OK);
        ASSERT_EQ(Put(o.get(), L"ListItem", Str(L"seven").get()).hr, S_OK);
        Show(o.get(), [](HWND dialog) {
            robot::ClickListItem(ListBoxOf(dialog), 2);
            robot::ClickCloseBox(dialog);
        });
        EXPECT_EQ(ListIndex(o.get()), 0);
        EXPECT_EQ(ListItem(o.get()), L"");

        // After a choice, closing gives that choice again, to any object.
        Show(o.get(), [](HWND dialog) { robot::DoubleClick(ListBoxOf(dialog), robot::ListItemCentre(ListBoxOf(dialog), 1)); });
        ComPtr<IDispatch> other = Create(kProgId);
        Show(other.get(), [](HWND dialog) { robot::ClickCloseBox(dialog); });
        EXPECT_EQ(ListIndex(other.get()), 1);
        EXPECT_EQ(ListItem(other.get()), L"Green");
    });
    fresh.join();
}

TEST_F(ListDialogTest, ObjectsOnOneThreadShareOneList)
{
    ComPtr<IDispatch> a = Create(kProgId);
    ComPtr<IDispatch> b = Create(kProgId);
    PutList(a.get(), kColours);
    // B never put a list: it shows A's, afresh on every show.
    for (int show = 0; show < 2; ++show) {
        Show(b.get(), [](HWND dialog) {
            EXPECT_EQ(ItemsOf(ListBoxOf(dialog)), kColours);
            robot::ClickListItem(ListBoxOf(dialog), 0);
            robot::Press(VK_RETURN);
        });
    }
    EXPECT_EQ(ListItem(b.get()), L"Red");
    EXPECT_EQ(ListItem(a.get()), L"") << "a dialog shown through B changed A";

    PutList(b.get(), {L"X", L"Y"}, 10);
    Show(a.get(), [](HWND dialog) {
        EXPECT_EQ(ItemsOf(ListBoxOf(dialog)), (Items{L"X", L"Y"}));
        robot::ClickListItem(ListBoxOf(dialog), 1);
        robot::Press(VK_RETURN);
    });
    EXPECT_EQ(ListIndex(a.get()), 11);
    EXPECT_EQ(ListIndex(b.get()), 0);
}

TEST_F(ListDialogTest, EveryFormOfArrayOfStringsIsTakenAndCopied)
{
    SafeArray byRefArray = Strings(kColours, 2);
    SAFEARRAY* byRefTarget = byRefArray.get();
    Variant variantTarget = StringList(kColours, 2);

    VARIANT arrayByRef;
    V_VT(&arrayByRef) = VT_ARRAY | VT_BSTR | VT_BYREF;
    V_ARRAYREF(&arrayByRef) = &byRefTarget;
    VARIANT variantByRef;
    V_VT(&variantByRef) = VT_VARIANT | VT_BYREF;
    V_VARIANTREF(&variantByRef) = const_cast<VARIANT*>(&variantTarget.get());
    const Variant direct = StringList(kColours, 2);

    const struct {
        const char* name;
        const VARIANT& value;
        bool earlyBound;
    } forms[] = {{"an array", direct.get(), false},
                 {"an array by reference", arrayByRef, false},
                 {"a variant by reference", variantByRef, false},
                 {"early bound, by reference", arrayByRef, true}};
    const auto setFirst = [&](const wchar_t* text) {
        LONG first = 2;
        const Bstr value(text);
        ASSERT_EQ(SafeArrayPutElement(byRefTarget, &first, value.get()), S_OK);
        ASSERT_EQ(SafeArrayPutElement(V_ARRAY(&variantTarget.get()), &first, value.get()), S_OK);
    };
    for (const auto& f : forms) {
        SCOPED_TRACE(f.name);
        ComPtr<IDispatch> o = Create(kProgId);
        setFirst(L"Red");
        if (f.earlyBound) {
            ComPtr<_CustomList> early;
            ASSERT_EQ(o->QueryInterface(IID__CustomList, early.put_void()), S_OK);
            ASSERT_EQ(early->put_ListArray(f.value), S_OK);
        } else {
            ASSERT_EQ(Put(o.get(), L"ListArray", f.value).hr, S_OK);
        }
        // The form keeps its own copy: what the client changes later is not shown.
        setFirst(L"Changed");
        Show(o.get(), [](HWND dialog) {
            EXPECT_EQ(ItemsOf(ListBoxOf(dialog)), kColours);
            robot::ClickListItem(ListBoxOf(dialog), 0);
            robot::Press(VK_RETURN);
        });
        EXPECT_EQ(ListIndex(o.get()), 2);
        EXPECT_EQ(ListItem(o.get()), L"Red");
    }
}

TEST_F(ListDialogTest, RefusedAndFailedListsLoseNothing)
{
    ComPtr<IDispatch> o = Create(kProgId);
    PutList(o.get(), kColours);
    const Variant variants = Holding(Variants({L"X", L"Y"}), VT_VARIANT);
    EXPECT_EQ(Put(o.get(), L"ListArray", variants.get()).number(), 13);
    Show(o.get(), [](HWND dialog) {
        EXPECT_EQ(ItemsOf(ListBoxOf(dialog)), kColours) << "the refused list replaced the list";
        robot::Press(VK_ESCAPE);
    });

    // A list that fails to load leaves the form ready for the next one.
    ASSERT_EQ(Put(o.get(), L"ListArray", Holding(Strings2D(2, 2)).get()).hr, S_OK);
    robot::WithDialog([&] { EXPECT_EQ(Call(o.get(), L"ShowForm").number(), 9); },
                      [](HWND) {
                          ADD_FAILURE() << "a list of two dimensions showed";
                          robot::Press(VK_ESCAPE);
                      });
    PutList(o.get(), {L"A", L"B"}, 1);
    Show(o.get(), [](HWND dialog) {
        EXPECT_EQ(ItemsOf(ListBoxOf(dialog)), (Items{L"A", L"B"}));
        robot::ClickListItem(ListBoxOf(dialog), 1);
        robot::Click(SelectButton(dialog));
    });
    EXPECT_EQ(ListIndex(o.get()), 2);
    EXPECT_EQ(ListItem(o.get()), L"B");
}

} // namespace
