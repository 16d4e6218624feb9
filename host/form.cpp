#include "host/form.h"

#include "library/error.h"
#include "library/module.h"

#include <commctrl.h>

#include <algorithm>
#include <cstring>
#include <utility>

namespace host {

using veldlg::Raise;
using veldlg::RuntimeError;
using veldlg::ThrowLastErrorIf;

namespace {

int WindowDpi(HWND hwnd)
{
    // GetDpiForWindow exists from Windows 10 1607 on; older systems have one
    // DPI for the whole screen.
    using GetDpiForWindowFn = UINT(WINAPI*)(HWND);
    static const auto getDpiForWindow = reinterpret_cast<GetDpiForWindowFn>(
        reinterpret_cast<void (*)()>(GetProcAddress(GetModuleHandleW(L"user32.dll"), "GetDpiForWindow")));
    if (getDpiForWindow) {
        if (const UINT dpi = getDpiForWindow(hwnd)) return static_cast<int>(dpi);
    }
    const HDC dc = GetDC(hwnd);
    const int dpi = dc ? GetDeviceCaps(dc, LOGPIXELSY) : 0;
    if (dc) ReleaseDC(hwnd, dc);
    return dpi > 0 ? dpi : 96;
}

BOOL CALLBACK CollectEnabled(HWND hwnd, LPARAM lp)
{
    auto* windows = reinterpret_cast<std::vector<HWND>*>(lp);
    if (IsWindowVisible(hwnd) && IsWindowEnabled(hwnd)) windows->push_back(hwnd);
    return TRUE;
}

} // namespace

Form::Form(const FormDesign& design) : design_(design), caption_(design.caption) {}

Form::~Form()
{
    Unload();
}

int Form::TwipsToPixels(int twips) const
{
    return MulDiv(twips, dpi_, 1440);
}

void Form::Load()
{
    // The forms runtime's hidden owner: it keeps the dialog out of the task
    // bar without making it a child of any window of the client.
    owner_ = CreateWindowExW(0, L"Static", L"", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr, veldlg::ModuleInstance(),
                             nullptr);
    ThrowLastErrorIf(!owner_);

    // No WS_CLIPCHILDREN: a frame (group box) paints no interior, so the form
    // must paint beneath it.
    DWORD style = WS_POPUP | WS_CAPTION;
    DWORD exStyle = WS_EX_CONTROLPARENT;
    if (design_.closeBox) style |= WS_SYSMENU;
    if (design_.border == BorderStyle::FixedDialog) {
        style |= DS_MODALFRAME;
        exStyle |= WS_EX_DLGMODALFRAME;
    } else {
        style |= WS_THICKFRAME;
    }

    // An empty dialog template: the controls are created from the design.
    alignas(DWORD) WORD tmpl[(sizeof(DLGTEMPLATE) + 3 * sizeof(WORD) + 1) / sizeof(WORD) + 1] = {};
    DLGTEMPLATE head{};
    head.style = style;
    head.dwExtendedStyle = exStyle;
    std::memcpy(tmpl, &head, sizeof head);
    CreateDialogIndirectParamW(veldlg::ModuleInstance(), reinterpret_cast<const DLGTEMPLATE*>(tmpl), owner_,
                               &Form::DialogProc, reinterpret_cast<LPARAM>(this));
    ThrowLastErrorIf(!hwnd_);

    SetPropW(hwnd_, kFormWindowProperty, reinterpret_cast<HANDLE>(1));
    dpi_ = WindowDpi(hwnd_);
    // The dialog font, 8 points: the stock one where it fits the DPI.
    if (dpi_ == 96) {
        font_ = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
    } else {
        ownFont_ = CreateFontW(-MulDiv(8, dpi_, 72), 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                               OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE,
                               L"MS Shell Dlg");
        ThrowLastErrorIf(!ownFont_);
        font_ = ownFont_;
    }
    SendMessageW(hwnd_, WM_SETFONT, reinterpret_cast<WPARAM>(font_), FALSE);
    SetWindowTextW(hwnd_, caption_.c_str());

    RECT outer{0, 0, TwipsToPixels(design_.clientWidth), TwipsToPixels(design_.clientHeight)};
    AdjustWindowRectEx(&outer, style, FALSE, exStyle);
    SetWindowPos(hwnd_, nullptr, 0, 0, outer.right - outer.left, outer.bottom - outer.top,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);

    if (design_.icon) {
        const auto icon = [&](int metricX, int metricY) {
            return static_cast<HICON>(LoadImageW(veldlg::ModuleInstance(), MAKEINTRESOURCEW(design_.icon), IMAGE_ICON,
                                                 GetSystemMetrics(metricX), GetSystemMetrics(metricY), 0));
        };
        bigIcon_ = icon(SM_CXICON, SM_CYICON);
        smallIcon_ = icon(SM_CXSMICON, SM_CYSMICON);
        SendMessageW(hwnd_, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(bigIcon_));
        SendMessageW(hwnd_, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(smallIcon_));
    }

    // The designed default and cancel buttons, before Form_Load changes them.
    for (Control* c : controls_) {
        if (auto* b = dynamic_cast<CommandButton*>(c)) {
            if (c->design_.isDefault) defaultButton_ = b;
            if (c->design_.isCancel) cancelButton_ = b;
        }
    }
    building_ = true;
    Form_Load();
    building_ = false;

    // The controls get their windows once Form_Load has set them up, each
    // window made once with its final text, place and visibility (a grid of
    // 200 buttons would otherwise cost a server round trip per property).
    // Tab order is creation order: the designed controls by tab index, then
    // those loaded at run time; frames go last, beneath what they hold.
    std::vector<Control*> order = controls_;
    std::stable_sort(order.begin(), order.end(), [](const Control* a, const Control* b) {
        if (a->IsFrame() != b->IsFrame()) return b->IsFrame();
        if (a->runtime_ != b->runtime_) return b->runtime_;
        return !a->runtime_ && a->design_.tabIndex < b->design_.tabIndex;
    });
    for (Control* c : order) c->CreateWindowIn(hwnd_, nextId_++, font_);
    if (defaultButton_) SetDefaultButton(defaultButton_);

    CentreOnScreen();
}

void Form::CreateControlWindow(Control& c)
{
    c.CreateWindowIn(hwnd_, nextId_++, font_);
    if (!c.IsFrame()) {
        // A run-time element joins the end of the tab order, above the frames.
        const auto last = std::find_if(controls_.rbegin(), controls_.rend(), [&](const Control* other) {
            return other != &c && other->hwnd_ && !other->IsFrame();
        });
        if (last != controls_.rend())
            SetWindowPos(c.hwnd_, (*last)->hwnd_, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
        else
            SetWindowPos(c.hwnd_, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    }
    SetToolTip(c);
}

void Form::Register(Control& c)
{
    controls_.push_back(&c);
}

void Form::Deregister(Control& c)
{
    std::erase(controls_, &c);
    if (defaultButton_ == &c) defaultButton_ = nullptr;
    if (cancelButton_ == &c) cancelButton_ = nullptr;
    if (c.hwnd_) DestroyWindow(std::exchange(c.hwnd_, nullptr));
}

void Form::Show()
{
    if (modal_) Raise(RuntimeError::FormAlreadyDisplayed);
    if (!hwnd_) {
        try {
            Load();
        } catch (...) {
            Unload();
            throw;
        }
    }

    handlerError_ = nullptr;
    modal_ = true;
    DisableThreadWindows();
    ShowWindow(hwnd_, SW_SHOW);
    SetForegroundWindow(hwnd_);
    FocusFirstControl();
    try {
        RunModalLoop();
    } catch (...) {
        if (!handlerError_) handlerError_ = std::current_exception();
    }
    if (modal_) {
        EnableThreadWindows();
        modal_ = false;
    }

    if (handlerError_) {
        const std::exception_ptr error = std::exchange(handlerError_, nullptr);
        Unload();
        std::rethrow_exception(error);
    }
}

void Form::RunModalLoop()
{
    while (modal_ && hwnd_) {
        MSG msg;
        const BOOL got = GetMessageW(&msg, nullptr, 0, 0);
        if (got == 0) {
            // The client's thread is quitting: close the dialog and pass the
            // quit on to the client's own loop.
            PostQuitMessage(static_cast<int>(msg.wParam));
            Unload();
            return;
        }
        if (got < 0) ThrowLastErrorIf(true);
        // Tool tips are made when the mouse first comes over a control, and
        // see it through this loop rather than by subclassing every control,
        // which would make each control's every message dearer.
        if (msg.message >= WM_MOUSEFIRST && msg.message <= WM_MOUSELAST && IsChild(hwnd_, msg.hwnd)) {
            MakeToolTips();
            if (toolTips_) SendMessageW(toolTips_, TTM_RELAYEVENT, 0, reinterpret_cast<LPARAM>(&msg));
        }
        if (design_.keyPreview && (msg.message == WM_KEYDOWN || msg.message == WM_SYSKEYDOWN) &&
            (msg.hwnd == hwnd_ || IsChild(hwnd_, msg.hwnd))) {
            PreviewKey(msg);
            if (!modal_ || !hwnd_) return;
        }
        if (IsDialogMessageW(hwnd_, &msg)) continue;
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}

void Form::PreviewKey(const MSG& msg)
{
    const short shift = static_cast<short>((GetKeyState(VK_SHIFT) < 0 ? 1 : 0) | (GetKeyState(VK_CONTROL) < 0 ? 2 : 0) |
                                           (GetKeyState(VK_MENU) < 0 ? 4 : 0));
    Fire([&] { Form_KeyDown(Integer::Checked(msg.wParam), Integer(shift)); });
}

template <class F>
void Form::Fire(F&& handler)
{
    try {
        handler();
    } catch (...) {
        if (!handlerError_) handlerError_ = std::current_exception();
        if (modal_) {
            EnableThreadWindows();
            modal_ = false;
        }
    }
}

void Form::Hide()
{
    if (!hwnd_) return;
    if (modal_) {
        // Give activation back before the window goes, so that it returns
        // to the client's window and not to some other program.
        EnableThreadWindows();
        modal_ = false;
    }
    ShowWindow(hwnd_, SW_HIDE);
}

void Form::Unload()
{
    // A load that failed half-way is unloaded too: owner_ comes first.
    if (!owner_) return;
    if (modal_) {
        EnableThreadWindows();
        modal_ = false;
    }
    if (hwnd_) {
        RemovePropW(hwnd_, kFormWindowProperty);
        DestroyWindow(std::exchange(hwnd_, nullptr)); // its controls and tool tips with it
    }
    toolTips_ = nullptr;
    DestroyWindow(std::exchange(owner_, nullptr));
    font_ = nullptr;
    if (ownFont_) DeleteObject(std::exchange(ownFont_, nullptr));
    if (bigIcon_) DestroyIcon(std::exchange(bigIcon_, nullptr));
    if (smallIcon_) DestroyIcon(std::exchange(smallIcon_, nullptr));

    for (Control* c : controls_) c->hwnd_ = nullptr;
    for (ControlArrayBase* a : arrays_) a->DropRuntimeElements();
    for (Control* c : controls_) c->Unloaded();
    defaultButton_ = nullptr;
    cancelButton_ = nullptr;
    caption_ = design_.caption;
    nextId_ = 100;
}

void Form::Caption(std::wstring_view text)
{
    caption_ = text;
    if (hwnd_) SetWindowTextW(hwnd_, caption_.c_str());
}

// A form sized to nothing must still be closable: the system keeps popup
// windows at any size they are given, so the form keeps room for its frame,
// its caption bar, and the icon and close box on it (about a caption-bar
// height each).
SIZE Form::MinimumOuterSize() const
{
    RECT frame{};
    AdjustWindowRectEx(&frame, static_cast<DWORD>(GetWindowLongW(hwnd_, GWL_STYLE)), FALSE,
                       static_cast<DWORD>(GetWindowLongW(hwnd_, GWL_EXSTYLE)));
    return {frame.right - frame.left + 2 * GetSystemMetrics(SM_CYCAPTION), frame.bottom - frame.top};
}

void Form::Width(Integer twips)
{
    if (!hwnd_) return;
    RECT r;
    GetWindowRect(hwnd_, &r);
    const int width = std::max(TwipsToPixels(twips.value()), static_cast<int>(MinimumOuterSize().cx));
    SetWindowPos(hwnd_, nullptr, 0, 0, width, r.bottom - r.top, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void Form::Height(Integer twips)
{
    if (!hwnd_) return;
    RECT r;
    GetWindowRect(hwnd_, &r);
    const int height = std::max(TwipsToPixels(twips.value()), static_cast<int>(MinimumOuterSize().cy));
    SetWindowPos(hwnd_, nullptr, 0, 0, r.right - r.left, height, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

Integer Form::Width() const
{
    RECT r{};
    if (hwnd_) GetWindowRect(hwnd_, &r);
    return Integer::Checked(MulDiv(r.right - r.left, 1440, dpi_));
}

Integer Form::Height() const
{
    RECT r{};
    if (hwnd_) GetWindowRect(hwnd_, &r);
    return Integer::Checked(MulDiv(r.bottom - r.top, 1440, dpi_));
}

void Form::MsgBox(std::wstring_view prompt, UINT style, std::wstring_view title)
{
    const std::wstring p(prompt), t(title);
    const HWND owner = hwnd_ && IsWindowVisible(hwnd_) ? hwnd_ : nullptr;
    ThrowLastErrorIf(MessageBoxW(owner, p.c_str(), t.c_str(), style) == 0);
}

void Form::SetDefaultButton(CommandButton* b)
{
    defaultButton_ = b;
    if (hwnd_) SendMessageW(hwnd_, DM_SETDEFID, b && b->hwnd_ ? GetDlgCtrlID(b->hwnd_) : 0, 0);
}

void Form::SetCancelButton(CommandButton* b)
{
    cancelButton_ = b;
}

void Form::SetToolTip(Control& c)
{
    if (!toolTips_ || !c.hwnd_) return;
    TOOLINFOW ti{};
    ti.cbSize = TTTOOLINFOW_V2_SIZE;
    ti.uFlags = TTF_IDISHWND;
    ti.hwnd = hwnd_;
    ti.uId = reinterpret_cast<UINT_PTR>(c.hwnd_);
    SendMessageW(toolTips_, TTM_DELTOOLW, 0, reinterpret_cast<LPARAM>(&ti));
    if (c.now_.toolTip.empty()) return;
    ti.lpszText = c.now_.toolTip.data();
    SendMessageW(toolTips_, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&ti));
}

void Form::MakeToolTips()
{
    if (toolTips_ || std::none_of(controls_.begin(), controls_.end(),
                                  [](const Control* c) { return c->hwnd_ && !c->now_.toolTip.empty(); }))
        return;
    INITCOMMONCONTROLSEX icc{sizeof icc, ICC_WIN95_CLASSES};
    InitCommonControlsEx(&icc);
    toolTips_ = CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX, 0, 0,
                                0, 0, hwnd_, nullptr, veldlg::ModuleInstance(), nullptr);
    ThrowLastErrorIf(!toolTips_);
    for (Control* c : controls_) SetToolTip(*c);
}

void Form::DisableThreadWindows()
{
    std::vector<HWND> windows;
    EnumThreadWindows(GetCurrentThreadId(), CollectEnabled, reinterpret_cast<LPARAM>(&windows));
    for (HWND w : windows) {
        if (w == hwnd_ || w == owner_ || GetWindow(w, GW_OWNER) == hwnd_) continue;
        EnableWindow(w, FALSE);
        disabled_.push_back(w);
    }
}

void Form::EnableThreadWindows()
{
    for (HWND w : disabled_)
        if (IsWindow(w)) EnableWindow(w, TRUE);
    disabled_.clear();
}

void Form::FocusFirstControl()
{
    HWND target = GetNextDlgTabItem(hwnd_, nullptr, FALSE);
    // When the focus would land on a push button, it lands on the default
    // button instead, so that Enter presses the button marked as default.
    if (target && defaultButton_ && defaultButton_->hwnd_ && IsWindowVisible(defaultButton_->hwnd_) &&
        dynamic_cast<CommandButton*>(ControlOf(target)))
        target = defaultButton_->hwnd_;
    if (target) SendMessageW(hwnd_, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(target), TRUE);
}

void Form::CentreOnScreen()
{
    MONITORINFO mi{sizeof mi};
    GetMonitorInfoW(MonitorFromWindow(hwnd_, MONITOR_DEFAULTTOPRIMARY), &mi);
    RECT r;
    GetWindowRect(hwnd_, &r);
    const LONG w = r.right - r.left, h = r.bottom - r.top;
    const LONG x = mi.rcWork.left + (mi.rcWork.right - mi.rcWork.left - w) / 2;
    const LONG y = mi.rcWork.top + (mi.rcWork.bottom - mi.rcWork.top - h) / 2;
    SetWindowPos(hwnd_, nullptr, std::max(x, mi.rcWork.left), std::max(y, mi.rcWork.top), 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

Control* Form::ControlOf(HWND hwnd) const
{
    if (!hwnd) return nullptr;
    const auto c = std::find_if(controls_.begin(), controls_.end(), [&](const Control* c) { return c->hwnd_ == hwnd; });
    return c == controls_.end() ? nullptr : *c;
}

INT_PTR Form::HandleMessage(UINT msg, WPARAM wp, LPARAM lp)
{
    switch (msg) {
    case WM_COMMAND: {
        const auto source = reinterpret_cast<HWND>(lp);
        if (LOWORD(wp) == IDCANCEL && !source) {
            // Escape, through the dialog manager.
            if (cancelButton_) Fire([&] { cancelButton_->Press(); });
            return TRUE;
        }
        if (Control* c = ControlOf(source)) Fire([&] { c->OnNotify(HIWORD(wp)); });
        return TRUE;
    }
    case WM_CLOSE:
        // The close box: the form goes without any handler of its own.
        Unload();
        return TRUE;
    default:
        return FALSE;
    }
}

INT_PTR CALLBACK Form::DialogProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp)
{
    if (msg == WM_INITDIALOG) {
        auto* form = reinterpret_cast<Form*>(lp);
        form->hwnd_ = hwnd;
        SetWindowLongPtrW(hwnd, DWLP_USER, lp);
        return FALSE;
    }
    auto* form = reinterpret_cast<Form*>(GetWindowLongPtrW(hwnd, DWLP_USER));
    if (!form || form->hwnd_ != hwnd) return FALSE;
    return form->HandleMessage(msg, wp, lp);
}

ControlArrayBase::ControlArrayBase(Form& form) : owner_(form)
{
    owner_.arrays_.push_back(this);
}

ControlArrayBase::~ControlArrayBase()
{
    std::erase(owner_.arrays_, this);
}

void ControlArrayBase::Loaded(Control& element)
{
    // During Form_Load every window is made afterwards, in one pass.
    if (owner_.hwnd_ && !owner_.building_) owner_.CreateControlWindow(element);
}

} // namespace host
