// LabelStartPosition as clients call it, late bound and through its vtable:
// puts that take any value, ShowForm's three checks in their order, and
// refused calls that change nothing and show nothing.

#include "support/com_client.h"
#include "support/robot.h"
#include "veldlg_h.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using namespace client;

constexpr wchar_t kProgId[] = L"VELDLG.LabelStartPosition";
constexpr wchar_t kSource[] = L"Label Start Position";
constexpr wchar_t kNotAboveZero[] = L"Properties: \"NumRows\" And \"NumColumns\" require a value greater than 0!";
constexpr wchar_t kTooManyRows[] = L"Property: \"NumRows\" cannot be greater than 20!";
constexpr wchar_t kTooManyColumns[] = L"Property: \"NumColumns\" cannot be greater than 10!";

class LabelStartPositionTest : public testing::Test {
protected:
    Apartment apartment;
};

// Runs ShowForm on a call that must not show the dialog: a dialog that
// appears all the same is a failure, and is closed so the test goes on.
Outcome ShowExpectingNoDialog(IDispatch* o)
{
    Outcome result;
    robot::WithDialog([&] { result = Call(o, L"ShowForm"); },
                      [](HWND dialog) {
                          ADD_FAILURE() << "ShowForm showed the dialog";
                          robot::ClickCloseBox(dialog);
                      });
    return result;
}

TEST_F(LabelStartPositionTest, NewObjectReadsZeroAndEmpty)
{
    ComPtr<IDispatch> o = Create(kProgId);
    ASSERT_TRUE(o);
    for (const wchar_t* name : {L"NumRows", L"NumColumns", L"StartColumn", L"StartRow"})
        EXPECT_EQ(GetShort(o.get(), name), 0) << std::wstring(name);
    EXPECT_EQ(GetText(o.get(), L"FormCaption"), L"");
    ExpectError(ShowExpectingNoDialog(o.get()), 1, kSource, kNotAboveZero);
}

TEST_F(LabelStartPositionTest, PutsTakeAnyValue)
{
    ComPtr<IDispatch> o = Create(kProgId);
    ASSERT_TRUE(o);
    for (const wchar_t* name : {L"NumRows", L"NumColumns", L"StartColumn", L"StartRow"}) {
        for (short v : {short(0), short(-1), short(21), short(32767), short(-32768), short(7)}) {
            PutShort(o.get(), name, v);
            EXPECT_EQ(GetShort(o.get(), name), v) << std::wstring(name);
        }
    }
    for (const wchar_t* caption : {L"Pick a label", L"", L"A & B \"quoted\""}) {
        EXPECT_EQ(Put(o.get(), L"FormCaption", Str(caption).get()).hr, S_OK);
        EXPECT_EQ(GetText(o.get(), L"FormCaption"), caption);
    }
}

TEST_F(LabelStartPositionTest, ShowFormChecksSizesInOrderAndChangesNothing)
{
    const struct {
        short rows, columns;
        int number;
        const wchar_t* description;
    } cases[] = {
        {0, 0, 1, kNotAboveZero},      {0, 5, 1, kNotAboveZero},     {5, 0, 1, kNotAboveZero},
        {-1, 5, 1, kNotAboveZero},     {5, -32768, 1, kNotAboveZero}, {0, 11, 1, kNotAboveZero},
        {21, 0, 1, kNotAboveZero},     {21, 5, 2, kTooManyRows},     {21, 11, 2, kTooManyRows},
        {32767, 32767, 2, kTooManyRows}, {20, 11, 3, kTooManyColumns}, {1, 32767, 3, kTooManyColumns},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.rows << " rows, " << c.columns << " columns");
        ComPtr<IDispatch> o = Create(kProgId);
        ASSERT_TRUE(o);
        PutShort(o.get(), L"NumRows", c.rows);
        PutShort(o.get(), L"NumColumns", c.columns);
        PutShort(o.get(), L"StartColumn", 4);
        PutShort(o.get(), L"StartRow", 9);
        ASSERT_EQ(Put(o.get(), L"FormCaption", Str(L"kept").get()).hr, S_OK);

        ExpectError(ShowExpectingNoDialog(o.get()), c.number, kSource, c.description);
        EXPECT_EQ(GetShort(o.get(), L"NumRows"), c.rows);
        EXPECT_EQ(GetShort(o.get(), L"NumColumns"), c.columns);
        EXPECT_EQ(GetShort(o.get(), L"StartColumn"), 4);
        EXPECT_EQ(GetShort(o.get(), L"StartRow"), 9);
        EXPECT_EQ(GetText(o.get(), L"FormCaption"), L"kept");
    }
}

