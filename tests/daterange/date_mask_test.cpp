// The date field's mask without a window: edits on a selection, as tables.
// A text shown is written with its selection: '|' a caret, '[' and ']' the
// ends of a selection.

#include "host/date_mask.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using host::DateMask;
using host::Span;

// Takes the marks out of a text, giving the selection they marked.
Span Unmark(std::wstring& s)
{
    if (const auto caret = s.find(L'|'); caret != std::wstring::npos) {
        s.erase(caret, 1);
        return {static_cast<int>(caret), static_cast<int>(caret)};
    }
    const auto open = s.find(L'[');
    if (open == std::wstring::npos) return {};
    s.erase(open, 1);
    const auto close = s.find(L']');
    s.erase(close, 1);
    return {static_cast<int>(open), static_cast<int>(close)};
}

std::wstring Marked(std::wstring s, Span span)
{
    if (span.Empty()) return s.insert(static_cast<size_t>(span.start), 1, L'|');
    s.insert(static_cast<size_t>(span.end), 1, L']');
    return s.insert(static_cast<size_t>(span.start), 1, L'[');
}

// A mask showing a marked text; the selection comes back in `selection`.
DateMask Start(std::wstring marked, Span& selection, const wchar_t* separator = L"/")
{
    selection = Unmark(marked);
    DateMask m(separator);
    m.SetText(marked);
    return m;
}

// Keys: B Backspace, D Delete, ^ and v Up and Down; anything else is typed.
// An edit the mask takes leaves a caret where it says; a step keeps the
// selection; an edit it refuses must change nothing.
TEST(DateMask, KeysEditTheSelection)
{
    const struct {
        const wchar_t* start;
        const wchar_t* keys;
        const wchar_t* shown;
    } cases[] = {
        {L"|__/__/____", L"07042024", L"07/04/2024|"},
        {L"|__/__/____", L"7/4/2024", L"07/04/2024|"}, // a separator pads the part typed
        {L"|__/__/____", L"12/", L"12/|__/____"},      // a full part takes no padding
        {L"|__/__/____", L"070420249", L"07/04/2024|"}, // nothing past the year
        {L"|__/__/____", L"x-", L"|__/__/____"},
        {L"|07/04/2024", L"0815", L"08/15/|2024"},     // typing overwrites from the caret
        {L"|07/04/2024", L"1/2/", L"01/02/|2024"},
        {L"|07/04/2024", L"12/3", L"12/3|4/2024"},
        {L"07/0|4/2024", L"/", L"07/04/|2024"},        // nothing typed into the part: only moves on
        {L"07|/04/2024", L"5", L"07/5|4/2024"},        // a digit before a separator goes past it
        {L"07/04/2024|", L"BB", L"07/04/20|__"},
        {L"07/|04/2024", L"B", L"0|_/04/2024"},        // Backspace skips the separator
        {L"0|7/04/2024", L"DD", L"0|_/04/2024"},
        {L"07/04/2024|", L"BBBBBBBB", L"|__/__/____"},
        {L"[07/04/2024]", L"8", L"8|_/__/____"},       // typing replaces the selection from its first position
        {L"0[7/0]4/2024", L"5", L"05/|_4/2024"},       // across a separator the other selected slots empty
        {L"[07/04/2024]", L"D", L"|__/__/____"},
        {L"07/[04/20]24", L"B", L"07/|__/__24"},
        {L"[07]/04/2024", L"/", L"|__/04/2024"},       // a separator empties the selection, then moves on if it can
        {L"0[7/04]/2024", L"/", L"0_/|__/2024"},
        {L"07/04/[2024]", L"x", L"07/04/[2024]"},      // refused: the selection stays
        {L"01/|31/2024", L"^", L"02/|01/2024"},        // a day steps the date
        {L"|01/31/2024", L"^", L"|02/29/2024"},        // a month keeps the day within the month
        {L"02/29/2024|", L"v", L"02/28/2023|"},        // a year too
        {L"12/|31/2024", L"^", L"01/|01/2025"},
        {L"01/|01/0100", L"v", L"01/|01/0100"},        // the first day is the first
        {L"12/|31/9999", L"^", L"12/|31/9999"},
        {L"|12/__/2024", L"^", L"|01/__/2024"},        // an incomplete date steps the part alone
        {L"|01/__/2024", L"v", L"|12/__/2024"},
        {L"[01/31/2024]", L"v", L"[12/31/2023]"},      // the part where the selection starts
        {L"|13/45/2024", L"", L"|13/45/2024"},         // the layout is kept even when no day
        {L"gar[bag]e", L"5", L"5|_/__/____"},          // a text that is no date stays until edited
        {L"garbage|", L"/", L"garbage|"},
        {L"[garbage]", L"D", L"|__/__/____"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << std::wstring(c.start) << " keys " << std::wstring(c.keys));
        Span sel;
        DateMask m = Start(c.start, sel);
        for (const wchar_t k : std::wstring_view(c.keys)) {
            const DateMask before = m;
            std::optional<int> caret;
            switch (k) {
            case L'B': caret = m.Erase(sel, true); break;
            case L'D': caret = m.Erase(sel, false); break;
            case L'^':
            case L'v': m.Step(k == L'^' ? 1 : -1, sel.start); break;
            default:
                caret = m.Type(k, sel);
                if (!caret) {
                    EXPECT_EQ(m.Display() + m.Text(), before.Display() + before.Text()) << "refused";
                }
            }
            if (caret) sel = {*caret, *caret};
        }
        EXPECT_EQ(Marked(m.Display(), sel), c.shown);
        const bool empty = m.Display().find_first_not_of(L"_/") == std::wstring::npos;
        EXPECT_EQ(m.Text(), empty ? L"" : m.Display()) << "the content of an empty entry is empty";
        EXPECT_EQ(m.Date().has_value(), host::IsDate(m.Text())) << "the mask and the is-date test disagree";
    }
}

