#pragma once
// The date range dialog: two date fields, begin and end, filled from the
// presets the class put or else from the dates the user last confirmed,
// which it keeps in the per-user settings.

#include "host/controls.h"
#include "host/date_field.h"
#include "host/form.h"

#include <wtypes.h>

class frmDateRange final : public host::Form {
public:
    frmDateRange();

    // Plain storage: the accessors test nothing.
    DATE BeginDate() const { return BeginDate_; }
    void BeginDate(DATE dNewValue) noexcept { BeginDate_ = dNewValue; }
    DATE EndDate() const { return EndDate_; }
    void EndDate(DATE dNewValue) noexcept { EndDate_ = dNewValue; }
    VARIANT_BOOL Succeed() const { return Succeed_; }
    void Succeed(VARIANT_BOOL bNewValue) { Succeed_ = bNewValue; }

    host::Frame fraDates;
    host::DateField txtBeginDate;
    host::DateField txtEndDate;
    // Elements 1 and 6 of the label array Label1; no code refers to them.
    host::Label Label1_1;
    host::Label Label1_6;
    host::CommandButton cmdCancel;
    host::CommandButton cmdOK;

protected:
    void Form_Load() override;

private:
    void cmdOK_Click();
    void cmdCancel_Click();
    static void FillDateField(host::DateField& field, DATE preset, const wchar_t* key);

    DATE BeginDate_ = 0;
    DATE EndDate_ = 0;
    VARIANT_BOOL Succeed_ = VARIANT_FALSE;
};
