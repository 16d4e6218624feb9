#pragma once
// What a date field holds and how edits change it, apart from any window:
// eight digit slots shown as MM/DD/YYYY with the user's separator and '_'
// for an empty slot, or a text that is not a date, shown as it stands until
// the user edits it. The window keeps the caret and the selection; every
// edit takes the selection it acts on, in positions of Display(), and gives
// back where the caret goes. An edit the field does not take changes nothing.

#include "host/dates.h"

#include <array>
#include <optional>
#include <string>
#include <string_view>

namespace host {

// Positions in the text shown, start <= end; start == end is a caret.
struct Span {
    int start = 0;
    int end = 0;
    bool Empty() const { return start == end; }
    friend bool operator==(const Span&, const Span&) = default;
};

class DateMask {
public:
    static constexpr int kSlots = 8;

    explicit DateMask(std::wstring separator = DateSeparator());

    // Set the content: a text laid out as the mask fills its slots, even when
    // incomplete or not a real day; a date in any other written form is
    // shown as MM/DD/YYYY; anything else is kept as it stands.
    void SetText(std::wstring_view text);
    // Read the content: the mask as shown when any slot is filled, "" when
    // none is, or the text kept as it stands. An incomplete entry keeps its
    // '_', so it fails the is-date test.
    std::wstring Text() const;
    // What the field shows.
    std::wstring Display() const;

    // A character typed. A digit replaces the selection from its first
    // position: the selected slots empty, the digit fills the first slot at
    // or after it, separators are skipped. A separator does the same to the
    // selection, then moves to the next part, padding the digits just typed
    // into this one ("7/" gives 07). Anything else is not taken.
    std::optional<int> Type(wchar_t ch, Span selection);
    // Delete (forward) and Backspace: the selected slots, or else the slot
    // after or before the caret, become empty.
    int Erase(Span selection, bool backward);
    // Text pasted. A date written with a month name or three numbers, or a
    // text laid out as the mask, replaces the whole entry; other digits and
    // separators are typed from the selection's first position (those past
    // the year are dropped); any other text is not taken.
    std::optional<int> Paste(std::wstring_view text, Span selection);
    // Up (+1) or Down (-1) on the part at a position. A complete date steps
    // as a date (31 January + 1 day is 1 February; + 1 month is 28 or 29
    // February); an incomplete part steps alone, within its range, and an
    // empty one takes today's value first; an empty field or a text takes
    // today's date.
    void Step(int delta, int position);
    // Shows the day of a date.
    void SetDate(DATE value);
    // The date shown, when all slots make a real day.
    std::optional<DATE> Date() const;
    // The part (month, day or year) holding the character at a position, a
    // separator counting with the part before it: what a double click
    // selects. Nothing for a text kept as it stands.
    std::optional<Span> PartAt(int position) const;

private:
    enum class Part { Month, Day, Year };
    static Part PartOf(int slot);
    static int PartStart(Part p);
    static int PartLength(Part p);
    int SlotPosition(int slot) const;
    // The first slot at or after a position; kSlots past the last.
    int SlotAt(int position) const;
    bool Empty() const;
    bool IsSeparator(wchar_t ch) const;
    // Editing a text kept as it stands starts a new, empty entry.
    void StartEntry();
    void Clear(Span selection);
    std::optional<int> TypeDigit(wchar_t ch, Span selection);
    std::optional<int> TypeSeparator(Span selection);
    std::optional<int> PartValue(Part p) const;
    void SetPart(Part p, int value);

    std::wstring separator_;
    std::array<wchar_t, kSlots> slots_{}; // a digit, or 0 when empty
    std::optional<std::wstring> text_;  // a text that is not a date
    // The digits typed one after another from the start of a part, and
    // where they left the caret: a separator typed there pads them.
    int runLength_ = 0;
    int runEnd_ = -1;
};

} // namespace host
