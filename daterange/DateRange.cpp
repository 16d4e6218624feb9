#include "daterange/DateRange.h"

#include "daterange/frmDateRange.h"
#include "host/dates.h"
#include "host/thread_forms.h"

using host::FormRef;
using veldlg::ComBoundary;
using veldlg::Out;

namespace {

// A value that arrives as a date fails only when the platform cannot hold it
// as one: NaN, an infinity, or outside 1 January 100 to 31 December 9999.
void CheckDate(DATE value)
{
    if (!host::IsDate(value)) veldlg::Raise(1, L"Date Range", L"Not a valid date value");
}

} // namespace

void DateRange::BeginDate(DATE dNewValue)
{
    CheckDate(dNewValue);
    host::PutBoth(BeginDate_, dNewValue, &frmDateRange::BeginDate);
}

void DateRange::EndDate(DATE dNewValue)
{
    CheckDate(dNewValue);
    host::PutBoth(EndDate_, dNewValue, &frmDateRange::EndDate);
}

HRESULT DateRange::get_BeginDate(DATE* value)
{
    return ComBoundary([&] { Out(value) = BeginDate_; });
}

HRESULT DateRange::put_BeginDate(DATE dNewValue)
{
    return ComBoundary([&] { BeginDate(dNewValue); });
}

HRESULT DateRange::get_EndDate(DATE* value)
{
    return ComBoundary([&] { Out(value) = EndDate_; });
}

HRESULT DateRange::put_EndDate(DATE dNewValue)
{
    return ComBoundary([&] { EndDate(dNewValue); });
}

HRESULT DateRange::get_Succeed(VARIANT_BOOL* value)
{
    return ComBoundary([&] { Out(value) = Succeed_; });
}

HRESULT DateRange::ShowForm()
{
    return ComBoundary([&] {
        frmDateRange& form = FormRef<frmDateRange>();
        form.Show();
        Succeed_ = form.Succeed();
        if (Succeed_ == VARIANT_TRUE) {
            BeginDate(form.BeginDate());
            EndDate(form.EndDate());
        }
        form.Unload();
    });
}
