#include "integer.h"

#include "library/ole.h"

#include <oleauto.h>

namespace host {

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
