// The date field: its mask without a window, as one table of edits run with
// the usual separator and with one of two characters; then, in the date range
// dialog, what only the window does, through the real input queue. A text is
// written with its selection: '|' a caret, '[' and ']' the ends of a selection.

#include "host/date_mask.h"
#include "host/dates.h"
#include "support/com_client.h"
#include "support/robot.h"

#include <gtest/gtest.h>

using host::Span;

static std::wstring Marked(std::wstring s, int start, int end)
{
    if (start == end) return s.insert(static_cast<size_t>(start), 1, L'|');
    s.insert(static_cast<size_t>(end), 1, L']');
    return s.insert(static_cast<size_t>(start), 1, L'[');
}

static std::wstring Replaced(std::wstring s, std::wstring_view from, std::wstring_view to)
{
    for (size_t at = 0; (at = s.find(from, at)) != s.npos; at += to.size()) s.replace(at, from.size(), to);
    return s;
}

// Takes the marks out of a text, giving the selection they marked.
static Span Unmark(std::wstring& s)
{
    const auto start = s.find_first_of(L"|["), end = s.find_first_of(L"|]") - (s[start] == L'[');
    std::erase_if(s, [](wchar_t c) { return c == L'|' || c == L'[' || c == L']'; });
    return {static_cast<int>(start), static_cast<int>(end)};
}

// Keys: B Backspace, D Delete, ^ and v Up and Down, W a double click at the
// selection's start; V pastes the rest of the keys; anything else is typed.
// An edit the mask takes leaves a caret where it says; a step keeps the
// selection; an edit it refuses changes nothing, the selection included.
// Expected, tt/tt/tttt stands for today's date, tt/ for this month.
TEST(DateMask, EditsTheSelection)
{
    const wchar_t* const cases[][3] = {
        // Typing fills the slots from the caret, skipping separators; a
        // separator pads the part typed, unless full, and moves on.
        {L"|__/__/____", L"7/4/2024", L"07/04/2024|"}, {L"|__/__/____", L"12/", L"12/|__/____"},
        {L"|__/__/____", L"070420249", L"07/04/2024|"}, {L"|__/__/____", L"x-", L"|__/__/____"},
        {L"|07/04/2024", L"0815", L"08/15/|2024"}, {L"07/0|4/2024", L"/", L"07/04/|2024"},
        {L"07|/04/2024", L"5", L"07/5|4/2024"},
        // Backspace skips a separator; Delete keeps the caret.
        {L"07/|04/2024", L"B", L"0|_/04/2024"}, {L"0|7/04/2024", L"DD", L"0|_/04/2024"},
        {L"07/04/2024|", L"BBBBBBBB", L"|__/__/____"},
        // Typing replaces a selection from its first position, the other
        // selected slots emptied; so does a separator, then moves on if it can.
        {L"[07/04/2024]", L"8", L"8|_/__/____"}, {L"0[7/0]4/2024", L"5", L"05/|_4/2024"},
        {L"[07/04/2024]", L"D", L"|__/__/____"}, {L"07/[04/20]24", L"B", L"07/|__/__24"},
        {L"[07]/04/2024", L"/", L"|__/04/2024"}, {L"0[7/04]/2024", L"/", L"0_/|__/2024"},
        {L"07/04/[2024]", L"x", L"07/04/[2024]"},
        // A complete date steps as a date, within the month and the years
        // there are; an incomplete part steps alone, a month or a day round,
        // a year up to its bounds; an empty part or entry takes today's.
        {L"01/|31/2024", L"^", L"02/|01/2024"}, {L"|01/31/2024", L"^", L"|02/29/2024"},
        {L"02/29/2024|", L"v", L"02/28/2023|"}, {L"[01/31/2024]", L"v", L"[12/31/2023]"},
        {L"01/|01/0100", L"v", L"01/|01/0100"}, {L"12/|31/9999", L"^", L"12/|31/9999"},
        {L"|12/__/2024", L"^", L"|01/__/2024"}, {L"|01/__/2024", L"v", L"|12/__/2024"},
        {L"__/__/|9999", L"^", L"__/__/|9999"}, {L"|__/04/2024", L"v", L"|tt/04/2024"},
        {L"|", L"^", L"|tt/tt/tttt"}, {L"|garbage", L"^", L"|tt/tt/tttt"},
        // A double click selects a part, a separator going with the part before.
        {L"07|/04/2024", L"W", L"[07]/04/2024"}, {L"07/|04/2024", L"W", L"07/[04]/2024"},
        {L"07/04|/2024", L"W", L"07/[04]/2024"}, {L"07/04/2024|", L"W", L"07/04/[2024]"},
        // The layout is kept even when no day; a text that is no date stays
        // until edited, and has no parts.
        {L"|13/45/2024", L"", L"|13/45/2024"}, {L"gar[bag]e", L"5", L"5|_/__/____"},
        {L"garbage|", L"/", L"garbage|"}, {L"[garbage]", L"D", L"|__/__/____"}, {L"|soon", L"W", L"|soon"},
        // A date pasted, written in full, with a month name or laid out as
        // the mask, replaces the entry; other digits and separators are typed
        // and what passes the year dropped; anything else is refused.
        {L"[07]/04/2024", L"V 7/31/2025\r\n", L"07/31/2025|"},
        {L"07/|04/2024", L"VJuly 4, 1776", L"07/04/1776|"}, {L"07/|04/2024", L"V12/__/2024", L"12/__/2024|"},
        {L"|__/__/____", L"V7/4", L"07/4|_/____"}, {L"07/04/20[24]", L"V567", L"07/04/2056|"},
        {L"07/|04/2024", L"V4th", L"07/|04/2024"}, {L"07/|04/2024", L"V \t", L"07/|04/2024"},
    };
    const std::wstring today = host::FormatDate(host::Today());
    for (const std::wstring separator : {L"/", L". "}) {
        for (const auto& [start, keys, expected] : cases) {
            SCOPED_TRACE(testing::Message() << start << " keys " << keys << " with " << separator);
            std::wstring text = Replaced(start, L"/", separator);
            Span sel = Unmark(text);
            host::DateMask m(separator);
            m.SetText(Replaced(text, separator, L"/"));
            for (size_t i = 0; i < wcslen(keys); ++i) {
                std::optional<int> caret;
                switch (keys[i]) {
                case L'B': case L'D': caret = m.Erase(sel, keys[i] == L'B'); break;
                case L'^': case L'v': m.Step(keys[i] == L'^' ? 1 : -1, sel.start); break;
                case L'W': sel = m.PartAt(sel.start).value_or(sel); break;
                case L'V': caret = m.Paste(keys + i + 1, sel); i = wcslen(keys); break;
                default: caret = m.Type(keys[i], sel);
                }
                if (caret) sel = {*caret, *caret};
            }
            const std::wstring want = Replaced(Replaced(expected, L"tt/tt/tttt", today), L"tt/", today.substr(0, 3));
            EXPECT_EQ(Marked(m.Display(), sel.start, sel.end), Replaced(want, L"/", separator));
            EXPECT_EQ(m.Date().has_value(), host::IsDate(Replaced(m.Text(), separator, L"/")));
        }
    }
}

