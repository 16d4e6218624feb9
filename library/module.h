#pragma once
// What the DLL as a whole knows: its own file, its live objects and factory
// locks (DllCanUnloadNow), and the type information served by IDispatch.

#include <windows.h>
#include <oaidl.h>

#include <string>

namespace veldlg {

HINSTANCE ModuleInstance();
std::wstring ModulePath();

void ModuleAddRef() noexcept;
void ModuleRelease() noexcept;
void ModuleLock(bool lock) noexcept;
bool ModuleInUse() noexcept;

// The type library embedded in the DLL, loaded once and kept until unload.
ITypeLib& TypeLibrary();
// The dispinterface description of a dual interface (what clients see) and
// its vtable half (what ITypeInfo::Invoke calls through).
struct InterfaceInfo {
    ITypeInfo* dispatch;
    ITypeInfo* vtable;
};
const InterfaceInfo& TypeInfoOf(REFIID iid);

// Releases what the module holds; called when the DLL is unloaded.
void ReleaseModuleResources() noexcept;

} // namespace veldlg
