#include "list/CustomList.h"

#include "host/thread_forms.h"
#include "list/frmCustomList.h"

#include <utility>

using host::FormRef;
using host::Integer;
using veldlg::Bstr;
using veldlg::ComBoundary;
using veldlg::Out;

HRESULT CustomList::put_FormCaption(BSTR sNewValue)
{
    return ComBoundary([&] { FormRef<frmCustomList>().FormCaption(Bstr::View(sNewValue)); });
}

HRESULT CustomList::ShowForm()
{
    return ComBoundary([&] {
        frmCustomList& form = FormRef<frmCustomList>();
        // The close box unloads the form without recording anything: the
        // object then takes over what the form held from before.
        form.Show();
        const Integer index = form.ListIndex();
        std::wstring item = form.ListItem();
        ListIndex_ = index;
        ListItem_ = std::move(item);
        form.Unload();
    });
}

HRESULT CustomList::get_ListIndex(short* value)
{
    return ComBoundary([&] { Out(value) = ListIndex_.value(); });
}

HRESULT CustomList::put_ListIndex(short iNewValue)
{
    return ComBoundary([&] { ListIndex_ = iNewValue; });
}

HRESULT CustomList::get_ListItem(BSTR* value)
{
    return ComBoundary([&] {
        BSTR& out = Out(value);
        out = Bstr(ListItem_).detach();
    });
}

HRESULT CustomList::put_ListItem(BSTR sNewValue)
{
    return ComBoundary([&] { ListItem_ = Bstr::View(sNewValue); });
}

HRESULT CustomList::put_ListArray(VARIANT vNewValue)
{
    // The form keeps the one copy of the array that the list needs.
    return ComBoundary([&] { FormRef<frmCustomList>().ListArray(vNewValue); });
}