// Keys of the window's table: R, H, E, U, N, D, B, I, T and M press Right,
// Home, End, Up, Down, Delete, Backspace, Insert, Tab and F10; + and ^ hold
// Shift or Ctrl for the next key; W and a digit double-click that character;
// K presses OK, which must refuse; anything else is typed, as Unicode input
// when asked and no key is held.
static void Keys(HWND field, std::wstring_view keys, bool unicode)
{
    constexpr std::wstring_view names = L"RHEUNDBITM";
    constexpr WORD named[] = {VK_RIGHT, VK_HOME, VK_END, VK_UP, VK_DOWN,
                              VK_DELETE, VK_BACK, VK_INSERT, VK_TAB, VK_F10};
    const DWORD thread = GetWindowThreadProcessId(field, nullptr);
    for (size_t i = 0; i < keys.size(); ++i) {
        std::vector<WORD> held;
        for (; keys[i] == L'+' || keys[i] == L'^'; ++i) held.push_back(keys[i] == L'+' ? VK_SHIFT : VK_CONTROL);
        if (keys[i] == L'W') {
            const LRESULT at = SendMessageW(field, EM_POSFROMCHAR, static_cast<WPARAM>(keys[++i] - L'0'), 0);
            robot::DoubleClick(field, {LOWORD(at) + 2, HIWORD(at) + 4});
        } else if (keys[i] == L'K') { // refused with a message box; the dialog stays once it is closed
            robot::Press(VK_RETURN);
            const HWND box = robot::WaitForMessageBox(thread);
            ASSERT_NE(box, nullptr) << "OK took the entry";
            robot::Press(VK_RETURN);
            EXPECT_TRUE(robot::WaitUntilGone(box) && robot::WaitForForm(thread) == GetParent(field));
        } else if (names.find(keys[i]) != names.npos) {
            robot::Press(named[names.find(keys[i])], held);
        } else if (unicode && held.empty()) {
            robot::TypeUnicode(keys.substr(i, 1));
        } else {
            robot::Press(LOBYTE(VkKeyScanW(keys[i])), held);
        }
    }
}

