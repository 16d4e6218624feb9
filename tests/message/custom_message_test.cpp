// The custom message box without windows: the checked puts, the caption
// list, the layout that Form_Load makes, and what each way of ending the
// dialog reports.

#include "message/CustomMessage.h"
#include "message/frmCustomMessage.h"
#include "support/windowless.h"

#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

namespace {

using namespace client;
using windowless::New;

constexpr wchar_t kSource[] = L"Custom Message";
constexpr wchar_t kCountError[] = L"Number of captions does not equal number of buttons";
constexpr wchar_t kRequiredError[] = L"Two required properties: \"NumButtons\" And \"ButtonCaption\" not set!";

// A put, or ShowForm when the member is null, and the error it must raise.
struct Step {
    const wchar_t* member;
    Variant value;
    int error; // 0: accepted
};

TEST(CustomMessage, TheSecondOfTheTwoInputsIsCheckedAgainstTheFirst)
{
    const struct {
        const char* name;
        std::vector<Step> steps;
        short numButtons;
        const wchar_t* captions;
    } cases[] = {
        {"buttons, then captions", {{L"NumButtons", I2(3), 0}, {L"ButtonCaptions", Str(L"Yes,No,Cancel"), 0}}, 3,
         L"Yes,No,Cancel"},
        {"captions, then too many buttons", {{L"ButtonCaptions", Str(L"Yes,No"), 0}, {L"NumButtons", I2(3), 1}}, 0,
         L"Yes,No"},
        {"captions, then one button", {{L"ButtonCaptions", Str(L"Yes,No"), 0}, {L"NumButtons", I2(1), 1}}, 0, L"Yes,No"},
        {"a trailing comma", {{L"NumButtons", I2(2), 0}, {L"ButtonCaptions", Str(L"Yes,No,"), 1}}, 2, L""},
        {"an empty caption", {{L"NumButtons", I2(3), 0}, {L"ButtonCaptions", Str(L"Yes,,No"), 0}}, 3, L"Yes,,No"},
        {"an empty list", {{L"NumButtons", I2(4), 0}, {L"ButtonCaptions", Str(L""), 0}, {nullptr, {}, 2}}, 4, L""},
        {"zero buttons", {{L"ButtonCaptions", Str(L"A,B"), 0}, {L"NumButtons", I2(0), 0}, {nullptr, {}, 2}}, 0, L"A,B"},
        {"negative buttons", {{L"ButtonCaptions", Str(L"A,B"), 0}, {L"NumButtons", I2(-1), 0}, {nullptr, {}, 2}}, -1,
         L"A,B"},
        {"a new object", {{nullptr, {}, 2}}, 0, L""},
        {"a refused list keeps the last",
         {{L"NumButtons", I2(1), 0}, {L"ButtonCaptions", Str(L"OK"), 0}, {L"ButtonCaptions", Str(L"A,B"), 1}}, 1,
         L"OK"},
        {"a coerced count", {{L"ButtonCaptions", Str(L"A,B"), 0}, {L"NumButtons", Str(L"2"), 0}}, 2, L"A,B"},
        {"a list too long to count", {{L"NumButtons", I2(1), 0}, {L"ButtonCaptions", Str(std::wstring(32768, 'x')), 6}},
         1, L""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ComPtr<IDispatch> o = New<CustomMessage>();
        Put(o.get(), L"ButtonResultCaption", Str(L"kept").get());
        for (const Step& s : c.steps) {
            const Outcome r = s.member ? Put(o.get(), s.member, s.value.get())
                                       : windowless::Show<frmCustomMessage>(o.get(), [](frmCustomMessage&) {
                                             ADD_FAILURE() << "shown";
                                         });
            if (s.error == 1) ExpectError(r, 1, kSource, kCountError);
            if (s.error == 2) ExpectError(r, 2, kSource, kRequiredError);
            if (s.error == 6) ExpectError(r, 6, L"VELDLG", L"Overflow");
            EXPECT_EQ(r.ok(), s.error == 0);
        }
        EXPECT_EQ(GetShort(o.get(), L"NumButtons"), c.numButtons);
        EXPECT_EQ(GetText(o.get(), L"ButtonCaptions"), c.captions);
        EXPECT_EQ(GetText(o.get(), L"ButtonResultCaption"), L"kept");
        EXPECT_EQ(Get(o.get(), L"ButtonResultValue").value.vt(), VT_EMPTY);
    }
}

TEST(CustomMessage, CaptionListWords)
{
    const struct {
        const wchar_t* list;
        short count;
        std::vector<std::pair<short, const wchar_t*>> words;
    } cases[] = {
        {L"Yes,No,Cancel", 3, {{1, L"Yes"}, {2, L"No"}, {3, L"Cancel"}}},
        {L"Yes,,No", 3, {{2, L""}, {3, L"No"}}},
        {L",Yes", 2, {{1, L""}, {2, L"Yes"}}},
        {L" Yes , No ", 2, {{1, L" Yes "}, {2, L" No "}}},
        {L"A,B", 2, {{3, L"A"}, {4, L"B"}, {0, L"A"}, {-5, L"A"}}},
        {L"", 1, {{1, L""}}},
        {L"&Yes,&No", 2, {{2, L"&No"}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::PrintToString(std::wstring(c.list)));
        EXPECT_EQ(CustomMessage::CountDelimitedWords(c.list), c.count);
        for (const auto& [index, word] : c.words)
            EXPECT_EQ(frmCustomMessage::GetDelimitedWord(c.list, index, L","), word) << "word " << index;
    }
}

// The places the dialog gives its buttons, in twips, by number of buttons.
const std::vector<std::pair<short, short>> kPlaces[] = {
    {},
    {{2167, 1440}},
    {{1275, 1440}, {3060, 1440}},
    {{382, 1440}, {2167, 1440}, {3952, 1440}},
    {{382, 1440}, {2167, 1440}, {3952, 1440}, {2167, 1920}},
    {{382, 1440}, {2167, 1440}, {3952, 1440}, {1275, 1920}, {3060, 1920}},
    {{382, 1440}, {2167, 1440}, {3952, 1440}, {382, 1920}, {2167, 1920}, {3952, 1920}},
    // Seven and more keep the design's place.
    {{300, 1920}, {300, 1920}, {300, 1920}, {300, 1920}, {300, 1920}, {300, 1920}, {300, 1920}},
};

TEST(CustomMessage, LayoutOfOneToSevenButtons)
{
    const wchar_t* lists[] = {L"A", L"A,B", L"A,B,C", L"A,B,C,D", L"A,B,C,D,E", L"A,B,C,D,E,F", L"A,B,C,D,E,F,G"};
    for (short n = 1; n <= 7; ++n) {
        SCOPED_TRACE(testing::Message() << n << " buttons");
        ComPtr<IDispatch> o = New<CustomMessage>();
        PutShort(o.get(), L"NumButtons", n);
        Put(o.get(), L"ButtonCaptions", Str(lists[n - 1]).get());
        Put(o.get(), L"Message", Str(L"Save & quit?").get());
        Put(o.get(), L"FormCaption", Str(L"Title").get());
        const Outcome r = windowless::Show<frmCustomMessage>(o.get(), [&](frmCustomMessage& f) {
            EXPECT_EQ(f.Caption(), L"Title");
            EXPECT_EQ(f.lblMsg.Caption(), L"Save & quit?");
            EXPECT_EQ(f.Height(), n > 3 ? 2775 : 2295);
            const auto buttons = windowless::Buttons(f);
            ASSERT_EQ(buttons.size(), static_cast<size_t>(n));
            for (short i = 0; i < n; ++i) {
                SCOPED_TRACE(testing::Message() << "button " << i + 1);
                EXPECT_EQ(buttons[i]->Caption(), std::wstring(1, static_cast<wchar_t>('A' + i)));
                EXPECT_EQ(std::make_pair(buttons[i]->Left().value(), buttons[i]->Top().value()), kPlaces[n][i]);
                EXPECT_EQ(std::make_pair(buttons[i]->Width().value(), buttons[i]->Height().value()),
                          std::make_pair(short{1635}, short{375}));
            }
            buttons.back()->Press();
        });
        EXPECT_EQ(r.hr, S_OK);
        EXPECT_EQ(GetShort(o.get(), L"ButtonResultValue"), n);
    }
}

enum class Act { Press, Key, Close };

TEST(CustomMessage, EveryWayOfEndingTheDialog)
{
    const struct {
        const char* name;
        const wchar_t* captions;
        short defaultButton, cancelButton;
        Act act;
        int arg; // the button for Press, the key for Key
        const wchar_t* caption;
        short value;
    } cases[] = {
        {"a click", L"Yes,No,Cancel", 1, 3, Act::Press, 2, L"No", 2},
        {"Enter presses the default", L"Yes,No,Cancel", 2, 3, Act::Key, VK_RETURN, L"No", 2},
        {"Escape presses the cancel button", L"Yes,No,Cancel", 1, 3, Act::Key, VK_ESCAPE, L"Cancel", 3},
        {"F2 presses the cancel button", L"Yes,No,Cancel", 1, 2, Act::Key, VK_F2, L"No", 2},
        {"the close box sets nothing", L"Yes,No", 1, 2, Act::Close, 0, L"", 0},
        {"Escape without a cancel button", L"Yes,No", 1, 0, Act::Key, VK_ESCAPE, L"", 0},
        {"F2 without a cancel button", L"Yes,No", 1, 0, Act::Key, VK_F2, L"", 0},
        {"a default past the last button", L"Yes,No", 3, 0, Act::Key, VK_RETURN, L"", 0},
        {"a negative cancel button", L"Yes,No", 0, -1, Act::Key, VK_F2, L"", 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        // A thread of its own: its form has never recorded a press.
        std::thread([&] {
            ComPtr<IDispatch> o = New<CustomMessage>();
            Put(o.get(), L"ButtonCaptions", Str(c.captions).get());
            PutShort(o.get(), L"NumButtons", static_cast<short>(CustomMessage::CountDelimitedWords(c.captions).value()));
            PutShort(o.get(), L"DefaultButton", c.defaultButton);
            PutShort(o.get(), L"Cancelbutton", c.cancelButton);
            const Outcome r = windowless::Show<frmCustomMessage>(o.get(), [&](frmCustomMessage& f) {
                if (c.act == Act::Press) f.cmdButton(static_cast<short>(c.arg - 1)).Press();
                if (c.act == Act::Key) f.KeyDown(static_cast<short>(c.arg), 0);
                if (c.act == Act::Close || f.Visible()) f.Unload();
            });
            EXPECT_EQ(r.hr, S_OK);
            EXPECT_EQ(GetText(o.get(), L"ButtonResultCaption"), c.caption);
            EXPECT_EQ(GetShort(o.get(), L"ButtonResultValue"), c.value);
        }).join();
    }
}

TEST(CustomMessage, ObjectsOfOneThreadShareTheirForm)
{
    ComPtr<IDispatch> a = New<CustomMessage>(), b = New<CustomMessage>();
    PutShort(a.get(), L"NumButtons", 2);
    Put(a.get(), L"ButtonCaptions", Str(L"Yes,No").get());
    Put(a.get(), L"ButtonResultCaption", Str(L"kept until shown").get());
    PutShort(b.get(), L"NumButtons", 3);
    Put(b.get(), L"ButtonCaptions", Str(L"A,B,C").get());
    PutShort(b.get(), L"DefaultButton", 3);
    EXPECT_EQ(GetText(a.get(), L"ButtonCaptions"), L"Yes,No"); // puts A's list back into the form

    std::vector<std::wstring> shown;
    EXPECT_EQ(windowless::Show<frmCustomMessage>(a.get(), [&](frmCustomMessage& f) {
                  for (auto* button : windowless::Buttons(f)) shown.push_back(button->Caption());
                  f.KeyDown(VK_RETURN, 0); // B's default button
              }).hr,
              S_OK);
    EXPECT_EQ(shown, (std::vector<std::wstring>{L"Yes", L"No", L"Yes"}));
    EXPECT_EQ(GetText(a.get(), L"ButtonResultCaption"), L"Yes");
    EXPECT_EQ(GetShort(a.get(), L"ButtonResultValue"), 3);

    // The close box: B takes over what A's dialog recorded in the form.
    EXPECT_EQ(windowless::Show<frmCustomMessage>(b.get(), [](frmCustomMessage& f) { f.Unload(); }).hr, S_OK);
    EXPECT_EQ(GetShort(b.get(), L"ButtonResultValue"), 3);
    EXPECT_FALSE(host::FormRef<frmCustomMessage>().Loaded());
}

TEST(CustomMessage, AnErrorInTheLoadEndsTheShow)
{
    // A list too long for the load, put through another object: the error
    // reaches the client, the form is unloaded and the results stay.
    ComPtr<IDispatch> a = New<CustomMessage>(), b = New<CustomMessage>();
    Put(a.get(), L"ButtonCaptions", Str(L"X").get());
    PutShort(a.get(), L"NumButtons", 1);
    Put(a.get(), L"ButtonResultValue", I2(7).get());
    Put(b.get(), L"ButtonCaptions", Str(std::wstring(40000, 'x')).get());
    ExpectError(windowless::Show<frmCustomMessage>(a.get(), [](frmCustomMessage&) { ADD_FAILURE() << "shown"; }), 6,
                L"VELDLG", L"Overflow");
    EXPECT_FALSE(host::FormRef<frmCustomMessage>().Loaded());
    EXPECT_EQ(GetShort(a.get(), L"ButtonResultValue"), 7);
}

} // namespace
