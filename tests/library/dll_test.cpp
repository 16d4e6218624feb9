// The DLL files of both architectures as clients and installers read them,
// through the platform's own readers: the type library compiled and
// late-bound clients were built against (every name, slot, DISPID, type and
// flag), four exports by name at ordinals 1 to 4, imports from system DLLs
// only, the dialogs' icons and the version block; and the exports as COM
// calls them.

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

const struct { const char* name; WORD machine; SYSKIND syskind; int pointerSize; } kArchs[] = {
    {"x86_64", IMAGE_FILE_MACHINE_AMD64, SYS_WIN64, 8}, {"i686", IMAGE_FILE_MACHINE_I386, SYS_WIN32, 4}};

// Each interface's slots after IDispatch's, in vtable order: access, name,
// DISPID and the Variant type of the value (2 Integer, 7 Date, 8 String,
// 11 Boolean, 12 Variant). Its class bears its name without the underscore.
const struct { const wchar_t* name; const GUID &iid, &clsid; std::vector<std::wstring> slots; } kInterfaces[] = {
    {L"_CustomMessage", IID__CustomMessage, CLSID_CustomMessage,
     {L"get NumButtons 68030007 2", L"put NumButtons 68030007 2", L"get Message 68030006 8", L"put Message 68030006 8",
      L"get FormCaption 68030005 8", L"put FormCaption 68030005 8", L"call ShowForm 60030008 0",
      L"get ButtonCaptions 68030004 8", L"put ButtonCaptions 68030004 8", L"get ButtonResultCaption 68030003 12",
      L"put ButtonResultCaption 68030003 12", L"put DefaultButton 68030002 2", L"put Cancelbutton 68030001 2",
      L"get ButtonResultValue 68030000 12", L"put ButtonResultValue 68030000 12"}},
    {L"_LabelStartPosition", IID__LabelStartPosition, CLSID_LabelStartPosition,
     {L"get NumRows 68030004 2", L"put NumRows 68030004 2", L"get NumColumns 68030003 2", L"put NumColumns 68030003 2",
      L"get StartColumn 68030002 2", L"put StartColumn 68030002 2", L"get StartRow 68030001 2",
      L"put StartRow 68030001 2", L"get FormCaption 68030000 8", L"put FormCaption 68030000 8",
      L"call ShowForm 60030005 0"}},
    {L"_DateRange", IID__DateRange, CLSID_DateRange,
     {L"get BeginDate 68030002 7", L"put BeginDate 68030002 7", L"get EndDate 68030001 7", L"put EndDate 68030001 7",
      L"get Succeed 68030000 11", L"call ShowForm 60030003 0"}},
    {L"_CustomList", IID__CustomList, CLSID_CustomList,
     {L"put FormCaption 68030003 8", L"call ShowForm 60030004 0", L"get ListIndex 68030002 2",
      L"put ListIndex 68030002 2", L"get ListItem 68030001 8", L"put ListItem 68030001 8", L"put ListArray 68030000 12"}},
};

template <class... A>
std::wstring Text(const wchar_t* format, A... a)
{
    wchar_t text[200];
    swprintf(text, 200, format, a...);
    return text;
}

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

// A type as text: name, GUID, kind, version, locale, flags, number of
// members, vtable size, and the first type it implements, with its flags.
std::wstring Describe(ITypeInfo* info)
{
    TYPEATTR* a = nullptr;
    INT flags = -1;
    if (!info || info->GetTypeAttr(&a) != S_OK) return L"missing";
    info->GetImplTypeFlags(0, &flags);
    const std::wstring text = Text(L"%ls %ls kind %d %d.%d lcid %lu flags %#x funcs %d vft %d implements %ls %d",
                                   NameOf(info).c_str(), testfiles::Guid(a->guid).c_str(), a->typekind, a->wMajorVerNum,
                                   a->wMinorVerNum, a->lcid, a->wTypeFlags, a->cFuncs,
                                   a->typekind == TKIND_INTERFACE ? a->cbSizeVft : 0,
                                   NameOf(Implemented(info, 0).get()).c_str(), flags);
    info->ReleaseTypeAttr(a);
    return text;
}

// The vtable half of an interface, slot by slot; what every slot shares is
// checked here. A get returns its value through an [out, retval] pointer,
// a put takes it [in].
std::vector<std::wstring> Slots(ITypeInfo* vtable)
{
    std::vector<std::wstring> slots;
    FUNCDESC* f = nullptr;
    for (UINT i = 0; vtable && vtable->GetFuncDesc(i, &f) == S_OK; vtable->ReleaseFuncDesc(f), ++i) {
        const ELEMDESC* p = f->cParams == 1 ? f->lprgelemdescParam : nullptr;
        const bool get = f->invkind == INVOKE_PROPERTYGET, put = f->invkind == INVOKE_PROPERTYPUT;
        EXPECT_TRUE(f->funckind == FUNC_PUREVIRTUAL && f->callconv == CC_STDCALL && f->cParamsOpt == 0 &&
                    f->wFuncFlags == 0 && f->elemdescFunc.tdesc.vt == VT_HRESULT && f->cParams == (get || put) &&
                    f->oVft == static_cast<SHORT>((7 + i) * sizeof(void*)) &&
                    (!get || (p->tdesc.vt == VT_PTR && p->paramdesc.wParamFlags == (PARAMFLAG_FOUT | PARAMFLAG_FRETVAL))) &&
                    (!put || p->paramdesc.wParamFlags == PARAMFLAG_FIN))
            << "slot " << i;
        slots.push_back(Text(L"%ls %ls %08lX %d", get ? L"get" : put ? L"put" : L"call", NameOf(vtable, f->memid).c_str(),
                             static_cast<unsigned long>(f->memid),
                             !p ? 0 : p->tdesc.vt == VT_PTR ? p->tdesc.lptdesc->vt : p->tdesc.vt));
    }
    return slots;
}

