// The runtime's date operations and the per-user settings store, called
// directly as the forms call them.

#include "host/dates.h"
#include "host/error.h"
#include "host/settings.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>

namespace {

using host::CalendarDay;
using host::DateOf;

constexpr DATE k4July2024 = 45477;

TEST(Dates, CalendarArithmeticAgreesWithThePlatform)
{
    const CalendarDay days[] = {{100, 1, 1}, {1582, 10, 4}, {1899, 12, 29}, {1899, 12, 30}, {1900, 2, 28},
                                {1900, 3, 1}, {2000, 2, 29}, {2024, 7, 4}, {9999, 12, 31}};
    for (const CalendarDay& d : days) {
        SCOPED_TRACE(testing::Message() << d.year << "-" << d.month << "-" << d.day);
        SYSTEMTIME st{static_cast<WORD>(d.year), static_cast<WORD>(d.month), 0, static_cast<WORD>(d.day)};
        DATE platform = 0;
        ASSERT_TRUE(SystemTimeToVariantTime(&st, &platform));
        EXPECT_EQ(DateOf(d), platform);
        EXPECT_EQ(host::DayOf(platform), d);
    }
    // Before day 0 the fraction still runs forward from the day's midnight.
    EXPECT_EQ(host::DayOf(-1.75), (CalendarDay{1899, 12, 29}));
    EXPECT_EQ(host::DayOf(k4July2024 + 0.999), (CalendarDay{2024, 7, 4}));
}

TEST(Dates, TextsBothWays)
{
    const struct { const wchar_t* text; DATE date; } cases[] = { // NAN: not a date
        {L"07/04/2024", k4July2024},   {L"7/4/2024", k4July2024},       {L"July 4, 2024", k4July2024},
        {L"01/01/0100", host::kFirstDate}, {L"12/31/9999", host::kLastDate}, {L"13/12/2024", NAN},
        {L"02/30/2024", NAN},          {L"07/__/2024", NAN},            {L"01/01/0099", NAN},
        {L"", NAN},                    {L"not a date", NAN},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::PrintToString(std::wstring(c.text)));
        EXPECT_EQ(host::IsDate(c.text), !std::isnan(c.date));
        EXPECT_TRUE(std::isnan(c.date) || host::CDate(c.text) == c.date) << "CDate";
    }
    EXPECT_EQ(host::FormatDate(k4July2024), L"07/04/2024");
    EXPECT_EQ(host::FormatDate(-212.5), L"06/01/1899");
    EXPECT_EQ(host::Today(), std::trunc(host::Today())) << "today has no time of day";
    EXPECT_THROW(host::CDate(L"02/30/2024"), veldlg::Error);
}

TEST(Settings, SavedTextsReadBackAndAnythingElseIsTheDefault)
{
    constexpr wchar_t kApp[] = L"VELDLG Tests";
    constexpr wchar_t kKey[] = L"Software\\VB and VBA Program Settings\\VELDLG Tests";
    RegDeleteTreeW(HKEY_CURRENT_USER, kKey);
    EXPECT_EQ(host::GetSetting(kApp, L"S", L"K", L"default"), L"default") << "no application";
    for (const std::wstring& text : {std::wstring(L"07/04/2024"), std::wstring(), std::wstring(300, L'x')}) {
        host::SaveSetting(kApp, L"S", L"K", text);
        EXPECT_EQ(host::GetSetting(kApp, L"S", L"K", L"default"), text);
    }
    const std::wstring section = std::wstring(kKey) + L"\\S";
    RegSetKeyValueW(HKEY_CURRENT_USER, section.c_str(), L"K", REG_EXPAND_SZ, L"%TEMP%", 14);
    EXPECT_EQ(host::GetSetting(kApp, L"S", L"K", L"default"), L"default") << "REG_EXPAND_SZ";
    RegSetKeyValueW(HKEY_CURRENT_USER, section.c_str(), L"K", REG_SZ, L"abc", 6); // without its NUL
    EXPECT_EQ(host::GetSetting(kApp, L"S", L"K", L"default"), L"abc");
    RegDeleteTreeW(HKEY_CURRENT_USER, kKey);
}

} // namespace
