// DateRange through IDispatch and through its vtable, without a dialog: the
// initial values, the puts and the error they raise.

#include "support/com_client.h"
#include "veldlg_h.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace {

using namespace client;

constexpr wchar_t kProgId[] = L"VELDLG.DateRange";

class DateRangeTest : public testing::Test {
protected:
    Apartment apartment;
};

DATE GetDate(IDispatch* o, const wchar_t* name)
{
    const Outcome r = Get(o, name);
    EXPECT_EQ(r.hr, S_OK) << "get " << std::wstring(name);
    EXPECT_EQ(r.value.vt(), VT_DATE);
    return V_DATE(&r.value.get());
}

TEST_F(DateRangeTest, NewObjectHoldsZeroDatesAndNoSuccess)
{
    ComPtr<IDispatch> o = Create(kProgId);
    EXPECT_EQ(GetDate(o.get(), L"BeginDate"), 0.0);
    EXPECT_EQ(GetDate(o.get(), L"EndDate"), 0.0);
    const Outcome succeed = Get(o.get(), L"Succeed");
    EXPECT_EQ(succeed.value.vt(), VT_BOOL);
    EXPECT_EQ(V_BOOL(&succeed.value.get()), VARIANT_FALSE);
}

TEST_F(DateRangeTest, PutsKeepTheValueTimeOfDayIncluded)
{
    ComPtr<IDispatch> o = Create(kProgId);
    const DATE values[] = {45477.75, -212.5, -657434.0, 2958465.999988426, 0};
    for (const DATE v : values) {
        EXPECT_EQ(Put(o.get(), L"BeginDate", Date(v).get()).hr, S_OK) << v;
        EXPECT_EQ(GetDate(o.get(), L"BeginDate"), v);
        EXPECT_EQ(Put(o.get(), L"EndDate", Date(v).get()).hr, S_OK) << v;
        EXPECT_EQ(GetDate(o.get(), L"EndDate"), v);
    }
    // A text that is a date arrives converted by the automation layer.
    EXPECT_EQ(Put(o.get(), L"EndDate", Str(L"07/04/2024").get()).hr, S_OK);
    EXPECT_EQ(GetDate(o.get(), L"EndDate"), 45477.0);
}

TEST_F(DateRangeTest, AValueThePlatformCannotHoldIsNotADate)
{
    ComPtr<IDispatch> o = Create(kProgId);
    ComPtr<_DateRange> early;
    ASSERT_EQ(o->QueryInterface(IID__DateRange, early.put_void()), S_OK);
    ASSERT_EQ(early->put_BeginDate(45477), S_OK);
    ASSERT_EQ(early->put_EndDate(45500), S_OK);
    const double nan = std::numeric_limits<double>::quiet_NaN(), inf = std::numeric_limits<double>::infinity();
    for (const DATE bad : {nan, inf, -inf, -657435.0, 2958466.0}) {
        SCOPED_TRACE(testing::Message() << bad);
        for (const bool begin : {true, false}) {
            SetErrorInfo(0, nullptr);
            const HRESULT hr = begin ? early->put_BeginDate(bad) : early->put_EndDate(bad);
            EXPECT_EQ(hr, MAKE_HRESULT(SEVERITY_ERROR, FACILITY_CONTROL, 1));
            ComPtr<IErrorInfo> info;
            ASSERT_EQ(GetErrorInfo(0, info.put()), S_OK);
            Bstr source, description, helpFile;
            info->GetSource(source.put());
            info->GetDescription(description.put());
            info->GetHelpFile(helpFile.put());
            EXPECT_EQ(source.view(), L"Date Range");
            EXPECT_EQ(description.view(), L"Not a valid date value");
            EXPECT_EQ(helpFile.view(), L"");
        }
        DATE begin = 0, end = 0;
        early->get_BeginDate(&begin);
        early->get_EndDate(&end);
        EXPECT_EQ(begin, 45477) << "a refused put changes nothing";
        EXPECT_EQ(end, 45500);
    }
    EXPECT_EQ(early->put_BeginDate(45477), S_OK);
    EXPECT_EQ(early->get_BeginDate(nullptr), E_POINTER);
}

TEST_F(DateRangeTest, SucceedCannotBePut)
{
    ComPtr<IDispatch> o = Create(kProgId);
    VARIANT t;
    V_VT(&t) = VT_BOOL;
    V_BOOL(&t) = VARIANT_TRUE;
    EXPECT_EQ(Put(o.get(), L"Succeed", t).hr, DISP_E_MEMBERNOTFOUND);
}

} // namespace