TEST(DateMask, PasteReplacesTheEntryWithADateOrTypesTheRest)
{
    const struct {
        const wchar_t* start;
        const wchar_t* pasted; // nullptr: refused
        const wchar_t* shown;
    } cases[] = {
        {L"[07]/04/2024", L" 7/31/2025\r\n", L"07/31/2025|"}, // a whole date, wherever the selection
        {L"07/|04/2024", L"July 4, 1776", L"07/04/1776|"},
        {L"07/|04/2024", L"12/__/2024", L"12/__/2024|"},     // laid out as the mask
        {L"|__/__/____", L"7/4", L"07/4|_/____"},             // two numbers are typed in
        {L"07/|04/2024", L"12345", L"07/12/345|4"},
        {L"07/04/20[24]", L"567", L"07/04/2056|"},           // what passes the year is dropped
        {L"garbage|", L"12", L"12/|__/____"},
        {L"07/|04/2024", L"4th", nullptr},
        {L"07/|04/2024", L" \t", nullptr},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << std::wstring(c.start) << " pasted " << std::wstring(c.pasted));
        Span sel;
        DateMask m = Start(c.start, sel);
        const auto caret = m.Paste(c.pasted, sel);
        ASSERT_EQ(caret.has_value(), c.shown != nullptr);
        EXPECT_EQ(Marked(m.Display(), caret ? Span{*caret, *caret} : sel), c.shown ? c.shown : c.start);
    }
}

TEST(DateMask, ADoubleClickSelectsThePartOfTheCharacter)
{
    Span sel;
    const DateMask m = Start(L"|07/04/2024", sel);
    // The part of each position 0..10: a separator goes with the part before.
    const std::wstring parts = L"MMMDDDYYYYY";
    for (int at = 0; at <= 10; ++at) {
        const wchar_t p = parts[static_cast<size_t>(at)];
        const Span part = p == L'M' ? Span{0, 2} : p == L'D' ? Span{3, 5} : Span{6, 10};
        EXPECT_EQ(m.PartAt(at), part) << at;
    }
    EXPECT_FALSE(Start(L"|soon", sel).PartAt(0)) << "a text that is no date has no parts";
}

TEST(DateMask, ShowsTheUsersSeparator)
{
    DateMask m(L". ");
    m.SetDate(45477); // 4 July 2024
    EXPECT_EQ(m.Type(L'1', {10, 10}), 11) << "the year's third slot";
    EXPECT_EQ(m.Type(L'9', {3, 3}), 5) << "the day's first slot, past both characters of the separator";
    EXPECT_EQ(m.Display(), L"07. 94. 2014");
    EXPECT_EQ(m.PartAt(3), (Span{0, 2}));
}

TEST(DateMask, EmptyFieldsStepToToday)
{
    SYSTEMTIME t;
    GetLocalTime(&t);
    wchar_t today[16];
    swprintf(today, 16, L"%02u/%02u/%04u", t.wMonth, t.wDay, t.wYear);
    Span sel;
    for (const wchar_t* start : {L"|", L"|garbage"}) {
        DateMask m = Start(start, sel);
        m.Step(1, 0);
        EXPECT_EQ(m.Text(), today) << std::wstring(start);
    }
    DateMask m = Start(L"|__/04/2024", sel);
    m.Step(-1, 0);
    EXPECT_EQ(m.Text().substr(0, 2), std::wstring(today).substr(0, 2)) << "an empty month takes this month";
}

} // namespace
