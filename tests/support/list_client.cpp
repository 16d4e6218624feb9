// veldlg_list_client: a compiled client of VELDLG.CustomList, late bound
// through IDispatch. Scripts cannot build an array of strings; this program
// hands one over as compiled clients do, so that the demo can show the list.
// Arguments: the caption, then the items (lower bound 1). It prints the
// index and the text chosen and exits with 0, or prints the error and exits
// with 1.

#include "host/ole.h"

#include <cstdio>

namespace {

using veldlg::Bstr;
using veldlg::ComPtr;
using veldlg::SafeArray;
using veldlg::Variant;

HRESULT Invoke(IDispatch* object, const wchar_t* name, WORD flags, const Variant* argument, Variant* result)
{
    DISPID id = DISPID_UNKNOWN;
    auto* n = const_cast<LPOLESTR>(name);
    HRESULT hr = object->GetIDsOfNames(IID_NULL, &n, 1, LOCALE_USER_DEFAULT, &id);
    if (FAILED(hr)) return hr;
    VARIANT arg = argument ? argument->get() : VARIANT{};
    DISPID named = DISPID_PROPERTYPUT;
    DISPPARAMS params{&arg, &named, argument ? 1u : 0u, argument ? 1u : 0u};
    EXCEPINFO error{};
    hr = object->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, flags, &params, result ? result->put() : nullptr, &error,
                        nullptr);
    if (hr == DISP_E_EXCEPTION) {
        if (error.pfnDeferredFillIn) error.pfnDeferredFillIn(&error);
        const Bstr source(Bstr::View(error.bstrSource)), description(Bstr::View(error.bstrDescription));
        SysFreeString(error.bstrSource);
        SysFreeString(error.bstrDescription);
        SysFreeString(error.bstrHelpFile);
        fwprintf(stderr, L"%ls: %ls (%ls)\n", name, description.get(), source.get());
        hr = error.scode;
    }
    return hr;
}

Variant StringArray(int count, wchar_t** texts)
{
    SafeArray a(SafeArrayCreateVector(VT_BSTR, 1, static_cast<ULONG>(count)));
    for (LONG i = 0; i < count; ++i) {
        LONG index = i + 1;
        const Bstr text(texts[i]);
        SafeArrayPutElement(a.get(), &index, text.get());
    }
    Variant v;
    VARIANT* p = v.put();
    V_VT(p) = VT_ARRAY | VT_BSTR;
    V_ARRAY(p) = a.detach();
    return v;
}

int Run(int argc, wchar_t** argv)
{
    CLSID clsid;
    ComPtr<IDispatch> list;
    if (FAILED(CLSIDFromProgID(L"VELDLG.CustomList", &clsid)) ||
        FAILED(CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IDispatch, list.put_void()))) {
        fwprintf(stderr, L"VELDLG.CustomList is not registered\n");
        return 1;
    }
    const Variant caption = Variant::FromString(argc > 1 ? argv[1] : L"");
    const Variant items = StringArray(argc > 2 ? argc - 2 : 0, argv + 2);
    Variant index, item;
    HRESULT hr = Invoke(list.get(), L"FormCaption", DISPATCH_PROPERTYPUT, &caption, nullptr);
    if (SUCCEEDED(hr)) hr = Invoke(list.get(), L"ListArray", DISPATCH_PROPERTYPUT, &items, nullptr);
    if (SUCCEEDED(hr)) hr = Invoke(list.get(), L"ShowForm", DISPATCH_METHOD, nullptr, nullptr);
    if (SUCCEEDED(hr)) hr = Invoke(list.get(), L"ListIndex", DISPATCH_PROPERTYGET, nullptr, &index);
    if (SUCCEEDED(hr)) hr = Invoke(list.get(), L"ListItem", DISPATCH_PROPERTYGET, nullptr, &item);
    if (FAILED(hr)) return 1;
    wprintf(L"%d (%ls)\n", V_I2(&index.get()), V_BSTR(&item.get()));
    return 0;
}

} // namespace

int wmain(int argc, wchar_t** argv)
{
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    const int status = Run(argc, argv);
    CoUninitialize();
    return status;
}
