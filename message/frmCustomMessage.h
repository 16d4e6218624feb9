#pragma once
// The custom message box: a title, a message and one button per caption of
// the caption list, in one or two centred rows of up to three.

#include "host/controls.h"
#include "host/form.h"
#include "host/integer.h"
#include "host/ole.h"

#include <string>
#include <string_view>
#include <utility>

class frmCustomMessage final : public host::Form {
public:
    using Integer = host::Integer;

    frmCustomMessage();

    Integer NumButtons() const { return NumButtons_; }
    void NumButtons(Integer iNewValue) noexcept { NumButtons_ = iNewValue; }
    const std::wstring& Message() const { return Message_; }
    void Message(std::wstring sNewValue) noexcept { Message_ = std::move(sNewValue); }
    const std::wstring& FormCaption() const { return FormCaption_; }
    void FormCaption(std::wstring sNewValue) noexcept { FormCaption_ = std::move(sNewValue); }
    // A variant of string subtype.
    veldlg::Variant ButtonResultCaption() const;
    void ButtonResultCaption(const VARIANT& vNewValue);
    static std::wstring GetDelimitedWord(std::wstring_view strIn, Integer intIndex, std::wstring_view chrDelimit);
    const std::wstring& ButtonCaptions() const { return ButtonCaptions_; }
    void ButtonCaptions(std::wstring sNewValue) noexcept { ButtonCaptions_ = std::move(sNewValue); }
    Integer DefaultButton() const { return DefaultButton_; }
    void DefaultButton(Integer iNewValue) noexcept { DefaultButton_ = iNewValue; }
    Integer Cancelbutton() const { return Cancelbutton_; }
    void Cancelbutton(Integer iNewValue) noexcept { Cancelbutton_ = iNewValue; }
    // A variant of 16-bit integer subtype.
    veldlg::Variant ButtonResultValue() const;
    void ButtonResultValue(const VARIANT& vNewValue);

    host::Label lblMsg;
    host::ControlArray<host::CommandButton> cmdButton;

protected:
    void Form_Load() override;
    void Form_KeyDown(Integer KeyCode, Integer Shift) override;

private:
    void cmdButton_Click(Integer Index);

    Integer NumButtons_;
    std::wstring Message_;
    std::wstring FormCaption_;
    std::wstring ButtonResultCaption_;
    Integer ButtonResultValue_;
    std::wstring ButtonCaptions_;
    Integer DefaultButton_;
    Integer Cancelbutton_;
};
