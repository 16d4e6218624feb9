#include "integer.h"

#include "host/ole.h"

#include <oleauto.h>

namespace host {

std::wstring Integer::Text() const
{
    // By hand: std::to_wstring would bring the C library's whole printf.
    wchar_t digits[8];
    wchar_t* p = digits + 8;
    int v = v_;
    const bool negative = v < 0;
    if (negative) v = -v;
    do {
        *--p = static_cast<wchar_t>(L'0' + v % 10);
        v /= 10;
    } while (v);
    if (negative) *--p = L'-';
    return std::wstring(p, digits + 8);
}

Integer Integer::FromText(std::wstring_view text)
{
    veldlg::Bstr b(text);
    short v = 0;
    const HRESULT hr = VarI2FromStr(b.get(), LOCALE_USER_DEFAULT, 0, &v);
    if (hr == DISP_E_OVERFLOW) veldlg::Raise(veldlg::RuntimeError::Overflow);
    if (FAILED(hr)) veldlg::Raise(veldlg::RuntimeError::TypeMismatch);
    return Integer(v);
}

} // namespace host
