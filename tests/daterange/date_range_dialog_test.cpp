// The date range dialog as a user meets it: the real window, its fields
// filled from presets or from the stored dates, keys and clicks through the
// real input queue, the calendar, and the dates kept in the user's settings.
// Every test that touches the stored dates puts them back when it ends.

#include "support/com_client.h"
#include "support/robot.h"
#include "support/test_files.h"
#include "veldlg_h.h"

#include <commctrl.h>
#include <sddl.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <functional>
#include <optional>
#include <string>
#include <thread>

namespace {

using namespace client;
using Text = std::optional<std::wstring>;

constexpr wchar_t kApplicationKey[] = L"Software\\VB and VBA Program Settings\\Vormelt";
constexpr wchar_t kSectionKey[] = L"Software\\VB and VBA Program Settings\\Vormelt\\QMTDATES";
constexpr DATE k4July2024 = 45477, k31July2024 = 45504, k15March2023 = 45000;

std::wstring Mdy(unsigned m, unsigned d, unsigned y)
{
    wchar_t separator[8] = L"/", s[32];
    GetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_SDATE, separator, 8);
    swprintf(s, 32, L"%02u%ls%02u%ls%04u", m, separator, d, separator, y);
    return s;
}

std::wstring TodayText()
{
    SYSTEMTIME t;
    GetLocalTime(&t);
    return Mdy(t.wMonth, t.wDay, t.wYear);
}

Text Stored(const wchar_t* name)
{
    wchar_t data[256] = {};
    DWORD size = sizeof data;
    if (RegGetValueW(HKEY_CURRENT_USER, kSectionKey, name, RRF_RT_REG_SZ, nullptr, data, &size) != ERROR_SUCCESS)
        return std::nullopt;
    return data;
}

void Store(const wchar_t* name, const Text& text)
{
    if (!text) RegDeleteKeyValueW(HKEY_CURRENT_USER, kSectionKey, name);
    if (text)
        RegSetKeyValueW(HKEY_CURRENT_USER, kSectionKey, name, REG_SZ, text->c_str(),
                        static_cast<DWORD>((text->size() + 1) * sizeof(wchar_t)));
}

// The user's stored dates: set to a known state for a test, put back after.
class StoredDates {
public:
    StoredDates(const Text& begin, const Text& end)
    {
        Store(L"BeginDate", begin);
        Store(L"EndDate", end);
    }
    StoredDates(const StoredDates&) = delete;
    StoredDates& operator=(const StoredDates&) = delete;
    ~StoredDates()
    {
        Store(L"BeginDate", begin_);
        Store(L"EndDate", end_);
    }

private:
    Text begin_ = Stored(L"BeginDate"), end_ = Stored(L"EndDate");
};

class DateRangeDialogTest : public testing::Test {
protected:
    Apartment apartment;
};

// Forms keep their values per thread; a fresh thread starts from none.
void OnFreshThread(const std::function<void()>& test)
{
    std::thread([&] {
        Apartment apartment;
        test();
    }).join();
}

ComPtr<IDispatch> NewRange(std::optional<DATE> begin = {}, std::optional<DATE> end = {})
{
    ComPtr<IDispatch> o = Create(L"VELDLG.DateRange");
    EXPECT_TRUE(!begin || Put(o.get(), L"BeginDate", Date(*begin).get()).ok());
    EXPECT_TRUE(!end || Put(o.get(), L"EndDate", Date(*end).get()).ok());
    return o;
}

void Show(IDispatch* o, const std::function<void(HWND)>& act)
{
    robot::WithDialog([&] { EXPECT_EQ(Call(o, L"ShowForm").hr, S_OK); }, act);
}

struct Fields {
    HWND begin = nullptr, end = nullptr;
};

Fields FieldsOf(HWND dialog)
{
    const auto f = robot::Children(dialog, L"VELDLG.DateField");
    EXPECT_EQ(f.size(), 2u);
    return f.size() == 2 ? Fields{f[0], f[1]} : Fields{};
}

