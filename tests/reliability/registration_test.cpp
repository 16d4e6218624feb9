// Self-registration when the registry does not cooperate, with
// HKEY_CLASSES_ROOT redirected into a scratch key of the current user, so
// that the machine's registration is untouched. What registering writes is
// the installer's test's: it compares it with what the installer writes.

#include "support/com_client.h"
#include "support/test_files.h"
#include "veldlg_h.h"

#include <gtest/gtest.h>

#include <memory>

namespace {

using testfiles::Guid;

// Nothing below a root but the empty containers (CLSID, Interface, TypeLib)
// that every machine has, which go: only an empty key can be deleted so.
bool Clean(HKEY root)
{
    DWORD keys = 1;
    for (const wchar_t* container : {L"CLSID", L"Interface", L"TypeLib"})
        RegDeleteKeyW(root, container);
    return !RegQueryInfoKeyW(root, nullptr, nullptr, nullptr, &keys, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                             nullptr) && keys == 0;
}

// Registering twice, unregistering over keys removed by hand and twice, and
// failing half way: no key left behind.
TEST(Registration, TwiceOverKeysRemovedByHandOrFailingHalfWayLeavesNoKeyBehind)
{
    client::Apartment apartment;
    const std::unique_ptr<HINSTANCE__, decltype(&FreeLibrary)> dll(LoadLibraryW(testfiles::OwnDll().c_str()), FreeLibrary);
    const auto call = [&](const char* entry) {
        return reinterpret_cast<HRESULT(WINAPI*)()>(reinterpret_cast<void (*)()>(GetProcAddress(dll.get(), entry)))();
    };
    veldlg::RegKey scratch;
    // The classes root redirected into a fresh scratch key, or put back and
    // the scratch key deleted.
    const auto redirect = [&](bool scratched) {
        RegOverridePredefKey(HKEY_CLASSES_ROOT, nullptr);
        RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\VELDLG Tests");
        if (scratched) RegCreateKeyW(HKEY_CURRENT_USER, L"Software\\VELDLG Tests\\Classes", scratch.put());
        EXPECT_TRUE(!scratched || (scratch && RegOverridePredefKey(HKEY_CLASSES_ROOT, scratch.get()) == 0));
        return scratch.get();
    };
    const std::shared_ptr<void> restore(nullptr, [&](void*) { redirect(false); }); // however the test ends
    for (const std::wstring& removed : {std::wstring(), L"CLSID\\" + Guid(CLSID_CustomList) + L"\\InprocServer32",
                                        std::wstring(L"VELDLG.DateRange"), L"TypeLib\\" + Guid(LIBID_VELDLG),
                                        L"Interface\\" + Guid(IID__CustomMessage), std::wstring(L"CLSID")}) {
        SCOPED_TRACE(testing::Message() << "removed by hand: " << removed);
        const HKEY root = redirect(true);
        EXPECT_TRUE(call("DllRegisterServer") == S_OK && call("DllRegisterServer") == S_OK);
        EXPECT_EQ(removed.empty() ? 0 : RegDeleteTreeW(root, removed.c_str()), 0);
        EXPECT_TRUE(call("DllUnregisterServer") == S_OK && Clean(root));
        EXPECT_EQ(call("DllUnregisterServer"), S_OK) << "unregistering what is not registered";
    }
    // A volatile CLSID key takes no lasting child: the type library and the
    // first ProgID are written before the first class key fails.
    veldlg::RegKey clsid;
    const HKEY root = redirect(true);
    ASSERT_EQ(RegCreateKeyExW(root, L"CLSID", 0, nullptr, REG_OPTION_VOLATILE, KEY_ALL_ACCESS, nullptr, clsid.put(), nullptr), 0);
    EXPECT_TRUE(FAILED(call("DllRegisterServer")));
    EXPECT_NE(testfiles::ErrorInfo(), L"") << "a failure without error info";
    clsid = {};
    EXPECT_TRUE(Clean(root)) << "registration left keys behind";
}

} // namespace
