// What the C++ examples share: COM started on this thread, a string for the
// length of one call, and a failed call reported as a client sees it.
#pragma once

#include <windows.h>
#include <wrl/client.h>

#include <cstdio>

#include "veldlg_h.h" // made by midl (or widl -h) from library/veldlg.idl

using Microsoft::WRL::ComPtr;

// The error's number is the low word of the HRESULT; its source and text
// are in the error information of the thread.
inline void Report(HRESULT hr)
{
    ComPtr<IErrorInfo> info;
    BSTR source = nullptr, text = nullptr;
    if (GetErrorInfo(0, &info) == S_OK) {
        info->GetSource(&source);
        info->GetDescription(&text);
    }
    std::printf("Error %d (%ls): %ls\n", static_cast<int>(HRESULT_CODE(hr)), source ? source : L"", text ? text : L"");
    SysFreeString(source);
    SysFreeString(text);
}

// A failed call ends the example (see Main).
struct Failure {
    HRESULT hr;
};

inline void Check(HRESULT hr)
{
    if (FAILED(hr)) throw Failure{hr};
}

// A BSTR for the length of one call: the object copies what it keeps.
class Text {
public:
    explicit Text(const wchar_t* s) : b_(SysAllocString(s)) {}
    Text(const Text&) = delete;
    Text& operator=(const Text&) = delete;
    ~Text() { SysFreeString(b_); }
    operator BSTR() const { return b_; }

private:
    BSTR b_;
};

// Runs an example on a single-threaded apartment, as the dialogs need.
template <class F>
int Main(F run)
{
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    int status = 0;
    try {
        run();
    } catch (const Failure& f) {
        Report(f.hr);
        status = 1;
    }
    CoUninitialize();
    return status;
}
