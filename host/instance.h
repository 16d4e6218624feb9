#pragma once
// The module that holds the runtime: the DLL itself, or the test program
// that links the runtime in. Windows, window classes and icons belong to it.

#include <windows.h>

// The linker's name for this module's own image.
extern "C" IMAGE_DOS_HEADER __ImageBase; // NOLINT(bugprone-reserved-identifier)

namespace veldlg {

inline HINSTANCE ModuleInstance()
{
    return reinterpret_cast<HINSTANCE>(&__ImageBase);
}

} // namespace veldlg