// What the fields showed, and what the class reports afterwards.
struct Seen {
    std::wstring begin, end;
    bool succeed = false;
    DATE beginDate = 0, endDate = 0;
};

Seen Results(IDispatch* o)
{
    const Outcome s = Get(o, L"Succeed"), b = Get(o, L"BeginDate"), e = Get(o, L"EndDate");
    return {L"", L"", V_BOOL(&s.value.get()) == VARIANT_TRUE, V_DATE(&b.value.get()), V_DATE(&e.value.get())};
}

Seen ShowAndEnd(IDispatch* o, const std::function<void(HWND)>& end)
{
    std::wstring begin, endText;
    Show(o, [&](HWND dialog) {
        const Fields f = FieldsOf(dialog);
        begin = robot::Text(f.begin);
        endText = robot::Text(f.end);
        end(dialog);
    });
    Seen seen = Results(o);
    seen.begin = begin;
    seen.end = endText;
    return seen;
}

void PressEscape(HWND)
{
    robot::Press(VK_ESCAPE);
}

void PressEnter(HWND)
{
    robot::Press(VK_RETURN);
}

void CloseBox(HWND dialog)
{
    robot::ClickCloseBox(dialog);
}

TEST_F(DateRangeDialogTest, FieldsShowPresetsOrElseStoredDatesOrElseToday)
{
    const Text none;
    const struct {
        const char* name;
        Text storedBegin, storedEnd;
        std::optional<DATE> begin, end;
        std::wstring shownBegin, shownEnd;
    } cases[] = {
        {"first use", none, none, {}, {}, TodayText(), TodayText()},
        {"stored dates", L"01/02/2003", L"04/05/2006", {}, {}, Mdy(1, 2, 2003), Mdy(4, 5, 2006)},
        {"both presets: the store is not read", L"01/02/2003", L"04/05/2006", k4July2024, k31July2024,
         Mdy(7, 4, 2024), Mdy(7, 31, 2024)},
        {"only the begin preset", L"01/02/2003", L"04/05/2006", k4July2024, {}, Mdy(7, 4, 2024), Mdy(4, 5, 2006)},
        {"only the begin preset, nothing stored", none, none, k4July2024, {}, Mdy(7, 4, 2024), TodayText()},
        {"a preset in 1899 is none", L"01/02/2003", none, -212.0, {}, Mdy(1, 2, 2003), TodayText()},
        {"zero is none", none, none, 0.0, 0.0, TodayText(), TodayText()},
        {"1 January 1900 is a preset", none, none, 2.0, {}, Mdy(1, 1, 1900), TodayText()},
        {"a time of day is not shown", none, none, k4July2024 + 0.75, {}, Mdy(7, 4, 2024), TodayText()},
        {"a stored text that is no date", L"soon", none, {}, {}, L"soon", TodayText()},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        StoredDates stored(c.storedBegin, c.storedEnd);
        OnFreshThread([&] {
            const Seen seen = ShowAndEnd(NewRange(c.begin, c.end).get(), PressEscape);
            EXPECT_EQ(seen.begin, c.shownBegin);
            EXPECT_EQ(seen.end, c.shownEnd);
            EXPECT_FALSE(seen.succeed);
            EXPECT_EQ(seen.beginDate, c.begin.value_or(0)) << "Escape keeps the presets";
        });
        EXPECT_EQ(Stored(L"BeginDate"), c.storedBegin) << "Escape saves nothing";
        EXPECT_EQ(Stored(L"EndDate"), c.storedEnd);
    }
}

