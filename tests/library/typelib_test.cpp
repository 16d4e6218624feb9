// The embedded type library read back through the platform's ITypeLib and
// ITypeInfo, for both builds of the DLL: every name, order, flag, member,
// invoke kind, DISPID, vtable slot, parameter type, version and system kind.

#include "support/com_client.h"
#include "support/test_files.h"
#include "veldlg_h.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using client::Bstr;
using client::ComPtr;

enum Access { kGet, kPut, kMethod };

struct Member {
    const wchar_t* name;
    Access access;
    DISPID id;
    VARTYPE type; // VT_EMPTY for a method
};

struct Interface {
    const wchar_t* name;
    const IID& iid;
    const wchar_t* coclass;
    const CLSID& clsid;
    std::vector<Member> members; // vtable order
};

const Interface kInterfaces[] = {
    {L"_CustomMessage", IID__CustomMessage, L"CustomMessage", CLSID_CustomMessage,
     {{L"NumButtons", kGet, 0x68030007, VT_I2},
      {L"NumButtons", kPut, 0x68030007, VT_I2},
      {L"Message", kGet, 0x68030006, VT_BSTR},
      {L"Message", kPut, 0x68030006, VT_BSTR},
      {L"FormCaption", kGet, 0x68030005, VT_BSTR},
      {L"FormCaption", kPut, 0x68030005, VT_BSTR},
      {L"ShowForm", kMethod, 0x60030008, VT_EMPTY},
      {L"ButtonCaptions", kGet, 0x68030004, VT_BSTR},
      {L"ButtonCaptions", kPut, 0x68030004, VT_BSTR},
      {L"ButtonResultCaption", kGet, 0x68030003, VT_VARIANT},
      {L"ButtonResultCaption", kPut, 0x68030003, VT_VARIANT},
      {L"DefaultButton", kPut, 0x68030002, VT_I2},
      {L"Cancelbutton", kPut, 0x68030001, VT_I2},
      {L"ButtonResultValue", kGet, 0x68030000, VT_VARIANT},
      {L"ButtonResultValue", kPut, 0x68030000, VT_VARIANT}}},
    {L"_LabelStartPosition", IID__LabelStartPosition, L"LabelStartPosition", CLSID_LabelStartPosition,
     {{L"NumRows", kGet, 0x68030004, VT_I2},
      {L"NumRows", kPut, 0x68030004, VT_I2},
      {L"NumColumns", kGet, 0x68030003, VT_I2},
      {L"NumColumns", kPut, 0x68030003, VT_I2},
      {L"StartColumn", kGet, 0x68030002, VT_I2},
      {L"StartColumn", kPut, 0x68030002, VT_I2},
      {L"StartRow", kGet, 0x68030001, VT_I2},
      {L"StartRow", kPut, 0x68030001, VT_I2},
      {L"FormCaption", kGet, 0x68030000, VT_BSTR},
      {L"FormCaption", kPut, 0x68030000, VT_BSTR},
      {L"ShowForm", kMethod, 0x60030005, VT_EMPTY}}},
    {L"_DateRange", IID__DateRange, L"DateRange", CLSID_DateRange,
     {{L"BeginDate", kGet, 0x68030002, VT_DATE},
      {L"BeginDate", kPut, 0x68030002, VT_DATE},
      {L"EndDate", kGet, 0x68030001, VT_DATE},
      {L"EndDate", kPut, 0x68030001, VT_DATE},
      {L"Succeed", kGet, 0x68030000, VT_BOOL},
      {L"ShowForm", kMethod, 0x60030003, VT_EMPTY}}},
    {L"_CustomList", IID__CustomList, L"CustomList", CLSID_CustomList,
     {{L"FormCaption", kPut, 0x68030003, VT_BSTR},
      {L"ShowForm", kMethod, 0x60030004, VT_EMPTY},
      {L"ListIndex", kGet, 0x68030002, VT_I2},
      {L"ListIndex", kPut, 0x68030002, VT_I2},
      {L"ListItem", kGet, 0x68030001, VT_BSTR},
      {L"ListItem", kPut, 0x68030001, VT_BSTR},
      {L"ListArray", kPut, 0x68030000, VT_VARIANT}}},
};

std::wstring NameOf(ITypeInfo* info, MEMBERID id = MEMBERID_NIL)
{
    Bstr name;
    EXPECT_EQ(info->GetDocumentation(id, name.put(), nullptr, nullptr, nullptr), S_OK);
    return std::wstring(name.view());
}

class TypeAttr {
public:
    explicit TypeAttr(ITypeInfo* info) : info_(info) { EXPECT_EQ(info->GetTypeAttr(&attr_), S_OK); }
    ~TypeAttr() { if (attr_) info_->ReleaseTypeAttr(attr_); }
    TypeAttr(const TypeAttr&) = delete;
    TypeAttr& operator=(const TypeAttr&) = delete;
    const TYPEATTR* operator->() const { return attr_; }

private:
    ITypeInfo* info_;
    TYPEATTR* attr_ = nullptr;
};

