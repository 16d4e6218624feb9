// The runtime's date operations and the per-user settings store, called
// directly as the forms call them.

#include "host/dates.h"
#include "host/settings.h"
#include "library/error.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>

namespace {

using host::CalendarDay;
using host::DateOf;

// Day numbers of automation dates that every client knows.
constexpr DATE k4July2024 = 45477;
constexpr DATE k1June1899 = -212;

std::wstring Today()
{
    SYSTEMTIME t;
    GetLocalTime(&t);
    wchar_t s[16];
    swprintf(s, 16, L"%02u/%02u/%04u", t.wMonth, t.wDay, t.wYear);
    return s;
}

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
    EXPECT_EQ(DateOf({2024, 7, 4}), k4July2024);
    // Before day 0 the fraction still runs forward from the day's midnight.
    EXPECT_EQ(host::DayOf(-1.75), (CalendarDay{1899, 12, 29}));
    EXPECT_EQ(host::DayOf(k4July2024 + 0.999), (CalendarDay{2024, 7, 4}));
}

TEST(Dates, IsDateAndCDateOfTexts)
{
    const struct {
        const wchar_t* text;
        DATE date; // NAN: not a date
    } cases[] = {
        {L"07/04/2024", k4July2024},
        {L"7/4/2024", k4July2024},        // the platform's parser, month first in US English
        {L"July 4, 2024", k4July2024},
        {L"02/29/2024", DateOf({2024, 2, 29})},
        {L"01/01/0100", host::kFirstDate},
        {L"12/31/9999", host::kLastDate},
        {L"13/12/2024", NAN},             // the field's layout is read month first only
        {L"02/30/2024", NAN},
        {L"07/__/2024", NAN},             // an incomplete entry of the field
        {L"__/__/____", NAN},
        {L"01/01/0099", NAN},
        {L"", NAN},
        {L"not a date", NAN},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << std::wstring(c.text));
        EXPECT_EQ(host::IsDate(c.text), !std::isnan(c.date));
        EXPECT_TRUE(std::isnan(c.date) || host::CDate(c.text) == c.date) << "CDate";
    }
    try {
        host::CDate(L"02/30/2024");
        ADD_FAILURE() << "CDate took a day that does not exist";
    } catch (const veldlg::Error& e) {
        EXPECT_EQ(e.hr(), veldlg::ErrorNumberResult(13)) << "Type mismatch";
    }
}

TEST(Dates, FormatIsMonthDayYearWithoutTime)
{
    EXPECT_EQ(host::FormatDate(k4July2024), L"07/04/2024");
    EXPECT_EQ(host::FormatDate(k4July2024 + 0.75), L"07/04/2024");
    EXPECT_EQ(host::FormatDate(0), L"12/30/1899");
    EXPECT_EQ(host::FormatDate(k1June1899 - 0.5), L"06/01/1899");
    EXPECT_EQ(host::FormatDate(host::kFirstDate), L"01/01/0100");
    EXPECT_EQ(host::FormatDate(host::Today()), Today());
    EXPECT_EQ(host::Today(), std::trunc(host::Today())) << "today has no time of day";
}

// The store under an application of the tests' own, removed afterwards.
class SettingsStore : public testing::Test {
protected:
    static constexpr wchar_t kApp[] = L"VELDLG Tests";
    static constexpr wchar_t kKey[] = L"Software\\VB and VBA Program Settings\\VELDLG Tests";
    void SetUp() override { RegDeleteTreeW(HKEY_CURRENT_USER, kKey); }
    void TearDown() override { RegDeleteTreeW(HKEY_CURRENT_USER, kKey); }

    static void PutRaw(DWORD type, const void* data, DWORD size)
    {
        ASSERT_EQ(RegSetKeyValueW(HKEY_CURRENT_USER, (std::wstring(kKey) + L"\\S").c_str(), L"raw", type, data, size),
                  ERROR_SUCCESS);
    }
};

TEST_F(SettingsStore, SavedTextsReadBackAndAnythingElseIsTheDefault)
{
    EXPECT_EQ(host::GetSetting(kApp, L"S", L"K", L"default"), L"default") << "no application";
    const std::wstring longText(300, L'x');
    for (const std::wstring& text : {std::wstring(L"07/04/2024"), std::wstring(), longText, std::wstring(L"\u00e9t\u00e9")}) {
        host::SaveSetting(kApp, L"S", L"K", text);
        EXPECT_EQ(host::GetSetting(kApp, L"S", L"K", L"default"), text);
    }
    EXPECT_EQ(host::GetSetting(kApp, L"S", L"other", L"default"), L"default") << "no value";

    const DWORD number = 7;
    PutRaw(REG_DWORD, &number, sizeof number);
    EXPECT_EQ(host::GetSetting(kApp, L"S", L"raw", L"default"), L"default") << "REG_DWORD";
    PutRaw(REG_EXPAND_SZ, L"%TEMP%", 14);
    EXPECT_EQ(host::GetSetting(kApp, L"S", L"raw", L"default"), L"default") << "REG_EXPAND_SZ";
    PutRaw(REG_SZ, L"abc", 6); // stored without its terminating NUL
    EXPECT_EQ(host::GetSetting(kApp, L"S", L"raw", L"default"), L"abc");
}

} // namespace
