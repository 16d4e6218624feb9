#pragma once
// Files of the build that tests look at, named by the environment CTest sets.

#include <string>

namespace testfiles {

// The DLL of one architecture ("x86_64" or "i686"), as a Windows path.
std::wstring Dll(const char* arch);
// The DLL of the test program's own architecture, the one it can load.
std::wstring OwnDll();
// Any file named by an environment variable, as a Windows path.
std::wstring FromEnvironment(const char* variable);

} // namespace testfiles
