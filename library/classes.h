#pragma once
// The classes this library serves. Registration and the class factories both
// follow from this one table, so they can never disagree.

#include <windows.h>

#include <span>

namespace veldlg {

struct ClassInfo {
    const CLSID& clsid;
    const IID& iid;
    const wchar_t* name; // the ProgID is "VELDLG." followed by the name
    HRESULT (*create)(REFIID riid, void** ppv) noexcept;
};

std::span<const ClassInfo> ServedClasses();

} // namespace veldlg
