// What only real windows show, through the registered DLL and the real input
// queue: places in pixels from the designed twips at two DPIs, tab order and
// focus, default, cancel and access keys, the close box, the calendar, tool
// tips, the real message box, the current look, names for screen readers,
// and each dialog ended as its user ends it, with modality and re-entrancy.

#include "support/dialogs.h"
#include "support/robot.h"
#include "support/test_files.h"
#include "support/wine.h"

#include <oleacc.h>

#include <gtest/gtest.h>

#include <array>
#include <string>
#include <utility>
#include <vector>

namespace {

using namespace client;
using reliability::Dialogs;

class Windows : public testing::Test {
protected:
    Apartment apartment;
};

HWND FocusOf(HWND dialog)
{
    GUITHREADINFO info{sizeof info};
    GetGUIThreadInfo(GetWindowThreadProcessId(dialog, nullptr), &info);
    return info.hwndFocus;
}

std::array<LONG, 4> Edges(RECT r)
{
    return {r.left, r.top, r.right, r.bottom};
}

ComPtr<IDispatch> Message(const wchar_t* captions, short count, short defaultButton, short cancelButton)
{
    ComPtr<IDispatch> o = Create(L"VELDLG.CustomMessage");
    Put(o.get(), L"ButtonCaptions", Str(captions).get());
    PutShort(o.get(), L"NumButtons", count);
    PutShort(o.get(), L"DefaultButton", defaultButton);
    PutShort(o.get(), L"Cancelbutton", cancelButton);
    Put(o.get(), L"Message", Str(L"Body").get());
    return o;
}

// In a per-monitor aware host a dialog moved to a monitor of another DPI is
// laid out again at that DPI, where the system suggests.
void MoveToA192DpiMonitor(HWND dialog)
{
    RECT suggested{10, 20, 500, 400};
    SendMessageW(dialog, WM_DPICHANGED, MAKEWPARAM(192, 192), reinterpret_cast<LPARAM>(&suggested));
    robot::Settle(dialog);
}

// Every control stands where its twips put it, at the display's DPI and
// again after a move to a monitor of 192 DPI.
TEST_F(Windows, PlacesAtTwoDpisTabOrderAndFocus)
{
    ComPtr<IDispatch> o = Message(L"&Yes,&No,Maybe,Cancel", 4, 2, 4);
    robot::WithDialog([&] { Call(o.get(), L"ShowForm"); }, [](HWND d) {
        const std::vector<HWND> children = robot::Children(d);
        const RECT twips[] = {{420, 180, 5595, 1215}, {382, 1440, 2017, 1815}, {2167, 1440, 3802, 1815},
                              {3952, 1440, 5587, 1815}, {2167, 1920, 3802, 2295}};
        ASSERT_EQ(children.size(), std::size(twips));
        EXPECT_EQ(robot::Text(children[0]), L"Body");
        EXPECT_EQ(FocusOf(d), children[2]) << "the default button";
        EXPECT_EQ(GetWindowLongW(children[2], GWL_STYLE) & 0xF, BS_DEFPUSHBUTTON);
        EXPECT_EQ(GetNextDlgTabItem(d, children[4], FALSE), children[1]) << "Tab after the last button";
        for (const int dpi : {robot::Px(d, 1440), 192}) {
            if (dpi == 192) MoveToA192DpiMonitor(d);
            const auto px = [dpi](LONG t) { return MulDiv(t, dpi, 1440); };
            for (size_t i = 0; i < children.size(); ++i) {
                const RECT t = twips[i];
                EXPECT_EQ(Edges(robot::PlaceIn(children[i], d)), Edges({px(t.left), px(t.top), px(t.right), px(t.bottom)}))
                    << "control " << i << " at " << dpi << " DPI";
            }
            EXPECT_EQ(robot::ClientSize(d).cx, px(6015));
        }
        RECT r;
        GetWindowRect(d, &r);
        EXPECT_EQ((std::pair<LONG, LONG>(r.left, r.top)), (std::pair<LONG, LONG>(10, 20))) << "where the system suggested";
        robot::Press(VK_ESCAPE);
    });
    EXPECT_EQ(GetShort(o.get(), L"ButtonResultValue"), 4);

    ComPtr<IDispatch> dates = Create(L"VELDLG.DateRange");
    robot::WithDialog([&] { Call(dates.get(), L"ShowForm"); }, [](HWND d) {
        // The fields stand inside the frame, in its coordinates, and come first in tab order.
        const std::vector<HWND> fields = robot::Children(d, L"VELDLG.DateField");
        ASSERT_EQ(fields.size(), 2u);
        EXPECT_EQ(robot::PlaceIn(fields[1], d).left, robot::Px(d, 120 + 3840));
        EXPECT_EQ(robot::PlaceIn(fields[1], d).top, robot::Px(d, 120 + 240));
        EXPECT_EQ(FocusOf(d), fields[0]);
        robot::Press(VK_TAB);
        robot::Settle(d);
        EXPECT_EQ(FocusOf(d), fields[1]);
        robot::Press(VK_ESCAPE);
    });
}

// A dialog larger than the work area at the new DPI is laid out at a lower
// DPI until it fits.
TEST_F(Windows, ADialogTooLargeForTheNewDpiFits)
{
    ComPtr<IDispatch> grid = Create(L"VELDLG.LabelStartPosition");
    PutShort(grid.get(), L"NumRows", 20);
    PutShort(grid.get(), L"NumColumns", 10);
    robot::WithDialog([&] { Call(grid.get(), L"ShowForm"); }, [&](HWND d) {
        MoveToA192DpiMonitor(d);
        RECT r, work;
        GetWindowRect(d, &r);
        SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
        EXPECT_LE(r.bottom - r.top, work.bottom - work.top) << "taller than the work area";
        EXPECT_GT(robot::ClientSize(d).cx, robot::Px(d, 11000)) << "not laid out again";
        const RECT last = robot::PlaceIn(robot::Child(d, L"10, 20", L"Button"), d);
        EXPECT_LE(last.bottom, robot::ClientSize(d).cy);
        EXPECT_LE(last.right, robot::ClientSize(d).cx);
        EXPECT_GT(last.top, robot::PlaceIn(robot::Child(d, L"10, 19", L"Button"), d).bottom);
        robot::ClickCloseBox(d);
    });
}

// The date field's calendar drop-down: F4 opens it on the field's day, the
// arrows move the day and Enter takes it; Escape leaves the field as it was;
// F3 puts today's date.
TEST_F(Windows, TheCalendarSetsTheField)
{
    ComPtr<IDispatch> o = Create(L"VELDLG.DateRange");
    Put(o.get(), L"BeginDate", Date(45477).get()); // 4 July 2024
    Put(o.get(), L"EndDate", Date(45477).get());
    std::vector<std::wstring> shown;
    robot::WithDialog([&] { Call(o.get(), L"ShowForm"); }, [&](HWND d) {
        const HWND field = robot::Children(d, L"VELDLG.DateField").front();
        for (const auto& keys : std::vector<std::vector<WORD>>{{VK_F4, VK_RIGHT, VK_RETURN}, {VK_F4, VK_DOWN, VK_ESCAPE}, {VK_F3}}) {
            for (WORD k : keys) robot::Press(k);
            robot::Settle(d);
            shown.push_back(robot::Text(field));
        }
        robot::Press(VK_ESCAPE);
    });
    wchar_t today[16];
    GetDateFormatW(LOCALE_INVARIANT, 0, nullptr, L"MM'/'dd'/'yyyy", today, 16);
    EXPECT_EQ(shown, (std::vector<std::wstring>{L"07/05/2024", L"07/05/2024", today}));
}

TEST_F(Windows, KeysAndTheCloseBox)
{
    const struct {
        const char* name;
        short defaultButton, cancelButton;
        WORD key, modifier; // 0: the close box
        short value;
    } cases[] = {
        {"Enter", 2, 3, VK_RETURN, 0, 2},   {"Escape", 1, 3, VK_ESCAPE, 0, 3}, {"F2", 1, 3, VK_F2, 0, 3},
        {"an access key", 1, 3, 'N', VK_MENU, 2}, {"the close box", 1, 3, 0, 0, 2},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ComPtr<IDispatch> o = Message(L"&Yes,&No,Cancel", 3, c.defaultButton, c.cancelButton);
        robot::WithDialog([&] { Call(o.get(), L"ShowForm"); }, [&](HWND d) {
            if (!c.key) robot::ClickCloseBox(d);
            if (c.key) robot::Press(c.key, c.modifier ? std::vector<WORD>{c.modifier} : std::vector<WORD>{});
        });
        EXPECT_EQ(GetShort(o.get(), L"ButtonResultValue"), c.value); // the close box keeps the last
    }
}

TEST_F(Windows, ToolTipsAndTheMessageBox)
{
    ComPtr<IDispatch> o = Create(L"VELDLG.CustomList");
    Dialogs()[3].setup(o.get(), 1);
    robot::WithDialog([&] { Call(o.get(), L"ShowForm"); }, [](HWND d) {
        EXPECT_EQ(robot::ToolTipOf(d, robot::Child(d, L"&SELECT", L"Button")), L"Accept");
        robot::Click(robot::Child(d, L"&SELECT", L"Button"));
        const HWND box = robot::WaitForMessageBox(GetWindowThreadProcessId(d, nullptr));
        ASSERT_TRUE(box);
        EXPECT_EQ(robot::Text(box), L"No Item Selected");
        EXPECT_TRUE(robot::Child(box, L"Highlight an item before clicking Select\nor click Cancel to quit"));
        EXPECT_FALSE(IsWindowEnabled(d)) << "the message box is modal to the dialog";
        robot::Press(VK_RETURN);
        ASSERT_TRUE(robot::WaitUntilGone(box));
        EXPECT_TRUE(IsWindowVisible(d));
        robot::Press(VK_ESCAPE);
    });
    EXPECT_EQ(GetShort(o.get(), L"ListIndex"), -1);
}

// A standard control has the current look when it is of the versioned class
// of the common controls 6: another class than the system's of that name,
// served from the side-by-side comctl32.
std::wstring Version6(HWND control)
{
    const std::wstring name = robot::ClassOf(control);
    WNDCLASSEXW system{sizeof system};
    const ATOM classic = static_cast<ATOM>(GetClassInfoExW(nullptr, name.c_str(), &system));
    HMODULE served = nullptr;
    GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                       reinterpret_cast<LPCWSTR>(GetWindowLongPtrW(control, GWLP_WNDPROC)), &served);
    wchar_t path[MAX_PATH] = {};
    GetModuleFileNameW(served, path, MAX_PATH);
    const bool sideBySide = std::wstring(path).find(L"winsxs") != std::wstring::npos;
    return name + (GetClassLongW(control, GCW_ATOM) != classic && sideBySide ? L"" : L" (classic)");
}

