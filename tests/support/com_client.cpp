#include "com_client.h"

#include <gtest/gtest.h>

namespace client {
namespace {

Outcome ByName(IDispatch* object, const wchar_t* name, WORD flags, DISPPARAMS params = {})
{
    DISPID id = DISPID_UNKNOWN;
    auto* n = const_cast<LPOLESTR>(name);
    EXPECT_EQ(object->GetIDsOfNames(IID_NULL, &n, 1, LOCALE_USER_DEFAULT, &id), S_OK) << "GetIDsOfNames";
    return Invoke(object, id, flags, params);
}

// A get that must answer with that type, or `otherwise`.
Variant Typed(IDispatch* object, const wchar_t* name, VARTYPE type, Variant otherwise)
{
    const Outcome r = ByName(object, name, DISPATCH_PROPERTYGET);
    EXPECT_EQ(r.value.vt(), type) << "get " << std::wstring(name) << ": " << std::hex << r.hr;
    return r.value.vt() == type ? r.value : otherwise;
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
    ComPtr<IErrorInfo> info;
    if (out.hr == DISP_E_EXCEPTION && ei.pfnDeferredFillIn) ei.pfnDeferredFillIn(&ei);
    if (out.hr != DISP_E_EXCEPTION && FAILED(out.hr) && GetErrorInfo(0, info.put()) == S_OK) {
        info->GetSource(&ei.bstrSource);
        info->GetDescription(&ei.bstrDescription);
        info->GetHelpFile(&ei.bstrHelpFile);
        info->GetHelpContext(&ei.dwHelpContext);
    }
    const std::pair<BSTR, std::wstring*> texts[] = {
        {ei.bstrSource, &out.source}, {ei.bstrDescription, &out.description}, {ei.bstrHelpFile, &out.helpFile}};
    for (const auto& [text, to] : texts) {
        Bstr owned; // ours from here on
        *owned.put() = text;
        *to = owned.view();
    }
    out.scode = ei.scode;
    out.helpContext = ei.dwHelpContext;
    return out;
}

Outcome Get(IDispatch* object, const wchar_t* name) { return ByName(object, name, DISPATCH_PROPERTYGET); }
Outcome Call(IDispatch* object, const wchar_t* name) { return ByName(object, name, DISPATCH_METHOD); }

Outcome Put(IDispatch* object, const wchar_t* name, const VARIANT& value)
{
    VARIANT arg = value;
    DISPID named = DISPID_PROPERTYPUT;
    return ByName(object, name, DISPATCH_PROPERTYPUT, {&arg, &named, 1, 1});
}

short GetShort(IDispatch* o, const wchar_t* name) { return V_I2(&Typed(o, name, VT_I2, I2(-9999)).get()); }

std::wstring GetText(IDispatch* object, const wchar_t* name)
{
    return std::wstring(Bstr::View(V_BSTR(&Typed(object, name, VT_BSTR, Str(L"<not a string>")).get())));
}

void PutShort(IDispatch* object, const wchar_t* name, short value)
{
    EXPECT_EQ(Put(object, name, I2(value).get()).hr, S_OK) << "put " << std::wstring(name) << " " << value;
}

void ExpectError(const Outcome& o, int number, const wchar_t* source, const wchar_t* description)
{
    EXPECT_EQ(std::tuple(o.number(), o.source, o.description, o.helpFile, o.helpContext),
              std::tuple(number, std::wstring(source), std::wstring(description), std::wstring(), DWORD{0}));
}

} // namespace client
