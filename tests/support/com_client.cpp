#include "com_client.h"

#include <gtest/gtest.h>

namespace client {
namespace {

Outcome ByName(IDispatch* object, const wchar_t* name, WORD flags, DISPPARAMS& params)
{
    DISPID id = DISPID_UNKNOWN;
    auto* n = const_cast<LPOLESTR>(name);
    EXPECT_EQ(object->GetIDsOfNames(IID_NULL, &n, 1, LOCALE_USER_DEFAULT, &id), S_OK) << "GetIDsOfNames";
    return Invoke(object, id, flags, params);
}

} // namespace

ComPtr<IDispatch> Create(const wchar_t* progId)
{
    CLSID clsid{};
    ComPtr<IDispatch> object;
    EXPECT_EQ(CLSIDFromProgID(progId, &clsid), S_OK) << "CLSIDFromProgID";
    EXPECT_EQ(CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IDispatch, object.put_void()), S_OK);
    return object;
}

int Outcome::number() const
{
    const HRESULT code = hr == DISP_E_EXCEPTION ? scode : hr;
    return HRESULT_FACILITY(code) == FACILITY_CONTROL ? HRESULT_CODE(code) : static_cast<int>(code);
}

Outcome Invoke(IDispatch* object, DISPID id, WORD flags, DISPPARAMS& params)
{
    Outcome out;
    EXCEPINFO ei{};
    UINT argErr = 0;
    SetErrorInfo(0, nullptr);
    VARIANT* result = flags & (DISPATCH_PROPERTYPUT | DISPATCH_PROPERTYPUTREF) ? nullptr : out.value.put();
    out.hr = object->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, flags, &params, result, &ei, &argErr);
    Bstr source, description, helpFile;
    ComPtr<IErrorInfo> info;
    if (out.hr == DISP_E_EXCEPTION) {
        if (ei.pfnDeferredFillIn) ei.pfnDeferredFillIn(&ei);
        *source.put() = ei.bstrSource; // owned from here on
        *description.put() = ei.bstrDescription;
        *helpFile.put() = ei.bstrHelpFile;
        out.scode = ei.scode;
        out.helpContext = ei.dwHelpContext;
    } else if (FAILED(out.hr) && GetErrorInfo(0, info.put()) == S_OK) {
        info->GetSource(source.put());
        info->GetDescription(description.put());
        info->GetHelpFile(helpFile.put());
        info->GetHelpContext(&out.helpContext);
    }
    out.source = source.view();
    out.description = description.view();
    out.helpFile = helpFile.view();
    return out;
}

Outcome Get(IDispatch* object, const wchar_t* name)
{
    DISPPARAMS none{};
    return ByName(object, name, DISPATCH_PROPERTYGET, none);
}

Outcome Put(IDispatch* object, const wchar_t* name, const VARIANT& value)
{
    VARIANT arg = value;
    DISPID named = DISPID_PROPERTYPUT;
    DISPPARAMS params{&arg, &named, 1, 1};
    return ByName(object, name, DISPATCH_PROPERTYPUT, params);
}

Outcome Call(IDispatch* object, const wchar_t* name)
{
    DISPPARAMS none{};
    return ByName(object, name, DISPATCH_METHOD, none);
}

short GetShort(IDispatch* object, const wchar_t* name)
{
    const Outcome r = Get(object, name);
    EXPECT_EQ(r.value.vt(), VT_I2) << "get " << std::wstring(name) << ": " << std::hex << r.hr;
    return r.value.vt() == VT_I2 ? V_I2(&r.value.get()) : short{-9999};
}

void PutShort(IDispatch* object, const wchar_t* name, short value)
{
    EXPECT_EQ(Put(object, name, I2(value).get()).hr, S_OK) << "put " << std::wstring(name) << " " << value;
}

std::wstring GetText(IDispatch* object, const wchar_t* name)
{
    const Outcome r = Get(object, name);
    EXPECT_EQ(r.value.vt(), VT_BSTR) << "get " << std::wstring(name) << ": " << std::hex << r.hr;
    return r.value.vt() == VT_BSTR ? std::wstring(Bstr::View(V_BSTR(&r.value.get()))) : L"<not a string>";
}

void ExpectError(const Outcome& o, int number, const wchar_t* source, const wchar_t* description)
{
    EXPECT_TRUE(FAILED(o.hr)) << "the call succeeded";
    EXPECT_EQ(o.number(), number);
    EXPECT_EQ(o.source, source);
    EXPECT_EQ(o.description, description);
    EXPECT_EQ(o.helpFile + std::to_wstring(o.helpContext), L"0") << "help file and context";
}

Variant I4(long v)
{
    VARIANT r{};
    V_VT(&r) = VT_I4;
    V_I4(&r) = v;
    return Variant(r);
}

Variant Date(double v)
{
    VARIANT r{};
    V_VT(&r) = VT_DATE;
    V_DATE(&r) = v;
    return Variant(r);
}

} // namespace client
