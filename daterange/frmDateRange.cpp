#include "daterange/frmDateRange.h"

#include "host/dates.h"
#include "host/settings.h"

namespace {

constexpr host::FormDesign kDesign{
    .caption = L"Select Date Range",
    .clientWidth = 5505,
    .clientHeight = 1410,
    .border = host::BorderStyle::FixedDialog,
    .closeBox = true,
};

constexpr host::ControlDesign kFraDates{
    .caption = L"Date Range", .left = 120, .top = 120, .width = 5295, .height = 735, .tabIndex = 2};
// Inside fraDates, relative to it.
constexpr host::ControlDesign kTxtBeginDate{.left = 1140, .top = 240, .width = 1455, .height = 315, .tabIndex = 0};
constexpr host::ControlDesign kTxtEndDate{.left = 3840, .top = 240, .width = 1335, .height = 315, .tabIndex = 1};
constexpr host::ControlDesign kLabel1_1{
    .caption = L"Begin Date:", .left = 120, .top = 300, .width = 855, .height = 195, .tabIndex = 6};
constexpr host::ControlDesign kLabel1_6{
    .caption = L"End Date:", .left = 3000, .top = 300, .width = 735, .height = 195, .tabIndex = 5};

constexpr host::ControlDesign kCmdCancel{
    .caption = L"&CANCEL", .left = 2280, .top = 960, .width = 1455, .height = 375, .tabIndex = 3, .isCancel = true};
constexpr host::ControlDesign kCmdOK{
    .caption = L"&O K", .left = 3960, .top = 960, .width = 1455, .height = 375, .tabIndex = 4, .isDefault = true};

// Where the last confirmed dates are kept.
constexpr wchar_t kApplication[] = L"Vormelt";
constexpr wchar_t kSection[] = L"QMTDATES";

host::ControlDesign In(const host::Frame& frame, host::ControlDesign design, const host::Control* names = nullptr)
{
    design.container = &frame;
    design.labelFor = names;
    return design;
}

} // namespace

frmDateRange::frmDateRange()
    : Form(kDesign),
      fraDates(*this, kFraDates),
      txtBeginDate(*this, In(fraDates, kTxtBeginDate)),
      txtEndDate(*this, In(fraDates, kTxtEndDate)),
      Label1_1(*this, In(fraDates, kLabel1_1, &txtBeginDate)),
      Label1_6(*this, In(fraDates, kLabel1_6, &txtEndDate)),
      cmdCancel(*this, kCmdCancel),
      cmdOK(*this, kCmdOK)
{
    cmdCancel.Click = [this] { cmdCancel_Click(); };
    cmdOK.Click = [this] { cmdOK_Click(); };
}

void frmDateRange::FillDateField(host::DateField& field, DATE preset, const wchar_t* key)
{
    // A date in 1899, the never-set zero among them, is no preset.
    if (host::IsDate(preset) && !host::FormatDate(preset).ends_with(L"1899"))
        field.Text(host::FormatDate(preset));
    else
        field.Text(host::GetSetting(kApplication, kSection, key, host::FormatDate(host::Today())));
}

void frmDateRange::Form_Load()
{
    FillDateField(txtBeginDate, BeginDate_, L"BeginDate");
    FillDateField(txtEndDate, EndDate_, L"EndDate");
}

void frmDateRange::cmdOK_Click()
{
    if (!host::IsDate(txtBeginDate.Text()) || !host::IsDate(txtEndDate.Text())) {
        MsgBox(L"Enter valid dates or press CANCEL", MB_OK | MB_ICONHAND, L"Date Range");
        return;
    }
    const DATE begin = host::CDate(txtBeginDate.Text());
    const DATE end = host::CDate(txtEndDate.Text());
    host::SaveSetting(kApplication, kSection, L"BeginDate", host::FormatDate(begin));
    host::SaveSetting(kApplication, kSection, L"EndDate", host::FormatDate(end));
    // The form's values change only once both dates are saved: a save that
    // fails ends the dialog with its error and leaves them as they were.
    Succeed_ = VARIANT_TRUE;
    BeginDate_ = begin;
    EndDate_ = end;
    Hide();
}

void frmDateRange::cmdCancel_Click()
{
    Succeed_ = VARIANT_FALSE;
    Hide();
}
