// The label start position picker without windows: the size checks, the
// grid that Form_Load builds, and the column and row a pick reports.

#include "startpos/LabelStartPosition.h"
#include "startpos/frmStartPos.h"
#include "support/dialogs.h"
#include "support/windowless.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using namespace client;
using windowless::New;

ComPtr<IDispatch> Sheet(short rows, short columns)
{
    ComPtr<IDispatch> o = New<LabelStartPosition>();
    PutShort(o.get(), L"NumRows", rows);
    PutShort(o.get(), L"NumColumns", columns);
    return o;
}

TEST(LabelStartPosition, SizesAreCheckedInTheirOrderAndARefusedShowChangesNothing)
{
    const wchar_t* errors[] = {L"Properties: \"NumRows\" And \"NumColumns\" require a value greater than 0!",
                               L"Property: \"NumRows\" cannot be greater than 20!",
                               L"Property: \"NumColumns\" cannot be greater than 10!"};
    const short cases[][3] = {{0, 11, 1}, {-1, 3, 1}, {21, 11, 2}, {1, 11, 3}}; // rows, columns, error
    for (const auto& [rows, columns, error] : cases) {
        SCOPED_TRACE(testing::Message() << rows << " x " << columns);
        ComPtr<IDispatch> o = Sheet(rows, columns);
        PutShort(o.get(), L"StartColumn", 4);
        const auto before = reliability::Snapshot(o.get());
        ExpectError(windowless::Show<frmStartPos>(o.get(), [](frmStartPos&) { ADD_FAILURE() << "shown"; }),
                    error, L"Label Start Position", errors[error - 1]);
        EXPECT_EQ(reliability::Snapshot(o.get()), before);
    }
}

// Every button's caption, tag, name, tool tip and place; the window's size.
TEST(LabelStartPosition, TheGridHasOneButtonPerLabelAndAPickReportsIt)
{
    // Rows, columns, the window's width and height, the button pressed
    // (empty: the close box), the column and row reported.
    const struct { short rows, columns, width, height; const wchar_t* button; short column, row; } cases[] = {
        {1, 1, 1370, 920, L"1, 1", 1, 1}, {3, 2, 2490, 1760, L"2, 3", 2, 3}, {3, 2, 2490, 1760, L"2, 1", 2, 1},
        {20, 10, 11450, 8900, L"10, 20", 10, 20}, {20, 10, 11450, 8900, L"7, 13", 7, 13}, {4, 3, 3610, 2180, L"", 0, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::PrintToString(std::wstring(c.button)));
        ComPtr<IDispatch> o = Sheet(c.rows, c.columns);
        PutShort(o.get(), L"StartRow", 9);
        windowless::Show<frmStartPos>(o.get(), [&](frmStartPos& f) {
            EXPECT_EQ(std::pair(f.Width().value(), f.Height().value()), std::pair(c.width, c.height));
            EXPECT_EQ(windowless::Buttons(f).size(), static_cast<size_t>(c.rows * c.columns));
            for (short column = 1; column <= c.columns; ++column) {
                for (short row = 1; row <= c.rows; ++row) {
                    const auto& b = f.cmdStartPos(static_cast<short>((column - 1) * c.rows + row));
                    const std::wstring x = std::to_wstring(column), y = std::to_wstring(row);
                    EXPECT_EQ(b.Caption() + L"|" + b.Tag() + L"|" + b.AccessibleName() + L"|" + b.ToolTipText(),
                              x + L", " + y + L"|" + y + L"|Column " + x + L", Row " + y +
                                  L"|Click this button to start at Column: " + x + L" & Row: " + y);
                    const RECT at = b.FormRect();
                    EXPECT_EQ(std::tuple(at.left, at.top, at.right - at.left, at.bottom - at.top),
                              std::tuple(column * 1120 - 1000, row * 420 - 300, 1000, 300));
                }
            }
            if (*c.button) windowless::Press(f, c.button);
            if (f.Visible()) f.Unload();
        });
        EXPECT_EQ(std::pair(GetShort(o.get(), L"StartColumn"), GetShort(o.get(), L"StartRow")),
                  std::pair(c.column, c.row));
    }
}

TEST(LabelStartPosition, ObjectsOfOneThreadShareTheGridAndCaption)
{
    ComPtr<IDispatch> a = Sheet(2, 2), b = Sheet(4, 1);
    Put(b.get(), L"FormCaption", Str(L"Labels").get());
    std::wstring seen; // the caption and the number of buttons
    const auto look = [&](frmStartPos& f) {
        seen = f.Caption() + L"|" + std::to_wstring(windowless::Buttons(f).size());
        f.Unload();
    };
    windowless::Show<frmStartPos>(a.get(), look);
    EXPECT_EQ(seen, L"Labels|4");
    EXPECT_EQ(GetText(a.get(), L"FormCaption"), L"");
    Put(a.get(), L"FormCaption", Str(L"").get());
    windowless::Show<frmStartPos>(b.get(), look);
    EXPECT_EQ(seen, L"Select Starting Position COLUMN, ROW|4");
}

} // namespace
