#pragma once
// Declared COM classes: DispatchObject supplies IUnknown, IDispatch (served
// from the embedded type library) and ISupportErrorInfo for one dual
// interface, so a class file holds only the class's own fields and members.

#include "library/error.h"
#include "library/module.h"
#include "library/ole.h"

#include <oaidl.h>

#include <atomic>
#include <new>

namespace veldlg {

// Whether a value can be converted to a parameter's type; any other answer
// than E_INVALIDARG is left to the platform's coercion to give.
inline bool Convertible(VARTYPE type, const VARIANT& value)
{
    if (type == VT_EMPTY || type == VT_VARIANT) return true;
    VARIANT converted;
    VariantInit(&converted);
    const HRESULT hr = VariantChangeType(&converted, const_cast<VARIANT*>(&value), 0, type);
    VariantClear(&converted);
    return hr != E_INVALIDARG;
}

// Its destructor is protected and virtual: only Release deletes, through it.
template <class Interface>
class DispatchObject : public Interface, public ISupportErrorInfo { // NOLINT(cppcoreguidelines-virtual-class-destructor)
public:
    DispatchObject(const DispatchObject&) = delete;
    DispatchObject& operator=(const DispatchObject&) = delete;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override
    {
        if (!ppv) return E_POINTER;
        if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IDispatch) || IsEqualIID(riid, __uuidof(Interface)))
            *ppv = static_cast<Interface*>(this);
        else if (IsEqualIID(riid, IID_ISupportErrorInfo))
            *ppv = static_cast<ISupportErrorInfo*>(this);
        else {
            *ppv = nullptr;
            return E_NOINTERFACE;
        }
        AddRef();
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++refs_; }
    ULONG STDMETHODCALLTYPE Release() override
    {
        const ULONG n = --refs_;
        if (n == 0) delete this;
        return n;
    }

    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override
    {
        if (!count) return E_POINTER;
        *count = 1;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT index, LCID, ITypeInfo** info) override
    {
        if (!info) return E_POINTER;
        *info = nullptr;
        if (index != 0) return DISP_E_BADINDEX;
        return ComBoundary([&] {
            *info = TypeInfoOf(__uuidof(Interface)).dispatch;
            (*info)->AddRef();
        });
    }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID riid, LPOLESTR* names, UINT count, LCID, DISPID* ids) override
    {
        if (!IsEqualIID(riid, IID_NULL)) return DISP_E_UNKNOWNINTERFACE;
        HRESULT hr = S_OK;
        const HRESULT loaded =
            ComBoundary([&] { hr = DispGetIDsOfNames(TypeInfoOf(__uuidof(Interface)).vtable, names, count, ids); });
        return FAILED(loaded) ? loaded : hr;
    }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID riid, LCID, WORD flags, DISPPARAMS* params, VARIANT* result,
                                     EXCEPINFO* excepInfo, UINT* argErr) override
    {
        if (!IsEqualIID(riid, IID_NULL)) return DISP_E_UNKNOWNINTERFACE;
        HRESULT hr = S_OK;
        const HRESULT loaded = ComBoundary([&] {
            const InterfaceInfo& info = TypeInfoOf(__uuidof(Interface));
            // No member takes more arguments than its own: the platform would
            // read the rest as an index into the result, and Wine's does so
            // even into a result that is a null object.
            const int most = info.MostArguments(id, flags);
            if (params && most >= 0 && params->cArgs > static_cast<UINT>(most)) {
                hr = DISP_E_BADPARAMCOUNT;
                return;
            }
            // A value that cannot become the put's type at all (a date out of
            // every range, say) is a type mismatch, which the platform's own
            // coercion reports as E_INVALIDARG.
            if ((flags & DISPATCH_PROPERTYPUT) && params && params->cArgs == 1 && !Convertible(info.PutType(id), params->rgvarg[0])) {
                if (argErr) *argErr = 0;
                hr = DISP_E_TYPEMISMATCH;
                return;
            }
            hr = info.vtable->Invoke(static_cast<Interface*>(this), id, flags, params, result, excepInfo, argErr);
        });
        return FAILED(loaded) ? loaded : hr;
    }

    HRESULT STDMETHODCALLTYPE InterfaceSupportsErrorInfo(REFIID riid) override
    {
        return IsEqualIID(riid, __uuidof(Interface)) ? S_OK : S_FALSE;
    }

protected:
    DispatchObject() { ModuleAddRef(); }
    // Protected and virtual: only Release deletes, through this base.
    virtual ~DispatchObject() { ModuleRelease(); }

private:
    std::atomic<ULONG> refs_{1};
};

// An out-parameter that must not be null: early-bound callers can pass one.
template <class T>
T& Out(T* p) // cppcheck-suppress constParameter
{
    if (!p) ThrowHresult(E_POINTER);
    return *p;
}

// A new object of class T, handed out through the requested interface.
template <class T>
HRESULT CreateInstance(REFIID riid, void** ppv) noexcept
{
    *ppv = nullptr;
    T* object = new (std::nothrow) T();
    if (!object) return E_OUTOFMEMORY;
    const HRESULT hr = object->QueryInterface(riid, ppv);
    object->Release();
    return hr;
}

} // namespace veldlg
