// DateRange through its vtable, as compiled clients call it: a value of the
// date type that the platform cannot hold is refused with error 1, and the
// refusal changes nothing. (Scripts cannot make such values; the script
// tests cover the rest of the class.)

#include "support/com_client.h"
#include "veldlg_h.h"

#include <gtest/gtest.h>

#include <limits>

namespace {

using namespace client;

TEST(DateRange, AValueThePlatformCannotHoldIsNotADate)
{
    Apartment apartment;
    ComPtr<IDispatch> o = Create(L"VELDLG.DateRange");
    ComPtr<_DateRange> early;
    ASSERT_EQ(o->QueryInterface(IID__DateRange, early.put_void()), S_OK);
    // 1 January 100 and the last second of 31 December 9999 are dates.
    EXPECT_EQ(early->put_BeginDate(-657434.0), S_OK);
    EXPECT_EQ(early->put_EndDate(2958465.999988426), S_OK);
    const double nan = std::numeric_limits<double>::quiet_NaN(), inf = std::numeric_limits<double>::infinity();
    for (const DATE bad : {nan, inf, -inf, -657435.0, 2958466.0}) {
        SCOPED_TRACE(testing::Message() << bad);
        for (const bool begin : {true, false}) {
            SetErrorInfo(0, nullptr);
            EXPECT_EQ(begin ? early->put_BeginDate(bad) : early->put_EndDate(bad),
                      MAKE_HRESULT(SEVERITY_ERROR, FACILITY_CONTROL, 1));
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
        EXPECT_EQ(begin, -657434.0) << "a refused put changes nothing";
        EXPECT_EQ(end, 2958465.999988426);
    }
    EXPECT_EQ(early->get_BeginDate(nullptr), E_POINTER);
}

} // namespace
