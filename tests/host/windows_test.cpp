// What only real windows show, through the registered DLL and the real input
// queue: places in pixels from the designed twips at two DPIs, tab order and
// focus, default, cancel and access keys, the close box, the calendar, the
// current look, and a thousand dialogs ended as their
// user ends them, with modality and re-entrancy, that leave nothing behind.

#include "support/dialogs.h"
#include "support/robot.h"
#include "support/wine.h"

#include <gtest/gtest.h>

#include <array>
#include <string>
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

// A rectangle's edges, scaled by num / den.
std::array<LONG, 4> Edges(RECT r, int num = 1, int den = 1)
{
    return {MulDiv(r.left, num, den), MulDiv(r.top, num, den),
            MulDiv(r.right, num, den), MulDiv(r.bottom, num, den)};
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

// Every control stands where its twips put it, at the display's DPI and
// again after a move to a monitor of 192 DPI, where a per-monitor aware
// host lays the dialog out again, where the system suggests.
TEST_F(Windows, PlacesAtTwoDpisTabOrderFocusAndTheCalendar)
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
        RECT suggested{10, 20, 500, 400}, r;
        for (const int dpi : {robot::Px(d, 1440), 192}) {
            const LPARAM to = reinterpret_cast<LPARAM>(&suggested);
            if (dpi == 192) SendMessageW(d, WM_DPICHANGED, MAKEWPARAM(192, 192), to);
            robot::Settle(d);
            for (size_t i = 0; i < children.size(); ++i)
                EXPECT_EQ(Edges(robot::PlaceIn(children[i], d)), Edges(twips[i], dpi, 1440)) << i << " " << dpi;
            GetClientRect(d, &r);
            EXPECT_EQ(r.right, MulDiv(6015, dpi, 1440));
        }
        GetWindowRect(d, &r);
        EXPECT_EQ(std::pair(r.left, r.top), std::pair(10L, 20L)) << "where the system suggested";
        robot::Press(VK_ESCAPE);
    });
    EXPECT_EQ(GetShort(o.get(), L"ButtonResultValue"), 4);

    // The date fields stand inside the frame, in its coordinates, and come
    // first in tab order. The calendar drop-down: F4 opens it on the field's
    // day, the arrows move the day and Enter takes it; Escape leaves the
    // field as it was; F3 puts today's date.
    ComPtr<IDispatch> dates = Create(L"VELDLG.DateRange");
    Put(dates.get(), L"BeginDate", Date(45477).get()); // 4 July 2024
    Put(dates.get(), L"EndDate", Date(45477).get());
    std::vector<std::wstring> shown;
    robot::WithDialog([&] { Call(dates.get(), L"ShowForm"); }, [&](HWND d) {
        const std::vector<HWND> fields = robot::Children(d, L"VELDLG.DateField");
        ASSERT_EQ(fields.size(), 2u);
        const RECT at = robot::PlaceIn(fields[1], d); // the frame's place plus the field's own
        EXPECT_EQ(at.left, robot::Px(d, 120 + 3840));
        EXPECT_EQ(at.top, robot::Px(d, 120 + 240));
        EXPECT_EQ(FocusOf(d), fields[0]);
        const std::vector<std::vector<WORD>> calendar = {
            {VK_F4, VK_RIGHT, VK_RETURN}, {VK_F4, VK_DOWN, VK_ESCAPE}, {VK_F3}};
        for (const auto& keys : calendar) {
            for (WORD k : keys) robot::Press(k);
            robot::Settle(d);
            shown.push_back(robot::Text(fields[0]));
        }
        robot::Press(VK_TAB);
        robot::Settle(d);
        EXPECT_EQ(FocusOf(d), fields[1]);
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
        short defaultButton;
        WORD key; // 0: the close box
        std::vector<WORD> modifiers;
        short value;
    } cases[] = {
        {"Enter", 2, VK_RETURN, {}, 2}, {"Escape", 1, VK_ESCAPE, {}, 3}, {"F2", 1, VK_F2, {}, 3},
        {"an access key", 1, 'N', {VK_MENU}, 2}, {"the close box", 1, 0, {}, 2},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ComPtr<IDispatch> o = Message(L"&Yes,&No,Cancel", 3, c.defaultButton, 3);
        robot::WithDialog([&] { Call(o.get(), L"ShowForm"); }, [&](HWND d) {
            if (c.key) robot::Press(c.key, c.modifiers);
            else robot::ClickCloseBox(d);
        });
        EXPECT_EQ(GetShort(o.get(), L"ButtonResultValue"), c.value); // the close box keeps the last
    }
}

// A standard control has the current look when the common controls 6 of the
// side-by-side store serve it.
bool Version6(HWND control)
{
    HMODULE served = nullptr;
    GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                       reinterpret_cast<LPCWSTR>(GetWindowLongPtrW(control, GWLP_WNDPROC)), &served);
    wchar_t path[MAX_PATH] = {};
    GetModuleFileNameW(served, path, MAX_PATH);
    return std::wstring(path).find(L"winsxs") != std::wstring::npos;
}

