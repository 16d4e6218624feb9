// The custom message box as a user meets it: the real window, its layout in
// pixels from the twips of the design, and the dialog ended by a click, a
// key or the close box through the real input queue.

#include "support/com_client.h"
#include "support/robot.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <thread>
#include <vector>

namespace {

using namespace client;

constexpr wchar_t kProgId[] = L"VELDLG.CustomMessage";

struct Place {
    int left, top;
};

// The layout table of the form, in twips: button places by button count.
const std::vector<Place> kPlaces[] = {
    {},
    {{2167, 1440}},
    {{1275, 1440}, {3060, 1440}},
    {{382, 1440}, {2167, 1440}, {3952, 1440}},
    {{382, 1440}, {2167, 1440}, {3952, 1440}, {2167, 1920}},
    {{382, 1440}, {2167, 1440}, {3952, 1440}, {1275, 1920}, {3060, 1920}},
    {{382, 1440}, {2167, 1440}, {3952, 1440}, {382, 1920}, {2167, 1920}, {3952, 1920}},
};

class MessageDialogTest : public testing::Test {
protected:
    Apartment apartment;
};

std::wstring ResultCaption(IDispatch* o)
{
    const Outcome r = Get(o, L"ButtonResultCaption");
    EXPECT_EQ(r.value.vt(), VT_BSTR) << "ButtonResultCaption subtype";
    return r.value.vt() == VT_BSTR ? std::wstring(Bstr::View(V_BSTR(&r.value.get()))) : L"<not a string>";
}

short ResultValue(IDispatch* o)
{
    const Outcome r = Get(o, L"ButtonResultValue");
    EXPECT_EQ(r.value.vt(), VT_I2) << "ButtonResultValue subtype";
    return V_I2(&r.value.get());
}

void PutInputs(IDispatch* o, short n, const wchar_t* captions, short defaultButton = 0, short cancelButton = 0,
               const wchar_t* message = L"", const wchar_t* caption = L"")
{
    ASSERT_EQ(Put(o, L"NumButtons", I2(n).get()).hr, S_OK);
    ASSERT_EQ(Put(o, L"ButtonCaptions", Str(captions).get()).hr, S_OK);
    ASSERT_EQ(Put(o, L"DefaultButton", I2(defaultButton).get()).hr, S_OK);
    ASSERT_EQ(Put(o, L"Cancelbutton", I2(cancelButton).get()).hr, S_OK);
    ASSERT_EQ(Put(o, L"Message", Str(message).get()).hr, S_OK);
    ASSERT_EQ(Put(o, L"FormCaption", Str(caption).get()).hr, S_OK);
}

void Show(IDispatch* o, const std::function<void(HWND)>& act)
{
    robot::WithDialog([&] { EXPECT_EQ(Call(o, L"ShowForm").hr, S_OK); }, act);
}

// Every button in its place, the window as high as the table says.
void ExpectLayout(HWND dialog, size_t n, const std::vector<std::wstring>& captions)
{
    const std::vector<HWND> buttons = robot::Children(dialog, L"Button");
    ASSERT_EQ(buttons.size(), n);
    const int expectedHeight = robot::Px(dialog, n > 3 ? 2775 : 2295);
    EXPECT_EQ(robot::OuterSize(dialog).cy, expectedHeight);
    EXPECT_EQ(robot::ClientSize(dialog).cx, robot::Px(dialog, 6015));
    for (size_t i = 0; i < n; ++i) {
        SCOPED_TRACE(testing::Message() << "button " << i + 1);
        const Place p = n <= 6 ? kPlaces[n][i] : Place{300, 1920};
        const RECT r = robot::PlaceIn(buttons[i], dialog);
        EXPECT_EQ(r.left, robot::Px(dialog, p.left));
        EXPECT_EQ(r.top, robot::Px(dialog, p.top));
        EXPECT_EQ(r.right - r.left, robot::Px(dialog, 1635));
        EXPECT_EQ(r.bottom - r.top, robot::Px(dialog, 375));
        if (i < captions.size()) {
            EXPECT_EQ(robot::Text(buttons[i]), captions[i]);
        }
    }
}

TEST_F(MessageDialogTest, LayoutForOneToSevenButtons)
{
    const wchar_t* lists[] = {L"A", L"A,B", L"A,B,C", L"A,B,C,D", L"A,B,C,D,E", L"A,B,C,D,E,F", L"A,B,C,D,E,F,G"};
    for (size_t n = 1; n <= 7; ++n) {
        SCOPED_TRACE(testing::Message() << n << " buttons");
        ComPtr<IDispatch> o = Create(kProgId);
        PutInputs(o.get(), static_cast<short>(n), lists[n - 1], 0, 0, L"The message", L"The title");
        std::vector<std::wstring> captions;
        for (size_t i = 0; i < n; ++i) captions.push_back(std::wstring(1, static_cast<wchar_t>(L'A' + i)));
        Show(o.get(), [&](HWND dialog) {
            EXPECT_EQ(robot::Text(dialog), L"The title");
            EXPECT_TRUE(robot::Child(dialog, L"The message", L"Static"));
            ExpectLayout(dialog, n, captions);
            robot::Click(robot::Children(dialog, L"Button").front());
        });
        // Seven buttons lie on one another: the click lands on the topmost.
        EXPECT_EQ(ResultValue(o.get()), 1);
    }
}

enum class Act { ClickButton, Enter, Escape, F2, CloseBox, AccessKey };

struct EndCase {
    const char* name;
    const wchar_t* captions;
    short defaultButton, cancelButton;
    Act act;
    int button; // for a click; the key for an access key
    const wchar_t* caption;
    short value;
};

TEST_F(MessageDialogTest, EndedByClickKeysOrCloseBox)
{
    const EndCase cases[] = {
        {"click the second", L"Yes,No,Cancel", 0, 0, Act::ClickButton, 2, L"No", 2},
        {"click the third of six", L"1,2,3,4,5,6", 0, 0, Act::ClickButton, 3, L"3", 3},
        {"click the fifth of five", L"1,2,3,4,5", 0, 0, Act::ClickButton, 5, L"5", 5},
        {"Enter on the default", L"Yes,No,Cancel", 2, 3, Act::Enter, 0, L"No", 2},
        {"Escape on the cancel", L"Yes,No,Cancel", 2, 3, Act::Escape, 0, L"Cancel", 3},
        {"F2 on the cancel", L"Yes,No,Cancel", 2, 3, Act::F2, 0, L"Cancel", 3},
        {"F2 on a cancel in the second row", L"A,B,C,D", 0, 4, Act::F2, 0, L"D", 4},
        {"an empty caption", L"Yes,,No", 0, 0, Act::ClickButton, 2, L"", 2},
        {"an access key", L"&Yes,&No", 0, 0, Act::AccessKey, 'N', L"&No", 2},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ComPtr<IDispatch> o = Create(kProgId);
        short n = 1;
        for (const wchar_t* p = c.captions; *p; ++p) n = static_cast<short>(n + (*p == L','));
        PutInputs(o.get(), n, c.captions, c.defaultButton, c.cancelButton);
        Show(o.get(), [&](HWND dialog) {
            switch (c.act) {
            case Act::ClickButton: robot::Click(robot::Children(dialog, L"Button")[c.button - 1]); break;
            case Act::Enter: robot::Press(VK_RETURN); break;
            case Act::Escape: robot::Press(VK_ESCAPE); break;
            case Act::F2: robot::Press(VK_F2); break;
            case Act::CloseBox: robot::ClickCloseBox(dialog); break;
            case Act::AccessKey: robot::Press(static_cast<WORD>(c.button), {VK_MENU}); break;
            }
        });
        EXPECT_EQ(ResultCaption(o.get()), c.caption);
        EXPECT_EQ(ResultValue(o.get()), c.value);
    }
}

TEST_F(MessageDialogTest, WithoutACancelButtonEscapeAndF2DoNothing)
{
    const short cancels[] = {0, 4, -1};
    for (short cancel : cancels) {
        SCOPED_TRACE(testing::Message() << "Cancelbutton " << cancel);
        ComPtr<IDispatch> o = Create(kProgId);
        PutInputs(o.get(), 3, L"Yes,No,Cancel", 0, cancel);
        Show(o.get(), [&](HWND dialog) {
            robot::Press(VK_ESCAPE);
            robot::Press(VK_F2);
            robot::Settle(dialog);
            EXPECT_TRUE(IsWindowVisible(dialog)) << "the keys ended the dialog";
            robot::Click(robot::Child(dialog, L"Yes", L"Button"));
        });
        EXPECT_EQ(ResultValue(o.get()), 1);
    }
}

TEST_F(MessageDialogTest, DefaultAndCancelMarkTheButtons)
{
    ComPtr<IDispatch> o = Create(kProgId);
    PutInputs(o.get(), 3, L"Yes,No,Cancel", 2, 3);
    Show(o.get(), [&](HWND dialog) {
        const HWND no = robot::Child(dialog, L"No", L"Button");
        EXPECT_TRUE(SendMessageW(no, WM_GETDLGCODE, 0, 0) & DLGC_DEFPUSHBUTTON) << "No is not the default button";
        GUITHREADINFO gui{sizeof gui};
        GetGUIThreadInfo(GetWindowThreadProcessId(dialog, nullptr), &gui);
        EXPECT_EQ(gui.hwndFocus, no) << "the default button has the focus";
        robot::Press(VK_ESCAPE);
    });
    EXPECT_EQ(ResultValue(o.get()), 3);
}

TEST_F(MessageDialogTest, CloseBoxKeepsWhatTheFormHeld)
{
    // On a thread that never pressed a button the results are "" and 0.
    std::thread fresh([] {
        Apartment apartment;
        ComPtr<IDispatch> o = Create(kProgId);
        PutInputs(o.get(), 2, L"Yes,No");
        Show(o.get(), [](HWND dialog) { robot::ClickCloseBox(dialog); });
        EXPECT_EQ(ResultCaption(o.get()), L"");
        EXPECT_EQ(ResultValue(o.get()), 0);

        // After a press, closing gives that press again, to any object.
        Show(o.get(), [](HWND dialog) { robot::Click(robot::Child(dialog, L"No", L"Button")); });
        ComPtr<IDispatch> other = Create(kProgId);
        PutInputs(other.get(), 1, L"OK");
        Show(other.get(), [](HWND dialog) { robot::ClickCloseBox(dialog); });
        EXPECT_EQ(ResultCaption(other.get()), L"No");
        EXPECT_EQ(ResultValue(other.get()), 2);
    });
    fresh.join();
}

TEST_F(MessageDialogTest, TwoObjectsOnOneThreadShareTheForm)
{
    ComPtr<IDispatch> a = Create(kProgId);
    ComPtr<IDispatch> b = Create(kProgId);
    PutInputs(a.get(), 2, L"Yes,No");
    PutInputs(b.get(), 3, L"A,B,C");
    // A passes its own checks but shows B's three buttons.
    Show(a.get(), [](HWND dialog) {
        ExpectLayout(dialog, 3, {L"A", L"B", L"C"});
        robot::Click(robot::Child(dialog, L"C", L"Button"));
    });
    EXPECT_EQ(ResultCaption(a.get()), L"C");

    // Reading A's list puts it back: three buttons, the third counted on
    // from the first caption.
    ASSERT_EQ(Get(a.get(), L"ButtonCaptions").hr, S_OK);
    Show(a.get(), [](HWND dialog) {
        ExpectLayout(dialog, 3, {L"Yes", L"No", L"Yes"});
        robot::Click(robot::Children(dialog, L"Button")[2]);
    });
    EXPECT_EQ(ResultCaption(a.get()), L"Yes");
    EXPECT_EQ(ResultValue(a.get()), 3);
}

TEST_F(MessageDialogTest, SecondShowRebuildsButtonsAndKeepsDefaultAndCancel)
{
    ComPtr<IDispatch> o = Create(kProgId);
    PutInputs(o.get(), 3, L"A,B,C", 2, 2, L"first", L"first");
    Show(o.get(), [](HWND dialog) {
        ExpectLayout(dialog, 3, {L"A", L"B", L"C"});
        robot::Press(VK_RETURN);
    });
    EXPECT_EQ(ResultValue(o.get()), 2);

    ComPtr<IDispatch> second = Create(kProgId);
    ASSERT_EQ(Put(second.get(), L"NumButtons", I2(2).get()).hr, S_OK);
    ASSERT_EQ(Put(second.get(), L"ButtonCaptions", Str(L"X,Y").get()).hr, S_OK);
    Show(second.get(), [](HWND dialog) {
        ExpectLayout(dialog, 2, {L"X", L"Y"});
        // The title and message put for the first show are still there.
        EXPECT_EQ(robot::Text(dialog), L"first");
        robot::Press(VK_ESCAPE);
    });
    EXPECT_EQ(ResultCaption(second.get()), L"Y");
}

TEST_F(MessageDialogTest, NothingPutShowsEmptyTexts)
{
    std::thread fresh([] {
        Apartment apartment;
        ComPtr<IDispatch> o = Create(kProgId);
        ASSERT_EQ(Put(o.get(), L"NumButtons", I2(1).get()).hr, S_OK);
        ASSERT_EQ(Put(o.get(), L"ButtonCaptions", Str(L"OK").get()).hr, S_OK);
        Show(o.get(), [](HWND dialog) {
            EXPECT_EQ(robot::Text(dialog), L"");
            const std::vector<HWND> labels = robot::Children(dialog, L"Static");
            ASSERT_EQ(labels.size(), 1u);
            EXPECT_EQ(robot::Text(labels[0]), L"");
            robot::Press(VK_SPACE);
        });
        EXPECT_EQ(ResultCaption(o.get()), L"OK");
    });
    fresh.join();
}

TEST_F(MessageDialogTest, ZeroButtonsFromAnotherObjectLeaveOnlyTheCloseBox)
{
    ComPtr<IDispatch> a = Create(kProgId);
    ComPtr<IDispatch> b = Create(kProgId);
    PutInputs(a.get(), 1, L"OK");
    ASSERT_EQ(Put(b.get(), L"NumButtons", I2(0).get()).hr, S_OK);
    Show(a.get(), [](HWND dialog) {
        EXPECT_TRUE(robot::Children(dialog, L"Button").empty());
        robot::ClickCloseBox(dialog);
    });
}

} // namespace
