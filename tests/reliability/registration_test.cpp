// Self-registration as installers use it (regsvr32 and regsvr32 /u), and
// registration when the registry does not cooperate: those faults run with
// HKEY_CLASSES_ROOT redirected into a scratch key of the current user, so
// that the machine's registration is untouched.

#include "support/com_client.h"
#include "support/test_files.h"
#include "support/wine.h"
#include "veldlg_h.h"

#include <gtest/gtest.h>

#include <memory>
#include <tuple>

namespace {

using testfiles::Guid;
using veldlg::RegKey;

const struct { std::wstring progId; const GUID &clsid, &iid; } kClasses[] = {
    {L"VELDLG.CustomMessage", CLSID_CustomMessage, IID__CustomMessage},
    {L"VELDLG.LabelStartPosition", CLSID_LabelStartPosition, IID__LabelStartPosition},
    {L"VELDLG.DateRange", CLSID_DateRange, IID__DateRange}, {L"VELDLG.CustomList", CLSID_CustomList, IID__CustomList}};

// A text value of the classes root; "<absent>" when there is none.
std::wstring Value(const std::wstring& key, const wchar_t* name = nullptr)
{
    wchar_t data[MAX_PATH] = {};
    DWORD size = sizeof data;
    return RegGetValueW(HKEY_CLASSES_ROOT, key.c_str(), name, RRF_RT_REG_SZ, nullptr, data, &size) ? L"<absent>" : data;
}

// Every key below a root, depth first, but the empty containers (CLSID,
// Interface, TypeLib) that every machine has.
std::vector<std::wstring> Keys(HKEY root, const std::wstring& path = L"")
{
    std::vector<std::wstring> out;
    RegKey k;
    wchar_t name[256];
    RegOpenKeyExW(root, path.c_str(), 0, KEY_READ, k.put());
    for (DWORD i = 0, n = 256; k && !RegEnumKeyExW(k.get(), i, name, &n, nullptr, nullptr, nullptr, nullptr); ++i, n = 256) {
        const std::wstring child = path.empty() ? name : path + L"\\" + name;
        const std::vector<std::wstring> below = Keys(root, child);
        const bool container = !_wcsicmp(name, L"CLSID") || !_wcsicmp(name, L"Interface") || !_wcsicmp(name, L"TypeLib");
        if (!path.empty() || !below.empty() || !container) out.push_back(child), out.insert(out.end(), below.begin(), below.end());
    }
    return out;
}

class Registration : public testing::Test {
protected:
    ~Registration() override { Redirect(0); }

    HRESULT Call(const char* entry) const
    {
        return reinterpret_cast<HRESULT(WINAPI*)()>(reinterpret_cast<void (*)()>(GetProcAddress(module_.get(), entry)))();
    }
    // The classes root redirected into a fresh scratch key opened with
    // `access`, or put back and the scratch key deleted (access 0).
    HKEY Redirect(REGSAM access = KEY_ALL_ACCESS)
    {
        RegOverridePredefKey(HKEY_CLASSES_ROOT, nullptr);
        RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\VELDLG Tests");
        if (access) RegCreateKeyExW(HKEY_CURRENT_USER, L"Software\\VELDLG Tests\\Classes", 0, nullptr, 0, access, nullptr, scratch_.put(), nullptr);
        EXPECT_TRUE(!access || (scratch_ && RegOverridePredefKey(HKEY_CLASSES_ROOT, scratch_.get()) == 0));
        return scratch_.get();
    }

