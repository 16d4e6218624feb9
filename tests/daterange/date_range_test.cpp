// The date range dialog without windows: the fields filled from presets,
// stored dates or today, what each way of ending reports and saves, and
// dates refused; then the settings store it relies on.

#include "daterange/DateRange.h"
#include "daterange/frmDateRange.h"
#include "host/dates.h"
#include "host/settings.h"
#include "support/windowless.h"

#include <gtest/gtest.h>

#include <cmath>
#include <optional>
#include <string>
#include <thread>
#include <tuple>

using namespace client;
using Result = std::tuple<DATE, DATE, bool>; // BeginDate, EndDate, Succeed

constexpr DATE k4July2024 = 45477, k31July2024 = 45504;
constexpr wchar_t kDatesKey[] = L"Software\\VB and VBA Program Settings\\Vormelt\\QMTDATES";

// Sets the user's stored dates for a test (none: removed).
static void Store(const std::optional<std::wstring>& begin, const std::optional<std::wstring>& end)
{
    RegDeleteTreeW(HKEY_CURRENT_USER, kDatesKey);
    if (begin) host::SaveSetting(L"Vormelt", L"QMTDATES", L"BeginDate", *begin);
    if (end) host::SaveSetting(L"Vormelt", L"QMTDATES", L"EndDate", *end);
}

static ComPtr<IDispatch> Range(std::optional<DATE> begin, std::optional<DATE> end)
{
    ComPtr<IDispatch> o = windowless::New<DateRange>();
    EXPECT_TRUE(!begin || Put(o.get(), L"BeginDate", Date(*begin).get()).ok());
    EXPECT_TRUE(!end || Put(o.get(), L"EndDate", Date(*end).get()).ok());
    return o;
}

static Result ResultOf(IDispatch* o)
{
    return {V_DATE(&Get(o, L"BeginDate").value.get()), V_DATE(&Get(o, L"EndDate").value.get()),
            V_BOOL(&Get(o, L"Succeed").value.get()) == VARIANT_TRUE};
}

// The texts typed into the fields, the key that ends the dialog (0: the
// close box), the result, the begin date stored after and the message boxes.
TEST(DateRange, EveryWayOfEndingTheDialog)
{
    const std::wstring kInvalid =
        L"Enter valid dates or press CANCEL|Date Range|" + std::to_wstring(MB_OK | MB_ICONHAND);
    const Result unchanged{1, 2, false}, taken{k4July2024, k31July2024, true};
    const std::tuple<const wchar_t*, const wchar_t*, WORD, Result, const wchar_t*, size_t> cases[] = {
        {L"07/31/2024", L"07/04/2024", VK_RETURN, {k31July2024, k4July2024, true}, L"07/31/2024", 0},
        {L"7/4/2024", L"July 31, 2024", VK_RETURN, taken, L"07/04/2024", 0},
        {L"07/31/2024", L"07/31/2024", VK_ESCAPE, unchanged, L"old", 0}, {L"", L"", 0, unchanged, L"old", 0},
        {L"", L"07/31/2024", VK_RETURN, unchanged, L"old", 1},
        {L"07/__/2024", L"07/31/2024", VK_RETURN, unchanged, L"old", 1},
        {L"02/30/2024", L"07/31/2024", VK_RETURN, unchanged, L"old", 1},
        {L"01/01/0099", L"07/31/2024", VK_RETURN, unchanged, L"old", 1}, // before the years there are
        {L"01/01/0100", L"12/31/9999", VK_RETURN, {host::kFirstDate, host::kLastDate, true}, L"01/01/0100", 0},
    };
    for (const auto& [begin, end, key, result, storedBegin, boxes] : cases) {
        SCOPED_TRACE(testing::Message() << "case " << &begin - &std::get<0>(cases[0]));
        Store(L"old", L"old");
        std::thread([&] {
            ComPtr<IDispatch> o = Range(1, 2);
            windowless::Boxes shown;
            EXPECT_EQ(windowless::Show<frmDateRange>(o.get(), [&](frmDateRange& f) {
                f.txtBeginDate.Text(begin);
                f.txtEndDate.Text(end);
                if (key) f.KeyDown(key, 0); // Enter presses OK, Escape Cancel
                if (f.Visible()) f.Unload(); // the close box, or after the message box
            }, &shown).hr, S_OK);
            EXPECT_EQ(ResultOf(o.get()), result);
            EXPECT_EQ(shown.size(), boxes);
            for (const auto& b : shown)
                EXPECT_EQ(b.prompt + L"|" + b.title + L"|" + std::to_wstring(b.style), kInvalid);
        }).join();
        EXPECT_EQ(host::GetSetting(L"Vormelt", L"QMTDATES", L"BeginDate", L"none"), storedBegin);
    }
}

