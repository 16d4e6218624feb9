#include "test_files.h"

#include "com_client.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace testfiles {

std::wstring FromEnvironment(const char* variable)
{
    const char* value = std::getenv(variable);
    if (!value || !*value) ADD_FAILURE() << variable << " is not set";
    // A file of the build as Wine names it: "/a/b" is "Z:\a\b".
    std::wstring path(value && *value == '/' ? L"Z:" : L"");
    for (const char* c = value; c && *c; ++c) path += *c == '/' ? L'\\' : static_cast<wchar_t>(*c);
    return path;
}

std::wstring OwnDll()
{
    return Dll(sizeof(void*) == 8 ? "x86_64" : "i686");
}

std::wstring Dll(const char* arch)
{
    return FromEnvironment(std::string("VELDLG_DLL_").append(arch).c_str());
}

std::wstring Guid(REFGUID guid)
{
    wchar_t text[40] = {};
    StringFromGUID2(guid, text, 40);
    return text;
}

std::wstring ErrorInfo()
{
    client::ComPtr<IErrorInfo> info;
    client::Bstr source, description;
    if (GetErrorInfo(0, info.put()) != S_OK || info->GetSource(source.put()) != S_OK ||
        info->GetDescription(description.put()) != S_OK)
        return L"";
    return std::wstring(source.view()) + L" / " + std::wstring(description.view());
}

} // namespace testfiles
