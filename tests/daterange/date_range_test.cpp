// The date range dialog without windows: the fields filled from presets,
// stored dates or today, what each way of ending reports and saves, and
// dates that cannot be saved. Every test puts the stored dates back as they
// were.

#include "daterange/DateRange.h"
#include "daterange/frmDateRange.h"
#include "host/dates.h"
#include "support/windowless.h"

#include <sddl.h>

#include <gtest/gtest.h>

#include <cmath>
#include <optional>
#include <string>
#include <thread>
#include <tuple>

namespace {

using namespace client;
using windowless::New;
using Text = std::optional<std::wstring>;

constexpr wchar_t kSectionKey[] = L"Software\\VB and VBA Program Settings\\Vormelt\\QMTDATES";
constexpr DATE k4July2024 = 45477, k31July2024 = 45504;
// The message box that refuses an entry: prompt, title and style.
const std::wstring kInvalid =
    L"Enter valid dates or press CANCEL|Date Range|" + std::to_wstring(MB_OK | MB_ICONHAND);

Text Stored(const wchar_t* name)
{
    wchar_t data[256] = {};
    DWORD size = sizeof data;
    const LONG status =
        RegGetValueW(HKEY_CURRENT_USER, kSectionKey, name, RRF_RT_REG_SZ, nullptr, data, &size);
    return status == ERROR_SUCCESS ? Text(data) : std::nullopt;
}

// The user's stored dates set for a test, and put back after it.
struct StoredDates {
    Text saved[2] = {Stored(L"BeginDate"), Stored(L"EndDate")};
    StoredDates(const Text& begin, const Text& end) { Store(begin, end); }
    ~StoredDates() { Store(saved[0], saved[1]); }

    static void Store(const Text& begin, const Text& end)
    {
        for (const auto& [name, text] : {std::pair(L"BeginDate", &begin), std::pair(L"EndDate", &end)}) {
            if (!*text) RegDeleteKeyValueW(HKEY_CURRENT_USER, kSectionKey, name);
            const DWORD size = *text ? static_cast<DWORD>(((*text)->size() + 1) * sizeof(wchar_t)) : 0;
            if (*text) RegSetKeyValueW(HKEY_CURRENT_USER, kSectionKey, name, REG_SZ, (*text)->c_str(), size);
        }
    }
};

// Until it goes, the section denies everyone to write it.
struct ReadOnlySection {
    ReadOnlySection() { Secure(L"D:(D;;KW;;;WD)(A;;KA;;;WD)"); }
    ~ReadOnlySection() { Secure(L"D:(A;;KA;;;WD)"); }

    static void Secure(const wchar_t* sddl)
    {
        HKEY k = nullptr;
        RegCreateKeyExW(HKEY_CURRENT_USER, kSectionKey, 0, nullptr, 0, WRITE_DAC, nullptr, &k, nullptr);
        PSECURITY_DESCRIPTOR sd = nullptr;
        ConvertStringSecurityDescriptorToSecurityDescriptorW(sddl, SDDL_REVISION_1, &sd, nullptr);
        EXPECT_EQ(RegSetKeySecurity(k, DACL_SECURITY_INFORMATION, sd), ERROR_SUCCESS);
        LocalFree(sd);
        RegCloseKey(k);
    }
};

ComPtr<IDispatch> Range(std::optional<DATE> begin, std::optional<DATE> end)
{
    ComPtr<IDispatch> o = New<DateRange>();
    EXPECT_TRUE(!begin || Put(o.get(), L"BeginDate", Date(*begin).get()).ok());
    EXPECT_TRUE(!end || Put(o.get(), L"EndDate", Date(*end).get()).ok());
    return o;
}

// The class's dates and whether it succeeded.
std::tuple<DATE, DATE, bool> Result(IDispatch* o)
{
    return {V_DATE(&Get(o, L"BeginDate").value.get()), V_DATE(&Get(o, L"EndDate").value.get()),
            V_BOOL(&Get(o, L"Succeed").value.get()) == VARIANT_TRUE};
}

TEST(DateRange, FieldsShowPresetsElseStoredDatesElseToday)
{
    const std::wstring today = host::FormatDate(host::Today());
    const struct {
        Text storedBegin, storedEnd;
        std::optional<DATE> begin, end;
        std::wstring shown;
    } cases[] = {
        {{}, {}, {}, {}, today + L" " + today},
        {L"01/02/2003", L"04/05/2006", k4July2024, k31July2024 + 0.75, L"07/04/2024 07/31/2024"},
        {{}, L"04/05/2006", k4July2024, {}, L"07/04/2024 04/05/2006"},
        {L"01/02/2003", {}, -212, 0.0, L"01/02/2003 " + today}, // a date in 1899 is no preset
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "case " << &c - cases);
        StoredDates stored(c.storedBegin, c.storedEnd);
        std::thread([&] { // a fresh thread's first dialog
            windowless::Show<frmDateRange>(Range(c.begin, c.end).get(), [&](frmDateRange& f) {
                EXPECT_EQ(f.txtBeginDate.Text() + L" " + f.txtEndDate.Text(), c.shown);
                f.KeyDown(VK_ESCAPE, 0);
            });
        }).join();
    }
}