TEST_F(DateRangeDialogTest, TypedDatesAreConfirmedSavedAndShownNextTime)
{
    StoredDates stored(L"01/02/2003", L"04/05/2006");
    OnFreshThread([] {
        ComPtr<IDispatch> o = NewRange(k4July2024, k31July2024);
        // An end before the begin is taken as typed.
        const Seen seen = ShowAndEnd(o.get(), [](HWND) {
            robot::Type(L"8/15/2024");
            robot::Press(VK_TAB);
            robot::Type(L"08012024");
            robot::Press(VK_RETURN);
        });
        EXPECT_TRUE(seen.succeed);
        EXPECT_EQ(seen.beginDate, 45519.0);
        EXPECT_EQ(seen.endDate, 45505.0);
        EXPECT_EQ(Stored(L"BeginDate"), Mdy(8, 15, 2024));
        EXPECT_EQ(Stored(L"EndDate"), Mdy(8, 1, 2024));

        // This thread's form holds the confirmed dates, for any object.
        const Seen again = ShowAndEnd(NewRange().get(), PressEscape);
        EXPECT_EQ(again.begin + L" " + again.end, Mdy(8, 15, 2024) + L" " + Mdy(8, 1, 2024));
        // OK saves both dates even when neither changed.
        Store(L"BeginDate", std::nullopt);
        EXPECT_TRUE(ShowAndEnd(o.get(), PressEnter).succeed);
        EXPECT_EQ(Stored(L"BeginDate"), Mdy(8, 15, 2024));
    });
    // Another thread of this process has no presets: it shows the store.
    OnFreshThread([] {
        const Seen seen = ShowAndEnd(NewRange().get(), PressEscape);
        EXPECT_EQ(seen.begin + L" " + seen.end, Mdy(8, 15, 2024) + L" " + Mdy(8, 1, 2024));
    });
}

TEST_F(DateRangeDialogTest, ANewProcessShowsTheStoredDates)
{
    StoredDates stored(L"09/10/2011", L"12/13/2014");
    wchar_t folder[MAX_PATH];
    GetTempPathW(MAX_PATH, folder);
    const std::wstring script = std::wstring(folder) + L"veldlg_daterange_child.vbs";
    FILE* f = _wfopen(script.c_str(), L"w");
    ASSERT_NE(f, nullptr);
    std::fputs("CreateObject(\"VELDLG.DateRange\").ShowForm\n", f);
    std::fclose(f);
    std::wstring command = L"cscript.exe //nologo \"" + script + L"\"";
    STARTUPINFOW si{sizeof si};
    PROCESS_INFORMATION pi{};
    ASSERT_TRUE(CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi));
    const HWND dialog = robot::WaitForForm(0, robot::Timeout(30000));
    ASSERT_NE(dialog, nullptr) << "the script showed no dialog";
    DWORD process = 0;
    GetWindowThreadProcessId(dialog, &process);
    EXPECT_EQ(process, pi.dwProcessId);
    const Fields shown = FieldsOf(dialog);
    EXPECT_EQ(robot::Text(shown.begin), Mdy(9, 10, 2011));
    EXPECT_EQ(robot::Text(shown.end), Mdy(12, 13, 2014));
    robot::Press(VK_ESCAPE);
    EXPECT_EQ(WaitForSingleObject(pi.hProcess, 30000), WAIT_OBJECT_0);
    CloseHandle(pi.hProcess);
    CloseHandle(pi.hThread);
    DeleteFileW(script.c_str());
}

