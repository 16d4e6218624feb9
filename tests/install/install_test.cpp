// The installer, registration-free use and the per-user registration tool,
// run by install_test.sh in a fresh prefix where nothing is registered.

#include "support/com_client.h"
#include "support/test_files.h"
#include "veldlg_h.h"

#include <gtest/gtest.h>
#include <msi.h>

#include <filesystem>
#include <regex>
#include <set>

namespace {

using testfiles::Guid;
constexpr auto Env = testfiles::FromEnvironment;
namespace fs = std::filesystem;

// Each with a property no other class has, so that reading it tells the class.
const struct { const wchar_t *progId, *property; const CLSID& clsid; const IID& iid; } kClasses[] = {
    {L"VELDLG.CustomMessage", L"Message", CLSID_CustomMessage, IID__CustomMessage},
    {L"VELDLG.LabelStartPosition", L"NumRows", CLSID_LabelStartPosition, IID__LabelStartPosition},
    {L"VELDLG.DateRange", L"Succeed", CLSID_DateRange, IID__DateRange},
    {L"VELDLG.CustomList", L"ListIndex", CLSID_CustomList, IID__CustomList},
};
// Indexed by architecture (x64, x86) and by installation (per user, per machine).
const wchar_t* const kArch[2] = {L"x64", L"x86"};
constexpr REGSAM kView[2] = {KEY_WOW64_64KEY, KEY_WOW64_32KEY};
const HKEY kRoot[2] = {HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE};

// A key under Software\Classes, its values (type and data) and its subkeys,
// one a line.
void Walk(HKEY root, REGSAM view, const std::wstring& key, std::set<std::wstring>& lines)
{
    veldlg::RegKey k;
    if (RegOpenKeyExW(root, (L"Software\\Classes\\" + key).c_str(), 0, KEY_READ | view, k.put())) return;
    lines.insert(key);
    wchar_t name[256], data[1024];
    for (DWORD i = 0, n = 256, size = sizeof data, type;
         !RegEnumValueW(k.get(), i++, name, &n, nullptr, &type, reinterpret_cast<BYTE*>(data), &size);
         n = 256, size = sizeof data)
        lines.insert(key + L" " + name + L"=" + std::to_wstring(type) + L":" + std::wstring(data, size / 2).c_str());
    for (DWORD i = 0, n = 256; !RegEnumKeyExW(k.get(), i++, name, &n, nullptr, nullptr, nullptr, nullptr); n = 256)
        Walk(root, view, key + L"\\" + name, lines);
}

// The library's keys under a root's Software\Classes, in one registry view
// or in both, sorted.
std::wstring Registration(HKEY root, REGSAM view = 0)
{
    if (!view) return Registration(root, kView[0]) + Registration(root, kView[1]);
    std::set<std::wstring> lines;
    Walk(root, view, L"TypeLib\\" + Guid(LIBID_VELDLG), lines);
    for (const auto& c : kClasses)
        for (const std::wstring& k : {std::wstring(c.progId), L"CLSID\\" + Guid(c.clsid), L"Interface\\" + Guid(c.iid)})
            Walk(root, view, k, lines);
    std::wstring text;
    for (const std::wstring& line : lines) text += line + L"\n";
    return text;
}

std::wstring Quoted(const std::wstring& s) { return L"\"" + s + L"\""; }
// The exit code of a command line; cmd takes off the outer quotes.
int Exec(const std::wstring& command) { return _wsystem(Quoted(command).c_str()); }
int Install(const char* msi, std::wstring with) { return Exec(L"msiexec /qn /i " + Quoted(Env(msi)) + L" " + with); }
fs::path Dll(int arch) { return testfiles::Dll(arch ? "i686" : "x86_64"); }

// The products installed under the installer's upgrade code.
std::set<std::wstring> Products()
{
    std::set<std::wstring> codes;
    for (wchar_t code[39]; !MsiEnumRelatedProductsW(L"{C86668FC-F7C6-48E4-AEF0-E6778C39539C}", 0, codes.size(), code);)
        codes.insert(code);
    return codes;
}

TEST(InstallTest, EveryClassThroughAnActivationContextWithNothingRegistered)
{
    const client::Apartment apartment;
    ASSERT_EQ(Registration(HKEY_CURRENT_USER) + Registration(HKEY_LOCAL_MACHINE), L"");
    const std::wstring manifest = Dll(0).parent_path() / L"VELDLG.sxs.manifest";
    ACTCTXW request{sizeof request, 0, manifest.c_str()};
    const HANDLE context = CreateActCtxW(&request);
    ULONG_PTR cookie = 0;
    ASSERT_TRUE(context != INVALID_HANDLE_VALUE && ActivateActCtx(context, &cookie)) << manifest;
    for (const auto& c : kClasses) {
        const client::ComPtr<IDispatch> object = client::Create(c.progId); // by its CLSID, through the ProgID's
        EXPECT_TRUE(object && client::Get(object.get(), c.property).ok()) << c.progId;
    }
    client::ComPtr<ITypeLib> library;
    EXPECT_EQ(LoadRegTypeLib(LIBID_VELDLG, 1, 0, LOCALE_NEUTRAL, library.put()), S_OK);
    DeactivateActCtx(0, cookie);
    ReleaseActCtx(context);
}

// Each DLL installed alone, per user and per machine, over a version that
// differs in the last field alone (which the installer's three-field
// comparison must still replace), then refusing a far older one. The
// installed file is the one built, and its keys, in its own registry view,
// are those its DllRegisterServer writes under the other root (regsvr32 for
// the machine, the tool for the user), which the scripts' tests show to
// work. The 32-bit ones are compared with the 64-bit ones moved to the
// other folder and system kind: no 32-bit program runs here. Uninstalling
// leaves no file and no key.
TEST(InstallTest, EachDllReplacesOlderInstallsItsRegistrationAndUninstallsClean)
{
    std::wstring reference;
    for (int machine : {0, 1}) {
        const fs::path home = fs::path(_wgetenv(machine ? L"ProgramFiles" : L"LOCALAPPDATA")) / L"VELDLG";
        for (int arch : {0, 1}) {
            const std::wstring options = (machine ? L"ALLUSERS=1 ADDLOCAL=" : L"ADDLOCAL=") + std::wstring(kArch[arch]);
            SCOPED_TRACE(options);
            ASSERT_EQ(Install("VELDLG_MSI_OLDER", options), 0);
            const std::set<std::wstring> older = Products();
            ASSERT_EQ(Install("VELDLG_MSI", options), 0);
            EXPECT_NE(Install("VELDLG_MSI_OLD", options), 0);
            EXPECT_TRUE(Products().size() == 1 && Products() != older) << "older replaced, far older refused";

            const fs::path installed = home / kArch[arch] / L"VELDLG.dll";
            EXPECT_EQ(fs::file_size(installed), fs::file_size(Dll(arch))) << installed;
            EXPECT_EQ(Registration(kRoot[!machine]), L"");
            if (arch == 0) {
                const std::wstring self = machine ? Quoted(Env("VELDLG_REGTOOL")) : L"regsvr32 /s";
                ASSERT_EQ(Exec(self + L" " + Quoted(installed)), 0);
                reference = Registration(kRoot[!machine], kView[0]);
                EXPECT_EQ(Exec(self + L" /u " + Quoted(installed)), 0);
            } else {
                reference = std::regex_replace(reference, std::wregex(LR"(\\x64)"), L"\\x86");
                reference = std::regex_replace(reference, std::wregex(L"win64"), L"win32");
            }
            EXPECT_EQ(Registration(kRoot[machine], kView[arch]), reference);

            for (const std::wstring& code : Products()) EXPECT_EQ(Exec(L"msiexec /x " + code + L" /qn"), 0);
            EXPECT_EQ(Registration(HKEY_CURRENT_USER) + Registration(HKEY_LOCAL_MACHINE), L"");
            EXPECT_FALSE(fs::exists(home)) << home;
        }
    }
}

// The tool registers the DLL beside it by default, for the user alone (the
// 64-bit view: Wine's RegisterTypeLib also enters the interfaces in the
// other one); refused calls (bad arguments, a missing DLL, a DLL of the
// other architecture) write nothing.
TEST(InstallTest, RegistrationToolRegistersForTheUserAndRefusesBadInput)
{
    const std::wstring tool = Env("VELDLG_REGTOOL");
    const struct { std::wstring arguments; int exitCode; bool registered; } cases[] = {
        {L"", 0, true}, {L"/u", 0, false}, {L"/x", 2, false}, {Quoted(Dll(0)) + L" " + Quoted(Dll(0)), 2, false},
        {Quoted(Dll(0).parent_path() / L"missing" / L"VELDLG.dll"), 1, false}, {Quoted(Dll(1)), 1, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.arguments);
        EXPECT_EQ(Exec(Quoted(tool) + L" " + c.arguments), c.exitCode);
        EXPECT_EQ(Registration(HKEY_CURRENT_USER) != L"", c.registered);
        EXPECT_EQ(Registration(HKEY_LOCAL_MACHINE, kView[0]), L"");
    }
}

} // namespace
