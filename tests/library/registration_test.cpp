// Self-registration as installers use it (regsvr32 and regsvr32 /u), and the
// class factories and unload rule that COM relies on.

#include "support/com_client.h"
#include "support/test_files.h"
#include "veldlg_h.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using client::ComPtr;

struct ClassKeys {
    const wchar_t* progId;
    const CLSID& clsid;
    const IID& iid;
};

// The classes the library serves.
const ClassKeys kServed[] = {
    {L"VELDLG.CustomMessage", CLSID_CustomMessage, IID__CustomMessage},
    {L"VELDLG.LabelStartPosition", CLSID_LabelStartPosition, IID__LabelStartPosition},
    {L"VELDLG.DateRange", CLSID_DateRange, IID__DateRange},
    {L"VELDLG.CustomList", CLSID_CustomList, IID__CustomList},
};
const IID* const kInterfaces[] = {&IID__CustomMessage, &IID__LabelStartPosition, &IID__DateRange, &IID__CustomList};

std::wstring Guid(REFGUID g)
{
    wchar_t text[40] = {};
    StringFromGUID2(g, text, 40);
    return text;
}

bool KeyExists(const std::wstring& key)
{
    HKEY k = nullptr;
    if (RegOpenKeyExW(HKEY_CLASSES_ROOT, key.c_str(), 0, KEY_READ, &k) != ERROR_SUCCESS) return false;
    RegCloseKey(k);
    return true;
}

// A REG_SZ value; "<absent>" when there is none.
std::wstring Value(const std::wstring& key, const wchar_t* name)
{
    wchar_t data[1024] = {};
    DWORD size = sizeof data;
    if (RegGetValueW(HKEY_CLASSES_ROOT, key.c_str(), name, RRF_RT_REG_SZ, nullptr, data, &size) != ERROR_SUCCESS)
        return L"<absent>";
    return data;
}

DWORD RunRegsvr32(const std::wstring& arguments)
{
    std::wstring command = L"regsvr32.exe " + arguments;
    STARTUPINFOW si{sizeof si};
    PROCESS_INFORMATION pi{};
    if (!CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) {
        ADD_FAILURE() << "regsvr32 did not start";
        return ~0u;
    }
    WaitForSingleObject(pi.hProcess, 60000);
    DWORD code = ~0u;
    GetExitCodeProcess(pi.hProcess, &code);
    CloseHandle(pi.hProcess);
    CloseHandle(pi.hThread);
    return code;
}

class RegistrationTest : public testing::Test {
protected:
    client::Apartment apartment;
    const std::wstring dll = testfiles::OwnDll();
};

TEST_F(RegistrationTest, RegisterThenUnregisterRoundTrip)
{
    ASSERT_EQ(RunRegsvr32(L"/s \"" + dll + L"\""), 0u);
    const std::wstring libKey = L"TypeLib\\" + Guid(LIBID_VELDLG);
    const std::wstring libPath = Value(libKey + (sizeof(void*) == 8 ? L"\\1.0\\0\\win64" : L"\\1.0\\0\\win32"), nullptr);
    EXPECT_EQ(_wcsicmp(libPath.c_str(), dll.c_str()), 0) << libPath;
    for (const ClassKeys& c : kServed) {
        SCOPED_TRACE(testing::Message() << std::wstring(c.progId));
        const std::wstring clsidKey = L"CLSID\\" + Guid(c.clsid);
        EXPECT_EQ(Value(std::wstring(c.progId) + L"\\CLSID", nullptr), Guid(c.clsid));
        EXPECT_EQ(_wcsicmp(Value(clsidKey + L"\\InprocServer32", nullptr).c_str(), dll.c_str()), 0);
        EXPECT_EQ(Value(clsidKey + L"\\InprocServer32", L"ThreadingModel"), L"Apartment");
        EXPECT_EQ(Value(clsidKey + L"\\ProgID", nullptr), c.progId);
        EXPECT_EQ(Value(clsidKey + L"\\TypeLib", nullptr), Guid(LIBID_VELDLG));
        // No class registers a description of its own.
        EXPECT_EQ(Value(clsidKey, nullptr), L"<absent>");
        EXPECT_EQ(Value(c.progId, nullptr), L"<absent>");
        // The interface goes through the automation marshaller.
        const std::wstring ifaceKey = L"Interface\\" + Guid(c.iid);
        EXPECT_EQ(Value(ifaceKey + L"\\ProxyStubClsid32", nullptr), L"{00020424-0000-0000-C000-000000000046}");
        EXPECT_EQ(Value(ifaceKey + L"\\TypeLib", nullptr), Guid(LIBID_VELDLG));

        CLSID clsid{};
        ASSERT_EQ(CLSIDFromProgID(c.progId, &clsid), S_OK);
        EXPECT_TRUE(IsEqualCLSID(clsid, c.clsid));
        ComPtr<IDispatch> object;
        EXPECT_EQ(CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IDispatch, object.put_void()), S_OK);
    }

    ASSERT_EQ(RunRegsvr32(L"/u /s \"" + dll + L"\""), 0u);
    for (const ClassKeys& c : kServed) {
        CLSID clsid{};
        EXPECT_NE(CLSIDFromProgID(c.progId, &clsid), S_OK);
        EXPECT_FALSE(KeyExists(c.progId));
        EXPECT_FALSE(KeyExists(L"CLSID\\" + Guid(c.clsid)));
        ComPtr<IDispatch> object;
        EXPECT_EQ(CoCreateInstance(c.clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IDispatch, object.put_void()),
                  REGDB_E_CLASSNOTREG);
    }
    EXPECT_FALSE(KeyExists(libKey));
    for (const IID* iid : kInterfaces) EXPECT_FALSE(KeyExists(L"Interface\\" + Guid(*iid)));

    // Leave the DLL registered for the tests that run after this one.
    EXPECT_EQ(RunRegsvr32(L"/s \"" + dll + L"\""), 0u);
}

