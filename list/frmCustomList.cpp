#include "list/frmCustomList.h"

#include "host/error.h"
#include "list/resource.h"

#include <oleauto.h>

#include <utility>

namespace {

using host::Integer;
using veldlg::Raise;
using veldlg::RuntimeError;

constexpr host::FormDesign kDesign{
    .caption = L"Select",
    .clientWidth = 4305,
    .clientHeight = 2910,
    .border = host::BorderStyle::Sizable,
    .closeBox = true,
    .icon = IDI_CUSTOMLIST,
};

constexpr host::ControlDesign kList1{
    .left = 120, .top = 120, .width = 2895, .height = 2595,
    .tabIndex = 0,
    .toolTip = L"Make your selection",
};

constexpr host::ControlDesign kCmdSelect{
    .caption = L"&SELECT",
    .left = 3120, .top = 120, .width = 1095, .height = 315,
    .tabIndex = 1,
    .isDefault = true,
    .toolTip = L"Accept",
};

constexpr host::ControlDesign kCmdCancel{
    .caption = L"CANC&EL",
    .left = 3120, .top = 600, .width = 1095, .height = 315,
    .tabIndex = 2,
    .isCancel = true,
    .toolTip = L"Cancel",
};

constexpr wchar_t kNoSelectionPrompt[] = L"Highlight an item before clicking Select\nor click Cancel to quit";
constexpr wchar_t kNoSelectionTitle[] = L"No Item Selected";
constexpr wchar_t kNoneSelected[] = L"NONE SELECTED";

// The runtime's LBound and UBound of the first dimension, as Integers: no
// array has no bounds, and a bound past 16 bits overflows.
Integer LBound(SAFEARRAY* a)
{
    LONG bound = 0;
    if (!a || FAILED(SafeArrayGetLBound(a, 1, &bound))) Raise(RuntimeError::SubscriptOutOfRange);
    return Integer::Checked(bound);
}

Integer UBound(SAFEARRAY* a)
{
    LONG bound = 0;
    if (!a || FAILED(SafeArrayGetUBound(a, 1, &bound))) Raise(RuntimeError::SubscriptOutOfRange);
    return Integer::Checked(bound);
}

// Element i of the list, read with one subscript: an array of more
// dimensions has no such element.
std::wstring_view Element(SAFEARRAY* a, Integer i)
{
    if (SafeArrayGetDim(a) != 1) Raise(RuntimeError::SubscriptOutOfRange);
    LONG index = i.value();
    void* element = nullptr;
    if (FAILED(SafeArrayPtrOfIndex(a, &index, &element))) Raise(RuntimeError::SubscriptOutOfRange);
    return veldlg::Bstr::View(*static_cast<BSTR*>(element));
}

// The runtime's Trim removes spaces only: a tab is text.
bool TrimsToEmpty(std::wstring_view s)
{
    return s.find_first_not_of(L' ') == std::wstring_view::npos;
}

// The array of strings a variant holds; null for an array without bounds.
// Anything else, an array of variants included, is a type mismatch.
SAFEARRAY* StringArrayOf(const VARIANT& v)
{
    // Late-bound clients pass their variables by reference.
    const VARIANT* value = &v;
    if (V_VT(value) == (VT_VARIANT | VT_BYREF)) {
        value = V_VARIANTREF(value);
        if (!value) Raise(RuntimeError::TypeMismatch);
    }
    SAFEARRAY* a = nullptr;
    if (V_VT(value) == (VT_ARRAY | VT_BSTR))
        a = V_ARRAY(value);
    else if (V_VT(value) == (VT_ARRAY | VT_BSTR | VT_BYREF) && V_ARRAYREF(value))
        a = *V_ARRAYREF(value);
    else
        Raise(RuntimeError::TypeMismatch);
    // The array itself must agree: only an array that owns its strings is
    // copied string by string.
    VARTYPE elements = VT_EMPTY;
    if (a && (FAILED(SafeArrayGetVartype(a, &elements)) || elements != VT_BSTR || !(a->fFeatures & FADF_BSTR) ||
              a->cbElements != sizeof(BSTR)))
        Raise(RuntimeError::TypeMismatch);
    return a;
}

} // namespace

frmCustomList::frmCustomList()
    : Form(kDesign), List1(*this, kList1), cmdSelect(*this, kCmdSelect), cmdCancel(*this, kCmdCancel)
{
    List1.DblClick = [this] { List1_DblClick(); };
    cmdSelect.Click = [this] { cmdSelect_Click(); };
    cmdCancel.Click = [this] { cmdCancel_Click(); };
}

void frmCustomList::ListArray(const VARIANT& vNewValue)
{
    SAFEARRAY* source = StringArrayOf(vNewValue);
    veldlg::SafeArray copy;
    if (source) veldlg::ThrowIfFailed(SafeArrayCopy(source, copy.put()));
    ListArray_ = std::move(copy);
}

void frmCustomList::Form_Load()
{
    List1.Clear();
    SAFEARRAY* const list = ListArray_.get();
    const Integer lower = LBound(list);
    const Integer upper = UBound(list);
    LowerBound_ = lower;
    // An Integer loop: past 32767 the step itself overflows. The array is
    // this form's own copy, so nothing can change it while it is read.
    for (Integer i = lower; i <= upper; i += 1) List1.AddItem(Element(list, i), i - lower);
    // A caption the client put is what users expect to see; else the design's.
    // It names the list for screen readers too: it says what to pick.
    if (!FormCaption_.empty()) Caption(FormCaption_);
    List1.AccessibleName(Caption());
}

void frmCustomList::cmdSelect_Click()
{
    const std::wstring text = List1.Text();
    if (TrimsToEmpty(text)) {
        MsgBox(kNoSelectionPrompt, MB_OK | MB_ICONINFORMATION, kNoSelectionTitle);
        return;
    }
    ListItem(text);
    ListIndex(List1.ListIndex() + LowerBound_);
    Hide();
}

void frmCustomList::cmdCancel_Click()
{
    ListItem(kNoneSelected);
    ListIndex(-1);
    Hide();
}

void frmCustomList::List1_DblClick()
{
    cmdSelect_Click();
}