TEST_F(DateRangeDialogTest, EntriesThatAreNotDatesKeepTheDialogOpen)
{
    const struct {
        const char* name;
        int backspaces;
        std::wstring shown;
    } cases[] = {{"incomplete", 1, Mdy(7, 4, 2024).substr(0, 9) + L"_"}, {"empty", 8, L""}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        StoredDates stored(L"01/02/2003", L"04/05/2006");
        OnFreshThread([&] {
            ComPtr<IDispatch> o = NewRange(k4July2024, k31July2024);
            Show(o.get(), [&](HWND dialog) {
                robot::Press(VK_END);
                for (int i = 0; i < c.backspaces; ++i) robot::Press(VK_BACK);
                robot::Press(VK_RETURN);
                const HWND box = robot::WaitForMessageBox(GetWindowThreadProcessId(dialog, nullptr));
                ASSERT_NE(box, nullptr) << "no message box";
                EXPECT_EQ(robot::Text(box), L"Date Range");
                EXPECT_NE(robot::Child(box, L"Enter valid dates or press CANCEL", L"Static"), nullptr);
                const auto buttons = robot::Children(box, L"Button");
                ASSERT_EQ(buttons.size(), 1u);
                EXPECT_EQ(robot::Text(buttons[0]), L"OK");
                bool stopIcon = false;
                for (HWND s : robot::Children(box, L"Static"))
                    stopIcon |= SendMessageW(s, STM_GETICON, 0, 0) == reinterpret_cast<LRESULT>(LoadIconW(nullptr, IDI_HAND));
                EXPECT_TRUE(stopIcon) << "style 16 shows the critical icon";
                robot::Press(VK_RETURN);
                EXPECT_TRUE(robot::WaitUntilGone(box));
                ASSERT_EQ(robot::WaitForForm(GetWindowThreadProcessId(dialog, nullptr)), dialog) << "the dialog went";
                EXPECT_EQ(robot::Text(FieldsOf(dialog).begin), c.shown) << "the entry stays as typed";
                robot::ClickCloseBox(dialog);
            });
            const Seen seen = Results(o.get());
            EXPECT_FALSE(seen.succeed);
            EXPECT_EQ(seen.beginDate, k4July2024);
        });
        EXPECT_EQ(Stored(L"BeginDate"), L"01/02/2003") << "nothing saved";
        EXPECT_EQ(Stored(L"EndDate"), L"04/05/2006");
    }
}

