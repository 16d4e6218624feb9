#pragma once
// Declared COM classes: DispatchObject supplies IUnknown, IDispatch (served
// from the embedded type library) and ISupportErrorInfo for one dual
// interface, so a class file holds only the class's own fields and members.

#include "host/error.h"
#include "library/module.h"
#include "host/ole.h"

#include <oaidl.h>

#include <atomic>
#include <new>
#include <type_traits>

namespace veldlg {

// Sets the thread's error info from an Error and returns its HRESULT.
HRESULT ReportError(const Error& e) noexcept;
// Maps whatever is in flight to an HRESULT with error info; call in a catch.
HRESULT ReportCurrentException() noexcept;

// Runs one COM method body: S_OK when it returns, the reported error when it
// throws. Every method of every interface goes through here.
template <class F>
HRESULT ComBoundary(F&& body) noexcept
{
    try {
        body();
        return S_OK;
    } catch (...) {
        return ReportCurrentException();
    }
}


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

// IUnknown for an object that implements the interfaces First, Rest...:
// QueryInterface over that list (IDispatch too where First is dual), a
// reference count, and the module's count of live objects. Its destructor is
// protected and virtual: only Release deletes, through it.
template <class First, class... Rest>
class Unknown : public First, public Rest... { // NOLINT(cppcoreguidelines-virtual-class-destructor)
public:
    Unknown(const Unknown&) = delete;
    Unknown& operator=(const Unknown&) = delete;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override
    {
        if (!ppv) return E_POINTER;
        *ppv = nullptr;
        if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, __uuidof(First)))
            *ppv = static_cast<First*>(this);
        else if constexpr (std::is_base_of_v<IDispatch, First>) {
            if (IsEqualIID(riid, IID_IDispatch)) *ppv = static_cast<First*>(this);
        }
        if (!*ppv) (void)((IsEqualIID(riid, __uuidof(Rest)) && (*ppv = static_cast<Rest*>(this))) || ...);
        if (!*ppv) return E_NOINTERFACE;
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

protected:
    Unknown() { ModuleAddRef(); }
    virtual ~Unknown() { ModuleRelease(); }

private:
    std::atomic<ULONG> refs_{1};
};

// A declared automation class: IDispatch served from the type library and
// ISupportErrorInfo for its one dual interface.
template <class Interface>
class DispatchObject : public Unknown<Interface, ISupportErrorInfo> {
public:
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
    DispatchObject() = default;
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
