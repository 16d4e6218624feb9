// The runtime's 16-bit Integer and text operations: every result outside
// -32768..32767 is the runtime's error 6 "Overflow", never a wrapped value.

#include "host/integer.h"
#include "host/runtime.h"
#include "support/com_client.h"

#include <gtest/gtest.h>

#include <functional>

namespace {

using host::Integer;

TEST(Runtime, ResultsAndErrorsAtTheEdges)
{
    // A result as text, or the error as source, number and description.
    const std::pair<std::function<std::wstring()>, const wchar_t*> cases[] = {
        {[] { return (Integer(32766) + 1).Text(); }, L"32767"},
        {[] { return (Integer(181) * 181).Text(); }, L"32761"},
        {[] { return IntDiv(Integer(-7), Integer(2)).Text(); }, L"-3"},
        {[] { return Integer(-32768).Text() + Integer::FromText(L" 14 ").Text(); }, L"-3276814"},
        {[] { return host::InStr(4, L"a,b", L",").Text(); }, L"0"},
        {[] { return host::Mid(L"abc", 3, 10) + host::Mid(L"abc", 5, 1); }, L"c"},
        {[] { return (Integer(32767) + 1).Text(); }, L"VELDLG 6 Overflow"},
        {[] { return (Integer(-32768) - 1).Text(); }, L"VELDLG 6 Overflow"},
        {[] { return (Integer(182) * 182).Text(); }, L"VELDLG 6 Overflow"},
        {[] { return IntDiv(Integer(-32768), Integer(-1)).Text(); }, L"VELDLG 6 Overflow"},
        {[] { return Integer::Checked(65535u).Text(); }, L"VELDLG 6 Overflow"},
        {[] { return Integer::FromText(L"32768").Text(); }, L"VELDLG 6 Overflow"},
        {[] { return host::Len(std::wstring(32768, L'x')).Text(); }, L"VELDLG 6 Overflow"},
        {[] { return host::CInt(client::I4(70000).get()).Text(); }, L"VELDLG 6 Overflow"},
        {[] { return IntDiv(Integer(1), Integer(0)).Text(); }, L"VELDLG 11 Division by zero"},
        {[] { return Integer::FromText(L"row").Text(); }, L"VELDLG 13 Type mismatch"},
        {[] { return host::InStr(0, L"a", L"a").Text(); }, L"VELDLG 5 Invalid procedure call or argument"},
        {[] { return host::CStr(client::Raw(VT_NULL, 0).get()); }, L"VELDLG 94 Invalid use of Null"},
    };
    for (const auto& [f, expected] : cases) {
        std::wstring got;
        try {
            got = f();
        } catch (const veldlg::Error& e) {
            got = e.source() + L" " + std::to_wstring(HRESULT_CODE(e.hr())) + L" " + e.description();
        }
        EXPECT_EQ(got, expected);
    }
}

} // namespace
