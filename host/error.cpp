#include "host/error.h"

#include <oleauto.h>

#include <new>

namespace veldlg {

namespace {

const wchar_t* RuntimeText(RuntimeError e)
{
    switch (e) {
    case RuntimeError::InvalidProcedureCall: return L"Invalid procedure call or argument";
    case RuntimeError::Overflow: return L"Overflow";
    case RuntimeError::SubscriptOutOfRange: return L"Subscript out of range";
    case RuntimeError::DivisionByZero: return L"Division by zero";
    case RuntimeError::TypeMismatch: return L"Type mismatch";
    case RuntimeError::InvalidUseOfNull: return L"Invalid use of Null";
    case RuntimeError::ElementDoesNotExist: return L"Control array element doesn't exist";
    case RuntimeError::ObjectAlreadyLoaded: return L"Object already loaded";
    case RuntimeError::FormAlreadyDisplayed: return L"Form already displayed; can't show modally";
    }
    return L"Application-defined or object-defined error";
}

std::wstring SystemMessage(HRESULT hr)
{
    wchar_t* text = nullptr;
    const DWORD n = FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
                                       FORMAT_MESSAGE_IGNORE_INSERTS,
                                   nullptr, static_cast<DWORD>(hr), 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
    std::wstring s;
    if (n && text) s.assign(text, n);
    LocalFree(text);
    while (!s.empty() && (s.back() == L'\n' || s.back() == L'\r' || s.back() == L' ' || s.back() == L'.')) s.pop_back();
    if (s.empty()) {
        wchar_t buf[32];
        wsprintfW(buf, L"Error 0x%08lX", static_cast<unsigned long>(hr));
        s = buf;
    }
    return s;
}

} // namespace

void Raise(unsigned short number, std::wstring_view source, std::wstring_view description)
{
    throw Error(ErrorNumberResult(number), std::wstring(source), std::wstring(description));
}

void Raise(RuntimeError e)
{
    Raise(static_cast<unsigned short>(e), kRuntimeSource, RuntimeText(e));
}

void ThrowHresult(HRESULT hr)
{
    if (hr == E_OUTOFMEMORY) throw std::bad_alloc();
    throw Error(hr, kRuntimeSource, SystemMessage(hr));
}

void ThrowLastErrorIf(bool failed)
{
    if (!failed) return;
    const DWORD code = GetLastError();
    ThrowHresult(code ? HRESULT_FROM_WIN32(code) : E_FAIL);
}

} // namespace veldlg