TEST_F(LabelStartPositionTest, ChecksUseTheObjectsOwnSizes)
{
    // The shared form holds a valid grid, put through another object; this
    // object's own sizes are still refused.
    ComPtr<IDispatch> refused = Create(kProgId);
    ComPtr<IDispatch> other = Create(kProgId);
    PutShort(refused.get(), L"NumRows", 25);
    PutShort(refused.get(), L"NumColumns", 2);
    PutShort(other.get(), L"NumRows", 3);
    PutShort(other.get(), L"NumColumns", 2);
    ExpectError(ShowExpectingNoDialog(refused.get()), 2, kSource, kTooManyRows);
}

TEST_F(LabelStartPositionTest, SizesSmuggledInByAnotherObjectOverflowTheLayout)
{
    // The first sizes whose outer window size leaves the 16-bit range, on
    // either side (rows x 420 + 500, columns x 1120 + 250 twips).
    const struct {
        short rows, columns;
    } cases[] = {{77, 1}, {-79, 1}, {1, 30}, {1, -30}, {32767, 32767}, {-32768, 5}};
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.rows << " rows, " << c.columns << " columns in the form");
        ComPtr<IDispatch> shown = Create(kProgId);
        ComPtr<IDispatch> smuggler = Create(kProgId);
        PutShort(shown.get(), L"NumRows", 3);
        PutShort(shown.get(), L"NumColumns", 2);
        PutShort(shown.get(), L"StartColumn", 5);
        PutShort(shown.get(), L"StartRow", 6);
        PutShort(smuggler.get(), L"NumRows", c.rows);
        PutShort(smuggler.get(), L"NumColumns", c.columns);

        ExpectError(ShowExpectingNoDialog(shown.get()), 6, L"VELDLG", L"Overflow");
        EXPECT_EQ(GetShort(shown.get(), L"NumRows"), 3);
        EXPECT_EQ(GetShort(shown.get(), L"NumColumns"), 2);
        EXPECT_EQ(GetShort(shown.get(), L"StartColumn"), 5);
        EXPECT_EQ(GetShort(shown.get(), L"StartRow"), 6);
    }
}

TEST_F(LabelStartPositionTest, EarlyBoundClientGetsTheSameErrors)
{
    ComPtr<_LabelStartPosition> o;
    ASSERT_EQ(CoCreateInstance(CLSID_LabelStartPosition, nullptr, CLSCTX_INPROC_SERVER, IID__LabelStartPosition,
                               o.put_void()),
              S_OK);
    ASSERT_EQ(o->put_NumRows(21), S_OK);
    ASSERT_EQ(o->put_NumColumns(3), S_OK);
    EXPECT_EQ(o->ShowForm(), MAKE_HRESULT(SEVERITY_ERROR, FACILITY_CONTROL, 2));
    ComPtr<IErrorInfo> info;
    ASSERT_EQ(GetErrorInfo(0, info.put()), S_OK);
    Bstr description;
    info->GetDescription(description.put());
    EXPECT_EQ(description.view(), kTooManyRows);

    EXPECT_EQ(o->get_StartRow(nullptr), E_POINTER);
    // A null BSTR is the empty caption.
    EXPECT_EQ(o->put_FormCaption(nullptr), S_OK);
    Bstr caption(L"not read");
    EXPECT_EQ(o->get_FormCaption(caption.put()), S_OK);
    EXPECT_EQ(caption.view(), L"");
}

} // namespace