class FuncDesc {
public:
    FuncDesc(ITypeInfo* info, UINT index) : info_(info) { EXPECT_EQ(info->GetFuncDesc(index, &desc_), S_OK); }
    ~FuncDesc() { if (desc_) info_->ReleaseFuncDesc(desc_); }
    FuncDesc(const FuncDesc&) = delete;
    FuncDesc& operator=(const FuncDesc&) = delete;
    const FUNCDESC* operator->() const { return desc_; }

private:
    ITypeInfo* info_;
    FUNCDESC* desc_ = nullptr;
};

// Hidden, dual, non-extensible, OLE-automation, dispatchable. The platform
// shows the dispatch half of every dual interface without the OLE-automation
// flag (it describes a dispinterface), the vtable half with all five.
constexpr WORD kInterfaceFlags =
    TYPEFLAG_FHIDDEN | TYPEFLAG_FDUAL | TYPEFLAG_FNONEXTENSIBLE | TYPEFLAG_FOLEAUTOMATION | TYPEFLAG_FDISPATCHABLE;
constexpr WORD kDispatchHalfFlags = kInterfaceFlags & ~TYPEFLAG_FOLEAUTOMATION;

void CheckVtable(ITypeInfo* vtable, const Interface& expected, size_t libraryPointerSize)
{
    TypeAttr attr(vtable);
    EXPECT_EQ(attr->typekind, TKIND_INTERFACE);
    EXPECT_EQ(attr->cFuncs, expected.members.size());
    // The platform states the vtable's size in the library's pointers and
    // each member's offset in the reading process's pointers.
    EXPECT_EQ(attr->cbSizeVft, (7 + expected.members.size()) * libraryPointerSize);
    constexpr size_t pointerSize = sizeof(void*);
    EXPECT_EQ(attr->wTypeFlags, kInterfaceFlags);

    // Derived from IDispatch, the one imported from stdole2.
    HREFTYPE base = 0;
    ASSERT_EQ(vtable->GetRefTypeOfImplType(0, &base), S_OK);
    ComPtr<ITypeInfo> dispatch;
    ASSERT_EQ(vtable->GetRefTypeInfo(base, dispatch.put()), S_OK);
    EXPECT_EQ(NameOf(dispatch.get()), L"IDispatch");

    for (UINT i = 0; i < expected.members.size(); ++i) {
        const Member& m = expected.members[i];
        SCOPED_TRACE(testing::Message() << "slot " << i << " " << std::wstring(m.name));
        FuncDesc f(vtable, i);
        EXPECT_EQ(f->memid, m.id);
        EXPECT_EQ(NameOf(vtable, f->memid), m.name);
        EXPECT_EQ(f->funckind, FUNC_PUREVIRTUAL);
        EXPECT_EQ(f->invkind, m.access == kGet   ? INVOKE_PROPERTYGET
                              : m.access == kPut ? INVOKE_PROPERTYPUT
                                                 : INVOKE_FUNC);
        EXPECT_EQ(f->callconv, CC_STDCALL);
        EXPECT_EQ(f->oVft, static_cast<SHORT>((7 + i) * pointerSize));
        EXPECT_EQ(f->elemdescFunc.tdesc.vt, VT_HRESULT);
        EXPECT_EQ(f->cParamsOpt, 0);
        EXPECT_EQ(f->wFuncFlags, 0);
        // The parameters have no names: only the member's own name.
        BSTR names[4] = {};
        UINT count = 0;
        EXPECT_EQ(vtable->GetNames(f->memid, names, 4, &count), S_OK);
        for (UINT k = 0; k < count; ++k) SysFreeString(names[k]);
        if (m.access == kMethod) {
            EXPECT_EQ(f->cParams, 0);
            continue;
        }
        ASSERT_EQ(f->cParams, 1);
        const ELEMDESC& p = f->lprgelemdescParam[0];
        if (m.access == kGet) {
            EXPECT_EQ(p.tdesc.vt, VT_PTR);
            if (p.tdesc.vt == VT_PTR) {
                EXPECT_EQ(p.tdesc.lptdesc->vt, m.type);
            }
            EXPECT_EQ(p.paramdesc.wParamFlags, PARAMFLAG_FOUT | PARAMFLAG_FRETVAL);
        } else {
            EXPECT_EQ(p.tdesc.vt, m.type);
            EXPECT_EQ(p.paramdesc.wParamFlags, PARAMFLAG_FIN);
        }
    }
}

