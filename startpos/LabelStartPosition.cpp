#include "startpos/LabelStartPosition.h"

#include "host/thread_forms.h"
#include "startpos/frmStartPos.h"

#include <utility>

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
        frmStartPos& form = FormRef<frmStartPos>();
        NumRows_ = iNewValue;
        form.NumRows(iNewValue);
    });
}

HRESULT LabelStartPosition::get_NumColumns(short* value)
{
    return ComBoundary([&] { Out(value) = NumColumns_.value(); });
}

HRESULT LabelStartPosition::put_NumColumns(short iNewValue)
{
    return ComBoundary([&] {
        frmStartPos& form = FormRef<frmStartPos>();
        NumColumns_ = iNewValue;
        form.NumColumns(iNewValue);
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
        // Both copies are made first, so that the object and the form change
        // together or not at all.
        std::wstring text(Bstr::View(sNewValue));
        std::wstring forForm(text);
        frmStartPos& form = FormRef<frmStartPos>();
        FormCaption_ = std::move(text);
        form.FormCaption(std::move(forForm));
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
