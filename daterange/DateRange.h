#pragma once
// DateRange: the client's face of the date range dialog. Presets go into
// the thread's frmDateRange the moment they are put; a confirmed dialog
// hands its dates back through the same puts.

#include "library/com.h"
#include "veldlg_h.h"

class DateRange final : public veldlg::DispatchObject<_DateRange> {
public:
    DateRange() = default;

    HRESULT STDMETHODCALLTYPE get_BeginDate(DATE* value) override;
    HRESULT STDMETHODCALLTYPE put_BeginDate(DATE dNewValue) override;
    HRESULT STDMETHODCALLTYPE get_EndDate(DATE* value) override;
    HRESULT STDMETHODCALLTYPE put_EndDate(DATE dNewValue) override;
    HRESULT STDMETHODCALLTYPE get_Succeed(VARIANT_BOOL* value) override;
    HRESULT STDMETHODCALLTYPE ShowForm() override;

private:
    void BeginDate(DATE dNewValue);
    void EndDate(DATE dNewValue);

    DATE BeginDate_ = 0;
    DATE EndDate_ = 0;
    VARIANT_BOOL Succeed_ = VARIANT_FALSE;
};
