#pragma once
// CustomMessage: the client's face of the custom message box. Every input
// goes into the thread's frmCustomMessage the moment it is put.

#include "host/integer.h"
#include "library/com.h"
#include "host/ole.h"
#include "veldlg_h.h"

#include <string>
#include <string_view>

class CustomMessage final : public veldlg::DispatchObject<_CustomMessage> {
public:
    CustomMessage() = default;

    HRESULT STDMETHODCALLTYPE get_NumButtons(short* value) override;
    HRESULT STDMETHODCALLTYPE put_NumButtons(short iNewValue) override;
    HRESULT STDMETHODCALLTYPE get_Message(BSTR* value) override;
    HRESULT STDMETHODCALLTYPE put_Message(BSTR sNewValue) override;
    HRESULT STDMETHODCALLTYPE get_FormCaption(BSTR* value) override;
    HRESULT STDMETHODCALLTYPE put_FormCaption(BSTR sNewValue) override;
    HRESULT STDMETHODCALLTYPE ShowForm() override;
    HRESULT STDMETHODCALLTYPE get_ButtonCaptions(BSTR* value) override;
    HRESULT STDMETHODCALLTYPE put_ButtonCaptions(BSTR sNewValue) override;
    HRESULT STDMETHODCALLTYPE get_ButtonResultCaption(VARIANT* value) override;
    HRESULT STDMETHODCALLTYPE put_ButtonResultCaption(VARIANT vNewValue) override;
    HRESULT STDMETHODCALLTYPE put_DefaultButton(short iNewValue) override;
    HRESULT STDMETHODCALLTYPE put_Cancelbutton(short iNewValue) override;
    HRESULT STDMETHODCALLTYPE get_ButtonResultValue(VARIANT* value) override;
    HRESULT STDMETHODCALLTYPE put_ButtonResultValue(VARIANT vNewValue) override;

    // The number of captions in a caption list: its commas plus one.
    static host::Integer CountDelimitedWords(std::wstring_view list);

private:
    host::Integer NumButtons_;
    std::wstring Message_;
    std::wstring FormCaption_;
    std::wstring ButtonCaptions_;
    veldlg::Variant ButtonResultCaption_;
    veldlg::Variant ButtonResultValue_;
};
