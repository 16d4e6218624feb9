#include "startpos/LabelStartPosition.h"

#include "host/thread_forms.h"
#include "startpos/frmStartPos.h"

using host::FormRef;
using veldlg::Bstr;
using veldlg::ComBoundary;
using veldlg::Out;

namespace {

constexpr wchar_t kSource[] = L"Label Start Position";
constexpr short kMaxRows = 20;
constexpr short kMaxColumns = 10;

} // namespace

HRESULT LabelStartPosition::get_NumRows(short* value)
{
    return ComBoundary([&] { Out(value) = NumRows_.value(); });
}

HRESULT LabelStartPosition::put_NumRows(short iNewValue)
{
    // Any value is taken; ShowForm is where sizes are checked.
    return ComBoundary([&] {
        host::PutBoth(NumRows_, host::Integer(iNewValue), &frmStartPos::NumRows);
    });
}

HRESULT LabelStartPosition::get_NumColumns(short* value)
{
    return ComBoundary([&] { Out(value) = NumColumns_.value(); });
}

HRESULT LabelStartPosition::put_NumColumns(short iNewValue)
{
    return ComBoundary([&] {
        host::PutBoth(NumColumns_, host::Integer(iNewValue), &frmStartPos::NumColumns);
    });
}

HRESULT LabelStartPosition::get_StartColumn(short* value)
{
    return ComBoundary([&] { Out(value) = StartColumn_.value(); });
}

HRESULT LabelStartPosition::put_StartColumn(short iNewValue)
{
    // The dialog never sees it: every show starts with no label chosen.
    return ComBoundary([&] { StartColumn_ = iNewValue; });
}

HRESULT LabelStartPosition::get_StartRow(short* value)
{
    return ComBoundary([&] { Out(value) = StartRow_.value(); });
}

HRESULT LabelStartPosition::put_StartRow(short iNewValue)
{
    return ComBoundary([&] { StartRow_ = iNewValue; });
}

HRESULT LabelStartPosition::get_FormCaption(BSTR* value)
{
    return ComBoundary([&] {
        BSTR& out = Out(value);
        out = Bstr(FormCaption_).detach();
    });
}

HRESULT LabelStartPosition::put_FormCaption(BSTR sNewValue)
{
    return ComBoundary([&] {
        host::PutBoth(FormCaption_, std::wstring(Bstr::View(sNewValue)), &frmStartPos::FormCaption);
    });
}

HRESULT LabelStartPosition::ShowForm()
{
    return ComBoundary([&] {
        if (NumRows_ <= 0 || NumColumns_ <= 0)
            veldlg::Raise(1, kSource, L"Properties: \"NumRows\" And \"NumColumns\" require a value greater than 0!");
        if (NumRows_ > kMaxRows) veldlg::Raise(2, kSource, L"Property: \"NumRows\" cannot be greater than 20!");
        if (NumColumns_ > kMaxColumns)
            veldlg::Raise(3, kSource, L"Property: \"NumColumns\" cannot be greater than 10!");

        frmStartPos& form = FormRef<frmStartPos>();
        form.Show();
        StartColumn_ = form.StartColumn();
        StartRow_ = form.StartRow();
        form.Unload();
    });
}
