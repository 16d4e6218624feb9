// The label grid as a user meets it: the real window read back in pixels
// from the twips of the layout, buttons clicked through the real input
// queue, the close box, the caption, the tool tips and the icon.

#include "startpos/resource.h"
#include "support/com_client.h"
#include "support/robot.h"
#include "support/test_files.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <thread>
#include <vector>

namespace {

using namespace client;

constexpr wchar_t kProgId[] = L"VELDLG.LabelStartPosition";
constexpr wchar_t kDesignCaption[] = L"Select Starting Position COLUMN, ROW";

class StartPosDialogTest : public testing::Test {
protected:
    Apartment apartment;
};

ComPtr<IDispatch> Picker(short rows, short columns)
{
    ComPtr<IDispatch> o = Create(kProgId);
    EXPECT_TRUE(o);
    if (o) {
        PutShort(o.get(), L"NumRows", rows);
        PutShort(o.get(), L"NumColumns", columns);
    }
    return o;
}

// Shows the dialog, hands it to `act`, and checks that ShowForm returned
// normally and left no window behind.
void Show(IDispatch* o, const std::function<void(HWND)>& act)
{
    HWND shown = nullptr;
    robot::WithDialog([&] { EXPECT_EQ(Call(o, L"ShowForm").hr, S_OK); },
                      [&](HWND dialog) {
                          shown = dialog;
                          act(dialog);
                      });
    EXPECT_FALSE(shown && IsWindow(shown)) << "the form was not unloaded";
}

std::wstring Label(int column, int row)
{
    return std::to_wstring(column) + L", " + std::to_wstring(row);
}

HWND Button(HWND dialog, int column, int row)
{
    const HWND b = robot::Child(dialog, Label(column, row), L"Button");
    EXPECT_TRUE(b) << "no button " << testing::PrintToString(Label(column, row));
    return b;
}

void ExpectResult(IDispatch* o, short column, short row)
{
    EXPECT_EQ(GetShort(o, L"StartColumn"), column);
    EXPECT_EQ(GetShort(o, L"StartRow"), row);
}

// Every button of the grid, in tab order (down each column in turn), with
// its caption, tool tip, place and size; the window's outer size.
void ExpectGrid(HWND dialog, int rows, int columns)
{
    EXPECT_EQ(robot::OuterSize(dialog).cx, robot::Px(dialog, columns * 1000 + columns * 120 + 250));
    EXPECT_EQ(robot::OuterSize(dialog).cy, robot::Px(dialog, rows * 300 + rows * 120 + 500));
    const std::vector<HWND> buttons = robot::Children(dialog, L"Button");
    ASSERT_EQ(buttons.size(), static_cast<size_t>(rows * columns));
    for (int k = 0; k < rows * columns; ++k) {
        const int c = k / rows + 1, r = k % rows + 1;
        SCOPED_TRACE(testing::Message() << "column " << c << ", row " << r);
        const HWND b = buttons[static_cast<size_t>(k)];
        EXPECT_EQ(robot::Text(b), Label(c, r));
        EXPECT_EQ(robot::ToolTipOf(dialog, b), L"Click this button to start at Column: " + std::to_wstring(c) +
                                                   L" & Row: " + std::to_wstring(r));
        const RECT p = robot::PlaceIn(b, dialog);
        EXPECT_EQ(p.left, robot::Px(dialog, (c - 1) * 1000 + c * 120));
        EXPECT_EQ(p.top, robot::Px(dialog, (r - 1) * 300 + r * 120));
        EXPECT_EQ(p.right - p.left, robot::Px(dialog, 1000));
        EXPECT_EQ(p.bottom - p.top, robot::Px(dialog, 300));
    }
}

TEST_F(StartPosDialogTest, GridReadBackFromTheWindow)
{
    // Outer sizes in twips, and buttons at places given in twips, as worked
    // out by hand for each sheet.
    struct Place {
        int column, row, left, top;
    };
    const struct {
        short rows, columns;
        int width, height;
        std::vector<Place> places;
    } cases[] = {
        {1, 1, 1370, 920, {{1, 1, 120, 120}}},
        {3, 2, 2490, 1760,
         {{1, 1, 120, 120}, {1, 2, 120, 540}, {1, 3, 120, 960}, {2, 1, 1240, 120}, {2, 2, 1240, 540},
          {2, 3, 1240, 960}}},
        {20, 10, 11450, 8900, {{1, 1, 120, 120}, {10, 20, 10200, 8100}, {4, 7, 3480, 2640}}},
        {2, 5, 5850, 1340, {{5, 2, 4600, 540}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.rows << " rows, " << c.columns << " columns");
        ComPtr<IDispatch> o = Picker(c.rows, c.columns);
        Show(o.get(), [&](HWND dialog) {
            EXPECT_EQ(robot::Text(dialog), kDesignCaption);
            EXPECT_EQ(robot::OuterSize(dialog).cx, robot::Px(dialog, c.width));
            EXPECT_EQ(robot::OuterSize(dialog).cy, robot::Px(dialog, c.height));
            for (const Place& p : c.places) {
                const RECT r = robot::PlaceIn(Button(dialog, p.column, p.row), dialog);
                EXPECT_EQ(r.left, robot::Px(dialog, p.left)) << testing::PrintToString(Label(p.column, p.row));
                EXPECT_EQ(r.top, robot::Px(dialog, p.top)) << testing::PrintToString(Label(p.column, p.row));
            }
            ExpectGrid(dialog, c.rows, c.columns);
            robot::ClickCloseBox(dialog);
        });
    }
}

TEST_F(StartPosDialogTest, FixedDialogWithCloseBoxAndNoDefaultOrCancel)
{
    ComPtr<IDispatch> o = Picker(3, 2);
    Show(o.get(), [](HWND dialog) {
        const LONG style = GetWindowLongW(dialog, GWL_STYLE);
        EXPECT_TRUE(style & WS_SYSMENU) << "no close box";
        EXPECT_FALSE(style & (WS_MINIMIZEBOX | WS_MAXIMIZEBOX | WS_THICKFRAME)) << std::hex << style;
        EXPECT_FALSE(GetWindowLongW(dialog, GWL_EXSTYLE) & WS_EX_APPWINDOW) << "in the task bar";
        // Escape finds no cancel button.
        robot::Press(VK_ESCAPE);
        robot::Settle(dialog);
        EXPECT_TRUE(IsWindowVisible(dialog)) << "Escape closed the dialog";
        // No button stays the default: Enter presses the one with the focus.
        robot::Press(VK_TAB);
        robot::Settle(dialog);
        for (HWND b : robot::Children(dialog, L"Button")) {
            const bool focused = robot::Text(b) == Label(1, 2);
            EXPECT_EQ(GetWindowLongW(b, GWL_STYLE) & BS_TYPEMASK, focused ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON)
                << testing::PrintToString(robot::Text(b));
        }
        robot::Press(VK_RETURN);
    });
    ExpectResult(o.get(), 1, 2);
}

TEST_F(StartPosDialogTest, ClickReportsColumnAndRow)
{
    const struct {
        short rows, columns;
        short column, row;
    } cases[] = {
        {1, 1, 1, 1},    {3, 2, 1, 1},    {3, 2, 2, 3},    {3, 2, 1, 3},   {3, 2, 2, 1},  {4, 3, 3, 2},
        {20, 10, 1, 20}, {20, 10, 10, 20}, {20, 10, 5, 10}, {20, 10, 7, 1}, {20, 10, 10, 1}, {2, 10, 9, 2},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "column " << c.column << ", row " << c.row << " of " << c.columns
                                        << " x " << c.rows);
        ComPtr<IDispatch> o = Picker(c.rows, c.columns);
        Show(o.get(), [&](HWND dialog) { robot::Click(Button(dialog, c.column, c.row)); });
        ExpectResult(o.get(), c.column, c.row);
    }
}

TEST_F(StartPosDialogTest, CloseBoxGivesNoLabelAfterAnEarlierPick)
{
    ComPtr<IDispatch> o = Picker(3, 2);
    Show(o.get(), [](HWND dialog) { robot::Click(Button(dialog, 2, 3)); });
    ExpectResult(o.get(), 2, 3);

    // The same grid again; the earlier pick presets nothing.
    Show(o.get(), [](HWND dialog) {
        ExpectGrid(dialog, 3, 2);
        robot::ClickCloseBox(dialog);
    });
    ExpectResult(o.get(), 0, 0);

    // A result put before the show is overwritten too.
    PutShort(o.get(), L"StartColumn", 2);
    PutShort(o.get(), L"StartRow", 1);
    Show(o.get(), [](HWND dialog) { robot::ClickCloseBox(dialog); });
    ExpectResult(o.get(), 0, 0);
}

TEST_F(StartPosDialogTest, TwoObjectsOnOneThreadShareTheForm)
{
    ComPtr<IDispatch> a = Picker(3, 2);
    ASSERT_EQ(Put(a.get(), L"FormCaption", Str(L"Caption of A").get()).hr, S_OK);
    // B's sizes would be refused by B, but they are the form's now.
    ComPtr<IDispatch> b = Picker(21, 11);
    ASSERT_EQ(Put(b.get(), L"FormCaption", Str(L"Caption of B").get()).hr, S_OK);
    EXPECT_EQ(Call(b.get(), L"ShowForm").number(), 2);

    Show(a.get(), [](HWND dialog) {
        EXPECT_EQ(robot::Text(dialog), L"Caption of B");
        ExpectGrid(dialog, 21, 11);
        robot::Click(Button(dialog, 11, 21));
    });
    ExpectResult(a.get(), 11, 21);
    EXPECT_EQ(GetShort(a.get(), L"NumRows"), 3);
    ExpectResult(b.get(), 0, 0);

    // A put through A takes the form back.
    PutShort(a.get(), L"NumRows", 3);
    PutShort(a.get(), L"NumColumns", 2);
    Show(a.get(), [](HWND dialog) {
        ExpectGrid(dialog, 3, 2);
        robot::Click(Button(dialog, 1, 3));
    });
    ExpectResult(a.get(), 1, 3);
}

TEST_F(StartPosDialogTest, NoRowsOrColumnsInTheFormLeaveOnlyTheCloseBox)
{
    const struct {
        short rows, columns;
    } cases[] = {{0, 2}, {3, 0}, {-2, 3}, {2, -1}};
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.rows << " rows, " << c.columns << " columns in the form");
        ComPtr<IDispatch> shown = Picker(3, 2);
        PutShort(shown.get(), L"StartColumn", 1);
        PutShort(shown.get(), L"StartRow", 1);
        ComPtr<IDispatch> other = Picker(c.rows, c.columns);
        Show(shown.get(), [](HWND dialog) {
            EXPECT_TRUE(robot::Children(dialog, L"Button").empty()) << "a button in an empty grid";
            robot::ClickCloseBox(dialog);
        });
        ExpectResult(shown.get(), 0, 0);
    }
}