void CheckLibrary(const std::wstring& path, SYSKIND syskind)
{
    ComPtr<ITypeLib> lib;
    ASSERT_EQ(LoadTypeLibEx(path.c_str(), REGKIND_NONE, lib.put()), S_OK) << "no type library in the DLL";

    TLIBATTR* la = nullptr;
    ASSERT_EQ(lib->GetLibAttr(&la), S_OK);
    EXPECT_TRUE(IsEqualGUID(la->guid, LIBID_VELDLG));
    EXPECT_EQ(la->lcid, 0u);
    EXPECT_EQ(la->syskind, syskind);
    EXPECT_EQ(la->wMajorVerNum, 1);
    EXPECT_EQ(la->wMinorVerNum, 0);
    // Not restricted, not a control, not hidden (the platform may add
    // LIBFLAG_FHASDISKIMAGE for a library it loaded from a file).
    EXPECT_EQ(la->wLibFlags & (LIBFLAG_FRESTRICTED | LIBFLAG_FCONTROL | LIBFLAG_FHIDDEN), 0);
    lib->ReleaseTLibAttr(la);

    Bstr name, doc, helpFile;
    DWORD helpContext = 1;
    ASSERT_EQ(lib->GetDocumentation(-1, name.put(), doc.put(), &helpContext, helpFile.put()), S_OK);
    EXPECT_EQ(name.view(), L"VELDLG");
    EXPECT_FALSE(doc.view().empty()) << "the library's one-line description";
    EXPECT_EQ(doc.view().find(L'\n'), std::wstring_view::npos);
    EXPECT_TRUE(helpFile.view().empty());
    EXPECT_EQ(helpContext, 0u);

    ASSERT_EQ(lib->GetTypeInfoCount(), 8u);
    for (UINT i = 0; i < 4; ++i) {
        const Interface& e = kInterfaces[i];
        SCOPED_TRACE(testing::Message() << std::wstring(e.name));

        ComPtr<ITypeInfo> iface, coclass;
        ASSERT_EQ(lib->GetTypeInfo(2 * i, iface.put()), S_OK);
        ASSERT_EQ(lib->GetTypeInfo(2 * i + 1, coclass.put()), S_OK);
        EXPECT_EQ(NameOf(iface.get()), e.name);
        EXPECT_EQ(NameOf(coclass.get()), e.coclass);

        {
            TypeAttr a(iface.get());
            EXPECT_TRUE(IsEqualGUID(a->guid, e.iid));
            EXPECT_EQ(a->typekind, TKIND_DISPATCH);
            EXPECT_EQ(a->wTypeFlags, kDispatchHalfFlags);
            // The dispatch half lists IDispatch's seven members before ours.
            EXPECT_EQ(a->cFuncs, 7 + e.members.size());
            EXPECT_EQ(a->wMajorVerNum, 1);
            EXPECT_EQ(a->wMinorVerNum, 0);
            EXPECT_EQ(a->lcid, 0u);
        }
        HREFTYPE ref = 0;
        ASSERT_EQ(iface->GetRefTypeOfImplType(-1, &ref), S_OK);
        ComPtr<ITypeInfo> vtable;
        ASSERT_EQ(iface->GetRefTypeInfo(ref, vtable.put()), S_OK);
        CheckVtable(vtable.get(), e, syskind == SYS_WIN64 ? 8 : 4);

        // The dispatch half serves every member under the same DISPID.
        for (const Member& m : e.members) {
            DISPID id = 0;
            auto* n = const_cast<LPOLESTR>(m.name);
            EXPECT_EQ(iface->GetIDsOfNames(&n, 1, &id), S_OK);
            EXPECT_EQ(id, m.id) << std::wstring(m.name);
        }

        TypeAttr c(coclass.get());
        EXPECT_TRUE(IsEqualGUID(c->guid, e.clsid));
        EXPECT_EQ(c->typekind, TKIND_COCLASS);
        EXPECT_EQ(c->wTypeFlags, TYPEFLAG_FCANCREATE);
        EXPECT_EQ(c->wMajorVerNum, 1);
        EXPECT_EQ(c->wMinorVerNum, 0);
        ASSERT_EQ(c->cImplTypes, 1);
        INT flags = 0;
        EXPECT_EQ(coclass->GetImplTypeFlags(0, &flags), S_OK);
        EXPECT_EQ(flags, IMPLTYPEFLAG_FDEFAULT);
        ASSERT_EQ(coclass->GetRefTypeOfImplType(0, &ref), S_OK);
        ComPtr<ITypeInfo> implemented;
        ASSERT_EQ(coclass->GetRefTypeInfo(ref, implemented.put()), S_OK);
        EXPECT_EQ(NameOf(implemented.get()), e.name);
    }
}

class TypeLibraryTest : public testing::Test {
protected:
    client::Apartment apartment;
};

TEST_F(TypeLibraryTest, X86_64BuildDescribesEveryType)
{
    CheckLibrary(testfiles::Dll("x86_64"), SYS_WIN64);
}

TEST_F(TypeLibraryTest, I686BuildDescribesEveryType)
{
    CheckLibrary(testfiles::Dll("i686"), SYS_WIN32);
}

} // namespace
