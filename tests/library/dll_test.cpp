// The DLL files of both architectures as clients and installers read them,
// through the platform's own readers: the type library (the names, DISPIDs,
// types and vtable order that late- and early-bound clients depend on), four
// exports by name at ordinals 1 to 4, imports from system DLLs only and the
// file name in the version block; and the exports as COM calls them.

#include "support/com_client.h"
#include "support/test_files.h"
#include "veldlg_h.h"

#include <gtest/gtest.h>

#include <dbghelp.h>

#include <memory>
#include <regex>

namespace {

using client::ComPtr;
using std::to_wstring;

const struct { const char* name; WORD machine; SYSKIND syskind; } kArchs[] = {
    {"x86_64", IMAGE_FILE_MACHINE_AMD64, SYS_WIN64}, {"i686", IMAGE_FILE_MACHINE_I386, SYS_WIN32}};
// The DLLs that every Windows has, and so the only ones the library may import.
const std::regex kSystem("((kernel32|user32|gdi32|advapi32|ole32|oleaut32|comctl32|msvcrt)\\.dll )+",
                         std::regex::icase);

// Each interface's members in vtable order: name, DISPID (past 0x68030000
// for a property, 0x60030000 for a method), the Variant type of the value
// (2 Integer, 7 Date, 8 String, 11 Boolean, 12 Variant) and its slots: get,
// put or call.
const struct { const wchar_t* name; const GUID &iid, &clsid; const wchar_t* members; } kInterfaces[] = {
    {L"_CustomMessage", IID__CustomMessage, CLSID_CustomMessage,
     L"NumButtons 7 2 gp, Message 6 8 gp, FormCaption 5 8 gp, ShowForm 8 0 c, ButtonCaptions 4 8 gp, "
     L"ButtonResultCaption 3 12 gp, DefaultButton 2 2 p, Cancelbutton 1 2 p, ButtonResultValue 0 12 gp"},
    {L"_LabelStartPosition", IID__LabelStartPosition, CLSID_LabelStartPosition,
     L"NumRows 4 2 gp, NumColumns 3 2 gp, StartColumn 2 2 gp, StartRow 1 2 gp, FormCaption 0 8 gp, ShowForm 5 0 c"},
    {L"_DateRange", IID__DateRange, CLSID_DateRange,
     L"BeginDate 2 7 gp, EndDate 1 7 gp, Succeed 0 11 g, ShowForm 3 0 c"},
    {L"_CustomList", IID__CustomList, CLSID_CustomList,
     L"FormCaption 3 8 p, ShowForm 4 0 c, ListIndex 2 2 gp, ListItem 1 8 gp, ListArray 0 12 p"},
};

std::wstring NameOf(ITypeInfo* info, MEMBERID id = MEMBERID_NIL)
{
    client::Bstr name;
    if (info) info->GetDocumentation(id, name.put(), nullptr, nullptr, nullptr);
    return std::wstring(name.view());
}

ComPtr<ITypeInfo> Implemented(ITypeInfo* info, UINT index)
{
    HREFTYPE ref = 0;
    ComPtr<ITypeInfo> out;
    if (info && info->GetRefTypeOfImplType(index, &ref) == S_OK) info->GetRefTypeInfo(ref, out.put());
    return out;
}

// The vtable half of an interface as its type flags and its members (see
// kInterfaces); a get returns its value through [out, retval], a put takes
// it [in], a call takes nothing, and anything else is a "?".
std::wstring Members(ITypeInfo* vtable)
{
    TYPEATTR* a = nullptr;
    FUNCDESC* f = nullptr;
    if (!vtable || vtable->GetTypeAttr(&a) != S_OK) return L"missing";
    std::wstring last, text = to_wstring(a->wTypeFlags) + L":";
    vtable->ReleaseTypeAttr(a);
    for (UINT i = 0; vtable->GetFuncDesc(i, &f) == S_OK; vtable->ReleaseFuncDesc(f), ++i) {
        const ELEMDESC* p = f->cParams == 1 ? f->lprgelemdescParam : nullptr;
        const bool get = p && f->invkind == INVOKE_PROPERTYGET && p->tdesc.vt == VT_PTR &&
                         p->paramdesc.wParamFlags == (PARAMFLAG_FOUT | PARAMFLAG_FRETVAL);
        const bool put = p && f->invkind == INVOKE_PROPERTYPUT && p->paramdesc.wParamFlags == PARAMFLAG_FIN;
        const std::wstring name = NameOf(vtable, f->memid);
        if (name != last)
            text += (last.empty() ? L" " : L", ") + name + L" " + to_wstring(f->memid - (p ? 0x68030000 : 0x60030000)) +
                    L" " + to_wstring(get ? p->tdesc.lptdesc->vt : put ? p->tdesc.vt : 0) + L" ";
        text += get ? L"g" : put ? L"p" : !p && f->invkind == INVOKE_FUNC ? L"c" : L"?";
        last = name;
    }
    return text;
}

// A file mapped as an image that never runs, whatever its architecture, so
// that the platform resolves its directories and resources.
template <class T = char>
const T* At(HMODULE image, DWORD rva)
{
    return reinterpret_cast<const T*>((reinterpret_cast<ULONG_PTR>(image) & ~ULONG_PTR{3}) + rva);
}

TEST(DllFiles, TypeLibraryExportsImportsAndVersionBlock)
{
    const std::wstring dual = to_wstring(TYPEFLAG_FHIDDEN | TYPEFLAG_FDUAL | TYPEFLAG_FNONEXTENSIBLE |
                                         TYPEFLAG_FDISPATCHABLE | TYPEFLAG_FOLEAUTOMATION);
    for (const auto& arch : kArchs) {
        SCOPED_TRACE(arch.name);
        const std::wstring path = testfiles::Dll(arch.name);
        const std::unique_ptr<HINSTANCE__, decltype(&FreeLibrary)> dll(
            LoadLibraryExW(path.c_str(), nullptr, LOAD_LIBRARY_AS_IMAGE_RESOURCE), FreeLibrary);
        const HMODULE m = dll.get();
        ASSERT_TRUE(m && reinterpret_cast<ULONG_PTR>(m) & 2) << "not mapped as an image";
        char* const image = const_cast<char*>(At(m, 0));
        const auto directory = [&](USHORT entry) { ULONG n; return ImageDirectoryEntryToData(image, TRUE, entry, &n); };
        EXPECT_EQ(ImageNtHeader(image)->FileHeader.Machine, arch.machine);
        // The names come sorted, and so do their ordinals.
        const auto* e = static_cast<const IMAGE_EXPORT_DIRECTORY*>(directory(IMAGE_DIRECTORY_ENTRY_EXPORT));
        std::string exports = e ? std::to_string(e->NumberOfFunctions) : "none";
        for (DWORD i = 0; e && i < e->NumberOfNames; ++i)
            exports += " " + std::to_string(e->Base + At<WORD>(m, e->AddressOfNameOrdinals)[i]) + " " +
                       At(m, At<DWORD>(m, e->AddressOfNames)[i]);
        EXPECT_EQ(exports, "4 1 DllCanUnloadNow 2 DllGetClassObject 3 DllRegisterServer 4 DllUnregisterServer");
        std::string imports;
        for (auto* d = static_cast<const IMAGE_IMPORT_DESCRIPTOR*>(directory(IMAGE_DIRECTORY_ENTRY_IMPORT));
             d && d->Name; ++d)
            imports += At(m, d->Name) + std::string(" ");
        EXPECT_TRUE(std::regex_match(imports, kSystem)) << imports;
        ComPtr<ITypeLib> lib;
        TLIBATTR* a = nullptr;
        ASSERT_TRUE(LoadTypeLibEx(path.c_str(), REGKIND_NONE, lib.put()) == S_OK && lib->GetLibAttr(&a) == S_OK);
        EXPECT_EQ(a->syskind, arch.syskind);
        lib->ReleaseTLibAttr(a);
        // Each class implements its interface; the interface is dual and its
        // vtable half hidden.
        for (const auto& e : kInterfaces) {
            ComPtr<ITypeInfo> coclass, iface;
            lib->GetTypeInfoOfGuid(e.clsid, coclass.put());
            lib->GetTypeInfoOfGuid(e.iid, iface.put());
            EXPECT_EQ(NameOf(Implemented(coclass.get(), 0).get()), e.name);
            EXPECT_EQ(Members(Implemented(iface.get(), static_cast<UINT>(-1)).get()), dual + L": " + e.members);
        }
        // The version block names the file as it is.
        wchar_t* name = nullptr;
        UINT length = 0;
        std::vector<BYTE> block(GetFileVersionInfoSizeW(path.c_str(), nullptr));
        GetFileVersionInfoW(path.c_str(), 0, static_cast<DWORD>(block.size()), block.data());
        VerQueryValueW(block.data(), L"\\StringFileInfo\\040904B0\\OriginalFilename", reinterpret_cast<void**>(&name),
                       &length);
        EXPECT_EQ(std::wstring(name ? name : L"none"), path.substr(path.find_last_of(L'\\') + 1));
    }
}

// The exports as COM calls them: objects without aggregation, and the
// library held while an object or a lock lives.
TEST(DllFiles, FactoriesRefuseAggregationAndHoldTheLibrary)
{
    client::Apartment apartment;
    const std::unique_ptr<HINSTANCE__, decltype(&FreeLibrary)> dll(LoadLibraryW(testfiles::OwnDll().c_str()),
                                                                   FreeLibrary);
    const auto entry = [&](const char* name) { return reinterpret_cast<void (*)()>(GetProcAddress(dll.get(), name)); };
    const auto getClassObject =
        reinterpret_cast<HRESULT(WINAPI*)(REFCLSID, REFIID, void**)>(entry("DllGetClassObject"));
    const auto canUnloadNow = reinterpret_cast<HRESULT(WINAPI*)()>(entry("DllCanUnloadNow"));
    ComPtr<IClassFactory> factory;
    ComPtr<IUnknown> a, aggregated;
    ASSERT_EQ(getClassObject(CLSID_CustomMessage, IID_IClassFactory, factory.put_void()), S_OK);
    ASSERT_EQ(factory->CreateInstance(nullptr, IID_IDispatch, a.put_void()), S_OK);
    EXPECT_EQ(factory->CreateInstance(a.get(), IID_IUnknown, aggregated.put_void()), CLASS_E_NOAGGREGATION);
    EXPECT_EQ(factory->LockServer(TRUE), S_OK);
    factory = nullptr;
    EXPECT_EQ(canUnloadNow(), S_FALSE) << "an object is alive";
    a = nullptr;
    EXPECT_EQ(canUnloadNow(), S_FALSE) << "the server is locked";
    ASSERT_EQ(getClassObject(CLSID_CustomMessage, IID_IClassFactory, factory.put_void()), S_OK);
    EXPECT_EQ(factory->LockServer(FALSE), S_OK);
    factory = nullptr;
    EXPECT_EQ(canUnloadNow(), S_OK);
}

} // namespace
