#include "error.h"

#include "ole.h"

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

HRESULT ReportError(const Error& e) noexcept
{
    ComPtr<ICreateErrorInfo> create;
    if (SUCCEEDED(CreateErrorInfo(create.put()))) {
        // The strings are copied by SetSource/SetDescription; help stays empty.
        create->SetGUID(GUID_NULL);
        create->SetSource(const_cast<LPOLESTR>(e.source().c_str()));
        create->SetDescription(const_cast<LPOLESTR>(e.description().c_str()));
        ComPtr<IErrorInfo> info;
        if (SUCCEEDED(create->QueryInterface(IID_IErrorInfo, info.put_void()))) SetErrorInfo(0, info.get());
    }
    return e.hr();
}

HRESULT ReportCurrentException() noexcept
{
    try {
        throw;
    } catch (const Error& e) {
        return ReportError(e);
    } catch (const std::bad_alloc&) {
        return ReportError(Error(E_OUTOFMEMORY, kRuntimeSource, L"Out of memory"));
    } catch (...) {
        return ReportError(Error(E_UNEXPECTED, kRuntimeSource, L"Unexpected failure"));
    }
}

} // namespace veldlg
