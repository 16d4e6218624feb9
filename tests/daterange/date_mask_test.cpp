// The date field's mask without a window, as one table of edits run with the
// usual separator and with one of two characters. A text is written with its
// selection: '|' a caret, '[' and ']' the ends of a selection.

#include "host/date_mask.h"

#include <gtest/gtest.h>

#include <string>

// These two also serve the window's tests.
std::wstring Marked(std::wstring s, int start, int end)
{
    if (start == end) return s.insert(static_cast<size_t>(start), 1, L'|');
    s.insert(static_cast<size_t>(end), 1, L']');
    return s.insert(static_cast<size_t>(start), 1, L'[');
}

std::wstring Replaced(std::wstring s, std::wstring_view from, std::wstring_view to)
{
    for (auto at = s.find(from); at != std::wstring::npos; at = s.find(from, at + to.size())) s.replace(at, from.size(), to);
    return s;
}

namespace {

using host::Span;

// Takes the marks out of a text, giving the selection they marked.
Span Unmark(std::wstring& s)
{
    Span selection;
    for (auto at = s.find_first_of(L"|[]"); at != std::wstring::npos; at = s.find_first_of(L"|[]", at)) {
        if (s[at] != L']') selection.start = static_cast<int>(at);
        if (s[at] != L'[') selection.end = static_cast<int>(at);
        s.erase(at, 1);
    }
    return selection;
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
        {L"[07]/04/2024", L"V 7/31/2025\r\n", L"07/31/2025|"}, {L"07/|04/2024", L"VJuly 4, 1776", L"07/04/1776|"},
        {L"07/|04/2024", L"V12/__/2024", L"12/__/2024|"}, {L"|__/__/____", L"V7/4", L"07/4|_/____"},
        {L"07/04/20[24]", L"V567", L"07/04/2056|"}, {L"07/|04/2024", L"V4th", L"07/|04/2024"},
        {L"07/|04/2024", L"V \t", L"07/|04/2024"},
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
                case L'V': caret = m.Paste(std::wstring_view(keys).substr(i + 1), sel); i = wcslen(keys); break;
                default: caret = m.Type(keys[i], sel);
                }
                if (caret) sel = {*caret, *caret};
            }
            const std::wstring want = Replaced(Replaced(expected, L"tt/tt/tttt", today), L"tt/", today.substr(0, 3));
            EXPECT_EQ(Marked(m.Display(), sel.start, sel.end), Replaced(want, L"/", separator));
            const bool empty = m.Display().find_first_not_of(L"_/. ") == std::wstring::npos;
            EXPECT_EQ(m.Text(), empty ? L"" : m.Display()) << "the content of an empty entry is empty";
            EXPECT_EQ(m.Date().has_value(), host::IsDate(Replaced(m.Text(), separator, L"/"))) << "Date and IsDate differ";
        }
    }
}

} // namespace
