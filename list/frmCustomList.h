#pragma once
// The list selection dialog: the client's texts in a list box beside Select
// and Cancel. It records the chosen text and its index in the client's array,
// or -1 and "NONE SELECTED", and hides itself.

#include "host/controls.h"
#include "host/form.h"
#include "host/integer.h"
#include "host/ole.h"

#include <oaidl.h>

#include <string>
#include <string_view>

class frmCustomList final : public host::Form {
public:
    using Integer = host::Integer;

    frmCustomList();

    void FormCaption(std::wstring_view sNewValue) { FormCaption_ = sNewValue; }
    // Keeps a copy of the array of strings that the variant holds; anything
    // else is a type mismatch and the list stays as it was.
    void ListArray(const VARIANT& vNewValue);
    Integer ListIndex() const { return ListIndex_; }
    void ListIndex(Integer iNewValue) { ListIndex_ = iNewValue; }
    const std::wstring& ListItem() const { return ListItem_; }
    void ListItem(std::wstring_view sNewValue) { ListItem_ = sNewValue; }

    host::ListBox List1;
    host::CommandButton cmdSelect;
    host::CommandButton cmdCancel;

protected:
    void Form_Load() override;

private:
    void cmdSelect_Click();
    void cmdCancel_Click();
    void List1_DblClick();

    std::wstring FormCaption_;
    veldlg::SafeArray ListArray_; // null: no array
    Integer ListIndex_;
    std::wstring ListItem_;
    Integer LowerBound_;
};
