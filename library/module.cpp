#include "module.h"

#include "error.h"
#include "ole.h"

#include <algorithm>
#include <atomic>
#include <iterator>

// The linker's name for this module's own image.
extern "C" IMAGE_DOS_HEADER __ImageBase; // NOLINT(bugprone-reserved-identifier)

namespace veldlg {

namespace {

std::atomic<long> g_objects{0};
std::atomic<long> g_locks{0};

// Type information is shared by every thread; ITypeLib and ITypeInfo are
// free-threaded, so only loading them needs the lock. Plain static storage:
// nothing runs at load, and ReleaseModuleResources empties it at unload.
struct TypeCache {
    SRWLOCK lock = SRWLOCK_INIT;
    ITypeLib* library = nullptr;
    struct Entry {
        IID iid;
        InterfaceInfo info;
    };
    Entry interfaces[8] = {};
    size_t count = 0;
};

constinit TypeCache g_cache;

ITypeLib& LoadLibraryLocked()
{
    if (!g_cache.library) ThrowIfFailed(LoadTypeLibEx(ModulePath().c_str(), REGKIND_NONE, &g_cache.library));
    return *g_cache.library;
}

} // namespace

HINSTANCE ModuleInstance()
{
    return reinterpret_cast<HINSTANCE>(&__ImageBase);
}

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
    ExclusiveLock guard(g_cache.lock);
    return LoadLibraryLocked();
}

const InterfaceInfo& TypeInfoOf(REFIID iid)
{
    ExclusiveLock guard(g_cache.lock);
    for (size_t i = 0; i < g_cache.count; ++i)
        if (IsEqualIID(g_cache.interfaces[i].iid, iid)) return g_cache.interfaces[i].info;
    if (g_cache.count == std::size(g_cache.interfaces)) ThrowHresult(E_NOINTERFACE);

    ComPtr<ITypeInfo> dispatch;
    ThrowIfFailed(LoadLibraryLocked().GetTypeInfoOfGuid(iid, dispatch.put()));
    // A dual interface is described twice; Invoke needs the vtable half.
    HREFTYPE ref = 0;
    ComPtr<ITypeInfo> vtable;
    ThrowIfFailed(dispatch->GetRefTypeOfImplType(-1, &ref));
    ThrowIfFailed(dispatch->GetRefTypeInfo(ref, vtable.put()));
    auto& entry = g_cache.interfaces[g_cache.count];
    entry = {iid, {}};
    InterfaceInfo& info = entry.info;
    TYPEATTR* attr = nullptr;
    ThrowIfFailed(vtable->GetTypeAttr(&attr));
    const UINT functions = attr->cFuncs;
    vtable->ReleaseTypeAttr(attr);
    for (UINT i = 0; i < functions && info.memberCount < std::size(info.members); ++i) {
        FUNCDESC* f = nullptr;
        ThrowIfFailed(vtable->GetFuncDesc(i, &f));
        UINT arguments = 0;
        VARTYPE argument = VT_EMPTY;
        for (SHORT p = 0; p < f->cParams; ++p) {
            if (f->lprgelemdescParam[p].paramdesc.wParamFlags & PARAMFLAG_FRETVAL) continue;
            if (arguments++ == 0) argument = f->lprgelemdescParam[p].tdesc.vt;
        }
        info.members[info.memberCount++] = {f->memid, f->invkind, arguments, argument};
        vtable->ReleaseFuncDesc(f);
    }
    info.dispatch = dispatch.detach();
    info.vtable = vtable.detach();
    ++g_cache.count;
    return info;
}

int InterfaceInfo::MostArguments(DISPID id, WORD flags) const
{
    int most = -1;
    for (UINT i = 0; i < memberCount; ++i) {
        const Arity& m = members[i];
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
    for (UINT i = 0; i < memberCount; ++i)
        if (members[i].id == id && members[i].kind == INVOKE_PROPERTYPUT) return members[i].argument;
    return VT_EMPTY;
}

void ReleaseModuleResources() noexcept
{
    ExclusiveLock guard(g_cache.lock);
    for (size_t i = 0; i < g_cache.count; ++i) {
        g_cache.interfaces[i].info.vtable->Release();
        g_cache.interfaces[i].info.dispatch->Release();
    }
    g_cache.count = 0;
    if (g_cache.library) g_cache.library->Release();
    g_cache.library = nullptr;
}

} // namespace veldlg
