#include "host/form.h"

#include "host/error.h"
#include "host/instance.h"
#include "host/styles.h"
#include "host/thread_forms.h"

#include <commctrl.h>

#include <algorithm>
#include <atomic>
#include <cstring>
#include <cwchar>
#include <utility>

namespace host {

using veldlg::Raise;
using veldlg::RuntimeError;
using veldlg::ThrowLastErrorIf;

namespace {

thread_local Windowless* t_windowless = nullptr;

// The platform's dynamic annotation (oleacc), reached through COM so that
// the DLL imports no more than it did.
constexpr CLSID kAccPropServices = {0xb5f8350b, 0x0548, 0x48b1, {0xa6, 0xee, 0x88, 0xbd, 0x00, 0xb4, 0xa5, 0xe7}};
constexpr IID kIAccPropServices = {0x6e26e776, 0x04f0, 0x495d, {0x80, 0xe4, 0x33, 0x30, 0x35, 0x2e, 0x31, 0x69}};
constexpr MSAAPROPID kAccName = {0x608d3df8, 0x8128, 0x4aa7, {0xa4, 0x28, 0xf5, 0x5e, 0x49, 0x26, 0x72, 0x91}};

int ScreenDpi(HWND hwnd)
{
    // GetDpiForWindow exists from Windows 10 1607 on; older systems have one
    // DPI for the whole screen.
    using GetDpiForWindowFn = UINT(WINAPI*)(HWND);
    static const auto getDpiForWindow = reinterpret_cast<GetDpiForWindowFn>(
        reinterpret_cast<void (*)()>(GetProcAddress(GetModuleHandleW(L"user32.dll"), "GetDpiForWindow")));
    if (hwnd && getDpiForWindow) {
        if (const UINT dpi = getDpiForWindow(hwnd)) return static_cast<int>(dpi);
    }
    const HDC dc = GetDC(hwnd);
    const int dpi = dc ? GetDeviceCaps(dc, LOGPIXELSY) : 0;
    if (dc) ReleaseDC(hwnd, dc);
    return dpi > 0 ? dpi : 96;
}

struct WindowStyles {
    DWORD style;
    DWORD exStyle;
};

WindowStyles StylesOf(const FormDesign& d)
{
    // No WS_CLIPCHILDREN: a frame (group box) paints no interior, so the form
    // must paint beneath it.
    WindowStyles s{WS_POPUP | WS_CAPTION, WS_EX_CONTROLPARENT};
    if (d.closeBox) s.style |= WS_SYSMENU;
    if (d.border == BorderStyle::FixedDialog) {
        s.style |= DS_MODALFRAME;
        s.exStyle |= WS_EX_DLGMODALFRAME;
    } else {
        s.style |= WS_THICKFRAME;
    }
    return s;
}

// Title bar and borders in pixels, at a DPI (AdjustWindowRectExForDpi exists
// from Windows 10 1607 on; before, the frame scales with the screen's DPI).
SIZE FrameSize(const FormDesign& d, int dpi)
{
    using AdjustForDpiFn = BOOL(WINAPI*)(RECT*, DWORD, BOOL, DWORD, UINT);
    static const auto adjustForDpi = reinterpret_cast<AdjustForDpiFn>(reinterpret_cast<void (*)()>(
        GetProcAddress(GetModuleHandleW(L"user32.dll"), "AdjustWindowRectExForDpi")));
    const WindowStyles s = StylesOf(d);
    RECT r{};
    if (adjustForDpi) {
        adjustForDpi(&r, s.style, FALSE, s.exStyle, static_cast<UINT>(dpi));
        return {r.right - r.left, r.bottom - r.top};
    }
    AdjustWindowRectEx(&r, s.style, FALSE, s.exStyle);
    const int screen = ScreenDpi(nullptr);
    return {MulDiv(r.right - r.left, dpi, screen), MulDiv(r.bottom - r.top, dpi, screen)};
}

RECT WorkAreaAt(HMONITOR monitor)
{
    MONITORINFO mi{sizeof mi};
    GetMonitorInfoW(monitor, &mi);
    return mi.rcWork;
}

BOOL CALLBACK CollectEnabled(HWND hwnd, LPARAM lp)
{
    auto* windows = reinterpret_cast<std::vector<HWND>*>(lp);
    if (IsWindowVisible(hwnd) && IsWindowEnabled(hwnd)) windows->push_back(hwnd);
    return TRUE;
}

// A form's icons come from its window class, one per icon, registered once
// for the process: loading them and setting them on every show cost more
// than making the dialog.
struct IconClass {
    std::atomic<int> icon{0}; // the slot's icon; claimed before registering
    INIT_ONCE once = INIT_ONCE_STATIC_INIT;
    wchar_t name[32] = {};
    HICON big = nullptr;
    HICON small = nullptr;
};
constinit IconClass g_iconClasses[8];

BOOL CALLBACK RegisterIconClass(INIT_ONCE*, void* param, void**)
{
    auto& c = *static_cast<IconClass*>(param);
    const int icon = c.icon.load();
    WNDCLASSEXW wc{sizeof wc};
    // The system's dialog class with icons of its own.
    if (!GetClassInfoExW(nullptr, WC_DIALOG, &wc)) return FALSE;
    const auto load = [&](int metricX, int metricY) {
        return static_cast<HICON>(LoadImageW(veldlg::ModuleInstance(), MAKEINTRESOURCEW(icon), IMAGE_ICON,
                                             GetSystemMetrics(metricX), GetSystemMetrics(metricY), 0));
    };
    std::swprintf(c.name, std::size(c.name), L"VELDLG.Form.%d", icon);
    c.big = load(SM_CXICON, SM_CYICON);
    c.small = load(SM_CXSMICON, SM_CYSMICON);
    wc.cbSize = sizeof wc;
    wc.style &= ~CS_GLOBALCLASS;
    wc.hInstance = veldlg::ModuleInstance();
    wc.hIcon = c.big;
    wc.hIconSm = c.small;
    wc.lpszClassName = c.name;
    if (c.big && c.small && RegisterClassExW(&wc)) return TRUE;
    const DWORD error = GetLastError();
    if (c.big) DestroyIcon(std::exchange(c.big, nullptr));
    if (c.small) DestroyIcon(std::exchange(c.small, nullptr));
    SetLastError(error);
    return FALSE;
}

// The window class of forms with this icon; nullptr (the dialog class) for
// none.
const wchar_t* FormClass(int icon)
{
    if (!icon) return nullptr;
    for (IconClass& c : g_iconClasses) {
        int expected = 0;
        if (!c.icon.compare_exchange_strong(expected, icon) && expected != icon) continue;
        veldlg::ThrowLastErrorIf(!InitOnceExecuteOnce(&c.once, RegisterIconClass, &c, nullptr));
        return c.name;
    }
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    veldlg::ThrowLastErrorIf(true);
    return nullptr;
}

// Appends a string to a dialog template.
void AppendString(std::vector<WORD>& tmpl, const wchar_t* text)
{
    for (; *text; ++text) tmpl.push_back(static_cast<WORD>(*text));
    tmpl.push_back(0);
}

} // namespace

void UnregisterFormClasses() noexcept
{
    for (IconClass& c : g_iconClasses) {
        if (!c.icon.load()) continue;
        UnregisterClassW(c.name, veldlg::ModuleInstance());
        if (c.big) DestroyIcon(std::exchange(c.big, nullptr));
        if (c.small) DestroyIcon(std::exchange(c.small, nullptr));
        InitOnceInitialize(&c.once);
        c.icon = 0;
    }
}

Windowless::Windowless(std::function<void(Form&)> user) : user_(std::move(user)), outer_(t_windowless)
{
    t_windowless = this;
}

Windowless::~Windowless()
{
    t_windowless = outer_;
}

Windowless* Windowless::Current()
{
    return t_windowless;
}

Form::Form(const FormDesign& design) : design_(design), caption_(design.caption)
{
    DesignedSize();
}

Form::~Form()
{
    Unload();
}

void Form::DesignedSize()
{
    // The frame is taken at the screen's DPI, so that the designed client
    // area comes out whole at any DPI.
    const int dpi = ScreenDpi(nullptr);
    const SIZE frame = FrameSize(design_, dpi);
    outerWidth_ = Integer::Checked(design_.clientWidth + MulDiv(frame.cx, 1440, dpi));
    outerHeight_ = Integer::Checked(design_.clientHeight + MulDiv(frame.cy, 1440, dpi));
}

std::vector<Control*> Form::TabOrder() const
{
    std::vector<Control*> order = controls_;
    std::stable_sort(order.begin(), order.end(), [](const Control* a, const Control* b) {
        if (a->IsFrame() != b->IsFrame()) return b->IsFrame();
        if (a->runtime_ != b->runtime_) return b->runtime_;
        return !a->runtime_ && a->design_.tabIndex < b->design_.tabIndex;
    });
    // A label takes no focus: it moves to just before the control it names.
    for (Control* c : controls_) {
        if (!c->design_.labelFor) continue;
        std::erase(order, c);
        order.insert(std::find(order.begin(), order.end(), c->design_.labelFor), c);
    }
    return order;
}

void Form::Load()
{
    loaded_ = true;
    // The designed default and cancel buttons, before Form_Load changes them.
    for (Control* c : controls_) {
        if (auto* b = dynamic_cast<CommandButton*>(c)) {
            if (c->design_.isDefault) defaultButton_ = b;
            if (c->design_.isCancel) cancelButton_ = b;
        }
    }
    Form_Load();
}

void Form::Show()
{
    if (modal_) Raise(RuntimeError::FormAlreadyDisplayed);
    Windowless* const windowless = Windowless::Current();
    try {
        if (!loaded_) Load();
        modal_ = true;
        visible_ = true;
        handlerError_ = nullptr;
        if (windowless) {
            windowless->user_(*this);
        } else {
            if (!hwnd_) MakeWindows();
            DisableThreadWindows();
            ShowWindow(hwnd_, SW_SHOW);
            SetForegroundWindow(hwnd_);
            FocusFirstControl();
            RunModalLoop();
        }
    } catch (...) {
        if (!handlerError_) handlerError_ = std::current_exception();
    }
    EndModal();
    if (handlerError_) {
        const std::exception_ptr error = std::exchange(handlerError_, nullptr);
        Unload();
        std::rethrow_exception(error);
    }
}

void Form::EndModal()
{
    if (!modal_) return;
    // Activation goes back before the window goes, so that it returns to the
    // client's window and not to some other program.
    for (HWND w : disabled_)
        if (IsWindow(w)) EnableWindow(w, TRUE);
    disabled_.clear();
    modal_ = false;
}

void Form::Hide()
{
    EndModal();
    visible_ = false;
    if (hwnd_) ShowWindow(hwnd_, SW_HIDE);
}

void Form::Unload()
{
    if (!loaded_) return;
    EndModal();
    DestroyWindows();
    for (ControlArrayBase* a : arrays_) a->DropRuntimeElements();
    for (Control* c : controls_) c->Unloaded();
    defaultButton_ = nullptr;
    cancelButton_ = nullptr;
    caption_ = design_.caption;
    DesignedSize();
    loaded_ = false;
    visible_ = false;
}

void Form::Caption(std::wstring_view text)
{
    caption_ = text;
    if (hwnd_) SetWindowTextW(hwnd_, caption_.c_str());
}

void Form::Resize(Integer width, Integer height)
{
    outerWidth_ = width;
    outerHeight_ = height;
    if (hwnd_) SizeWindow();
}

void Form::KeyDown(Integer keyCode, Integer shift)
{
    if (design_.keyPreview) Form_KeyDown(keyCode, shift);
    if (!visible_) return;
    if (keyCode == VK_RETURN && defaultButton_) defaultButton_->Press();
    if (keyCode == VK_ESCAPE && cancelButton_) cancelButton_->Press();
}

void Form::MsgBox(std::wstring_view prompt, UINT style, std::wstring_view title)
{
    if (Windowless* w = Windowless::Current()) {
        w->boxes.push_back({std::wstring(prompt), style, std::wstring(title)});
        return;
    }
    const std::wstring p(prompt), t(title);
    const VisualStyles styles;
    const HWND owner = hwnd_ && IsWindowVisible(hwnd_) ? hwnd_ : nullptr;
    ThrowLastErrorIf(MessageBoxW(owner, p.c_str(), t.c_str(), style) == 0);
}

void Form::SetDefaultButton(CommandButton* b)
{
    defaultButton_ = b;
    if (hwnd_) SendMessageW(hwnd_, DM_SETDEFID, b && b->hwnd_ ? GetDlgCtrlID(b->hwnd_) : 0, 0);
}

// --- Windows, made from the form's data ---

void Form::MakeWindows()
{
    const VisualStyles styles;
    try {
        // A dialog template without controls (they are made from the data),
        // of the icon's class and with the caption that Form_Load left.
        static_assert(sizeof(DLGTEMPLATE) % sizeof(WORD) == 0);
        const WindowStyles s = StylesOf(design_);
        std::vector<WORD> tmpl((sizeof(DLGTEMPLATE) + sizeof(WORD)) / sizeof(WORD) + 1);
        const DLGTEMPLATE head{s.style, s.exStyle, 0, 0, 0, 0, 0};
        std::memcpy(tmpl.data(), &head, sizeof head);
        tmpl.resize(sizeof head / sizeof(WORD) + 1); // no menu
        if (const wchar_t* cls = FormClass(design_.icon))
            AppendString(tmpl, cls);
        else
            tmpl.push_back(0);
        AppendString(tmpl, caption_.c_str());
        tmpl.push_back(0); // keeps the template's end on a DWORD boundary
        CreateDialogIndirectParamW(veldlg::ModuleInstance(), reinterpret_cast<const DLGTEMPLATE*>(tmpl.data()),
                                   ThreadOwner(), &Form::DialogProc, reinterpret_cast<LPARAM>(this));
        ThrowLastErrorIf(!hwnd_);

        SetPropW(hwnd_, kFormWindowProperty, reinterpret_cast<HANDLE>(1));
        SetDpi(ScreenDpi(hwnd_), WorkAreaAt(MonitorFromWindow(hwnd_, MONITOR_DEFAULTTOPRIMARY)), false);
        // Sized and placed once, before the controls are made, so that they
        // are laid into a window of its final size.
        SizeAndCentre();

        // Each control's window is made once with its final text, place and
        // visibility: a grid of 200 buttons would otherwise cost a server
        // round trip per property. Creation order is tab order.
        int id = 100;
        for (Control* c : TabOrder()) c->CreateWindowIn(hwnd_, id++, Font());
        SetDefaultButton(defaultButton_);
        Annotate();
    } catch (...) {
        DestroyWindows();
        throw;
    }
}

void Form::Annotate()
{
    for (const Control* c : controls_) {
        if (c->now_.accessibleName.empty() || !c->hwnd_) continue;
        if (!annotations_ && FAILED(CoCreateInstance(kAccPropServices, nullptr, CLSCTX_INPROC_SERVER,
                                                     kIAccPropServices, annotations_.put_void())))
            return; // no annotation: screen readers find the window text
        annotations_->SetHwndPropStr(c->hwnd_, static_cast<DWORD>(OBJID_CLIENT), CHILDID_SELF, kAccName,
                                     c->now_.accessibleName.c_str());
    }
}

void Form::DestroyWindows()
{
    if (annotations_) {
        for (const Control* c : controls_)
            if (c->hwnd_ && !c->now_.accessibleName.empty())
                annotations_->ClearHwndProps(c->hwnd_, static_cast<DWORD>(OBJID_CLIENT), CHILDID_SELF, &kAccName, 1);
        annotations_ = nullptr;
    }
    if (hwnd_) {
        RemovePropW(hwnd_, kFormWindowProperty);
        DestroyWindow(std::exchange(hwnd_, nullptr)); // its controls and tool tips with it
    }
    toolTips_ = nullptr;
    if (ownFont_) DeleteObject(std::exchange(ownFont_, nullptr));
    for (Control* c : controls_) c->WindowGone();
}

HFONT Form::Font() const
{
    return ownFont_ ? ownFont_ : static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
}

SIZE Form::OuterPixels(int dpi) const
{
    // The client area is what the outer size leaves inside the frame; a form
    // sized to nothing keeps room for its frame, its caption bar, and the
    // icon and close box on it, so that it can still be closed.
    const int screen = ScreenDpi(nullptr);
    const SIZE designFrame = FrameSize(design_, screen), frame = FrameSize(design_, dpi);
    const int width = MulDiv(std::max(0, outerWidth_.value() - MulDiv(designFrame.cx, 1440, screen)), dpi, 1440);
    const int height = MulDiv(std::max(0, outerHeight_.value() - MulDiv(designFrame.cy, 1440, screen)), dpi, 1440);
    return {std::max<LONG>(width + frame.cx, frame.cx + 2 * MulDiv(GetSystemMetrics(SM_CYCAPTION), dpi, screen)),
            height + frame.cy};
}

void Form::SizeWindow()
{
    const SIZE size = OuterPixels(dpi_);
    SetWindowPos(hwnd_, nullptr, 0, 0, size.cx, size.cy, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void Form::SetDpi(int dpi, const RECT& work, bool size)
{
    // A form larger than the work area is laid out at a lower DPI until it
    // fits, like a zoomed-out view: every control stays in reach, in its
    // designed place relative to the others. Where it fits, nothing changes.
    const LONG workWidth = work.right - work.left, workHeight = work.bottom - work.top;
    int layout = dpi;
    for (SIZE outer = OuterPixels(layout); layout > 24 && (outer.cx > workWidth || outer.cy > workHeight);
         outer = OuterPixels(layout))
        layout = std::min(layout - 1, static_cast<int>(layout * std::min(static_cast<double>(workWidth) / outer.cx,
                                                                          static_cast<double>(workHeight) / outer.cy)));
    dpi_ = layout;
    HFONT old = std::exchange(ownFont_, nullptr);
    if (dpi_ != 96) {
        // The dialog font, 8 points; the stock one is made for 96 DPI.
        ownFont_ = CreateFontW(-MulDiv(8, dpi_, 72), 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                               OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE,
                               L"MS Shell Dlg");
        ThrowLastErrorIf(!ownFont_);
    }
    SendMessageW(hwnd_, WM_SETFONT, reinterpret_cast<WPARAM>(Font()), FALSE);
    for (Control* c : controls_) {
        if (!c->hwnd_) continue;
        SendMessageW(c->hwnd_, WM_SETFONT, reinterpret_cast<WPARAM>(Font()), TRUE);
        c->Place();
    }
    if (old) DeleteObject(old);
    if (size) SizeWindow();
}

void Form::SizeAndCentre()
{
    const RECT work = WorkAreaAt(MonitorFromWindow(hwnd_, MONITOR_DEFAULTTOPRIMARY));
    const SIZE size = OuterPixels(dpi_);
    const LONG x = work.left + (work.right - work.left - size.cx) / 2;
    const LONG y = work.top + (work.bottom - work.top - size.cy) / 2;
    SetWindowPos(hwnd_, nullptr, std::max(x, work.left), std::max(y, work.top), size.cx, size.cy,
                 SWP_NOZORDER | SWP_NOACTIVATE);
}

void Form::SetToolTip(const Control& c)
{
    if (!toolTips_ || !c.hwnd_) return;
    TOOLINFOW ti{};
    ti.cbSize = TTTOOLINFOW_V2_SIZE;
    ti.uFlags = TTF_IDISHWND;
    ti.hwnd = hwnd_;
    ti.uId = reinterpret_cast<UINT_PTR>(c.hwnd_);
    SendMessageW(toolTips_, TTM_DELTOOLW, 0, reinterpret_cast<LPARAM>(&ti));
    if (c.now_.toolTip.empty()) return;
    ti.lpszText = const_cast<wchar_t*>(c.now_.toolTip.c_str());
    SendMessageW(toolTips_, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&ti));
}

void Form::MakeToolTips()
{
    if (toolTips_ || std::none_of(controls_.begin(), controls_.end(),
                                  [](const Control* c) { return c->hwnd_ && !c->now_.toolTip.empty(); }))
        return;
    const VisualStyles styles;
    INITCOMMONCONTROLSEX icc{sizeof icc, ICC_WIN95_CLASSES};
    InitCommonControlsEx(&icc);
    toolTips_ = CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX, 0, 0,
                                0, 0, hwnd_, nullptr, veldlg::ModuleInstance(), nullptr);
    ThrowLastErrorIf(!toolTips_);
    for (const Control* c : controls_) SetToolTip(*c);
}

// --- The modal loop and window messages ---

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
        ThrowLastErrorIf(got < 0);
        // Tool tips are made when the mouse first comes over a control, and
        // see it through this loop rather than by subclassing every control,
        // which would make each control's every message dearer.
        if (msg.message >= WM_MOUSEFIRST && msg.message <= WM_MOUSELAST && IsChild(hwnd_, msg.hwnd)) {
            MakeToolTips();
            if (toolTips_) SendMessageW(toolTips_, TTM_RELAYEVENT, 0, reinterpret_cast<LPARAM>(&msg));
        }
        if (design_.keyPreview && (msg.message == WM_KEYDOWN || msg.message == WM_SYSKEYDOWN) &&
            (msg.hwnd == hwnd_ || IsChild(hwnd_, msg.hwnd))) {
            const short shift = static_cast<short>((GetKeyState(VK_SHIFT) < 0 ? 1 : 0) |
                                                   (GetKeyState(VK_CONTROL) < 0 ? 2 : 0) |
                                                   (GetKeyState(VK_MENU) < 0 ? 4 : 0));
            Fire([&] { Form_KeyDown(Integer::Checked(msg.wParam), Integer(shift)); });
            if (!modal_ || !hwnd_) return;
        }
        if (IsDialogMessageW(hwnd_, &msg)) continue;
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}

