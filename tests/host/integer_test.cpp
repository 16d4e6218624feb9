// The runtime's 16-bit Integer: every result outside -32768..32767 is the
// runtime's error 6 "Overflow", never a wrapped value.

#include "host/integer.h"
#include "host/runtime.h"

#include <gtest/gtest.h>

#include <functional>

namespace {

using host::Integer;

void ExpectRuntimeError(const std::function<void()>& f, int number, const wchar_t* text)
{
    try {
        f();
        ADD_FAILURE() << "no error " << number;
    } catch (const veldlg::Error& e) {
        EXPECT_EQ(e.hr(), veldlg::ErrorNumberResult(static_cast<unsigned short>(number)));
        EXPECT_EQ(e.source(), L"VELDLG");
        EXPECT_EQ(e.description(), text);
    }
}

TEST(Integer, ArithmeticAtTheEdges)
{
    EXPECT_EQ((Integer(32766) + 1).value(), 32767);
    EXPECT_EQ((Integer(-32767) - 1).value(), -32768);
    EXPECT_EQ((Integer(181) * 181).value(), 32761);
    EXPECT_EQ((Integer(-32768) * 1).value(), -32768);
    EXPECT_EQ(IntDiv(Integer(7), Integer(2)).value(), 3);
    EXPECT_EQ(IntDiv(Integer(-7), Integer(2)).value(), -3);

    const struct {
        const char* name;
        std::function<void()> f;
    } overflows[] = {
        {"32767 + 1", [] { (void)(Integer(32767) + 1); }},
        {"-32768 - 1", [] { (void)(Integer(-32768) - 1); }},
        {"182 * 182", [] { (void)(Integer(182) * 182); }},
        {"-32768 \\ -1", [] { (void)IntDiv(Integer(-32768), Integer(-1)); }},
        {"a wider 32768", [] { (void)Integer::Checked(32768); }},
        {"a wider -32769", [] { (void)Integer::Checked(-32769L); }},
        {"an unsigned 65535", [] { (void)Integer::Checked(65535u); }},
    };
    for (const auto& o : overflows) {
        SCOPED_TRACE(o.name);
        ExpectRuntimeError(o.f, 6, L"Overflow");
    }
    ExpectRuntimeError([] { (void)IntDiv(Integer(1), Integer(0)); }, 11, L"Division by zero");
}

TEST(Integer, TextBothWays)
{
    EXPECT_EQ(Integer(-32768).Text(), L"-32768");
    EXPECT_EQ(Integer(0).Text(), L"0");
    EXPECT_EQ(Integer(20).Text(), L"20");
    EXPECT_EQ(Integer::FromText(L"14").value(), 14);
    EXPECT_EQ(Integer::FromText(L" -3 ").value(), -3);
    ExpectRuntimeError([] { (void)Integer::FromText(L"32768"); }, 6, L"Overflow");
    ExpectRuntimeError([] { (void)Integer::FromText(L"row"); }, 13, L"Type mismatch");
}

TEST(Runtime, TextOperationsCountFromOne)
{
    EXPECT_EQ(host::InStr(1, L"a,b", L",").value(), 2);
    EXPECT_EQ(host::InStr(3, L"a,b", L",").value(), 0);
    EXPECT_EQ(host::InStr(4, L"a,b", L",").value(), 0) << "a start past the end finds nothing";
    EXPECT_EQ(host::Mid(L"abcdef", 2, 3), L"bcd");
    EXPECT_EQ(host::Mid(L"abc", 3, 10), L"c");
    EXPECT_EQ(host::Mid(L"abc", 5, 1), L"");
    ExpectRuntimeError([] { (void)host::InStr(0, L"a", L"a"); }, 5, L"Invalid procedure call or argument");
    ExpectRuntimeError([] { (void)host::Len(std::wstring(32768, L'x')); }, 6, L"Overflow");

    VARIANT v;
    V_VT(&v) = VT_I4;
    V_I4(&v) = 70000;
    ExpectRuntimeError([&] { (void)host::CInt(v); }, 6, L"Overflow");
    V_VT(&v) = VT_NULL;
    ExpectRuntimeError([&] { (void)host::CStr(v); }, 94, L"Invalid use of Null");
    V_VT(&v) = VT_R8;
    V_R8(&v) = 2.5;
    EXPECT_EQ(host::CInt(v).value(), 2) << "the runtime rounds half to even";
}

} // namespace
