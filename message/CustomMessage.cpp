#include "message/CustomMessage.h"

#include "host/runtime.h"
#include "host/thread_forms.h"
#include "message/frmCustomMessage.h"

using host::FormRef;
using host::Integer;
using veldlg::Bstr;
using veldlg::ComBoundary;
using veldlg::Out;

namespace {

constexpr wchar_t kSource[] = L"Custom Message";

[[noreturn]] void RaiseCaptionCount()
{
    veldlg::Raise(1, kSource, L"Number of captions does not equal number of buttons");
}

} // namespace

Integer CustomMessage::CountDelimitedWords(std::wstring_view list)
{
    const Integer n = host::Len(list);
    Integer count(0);
    for (int position = 1; position <= n.value(); ++position)
        if (list[static_cast<size_t>(position - 1)] == L',') count += 1;
    return count + 1;
}

HRESULT CustomMessage::get_NumButtons(short* value)
{
    return ComBoundary([&] { Out(value) = NumButtons_.value(); });
}

HRESULT CustomMessage::put_NumButtons(short iNewValue)
{
    return ComBoundary([&] {
        if (!ButtonCaptions_.empty() && iNewValue >= 1 && CountDelimitedWords(ButtonCaptions_) != iNewValue)
            RaiseCaptionCount();
        host::PutBoth(NumButtons_, Integer(iNewValue), &frmCustomMessage::NumButtons);
    });
}

HRESULT CustomMessage::get_Message(BSTR* value)
{
    return ComBoundary([&] {
        BSTR& out = Out(value);
        out = Bstr(Message_).detach();
    });
}

HRESULT CustomMessage::put_Message(BSTR sNewValue)
{
    return ComBoundary([&] {
        host::PutBoth(Message_, std::wstring(Bstr::View(sNewValue)), &frmCustomMessage::Message);
    });
}

HRESULT CustomMessage::get_FormCaption(BSTR* value)
{
    return ComBoundary([&] {
        BSTR& out = Out(value);
        out = Bstr(FormCaption_).detach();
    });
}

HRESULT CustomMessage::put_FormCaption(BSTR sNewValue)
{
    return ComBoundary([&] {
        host::PutBoth(FormCaption_, std::wstring(Bstr::View(sNewValue)), &frmCustomMessage::FormCaption);
    });
}

HRESULT CustomMessage::ShowForm()
{
    return ComBoundary([&] {
        if (ButtonCaptions_.empty() || NumButtons_ < 1)
            veldlg::Raise(2, kSource,
                          L"Two required properties: \"NumButtons\" And \"ButtonCaption\" not set!");
        frmCustomMessage& form = FormRef<frmCustomMessage>();
        form.Show();
        veldlg::Variant caption = form.ButtonResultCaption();
        veldlg::Variant value = form.ButtonResultValue();
        ButtonResultCaption_ = std::move(caption);
        ButtonResultValue_ = std::move(value);
        form.Unload();
    });
}

HRESULT CustomMessage::get_ButtonCaptions(BSTR* value)
{
    return ComBoundary([&] {
        // Reading the list puts this object's list back into the shared form.
        BSTR& out = Out(value);
        Bstr copy(ButtonCaptions_);
        std::wstring forForm(ButtonCaptions_);
        FormRef<frmCustomMessage>().ButtonCaptions(std::move(forForm));
        out = copy.detach();
    });
}

HRESULT CustomMessage::put_ButtonCaptions(BSTR sNewValue)
{
    return ComBoundary([&] {
        const std::wstring_view list = Bstr::View(sNewValue);
        if (!list.empty() && NumButtons_ >= 1 && CountDelimitedWords(list) != NumButtons_) RaiseCaptionCount();
        host::PutBoth(ButtonCaptions_, std::wstring(list), &frmCustomMessage::ButtonCaptions);
    });
}

HRESULT CustomMessage::get_ButtonResultCaption(VARIANT* value)
{
    return ComBoundary([&] { ButtonResultCaption_.CopyTo(Out(value)); });
}

HRESULT CustomMessage::put_ButtonResultCaption(VARIANT vNewValue)
{
    return ComBoundary([&] { ButtonResultCaption_ = veldlg::Variant(vNewValue); });
}

HRESULT CustomMessage::put_DefaultButton(short iNewValue)
{
    return ComBoundary([&] { FormRef<frmCustomMessage>().DefaultButton(iNewValue); });
}

HRESULT CustomMessage::put_Cancelbutton(short iNewValue)
{
    return ComBoundary([&] { FormRef<frmCustomMessage>().Cancelbutton(iNewValue); });
}

HRESULT CustomMessage::get_ButtonResultValue(VARIANT* value)
{
    return ComBoundary([&] { ButtonResultValue_.CopyTo(Out(value)); });
}

HRESULT CustomMessage::put_ButtonResultValue(VARIANT vNewValue)
{
    return ComBoundary([&] { ButtonResultValue_ = veldlg::Variant(vNewValue); });
}