TEST_F(DateRangeDialogTest, ButtonsKeysAndTheCloseBox)
{
    StoredDates stored(L"01/02/2003", L"04/05/2006");
    const struct {
        const char* name;
        std::function<void(HWND)> act;
        bool succeed;
    } cases[] = {
        {"Enter presses O K", PressEnter, true},
        {"Escape presses CANCEL", PressEscape, false},
        {"Alt+O", [](HWND) { robot::Press('O', {VK_MENU}); }, true},
        {"Alt+C", [](HWND) { robot::Press('C', {VK_MENU}); }, false},
        {"click O K", [](HWND d) { robot::Click(robot::Child(d, L"&O K", L"Button")); }, true},
        {"click CANCEL", [](HWND d) { robot::Click(robot::Child(d, L"&CANCEL", L"Button")); }, false},
        {"the close box", CloseBox, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        OnFreshThread([&] {
            const Seen seen = ShowAndEnd(NewRange(k4July2024 + 0.5, k31July2024).get(), c.act);
            EXPECT_EQ(seen.succeed, c.succeed);
            // Confirmed dates come from the fields, without the time of day.
            EXPECT_EQ(seen.beginDate, c.succeed ? k4July2024 : k4July2024 + 0.5);
            EXPECT_EQ(Stored(L"BeginDate"), c.succeed ? Mdy(7, 4, 2024) : L"01/02/2003");
        });
        Store(L"BeginDate", L"01/02/2003");
    }
}

TEST_F(DateRangeDialogTest, ObjectsOfOneThreadShareTheForm)
{
    StoredDates stored(std::nullopt, std::nullopt);
    OnFreshThread([] {
        ComPtr<IDispatch> a = NewRange(k4July2024, k31July2024);
        ComPtr<IDispatch> b = NewRange(k15March2023, k15March2023 + 1);
        const Seen seen = ShowAndEnd(a.get(), PressEscape);
        EXPECT_EQ(seen.begin, Mdy(3, 15, 2023)) << "b's presets";
        EXPECT_EQ(seen.beginDate, k4July2024) << "a keeps its own";
        // A refused put leaves the shared form as it was.
        ComPtr<_DateRange> early;
        ASSERT_EQ(b->QueryInterface(IID__DateRange, early.put_void()), S_OK);
        EXPECT_TRUE(FAILED(early->put_BeginDate(1e9)));
        EXPECT_EQ(ShowAndEnd(a.get(), PressEnter).begin, Mdy(3, 15, 2023));

        // Nothing resets the form's Succeed: closing the next dialog reports
        // the earlier confirmation, with the dates the form now holds.
        const Seen closed = ShowAndEnd(NewRange().get(), CloseBox);
        EXPECT_TRUE(closed.succeed);
        EXPECT_EQ(closed.beginDate, k15March2023);
    });
}

TEST_F(DateRangeDialogTest, LayoutTabOrderAndFocus)
{
    StoredDates stored(std::nullopt, std::nullopt);
    Show(NewRange().get(), [](HWND dialog) {
        EXPECT_EQ(robot::Text(dialog), L"Select Date Range");
        EXPECT_EQ(robot::ClientSize(dialog).cx, robot::Px(dialog, 5505));
        EXPECT_EQ(robot::ClientSize(dialog).cy, robot::Px(dialog, 1410));
        const Fields f = FieldsOf(dialog);
        const HWND cancel = robot::Child(dialog, L"&CANCEL", L"Button"), ok = robot::Child(dialog, L"&O K", L"Button");
        // In twips; the controls of the frame lie 120 right and down of their design.
        const struct {
            HWND control;
            int left, top, width, height;
        } places[] = {
            {robot::Child(dialog, L"Date Range", L"Button"), 120, 120, 5295, 735},
            {f.begin, 1260, 360, 1455, 315},
            {f.end, 3960, 360, 1335, 315},
            {robot::Child(dialog, L"Begin Date:", L"Static"), 240, 420, 855, 195},
            {robot::Child(dialog, L"End Date:", L"Static"), 3120, 420, 735, 195},
            {cancel, 2280, 960, 1455, 375},
            {ok, 3960, 960, 1455, 375},
        };
        for (const auto& p : places) {
            ASSERT_NE(p.control, nullptr);
            const RECT r = robot::PlaceIn(p.control, dialog);
            EXPECT_EQ(r.left, robot::Px(dialog, p.left)) << robot::Text(p.control);
            EXPECT_EQ(r.top, robot::Px(dialog, p.top)) << robot::Text(p.control);
            EXPECT_EQ(r.right - r.left, robot::Px(dialog, p.width)) << robot::Text(p.control);
            EXPECT_EQ(r.bottom - r.top, robot::Px(dialog, p.height)) << robot::Text(p.control);
        }
        for (const HWND expected : {f.begin, f.end, cancel, ok, f.begin}) {
            GUITHREADINFO gui{sizeof gui};
            GetGUIThreadInfo(GetWindowThreadProcessId(dialog, nullptr), &gui);
            EXPECT_EQ(gui.hwndFocus, expected) << robot::Text(expected);
            robot::Press(VK_TAB);
            robot::Settle(dialog);
        }
        robot::Press(VK_ESCAPE);
    });
}

// The calendar dropped down from a field of the dialog, if one is open.
HWND CalendarOf(HWND dialog, robot::Timeout wait)
{
    const DWORD thread = GetWindowThreadProcessId(dialog, nullptr);
    const auto until = std::chrono::steady_clock::now() + wait;
    do {
        robot::Settle(dialog);
        for (HWND w = FindWindowExW(nullptr, nullptr, MONTHCAL_CLASSW, nullptr); w;
             w = FindWindowExW(nullptr, w, MONTHCAL_CLASSW, nullptr))
            if (IsWindowVisible(w) && GetWindowThreadProcessId(w, nullptr) == thread) return w;
        Sleep(10);
    } while (std::chrono::steady_clock::now() < until);
    return nullptr;
}

// The screen point of a day of the month that the calendar shows.
std::optional<POINT> DayInCalendar(HWND calendar, WORD day)
{
    SYSTEMTIME shown{};
    SendMessageW(calendar, MCM_GETCURSEL, 0, reinterpret_cast<LPARAM>(&shown));
    RECT r;
    GetClientRect(calendar, &r);
    for (int y = r.top; y < r.bottom; y += 2)
        for (int x = r.left; x < r.right; x += 2) {
            MCHITTESTINFO hit{};
            hit.cbSize = sizeof hit;
            hit.pt = {x, y};
            SendMessageW(calendar, MCM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit));
            if (hit.uHit == MCHT_CALENDARDATE && hit.st.wDay == day && hit.st.wMonth == shown.wMonth) {
                POINT p{x + 3, y + 3};
                ClientToScreen(calendar, &p);
                return p;
            }
        }
    return std::nullopt;
}

