#include "host/settings.h"

#include "host/error.h"
#include "host/ole.h"

#include <windows.h>

namespace host {

namespace {

std::wstring SectionPath(std::wstring_view application, std::wstring_view section)
{
    std::wstring path = L"Software\\VB and VBA Program Settings\\";
    path += application;
    path += L'\\';
    path += section;
    return path;
}

} // namespace

std::wstring GetSetting(std::wstring_view application, std::wstring_view section, std::wstring_view key,
                        std::wstring_view defaultText)
{
    veldlg::RegKey k;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, SectionPath(application, section).c_str(), 0, KEY_QUERY_VALUE, k.put()) !=
        ERROR_SUCCESS)
        return std::wstring(defaultText);
    const std::wstring name(key);
    std::wstring text(64, L'\0');
    for (;;) {
        // RegGetValueW checks the type and terminates the text; without
        // RRF_NOEXPAND it would pass REG_EXPAND_SZ off as REG_SZ.
        DWORD bytes = static_cast<DWORD>(text.size() * sizeof(wchar_t));
        const LONG status = RegGetValueW(k.get(), nullptr, name.c_str(), RRF_RT_REG_SZ | RRF_NOEXPAND, nullptr,
                                         text.data(), &bytes);
        if (status == ERROR_MORE_DATA) {
            text.resize(bytes / sizeof(wchar_t) + 1);
            continue;
        }
        if (status != ERROR_SUCCESS) return std::wstring(defaultText);
        text.resize(bytes / sizeof(wchar_t));
        while (!text.empty() && text.back() == L'\0') text.pop_back();
        return text;
    }
}

void SaveSetting(std::wstring_view application, std::wstring_view section, std::wstring_view key,
                 std::wstring_view text)
{
    veldlg::RegKey k;
    veldlg::ThrowIfWin32Error(RegCreateKeyExW(HKEY_CURRENT_USER, SectionPath(application, section).c_str(), 0,
                                              nullptr, REG_OPTION_NON_VOLATILE, KEY_SET_VALUE, nullptr, k.put(),
                                              nullptr));
    const std::wstring name(key), data(text);
    veldlg::ThrowIfWin32Error(RegSetValueExW(k.get(), name.c_str(), 0, REG_SZ,
                                             reinterpret_cast<const BYTE*>(data.c_str()),
                                             static_cast<DWORD>((data.size() + 1) * sizeof(wchar_t))));
}

} // namespace host
