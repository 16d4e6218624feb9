#pragma once
// Files of the build that tests look at, named by the environment CTest
// sets, and the texts by which the platform names what is in them.

#include "support/com_client.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace testfiles {

// Any file named by an environment variable, as a Windows path: "/a/b" is
// "Z:\a\b", as Wine names it.
inline std::wstring FromEnvironment(const char* variable)
{
    const char* value = std::getenv(variable);
    if (!value || !*value) ADD_FAILURE() << variable << " is not set";
    std::wstring path(value && *value == '/' ? L"Z:" : L"");
    for (const char* c = value; c && *c; ++c) path += *c == '/' ? L'\\' : static_cast<wchar_t>(*c);
    return path;
}

// The DLL of one architecture ("x86_64" or "i686"), as a Windows path.
inline std::wstring Dll(const char* arch) { return FromEnvironment((std::string("VELDLG_DLL_") + arch).c_str()); }
// The DLL of the test program's own architecture, the one it can load.
inline std::wstring OwnDll() { return Dll(sizeof(void*) == 8 ? "x86_64" : "i686"); }

// A GUID as the registry writes it: {XXXXXXXX-XXXX-...}.
inline std::wstring Guid(REFGUID guid)
{
    wchar_t text[40] = {};
    StringFromGUID2(guid, text, 40);
    return text;
}

// The thread's error info as "source / description"; empty when there is none.
inline std::wstring ErrorInfo()
{
    client::ComPtr<IErrorInfo> info;
    client::Bstr source, description;
    if (GetErrorInfo(0, info.put()) != S_OK || info->GetSource(source.put()) != S_OK ||
        info->GetDescription(description.put()) != S_OK)
        return L"";
    return std::wstring(source.view()) + L" / " + std::wstring(description.view());
}

} // namespace testfiles
