#include "test_files.h"

#include "com_client.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace testfiles {

std::wstring FromEnvironment(const char* variable)
{
    const char* value = std::getenv(variable);
    if (!value || !*value) {
        ADD_FAILURE() << variable << " is not set";
        return L"";
    }
    return client::WindowsPath(value);
}

std::wstring OwnDll()
{
    return Dll(sizeof(void*) == 8 ? "x86_64" : "i686");
}

std::wstring Dll(const char* arch)
{
    return FromEnvironment(std::string("VELDLG_DLL_").append(arch).c_str());
}

} // namespace testfiles
