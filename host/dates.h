#pragma once
// The runtime's date operations: the is-date test, text to date, the
// "MM/DD/YYYY" format and today's date. A date is the automation DATE: days
// since 30 December 1899, the fraction being the time of day.

#include <wtypes.h>

#include <array>
#include <optional>
#include <string>
#include <string_view>

namespace host {

// The first and last whole days the runtime holds: 1 January 100 and
// 31 December 9999.
inline constexpr DATE kFirstDate = -657434.0;
inline constexpr DATE kLastDate = 2958465.0;

// A day of the proleptic Gregorian calendar, as automation dates count.
struct CalendarDay {
    int year, month, day;
    friend bool operator==(const CalendarDay&, const CalendarDay&) = default;
};

int DaysInMonth(int year, int month);
// A real day between 1 January 100 and 31 December 9999.
bool IsCalendarDay(const CalendarDay& d);
// The date of a day, no time of day; d must pass IsCalendarDay.
DATE DateOf(const CalendarDay& d);
// The day of a date, its time of day dropped; value must pass IsDate.
CalendarDay DayOf(DATE value);
// The same day some months later (earlier when negative), kept within the
// month reached (31 January + 1 month is 28 or 29 February); nothing when
// that falls outside the days the runtime holds.
std::optional<CalendarDay> AddMonths(const CalendarDay& d, int months);

// A value of the date type is a date when the runtime can hold it: finite
// and between 1 January 100 and the end of 31 December 9999.
bool IsDate(DATE value);
// A text is a date when the runtime reads it as one. A text laid out as
// "MM/DD/YYYY" is read month first, as the date fields show it, whatever
// the locale's order; any other text goes to the platform's parser for the
// user's locale.
bool IsDate(std::wstring_view text);
// The date a text stands for; runtime error 13 when it fails IsDate.
DATE CDate(std::wstring_view text);
// Format(value, "MM/DD/YYYY"): two-digit month and day and four-digit year,
// joined by the user's date separator, no time of day.
std::wstring FormatDate(DATE value);
// The runtime's Date: today by the local clock, no time of day.
DATE Today();

// The user's date separator ("/" in US English).
std::wstring DateSeparator();
// The eight slots of a text laid out as "MM/DD/YYYY" with the user's
// separator or "/", each a digit or '_' (an empty slot); nothing for any
// other text.
std::optional<std::array<wchar_t, 8>> PatternSlots(std::wstring_view text);

} // namespace host
