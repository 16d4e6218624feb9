// The runtime's date texts and the per-user settings store, called
// directly as the forms call them.

#include "host/dates.h"
#include "host/error.h"
#include "host/settings.h"

#include <gtest/gtest.h>

#include <string>

namespace {

// Texts at the edges of the years there are; the common ones are typed in
// the date range dialog's tests.
TEST(Dates, TextsAtTheEdges)
{
    EXPECT_EQ(host::CDate(L"01/01/0100"), host::kFirstDate);
    EXPECT_EQ(host::CDate(L"12/31/9999"), host::kLastDate);
    for (const wchar_t* text : {L"13/12/2024", L"01/01/0099", L"not a date"}) EXPECT_FALSE(host::IsDate(text)) << text;
    EXPECT_THROW(host::CDate(L"01/01/0099"), veldlg::Error);
    EXPECT_EQ(host::FormatDate(-212.5), L"06/01/1899") << "before day 0 the time still runs forward";
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
