// The runtime's 16-bit Integer and text operations: every result outside
// -32768..32767 is the runtime's error 6 "Overflow", never a wrapped value.

#include "host/integer.h"
#include "host/runtime.h"

#include <gtest/gtest.h>

#include <functional>

namespace {

using host::Integer;

TEST(Runtime, ErrorsAtTheEdges)
{
    VARIANT big{}, null{};
    V_VT(&big) = VT_I4;
    V_I4(&big) = 70000;
    V_VT(&null) = VT_NULL;
    const struct {
        const char* name;
        std::function<void()> f;
        int number; // 0: no error
        const wchar_t* text;
    } cases[] = {
        {"32766 + 1", [] { EXPECT_EQ((Integer(32766) + 1).value(), 32767); }, 0, nullptr},
        {"181 * 181", [] { EXPECT_EQ((Integer(181) * 181).value(), 32761); }, 0, nullptr},
        {"-7 \\ 2", [] { EXPECT_EQ(IntDiv(Integer(-7), Integer(2)).value(), -3); }, 0, nullptr},
        {"text", [] { EXPECT_EQ(Integer(-32768).Text() + Integer::FromText(L" 14 ").Text(), L"-3276814"); }, 0, nullptr},
        {"InStr past the end", [] { EXPECT_EQ(host::InStr(4, L"a,b", L",").value(), 0); }, 0, nullptr},
        {"Mid past the end", [] { EXPECT_EQ(host::Mid(L"abc", 3, 10) + host::Mid(L"abc", 5, 1), L"c"); }, 0, nullptr},
        {"32767 + 1", [] { (void)(Integer(32767) + 1); }, 6, L"Overflow"},
        {"-32768 - 1", [] { (void)(Integer(-32768) - 1); }, 6, L"Overflow"},
        {"182 * 182", [] { (void)(Integer(182) * 182); }, 6, L"Overflow"},
        {"-32768 \\ -1", [] { (void)IntDiv(Integer(-32768), Integer(-1)); }, 6, L"Overflow"},
        {"an unsigned 65535", [] { (void)Integer::Checked(65535u); }, 6, L"Overflow"},
        {"text 32768", [] { (void)Integer::FromText(L"32768"); }, 6, L"Overflow"},
        {"a 32768 character text", [] { (void)host::Len(std::wstring(32768, L'x')); }, 6, L"Overflow"},
        {"CInt(70000)", [&] { (void)host::CInt(big); }, 6, L"Overflow"},
        {"1 \\ 0", [] { (void)IntDiv(Integer(1), Integer(0)); }, 11, L"Division by zero"},
        {"text that is no number", [] { (void)Integer::FromText(L"row"); }, 13, L"Type mismatch"},
        {"InStr from 0", [] { (void)host::InStr(0, L"a", L"a"); }, 5, L"Invalid procedure call or argument"},
        {"CStr(Null)", [&] { (void)host::CStr(null); }, 94, L"Invalid use of Null"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        try {
            c.f();
            EXPECT_EQ(c.number, 0) << "no error";
        } catch (const veldlg::Error& e) {
            EXPECT_EQ(e.hr(), veldlg::ErrorNumberResult(static_cast<unsigned short>(c.number)));
            EXPECT_EQ(e.source(), L"VELDLG");
            EXPECT_EQ(e.description(), c.text);
        }
    }
}

} // namespace
