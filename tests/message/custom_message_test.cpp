// The custom message box without windows: the checked puts, the layout
// that Form_Load makes, and what each way of ending the dialog reports.

#include "message/CustomMessage.h"
#include "message/frmCustomMessage.h"
#include "support/dialogs.h"
#include "support/windowless.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <thread>

using namespace client;

constexpr wchar_t N[] = L"NumButtons", C[] = L"ButtonCaptions";
constexpr wchar_t kCount[] = L"Number of captions does not equal number of buttons";
constexpr wchar_t kRequired[] = L"Two required properties: \"NumButtons\" And \"ButtonCaption\" not set!";

// A message box with these captions and as many buttons.
static ComPtr<IDispatch> Box(const std::wstring& captions, short buttons)
{
    ComPtr<IDispatch> o = windowless::New<CustomMessage>();
    Put(o.get(), C, Str(captions).get());
    PutShort(o.get(), N, buttons);
    return o;
}

// What a shown dialog left: "caption|value".
static std::wstring Result(IDispatch* o)
{
    return GetText(o, L"ButtonResultCaption") + L"|" + std::to_wstring(GetShort(o, L"ButtonResultValue"));
}

// The puts taken, then the put refused (null: the show), with its error; a
// refused call leaves every property as it was.
TEST(CustomMessage, TheSecondOfTheTwoInputsIsCheckedAgainstTheFirst)
{
    const std::tuple<std::vector<std::pair<const wchar_t*, Variant>>, const wchar_t*, Variant, int, const wchar_t*>
        cases[] = {
            {{{C, Str(L"Yes,No")}}, N, I2(1), 1, kCount},
            {{{N, I2(2)}, {C, Str(L"Yes,No")}}, C, Str(L"Yes,No,"), 1, kCount},
            {{{N, I2(4)}, {C, Str(L"")}}, nullptr, {}, 2, kRequired},
            {{{C, Str(L"A,B")}, {N, I2(0)}}, nullptr, {}, 2, kRequired},
            {{{N, I2(1)}}, C, Str(std::wstring(32768, 'x')), 6, L"Overflow"},
        };
    for (const auto& [accepted, member, value, error, description] : cases) {
        SCOPED_TRACE(testing::Message() << "case " << &accepted - &std::get<0>(cases[0]));
        ComPtr<IDispatch> o = windowless::New<CustomMessage>();
        for (const auto& [name, v] : accepted) EXPECT_EQ(Put(o.get(), name, v.get()).hr, S_OK);
        const auto before = reliability::Snapshot(o.get());
        const Outcome r = member ? Put(o.get(), member, value.get())
                                 : windowless::Show<frmCustomMessage>(o.get(), [](auto&) { ADD_FAILURE(); });
        ExpectError(r, error, error == 6 ? L"VELDLG" : L"Custom Message", description);
        EXPECT_EQ(reliability::Snapshot(o.get()), before);
    }
}

// Where the buttons of a row of one, two or three stand, in twips.
constexpr short kLefts[3][3] = {{2167}, {1275, 3060}, {382, 2167, 3952}};

// The buttons, the default and the cancel button, the key (0: a click on the
// last button, -1: the close box), the result; each on a thread of its own,
// whose form has never recorded a press.
TEST(CustomMessage, LayoutAndEveryWayOfEndingTheDialog)
{
    const struct { short buttons, defaultButton, cancelButton, key; const wchar_t* result; } cases[] = {
        {1, 0, 0, 0, L"A|1"}, {2, 0, 0, 0, L"B|2"}, {3, 0, 0, 0, L"C|3"}, {4, 0, 0, 0, L"D|4"},
        {5, 0, 0, 0, L"E|5"}, {6, 0, 0, 0, L"F|6"}, {7, 0, 0, 0, L"G|7"}, {3, 2, 3, VK_RETURN, L"B|2"},
        {3, 1, 3, VK_ESCAPE, L"C|3"}, {3, 1, 2, VK_F2, L"B|2"}, {3, 1, 2, -1, L"|0"},
        {3, 1, 0, VK_ESCAPE, L"|0"}, {3, 1, 0, VK_F2, L"|0"}, {3, 4, 0, VK_RETURN, L"|0"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.buttons << " buttons, key " << c.key);
        std::thread([&] {
            const std::wstring list = std::wstring(L"A,B,C,D,E,F,G").substr(0, 2 * c.buttons - 1);
            ComPtr<IDispatch> o = Box(list, c.buttons);
            PutShort(o.get(), L"DefaultButton", c.defaultButton);
            PutShort(o.get(), L"Cancelbutton", c.cancelButton);
            Put(o.get(), L"Message", Str(L"Save & quit?").get());
            Put(o.get(), L"FormCaption", Str(L"Title").get());
            EXPECT_EQ(windowless::Show<frmCustomMessage>(o.get(), [&](frmCustomMessage& f) {
                EXPECT_EQ(f.Caption() + L"|" + f.lblMsg.Caption(), L"Title|Save & quit?");
                EXPECT_EQ(f.Height(), c.buttons > 3 ? 2775 : 2295);
                const auto shown = windowless::Buttons(f);
                ASSERT_EQ(shown.size(), static_cast<size_t>(c.buttons));
                for (short i = 0; i < c.buttons; ++i) { // seven and more keep the design's place
                    const int inRow = i < 3 ? std::min<int>(c.buttons, 3) : c.buttons - 3;
                    const RECT at = shown[i]->FormRect();
                    const short left = c.buttons > 6 ? 300 : kLefts[inRow - 1][i % 3];
                    EXPECT_EQ(std::tuple(shown[i]->Caption(), at.left, at.top, at.right - at.left, at.bottom - at.top),
                              std::tuple(list.substr(2 * i, 1), left, c.buttons > 6 || i > 2 ? 1920 : 1440, 1635, 375));
                }
                if (c.key > 0) f.KeyDown(c.key, 0);
                if (c.key == 0) shown.back()->Press();
                if (f.Visible()) f.Unload();
            }).hr, S_OK);
            EXPECT_EQ(Result(o.get()), c.result);
        }).join();
    }
}

TEST(CustomMessage, ObjectsOfOneThreadShareTheirForm)
{
    ComPtr<IDispatch> a = Box(L"Yes,No", 2), b = Box(L"A,B,C", 3);
    PutShort(b.get(), L"DefaultButton", 3);
    EXPECT_EQ(GetText(a.get(), C), L"Yes,No"); // puts A's list back into the form
    std::wstring shown;
    windowless::Show<frmCustomMessage>(a.get(), [&](frmCustomMessage& f) {
        for (auto* button : windowless::Buttons(f)) shown += button->Caption() + L" ";
        f.KeyDown(VK_RETURN, 0); // B's default button
    });
    EXPECT_EQ(shown, L"Yes No Yes ");
    EXPECT_EQ(Result(a.get()), L"Yes|3");
    // The close box: B takes over what A's dialog recorded in the form.
    EXPECT_EQ(windowless::Show<frmCustomMessage>(b.get(), [](frmCustomMessage& f) { f.Unload(); }).hr, S_OK);
    EXPECT_EQ(Result(b.get()), L"Yes|3");
}