    client::Apartment apartment_;
    const std::wstring dll_ = testfiles::OwnDll();
    const std::unique_ptr<HINSTANCE__, decltype(&FreeLibrary)> module_{LoadLibraryW(dll_.c_str()), FreeLibrary};
    RegKey scratch_;
};

TEST_F(Registration, Regsvr32RegistersEveryClassAndUnregistersThemAll)
{
    const auto regsvr32 = [&](const std::wstring& options) { return _wsystem((L"regsvr32 " + options + L" \"" + dll_ + L"\"").c_str()); };
    const std::wstring lib = Guid(LIBID_VELDLG);
    ASSERT_EQ(regsvr32(L"/s"), 0);
    EXPECT_EQ(Value(L"TypeLib\\" + lib + (sizeof(void*) == 8 ? L"\\1.0\\0\\win64" : L"\\1.0\\0\\win32")), dll_);
    for (const auto& c : kClasses) {
        // No class describes itself; the interfaces go through the automation marshaller.
        const std::wstring id = Guid(c.clsid), key = L"CLSID\\" + id + L"\\", iface = L"Interface\\" + Guid(c.iid) + L"\\";
        for (const auto& [k, name, expected] : std::initializer_list<std::tuple<std::wstring, const wchar_t*, std::wstring>>{
                 {c.progId + L"\\CLSID", nullptr, id}, {key + L"InprocServer32", nullptr, dll_},
                 {key + L"InprocServer32", L"ThreadingModel", L"Apartment"}, {key + L"ProgID", nullptr, c.progId},
                 {key + L"TypeLib", nullptr, lib}, {key, nullptr, L"<absent>"}, {c.progId, nullptr, L"<absent>"},
                 {iface + L"ProxyStubClsid32", nullptr, L"{00020424-0000-0000-C000-000000000046}"}, {iface + L"TypeLib", nullptr, lib}})
            EXPECT_EQ(Value(k, name), expected) << k << " " << (name ? name : L"");
        EXPECT_TRUE(client::Create(c.progId.c_str()));
    }
    ASSERT_EQ(regsvr32(L"/u /s"), 0);
    for (const auto& c : kClasses)
        EXPECT_EQ(Value(c.progId + L"\\CLSID") + Value(L"CLSID\\" + Guid(c.clsid) + L"\\InprocServer32"), L"<absent><absent>");
    EXPECT_EQ(regsvr32(L"/s"), 0) << "the tests after this one need the registration";
}

TEST_F(Registration, TwiceOverKeysRemovedByHandOrFailingHalfWayLeavesNoKeyBehind)
{
    for (const std::wstring& removed : {std::wstring(), L"CLSID\\" + Guid(CLSID_CustomList) + L"\\InprocServer32",
                                        std::wstring(L"VELDLG.DateRange"), L"TypeLib\\" + Guid(LIBID_VELDLG),
                                        L"Interface\\" + Guid(IID__CustomMessage), std::wstring(L"CLSID")}) {
        SCOPED_TRACE(testing::Message() << "removed by hand: " << removed);
        const HKEY root = Redirect();
        ASSERT_EQ(Call("DllRegisterServer"), S_OK);
        const std::vector<std::wstring> once = Keys(root);
        EXPECT_EQ(Call("DllRegisterServer"), S_OK);
        EXPECT_EQ(Keys(root), once) << "registering twice";
        EXPECT_EQ(removed.empty() ? 0 : RegDeleteTreeW(root, removed.c_str()), 0);
        EXPECT_EQ(Call("DllUnregisterServer"), S_OK);
        EXPECT_EQ(Keys(root), std::vector<std::wstring>{});
        EXPECT_EQ(Call("DllUnregisterServer"), S_OK) << "unregistering what is not registered";
    }
    // A volatile CLSID key takes no lasting child: the type library and the
    // first ProgID are written before the first class key fails.
    RegKey clsid;
    const HKEY root = Redirect();
    ASSERT_EQ(RegCreateKeyExW(root, L"CLSID", 0, nullptr, REG_OPTION_VOLATILE, KEY_ALL_ACCESS, nullptr, clsid.put(), nullptr), 0);
    EXPECT_TRUE(FAILED(Call("DllRegisterServer")));
    EXPECT_NE(testfiles::ErrorInfo(), L"") << "a failure without error info";
    EXPECT_EQ(Keys(root), std::vector<std::wstring>{}) << "registration left keys behind";
    // A read-only root refuses, but Wine creates subkeys through a handle
    // opened for reading.
    const HKEY readOnly = Redirect(KEY_READ);
    EXPECT_EQ(SUCCEEDED(Call("DllRegisterServer")), platform::OnWine()) << "if on Wine, Wine now refuses: drop this mark";
    EXPECT_TRUE(platform::OnWine() || Keys(readOnly).empty());
}

} // namespace
