#pragma once
// The forms runtime's Integer: 16-bit signed, and every arithmetic result
// outside -32768..32767 ends the member with runtime error 6 "Overflow".

#include "host/error.h"

#include <compare>
#include <concepts>
#include <cstdint>
#include <utility>
#include <string>

namespace host {

class Integer {
public:
    constexpr Integer() = default;
    // Implicit: an Integer is used where the runtime's Integer is, literals too.
    constexpr Integer(short v) : v_(v) {} // cppcheck-suppress noExplicitConstructor

    // Any wider whole number, checked.
    template <std::integral T>
    static Integer Checked(T v)
    {
        if (!std::in_range<short>(v)) veldlg::Raise(veldlg::RuntimeError::Overflow);
        return Integer(static_cast<short>(v));
    }

    constexpr short value() const { return v_; }

    friend Integer operator+(Integer a, Integer b) { return Checked(int{a.v_} + b.v_); }
    friend Integer operator-(Integer a, Integer b) { return Checked(int{a.v_} - b.v_); }
    friend Integer operator*(Integer a, Integer b) { return Checked(int{a.v_} * b.v_); }
    // Whole-number division, the remainder dropped (the runtime's "\").
    friend Integer IntDiv(Integer a, Integer b)
    {
        if (b.v_ == 0) veldlg::Raise(veldlg::RuntimeError::DivisionByZero);
        return Checked(int{a.v_} / b.v_);
    }
    Integer& operator+=(Integer b) { return *this = *this + b; }

    friend constexpr bool operator==(Integer, Integer) = default;
    friend constexpr std::strong_ordering operator<=>(Integer, Integer) = default; // NOLINT(modernize-use-nullptr)

    // Plain decimal digits, a minus sign where negative, nothing else.
    std::wstring Text() const;
    // Text to Integer as the runtime converts it: surrounding blanks allowed,
    // a value out of range is an overflow, anything else a type mismatch.
    static Integer FromText(std::wstring_view text);

private:
    short v_ = 0;
};

} // namespace host
