// Self-registration when the registry does not cooperate, with
// HKEY_CLASSES_ROOT redirected into a scratch key of the current user, so
// that the machine's registration is untouched. What registering writes is
// the installer's test's: it compares it with what the installer writes.

#include "support/com_client.h"
#include "support/test_files.h"
#include "support/wine.h"
#include "veldlg_h.h"

#include <gtest/gtest.h>

#include <memory>

namespace {

using testfiles::Guid;
using veldlg::RegKey;

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