TEST(DllFiles, TypeLibrary)
{
    client::Apartment apartment;
    for (const auto& arch : kArchs) {
        SCOPED_TRACE(arch.name);
        ComPtr<ITypeLib> lib;
        TLIBATTR* a = nullptr;
        client::Bstr name, doc, help;
        DWORD context = 1;
        ASSERT_EQ(LoadTypeLibEx(testfiles::Dll(arch.name).c_str(), REGKIND_NONE, lib.put()), S_OK);
        ASSERT_EQ(lib->GetLibAttr(&a), S_OK);
        ASSERT_EQ(lib->GetDocumentation(-1, name.put(), doc.put(), &context, help.put()), S_OK);
        // Not restricted, a control or hidden (the platform may add that it
        // was read from a file); a one-line description and no help.
        EXPECT_EQ(Text(L"%ls %ls %d %d.%d lcid %lu flags %d help '%ls' %lu", name.get(), testfiles::Guid(a->guid).c_str(),
                       a->syskind, a->wMajorVerNum, a->wMinorVerNum, a->lcid,
                       a->wLibFlags & (LIBFLAG_FRESTRICTED | LIBFLAG_FCONTROL | LIBFLAG_FHIDDEN),
                       std::wstring(help.view()).c_str(), context),
                  Text(L"VELDLG %ls %d 1.0 lcid 0 flags 0 help '' 0", testfiles::Guid(LIBID_VELDLG).c_str(), arch.syskind));
        EXPECT_TRUE(!doc.view().empty() && doc.view().find(L'\n') == std::wstring_view::npos) << "a one-line description";
        lib->ReleaseTLibAttr(a);

        // Each interface, followed by its class, is dual: its vtable half is
        // hidden, non-extensible, dispatchable and OLE-automation, derives
        // from stdole2's IDispatch and states its size in the library's
        // pointers.
        constexpr int kFlags = TYPEFLAG_FHIDDEN | TYPEFLAG_FDUAL | TYPEFLAG_FNONEXTENSIBLE | TYPEFLAG_FDISPATCHABLE |
                               TYPEFLAG_FOLEAUTOMATION;
        ASSERT_EQ(lib->GetTypeInfoCount(), 8u);
        for (UINT i = 0; i < 4; ++i) {
            const auto& e = kInterfaces[i];
            ComPtr<ITypeInfo> iface, coclass;
            lib->GetTypeInfo(2 * i, iface.put());
            lib->GetTypeInfo(2 * i + 1, coclass.put());
            const ComPtr<ITypeInfo> vtable = Implemented(iface.get(), static_cast<UINT>(-1));
            EXPECT_EQ(Describe(vtable.get()), Text(L"%ls %ls kind 3 1.0 lcid 0 flags %#x funcs %zu vft %zu implements IDispatch 0",
                                                   e.name, testfiles::Guid(e.iid).c_str(), kFlags, e.slots.size(), (7 + e.slots.size()) * arch.pointerSize));
            EXPECT_EQ(Slots(vtable.get()), e.slots);
            EXPECT_EQ(Describe(coclass.get()), Text(L"%ls %ls kind 5 1.0 lcid 0 flags 0x2 funcs 0 vft 0 implements %ls 1",
                                                    e.name + 1, testfiles::Guid(e.clsid).c_str(), e.name));
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
    // Each icon group with images of its own: width x height, bits per pixel.
    const std::map<int, std::vector<std::wstring>> icons = {{IDI_FRMSTARTPOS, {L"32x32 4"}},
                                                            {IDI_CUSTOMLIST, {L"32x32 4", L"16x16 4"}}};
    for (const auto& arch : kArchs) {
        SCOPED_TRACE(arch.name);
        const std::wstring path = testfiles::Dll(arch.name);
        const std::unique_ptr<HINSTANCE__, decltype(&FreeLibrary)> dll(
            LoadLibraryExW(path.c_str(), nullptr, LOAD_LIBRARY_AS_IMAGE_RESOURCE), FreeLibrary);
        const HMODULE m = dll.get();
        ULONG size = 0;
        const auto directory = [&](USHORT entry) { return ImageDirectoryEntryToData(const_cast<char*>(At(m, 0)), TRUE, entry, &size); };
        ASSERT_TRUE(m && reinterpret_cast<ULONG_PTR>(m) & 2) << "not mapped as an image";
        EXPECT_EQ(ImageNtHeader(const_cast<char*>(At(m, 0)))->FileHeader.Machine, arch.machine);
        const auto* e = static_cast<const IMAGE_EXPORT_DIRECTORY*>(directory(IMAGE_DIRECTORY_ENTRY_EXPORT));
        ASSERT_TRUE(e);
        std::map<DWORD, std::string> named;
        for (DWORD i = 0; i < e->NumberOfNames; ++i)
            named[e->Base + At<WORD>(m, e->AddressOfNameOrdinals)[i]] = At(m, At<DWORD>(m, e->AddressOfNames)[i]);
        EXPECT_EQ(named, exports);
        EXPECT_EQ(e->NumberOfFunctions, 4u);
        std::set<std::string> imported;
        for (auto* d = static_cast<const IMAGE_IMPORT_DESCRIPTOR*>(directory(IMAGE_DIRECTORY_ENTRY_IMPORT)); d && d->Name; ++d)
            imported.insert(CharLowerA(std::string(At(m, d->Name)).data()));
        EXPECT_TRUE(!imported.empty() && std::includes(system.begin(), system.end(), imported.begin(), imported.end()))
            << testing::PrintToString(imported);

        std::set<WORD> ids;
        for (const auto& [group, expected] : icons) {
            const HRSRC found = FindResourceW(m, MAKEINTRESOURCEW(group), RT_GROUP_ICON);
            const auto* g = found ? static_cast<const WORD*>(LockResource(LoadResource(m, found))) : nullptr;
            std::vector<std::wstring> images;
            // Three WORDs, then an entry of seven WORDs per image, its id last.
            for (WORD i = 0; g && i < g[2]; ids.insert(g[3 + 7 * i + 6]), ++i) {
                const HRSRC image = FindResourceW(m, MAKEINTRESOURCEW(g[3 + 7 * i + 6]), RT_ICON);
                const auto* b = image ? static_cast<const BITMAPINFOHEADER*>(LockResource(LoadResource(m, image))) : nullptr;
                images.push_back(b ? Text(L"%ldx%ld %d", b->biWidth, b->biHeight / 2, b->biBitCount) : L"missing");
            }
            EXPECT_EQ(images, expected) << "icon " << group;
        }
        EXPECT_EQ(ids.size(), 3u) << "the icons share images";

        DWORD ignored = 0;
        std::vector<BYTE> block(GetFileVersionInfoSizeW(path.c_str(), &ignored));
        ASSERT_TRUE(!block.empty() && GetFileVersionInfoW(path.c_str(), 0, static_cast<DWORD>(block.size()), block.data()));
        const auto query = [&](const std::wstring& name) {
            void* value = nullptr;
            UINT len = 0;
            return VerQueryValueW(block.data(), name.c_str(), &value, &len) ? value : nullptr;
        };
        const auto* f = static_cast<const VS_FIXEDFILEINFO*>(query(L"\\"));
        const auto* translation = static_cast<const DWORD*>(query(L"\\VarFileInfo\\Translation"));
        ASSERT_TRUE(f && translation);
        // Version 1.5.0.5 of a DLL for Windows, in US English and Unicode.
        EXPECT_EQ(Text(L"%lx %lx %lx %lx %lx %lx %lx", f->dwFileVersionMS, f->dwFileVersionLS, f->dwProductVersionMS,
                       f->dwProductVersionLS, f->dwFileType, f->dwFileOS, *translation),
                  L"10005 5 10005 5 2 4 4b00409");
        // The texts; those without a value here must be there with any text.
        for (const auto& [name, value] : std::initializer_list<std::pair<const wchar_t*, const wchar_t*>>{
                 {L"FileVersion", L"1.05.0005"}, {L"ProductVersion", L"1.05.0005"}, {L"InternalName", L"VELDLG"},
                 {L"OriginalFilename", L"VELDLG.dll"}, {L"OLESelfRegister", L""}, {L"CompanyName", nullptr},
                 {L"ProductName", nullptr}, {L"LegalCopyright", nullptr}}) {
            const auto* text = static_cast<const wchar_t*>(query(L"\\StringFileInfo\\040904B0\\" + std::wstring(name)));
            EXPECT_TRUE(text && (value ? !wcscmp(text, value) : *text)) << name << ": " << (text ? text : L"missing");
        }
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
    const auto getClassObject =
        reinterpret_cast<HRESULT(WINAPI*)(REFCLSID, REFIID, void**)>(entry("DllGetClassObject"));
    const auto canUnloadNow = reinterpret_cast<HRESULT(WINAPI*)()>(entry("DllCanUnloadNow"));
    ComPtr<IClassFactory> factory;
    ComPtr<IUnknown> a, b, aggregated;
    ASSERT_TRUE(getClassObject && canUnloadNow);
    EXPECT_EQ(getClassObject(IID__CustomMessage, IID_IClassFactory, factory.put_void()), CLASS_E_CLASSNOTAVAILABLE);
    EXPECT_TRUE(!factory && canUnloadNow() == S_OK);
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
