// The class and its form side by side, in this process: what each put
// writes into the thread's form, and what a show leaves in the form's own
// values, a show that overflows included.

#include "host/thread_forms.h"
#include "startpos/LabelStartPosition.h"
#include "startpos/frmStartPos.h"
#include "support/com_client.h"
#include "support/robot.h"

#include <gtest/gtest.h>

#include <functional>
#include <thread>

namespace {

using client::Apartment;
using client::Bstr;
using client::ComPtr;

ComPtr<_LabelStartPosition> NewPicker()
{
    ComPtr<_LabelStartPosition> o;
    EXPECT_EQ(veldlg::CreateInstance<LabelStartPosition>(IID__LabelStartPosition, o.put_void()), S_OK);
    return o;
}

// Each case on a thread of its own, so that it starts from a new form.
void OnFreshThread(const std::function<void()>& body)
{
    std::thread t([&] {
        Apartment apartment;
        body();
    });
    t.join();
}

TEST(FrmStartPos, PutsReachTheFormAtOnceWithoutLoadingIt)
{
    OnFreshThread([] {
        ComPtr<_LabelStartPosition> o = NewPicker();
        ASSERT_EQ(o->put_NumRows(-4), S_OK);
        frmStartPos& form = host::FormRef<frmStartPos>();
        EXPECT_EQ(form.NumRows(), -4);
        ASSERT_EQ(o->put_NumColumns(99), S_OK);
        EXPECT_EQ(form.NumColumns(), 99);
        ASSERT_EQ(o->put_FormCaption(Bstr(L"Labels").get()), S_OK);
        EXPECT_EQ(form.FormCaption(), L"Labels");
        // The results are the object's alone until a show.
        ASSERT_EQ(o->put_StartColumn(3), S_OK);
        ASSERT_EQ(o->put_StartRow(2), S_OK);
        EXPECT_EQ(form.StartColumn(), 0);
        EXPECT_EQ(form.StartRow(), 0);
        EXPECT_FALSE(form.Loaded());
        EXPECT_FALSE(form.Window());
    });
}

TEST(FrmStartPos, OverflowLeavesTheFormsValuesAsTheyWere)
{
    OnFreshThread([] {
        ComPtr<_LabelStartPosition> shown = NewPicker();
        ASSERT_EQ(shown->put_NumRows(3), S_OK);
        ASSERT_EQ(shown->put_NumColumns(2), S_OK);
        ComPtr<_LabelStartPosition> smuggler = NewPicker();
        ASSERT_EQ(smuggler->put_NumRows(100), S_OK);
        ASSERT_EQ(smuggler->put_FormCaption(Bstr(L"kept").get()), S_OK);
        frmStartPos& form = host::FormRef<frmStartPos>();
        // A pick of an earlier show, still in the form.
        form.StartColumn(2);
        form.StartRow(3);

        EXPECT_EQ(shown->ShowForm(), veldlg::ErrorNumberResult(6));
        EXPECT_EQ(form.StartColumn(), 2);
        EXPECT_EQ(form.StartRow(), 3);
        EXPECT_EQ(form.NumRows(), 100);
        EXPECT_EQ(form.NumColumns(), 2);
        EXPECT_EQ(form.FormCaption(), L"kept");
        EXPECT_FALSE(form.Loaded()) << "the failed load left a window";
    });
}

TEST(FrmStartPos, ShowLeavesThePickInTheFormAndUnloadsIt)
{
    OnFreshThread([] {
        ComPtr<_LabelStartPosition> o = NewPicker();
        ASSERT_EQ(o->put_NumRows(4), S_OK);
        ASSERT_EQ(o->put_NumColumns(3), S_OK);
        frmStartPos& form = host::FormRef<frmStartPos>();
        robot::WithDialog([&] { EXPECT_EQ(o->ShowForm(), S_OK); },
                          [](HWND dialog) {
                              EXPECT_EQ(robot::Text(dialog), L"Select Starting Position COLUMN, ROW");
                              robot::Click(robot::Child(dialog, L"3, 4", L"Button"));
                          });
        EXPECT_FALSE(form.Loaded());
        EXPECT_EQ(form.StartColumn(), 3);
        EXPECT_EQ(form.StartRow(), 4);
        short column = 0, row = 0;
        EXPECT_EQ(o->get_StartColumn(&column), S_OK);
        EXPECT_EQ(o->get_StartRow(&row), S_OK);
        EXPECT_EQ(column, 3);
        EXPECT_EQ(row, 4);
        // Hidden and unloaded, the form keeps what it was given.
        EXPECT_EQ(form.NumRows(), 4);
        EXPECT_EQ(form.NumColumns(), 3);
        EXPECT_EQ(form.Caption(), L"Select Starting Position COLUMN, ROW");

        // The next load resets the pick; the close box leaves it so.
        robot::WithDialog([&] { EXPECT_EQ(o->ShowForm(), S_OK); },
                          [](HWND dialog) { robot::ClickCloseBox(dialog); });
        EXPECT_EQ(form.StartColumn(), 0);
        EXPECT_EQ(form.StartRow(), 0);
    });
}

} // namespace
