#pragma once

#include <windows.h>

namespace veldlg {

// Writes the type library and every served class into HKEY_CLASSES_ROOT; on
// failure removes what it wrote and reports the error.
void RegisterServer();
// Removes all that RegisterServer writes; keys already gone are no error.
void UnregisterServer();

} // namespace veldlg
