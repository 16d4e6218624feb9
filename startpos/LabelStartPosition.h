#pragma once
// LabelStartPosition: the client's face of the label start position picker.
// The sizes and the caption go into the thread's frmStartPos the moment they
// are put; ShowForm checks this object's own sizes before it shows the form.

#include "host/integer.h"
#include "library/com.h"
#include "veldlg_h.h"

#include <string>

class LabelStartPosition final : public veldlg::DispatchObject<_LabelStartPosition> {
public:
    LabelStartPosition() = default;

    HRESULT STDMETHODCALLTYPE get_NumRows(short* value) override;
    HRESULT STDMETHODCALLTYPE put_NumRows(short iNewValue) override;
    HRESULT STDMETHODCALLTYPE get_NumColumns(short* value) override;
    HRESULT STDMETHODCALLTYPE put_NumColumns(short iNewValue) override;
    HRESULT STDMETHODCALLTYPE get_StartColumn(short* value) override;
    HRESULT STDMETHODCALLTYPE put_StartColumn(short iNewValue) override;
    HRESULT STDMETHODCALLTYPE get_StartRow(short* value) override;
    HRESULT STDMETHODCALLTYPE put_StartRow(short iNewValue) override;
    HRESULT STDMETHODCALLTYPE get_FormCaption(BSTR* value) override;
    HRESULT STDMETHODCALLTYPE put_FormCaption(BSTR sNewValue) override;
    HRESULT STDMETHODCALLTYPE ShowForm() override;

private:
    host::Integer NumRows_;
    host::Integer NumColumns_;
    host::Integer StartColumn_;
    host::Integer StartRow_;
    std::wstring FormCaption_;
};
