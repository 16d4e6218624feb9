#pragma once
// The runtime's conversions and text operations that forms use, with the
// runtime's own errors.

#include "host/integer.h"

#include <oaidl.h>

#include <string>
#include <string_view>

namespace host {

// A variant converted to text (CStr) and to a 16-bit Integer (CInt).
std::wstring CStr(const VARIANT& v);
Integer CInt(const VARIANT& v);

// Length of a text as an Integer; longer than 32767 is an overflow.
Integer Len(std::wstring_view s);
// 1-based position of `find` in `s` from `start` on, 0 when absent.
Integer InStr(Integer start, std::wstring_view s, std::wstring_view find);
// `length` characters of `s` from the 1-based position `start`.
std::wstring Mid(std::wstring_view s, Integer start, Integer length);

} // namespace host
