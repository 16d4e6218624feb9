// The installer, registration-free use and the per-user registration tool,
// run by install_test.sh in a fresh prefix where nothing is registered.

#include "support/com_client.h"
#include "support/test_files.h"
#include "support/wine.h"
#include "veldlg_h.h"

#include <gtest/gtest.h>
#include <msi.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>
#include <regex>
#include <string>

namespace {

using client::ComPtr;
namespace fs = std::filesystem;

struct Class {
    const wchar_t* progId;
    const CLSID& clsid;
    const IID& iid;
    const wchar_t* property; // one that can be read
};
const Class kClasses[] = {
    {L"VELDLG.CustomMessage", CLSID_CustomMessage, IID__CustomMessage, L"Message"},
    {L"VELDLG.LabelStartPosition", CLSID_LabelStartPosition, IID__LabelStartPosition, L"NumRows"},
    {L"VELDLG.DateRange", CLSID_DateRange, IID__DateRange, L"Succeed"},
    {L"VELDLG.CustomList", CLSID_CustomList, IID__CustomList, L"ListIndex"},
};
constexpr wchar_t kUpgradeCode[] = L"{C86668FC-F7C6-48E4-AEF0-E6778C39539C}";
constexpr REGSAM k64 = KEY_WOW64_64KEY, k32 = KEY_WOW64_32KEY;

std::wstring Guid(REFGUID g)
{
    wchar_t text[40] = {};
    StringFromGUID2(g, text, 40);
    return text;
}

std::string Narrow(const std::wstring& s)
{
    return {s.begin(), s.end()}; // keys, values and paths here are ASCII
}

void Walk(HKEY root, const std::wstring& key, REGSAM view, std::set<std::string>& lines)
{
    veldlg::RegKey k;
    if (RegOpenKeyExW(root, key.c_str(), 0, KEY_READ | view, k.put()) != ERROR_SUCCESS) return;
    const std::wstring shown = key.substr(key.find(L"Classes\\") + 8);
    lines.insert(Narrow(shown));
    wchar_t name[256], data[1024];
    for (DWORD i = 0;; ++i) {
        DWORD nameSize = 256, dataSize = sizeof data, type = 0;
        if (RegEnumValueW(k.get(), i, name, &nameSize, nullptr, &type, reinterpret_cast<BYTE*>(data), &dataSize))
            break;
        lines.insert(Narrow(shown + L" [" + name + L"] " + (type == REG_SZ ? data : L"(not text)")));
    }
    for (DWORD i = 0;; ++i) {
        DWORD nameSize = 256;
        if (RegEnumKeyExW(k.get(), i, name, &nameSize, nullptr, nullptr, nullptr, nullptr)) break;
        Walk(root, key + L"\\" + name, view, lines);
    }
}

// Every key and value of the library under a root's Software\Classes in one
// registry view, sorted, one a line.
std::string Registration(HKEY root, REGSAM view)
{
    std::set<std::string> lines;
    const std::wstring classes = L"Software\\Classes\\";
    Walk(root, classes + L"TypeLib\\" + Guid(LIBID_VELDLG), view, lines);
    for (const Class& c : kClasses) {
        Walk(root, classes + c.progId, view, lines);
        Walk(root, classes + L"CLSID\\" + Guid(c.clsid), view, lines);
        Walk(root, classes + L"Interface\\" + Guid(c.iid), view, lines);
    }
    std::string text;
    for (const std::string& line : lines) text += line + "\n";
    return text;
}

std::string Everywhere()
{
    return Registration(HKEY_CURRENT_USER, k64) + Registration(HKEY_CURRENT_USER, k32) +
           Registration(HKEY_LOCAL_MACHINE, k64) + Registration(HKEY_LOCAL_MACHINE, k32);
}

DWORD Execute(std::wstring command)
{
    STARTUPINFOW si{sizeof si};
    PROCESS_INFORMATION pi{};
    if (!CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) {
        ADD_FAILURE() << "cannot start " << Narrow(command);
        return ~0U;
    }
    WaitForSingleObject(pi.hProcess, 120000);
    DWORD code = ~0U;
    GetExitCodeProcess(pi.hProcess, &code);
    CloseHandle(pi.hProcess);
    CloseHandle(pi.hThread);
    return code;
}

std::wstring Quoted(const std::wstring& path)
{
    return L"\"" + path + L"\"";
}

std::string Contents(const fs::path& file)
{
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// Where the installer puts the DLLs: per machine or per user.
fs::path Home(bool perMachine)
{
    return fs::path(_wgetenv(perMachine ? L"ProgramFiles" : L"LOCALAPPDATA")) / L"VELDLG";
}

// The products installed under the installer's upgrade code.
std::set<std::wstring> Products()
{
    std::set<std::wstring> codes;
    wchar_t code[39];
    for (DWORD i = 0; MsiEnumRelatedProductsW(kUpgradeCode, 0, i, code) == ERROR_SUCCESS; ++i) codes.insert(code);
    return codes;
}

void UninstallAll()
{
    for (const std::wstring& code : Products()) EXPECT_EQ(Execute(L"msiexec /x " + code + L" /qn"), 0U);
    EXPECT_TRUE(Products().empty());
}

class InstallTest : public testing::Test {
protected:
    client::Apartment apartment;
    const std::wstring msi = testfiles::FromEnvironment("VELDLG_MSI");
    const std::wstring tool = testfiles::FromEnvironment("VELDLG_REGTOOL");
    const fs::path dll[2] = {testfiles::Dll("x86_64"), testfiles::Dll("i686")};
};

TEST_F(InstallTest, EveryClassThroughAnActivationContextWithNothingRegistered)
{
    ASSERT_EQ(Everywhere(), "");

    const std::wstring manifest = dll[0].parent_path() / L"VELDLG.sxs.manifest";
    ACTCTXW request{sizeof request};
    request.lpSource = manifest.c_str();
    const HANDLE context = CreateActCtxW(&request);
    ASSERT_NE(context, INVALID_HANDLE_VALUE) << Narrow(manifest);
    ULONG_PTR cookie = 0;
    ASSERT_TRUE(ActivateActCtx(context, &cookie));
    // Through a context, a ProgID resolves to a CLSID of the context's own
    // making, so the objects tell their class by their interface.
    for (const Class& c : kClasses) {
        SCOPED_TRACE(Narrow(c.progId));
        ComPtr<IDispatch> byProgId = client::Create(c.progId), byClsid;
        EXPECT_EQ(CoCreateInstance(c.clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IDispatch, byClsid.put_void()), S_OK);
        for (IDispatch* object : {byProgId.get(), byClsid.get()}) {
            ComPtr<ITypeInfo> type;
            TYPEATTR* attr = nullptr;
            ASSERT_TRUE(object && object->GetTypeInfo(0, LOCALE_NEUTRAL, type.put()) == S_OK &&
                        type->GetTypeAttr(&attr) == S_OK);
            EXPECT_EQ(Guid(attr->guid), Guid(c.iid));
            type->ReleaseTypeAttr(attr);
            EXPECT_TRUE(client::Get(object, c.property).ok());
        }
    }
    ComPtr<ITypeLib> library;
    EXPECT_EQ(LoadRegTypeLib(LIBID_VELDLG, 1, 0, LOCALE_NEUTRAL, library.put()), S_OK);
    DeactivateActCtx(0, cookie);
    ReleaseActCtx(context);
}

// Each DLL installed alone, per user and per machine: its keys, in its own
// registry view, are those its DllRegisterServer writes under the other root
// (regsvr32 for the machine, the tool for the user). The 32-bit ones are
// compared with the 64-bit ones moved to the other folder and system kind:
// no 32-bit program runs here.
TEST_F(InstallTest, EachDllInstallsItsRegistrationAndUninstallsClean)
{
    struct Case {
        const wchar_t* properties;
        int arch; // 0: x64, 1: x86
        bool perMachine;
    };
    const Case cases[] = {
        {L"ADDLOCAL=x64", 0, false},
        {L"ADDLOCAL=x86", 1, false},
        {L"ALLUSERS=1 ADDLOCAL=x64", 0, true},
        {L"ALLUSERS=1 ADDLOCAL=x86", 1, true},
    };
    std::string reference; // of the last 64-bit case
    for (const Case& c : cases) {
        SCOPED_TRACE(Narrow(c.properties));
        const HKEY root = c.perMachine ? HKEY_LOCAL_MACHINE : HKEY_CURRENT_USER;
        const HKEY other = c.perMachine ? HKEY_CURRENT_USER : HKEY_LOCAL_MACHINE;
        const fs::path home = Home(c.perMachine);
        const fs::path installed = home / (c.arch == 0 ? L"x64" : L"x86") / L"VELDLG.dll";

        ASSERT_EQ(Execute(L"msiexec /i " + Quoted(msi) + L" /qn " + c.properties), 0U);
        EXPECT_EQ(Contents(installed), Contents(dll[c.arch])) << Narrow(installed);
        const std::string keys = Registration(root, c.arch == 0 ? k64 : k32);
        EXPECT_EQ(Registration(other, k64) + Registration(other, k32), "");
        if (c.arch == 0) {
            const std::wstring self = c.perMachine ? Quoted(tool) + L" " : L"regsvr32 /s ";
            const std::wstring unself = c.perMachine ? Quoted(tool) + L" /u " : L"regsvr32 /u /s ";
            ASSERT_EQ(Execute(self + Quoted(installed)), 0U);
            reference = Registration(other, k64);
            EXPECT_EQ(Execute(unself + Quoted(installed)), 0U);
        } else {
            for (auto [from, to] : {std::pair<std::string, std::string>{"\\x64", "\\x86"}, {"\\win64", "\\win32"}})
                for (size_t at = 0; (at = reference.find(from, at)) != std::string::npos;)
                    reference.replace(at, from.size(), to);
        }
        EXPECT_NE(keys, "");
        EXPECT_EQ(keys, reference);
        if (c.perMachine && c.arch == 0) {
            EXPECT_EQ(Execute(L"cscript //nologo " + Quoted(testfiles::FromEnvironment("VELDLG_CLASSES_VBS"))), 0U);
        }

        UninstallAll();
        EXPECT_EQ(Everywhere(), "");
        EXPECT_FALSE(fs::exists(home)) << Narrow(home);
    }
}

// The older package differs in the last version field alone; the old one
// in the first.
TEST_F(InstallTest, NewerVersionReplacesOlderAndOldIsRefused)
{
    const std::wstring older = testfiles::FromEnvironment("VELDLG_MSI_OLDER");
    ASSERT_EQ(Execute(L"msiexec /i " + Quoted(older) + L" /qn"), 0U);
    const std::set<std::wstring> before = Products();
    ASSERT_EQ(Execute(L"msiexec /i " + Quoted(msi) + L" /qn"), 0U);
    const std::set<std::wstring> after = Products();
    EXPECT_EQ(after.size(), 1U);
    EXPECT_NE(after, before);
    EXPECT_NE(Execute(L"msiexec /i " + Quoted(testfiles::FromEnvironment("VELDLG_MSI_OLD")) + L" /qn"), 0U);
    EXPECT_EQ(Products(), after);
    const fs::path home = Home(false);
    EXPECT_EQ(Contents(home / L"x64" / L"VELDLG.dll"), Contents(dll[0]));
    EXPECT_EQ(Contents(home / L"x86" / L"VELDLG.dll"), Contents(dll[1]));
    EXPECT_NE(Registration(HKEY_CURRENT_USER, k64), "");
    UninstallAll();
    EXPECT_EQ(Everywhere(), "");
    EXPECT_FALSE(fs::exists(home));
}

// The tool registers the DLL beside it by default; refused calls write
// nothing.
TEST_F(InstallTest, RegistrationToolRegistersForTheUserAndRefusesBadInput)
{
    const struct {
        std::wstring arguments;
        DWORD exitCode;
        bool registered; // afterwards, per user
    } cases[] = {
        {L"", 0, true},
        {L"/u", 0, false},
        {L"/x", 2, false},
        {Quoted(dll[0]) + L" " + Quoted(dll[0]), 2, false},
        {Quoted(dll[0].parent_path() / L"missing" / L"VELDLG.dll"), 1, false},
        {Quoted(dll[1]), 1, false}, // a DLL of the other architecture
        {Quoted(tool), 1, false},   // no registration entry point
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(Narrow(c.arguments));
        EXPECT_EQ(Execute(Quoted(tool) + L" " + c.arguments), c.exitCode);
        EXPECT_EQ(Registration(HKEY_CURRENT_USER, k64) != "", c.registered);
        const std::string machine = Registration(HKEY_LOCAL_MACHINE, k64) + Registration(HKEY_LOCAL_MACHINE, k32);
        EXPECT_EQ(std::regex_replace(machine, std::regex("Interface\\\\.*\n"), ""), "");
        // Wine's RegisterTypeLib also enters the interfaces in the other
        // registry view, which no override of HKEY_CLASSES_ROOT reaches.
        EXPECT_EQ(machine != "", platform::OnWine() && c.registered) << machine;
    }
}

} // namespace
