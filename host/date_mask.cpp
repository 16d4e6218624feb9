#include "host/date_mask.h"

#include <algorithm>
#include <cwctype>
#include <utility>

namespace host {

namespace {

bool IsDigit(wchar_t c)
{
    return c >= L'0' && c <= L'9';
}

int Wrap(int value, int low, int high)
{
    const int n = high - low + 1;
    return low + ((value - low) % n + n) % n;
}

// A date written with a month name or with three numbers: "7/4" is a day
// and a month to type in, "7/4/2024" or "July 4, 2024" a whole date.
bool NamesTheYear(std::wstring_view text)
{
    int numbers = 0;
    for (size_t i = 0; i < text.size(); ++i) {
        if (std::iswalpha(text[i])) return true;
        if (IsDigit(text[i]) && (i == 0 || !IsDigit(text[i - 1]))) ++numbers;
    }
    return numbers >= 3;
}

} // namespace

DateMask::DateMask(std::wstring separator) : separator_(std::move(separator)) {}

DateMask::Part DateMask::PartOf(int slot)
{
    return slot < 2 ? Part::Month : slot < 4 ? Part::Day : Part::Year;
}

int DateMask::PartStart(Part p)
{
    return p == Part::Month ? 0 : p == Part::Day ? 2 : 4;
}

int DateMask::PartLength(Part p)
{
    return p == Part::Year ? 4 : 2;
}

int DateMask::SlotPosition(int slot) const
{
    const int s = static_cast<int>(separator_.size());
    return slot + (slot >= 2 ? s : 0) + (slot >= 4 ? s : 0);
}

int DateMask::SlotAt(int position) const
{
    int slot = 0;
    while (slot < kSlots && SlotPosition(slot) < position) ++slot;
    return slot;
}

bool DateMask::Empty() const
{
    return std::all_of(slots_.begin(), slots_.end(), [](wchar_t c) { return c == 0; });
}

void DateMask::SetText(std::wstring_view text)
{
    DateMask next(separator_);
    if (const auto slots = PatternSlots(text)) {
        for (int i = 0; i < kSlots; ++i) next.slots_[i] = (*slots)[i] == L'_' ? 0 : (*slots)[i];
    } else if (IsDate(text)) {
        next.SetDate(CDate(text));
    } else if (!text.empty()) {
        next.text_ = std::wstring(text);
    }
    *this = std::move(next);
}

std::wstring DateMask::Text() const
{
    if (text_) return *text_;
    return Empty() ? std::wstring() : Display();
}

std::wstring DateMask::Display() const
{
    if (text_) return *text_;
    std::wstring s;
    for (int i = 0; i < kSlots; ++i) {
        if (i == 2 || i == 4) s += separator_;
        s += slots_[i] ? slots_[i] : L'_';
    }
    return s;
}

void DateMask::StartEntry()
{
    text_.reset();
    slots_.fill(0);
    runLength_ = 0;
    runEnd_ = -1;
}

void DateMask::Clear(Span selection)
{
    for (int slot = 0; slot < kSlots; ++slot)
        if (SlotPosition(slot) >= selection.start && SlotPosition(slot) < selection.end) slots_[slot] = 0;
}

bool DateMask::IsSeparator(wchar_t ch) const
{
    return ch == L'/' || ch == L'-' || ch == L'.' || (!separator_.empty() && ch == separator_[0]);
}

std::optional<int> DateMask::Type(wchar_t ch, Span selection)
{
    if (IsDigit(ch)) return TypeDigit(ch, selection);
    if (IsSeparator(ch)) return TypeSeparator(selection);
    return std::nullopt;
}

std::optional<int> DateMask::TypeDigit(wchar_t ch, Span selection)
{
    // Worked on a copy: a digit with no slot left changes nothing.
    DateMask next = *this;
    int from = selection.start;
    if (next.text_) {
        next.StartEntry();
        from = 0;
    } else {
        next.Clear(selection);
    }
    const int slot = next.SlotAt(from);
    if (slot >= kSlots) return std::nullopt;
    const bool continues = selection.Empty() && runLength_ > 0 && runEnd_ == from && slot != PartStart(PartOf(slot));
    next.slots_[slot] = ch;
    next.runLength_ = continues ? runLength_ + 1 : 1;
    next.runEnd_ = SlotPosition(slot + 1);
    *this = std::move(next);
    return runEnd_;
}

std::optional<int> DateMask::TypeSeparator(Span selection)
{
    if (text_) return std::nullopt;
    DateMask next = *this;
    next.Clear(selection);
    next.runLength_ = 0;
    next.runEnd_ = -1;
    const int slot = std::min(SlotAt(selection.start), kSlots - 1);
    const Part p = PartOf(slot);
    const int start = PartStart(p), length = PartLength(p);
    if (p == Part::Year || slot == start) {
        // Nothing to move past: only the selection goes.
        if (selection.Empty()) return std::nullopt;
        *this = std::move(next);
        return selection.start;
    }
    // "7/" gives 07: the digits just typed into the part move to its end
    // behind zeros.
    if (selection.Empty() && runLength_ > 0 && runEnd_ == selection.start && slot - runLength_ == start) {
        for (int i = length - 1; i >= 0; --i) {
            const int from = i - (length - runLength_);
            next.slots_[start + i] = from >= 0 ? slots_[start + from] : L'0';
        }
    }
    *this = std::move(next);
    return SlotPosition(start + length);
}

int DateMask::Erase(Span selection, bool backward)
{
    runLength_ = 0;
    runEnd_ = -1;
    if (text_) {
        StartEntry();
        return 0;
    }
    if (!selection.Empty()) {
        Clear(selection);
        return selection.start;
    }
    if (!backward) {
        if (const int slot = SlotAt(selection.start); slot < kSlots) slots_[slot] = 0;
        return selection.start;
    }
    for (int slot = kSlots - 1; slot >= 0; --slot) {
        if (SlotPosition(slot) < selection.start) {
            slots_[slot] = 0;
            return SlotPosition(slot);
        }
    }
    return selection.start;
}

std::optional<int> DateMask::Paste(std::wstring_view text, Span selection)
{
    const auto first = text.find_first_not_of(L" \t\r\n");
    if (first == std::wstring_view::npos) return std::nullopt;
    text = text.substr(first, text.find_last_not_of(L" \t\r\n") - first + 1);
    if (PatternSlots(text) || (IsDate(text) && NamesTheYear(text))) {
        SetText(text);
        return SlotPosition(kSlots);
    }
    DateMask next = *this;
    Span at = selection;
    for (const wchar_t ch : text) {
        if (!IsDigit(ch) && !IsSeparator(ch)) return std::nullopt;
        if (const auto caret = next.Type(ch, at)) at = {*caret, *caret};
    }
    *this = std::move(next);
    return at.start;
}

std::optional<int> DateMask::PartValue(Part p) const
{
    int value = 0;
    for (int i = PartStart(p); i < PartStart(p) + PartLength(p); ++i) {
        if (!slots_[i]) return std::nullopt;
        value = value * 10 + (slots_[i] - L'0');
    }
    return value;
}

void DateMask::SetPart(Part p, int value)
{
    for (int i = PartStart(p) + PartLength(p) - 1; i >= PartStart(p); --i, value /= 10)
        slots_[i] = static_cast<wchar_t>(L'0' + value % 10);
}

void DateMask::Step(int delta, int position)
{
    runLength_ = 0;
    runEnd_ = -1;
    if (text_ || Empty()) return SetDate(Today());
    const Part p = PartOf(std::min(SlotAt(position), kSlots - 1));
    if (const std::optional<DATE> date = Date()) {
        std::optional<DATE> stepped;
        if (p == Part::Day) {
            stepped = *date + delta;
        } else if (const auto d = AddMonths(DayOf(*date), p == Part::Month ? delta : 12 * delta)) {
            stepped = DateOf(*d);
        }
        if (stepped && IsDate(*stepped)) SetDate(*stepped);
        return;
    }
    const CalendarDay today = DayOf(Today());
    const std::optional<int> value = PartValue(p);
    switch (p) {
    case Part::Month: SetPart(p, value ? Wrap(*value + delta, 1, 12) : today.month); break;
    case Part::Day: SetPart(p, value ? Wrap(*value + delta, 1, 31) : today.day); break;
    case Part::Year: SetPart(p, value ? std::clamp(*value + delta, 100, 9999) : today.year); break;
    }
}

void DateMask::SetDate(DATE value)
{
    const CalendarDay d = DayOf(value);
    text_.reset();
    runLength_ = 0;
    runEnd_ = -1;
    SetPart(Part::Month, d.month);
    SetPart(Part::Day, d.day);
    SetPart(Part::Year, d.year);
}

std::optional<DATE> DateMask::Date() const
{
    if (text_) return std::nullopt;
    const auto m = PartValue(Part::Month), d = PartValue(Part::Day), y = PartValue(Part::Year);
    if (!m || !d || !y) return std::nullopt;
    const CalendarDay day{*y, *m, *d};
    if (!IsCalendarDay(day)) return std::nullopt;
    return DateOf(day);
}

std::optional<Span> DateMask::PartAt(int position) const
{
    if (text_) return std::nullopt;
    int slot = 0;
    while (slot + 1 < kSlots && SlotPosition(slot + 1) <= position) ++slot;
    const Part p = PartOf(slot);
    return Span{SlotPosition(PartStart(p)), SlotPosition(PartStart(p) + PartLength(p) - 1) + 1};
}

} // namespace host
