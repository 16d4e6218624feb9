// What only real windows show, through the registered DLL and the real input
// queue: places in pixels from the designed twips at two DPIs, tab order and
// focus, default, cancel and access keys, the close box, the calendar, the
// current look, and a thousand dialogs ended as their user ends them, with
// modality and re-entrancy, that leave nothing behind.

#include "support/dialogs.h"
#include "support/robot.h"

#include <gtest/gtest.h>

#include <array>

namespace {

using namespace client;
using reliability::Dialogs;

HWND FocusOf(HWND dialog)
{
    GUITHREADINFO info{sizeof info};
    GetGUIThreadInfo(GetWindowThreadProcessId(dialog, nullptr), &info);
    return info.hwndFocus;
}

// A rectangle's edges, from twips to pixels at the DPI (1440: as they are).
std::array<LONG, 4> Edges(RECT r, int dpi = 1440)
{
    return {MulDiv(r.left, dpi, 1440), MulDiv(r.top, dpi, 1440),
            MulDiv(r.right, dpi, 1440), MulDiv(r.bottom, dpi, 1440)};
}

// Every control stands where its twips put it, at the display's DPI and
// again after a move to a monitor of 192 DPI, where a per-monitor aware
// host lays the dialog out again, where the system suggests; the default
// button has the focus. Then a key or the close box ends the dialog; the
// close box keeps the result of the dialog before. The date fields stand
// inside the frame, in its coordinates, and come first in tab order. The
// calendar drop-down: F4 opens it on the field's day, the arrows move the
// day and Enter takes it; Escape leaves the field as it was; F3 puts today.
TEST(Windows, PlacesAtTwoDpisFocusKeysTheCloseBoxAndTheCalendar)
{
    Apartment apartment;
    // The default button, the key (0: the close box) and the keys held, the result.
    const std::tuple<short, WORD, std::vector<WORD>, short> cases[] = {
        {2, VK_RETURN, {}, 2}, {1, VK_ESCAPE, {}, 4}, {1, VK_F2, {}, 4}, {1, 'N', {VK_MENU}, 2}, {1, 0, {}, 2}};
    const RECT twips[] = {{420, 180, 5595, 1215}, {382, 1440, 2017, 1815}, {2167, 1440, 3802, 1815},
                          {3952, 1440, 5587, 1815}, {2167, 1920, 3802, 2295}};
    for (const auto& [defaultButton, key, held, value] : cases) {
        SCOPED_TRACE(testing::Message() << "key " << key);
        ComPtr<IDispatch> o = Create(L"VELDLG.CustomMessage");
        const std::pair<const wchar_t*, Variant> puts[] = {
            {L"ButtonCaptions", Str(L"&Yes,&No,Maybe,Cancel")}, {L"NumButtons", I2(4)},
            {L"DefaultButton", I2(defaultButton)}, {L"Cancelbutton", I2(4)}, {L"Message", Str(L"Body")}};
        for (const auto& [name, v] : puts) EXPECT_TRUE(Put(o.get(), name, v.get()).ok()) << name;
        robot::WithDialog([&] { Call(o.get(), L"ShowForm"); }, [&](HWND d) {
            const std::vector<HWND> children = robot::Children(d);
            ASSERT_EQ(children.size(), std::size(twips));
            EXPECT_EQ(robot::Text(children[0]), L"Body");
            EXPECT_EQ(FocusOf(d), children[defaultButton]) << "the default button";
            EXPECT_EQ(GetWindowLongW(children[defaultButton], GWL_STYLE) & 0xF, BS_DEFPUSHBUTTON);
            EXPECT_EQ(GetNextDlgTabItem(d, children[4], FALSE), children[1]) << "Tab after the last button";
            RECT suggested{10, 20, 500, 400}, r;
            for (const int dpi : {robot::Px(d, 1440), 192}) {
                const LPARAM to = reinterpret_cast<LPARAM>(&suggested);
                if (dpi == 192) SendMessageW(d, WM_DPICHANGED, MAKEWPARAM(192, 192), to);
                robot::Settle(d);
                for (size_t i = 0; i < children.size(); ++i)
                    EXPECT_EQ(Edges(robot::PlaceIn(children[i], d)), Edges(twips[i], dpi)) << i << " " << dpi;
                GetClientRect(d, &r);
                EXPECT_EQ(r.right, MulDiv(6015, dpi, 1440));
            }
            GetWindowRect(d, &r);
            EXPECT_EQ(std::pair(r.left, r.top), std::pair(10L, 20L)) << "where the system suggested";
            if (key) robot::Press(key, held);
            else robot::ClickCloseBox(d);
        });
        EXPECT_EQ(GetShort(o.get(), L"ButtonResultValue"), value);
    }

    ComPtr<IDispatch> dates = Create(L"VELDLG.DateRange");
    // Both 4 July 2024.
    for (const wchar_t* name : {L"BeginDate", L"EndDate"}) Put(dates.get(), name, Date(45477).get());
    std::vector<std::wstring> shown;
    robot::WithDialog([&] { Call(dates.get(), L"ShowForm"); }, [&](HWND d) {
        const std::vector<HWND> fields = robot::Children(d, L"VELDLG.DateField");
        ASSERT_EQ(fields.size(), 2u);
        const RECT at = robot::PlaceIn(fields[1], d); // the frame's place plus the field's own
        EXPECT_EQ(std::pair(at.left, at.top),
                  (std::pair<LONG, LONG>(robot::Px(d, 120 + 3840), robot::Px(d, 120 + 240))));
        EXPECT_EQ(FocusOf(d), fields[0]);
        const std::vector<std::vector<WORD>> calendar = {
            {VK_F4, VK_RIGHT, VK_RETURN}, {VK_F4, VK_DOWN, VK_ESCAPE}, {VK_F3, VK_TAB}};
        for (const auto& keys : calendar) {
            for (WORD k : keys) robot::Press(k);
            robot::Settle(d);
            shown.push_back(robot::Text(fields[0]) + (FocusOf(d) == fields[1] ? L" then Tab" : L""));
        }
        robot::Press(VK_ESCAPE);
    });
    wchar_t today[16];
    GetDateFormatW(LOCALE_INVARIANT, 0, nullptr, L"MM'/'dd'/'yyyy", today, 16);
    const std::vector<std::wstring> expected{L"07/05/2024", L"07/05/2024", today + std::wstring(L" then Tab")};
    EXPECT_EQ(shown, expected);
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

// The thread's windows, the process's GUI objects (Wine counts none), and its
// committed private memory: the private bytes, which Wine's
// GetProcessMemoryInfo omits.
std::array<size_t, 3> Usage()
{
    const HANDLE self = GetCurrentProcess();
    std::array<size_t, 3> u{0, GetGuiResources(self, GR_GDIOBJECTS) + GetGuiResources(self, GR_USEROBJECTS), 0};
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
TEST(Windows, AThousandDialogsModalRefusingASecondShowEndedByTheirUserLeaveNothingBehind)
{
    Apartment apartment;
    const auto button = [] { return CreateWindowExW(0, L"Button", L"", WS_POPUP | WS_VISIBLE, 0, 0, 50, 50,
                                                    nullptr, nullptr, nullptr, nullptr); };
    const HWND client = button();
    const auto cycle = [&](size_t i) {
        const auto& kind = Dialogs()[i % Dialogs().size()];
        const int tag = static_cast<int>(i % 50);
        SCOPED_TRACE(testing::PrintToString(std::wstring(kind.progId)) + " " + std::to_string(i));
        ComPtr<IDispatch> first = Create(kind.progId), second = Create(kind.progId);
        for (IDispatch* o : {first.get(), second.get()}) kind.setup(o, tag);
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
        EXPECT_EQ(reliability::Snapshot(second.get()), secondBefore);
    };
    for (size_t i = 0; i < 40; ++i) cycle(i); // and a warm-up: forms, caches, heaps
    const auto before = Usage();
    for (size_t i = 0; i < 1000 && !HasFailure(); ++i) cycle(i);
    const auto after = Usage();
    EXPECT_EQ(std::pair(after[0], after[1]), std::pair(before[0], before[1])) << "windows, GUI objects";
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