// What a screen reader speaks for a control, read through oleacc.
std::wstring AccessibleName(HWND control)
{
    ComPtr<IAccessible> accessible;
    if (FAILED(AccessibleObjectFromWindow(control, static_cast<DWORD>(OBJID_CLIENT), __uuidof(IAccessible),
                                          accessible.put_void())))
        return L"<no accessible object>";
    Bstr name;
    accessible->get_accName(I4(CHILDID_SELF).get(), name.put());
    return std::wstring(name.view());
}

// The library's context goes with its windows: the host's own windows stay
// classic, and a host that has a context of its own keeps it.
TEST_F(Windows, TheLibrarysLookStaysWithItsWindows)
{
    const HWND button = CreateWindowExW(0, L"Button", L"", WS_POPUP, 0, 0, 9, 9, nullptr, nullptr, nullptr, nullptr);
    EXPECT_EQ(Version6(button), L"Button (classic)");
    DestroyWindow(button);
    ACTCTXW own{sizeof own, ACTCTX_FLAG_RESOURCE_NAME_VALID};
    const std::wstring dll = testfiles::OwnDll();
    own.lpSource = dll.c_str();
    own.lpResourceName = MAKEINTRESOURCEW(2);
    const HANDLE context = CreateActCtxW(&own);
    ULONG_PTR cookie = 0;
    ASSERT_TRUE(ActivateActCtx(context, &cookie));
    ComPtr<IDispatch> o = Create(Dialogs()[0].progId);
    Dialogs()[0].setup(o.get(), 1);
    robot::WithDialog([&] { Call(o.get(), L"ShowForm"); }, [](HWND d) { Dialogs()[0].end(d, 1); });
    HANDLE current = nullptr;
    GetCurrentActCtx(&current);
    EXPECT_EQ(current, context);
    ReleaseActCtx(current);
    DeactivateActCtx(0, cookie);
    ReleaseActCtx(context);
}

