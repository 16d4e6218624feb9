// The four entry points of a self-registering in-process server, and the
// DLL's notifications, which only free what the library holds.

#include "host/thread_forms.h"
#include "library/classes.h"
#include "library/com.h"
#include "library/module.h"
#include "library/registration.h"

#include <unknwn.h>

#include <new>

namespace veldlg {
namespace {

// One factory per served class; factories count as live objects while a
// client holds them.
class ClassFactory final : public Unknown<IClassFactory> {
public:
    explicit ClassFactory(const ClassInfo& c) : class_(c) {}

    HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID riid, void** ppv) override
    {
        if (!ppv) return E_POINTER;
        *ppv = nullptr;
        if (outer) return CLASS_E_NOAGGREGATION;
        return class_.create(riid, ppv);
    }
    HRESULT STDMETHODCALLTYPE LockServer(BOOL lock) override
    {
        ModuleLock(lock != FALSE);
        return S_OK;
    }

private:
    const ClassInfo& class_;
};

} // namespace
} // namespace veldlg

extern "C" {

HRESULT STDAPICALLTYPE DllCanUnloadNow()
{
    return veldlg::ModuleInUse() ? S_FALSE : S_OK;
}

HRESULT STDAPICALLTYPE DllGetClassObject(REFCLSID clsid, REFIID riid, void** ppv)
{
    if (!ppv) return E_POINTER;
    *ppv = nullptr;
    for (const veldlg::ClassInfo& c : veldlg::ServedClasses()) {
        if (!IsEqualCLSID(c.clsid, clsid)) continue;
        auto* factory = new (std::nothrow) veldlg::ClassFactory(c);
        if (!factory) return E_OUTOFMEMORY;
        const HRESULT hr = factory->QueryInterface(riid, ppv);
        factory->Release();
        return hr;
    }
    return CLASS_E_CLASSNOTAVAILABLE;
}

HRESULT STDAPICALLTYPE DllRegisterServer()
{
    return veldlg::ComBoundary([] { veldlg::RegisterServer(); });
}

HRESULT STDAPICALLTYPE DllUnregisterServer()
{
    return veldlg::ComBoundary([] { veldlg::UnregisterServer(); });
}

// cppcheck-suppress constParameter ; the loader's own signature
BOOL WINAPI DllMain(HINSTANCE, DWORD reason, void* reserved)
{
    switch (reason) {
    case DLL_THREAD_DETACH:
        host::ThreadDetach();
        break;
    case DLL_PROCESS_DETACH:
        // At process exit the system reclaims everything, and the DLLs we
        // would call may already be gone; only FreeLibrary needs the work.
        if (!reserved) {
            host::ProcessDetach();
            veldlg::ReleaseModuleResources();
        }
        break;
    default:
        break;
    }
    return TRUE;
}

} // extern "C"
