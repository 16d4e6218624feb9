#pragma once
// Files of the build that tests look at, named by the environment CTest
// sets, and the texts by which the platform names what is in them.

#include <guiddef.h>

#include <string>

namespace testfiles {

// The DLL of one architecture ("x86_64" or "i686"), as a Windows path.
std::wstring Dll(const char* arch);
// The DLL of the test program's own architecture, the one it can load.
std::wstring OwnDll();
// Any file named by an environment variable, as a Windows path.
std::wstring FromEnvironment(const char* variable);

// A GUID as the registry writes it: {XXXXXXXX-XXXX-...}.
std::wstring Guid(REFGUID guid);
// The thread's error info as "source / description"; empty when there is none.
std::wstring ErrorInfo();

} // namespace testfiles
