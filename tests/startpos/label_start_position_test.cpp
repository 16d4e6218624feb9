// The label start position picker without windows: the size checks, the
// grid that Form_Load builds, and the column and row a pick reports.

#include "startpos/LabelStartPosition.h"
#include "startpos/frmStartPos.h"
#include "support/dialogs.h"
#include "support/windowless.h"

#include <gtest/gtest.h>

using namespace client;

static ComPtr<IDispatch> Sheet(short rows, short columns)
{
    ComPtr<IDispatch> o = windowless::New<LabelStartPosition>();
    PutShort(o.get(), L"NumRows", rows);
    PutShort(o.get(), L"NumColumns", columns);
    return o;
}

// Rows, columns and the error number (the texts are the manual's examples'),
// checked in this order; a refused show changes nothing.
TEST(LabelStartPosition, SizesAreCheckedInTheirOrder)
{
    const short cases[][3] = {{0, 11, 1}, {-1, 3, 1}, {21, 11, 2}, {1, 11, 3}};
    for (const auto& [rows, columns, error] : cases) {
        SCOPED_TRACE(testing::Message() << rows << " x " << columns);
        ComPtr<IDispatch> o = Sheet(rows, columns);
        PutShort(o.get(), L"StartColumn", 4);
        const auto before = reliability::Snapshot(o.get());
        const Outcome r = windowless::Show<frmStartPos>(o.get(), [](frmStartPos&) { ADD_FAILURE(); });
        EXPECT_EQ(std::tuple(r.number(), r.source), std::tuple(error, L"Label Start Position"));
        EXPECT_EQ(reliability::Snapshot(o.get()), before);
    }
}

// Rows, columns, the window's width and height, the button pressed (empty:
// the close box), the column and row reported; every button's caption, tag,
// name, tool tip and place.
TEST(LabelStartPosition, TheGridHasOneButtonPerLabelAndAPickReportsIt)
{
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
            for (short i = 1; i <= c.rows * c.columns; ++i) { // by column, then row
                const auto& b = f.cmdStartPos(i);
                const int column = (i - 1) / c.rows + 1, row = (i - 1) % c.rows + 1;
                const std::wstring x = std::to_wstring(column), y = std::to_wstring(row);
                EXPECT_EQ(b.Caption() + L"|" + b.Tag() + L"|" + b.AccessibleName() + L"|" + b.ToolTipText(),
                          x + L", " + y + L"|" + y + L"|Column " + x + L", Row " + y +
                              L"|Click this button to start at Column: " + x + L" & Row: " + y);
                const RECT at = b.FormRect();
                EXPECT_EQ(std::tuple(at.left, at.top, at.right - at.left, at.bottom - at.top),
                          std::tuple(column * 1120 - 1000, row * 420 - 300, 1000, 300));
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
