#pragma once
// The custom message box: a title, a message and one button per caption of
// the caption list, in one or two centred rows of up to three.

#include "host/controls.h"
#include "host/form.h"
#include "host/integer.h"
#include "library/ole.h"

#include <string>
#include <string_view>

class frmCustomMessage final : public host::Form {
public:
    using Integer = host::Integer;

    frmCustomMessage();

    Integer NumButtons() const { return NumButtons_; }
    void NumButtons(Integer iNewValue) { NumButtons_ = iNewValue; }
    const std::wstring& Message() const { return Message_; }
    void Message(std::wstring_view sNewValue) { Message_ = sNewValue; }
    const std::wstring& FormCaption() const { return FormCaption_; }
    void FormCaption(std::wstring_view sNewValue) { FormCaption_ = sNewValue; }
    // A variant of string subtype.
    veldlg::Variant ButtonResultCaption() const;
    void ButtonResultCaption(const VARIANT& vNewValue);
    static std::wstring GetDelimitedWord(std::wstring_view strIn, Integer intIndex, std::wstring_view chrDelimit);
    const std::wstring& ButtonCaptions() const { return ButtonCaptions_; }
    void ButtonCaptions(std::wstring_view sNewValue) { ButtonCaptions_ = sNewValue; }
    Integer DefaultButton() const { return DefaultButton_; }
    void DefaultButton(Integer iNewValue) { DefaultButton_ = iNewValue; }
    Integer Cancelbutton() const { return Cancelbutton_; }
    void Cancelbutton(Integer iNewValue) { Cancelbutton_ = iNewValue; }
    // A variant of 16-bit integer subtype.
    veldlg::Variant ButtonResultValue() const;
    void ButtonResultValue(const VARIANT& vNewValue);

protected:
    void Form_Load() override;
    void Form_KeyDown(Integer KeyCode, Integer Shift) override;

private:
    void cmdButton_Click(Integer Index);

    host::Label lblMsg;
    host::ControlArray<host::CommandButton> cmdButton;

    Integer NumButtons_;
    std::wstring Message_;
    std::wstring FormCaption_;
    std::wstring ButtonResultCaption_;
    Integer ButtonResultValue_;
    std::wstring ButtonCaptions_;
    Integer DefaultButton_;
    Integer Cancelbutton_;
};