class Library {
public:
    explicit Library(const std::wstring& path) : module_(LoadLibraryW(path.c_str())) {}
    ~Library() { if (module_) FreeLibrary(module_); }
    Library(const Library&) = delete;
    Library& operator=(const Library&) = delete;
    template <class F>
    F* Entry(const char* name) const
    {
        return reinterpret_cast<F*>(reinterpret_cast<void (*)()>(GetProcAddress(module_, name)));
    }
    explicit operator bool() const { return module_ != nullptr; }

private:
    HMODULE module_;
};

TEST_F(RegistrationTest, FactoriesServeOnlyTheFourClassesAndCountForUnloading)
{
    Library lib(dll);
    ASSERT_TRUE(lib);
    auto* getClassObject = lib.Entry<HRESULT WINAPI(REFCLSID, REFIID, void**)>("DllGetClassObject");
    auto* canUnloadNow = lib.Entry<HRESULT WINAPI()>("DllCanUnloadNow");
    ASSERT_TRUE(getClassObject && canUnloadNow);

    // Any other class, the library's own GUIDs of other kinds included.
    for (const GUID* other : {&LIBID_VELDLG, &IID__CustomMessage, &IID_IDispatch}) {
        void* p = reinterpret_cast<void*>(1);
        EXPECT_EQ(getClassObject(*other, IID_IClassFactory, &p), CLASS_E_CLASSNOTAVAILABLE);
        EXPECT_EQ(p, nullptr);
    }

    EXPECT_EQ(canUnloadNow(), S_OK);
    ComPtr<IClassFactory> factory;
    ASSERT_EQ(getClassObject(CLSID_CustomMessage, IID_IClassFactory, factory.put_void()), S_OK);
    EXPECT_EQ(canUnloadNow(), S_FALSE) << "a factory is held";

    ComPtr<IDispatch> a, b;
    ASSERT_EQ(factory->CreateInstance(nullptr, IID_IDispatch, a.put_void()), S_OK);
    ASSERT_EQ(factory->CreateInstance(nullptr, IID_IDispatch, b.put_void()), S_OK);
    EXPECT_NE(a.get(), b.get()) << "every CreateInstance makes a new object";
    ComPtr<IUnknown> outer(a.get());
    ComPtr<IUnknown> aggregated;
    EXPECT_EQ(factory->CreateInstance(outer.get(), IID_IUnknown, aggregated.put_void()), CLASS_E_NOAGGREGATION);

    EXPECT_EQ(factory->LockServer(TRUE), S_OK);
    factory = nullptr;
    a = nullptr;
    b = nullptr;
    outer = nullptr;
    EXPECT_EQ(canUnloadNow(), S_FALSE) << "the server is locked";
    ASSERT_EQ(getClassObject(CLSID_CustomMessage, IID_IClassFactory, factory.put_void()), S_OK);
    EXPECT_EQ(factory->LockServer(FALSE), S_OK);
    factory = nullptr;
    EXPECT_EQ(canUnloadNow(), S_OK);
}

} // namespace