TEST_F(DateRangeDialogTest, TheCalendarSetsTheField)
{
    StoredDates stored(std::nullopt, std::nullopt);
    ComPtr<IDispatch> o = NewRange(k4July2024, k31July2024);
    Show(o.get(), [](HWND dialog) {
        const Fields f = FieldsOf(dialog);
        // F4 opens it on the field's date; Enter takes the day and does not
        // end the dialog.
        robot::Press(VK_F4);
        const HWND calendar = CalendarOf(dialog, robot::Timeout(2000));
        ASSERT_NE(calendar, nullptr) << "F4 opened no calendar";
        SYSTEMTIME st{};
        SendMessageW(calendar, MCM_GETCURSEL, 0, reinterpret_cast<LPARAM>(&st));
        EXPECT_EQ(st.wYear * 10000 + st.wMonth * 100 + st.wDay, 20240704);
        robot::Press(VK_RIGHT);
        robot::Press(VK_DOWN);
        robot::Press(VK_RETURN);
        EXPECT_EQ(CalendarOf(dialog, {}), nullptr);
        EXPECT_TRUE(IsWindowVisible(dialog)) << "Enter in the calendar ended the dialog";
        EXPECT_EQ(robot::Text(f.begin), Mdy(7, 12, 2024));

        // Escape closes it and leaves the field and the dialog as they were.
        robot::Press(VK_DOWN, {VK_MENU});
        ASSERT_NE(CalendarOf(dialog, robot::Timeout(2000)), nullptr) << "Alt+Down opened no calendar";
        robot::Press(VK_RIGHT);
        robot::Press(VK_ESCAPE);
        EXPECT_EQ(CalendarOf(dialog, {}), nullptr);
        EXPECT_TRUE(IsWindowVisible(dialog)) << "Escape in the calendar ended the dialog";
        EXPECT_EQ(robot::Text(f.begin), Mdy(7, 12, 2024));

        // The button on the end field, then a click on a day.
        RECT r;
        GetWindowRect(f.end, &r);
        robot::ClickAt({r.right - 6, (r.top + r.bottom) / 2});
        const HWND second = CalendarOf(dialog, robot::Timeout(2000));
        ASSERT_NE(second, nullptr) << "the button opened no calendar";
        const std::optional<POINT> day = DayInCalendar(second, 15);
        ASSERT_TRUE(day.has_value());
        robot::ClickAt(*day);
        EXPECT_EQ(CalendarOf(dialog, {}), nullptr);
        EXPECT_EQ(robot::Text(f.end), Mdy(7, 15, 2024));

        // A click elsewhere closes it unchanged.
        robot::Press(VK_F4);
        ASSERT_NE(CalendarOf(dialog, robot::Timeout(2000)), nullptr);
        robot::Click(f.begin);
        EXPECT_EQ(CalendarOf(dialog, {}), nullptr);
        robot::Press(VK_RETURN);
    });
    EXPECT_EQ(Results(o.get()).endDate, 45488.0);
}