// Each row starts from 07/04/2024, with virtual keys and with Unicode input;
// then comes what the field shows, its selection marked. Tab into the field
// selects the whole entry, so does Ctrl+A with the caret at its start, where
// typing begins; Shift with a key selects; a double click selects a part; the
// clipboard by keys and by the context menu (Shift+F10), each row with
// another text than the row before, so that a copy left out shows; Undo by
// key and by the menu; Up and Down step the part where the selection starts;
// OK refuses an entry left empty or incomplete, which stays.
TEST(DateField, EditingSequences)
{
    const wchar_t* const cases[][2] = {
        {L"^a7/4/2025", L"07/04/2025|"}, {L"RDEBB", L"0_/04/20|__"}, {L"T+T", L"[07/04/2024]"},
        {L"^a+R8", L"08/|__/____"}, {L"R+R+R+R5", L"05/|_4/2024"}, {L"E+HD", L"|__/__/____"},
        {L"RRR+EB", L"07/|__/____"}, {L"W4", L"07/[04]/2024"}, {L"+R+R^xRRR^v", L"__/07/|2024"},
        {L"RRRRRR+E+DH+I", L"20/24/|____"}, {L"W4^IH+Mp", L"04/|04/2024"}, {L"W1+MtRRR+Mp", L"__/07/|2024"},
        {L"W7^cH^v", L"20/24/|2024"}, {L"+Ma+Md", L"|__/__/____"}, {L"^aD^z", L"[07/04/2024]"},
        {L"W4D+Mu", L"[07/04/2024]"}, {L"RRRU", L"07/|05/2024"}, {L"^aN", L"[06/04/2024]"},
        {L"^aDK", L"|__/__/____"}, {L"W4DK", L"07/|__/2024"},
    };
    // Both dates preset (4 and 31 July 2024), so that the stored dates are
    // neither read nor, as long as nothing is confirmed, written.
    client::Apartment apartment;
    client::ComPtr<IDispatch> o = client::Create(L"VELDLG.DateRange");
    ASSERT_TRUE(client::Put(o.get(), L"BeginDate", client::Date(45477).get()).ok() &&
                client::Put(o.get(), L"EndDate", client::Date(45504).get()).ok());
    // Dates as the user's separator writes them.
    const auto local = [](const wchar_t* s) { return Replaced(s, L"/", host::DateSeparator()); };
    robot::WithDialog([&] { EXPECT_EQ(client::Call(o.get(), L"ShowForm").hr, S_OK); }, [&](HWND dialog) {
        const HWND field = robot::Children(dialog, L"VELDLG.DateField").at(0);
        for (const bool unicode : {false, true}) {
            for (const auto& [keys, expected] : cases) {
                SCOPED_TRACE(testing::Message() << (unicode ? "Unicode " : "keys ") << keys);
                SendMessageW(dialog, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(field), TRUE);
                SendMessageW(field, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(local(L"07/04/2024").c_str()));
                Keys(field, keys, unicode);
                std::wstring shown;
                // Input arrives in its own time: read until as expected, or for two seconds.
                for (int i = 0; i < 100 && shown != local(expected); ++i, Sleep(20)) {
                    wchar_t line[64] = {63}; // what the field shows, its placeholders included
                    DWORD from = 0, to = 0;
                    SendMessageW(field, EM_GETSEL, reinterpret_cast<WPARAM>(&from), reinterpret_cast<LPARAM>(&to));
                    const LRESULT n = SendMessageW(field, EM_GETLINE, 0, reinterpret_cast<LPARAM>(line));
                    shown = Marked(std::wstring(line, n), from, to);
                }
                EXPECT_EQ(shown, local(expected));
            }
        }
        robot::Press(VK_ESCAPE); // Escape ends the dialog
    });
}
