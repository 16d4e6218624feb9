#include "host/dates.h"

#include "host/error.h"
#include "host/ole.h"

#include <windows.h>
#include <oleauto.h>

#include <algorithm>
#include <cmath>
#include <new>

namespace host {

using veldlg::Raise;
using veldlg::RuntimeError;

namespace {

// Days since 1 January 1970 of a proleptic Gregorian date (H. Hinnant's
// algorithm): exact for every year, no table, no platform call.
constexpr long DaysFromCivil(long y, unsigned m, unsigned d)
{
    y -= m <= 2;
    const long era = (y >= 0 ? y : y - 399) / 400;
    const auto yoe = static_cast<unsigned>(y - era * 400);
    const unsigned doy = (153 * (m > 2 ? m - 3 : m + 9) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + static_cast<long>(doe) - 719468;
}

constexpr CalendarDay CivilFromDays(long z)
{
    z += 719468;
    const long era = (z >= 0 ? z : z - 146096) / 146097;
    const auto doe = static_cast<unsigned>(z - era * 146097);
    const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const unsigned mp = (5 * doy + 2) / 153;
    const unsigned d = doy - (153 * mp + 2) / 5 + 1;
    const unsigned m = mp < 10 ? mp + 3 : mp - 9;
    return {static_cast<int>(static_cast<long>(yoe) + era * 400 + (m <= 2)), static_cast<int>(m),
            static_cast<int>(d)};
}

// Day 0 of automation dates.
constexpr long kDayZero = DaysFromCivil(1899, 12, 30);

static_assert(DaysFromCivil(100, 1, 1) - kDayZero == static_cast<long>(kFirstDate));
static_assert(DaysFromCivil(9999, 12, 31) - kDayZero == static_cast<long>(kLastDate));
static_assert(CivilFromDays(kDayZero - 1) == CalendarDay{1899, 12, 29});

void AppendDigits(std::wstring& s, int value, int width)
{
    wchar_t digits[8];
    for (int i = width - 1; i >= 0; --i, value /= 10) digits[i] = static_cast<wchar_t>(L'0' + value % 10);
    s.append(digits, static_cast<size_t>(width));
}

std::optional<DATE> ParseDate(std::wstring_view text)
{
    if (const auto slots = PatternSlots(text)) {
        int n[8];
        for (size_t i = 0; i < 8; ++i) {
            if ((*slots)[i] == L'_') return std::nullopt;
            n[i] = (*slots)[i] - L'0';
        }
        const CalendarDay d{n[4] * 1000 + n[5] * 100 + n[6] * 10 + n[7], n[0] * 10 + n[1], n[2] * 10 + n[3]};
        if (!IsCalendarDay(d)) return std::nullopt;
        return DateOf(d);
    }
    // The parser stops at a NUL that a counted text may hold.
    if (text.find(L'\0') != std::wstring_view::npos) return std::nullopt;
    const veldlg::Bstr b(text);
    DATE value = 0;
    const HRESULT hr = VarDateFromStr(b.get(), LOCALE_USER_DEFAULT, 0, &value);
    if (hr == E_OUTOFMEMORY) throw std::bad_alloc();
    if (FAILED(hr) || !IsDate(value)) return std::nullopt;
    return value;
}

} // namespace

int DaysInMonth(int year, int month)
{
    static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (month < 1 || month > 12) return 0;
    const bool leap = year % 4 == 0 && (year % 100 != 0 || year % 400 == 0);
    return kDays[month - 1] + (month == 2 && leap ? 1 : 0);
}

bool IsCalendarDay(const CalendarDay& d)
{
    return d.year >= 100 && d.year <= 9999 && d.day >= 1 && d.day <= DaysInMonth(d.year, d.month);
}

DATE DateOf(const CalendarDay& d)
{
    return static_cast<DATE>(
        DaysFromCivil(d.year, static_cast<unsigned>(d.month), static_cast<unsigned>(d.day)) - kDayZero);
}

CalendarDay DayOf(DATE value)
{
    // Before day 0 the whole part still names the day and the fraction runs
    // forward from its midnight, so the day is the value cut towards zero.
    return CivilFromDays(static_cast<long>(std::trunc(value)) + kDayZero);
}

std::optional<CalendarDay> AddMonths(const CalendarDay& d, int months)
{
    const int total = d.year * 12 + (d.month - 1) + months;
    if (total < 0) return std::nullopt;
    CalendarDay r{total / 12, total % 12 + 1, 0};
    r.day = std::min(d.day, DaysInMonth(r.year, r.month));
    if (!IsCalendarDay(r)) return std::nullopt;
    return r;
}

bool IsDate(DATE value)
{
    return std::isfinite(value) && value > kFirstDate - 1 && value < kLastDate + 1;
}

bool IsDate(std::wstring_view text)
{
    return ParseDate(text).has_value();
}

DATE CDate(std::wstring_view text)
{
    const std::optional<DATE> value = ParseDate(text);
    if (!value) Raise(RuntimeError::TypeMismatch);
    return *value;
}

std::wstring FormatDate(DATE value)
{
    if (!IsDate(value)) Raise(RuntimeError::Overflow);
    const CalendarDay d = DayOf(value);
    const std::wstring separator = DateSeparator();
    std::wstring s;
    AppendDigits(s, d.month, 2);
    s += separator;
    AppendDigits(s, d.day, 2);
    s += separator;
    AppendDigits(s, d.year, 4);
    return s;
}

DATE Today()
{
    SYSTEMTIME now;
    GetLocalTime(&now);
    return DateOf({now.wYear, now.wMonth, now.wDay});
}

std::wstring DateSeparator()
{
    wchar_t separator[8] = {};
    const int n = GetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_SDATE, separator, 8);
    if (n <= 1) return L"/";
    return std::wstring(separator, static_cast<size_t>(n - 1));
}

std::optional<std::array<wchar_t, 8>> PatternSlots(std::wstring_view text)
{
    const std::wstring user = DateSeparator();
    for (const std::wstring_view separator : {std::wstring_view(user), std::wstring_view(L"/")}) {
        const size_t s = separator.size();
        if (text.size() != 8 + 2 * s || text.substr(2, s) != separator || text.substr(4 + s, s) != separator)
            continue;
        const std::wstring_view parts[] = {text.substr(0, 2), text.substr(2 + s, 2), text.substr(4 + 2 * s, 4)};
        std::array<wchar_t, 8> slots{};
        size_t i = 0;
        bool ok = true;
        for (const std::wstring_view part : parts)
            for (const wchar_t c : part) {
                ok = ok && ((c >= L'0' && c <= L'9') || c == L'_');
                slots[i++] = c;
            }
        if (ok) return slots;
    }
    return std::nullopt;
}

} // namespace host
