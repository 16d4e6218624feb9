// veldlgreg [/u] [VELDLG.dll]: registers the DLL for the current user alone,
// with no administrator rights. While the DLL's own DllRegisterServer (or,
// with /u, DllUnregisterServer) runs, HKEY_CLASSES_ROOT stands for
// HKEY_CURRENT_USER\Software\Classes, so the keys are exactly those regsvr32
// writes for the machine and the DLL keeps its four exports. The tool loads
// the DLL, so it is built for each architecture and registers its own.

#include "host/ole.h"

#include <windows.h>

#include <cstdio>
#include <memory>
#include <string>
#include <type_traits>

namespace {

struct FreeModule {
    void operator()(HMODULE m) const { FreeLibrary(m); }
};
using Module = std::unique_ptr<std::remove_pointer_t<HMODULE>, FreeModule>;

// COM as regsvr32 provides it to the entry points.
class Ole {
public:
    Ole() : hr_(OleInitialize(nullptr)) {}
    Ole(const Ole&) = delete;
    Ole& operator=(const Ole&) = delete;
    ~Ole()
    {
        if (SUCCEEDED(hr_)) OleUninitialize();
    }

private:
    HRESULT hr_;
};

// HKEY_CLASSES_ROOT redirected for this process while the object lives.
class ClassesRootOverride {
public:
    explicit ClassesRootOverride(HKEY classes) : status_(RegOverridePredefKey(HKEY_CLASSES_ROOT, classes)) {}
    ClassesRootOverride(const ClassesRootOverride&) = delete;
    ClassesRootOverride& operator=(const ClassesRootOverride&) = delete;
    ~ClassesRootOverride()
    {
        if (status_ == ERROR_SUCCESS) RegOverridePredefKey(HKEY_CLASSES_ROOT, nullptr);
    }
    LONG status() const { return status_; }

private:
    LONG status_;
};

std::wstring SystemMessage(HRESULT hr)
{
    wchar_t text[512] = {};
    if (!FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, static_cast<DWORD>(hr), 0,
                        text, 512, nullptr))
        return L"error";
    std::wstring s(text);
    while (!s.empty() && (s.back() == L'\n' || s.back() == L'\r' || s.back() == L' ')) s.pop_back();
    return s;
}

int Fail(const std::wstring& what, HRESULT hr)
{
    fwprintf(stderr, L"veldlgreg: %ls: %ls (0x%08lX)\n", what.c_str(), SystemMessage(hr).c_str(),
             static_cast<unsigned long>(hr));
    if (hr == HRESULT_FROM_WIN32(ERROR_BAD_EXE_FORMAT))
        fwprintf(stderr, L"veldlgreg: use the veldlgreg.exe that lies beside the DLL of the same architecture\n");
    return 1;
}

// Windows' RegisterTypeLib follows an override of HKEY_CLASSES_ROOT only
// after OaEnablePerUserTLibRegistration. Wine's follows it anyway, and has
// that function only as a stub that aborts.
void EnablePerUserTypeLibraries()
{
    if (GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "wine_get_version")) return;
    auto* enable = reinterpret_cast<void(WINAPI*)()>(reinterpret_cast<void (*)()>(
        GetProcAddress(GetModuleHandleW(L"oleaut32.dll"), "OaEnablePerUserTLibRegistration")));
    if (enable) enable();
}

// The VELDLG.dll beside this program.
std::wstring DllBesideTool()
{
    std::wstring path(MAX_PATH, L'\0');
    const DWORD n = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
    path.resize(n);
    return path.substr(0, path.find_last_of(L'\\') + 1) + L"VELDLG.dll";
}

} // namespace

int wmain(int argc, wchar_t** argv)
{
    bool unregister = false;
    std::wstring dll;
    for (int i = 1; i < argc; ++i) {
        const std::wstring arg = argv[i];
        if (_wcsicmp(arg.c_str(), L"/u") == 0 || _wcsicmp(arg.c_str(), L"-u") == 0) {
            unregister = true;
        } else if (dll.empty() && arg[0] != L'/' && arg[0] != L'-') {
            dll = arg;
        } else {
            fwprintf(stderr, L"usage: veldlgreg [/u] [path\\VELDLG.dll]\n"
                             L"Registers VELDLG.dll (by default the one beside this program) for the current user;\n"
                             L"/u removes that registration. Needs no administrator rights.\n");
            return 2;
        }
    }
    if (dll.empty()) dll = DllBesideTool();
    // The DLL registers the path it was loaded from: make it a full one.
    std::wstring full(MAX_PATH, L'\0');
    const DWORD n = GetFullPathNameW(dll.c_str(), static_cast<DWORD>(full.size()), full.data(), nullptr);
    if (n == 0 || n >= full.size()) return Fail(dll, HRESULT_FROM_WIN32(GetLastError()));
    full.resize(n);

    const Ole ole;
    veldlg::RegKey classes;
    const LONG opened = RegCreateKeyExW(HKEY_CURRENT_USER, L"Software\\Classes", 0, nullptr, REG_OPTION_NON_VOLATILE,
                                        KEY_ALL_ACCESS, nullptr, classes.put(), nullptr);
    if (opened != ERROR_SUCCESS) return Fail(L"HKEY_CURRENT_USER\\Software\\Classes", HRESULT_FROM_WIN32(opened));
    const Module module(LoadLibraryExW(full.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH));
    if (!module) return Fail(full, HRESULT_FROM_WIN32(GetLastError()));
    const char* entryName = unregister ? "DllUnregisterServer" : "DllRegisterServer";
    auto* entry = reinterpret_cast<HRESULT(WINAPI*)()>(
        reinterpret_cast<void (*)()>(GetProcAddress(module.get(), entryName)));
    if (!entry) return Fail(full + L" (" + std::wstring(entryName, entryName + strlen(entryName)) + L")",
                            HRESULT_FROM_WIN32(GetLastError()));

    HRESULT hr = S_OK;
    {
        const ClassesRootOverride root(classes.get());
        if (root.status() != ERROR_SUCCESS) return Fail(L"HKEY_CLASSES_ROOT", HRESULT_FROM_WIN32(root.status()));
        EnablePerUserTypeLibraries();
        hr = entry();
    }
    if (FAILED(hr)) return Fail(full, hr);
    wprintf(L"%ls: %ls for the current user\n", full.c_str(), unregister ? L"unregistered" : L"registered");
    return 0;
}
