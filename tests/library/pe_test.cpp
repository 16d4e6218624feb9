// The DLL files themselves, both architectures: exports by name at ordinals
// 1 to 4, imports from system DLLs only, and the version block read through
// the platform's version API.

#include "support/pe_file.h"
#include "support/test_files.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <map>
#include <set>
#include <string>
#include <vector>

namespace {

using testfiles::PeFile;

struct Arch {
    const char* name;
    WORD machine;
};
const Arch kArchs[] = {{"x86_64", IMAGE_FILE_MACHINE_AMD64}, {"i686", IMAGE_FILE_MACHINE_I386}};

TEST(DllFile, ExportsTheFourEntryPointsByNameAtOrdinalsOneToFour)
{
    const std::map<DWORD, std::string> expected = {
        {1, "DllCanUnloadNow"}, {2, "DllGetClassObject"}, {3, "DllRegisterServer"}, {4, "DllUnregisterServer"}};
    for (const Arch& a : kArchs) {
        SCOPED_TRACE(a.name);
        PeFile pe(testfiles::Dll(a.name));
        ASSERT_TRUE(pe.ok());
        EXPECT_EQ(pe.machine(), a.machine);
        EXPECT_EQ(pe.Exports(), expected);
        EXPECT_EQ(pe.ExportedFunctionCount(), 4u);
    }
}

TEST(DllFile, ImportsSystemDllsOnly)
{
    const std::set<std::string> system = {"kernel32.dll", "user32.dll",   "gdi32.dll",   "advapi32.dll",
                                          "ole32.dll",    "oleaut32.dll", "comctl32.dll", "msvcrt.dll"};
    for (const Arch& a : kArchs) {
        SCOPED_TRACE(a.name);
        PeFile pe(testfiles::Dll(a.name));
        ASSERT_TRUE(pe.ok());
        const std::set<std::string> imports = pe.Imports();
        EXPECT_FALSE(imports.empty());
        for (const auto& dll : imports) EXPECT_TRUE(system.count(dll)) << dll << " is not a system DLL";
    }
}

std::wstring StringValue(const std::vector<BYTE>& block, const wchar_t* name, bool* found)
{
    wchar_t* text = nullptr;
    UINT len = 0;
    const std::wstring query = std::wstring(L"\\StringFileInfo\\040904B0\\") + name;
    *found = VerQueryValueW(block.data(), query.c_str(), reinterpret_cast<void**>(&text), &len) != 0;
    return *found && text ? std::wstring(text, wcsnlen(text, len)) : std::wstring();
}

TEST(DllFile, VersionBlock)
{
    for (const Arch& a : kArchs) {
        SCOPED_TRACE(a.name);
        const std::wstring path = testfiles::Dll(a.name);
        DWORD ignored = 0;
        const DWORD size = GetFileVersionInfoSizeW(path.c_str(), &ignored);
        ASSERT_GT(size, 0u);
        std::vector<BYTE> block(size);
        ASSERT_TRUE(GetFileVersionInfoW(path.c_str(), 0, size, block.data()));

        VS_FIXEDFILEINFO* fixed = nullptr;
        UINT len = 0;
        ASSERT_TRUE(VerQueryValueW(block.data(), L"\\", reinterpret_cast<void**>(&fixed), &len));
        EXPECT_EQ(fixed->dwFileVersionMS, MAKELONG(5, 1));
        EXPECT_EQ(fixed->dwFileVersionLS, MAKELONG(5, 0));
        EXPECT_EQ(fixed->dwProductVersionMS, MAKELONG(5, 1));
        EXPECT_EQ(fixed->dwProductVersionLS, MAKELONG(5, 0));
        EXPECT_EQ(fixed->dwFileType, static_cast<DWORD>(VFT_DLL));
        EXPECT_EQ(fixed->dwFileOS, static_cast<DWORD>(VOS__WINDOWS32));

        struct Translation {
            WORD language, codePage;
        }* translation = nullptr;
        ASSERT_TRUE(VerQueryValueW(block.data(), L"\\VarFileInfo\\Translation", reinterpret_cast<void**>(&translation), &len));
        ASSERT_GE(len, sizeof(Translation));
        EXPECT_EQ(translation->language, 0x0409);
        EXPECT_EQ(translation->codePage, 0x04B0);

        const struct {
            const wchar_t* name;
            const wchar_t* value; // nullptr: present, any non-empty text
        } strings[] = {{L"FileVersion", L"1.05.0005"}, {L"ProductVersion", L"1.05.0005"},
                       {L"InternalName", L"VELDLG"},    {L"OriginalFilename", L"VELDLG.dll"},
                       {L"OLESelfRegister", L""},       {L"CompanyName", nullptr},
                       {L"ProductName", nullptr},       {L"LegalCopyright", nullptr}};
        for (const auto& s : strings) {
            bool found = false;
            const std::wstring value = StringValue(block, s.name, &found);
            EXPECT_TRUE(found) << std::wstring(s.name) << " is missing";
            if (s.value)
                EXPECT_EQ(value, s.value) << std::wstring(s.name);
            else
                EXPECT_FALSE(value.empty()) << std::wstring(s.name);
        }
    }
}

} // namespace
