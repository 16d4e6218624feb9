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

constexpr wchar_t kSource[] = L"Custom Message", N[] = L"NumButtons", C[] = L"ButtonCaptions";
constexpr wchar_t kCount[] = L"Number of captions does not equal number of buttons";
constexpr wchar_t kRequired[] = L"Two required properties: \"NumButtons\" And \"ButtonCaption\" not set!";

// A message box whose button count matches its captions.
ComPtr<IDispatch> Box(const std::wstring& captions)
{
    ComPtr<IDispatch> o = New<CustomMessage>();
    Put(o.get(), C, Str(captions).get());
    PutShort(o.get(), N, static_cast<short>(CustomMessage::CountDelimitedWords(captions).value()));
    return o;
}

client::Outcome ShowUnseen(IDispatch* o)
{
    return windowless::Show<frmCustomMessage>(o, [](frmCustomMessage&) { ADD_FAILURE() << "shown"; });
}

TEST(CustomMessage, TheSecondOfTheTwoInputsIsCheckedAgainstTheFirst)
{
    const struct {
        std::vector<std::pair<const wchar_t*, Variant>> accepted;
        const wchar_t* member; // the refused put, or ShowForm when null
        Variant value;
        int error;
        const wchar_t* description;
        short numButtons;
        const wchar_t* captions;
    } cases[] = {
        {{{C, Str(L"Yes,No")}}, N, I2(1), 1, kCount, 0, L"Yes,No"},
        {{{N, I2(2)}, {C, Str(L"Yes,No")}}, C, Str(L"Yes,No,"), 1, kCount, 2, L"Yes,No"},
        {{{N, I2(4)}, {C, Str(L"")}}, nullptr, {}, 2, kRequired, 4, L""},
        {{{C, Str(L"A,B")}, {N, I2(0)}}, nullptr, {}, 2, kRequired, 0, L"A,B"},
        {{{N, I2(1)}}, C, Str(std::wstring(32768, 'x')), 6, L"Overflow", 1, L""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "case " << &c - cases);
        ComPtr<IDispatch> o = New<CustomMessage>();
        Put(o.get(), L"ButtonResultCaption", Str(L"kept").get());
        for (const auto& [member, value] : c.accepted) EXPECT_EQ(Put(o.get(), member, value.get()).hr, S_OK);
        const Outcome r = c.member ? Put(o.get(), c.member, c.value.get()) : ShowUnseen(o.get());
        ExpectError(r, c.error, c.error == 6 ? L"VELDLG" : kSource, c.description);
        EXPECT_EQ(GetShort(o.get(), N), c.numButtons);
        EXPECT_EQ(GetText(o.get(), C), c.captions);
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
        {L",Yes,,No,", 5, {{1, L""}, {2, L"Yes"}, {3, L""}, {4, L"No"}, {5, L""}}},
        {L" Yes , No ", 2, {{1, L" Yes "}, {2, L" No "}}},
        {L"A,B", 2, {{3, L"A"}, {4, L"B"}, {0, L"A"}, {-5, L"A"}}},
        {L"", 1, {{1, L""}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::PrintToString(std::wstring(c.list)));
        EXPECT_EQ(CustomMessage::CountDelimitedWords(c.list), c.count);
        for (const auto& [index, word] : c.words)
            EXPECT_EQ(frmCustomMessage::GetDelimitedWord(c.list, index, L","), word) << "word " << index;
    }
}

// Where the buttons stand, in twips, by number of buttons; seven and more
// keep the design's place.
const std::vector<std::pair<short, short>> kPlaces[] = {
    {{2167, 1440}},
    {{1275, 1440}, {3060, 1440}},
    {{382, 1440}, {2167, 1440}, {3952, 1440}},
    {{382, 1440}, {2167, 1440}, {3952, 1440}, {2167, 1920}},
    {{382, 1440}, {2167, 1440}, {3952, 1440}, {1275, 1920}, {3060, 1920}},
    {{382, 1440}, {2167, 1440}, {3952, 1440}, {382, 1920}, {2167, 1920}, {3952, 1920}},
    std::vector<std::pair<short, short>>(7, {300, 1920}),
};

TEST(CustomMessage, LayoutAndEveryWayOfEndingTheDialog)
{
    const struct {
        // key 0: a click on the last button, -1: the close box
        short buttons, defaultButton, cancelButton, key;
        const wchar_t* caption;
        short value;
    } cases[] = {
        {1, 0, 0, 0, L"A", 1},
        {2, 0, 0, 0, L"B", 2},
        {3, 0, 0, 0, L"C", 3},
        {4, 0, 0, 0, L"D", 4},
        {5, 0, 0, 0, L"E", 5},
        {6, 0, 0, 0, L"F", 6},
        {7, 0, 0, 0, L"G", 7},
        {3, 2, 3, VK_RETURN, L"B", 2},
        {3, 1, 3, VK_ESCAPE, L"C", 3},
        {3, 1, 2, VK_F2, L"B", 2},
        {3, 1, 2, -1, L"", 0},
        {3, 1, 0, VK_ESCAPE, L"", 0},
        {3, 1, 0, VK_F2, L"", 0},
        {3, 4, 0, VK_RETURN, L"", 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.buttons << " buttons, key " << c.key);
        // A thread of its own: its form has never recorded a press.
        std::thread([&] {
            const std::wstring list = std::wstring(L"A,B,C,D,E,F,G").substr(0, 2 * c.buttons - 1);
            ComPtr<IDispatch> o = Box(list);
            PutShort(o.get(), L"DefaultButton", c.defaultButton);
            PutShort(o.get(), L"Cancelbutton", c.cancelButton);
            Put(o.get(), L"Message", Str(L"Save & quit?").get());
            Put(o.get(), L"FormCaption", Str(L"Title").get());
            const Outcome r = windowless::Show<frmCustomMessage>(o.get(), [&](frmCustomMessage& f) {
                EXPECT_EQ(f.Caption() + L"|" + f.lblMsg.Caption(), L"Title|Save & quit?");
                EXPECT_EQ(f.Height(), c.buttons > 3 ? 2775 : 2295);
                const auto buttons = windowless::Buttons(f);
                ASSERT_EQ(buttons.size(), static_cast<size_t>(c.buttons));
                for (short i = 0; i < c.buttons; ++i) {
                    const host::CommandButton& b = *buttons[i];
                    const auto [left, top] = kPlaces[c.buttons - 1][i];
                    EXPECT_EQ(b.Caption(), list.substr(2 * i, 1)) << "button " << i + 1;
                    const RECT at = b.FormRect();
                    EXPECT_EQ(std::tuple(at.left, at.top, at.right - at.left, at.bottom - at.top),
                              std::tuple(left, top, 1635, 375))
                        << "button " << i + 1;
                }
                if (c.key > 0) f.KeyDown(c.key, 0);
                if (c.key == 0) buttons.back()->Press();
                if (f.Visible()) f.Unload();
            });
            EXPECT_EQ(r.hr, S_OK);
            EXPECT_EQ(GetText(o.get(), L"ButtonResultCaption"), c.caption);
            EXPECT_EQ(GetShort(o.get(), L"ButtonResultValue"), c.value);
        }).join();
    }
}

TEST(CustomMessage, ObjectsOfOneThreadShareTheirForm)
{
    ComPtr<IDispatch> a = Box(L"Yes,No"), b = Box(L"A,B,C");
    PutShort(b.get(), L"DefaultButton", 3);
    EXPECT_EQ(GetText(a.get(), C), L"Yes,No"); // puts A's list back into the form

    std::vector<std::wstring> shown;
    windowless::Show<frmCustomMessage>(a.get(), [&](frmCustomMessage& f) {
        for (auto* button : windowless::Buttons(f)) shown.push_back(button->Caption());
        f.KeyDown(VK_RETURN, 0); // B's default button
    });
    EXPECT_EQ(shown, (std::vector<std::wstring>{L"Yes", L"No", L"Yes"}));
    EXPECT_EQ(GetText(a.get(), L"ButtonResultCaption"), L"Yes");
    EXPECT_EQ(GetShort(a.get(), L"ButtonResultValue"), 3);

    // The close box: B takes over what A's dialog recorded in the form.
    EXPECT_EQ(windowless::Show<frmCustomMessage>(b.get(), [](frmCustomMessage& f) { f.Unload(); }).hr, S_OK);
    EXPECT_EQ(GetShort(b.get(), L"ButtonResultValue"), 3);

    // A list too long for the load, put through a third object: the error
    // reaches the client, the form is unloaded and A's results stay.
    Put(a.get(), L"ButtonResultValue", I2(7).get());
    Put(New<CustomMessage>().get(), C, Str(std::wstring(40000, 'x')).get());
    ExpectError(ShowUnseen(a.get()), 6, L"VELDLG", L"Overflow");
    EXPECT_FALSE(host::FormRef<frmCustomMessage>().Loaded());
    EXPECT_EQ(GetShort(a.get(), L"ButtonResultValue"), 7);
}

} // namespace
