#include "startpos/frmStartPos.h"

#include "startpos/resource.h"

namespace {


constexpr host::FormDesign kDesign{
    .caption = L"Select Starting Position COLUMN, ROW",
    // The load handler sizes the window to the grid; this is one label's.
    .clientWidth = 1240,
    .clientHeight = 540,
    .border = host::BorderStyle::FixedDialog,
    .closeBox = true,
    .icon = IDI_FRMSTARTPOS,
};

constexpr host::ControlDesign kCmdStartPos{
    .caption = L"14, 14",
    .left = 120, .top = 120, .width = 1000, .height = 300,
    .tabIndex = 0,
};

// The grid, in twips: one button per label, 120 apart and from the client
// edges; the outer size adds room for the frame and the caption bar.
constexpr short kButtonWidth = 1000;
constexpr short kButtonHeight = 300;
constexpr short kGap = 120;
constexpr short kFrameWidth = 250;
constexpr short kFrameHeight = 500;

} // namespace

frmStartPos::frmStartPos() : Form(kDesign), cmdStartPos(*this, 1, kCmdStartPos)
{
    cmdStartPos.Click = [this](Integer Index) { cmdStartPos_Click(Index); };
}

void frmStartPos::Form_Load()
{
    // Both outer sizes are worked out before anything changes, so that sizes
    // that overflow end the load with the form's values as they were.
    const Integer height = NumRows_ * kButtonHeight + NumRows_ * kGap + kFrameHeight;
    const Integer width = NumColumns_ * kButtonWidth + NumColumns_ * kGap + kFrameWidth;

    StartColumn(0);
    StartRow(0);
    if (!FormCaption_.empty()) Caption(FormCaption_);
    Height(height);
    Width(width);

    const Integer columns = NumColumns_;
    for (Integer c = 1; c <= columns; c += 1) {
        const Integer rows = NumRows_;
        for (Integer r = 1; r <= rows; r += 1) {
            const Integer i = NumRows_ * c - (NumRows_ - r);
            if (i != 1) cmdStartPos.Load(i);
            host::CommandButton& button = cmdStartPos(i);
            button.Visible(true);
            button.Caption(c.Text() + L", " + r.Text());
            button.ToolTipText(L"Click this button to start at Column: " + c.Text() + L" & Row: " + r.Text());
            button.Tag(r.Text());
            button.AccessibleName(L"Column " + c.Text() + L", Row " + r.Text());
            button.Height(kButtonHeight);
            button.Width(kButtonWidth);
            button.Move((c - 1) * kButtonWidth + c * kGap, (r - 1) * kButtonHeight + r * kGap);
        }
    }
    // No rows or no columns (only another object on the thread can leave the
    // form so): the designed button would stand for no label, so the grid is
    // empty and only the close box ends the dialog.
    if (NumRows_ < 1 || NumColumns_ < 1) cmdStartPos(1).Visible(false);
}

void frmStartPos::cmdStartPos_Click(Integer Index)
{
    StartRow(Integer::FromText(cmdStartPos(Index).Tag()));
    // In the last row of a column the division already gives the column.
    StartColumn(IntDiv(Index, NumRows_) + (StartRow_ != NumRows_ ? Integer(1) : Integer(0)));
    Hide();
}
