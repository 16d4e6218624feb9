// CustomMessage through IDispatch and through its vtable, as clients call it:
// the puts and their checks, the refused-input errors, the result values.

#include "support/com_client.h"
#include "veldlg_h.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using namespace client;

constexpr wchar_t kProgId[] = L"VELDLG.CustomMessage";
constexpr wchar_t kCountError[] = L"Number of captions does not equal number of buttons";
constexpr wchar_t kRequiredError[] = L"Two required properties: \"NumButtons\" And \"ButtonCaption\" not set!";

class CustomMessageTest : public testing::Test {
protected:
    Apartment apartment;
};

// A put of NumButtons or ButtonCaptions, and what it must answer.
struct Step {
    const wchar_t* member;
    Variant value;
    int error; // 0: accepted
};

struct PutCase {
    const char* name;
    std::vector<Step> steps;
    short numButtons;
    const wchar_t* captions;
};

TEST_F(CustomMessageTest, SecondOfTheTwoInputsIsCheckedAgainstTheFirst)
{
    const PutCase cases[] = {
        {"buttons then captions", {{L"NumButtons", I2(3), 0}, {L"ButtonCaptions", Str(L"Yes,No,Cancel"), 0}}, 3,
         L"Yes,No,Cancel"},
        {"captions then too many buttons", {{L"ButtonCaptions", Str(L"Yes,No"), 0}, {L"NumButtons", I2(3), 1}}, 0,
         L"Yes,No"},
        {"a trailing comma is a caption", {{L"NumButtons", I2(2), 0}, {L"ButtonCaptions", Str(L"Yes,No,"), 1}}, 2, L""},
        {"an empty caption between", {{L"NumButtons", I2(3), 0}, {L"ButtonCaptions", Str(L"Yes,,No"), 0}}, 3,
         L"Yes,,No"},
        {"an empty list is never checked", {{L"NumButtons", I2(4), 0}, {L"ButtonCaptions", Str(L""), 0}}, 4, L""},
        {"zero buttons are not checked", {{L"ButtonCaptions", Str(L"A,B"), 0}, {L"NumButtons", I2(0), 0}}, 0, L"A,B"},
        {"negative buttons are not checked", {{L"ButtonCaptions", Str(L"A,B"), 0}, {L"NumButtons", I2(-1), 0}}, -1,
         L"A,B"},
        {"a refused count keeps the earlier one",
         {{L"NumButtons", I2(2), 0}, {L"ButtonCaptions", Str(L"A,B"), 0}, {L"NumButtons", I2(5), 1}}, 2, L"A,B"},
        {"a refused list keeps the earlier one",
         {{L"NumButtons", I2(1), 0}, {L"ButtonCaptions", Str(L"OK"), 0}, {L"ButtonCaptions", Str(L"A,B"), 1}}, 1,
         L"OK"},
        {"a coerced count", {{L"ButtonCaptions", Str(L"A,B"), 0}, {L"NumButtons", Str(L"2"), 0}}, 2, L"A,B"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ComPtr<IDispatch> o = Create(kProgId);
        ASSERT_TRUE(o);
        for (const Step& s : c.steps) {
            const Outcome r = Put(o.get(), s.member, s.value.get());
            if (s.error)
                ExpectError(r, s.error, L"Custom Message", kCountError);
            else
                EXPECT_EQ(r.hr, S_OK) << std::wstring(s.member);
        }
        EXPECT_EQ(GetShort(o.get(), L"NumButtons"), c.numButtons);
        EXPECT_EQ(GetText(o.get(), L"ButtonCaptions"), c.captions);
    }
}

TEST_F(CustomMessageTest, ShowFormRefusesMissingInputsAndKeepsTheResults)
{
    const struct {
        const char* name;
        short numButtons;
        const wchar_t* captions;
    } cases[] = {{"new object", 0, L""}, {"no captions", 2, L""}, {"no buttons", 0, L"A,B"}, {"negative", -3, L"A"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ComPtr<IDispatch> o = Create(kProgId);
        ASSERT_TRUE(o);
        EXPECT_EQ(Put(o.get(), L"ButtonCaptions", Str(c.captions).get()).hr, S_OK);
        EXPECT_EQ(Put(o.get(), L"NumButtons", I2(c.numButtons).get()).hr, S_OK);
        EXPECT_EQ(Put(o.get(), L"ButtonResultCaption", Str(L"kept").get()).hr, S_OK);
        ExpectError(Call(o.get(), L"ShowForm"), 2, L"Custom Message", kRequiredError);
        EXPECT_EQ(GetText(o.get(), L"ButtonResultCaption"), L"kept");
        EXPECT_EQ(Get(o.get(), L"ButtonResultValue").value.vt(), VT_EMPTY);
    }
}

TEST_F(CustomMessageTest, NewObjectReadsEmpty)
{
    ComPtr<IDispatch> o = Create(kProgId);
    ASSERT_TRUE(o);
    EXPECT_EQ(GetShort(o.get(), L"NumButtons"), 0);
    EXPECT_EQ(GetText(o.get(), L"Message"), L"");
    EXPECT_EQ(GetText(o.get(), L"FormCaption"), L"");
    EXPECT_EQ(GetText(o.get(), L"ButtonCaptions"), L"");
    EXPECT_EQ(Get(o.get(), L"ButtonResultCaption").value.vt(), VT_EMPTY);
    EXPECT_EQ(Get(o.get(), L"ButtonResultValue").value.vt(), VT_EMPTY);
}

TEST_F(CustomMessageTest, ResultPutsKeepAnySubtype)
{
    ComPtr<IDispatch> o = Create(kProgId);
    ASSERT_TRUE(o);
    const Variant values[] = {Str(L"text"), I2(-7), I4(100000), Date(45000.25), Variant()};
    for (const auto& v : values) {
        for (const wchar_t* member : {L"ButtonResultCaption", L"ButtonResultValue"}) {
            ASSERT_EQ(Put(o.get(), member, v.get()).hr, S_OK);
            const Outcome r = Get(o.get(), member);
            EXPECT_EQ(r.value.vt(), v.vt()) << std::wstring(member);
            EXPECT_EQ(VarCmp(const_cast<VARIANT*>(&r.value.get()), const_cast<VARIANT*>(&v.get()), LOCALE_USER_DEFAULT, 0),
                      VARCMP_EQ);
        }
    }
    // A by-reference variant is stored by value: the caller's variable may go.
    {
        VARIANT target;
        VariantInit(&target);
        V_VT(&target) = VT_BSTR;
        V_BSTR(&target) = SysAllocString(L"by reference");
        VARIANT byRef;
        V_VT(&byRef) = VT_VARIANT | VT_BYREF;
        V_VARIANTREF(&byRef) = &target;
        ASSERT_EQ(Put(o.get(), L"ButtonResultCaption", byRef).hr, S_OK);
        VariantClear(&target);
    }
    EXPECT_EQ(GetText(o.get(), L"ButtonResultCaption"), L"by reference");
}

TEST_F(CustomMessageTest, OverlongCaptionListOverflowsOnTheCount)
{
    ComPtr<IDispatch> o = Create(kProgId);
    ASSERT_TRUE(o);
    const std::wstring tooLong(32768, L'x');
    ASSERT_EQ(Put(o.get(), L"ButtonCaptions", Str(tooLong).get()).hr, S_OK); // no count: NumButtons is 0
    ExpectError(Put(o.get(), L"NumButtons", I2(1).get()), 6, L"VELDLG", L"Overflow");
    EXPECT_EQ(GetShort(o.get(), L"NumButtons"), 0);

    ComPtr<IDispatch> p = Create(kProgId);
    ASSERT_EQ(Put(p.get(), L"NumButtons", I2(1).get()).hr, S_OK);
    ExpectError(Put(p.get(), L"ButtonCaptions", Str(tooLong).get()), 6, L"VELDLG", L"Overflow");
    EXPECT_EQ(GetText(p.get(), L"ButtonCaptions"), L"");
}

TEST_F(CustomMessageTest, LateBoundNamesAndAccessors)
{
    ComPtr<IDispatch> o = Create(kProgId);
    ASSERT_TRUE(o);
    const struct {
        const wchar_t* name;
        DISPID id;
    } ids[] = {{L"NumButtons", 0x68030007}, {L"Message", 0x68030006},        {L"FormCaption", 0x68030005},
               {L"ShowForm", 0x60030008},   {L"ButtonCaptions", 0x68030004}, {L"ButtonResultCaption", 0x68030003},
               {L"DefaultButton", 0x68030002}, {L"Cancelbutton", 0x68030001}, {L"ButtonResultValue", 0x68030000},
               {L"showform", 0x60030008}};
    for (const auto& i : ids) EXPECT_EQ(IdOf(o.get(), i.name), i.id) << std::wstring(i.name);

    // Put-only members cannot be read, and unknown names are unknown.
    EXPECT_EQ(Get(o.get(), L"DefaultButton").hr, DISP_E_MEMBERNOTFOUND);
    EXPECT_EQ(Get(o.get(), L"Cancelbutton").hr, DISP_E_MEMBERNOTFOUND);
    DISPID id = 0;
    LPOLESTR unknown = const_cast<LPOLESTR>(L"NoSuchMember");
    EXPECT_EQ(o->GetIDsOfNames(IID_NULL, &unknown, 1, 0, &id), DISP_E_UNKNOWNNAME);
    // The platform coerces and range-checks Integer arguments.
    EXPECT_EQ(Put(o.get(), L"NumButtons", I4(40000).get()).hr, DISP_E_OVERFLOW);
    EXPECT_EQ(Put(o.get(), L"NumButtons", Str(L"many").get()).hr, DISP_E_TYPEMISMATCH);
    EXPECT_EQ(GetShort(o.get(), L"NumButtons"), 0);

    UINT count = 0;
    EXPECT_EQ(o->GetTypeInfoCount(&count), S_OK);
    EXPECT_EQ(count, 1u);
    ComPtr<ITypeInfo> info;
    ASSERT_EQ(o->GetTypeInfo(0, 0, info.put()), S_OK);
    TYPEATTR* attr = nullptr;
    ASSERT_EQ(info->GetTypeAttr(&attr), S_OK);
    EXPECT_TRUE(IsEqualGUID(attr->guid, IID__CustomMessage));
    info->ReleaseTypeAttr(attr);
}

TEST_F(CustomMessageTest, EarlyBoundClientGetsTheSameErrors)
{
    ComPtr<_CustomMessage> o;
    ASSERT_EQ(CoCreateInstance(CLSID_CustomMessage, nullptr, CLSCTX_INPROC_SERVER, IID__CustomMessage, o.put_void()),
              S_OK);
    ASSERT_EQ(o->put_ButtonCaptions(Bstr(L"A,B").get()), S_OK);
    const HRESULT hr = o->put_NumButtons(3);
    EXPECT_EQ(hr, MAKE_HRESULT(SEVERITY_ERROR, FACILITY_CONTROL, 1));

    ComPtr<ISupportErrorInfo> support;
    ASSERT_EQ(o->QueryInterface(IID_ISupportErrorInfo, support.put_void()), S_OK);
    EXPECT_EQ(support->InterfaceSupportsErrorInfo(IID__CustomMessage), S_OK);
    ComPtr<IErrorInfo> info;
    ASSERT_EQ(GetErrorInfo(0, info.put()), S_OK);
    Bstr description;
    info->GetDescription(description.put());
    EXPECT_EQ(description.view(), kCountError);

    short n = -1;
    EXPECT_EQ(o->get_NumButtons(&n), S_OK);
    EXPECT_EQ(n, 0);
    EXPECT_EQ(o->get_NumButtons(nullptr), E_POINTER);
}

} // namespace
