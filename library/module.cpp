#include "module.h"

#include "host/error.h"
#include "host/ole.h"
#include "library/classes.h"
#include "library/com.h"

#include <algorithm>
#include <atomic>
#include <utility>
#include <vector>

namespace veldlg {

namespace {

std::atomic<long> g_objects{0};
std::atomic<long> g_locks{0};

// Type information is shared by every thread and read far more often than
// it is loaded: the library and every served interface are loaded together,
// once, and read without a lock afterwards. ITypeLib and ITypeInfo are
// free-threaded. Plain static storage: nothing runs at load, and
// ReleaseModuleResources empties it at unload.
struct TypeCache {
    INIT_ONCE once = INIT_ONCE_STATIC_INIT;
    ITypeLib* library = nullptr;
    std::vector<std::pair<IID, InterfaceInfo>>* interfaces = nullptr;
    HRESULT failure = S_OK; // why the last load failed; a later call tries again
};

constinit TypeCache g_cache;

InterfaceInfo Describe(ITypeLib& library, REFIID iid)
{
    ComPtr<ITypeInfo> dispatch;
    ThrowIfFailed(library.GetTypeInfoOfGuid(iid, dispatch.put()));
    // A dual interface is described twice; Invoke needs the vtable half.
    HREFTYPE ref = 0;
    ComPtr<ITypeInfo> vtable;
    ThrowIfFailed(dispatch->GetRefTypeOfImplType(-1, &ref));
    ThrowIfFailed(dispatch->GetRefTypeInfo(ref, vtable.put()));
    TYPEATTR* attr = nullptr;
    ThrowIfFailed(vtable->GetTypeAttr(&attr));
    const UINT functions = attr->cFuncs;
    vtable->ReleaseTypeAttr(attr);
    InterfaceInfo info{};
    for (UINT i = 0; i < functions; ++i) {
        FUNCDESC* f = nullptr;
        ThrowIfFailed(vtable->GetFuncDesc(i, &f));
        UINT arguments = 0;
        VARTYPE argument = VT_EMPTY;
        for (SHORT p = 0; p < f->cParams; ++p) {
            if (f->lprgelemdescParam[p].paramdesc.wParamFlags & PARAMFLAG_FRETVAL) continue;
            if (arguments++ == 0) argument = f->lprgelemdescParam[p].tdesc.vt;
        }
        info.members.push_back({f->memid, f->invkind, arguments, argument});
        vtable->ReleaseFuncDesc(f);
    }
    info.dispatch = dispatch.detach();
    info.vtable = vtable.detach();
    return info;
}

void Empty(TypeCache& cache) noexcept
{
    if (cache.interfaces) {
        for (auto& [iid, info] : *cache.interfaces) {
            info.vtable->Release();
            info.dispatch->Release();
        }
        delete std::exchange(cache.interfaces, nullptr);
    }
    if (cache.library) std::exchange(cache.library, nullptr)->Release();
}

BOOL CALLBACK LoadTypes(INIT_ONCE*, void*, void**)
{
    try {
        ThrowIfFailed(LoadTypeLibEx(ModulePath().c_str(), REGKIND_NONE, &g_cache.library));
        g_cache.interfaces = new std::vector<std::pair<IID, InterfaceInfo>>();
        for (const ClassInfo& c : ServedClasses())
            g_cache.interfaces->emplace_back(c.iid, Describe(*g_cache.library, c.iid));
        return TRUE;
    } catch (...) {
        g_cache.failure = ReportCurrentException();
        Empty(g_cache);
        return FALSE;
    }
}

const TypeCache& Loaded()
{
    if (!InitOnceExecuteOnce(&g_cache.once, LoadTypes, nullptr, nullptr)) ThrowHresult(g_cache.failure);
    return g_cache;
}

} // namespace

std::wstring ModulePath()
{
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD n = GetModuleFileNameW(ModuleInstance(), path.data(), static_cast<DWORD>(path.size()));
        ThrowLastErrorIf(n == 0);
        if (n < path.size()) {
            path.resize(n);
            return path;
        }
        path.resize(path.size() * 2);
    }
}

void ModuleAddRef() noexcept { ++g_objects; }
void ModuleRelease() noexcept { --g_objects; }
void ModuleLock(bool lock) noexcept { lock ? ++g_locks : --g_locks; }
bool ModuleInUse() noexcept { return g_objects.load() != 0 || g_locks.load() != 0; }

ITypeLib& TypeLibrary()
{
    return *Loaded().library;
}

const InterfaceInfo& TypeInfoOf(REFIID iid)
{
    for (const auto& [id, info] : *Loaded().interfaces)
        if (IsEqualIID(id, iid)) return info;
    ThrowHresult(E_NOINTERFACE);
}

int InterfaceInfo::MostArguments(DISPID id, WORD flags) const
{
    int most = -1;
    for (const Arity& m : members) {
        const bool asked = (m.kind == INVOKE_FUNC && (flags & DISPATCH_METHOD)) ||
                           (m.kind == INVOKE_PROPERTYGET && (flags & DISPATCH_PROPERTYGET)) ||
                           (m.kind == INVOKE_PROPERTYPUT && (flags & DISPATCH_PROPERTYPUT)) ||
                           (m.kind == INVOKE_PROPERTYPUTREF && (flags & DISPATCH_PROPERTYPUTREF));
        if (m.id == id && asked) most = std::max(most, static_cast<int>(m.arguments));
    }
    return most;
}

VARTYPE InterfaceInfo::PutType(DISPID id) const
{
    const auto put = std::find_if(members.begin(), members.end(),
                                  [&](const Arity& m) { return m.id == id && m.kind == INVOKE_PROPERTYPUT; });
    return put == members.end() ? static_cast<VARTYPE>(VT_EMPTY) : put->argument;
}

void ReleaseModuleResources() noexcept
{
    Empty(g_cache);
    InitOnceInitialize(&g_cache.once);
}

} // namespace veldlg