// A window, counted; its children go with it.
BOOL CALLBACK Count(HWND, LPARAM count) { return ++*reinterpret_cast<size_t*>(count), TRUE; }

// The thread's windows, the process's GUI objects, and its committed private
// memory: the private bytes, which Wine's GetProcessMemoryInfo omits.
std::vector<size_t> Usage()
{
    const HANDLE self = GetCurrentProcess();
    std::vector<size_t> u{0, GetGuiResources(self, GR_GDIOBJECTS) + GetGuiResources(self, GR_USEROBJECTS), 0};
    EnumThreadWindows(GetCurrentThreadId(), Count, reinterpret_cast<LPARAM>(&u[0]));
    MEMORY_BASIC_INFORMATION m;
    for (uintptr_t p = 0; VirtualQuery(reinterpret_cast<const void*>(p), &m, sizeof m); p += m.RegionSize)
        if (m.State == MEM_COMMIT && m.Type == MEM_PRIVATE) u[2] += m.RegionSize;
    return u;
}

IDispatch* g_second = nullptr;
Outcome g_secondOutcome;

void CALLBACK ShowSecond(HWND, UINT, UINT_PTR id, DWORD)
{
    KillTimer(nullptr, id);
    g_secondOutcome = Call(g_second, L"ShowForm");
}

// In each cycle the client's other windows wait while a dialog is up, and a
// second show of the same kind, from a timer inside the first, is refused and
// changes neither dialog nor object; every standard control has the current
// look in a host without a manifest, and the client's own windows keep
// theirs. A thousand cycles keep windows, GUI objects and private memory
// flat, after which the library unloads and takes its window class with it.
TEST_F(Windows, AThousandDialogsModalRefusingASecondShowEndedByTheirUserLeaveNothingBehind)
{
    const auto button = [] { return CreateWindowExW(0, L"Button", L"", WS_POPUP | WS_VISIBLE, 0, 0, 50, 50,
                                                    nullptr, nullptr, nullptr, nullptr); };
    const HWND client = button();
    const auto cycle = [&](size_t i) {
        const auto& kind = Dialogs()[i % Dialogs().size()];
        const int tag = static_cast<int>(i % 50);
        SCOPED_TRACE(testing::PrintToString(std::wstring(kind.progId)) + " " + std::to_string(i));
        ComPtr<IDispatch> first = Create(kind.progId), second = Create(kind.progId);
        kind.setup(first.get(), tag);
        kind.setup(second.get(), tag);
        const auto secondBefore = reliability::Snapshot(second.get());
        g_second = second.get();
        g_secondOutcome = Outcome();
        robot::WithDialog(
            [&] {
                SetTimer(nullptr, 0, 10, ShowSecond);
                EXPECT_EQ(Call(first.get(), L"ShowForm").hr, S_OK);
            },
            [&](HWND dialog) {
                for (int n = 0; n < 200 && !g_secondOutcome.number(); ++n) Sleep(10);
                robot::Settle(dialog);
                EXPECT_FALSE(IsWindowEnabled(client));
                EXPECT_TRUE(IsWindowVisible(dialog)) << "the first dialog went";
                for (HWND c : robot::Children(dialog)) // the library's own date field aside
                    EXPECT_NE(Version6(c), robot::ClassOf(c) == L"VELDLG.DateField");
                kind.end(dialog, tag);
            });
        EXPECT_TRUE(IsWindowEnabled(client));
        ExpectError(g_secondOutcome, 400, L"VELDLG", L"Form already displayed; can't show modally");
        kind.check(first.get(), tag);
        EXPECT_TRUE(reliability::Same(reliability::Snapshot(second.get()), secondBefore));
    };
    for (size_t i = 0; i < 40; ++i) cycle(i); // and a warm-up: forms, caches, heaps
    const std::vector<size_t> before = Usage();
    for (size_t i = 0; i < 1000 && !HasFailure(); ++i) cycle(i);
    const std::vector<size_t> after = Usage();
    EXPECT_EQ(after[0], before[0]) << "windows";
    // Wine counts no GUI objects.
    EXPECT_EQ(after[1], platform::OnWine() ? 0 : before[1]) << "GUI objects (Wine counts them now?)";
    // 100 bytes a cycle would show as 100 KB.
    EXPECT_LT(after[2], before[2] + 96 * 1024) << "private bytes grew";
    const HWND later = button();
    EXPECT_FALSE(Version6(client) || Version6(later)) << "the client's windows took the library's look";
    DestroyWindow(client);
    DestroyWindow(later);
    const HMODULE dll = GetModuleHandleW(L"VELDLG.dll");
    WNDCLASSEXW wc{sizeof wc};
    EXPECT_TRUE(dll && GetClassInfoExW(dll, L"VELDLG.DateField", &wc));
    CoFreeUnusedLibrariesEx(0, 0);
    EXPECT_EQ(GetModuleHandleW(L"VELDLG.dll"), nullptr) << "the library stayed loaded";
    // A class left behind would still answer to the old module's handle.
    EXPECT_FALSE(GetClassInfoExW(dll, L"VELDLG.DateField", &wc)) << "the class outlived the library";
}

} // namespace