template <class F>
void Form::Fire(F&& handler)
{
    try {
        handler();
    } catch (...) {
        if (!handlerError_) handlerError_ = std::current_exception();
        EndModal();
    }
}

void Form::DisableThreadWindows()
{
    std::vector<HWND> windows;
    EnumThreadWindows(GetCurrentThreadId(), CollectEnabled, reinterpret_cast<LPARAM>(&windows));
    for (HWND w : windows) {
        if (w == hwnd_ || GetWindow(w, GW_OWNER) == hwnd_) continue;
        EnableWindow(w, FALSE);
        disabled_.push_back(w);
    }
}

void Form::FocusFirstControl()
{
    HWND target = GetNextDlgTabItem(hwnd_, nullptr, FALSE);
    // When the focus would land on a push button, it lands on the default
    // button instead, so that Enter presses the button marked as default.
    if (target && defaultButton_ && defaultButton_->hwnd_ && IsWindowVisible(defaultButton_->hwnd_) &&
        dynamic_cast<CommandButton*>(ControlOf(target)))
        target = defaultButton_->hwnd_;
    if (!target) return;
    // A push button marked default beforehand spares the dialog manager
    // asking every button whether it is the default one.
    if (dynamic_cast<CommandButton*>(ControlOf(target))) SendMessageW(target, BM_SETSTYLE, BS_DEFPUSHBUTTON, TRUE);
    SendMessageW(hwnd_, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(target), TRUE);
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
    case WM_DPICHANGED: {
        // Moved to a monitor of another DPI (in a per-monitor aware host):
        // laid out again there, where the system suggests.
        const RECT& suggested = *reinterpret_cast<const RECT*>(lp);
        SetDpi(HIWORD(wp), WorkAreaAt(MonitorFromRect(&suggested, MONITOR_DEFAULTTONEAREST)));
        SetWindowPos(hwnd_, nullptr, suggested.left, suggested.top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
        return TRUE;
    }
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
    // An element loaded while the form has windows gets its own at once.
    if (!owner_.hwnd_) return;
    const VisualStyles styles;
    element.CreateWindowIn(owner_.hwnd_, 100 + static_cast<int>(owner_.controls_.size()), owner_.Font());
}

} // namespace host