TEST_F(DateRangeDialogTest, KeysReachTheField)
{
    StoredDates stored(std::nullopt, std::nullopt);
    const struct {
        const char* name;
        std::function<void()> keys;
        std::wstring shown;
    } cases[] = {
        {"Up steps the day under the caret", [] { robot::Press(VK_RIGHT); robot::Press(VK_RIGHT); robot::Press(VK_UP); }, Mdy(8, 1, 2024)},
        {"Down steps the month", [] { robot::Press(VK_DOWN); }, Mdy(6, 30, 2024)},
        {"F3 puts today", [] { robot::Press(VK_F3); }, TodayText()},
        {"copy and paste", [] { robot::Press('C', {VK_CONTROL}); robot::Press(VK_F3); robot::Press('V', {VK_CONTROL}); }, Mdy(7, 31, 2024)},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Show(NewRange(k31July2024, k31July2024).get(), [&](HWND dialog) {
            c.keys();
            robot::Settle(dialog);
            EXPECT_EQ(robot::Text(FieldsOf(dialog).begin), c.shown);
            robot::Press(VK_ESCAPE);
        });
    }
}

TEST_F(DateRangeDialogTest, AFailedSaveEndsTheDialogWithItsErrorAndChangesNothing)
{
    StoredDates stored(std::nullopt, std::nullopt);
    // A volatile application key can hold no lasting section.
    RegDeleteTreeW(HKEY_CURRENT_USER, kApplicationKey);
    RegDeleteKeyW(HKEY_CURRENT_USER, kApplicationKey);
    HKEY k = nullptr;
    ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, kApplicationKey, 0, nullptr, REG_OPTION_VOLATILE, KEY_ALL_ACCESS,
                              nullptr, &k, nullptr),
              ERROR_SUCCESS);
    RegCloseKey(k);
    OnFreshThread([] {
        ComPtr<IDispatch> o = NewRange(k4July2024, k31July2024);
        Outcome shown;
        robot::WithDialog([&] { shown = Call(o.get(), L"ShowForm"); }, PressEnter);
        EXPECT_EQ(shown.number(), HRESULT_FROM_WIN32(ERROR_CHILD_MUST_BE_VOLATILE));
        EXPECT_FALSE(shown.description.empty());
        const Seen seen = Results(o.get());
        EXPECT_FALSE(seen.succeed);
        EXPECT_EQ(seen.beginDate, k4July2024);
        // The form is as it was: closing the next dialog reports no success.
        EXPECT_FALSE(ShowAndEnd(o.get(), CloseBox).succeed);
    });
    RegDeleteKeyW(HKEY_CURRENT_USER, kApplicationKey);
}

// A copy of the DLL, loaded only here, so that FreeLibrary really unloads it.
// The section key with a security descriptor that denies everyone to read
// it or to write it; the descriptor is taken off again at the end.
class DeniedSection {
public:
    explicit DeniedSection(const wchar_t* denied)
    {
        HKEY k = nullptr;
        RegCreateKeyExW(HKEY_CURRENT_USER, kSectionKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &k, nullptr);
        Secure(k, (std::wstring(L"D:(D;;") + denied + L";;;WD)(A;;KA;;;WD)").c_str());
        RegCloseKey(k);
    }
    DeniedSection(const DeniedSection&) = delete;
    DeniedSection& operator=(const DeniedSection&) = delete;
    ~DeniedSection()
    {
        HKEY k = nullptr;
        RegOpenKeyExW(HKEY_CURRENT_USER, kSectionKey, 0, WRITE_DAC, &k);
        Secure(k, L"D:(A;;KA;;;WD)");
        RegCloseKey(k);
    }

private:
    static void Secure(HKEY k, const wchar_t* sddl)
    {
        PSECURITY_DESCRIPTOR sd = nullptr;
        ASSERT_TRUE(ConvertStringSecurityDescriptorToSecurityDescriptorW(sddl, SDDL_REVISION_1, &sd, nullptr));
        EXPECT_EQ(RegSetKeySecurity(k, DACL_SECURITY_INFORMATION, sd), ERROR_SUCCESS);
        LocalFree(sd);
    }
};

