// The DLL files of both architectures as clients and installers read them,
// through the platform's own readers: the type library (the names, DISPIDs,
// types and vtable order that late- and early-bound clients depend on), four
// exports by name at ordinals 1 to 4, imports from system DLLs only, the
// dialogs' icons and the version block; and the exports as COM calls them.

#include "list/resource.h"
#include "startpos/resource.h"
#include "support/com_client.h"
#include "support/test_files.h"
#include "veldlg_h.h"

#include <gtest/gtest.h>

#include <dbghelp.h>

#include <algorithm>
#include <map>
#include <memory>
#include <set>

namespace {

using client::ComPtr;
using testfiles::Guid;
using std::to_wstring;

const struct { const char* name; WORD machine; SYSKIND syskind; } kArchs[] = {
    {"x86_64", IMAGE_FILE_MACHINE_AMD64, SYS_WIN64}, {"i686", IMAGE_FILE_MACHINE_I386, SYS_WIN32}};

// Each interface's members in vtable order: name, DISPID (past 0x68030000
// for a property, 0x60030000 for a method), the Variant type of the value
// (2 Integer, 7 Date, 8 String, 11 Boolean, 12 Variant) and its slots: get,
// put or call. Its class bears its name without the underscore.
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

// A type as its name and flags, and the first type it implements with how.
std::wstring Describe(ITypeInfo* info)
{
    TYPEATTR* a = nullptr;
    INT flags = -1;
    if (!info || info->GetTypeAttr(&a) != S_OK) return L"missing";
    info->GetImplTypeFlags(0, &flags);
    const std::wstring text = NameOf(info) + L" " + to_wstring(a->wTypeFlags) + L" " +
                              NameOf(Implemented(info, 0).get()) + L" " + to_wstring(flags);
    info->ReleaseTypeAttr(a);
    return text;
}

// The vtable half of an interface as its members (see kInterfaces); a get
// returns its value through [out, retval], a put takes it [in], a call
// takes nothing, and anything else is a "?".
std::wstring Members(ITypeInfo* vtable)
{
    std::wstring text, last;
    FUNCDESC* f = nullptr;
    for (UINT i = 0; vtable && vtable->GetFuncDesc(i, &f) == S_OK; vtable->ReleaseFuncDesc(f), ++i) {
        const ELEMDESC* p = f->cParams == 1 ? f->lprgelemdescParam : nullptr;
        const bool get = p && f->invkind == INVOKE_PROPERTYGET && p->tdesc.vt == VT_PTR &&
                         p->paramdesc.wParamFlags == (PARAMFLAG_FOUT | PARAMFLAG_FRETVAL);
        const bool put = p && f->invkind == INVOKE_PROPERTYPUT && p->paramdesc.wParamFlags == PARAMFLAG_FIN;
        const std::wstring name = NameOf(vtable, f->memid);
        if (name != last)
            text += (text.empty() ? L"" : L", ") + name + L" " + to_wstring(f->memid - (p ? 0x68030000 : 0x60030000)) +
                    L" " + to_wstring(get ? p->tdesc.lptdesc->vt : put ? p->tdesc.vt : 0) + L" ";
        text += get ? L"g" : put ? L"p" : !p && f->invkind == INVOKE_FUNC ? L"c" : L"?";
        last = name;
    }
    return text;
}

TEST(DllFiles, TypeLibrary)
{
    client::Apartment apartment;
    const std::wstring dual = to_wstring(TYPEFLAG_FHIDDEN | TYPEFLAG_FDUAL | TYPEFLAG_FNONEXTENSIBLE |
                                         TYPEFLAG_FDISPATCHABLE | TYPEFLAG_FOLEAUTOMATION);
    for (const auto& arch : kArchs) {
        SCOPED_TRACE(arch.name);
        ComPtr<ITypeLib> lib;
        TLIBATTR* a = nullptr;
        client::Bstr name;
        ASSERT_EQ(LoadTypeLibEx(testfiles::Dll(arch.name).c_str(), REGKIND_NONE, lib.put()), S_OK);
        ASSERT_EQ(lib->GetLibAttr(&a), S_OK);
        lib->GetDocumentation(-1, name.put(), nullptr, nullptr, nullptr);
        EXPECT_EQ(std::wstring(name.view()) + L" " + Guid(a->guid) + L" " + to_wstring(a->syskind) + L" " +
                      to_wstring(a->wMajorVerNum) + L"." + to_wstring(a->wMinorVerNum) + L" " +
                      to_wstring(lib->GetTypeInfoCount()),
                  L"VELDLG " + Guid(LIBID_VELDLG) + L" " + to_wstring(arch.syskind) + L" 1.0 8");
        lib->ReleaseTLibAttr(a);
        // Each class creatable, its interface the default one; the interface
        // dual, its vtable half hidden and deriving from IDispatch.
        for (const auto& e : kInterfaces) {
            ComPtr<ITypeInfo> coclass, iface;
            lib->GetTypeInfoOfGuid(e.clsid, coclass.put());
            lib->GetTypeInfoOfGuid(e.iid, iface.put());
            const ComPtr<ITypeInfo> vtable = Implemented(iface.get(), static_cast<UINT>(-1));
            EXPECT_EQ(Describe(coclass.get()), (e.name + 1) + (L" 2 " + std::wstring(e.name)) + L" 1");
            EXPECT_EQ(Describe(vtable.get()), e.name + (L" " + dual) + L" IDispatch 0");
            EXPECT_EQ(Members(vtable.get()), e.members);
        }
    }
}

// A file mapped as an image that never runs, whatever its architecture, so
// that the platform resolves its directories and resources.
template <class T = char>
const T* At(HMODULE image, DWORD rva)
{
    return reinterpret_cast<const T*>((reinterpret_cast<ULONG_PTR>(image) & ~ULONG_PTR{3}) + rva);
}

TEST(DllFiles, ExportsImportsIconsAndVersionBlock)
{
    const std::map<DWORD, std::string> exports = {
        {1, "DllCanUnloadNow"}, {2, "DllGetClassObject"}, {3, "DllRegisterServer"}, {4, "DllUnregisterServer"}};
    const std::set<std::string> system = {"kernel32.dll", "user32.dll",   "gdi32.dll",    "advapi32.dll",
                                          "ole32.dll",    "oleaut32.dll", "comctl32.dll", "msvcrt.dll"};
    for (const auto& arch : kArchs) {
        SCOPED_TRACE(arch.name);
        const std::wstring path = testfiles::Dll(arch.name);
        const std::unique_ptr<HINSTANCE__, decltype(&FreeLibrary)> dll(
            LoadLibraryExW(path.c_str(), nullptr, LOAD_LIBRARY_AS_IMAGE_RESOURCE), FreeLibrary);
        const HMODULE m = dll.get();
        ULONG size = 0;
        ASSERT_TRUE(m && reinterpret_cast<ULONG_PTR>(m) & 2) << "not mapped as an image";
        char* const image = const_cast<char*>(At(m, 0));
        const auto directory = [&](USHORT entry) { return ImageDirectoryEntryToData(image, TRUE, entry, &size); };
        EXPECT_EQ(ImageNtHeader(image)->FileHeader.Machine, arch.machine);
        const auto* e = static_cast<const IMAGE_EXPORT_DIRECTORY*>(directory(IMAGE_DIRECTORY_ENTRY_EXPORT));
        ASSERT_TRUE(e);
        std::map<DWORD, std::string> named;
        for (DWORD i = 0; i < e->NumberOfNames; ++i)
            named[e->Base + At<WORD>(m, e->AddressOfNameOrdinals)[i]] = At(m, At<DWORD>(m, e->AddressOfNames)[i]);
        EXPECT_TRUE(named == exports && e->NumberOfFunctions == 4) << testing::PrintToString(named);
        std::set<std::string> imported;
        for (auto* d = static_cast<const IMAGE_IMPORT_DESCRIPTOR*>(directory(IMAGE_DIRECTORY_ENTRY_IMPORT)); d && d->Name; ++d)
            imported.insert(CharLowerA(std::string(At(m, d->Name)).data()));
        EXPECT_TRUE(!imported.empty() && std::includes(system.begin(), system.end(), imported.begin(), imported.end()))
            << testing::PrintToString(imported);
        for (const int icon : {IDI_FRMSTARTPOS, IDI_CUSTOMLIST})
            EXPECT_TRUE(FindResourceW(m, MAKEINTRESOURCEW(icon), RT_GROUP_ICON)) << "icon " << icon;

        // The version block (1.5.0.5, in US English and Unicode) names the
        // file as it is and says that the DLL registers itself.
        DWORD ignored = 0;
        UINT length = 0;
        std::vector<BYTE> block(GetFileVersionInfoSizeW(path.c_str(), &ignored));
        GetFileVersionInfoW(path.c_str(), 0, static_cast<DWORD>(block.size()), block.data());
        std::wstring texts;
        for (const wchar_t* name :
             {L"OriginalFilename", L"InternalName", L"FileVersion", L"ProductVersion", L"OLESelfRegister"}) {
            wchar_t* text = nullptr;
            const std::wstring query = L"\\StringFileInfo\\040904B0\\" + std::wstring(name);
            VerQueryValueW(block.data(), query.c_str(), reinterpret_cast<void**>(&text), &length);
            texts += std::wstring(text ? text : L"missing") + L"|";
        }
        const std::wstring file = path.substr(path.find_last_of(L'\\') + 1);
        EXPECT_EQ(texts, file + L"|" + file.substr(0, file.find(L'.')) + L"|1.05.0005|1.05.0005||");
        VS_FIXEDFILEINFO* f = nullptr;
        ASSERT_TRUE(VerQueryValueW(block.data(), L"\\", reinterpret_cast<void**>(&f), &length));
        EXPECT_TRUE(f->dwFileVersionMS == 0x10005 && f->dwFileVersionLS == 5 && f->dwProductVersionMS == 0x10005);
    }
}

// The exports as COM calls them: a factory for each class and no other,
// objects without aggregation, and the library held while a factory, an
// object or a lock lives.
TEST(DllFiles, FactoriesServeTheFourClassesOnlyAndHoldTheLibrary)
{
    client::Apartment apartment;
    const std::unique_ptr<HINSTANCE__, decltype(&FreeLibrary)> dll(LoadLibraryW(testfiles::OwnDll().c_str()), FreeLibrary);
    const auto entry = [&](const char* name) { return reinterpret_cast<void (*)()>(GetProcAddress(dll.get(), name)); };
    const auto getClassObject = reinterpret_cast<HRESULT(WINAPI*)(REFCLSID, REFIID, void**)>(entry("DllGetClassObject"));
    const auto canUnloadNow = reinterpret_cast<HRESULT(WINAPI*)()>(entry("DllCanUnloadNow"));
    ComPtr<IClassFactory> factory;
    ComPtr<IUnknown> a, b, aggregated;
    ASSERT_TRUE(getClassObject && canUnloadNow);
    EXPECT_EQ(getClassObject(IID__CustomMessage, IID_IClassFactory, factory.put_void()), CLASS_E_CLASSNOTAVAILABLE);
    ASSERT_EQ(getClassObject(CLSID_CustomMessage, IID_IClassFactory, factory.put_void()), S_OK);
    EXPECT_EQ(canUnloadNow(), S_FALSE) << "a factory is held";
    ASSERT_TRUE(factory->CreateInstance(nullptr, IID_IDispatch, a.put_void()) == S_OK &&
                factory->CreateInstance(nullptr, IID_IDispatch, b.put_void()) == S_OK);
    EXPECT_NE(a.get(), b.get()) << "every CreateInstance makes a new object";
    EXPECT_EQ(factory->CreateInstance(a.get(), IID_IUnknown, aggregated.put_void()), CLASS_E_NOAGGREGATION);
    EXPECT_EQ(factory->LockServer(TRUE), S_OK);
    factory = nullptr;
    b = nullptr;
    EXPECT_EQ(canUnloadNow(), S_FALSE) << "an object is alive";
    a = nullptr;
    EXPECT_EQ(canUnloadNow(), S_FALSE) << "the server is locked";
    ASSERT_EQ(getClassObject(CLSID_CustomMessage, IID_IClassFactory, factory.put_void()), S_OK);
    EXPECT_EQ(factory->LockServer(FALSE), S_OK);
    factory = nullptr;
    EXPECT_EQ(canUnloadNow(), S_OK);
}

} // namespace
