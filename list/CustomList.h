#pragma once
// CustomList: the client's face of the list picker. The list and the caption
// go into the thread's frmCustomList the moment they are put; the object
// keeps only the result of its last dialog.

#include "host/integer.h"
#include "library/com.h"
#include "veldlg_h.h"

#include <string>

class CustomList final : public veldlg::DispatchObject<_CustomList> {
public:
    CustomList() = default;

    HRESULT STDMETHODCALLTYPE put_FormCaption(BSTR sNewValue) override;
    HRESULT STDMETHODCALLTYPE ShowForm() override;
    HRESULT STDMETHODCALLTYPE get_ListIndex(short* value) override;
    HRESULT STDMETHODCALLTYPE put_ListIndex(short iNewValue) override;
    HRESULT STDMETHODCALLTYPE get_ListItem(BSTR* value) override;
    HRESULT STDMETHODCALLTYPE put_ListItem(BSTR sNewValue) override;
    HRESULT STDMETHODCALLTYPE put_ListArray(VARIANT vNewValue) override;

private:
    host::Integer ListIndex_;
    std::wstring ListItem_;
};