TEST(DateRange, EachLabelStandsBeforeItsFieldAndTheFrameBeneathAll)
{
    frmDateRange& f = host::FormRef<frmDateRange>();
    const std::vector<host::Control*> order{&f.Label1_1, &f.txtBeginDate, &f.Label1_6, &f.txtEndDate,
                                            &f.cmdCancel, &f.cmdOK,         &f.fraDates};
    EXPECT_EQ(f.TabOrder(), order);
}

TEST(DateRange, EveryWayOfEndingTheDialog)
{
    const std::tuple<DATE, DATE, bool> unchanged{1, 2, false};
    const struct {
        const wchar_t *begin, *end; // typed into the fields
        WORD key; // 0: the close box
        std::tuple<DATE, DATE, bool> result;
        const wchar_t* storedBegin;
        size_t boxes;
    } cases[] = {
        {L"07/31/2024", L"07/04/2024", VK_RETURN, {k31July2024, k4July2024, true}, L"07/31/2024", 0},
        {L"7/4/2024", L"July 31, 2024", VK_RETURN, {k4July2024, k31July2024, true}, L"07/04/2024", 0},
        {L"07/31/2024", L"07/31/2024", VK_ESCAPE, unchanged, L"old", 0},
        {L"07/31/2024", L"07/31/2024", 0, unchanged, L"old", 0},
        {L"", L"07/31/2024", VK_RETURN, unchanged, L"old", 1},
        {L"07/__/2024", L"07/31/2024", VK_RETURN, unchanged, L"old", 1},
        {L"02/30/2024", L"07/31/2024", VK_RETURN, unchanged, L"old", 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "case " << &c - cases);
        StoredDates stored(L"old", L"old");
        std::thread([&] {
            ComPtr<IDispatch> o = Range(1, 2);
            windowless::Boxes boxes;
            const Outcome r = windowless::Show<frmDateRange>(o.get(), [&](frmDateRange& f) {
                f.txtBeginDate.Text(c.begin);
                f.txtEndDate.Text(c.end);
                if (c.key) f.KeyDown(c.key, 0); // Enter presses OK, Escape Cancel
                if (f.Visible()) f.Unload(); // the close box, or after the message box
            }, &boxes);
            EXPECT_EQ(r.hr, S_OK);
            EXPECT_EQ(Result(o.get()), c.result);
            ASSERT_EQ(boxes.size(), c.boxes);
            for (const auto& box : boxes)
                EXPECT_EQ(box.prompt + L"|" + box.title + L"|" + std::to_wstring(box.style), kInvalid);
        }).join();
        EXPECT_EQ(Stored(L"BeginDate"), c.storedBegin);
    }
}

TEST(DateRange, ConfirmedDatesAreShownNextTimeAndSharedOnTheThread)
{
    StoredDates stored(std::nullopt, std::nullopt);
    ComPtr<IDispatch> a = Range({}, {}), b = Range(k4July2024, {});
    windowless::Show<frmDateRange>(a.get(), [](frmDateRange& f) { f.cmdCancel.Press(); });
    EXPECT_EQ(Result(a.get()), std::tuple(0.0, 0.0, false)) << "a cancel takes over no date";
    windowless::Show<frmDateRange>(a.get(), [](frmDateRange& f) {
        EXPECT_EQ(f.txtBeginDate.Text(), L"07/04/2024"); // b's preset
        f.txtEndDate.Text(L"08/01/2024");
        f.cmdOK.Press();
    });
    EXPECT_EQ(Result(a.get()), std::tuple(k4July2024, k31July2024 + 1, true));
    EXPECT_EQ(Result(b.get()), std::tuple(k4July2024, 0.0, false)) << "b's own fields stay";
    // The close box after a confirmed dialog: b takes over its dates.
    windowless::Show<frmDateRange>(b.get(), [](frmDateRange& f) {
        EXPECT_EQ(f.txtEndDate.Text(), L"08/01/2024");
        f.Unload();
    });
    EXPECT_EQ(Result(b.get()), std::tuple(k4July2024, k31July2024 + 1, true));
}

TEST(DateRange, RefusedDatesAndSavesChangeNothing)
{
    ComPtr<IDispatch> o = Range(-657434.0, 2958465.999988426); // 1 January 100, the last second of 9999
    for (const DATE bad : {double{NAN}, HUGE_VAL, -HUGE_VAL, -657435.0, 2958466.0})
        for (const wchar_t* member : {L"BeginDate", L"EndDate"})
            ExpectError(Put(o.get(), member, Date(bad).get()), 1, L"Date Range", L"Not a valid date value");
    EXPECT_EQ(Result(o.get()), std::tuple(-657434.0, 2958465.999988426, false));

    StoredDates stored(L"01/02/2003", L"04/05/2006");
    ReadOnlySection readOnly;
    std::thread([] {
        ComPtr<IDispatch> d = Range(k4July2024, k31July2024);
        const Outcome r = windowless::Show<frmDateRange>(d.get(), [](frmDateRange& f) { f.cmdOK.Press(); });
        EXPECT_EQ(r.number(), HRESULT_FROM_WIN32(ERROR_ACCESS_DENIED));
        EXPECT_EQ(r.source, L"VELDLG");
        EXPECT_FALSE(host::FormRef<frmDateRange>().Succeed());
        EXPECT_EQ(Result(d.get()), std::tuple(k4July2024, k31July2024, false));
    }).join();
    EXPECT_EQ(Stored(L"BeginDate"), L"01/02/2003");
}

} // namespace
