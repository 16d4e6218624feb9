#include "library/registration.h"

#include "library/classes.h"
#include "host/error.h"
#include "library/module.h"
#include "host/ole.h"
#include "veldlg_h.h"

#include <oleauto.h>

#include <string>
#include <vector>

namespace veldlg {

namespace {

constexpr wchar_t kLibraryName[] = L"VELDLG";

struct RegValue {
    std::wstring key;
    const wchar_t* name; // nullptr: the key's default value
    std::wstring data;
};

std::wstring GuidText(REFGUID g)
{
    wchar_t text[40] = {};
    StringFromGUID2(g, text, 40);
    return text;
}

std::wstring ProgId(const ClassInfo& c)
{
    return std::wstring(kLibraryName) + L"." + c.name;
}

// What registering one class writes, as data.
std::vector<RegValue> ClassValues(const ClassInfo& c, const std::wstring& path)
{
    const std::wstring clsidKey = L"CLSID\\" + GuidText(c.clsid);
    return {
        {ProgId(c) + L"\\CLSID", nullptr, GuidText(c.clsid)},
        {clsidKey + L"\\InprocServer32", nullptr, path},
        {clsidKey + L"\\InprocServer32", L"ThreadingModel", L"Apartment"},
        {clsidKey + L"\\ProgID", nullptr, ProgId(c)},
        {clsidKey + L"\\TypeLib", nullptr, GuidText(LIBID_VELDLG)},
    };
}

// The keys whose removal takes away all that registering one class wrote.
std::vector<std::wstring> ClassKeys(const ClassInfo& c)
{
    return {ProgId(c), L"CLSID\\" + GuidText(c.clsid)};
}

void Write(const RegValue& v)
{
    RegKey key;
    ThrowIfWin32Error(RegCreateKeyExW(HKEY_CLASSES_ROOT, v.key.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                                      KEY_SET_VALUE, nullptr, key.put(), nullptr));
    ThrowIfWin32Error(RegSetValueExW(key.get(), v.name, 0, REG_SZ, reinterpret_cast<const BYTE*>(v.data.c_str()),
                                     static_cast<DWORD>((v.data.size() + 1) * sizeof(wchar_t))));
}

void RemoveTree(const std::wstring& key)
{
    const LONG status = RegDeleteTreeW(HKEY_CLASSES_ROOT, key.c_str());
    if (status != ERROR_FILE_NOT_FOUND) ThrowIfWin32Error(status);
}

bool KeyExists(const std::wstring& key)
{
    RegKey k;
    return RegOpenKeyExW(HKEY_CLASSES_ROOT, key.c_str(), 0, KEY_READ, k.put()) == ERROR_SUCCESS;
}

// A key's default text value; empty when there is none.
std::wstring StringValue(const std::wstring& key)
{
    wchar_t data[64] = {};
    DWORD size = sizeof data;
    if (RegGetValueW(HKEY_CLASSES_ROOT, key.c_str(), nullptr, RRF_RT_REG_SZ, nullptr, data, &size) != ERROR_SUCCESS)
        return {};
    return data;
}

SYSKIND OwnSysKind()
{
    return sizeof(void*) == 8 ? SYS_WIN64 : SYS_WIN32;
}

} // namespace

void RegisterServer()
{
    try {
        std::wstring path = ModulePath();
        ThrowIfFailed(RegisterTypeLib(&TypeLibrary(), path.data(), nullptr));
        for (const ClassInfo& c : ServedClasses())
            for (const RegValue& v : ClassValues(c, path)) Write(v);
    } catch (...) {
        try {
            UnregisterServer();
        } catch (...) {
            // The first failure is the one to report.
        }
        throw;
    }
}

void UnregisterServer()
{
    for (const ClassInfo& c : ServedClasses())
        for (const std::wstring& key : ClassKeys(c)) RemoveTree(key);

    // The type library's own entry, when it is still there: the platform
    // takes it away with the interface keys it wrote for it.
    const std::wstring libKey = L"TypeLib\\" + GuidText(LIBID_VELDLG) + L"\\1.0\\0\\" +
                                (OwnSysKind() == SYS_WIN64 ? L"win64" : L"win32");
    if (KeyExists(libKey)) ThrowIfFailed(UnRegisterTypeLib(LIBID_VELDLG, 1, 0, LOCALE_NEUTRAL, OwnSysKind()));

    // Interface keys left behind when the type library's entry was removed
    // by hand: those of this library's interfaces, and only while they name
    // this library.
    ITypeLib& lib = TypeLibrary();
    for (UINT i = 0, n = lib.GetTypeInfoCount(); i < n; ++i) {
        TYPEKIND kind{};
        if (FAILED(lib.GetTypeInfoType(i, &kind)) || kind != TKIND_DISPATCH) continue;
        ComPtr<ITypeInfo> info;
        ThrowIfFailed(lib.GetTypeInfo(i, info.put()));
        TYPEATTR* attr = nullptr;
        ThrowIfFailed(info->GetTypeAttr(&attr));
        const std::wstring key = L"Interface\\" + GuidText(attr->guid);
        info->ReleaseTypeAttr(attr);
        if (StringValue(key + L"\\TypeLib") == GuidText(LIBID_VELDLG)) RemoveTree(key);
    }
}

} // namespace veldlg
