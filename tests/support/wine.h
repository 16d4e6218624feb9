#pragma once
// Known differences of Wine are marked where a test meets them; each mark
// checks that Wine still differs, so it fails once Wine behaves and cannot
// rot.

#include <windows.h>

namespace platform {

inline bool OnWine()
{
    return GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "wine_get_version") != nullptr;
}

} // namespace platform
