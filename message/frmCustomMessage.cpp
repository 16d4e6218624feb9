#include "message/frmCustomMessage.h"

#include "host/runtime.h"

namespace {

using host::Integer;

constexpr host::FormDesign kDesign{
    .caption = L"Custom Message",
    .clientWidth = 6015,
    .clientHeight = 2400,
    .border = host::BorderStyle::FixedDialog,
    .closeBox = true,
    .keyPreview = true,
};

constexpr host::ControlDesign kLblMsg{
    .caption = L"No Message Property Set",
    .left = 420, .top = 180, .width = 5175, .height = 1035,
    .tabIndex = 0,
    .alignment = host::Alignment::Center,
    // The message is shown as the client wrote it, ampersands included.
    .useMnemonic = false,
};

constexpr host::ControlDesign kCmdButton{
    .caption = L"Command1",
    .left = 300, .top = 1920, .width = 1635, .height = 375,
    .tabIndex = 1,
};

constexpr short kVbKeyF2 = 113;

// Window heights (outer, twips) for one row of buttons and for two.
constexpr short kOneRowHeight = 2295;
constexpr short kTwoRowHeight = 2775;

// Where each button stands, by number of buttons: one or two rows centred
// on one axis, buttons 1785 apart. Seven or more keep the design place.
struct Place {
    short left, top;
};
constexpr short kRow1 = 1440, kRow2 = 1920;
constexpr Place kLayout[6][6] = {
    {{2167, kRow1}},
    {{1275, kRow1}, {3060, kRow1}},
    {{382, kRow1}, {2167, kRow1}, {3952, kRow1}},
    {{382, kRow1}, {2167, kRow1}, {3952, kRow1}, {2167, kRow2}},
    {{382, kRow1}, {2167, kRow1}, {3952, kRow1}, {1275, kRow2}, {3060, kRow2}},
    {{382, kRow1}, {2167, kRow1}, {3952, kRow1}, {382, kRow2}, {2167, kRow2}, {3952, kRow2}},
};

bool Between(Integer n, Integer low, Integer high)
{
    return n >= low && n <= high;
}

} // namespace

frmCustomMessage::frmCustomMessage()
    : Form(kDesign), lblMsg(*this, kLblMsg), cmdButton(*this, 0, kCmdButton)
{
    cmdButton.Click = [this](Integer Index) { cmdButton_Click(Index); };
}

veldlg::Variant frmCustomMessage::ButtonResultCaption() const
{
    return veldlg::Variant::FromString(ButtonResultCaption_);
}

void frmCustomMessage::ButtonResultCaption(const VARIANT& vNewValue)
{
    ButtonResultCaption_ = host::CStr(vNewValue);
}

veldlg::Variant frmCustomMessage::ButtonResultValue() const
{
    return veldlg::Variant::FromShort(ButtonResultValue_.value());
}

void frmCustomMessage::ButtonResultValue(const VARIANT& vNewValue)
{
    ButtonResultValue_ = host::CInt(vNewValue);
}

std::wstring frmCustomMessage::GetDelimitedWord(std::wstring_view strIn, Integer intIndex,
                                                std::wstring_view chrDelimit)
{
    Integer start = 1;
    // Skip intIndex - 1 words; past the last word the count starts again
    // from the first.
    for (Integer skipped = 1; skipped < intIndex; skipped += 1) {
        const Integer found = host::InStr(start, strIn, chrDelimit);
        start = found == 0 ? Integer(1) : found + 1;
    }
    const Integer found = host::InStr(start, strIn, chrDelimit);
    const Integer end = found > 0 ? found - 1 : host::Len(strIn);
    if (end < start) return {};
    return host::Mid(strIn, start, end - start + 1);
}

void frmCustomMessage::Form_Load()
{
    lblMsg.Caption(Message_);
    Caption(FormCaption_);
    Height(NumButtons_ > 3 ? kTwoRowHeight : kOneRowHeight);

    for (Integer i = 0; i < NumButtons_; i += 1) {
        if (i >= 1) {
            cmdButton.Load(i);
            cmdButton(i).Visible(true);
        }
        cmdButton(i).Caption(GetDelimitedWord(ButtonCaptions_, i + 1, L","));
        if (NumButtons_ <= 6) {
            const Place& p = kLayout[NumButtons_.value() - 1][i.value()];
            cmdButton(i).Move(p.left, p.top);
        }
    }
    // A form without buttons (only another object on the thread can leave
    // it so) shows none; the close box ends it.
    if (NumButtons_ < 1) cmdButton(0).Visible(false);

    if (Between(DefaultButton_, 1, NumButtons_)) cmdButton(DefaultButton_ - 1).Default(true);
    if (Between(Cancelbutton_, 1, NumButtons_)) cmdButton(Cancelbutton_ - 1).Cancel(true);
}

void frmCustomMessage::cmdButton_Click(Integer Index)
{
    ButtonResultCaption(veldlg::Variant::FromString(cmdButton(Index).Caption()).get());
    ButtonResultValue(veldlg::Variant::FromShort((Index + 1).value()).get());
    Hide();
}

void frmCustomMessage::Form_KeyDown(Integer KeyCode, Integer /*Shift*/)
{
    if (KeyCode == kVbKeyF2 && Between(Cancelbutton_, 1, NumButtons_)) cmdButton_Click(Cancelbutton_ - 1);
}
