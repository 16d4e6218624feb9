#include "library/com.h"

#include "host/ole.h"

#include <new>

namespace veldlg {

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
