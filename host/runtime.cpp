#include "host/runtime.h"

#include "host/error.h"
#include "host/ole.h"

#include <oleauto.h>

namespace host {

using veldlg::Raise;
using veldlg::RuntimeError;

namespace {

veldlg::Variant Converted(const VARIANT& v, VARTYPE to)
{
    veldlg::Variant out;
    if (V_VT(&v) == VT_NULL) Raise(RuntimeError::InvalidUseOfNull);
    const HRESULT hr = VariantChangeTypeEx(out.put(), const_cast<VARIANT*>(&v), LOCALE_USER_DEFAULT, 0, to);
    if (hr == DISP_E_OVERFLOW) Raise(RuntimeError::Overflow);
    if (hr == DISP_E_TYPEMISMATCH || hr == DISP_E_BADVARTYPE) Raise(RuntimeError::TypeMismatch);
    veldlg::ThrowIfFailed(hr);
    return out;
}

} // namespace

std::wstring CStr(const VARIANT& v)
{
    const veldlg::Variant text = Converted(v, VT_BSTR);
    return std::wstring(veldlg::Bstr::View(V_BSTR(&text.get())));
}

Integer CInt(const VARIANT& v)
{
    return Integer(V_I2(&Converted(v, VT_I2).get()));
}

Integer Len(std::wstring_view s)
{
    return Integer::Checked(s.size());
}

Integer InStr(Integer start, std::wstring_view s, std::wstring_view find)
{
    if (start.value() < 1) Raise(RuntimeError::InvalidProcedureCall);
    const auto from = static_cast<size_t>(start.value() - 1);
    if (from > s.size()) return Integer(0);
    const size_t at = s.find(find, from);
    return at == std::wstring_view::npos ? Integer(0) : Integer::Checked(at + 1);
}

std::wstring Mid(std::wstring_view s, Integer start, Integer length)
{
    if (start.value() < 1 || length.value() < 0) Raise(RuntimeError::InvalidProcedureCall);
    const auto from = static_cast<size_t>(start.value() - 1);
    if (from >= s.size()) return {};
    return std::wstring(s.substr(from, static_cast<size_t>(length.value())));
}

} // namespace host