TEST_F(DateRangeDialogTest, StoredDatesThatCannotBeReadGiveTodaysDate)
{
    StoredDates stored(std::nullopt, std::nullopt);
    const DWORD number = 45477;
    {
        SCOPED_TRACE("values of another registry type");
        RegSetKeyValueW(HKEY_CURRENT_USER, kSectionKey, L"BeginDate", REG_DWORD, &number, sizeof number);
        RegSetKeyValueW(HKEY_CURRENT_USER, kSectionKey, L"EndDate", REG_BINARY, &number, sizeof number);
        OnFreshThread([] {
            const Seen seen = ShowAndEnd(NewRange().get(), PressEscape);
            EXPECT_EQ(seen.begin, TodayText());
            EXPECT_EQ(seen.end, TodayText());
        });
    }
    {
        SCOPED_TRACE("a section the user may not read");
        Store(L"BeginDate", L"01/02/2003");
        DeniedSection denied(L"KR");
        OnFreshThread([] {
            const Seen seen = ShowAndEnd(NewRange().get(), PressEscape);
            EXPECT_EQ(seen.begin, TodayText());
            EXPECT_EQ(seen.end, TodayText());
        });
    }
}

TEST_F(DateRangeDialogTest, ASaveTheUserMayNotMakeIsAClearErrorAndChangesNothing)
{
    StoredDates stored(L"01/02/2003", L"04/05/2006");
    {
        DeniedSection denied(L"KW");
        OnFreshThread([] {
            ComPtr<IDispatch> o = NewRange(k4July2024, k31July2024);
            Outcome shown;
            robot::WithDialog([&] { shown = Call(o.get(), L"ShowForm"); }, PressEnter);
            EXPECT_EQ(shown.number(), HRESULT_FROM_WIN32(ERROR_ACCESS_DENIED));
            EXPECT_EQ(shown.source, L"VELDLG");
            EXPECT_FALSE(shown.description.empty());
            EXPECT_FALSE(Results(o.get()).succeed);
        });
    }
    EXPECT_EQ(Stored(L"BeginDate"), L"01/02/2003");
    EXPECT_EQ(Stored(L"EndDate"), L"04/05/2006");
}

TEST_F(DateRangeDialogTest, TheFieldsWindowClassGoesWithTheLibrary)
{
    wchar_t folder[MAX_PATH];
    GetTempPathW(MAX_PATH, folder);
    const std::wstring copy = std::wstring(folder) + L"veldlg_unload_copy.dll";
    ASSERT_TRUE(CopyFileW(testfiles::OwnDll().c_str(), copy.c_str(), FALSE));
    const auto registered = [](HMODULE m) {
        WNDCLASSEXW wc{sizeof wc};
        return GetClassInfoExW(m, L"VELDLG.DateField", &wc) != FALSE;
    };
    StoredDates stored(std::nullopt, std::nullopt);
    HMODULE first = LoadLibraryW(copy.c_str());
    ASSERT_NE(first, nullptr);
    {
        using GetClassObject = HRESULT WINAPI(REFCLSID, REFIID, void**);
        auto* get = reinterpret_cast<GetClassObject*>(
            reinterpret_cast<void (*)()>(GetProcAddress(first, "DllGetClassObject")));
        ComPtr<IClassFactory> factory;
        ASSERT_EQ(get(CLSID_DateRange, IID_IClassFactory, factory.put_void()), S_OK);
        ComPtr<IDispatch> o;
        ASSERT_EQ(factory->CreateInstance(nullptr, IID_IDispatch, o.put_void()), S_OK);
        Show(o.get(), PressEscape);
    }
    EXPECT_TRUE(registered(first));
    FreeLibrary(first);
    HMODULE second = LoadLibraryW(copy.c_str());
    ASSERT_NE(second, nullptr);
    // Loaded at the same place, a class left behind would still be found.
    EXPECT_FALSE(registered(second)) << "the class outlived the library";
    FreeLibrary(second);
    DeleteFileW(copy.c_str());
}

} // namespace
