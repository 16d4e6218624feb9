// The label start position picker without windows: the size checks, the
// grid that Form_Load builds, and the column and row a pick reports.

#include "startpos/LabelStartPosition.h"
#include "startpos/frmStartPos.h"
#include "support/windowless.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using namespace client;
using windowless::New;

constexpr wchar_t kSource[] = L"Label Start Position";
constexpr wchar_t kTooSmall[] = L"Properties: \"NumRows\" And \"NumColumns\" require a value greater than 0!";
constexpr wchar_t kTooManyRows[] = L"Property: \"NumRows\" cannot be greater than 20!";
constexpr wchar_t kTooManyColumns[] = L"Property: \"NumColumns\" cannot be greater than 10!";

ComPtr<IDispatch> Sheet(short rows, short columns)
{
    ComPtr<IDispatch> o = New<LabelStartPosition>();
    PutShort(o.get(), L"NumRows", rows);
    PutShort(o.get(), L"NumColumns", columns);
    return o;
}

std::wstring Text(int n)
{
    return std::to_wstring(n);
}

TEST(LabelStartPosition, SizesAreCheckedInTheirOrder)
{
    const struct {
        short rows, columns;
        int error;
        const wchar_t* description;
    } cases[] = {
        {0, 11, 1, kTooSmall}, {5, 0, 1, kTooSmall},        {-1, 3, 1, kTooSmall},         {21, 11, 2, kTooManyRows},
        {21, 1, 2, kTooManyRows}, {1, 11, 3, kTooManyColumns}, {20, 10, 0, nullptr},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.rows << " x " << c.columns);
        ComPtr<IDispatch> o = Sheet(c.rows, c.columns);
        PutShort(o.get(), L"StartColumn", 4);
        const Outcome r = windowless::Show<frmStartPos>(o.get(), [](frmStartPos& f) { f.cmdStartPos(1).Press(); });
        if (c.error) {
            ExpectError(r, c.error, kSource, c.description);
            EXPECT_EQ(GetShort(o.get(), L"StartColumn"), 4);
        } else {
            EXPECT_EQ(r.hr, S_OK);
            EXPECT_EQ(GetShort(o.get(), L"StartColumn"), 1);
        }
    }
}

TEST(LabelStartPosition, TheGridHasOneButtonPerLabel)
{
    const struct {
        short rows, columns, width, height;
    } cases[] = {{1, 1, 1370, 920}, {3, 2, 2490, 1760}, {2, 5, 5850, 1340}, {20, 10, 11450, 8900}};
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.rows << " rows, " << c.columns << " columns");
        ComPtr<IDispatch> o = Sheet(c.rows, c.columns);
        windowless::Show<frmStartPos>(o.get(), [&](frmStartPos& f) {
            EXPECT_EQ(f.Caption(), L"Select Starting Position COLUMN, ROW");
            EXPECT_EQ(f.Width(), c.width);
            EXPECT_EQ(f.Height(), c.height);
            EXPECT_EQ(windowless::Buttons(f).size(), static_cast<size_t>(c.rows * c.columns));
            for (int column = 1; column <= c.columns; ++column) {
                for (int row = 1; row <= c.rows; ++row) {
                    const host::CommandButton& b = f.cmdStartPos(static_cast<short>((column - 1) * c.rows + row));
                    const std::wstring at = Text(column) + L", " + Text(row);
                    SCOPED_TRACE(testing::PrintToString(at));
                    EXPECT_EQ(b.Caption(), at);
                    EXPECT_EQ(b.ToolTipText(), L"Click this button to start at Column: " + Text(column) +
                                                   L" & Row: " + Text(row));
                    EXPECT_EQ(b.Tag(), Text(row));
                    EXPECT_EQ(b.AccessibleName(), L"Column " + Text(column) + L", Row " + Text(row));
                    EXPECT_EQ(b.FormRect().left, (column - 1) * 1000 + column * 120);
                    EXPECT_EQ(b.FormRect().top, (row - 1) * 300 + row * 120);
                    EXPECT_EQ(b.Width(), 1000);
                    EXPECT_EQ(b.Height(), 300);
                }
            }
            f.Unload();
        });
    }
}

TEST(LabelStartPosition, APickReportsItsColumnAndRow)
{
    const struct {
        short rows, columns;
        const wchar_t* button; // empty: the close box
        short column, row;
    } cases[] = {
        {1, 1, L"1, 1", 1, 1},   {3, 2, L"2, 3", 2, 3},   {3, 2, L"1, 3", 1, 3}, {3, 2, L"2, 1", 2, 1},
        {20, 10, L"10, 20", 10, 20}, {20, 10, L"7, 13", 7, 13}, {4, 3, L"", 0, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::PrintToString(std::wstring(c.button)));
        ComPtr<IDispatch> o = Sheet(c.rows, c.columns);
        PutShort(o.get(), L"StartRow", 9);
        const Outcome r = windowless::Show<frmStartPos>(o.get(), [&](frmStartPos& f) {
            if (*c.button)
                windowless::Press(f, c.button);
            else
                f.Unload();
        });
        EXPECT_EQ(r.hr, S_OK);
        EXPECT_EQ(GetShort(o.get(), L"StartColumn"), c.column);
        EXPECT_EQ(GetShort(o.get(), L"StartRow"), c.row);
    }
}

TEST(LabelStartPosition, ObjectsOfOneThreadShareTheGridAndCaption)
{
    ComPtr<IDispatch> a = Sheet(2, 2), b = Sheet(4, 1);
    Put(b.get(), L"FormCaption", Str(L"Labels").get());
    std::wstring caption;
    size_t buttons = 0;
    const auto look = [&](frmStartPos& f) {
        caption = f.Caption();
        buttons = windowless::Buttons(f).size();
        f.Unload();
    };
    windowless::Show<frmStartPos>(a.get(), look);
    EXPECT_EQ(caption, L"Labels");
    EXPECT_EQ(buttons, 4u);
    EXPECT_EQ(GetText(a.get(), L"FormCaption"), L"");

    Put(a.get(), L"FormCaption", Str(L"").get());
    windowless::Show<frmStartPos>(b.get(), look);
    EXPECT_EQ(caption, L"Select Starting Position COLUMN, ROW");
}

TEST(LabelStartPosition, GridsPastTheLimitsComeOnlyThroughAnotherObject)
{
    // 0 rows: no button, only the close box ends the dialog.
    ComPtr<IDispatch> a = Sheet(2, 2), b = Sheet(0, 3);
    windowless::Show<frmStartPos>(a.get(), [](frmStartPos& f) {
        EXPECT_TRUE(windowless::Buttons(f).empty());
        f.Unload();
    });
    EXPECT_EQ(GetShort(a.get(), L"StartColumn"), 0);

    // A layout that overflows ends the load; the form's values stay.
    PutShort(a.get(), L"NumRows", 2);
    PutShort(a.get(), L"NumColumns", 2);
    windowless::Show<frmStartPos>(a.get(), [](frmStartPos& f) { f.cmdStartPos(1).Press(); });
    PutShort(b.get(), L"NumRows", 100);
    ExpectError(windowless::Show<frmStartPos>(a.get(), [](frmStartPos&) { ADD_FAILURE() << "shown"; }), 6, L"VELDLG",
                L"Overflow");
    EXPECT_EQ(host::FormRef<frmStartPos>().StartRow(), 1);
    EXPECT_FALSE(host::FormRef<frmStartPos>().Loaded());
}

} // namespace
