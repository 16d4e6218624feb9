// The class and its form side by side, in this process: a show whose layout
// overflows leaves the form's own values as they were.

#include "host/thread_forms.h"
#include "startpos/LabelStartPosition.h"
#include "startpos/frmStartPos.h"
#include "support/com_client.h"

#include <gtest/gtest.h>

#include <thread>

namespace {

using client::Bstr;
using client::ComPtr;

ComPtr<_LabelStartPosition> NewPicker()
{
    ComPtr<_LabelStartPosition> o;
    EXPECT_EQ(veldlg::CreateInstance<LabelStartPosition>(IID__LabelStartPosition, o.put_void()), S_OK);
    return o;
}

TEST(FrmStartPos, OverflowLeavesTheFormsValuesAsTheyWere)
{
    // A thread of its own, so that the form is new.
    std::thread fresh([] {
        client::Apartment apartment;
        ComPtr<_LabelStartPosition> shown = NewPicker();
        ASSERT_EQ(shown->put_NumRows(3), S_OK);
        ASSERT_EQ(shown->put_NumColumns(2), S_OK);
        ComPtr<_LabelStartPosition> smuggler = NewPicker();
        ASSERT_EQ(smuggler->put_NumRows(100), S_OK);
        ASSERT_EQ(smuggler->put_FormCaption(Bstr(L"kept").get()), S_OK);
        frmStartPos& form = host::FormRef<frmStartPos>();
        // The pick of an earlier show, still in the form.
        form.StartColumn(2);
        form.StartRow(3);

        EXPECT_EQ(shown->ShowForm(), veldlg::ErrorNumberResult(6));
        EXPECT_EQ(form.StartColumn().value(), 2);
        EXPECT_EQ(form.StartRow().value(), 3);
        EXPECT_EQ(form.NumRows().value(), 100);
        EXPECT_EQ(form.NumColumns().value(), 2);
        EXPECT_EQ(form.FormCaption(), L"kept");
        EXPECT_FALSE(form.Loaded()) << "the failed load left a window";
    });
    fresh.join();
}

} // namespace
