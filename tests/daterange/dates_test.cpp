// The runtime's date operations and the per-user settings store, called
// directly as the forms call them.

#include "host/dates.h"
#include "host/error.h"
#include "host/settings.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>

namespace {

constexpr DATE k4July2024 = 45477;

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
