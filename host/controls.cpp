#include "host/controls.h"

#include "host/form.h"
#include "host/error.h"
#include "host/instance.h"

#include <algorithm>

#include <utility>

namespace host {

Control::Control(Form& form, const ControlDesign& design) : Control(form, design, false) {}

Control::Control(Form& form, const ControlDesign& design, bool runtimeElement)
    : form_(form), runtime_(runtimeElement), design_(design), designCaption_(design.caption),
      designToolTip_(design.toolTip)
{
    // The design keeps its own copies of the texts.
    design_.caption = designCaption_;
    design_.toolTip = designToolTip_;
    now_ = DesignState();
    // A loaded element starts invisible and is never the default or cancel
    // button, whatever the designed element is.
    if (runtimeElement) {
        now_.visible = false;
        design_.isDefault = false;
        design_.isCancel = false;
    }
    form_.controls_.push_back(this);
}

Control::~Control()
{
    std::erase(form_.controls_, this);
    if (form_.defaultButton_ == this) form_.defaultButton_ = nullptr;
    if (form_.cancelButton_ == this) form_.cancelButton_ = nullptr;
    if (hwnd_) DestroyWindow(hwnd_);
}

Control::State Control::DesignState() const
{
    return State{std::wstring(design_.caption), design_.left, design_.top, design_.width, design_.height, true, {},
                 std::wstring(design_.toolTip)};
}

void Control::Unloaded()
{
    now_ = DesignState();
    OnUnloaded();
}

RECT Control::FormRect() const
{
    int left = now_.left, top = now_.top;
    for (const Control* c = design_.container; c; c = c->design_.container) {
        left += c->now_.left;
        top += c->now_.top;
    }
    return RECT{left, top, left + now_.width, top + now_.height};
}

RECT Control::PixelRect() const
{
    const RECT r = FormRect();
    const int x = form_.TwipsToPixels(r.left), y = form_.TwipsToPixels(r.top);
    return RECT{x, y, x + form_.TwipsToPixels(now_.width), y + form_.TwipsToPixels(now_.height)};
}

void Control::CreateWindowIn(HWND parent, int id, HFONT font)
{
    const RECT r = PixelRect();
    placed_ = r;
    const DWORD style = WS_CHILD | WS_CLIPSIBLINGS | WindowStyle() | (now_.visible ? WS_VISIBLE : 0);
    hwnd_ = CreateWindowExW(0, WindowClass(), WindowText().c_str(), style, r.left, r.top, r.right - r.left,
                            r.bottom - r.top, parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                            veldlg::ModuleInstance(), nullptr);
    veldlg::ThrowLastErrorIf(!hwnd_);
    SendMessageW(hwnd_, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    OnCreated();
}

void Control::Place()
{
    if (!hwnd_) return;
    const RECT r = PixelRect();
    // Setting a size or place to what it is costs no window call: forms
    // that build many controls set each one's size and place in turn.
    if (EqualRect(&r, &placed_)) return;
    placed_ = r;
    SetWindowPos(hwnd_, nullptr, r.left, r.top, r.right - r.left, r.bottom - r.top,
                 SWP_NOZORDER | SWP_NOACTIVATE);
}

void Control::Caption(std::wstring_view text)
{
    now_.caption = text;
    if (hwnd_) SetWindowTextW(hwnd_, now_.caption.c_str());
}

void Control::Width(Integer twips)
{
    now_.width = twips.value();
    Place();
}

void Control::Height(Integer twips)
{
    now_.height = twips.value();
    Place();
}

void Control::Move(Integer left, Integer top)
{
    now_.left = left.value();
    now_.top = top.value();
    Place();
}

void Control::Visible(bool visible)
{
    now_.visible = visible;
    if (hwnd_) ShowWindow(hwnd_, visible ? SW_SHOWNA : SW_HIDE);
}

void Control::ToolTipText(std::wstring_view text)
{
    now_.toolTip = text;
    form_.SetToolTip(*this);
}

void CommandButton::Default(bool on)
{
    if (on)
        form().SetDefaultButton(this);
    else if (Default())
        form().SetDefaultButton(nullptr);
}

void CommandButton::Cancel(bool on)
{
    if (on)
        form().cancelButton_ = this;
    else if (Cancel())
        form().cancelButton_ = nullptr;
}

bool CommandButton::Default() const
{
    return form().defaultButton_ == this;
}

bool CommandButton::Cancel() const
{
    return form().cancelButton_ == this;
}

void CommandButton::Press() const
{
    if (Click) Click();
}

void CommandButton::OnNotify(WORD code)
{
    if (code == BN_CLICKED) Press();
}

DWORD Label::WindowStyle() const
{
    DWORD style = Design().useMnemonic ? 0 : SS_NOPREFIX;
    switch (Design().alignment) {
    case Alignment::Left: return style | SS_LEFT;
    case Alignment::Center: return style | SS_CENTER;
    }
    return style;
}

void ListBox::Clear()
{
    items_.clear();
    selected_ = -1;
    if (Window()) SendMessageW(Window(), LB_RESETCONTENT, 0, 0);
}

void ListBox::AddItem(std::wstring_view text, Integer index)
{
    if (index.value() < 0 || static_cast<size_t>(index.value()) > items_.size())
        veldlg::Raise(veldlg::RuntimeError::InvalidProcedureCall);
    // A list box holds at most 32767 items.
    if (items_.size() >= 32767) veldlg::Raise(veldlg::RuntimeError::Overflow);
    items_.insert(items_.begin() + index.value(), std::wstring(text));
    if (Window()) {
        const LRESULT r = SendMessageW(Window(), LB_INSERTSTRING, static_cast<WPARAM>(index.value()),
                                       reinterpret_cast<LPARAM>(items_[static_cast<size_t>(index.value())].c_str()));
        if (r == LB_ERR || r == LB_ERRSPACE) {
            items_.erase(items_.begin() + index.value());
            veldlg::ThrowHresult(E_OUTOFMEMORY);
        }
    }
}

void ListBox::ListIndex(Integer index)
{
    if (index.value() < -1 || index.value() >= static_cast<int>(items_.size()))
        veldlg::Raise(veldlg::RuntimeError::InvalidProcedureCall);
    selected_ = index.value();
    if (Window()) SendMessageW(Window(), LB_SETCURSEL, static_cast<WPARAM>(index.value()), 0);
}

std::wstring ListBox::Text() const
{
    const short sel = ListIndex().value();
    return sel >= 0 && static_cast<size_t>(sel) < items_.size() ? items_[static_cast<size_t>(sel)] : std::wstring();
}

void ListBox::OnNotify(WORD code)
{
    if (code == LBN_SELCHANGE || code == LBN_DBLCLK) {
        const LRESULT sel = SendMessageW(Window(), LB_GETCURSEL, 0, 0);
        selected_ = static_cast<short>(sel == LB_ERR ? -1 : sel);
    }
    if (code == LBN_DBLCLK && DblClick) DblClick();
}

void ListBox::OnCreated()
{
    for (const auto& item : items_)
        SendMessageW(Window(), LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item.c_str()));
    if (selected_ >= 0) SendMessageW(Window(), LB_SETCURSEL, static_cast<WPARAM>(selected_), 0);
}

} // namespace host