// The client's other windows wait while a dialog is up, and a second show of
// the same kind, from a timer inside the first, is refused and changes
// neither dialog nor object. Meanwhile every standard control has the current
// look in a host without a manifest, and a name for screen readers.
IDispatch* g_second = nullptr;
Outcome g_secondOutcome;

void CALLBACK ShowSecond(HWND, UINT, UINT_PTR id, DWORD)
{
    KillTimer(nullptr, id);
    g_secondOutcome = Call(g_second, L"ShowForm");
}

TEST_F(Windows, EachDialogIsModalRefusesASecondShowAndEndsByItsUser)
{
    // Wine 8 has no dynamic annotation: there the grid's buttons are named by
    // their captions, which give the column and row in the dialog's order.
    constexpr IID kIAccPropServices = {0x6e26e776, 0x04f0, 0x495d, {0x80, 0xe4, 0x33, 0x30, 0x35, 0x2e, 0x31, 0x69}};
    ComPtr<IAccPropServices> annotation;
    ASSERT_EQ(CoCreateInstance(CLSID_AccPropServices, nullptr, CLSCTX_INPROC_SERVER, kIAccPropServices,
                               annotation.put_void()), S_OK);
    const HWND client = CreateWindowExW(0, L"Static", L"client", WS_POPUP | WS_VISIBLE, 0, 0, 50, 50, nullptr, nullptr,
                                        nullptr, nullptr);
    const HRESULT annotated = annotation->SetHwndPropStr(client, static_cast<DWORD>(OBJID_CLIENT), CHILDID_SELF,
                                                         PROPID_ACC_NAME, L"probe");
    EXPECT_EQ(annotated == E_NOTIMPL, platform::OnWine()) << "Wine annotates now";
    // A control's caption (null: the dialog itself) and its accessible name, by dialog.
    const std::vector<std::pair<const wchar_t*, const wchar_t*>> names[] = {
        {{L"A1", L"A1"}}, {{L"1, 1", SUCCEEDED(annotated) ? L"Column 1, Row 1" : L"1, 1"}}, {},
        {{L"&SELECT", L"SELECT"}, {nullptr, L"Select"}}};
    for (size_t k = 0; k < Dialogs().size(); ++k) {
        const auto& kind = Dialogs()[k];
        SCOPED_TRACE(testing::PrintToString(std::wstring(kind.progId)));
        ComPtr<IDispatch> first = Create(kind.progId), second = Create(kind.progId);
        kind.setup(first.get(), 1);
        kind.setup(second.get(), 1);
        const auto secondBefore = reliability::Snapshot(second.get());
        g_second = second.get();
        g_secondOutcome = Outcome();
        robot::WithDialog(
            [&] {
                SetTimer(nullptr, 0, 10, ShowSecond);
                EXPECT_EQ(Call(first.get(), L"ShowForm").hr, S_OK);
            },
            [&](HWND dialog) {
                for (int i = 0; i < 200 && !g_secondOutcome.number(); ++i) Sleep(10);
                robot::Settle(dialog);
                EXPECT_FALSE(IsWindowEnabled(client));
                EXPECT_TRUE(IsWindowVisible(dialog)) << "the first dialog went";
                for (HWND c : robot::Children(dialog)) { // the library's own date field aside
                    const std::wstring name = robot::ClassOf(c);
                    EXPECT_EQ(Version6(c), name + (name == L"VELDLG.DateField" ? L" (classic)" : L""));
                }
                for (const auto& [caption, name] : names[k])
                    EXPECT_EQ(AccessibleName(caption ? robot::Child(dialog, caption) : dialog), name);
                kind.end(dialog, 1);
            });
        EXPECT_TRUE(IsWindowEnabled(client));
        ExpectError(g_secondOutcome, 400, L"VELDLG", L"Form already displayed; can't show modally");
        kind.check(first.get(), 1);
        EXPECT_TRUE(reliability::Same(reliability::Snapshot(second.get()), secondBefore));
    }
    DestroyWindow(client);
}

} // namespace
