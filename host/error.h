#pragma once
// The runtime's one error mechanism: an Error is thrown where a member
// raises; the COM boundary (library/com.h) turns it into IErrorInfo plus an
// HRESULT at the edge of every COM method. Nothing else catches.

#include <windows.h>

#include <string>
#include <string_view>
#include <utility>

namespace veldlg {

class Error {
public:
    Error(HRESULT hr, std::wstring source, std::wstring description)
        : hr_(hr), source_(std::move(source)), description_(std::move(description)) {}

    HRESULT hr() const { return hr_; }
    const std::wstring& source() const { return source_; }
    const std::wstring& description() const { return description_; }

private:
    HRESULT hr_;
    std::wstring source_;
    std::wstring description_;
};

// The HRESULT under which an automation error number travels; clients read
// the number back from its low word.
constexpr HRESULT ErrorNumberResult(unsigned short number)
{
    return MAKE_HRESULT(SEVERITY_ERROR, FACILITY_CONTROL, number);
}

inline constexpr wchar_t kRuntimeSource[] = L"VELDLG";

// The runtime's own errors, with the classic automation numbers and texts.
enum class RuntimeError : unsigned short {
    InvalidProcedureCall = 5,
    Overflow = 6,
    SubscriptOutOfRange = 9,
    DivisionByZero = 11,
    TypeMismatch = 13,
    InvalidUseOfNull = 94,
    ElementDoesNotExist = 340,
    ObjectAlreadyLoaded = 360,
    FormAlreadyDisplayed = 400,
};

[[noreturn]] void Raise(unsigned short number, std::wstring_view source, std::wstring_view description);
[[noreturn]] void Raise(RuntimeError e);
[[noreturn]] void ThrowHresult(HRESULT hr);

inline void ThrowIfFailed(HRESULT hr)
{
    if (FAILED(hr)) ThrowHresult(hr);
}
// For Win32 calls that report failure through GetLastError.
void ThrowLastErrorIf(bool failed);
inline void ThrowIfWin32Error(LONG status)
{
    if (status != ERROR_SUCCESS) ThrowHresult(HRESULT_FROM_WIN32(static_cast<DWORD>(status)));
}

} // namespace veldlg
