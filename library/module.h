#pragma once
// What the DLL as a whole knows: its own file, its live objects and factory
// locks (DllCanUnloadNow), and the type information served by IDispatch.

#include <windows.h>
#include <oaidl.h>

#include "host/instance.h"

#include <string>
#include <vector>

namespace veldlg {

std::wstring ModulePath();

void ModuleAddRef() noexcept;
void ModuleRelease() noexcept;
void ModuleLock(bool lock) noexcept;
bool ModuleInUse() noexcept;

// The type library embedded in the DLL and the descriptions of the served
// interfaces, loaded together once and kept until unload.
ITypeLib& TypeLibrary();
// The dispinterface description of a dual interface (what clients see) and
// its vtable half (what ITypeInfo::Invoke calls through).
struct InterfaceInfo {
    ITypeInfo* dispatch;
    ITypeInfo* vtable;
    // How many arguments each member takes, by DISPID and invoke kind.
    struct Arity {
        MEMBERID id;
        INVOKEKIND kind;
        UINT arguments;
        VARTYPE argument; // the type of a put's value
    };
    std::vector<Arity> members;

    // The most arguments the member takes under any of the invoke flags, or
    // -1 when it has no accessor of those kinds.
    int MostArguments(DISPID id, WORD flags) const;
    // The type of the value a put of the member takes; VT_EMPTY if none.
    VARTYPE PutType(DISPID id) const;
};
const InterfaceInfo& TypeInfoOf(REFIID iid);

// Releases what the module holds; called when the DLL is unloaded.
void ReleaseModuleResources() noexcept;

} // namespace veldlg