// What the fields show: a preset (a date in 1899 is none), else the stored
// date, else today; after OK, the dates confirmed, for every object of the
// thread, which share one form.
TEST(DateRange, FieldsShowPresetsElseStoredDatesElseTodayAndConfirmedDatesAreShared)
{
    const std::wstring today = host::FormatDate(host::Today());
    Store(std::nullopt, std::nullopt);
    ComPtr<IDispatch> a = Range({}, {}), b = Range(k4July2024 + 0.75, -212);
    windowless::Show<frmDateRange>(a.get(), [&](frmDateRange& f) {
        EXPECT_EQ(f.txtBeginDate.Text() + L" " + f.txtEndDate.Text(), L"07/04/2024 " + today); // b's preset
        const std::vector<host::Control*> order{&f.Label1_1, &f.txtBeginDate, &f.Label1_6, &f.txtEndDate,
                                                &f.cmdCancel, &f.cmdOK, &f.fraDates};
        EXPECT_EQ(f.TabOrder(), order) << "each label before its field, the frame beneath all";
        f.cmdCancel.Press();
    });
    EXPECT_EQ(ResultOf(a.get()), Result(0.0, 0.0, false)) << "a cancel takes over no date";
    Store(L"01/02/2003", L"04/05/2006");
    windowless::Show<frmDateRange>(a.get(), [](frmDateRange& f) {
        EXPECT_EQ(f.txtBeginDate.Text() + L" " + f.txtEndDate.Text(), L"07/04/2024 04/05/2006");
        f.txtEndDate.Text(L"08/01/2024");
        f.cmdOK.Press();
    });
    EXPECT_EQ(ResultOf(a.get()), Result(k4July2024, k31July2024 + 1, true));
    EXPECT_EQ(ResultOf(b.get()), Result(k4July2024 + 0.75, -212, false)) << "b's own fields stay";
    // The close box after a confirmed dialog: b takes over its dates.
    windowless::Show<frmDateRange>(b.get(), [](frmDateRange& f) {
        EXPECT_EQ(f.txtEndDate.Text(), L"08/01/2024");
        f.Unload();
    });
    EXPECT_EQ(ResultOf(b.get()), Result(k4July2024, k31July2024 + 1, true));
}

TEST(DateRange, RefusedDatesChangeNothing)
{
    ComPtr<IDispatch> o = Range(-657434.0, 2958465.999988426); // 1 January 100, the last second of 9999
    for (const DATE bad : {double{NAN}, HUGE_VAL, -HUGE_VAL, -657435.0, 2958466.0})
        for (const wchar_t* member : {L"BeginDate", L"EndDate"})
            ExpectError(Put(o.get(), member, Date(bad).get()), 1, L"Date Range", L"Not a valid date value");
    EXPECT_EQ(ResultOf(o.get()), Result(-657434.0, 2958465.999988426, false));
}

// What others may have written: only plain texts read back.
TEST(Settings, ExpandableTextsAreTheDefault)
{
    RegSetKeyValueW(HKEY_CURRENT_USER, kDatesKey, L"BeginDate", REG_EXPAND_SZ, L"%TEMP%", 14);
    EXPECT_EQ(host::GetSetting(L"Vormelt", L"QMTDATES", L"BeginDate", L"none"), L"none") << "REG_EXPAND_SZ";
}