TEST_F(StartPosDialogTest, CaptionPutStaysUntilEmptied)
{
    // A thread of its own: no caption put earlier on it.
    std::thread fresh([] {
        Apartment apartment;
        ComPtr<IDispatch> o = Picker(2, 2);
        ASSERT_EQ(Put(o.get(), L"FormCaption", Str(L"Start printing at").get()).hr, S_OK);
        Show(o.get(), [](HWND dialog) {
            EXPECT_EQ(robot::Text(dialog), L"Start printing at");
            robot::ClickCloseBox(dialog);
        });
        // Another object that puts no caption shows the one in the form.
        ComPtr<IDispatch> other = Picker(1, 1);
        Show(other.get(), [](HWND dialog) {
            EXPECT_EQ(robot::Text(dialog), L"Start printing at");
            robot::ClickCloseBox(dialog);
        });
        ASSERT_EQ(Put(o.get(), L"FormCaption", Str(L"").get()).hr, S_OK);
        Show(other.get(), [](HWND dialog) {
            EXPECT_EQ(robot::Text(dialog), kDesignCaption);
            robot::ClickCloseBox(dialog);
        });
        // A caption's length is no Integer: a long one is shown, not refused.
        const std::wstring longCaption(40000, L'x');
        ASSERT_EQ(Put(o.get(), L"FormCaption", Str(longCaption).get()).hr, S_OK);
        Show(other.get(), [&](HWND dialog) {
            EXPECT_EQ(robot::Text(dialog).size(), longCaption.size());
            robot::ClickCloseBox(dialog);
        });
    });
    fresh.join();
}

