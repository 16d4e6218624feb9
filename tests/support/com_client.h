#pragma once
// A late-bound automation client, as scripts and VBA see the library:
// CreateObject by ProgID, names to DISPIDs, Invoke, and the error info of a
// failed call.

#include "host/ole.h"

#include <cstring>

namespace client {

using veldlg::Bstr;
using veldlg::ComPtr;
using veldlg::Variant;

// A single-threaded apartment for the thread, as long as the object lives.
struct Apartment {
    Apartment() : hr(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)) {}
    Apartment(const Apartment&) = delete;
    ~Apartment() { if (SUCCEEDED(hr)) CoUninitialize(); }
    const HRESULT hr;
};

ComPtr<IDispatch> Create(const wchar_t* progId);

struct Outcome {
    HRESULT hr = S_OK;
    Variant value;
    // From EXCEPINFO when Invoke reports DISP_E_EXCEPTION, otherwise from
    // the thread's IErrorInfo.
    HRESULT scode = S_OK;
    std::wstring source;
    std::wstring description;
    std::wstring helpFile;
    DWORD helpContext = 0;

    bool ok() const { return SUCCEEDED(hr); }
    // The automation error number a client reads back, as VBScript's Err.
    int number() const;
};

Outcome Get(IDispatch* object, const wchar_t* name);
Outcome Put(IDispatch* object, const wchar_t* name, const VARIANT& value);
Outcome Call(IDispatch* object, const wchar_t* name);
Outcome Invoke(IDispatch* object, DISPID id, WORD flags, DISPPARAMS& params);

// A get that must succeed with an Integer or a text, and a put that must
// succeed with an Integer.
short GetShort(IDispatch* object, const wchar_t* name);
void PutShort(IDispatch* object, const wchar_t* name, short value);
std::wstring GetText(IDispatch* object, const wchar_t* name);

// A call refused with the error a client reads back: number, source and
// description, and never a help file or context.
void ExpectError(const Outcome& o, int number, const wchar_t* source, const wchar_t* description);

inline Variant Str(std::wstring_view s) { return Variant::FromString(s); }
inline Variant I2(short v) { return Variant::FromShort(v); }
// A Variant of that type holding v's bytes.
template <class T>
Variant Raw(VARTYPE type, T v)
{
    Variant r;
    VARIANT* p = r.put();
    V_VT(p) = type;
    std::memcpy(&V_UI1(p), &v, sizeof v);
    return r;
}
inline Variant I4(LONG v) { return Raw(VT_I4, v); }
inline Variant Date(DATE v) { return Raw(VT_DATE, v); }

} // namespace client