TEST_F(StartPosDialogTest, TheWindowCarriesTheSheetOfLabelsIcon)
{
    ComPtr<IDispatch> o = Picker(1, 1);
    Show(o.get(), [](HWND dialog) {
        const auto icon = reinterpret_cast<HICON>(SendMessageW(dialog, WM_GETICON, ICON_BIG, 0));
        ASSERT_TRUE(icon) << "no icon";
        ICONINFO info{};
        ASSERT_TRUE(GetIconInfo(icon, &info));
        BITMAP bm{};
        GetObjectW(info.hbmColor ? info.hbmColor : info.hbmMask, sizeof bm, &bm);
        if (info.hbmColor) DeleteObject(info.hbmColor);
        DeleteObject(info.hbmMask);
        EXPECT_EQ(bm.bmWidth, 32);

        // Drawn on magenta, the icon shows its own white: it is opaque.
        BITMAPINFO bi{};
        bi.bmiHeader = {sizeof(BITMAPINFOHEADER), 32, -32, 1, 32, BI_RGB};
        void* bits = nullptr;
        const HDC dc = CreateCompatibleDC(nullptr);
        const HBITMAP dib = CreateDIBSection(dc, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
        const HGDIOBJ old = SelectObject(dc, dib);
        const HBRUSH magenta = CreateSolidBrush(RGB(255, 0, 255));
        const RECT all{0, 0, 32, 32};
        FillRect(dc, &all, magenta);
        DrawIconEx(dc, 0, 0, icon, 32, 32, 0, nullptr, DI_NORMAL);
        GdiFlush();
        const auto* pixels = static_cast<const DWORD*>(bits);
        const struct {
            int x, y;
            DWORD rgb; // 0xRRGGBB
            const char* what;
        } expected[] = {
            {0, 0, 0xFFFFFF, "background"},      {31, 31, 0xFFFFFF, "background"},
            {2, 1, 0x000000, "grid corner"},     {27, 28, 0x000000, "grid corner"},
            {4, 2, 0xFFFFFF, "first cell"},      {25, 27, 0xFFFFFF, "last cell"},
            {7, 15, 0x000000, "column line"},    {15, 4, 0x000000, "row line"},
            {29, 15, 0x808080, "right shadow"},  {15, 30, 0x808080, "bottom shadow"},
            {29, 1, 0xFFFFFF, "above shadow"},   {1, 30, 0xFFFFFF, "left of shadow"},
        };
        for (const auto& e : expected)
            EXPECT_EQ(pixels[e.y * 32 + e.x] & 0xFFFFFF, e.rgb) << e.what << " at " << e.x << ", " << e.y;
        SelectObject(dc, old);
        DeleteObject(magenta);
        DeleteObject(dib);
        DeleteDC(dc);
        robot::ClickCloseBox(dialog);
    });
}

// The icon resource in each DLL: one image, 32 x 32, 16 colours.
TEST(StartPosIconResource, IsOne32By32ImageIn16Colours)
{
#pragma pack(push, 2)
    struct GroupEntry {
        BYTE width, height, colours, reserved;
        WORD planes, bitCount;
        DWORD bytes;
        WORD id;
    };
    struct GroupHeader {
        WORD reserved, type, count;
        GroupEntry entries[1];
    };
#pragma pack(pop)
    for (const char* arch : {"x86_64", "i686"}) {
        SCOPED_TRACE(arch);
        const HMODULE dll = LoadLibraryExW(testfiles::Dll(arch).c_str(), nullptr,
                                           LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
        ASSERT_TRUE(dll) << "cannot read the DLL's resources";
        const HRSRC group = FindResourceW(dll, MAKEINTRESOURCEW(IDI_FRMSTARTPOS), RT_GROUP_ICON);
        ASSERT_TRUE(group) << "no icon group";
        const auto* header = static_cast<const GroupHeader*>(LockResource(LoadResource(dll, group)));
        ASSERT_EQ(header->count, 1);
        const GroupEntry& e = header->entries[0];
        EXPECT_EQ(e.width, 32);
        EXPECT_EQ(e.height, 32);
        EXPECT_EQ(e.colours, 16);
        EXPECT_EQ(e.bitCount, 4);
        const HRSRC image = FindResourceW(dll, MAKEINTRESOURCEW(e.id), RT_ICON);
        ASSERT_TRUE(image) << "no icon image";
        const auto* bmp = static_cast<const BITMAPINFOHEADER*>(LockResource(LoadResource(dll, image)));
        EXPECT_EQ(bmp->biWidth, 32);
        EXPECT_EQ(bmp->biHeight, 64) << "colour and mask rows";
        EXPECT_EQ(bmp->biBitCount, 4);
        FreeLibrary(dll);
    }
}

} // namespace
