#include "host/date_field.h"

#include "host/error.h"
#include "host/instance.h"

#include <windows.h>
#include <commctrl.h>
#include <windowsx.h>

#include <algorithm>
#include <cstdlib>
#include <memory>
#include <new>
#include <utility>
#include <vector>

namespace host {

namespace {

constexpr wchar_t kClassName[] = L"VELDLG.DateField";
constexpr wchar_t kCalendarProperty[] = L"VELDLG.DateField.Calendar";
// Posted to a field: close its calendar, taking the day chosen when wParam
// is nonzero.
constexpr UINT kCloseCalendar = WM_USER + 1;

std::optional<CalendarDay> AddMonths(const CalendarDay& d, int months)
{
    const int total = d.year * 12 + (d.month - 1) + months;
    if (total < 0) return std::nullopt;
    CalendarDay r{total / 12, total % 12 + 1, 0};
    r.day = std::min(d.day, DaysInMonth(r.year, r.month));
    if (!IsCalendarDay(r)) return std::nullopt;
    return r;
}

int Wrap(int value, int low, int high)
{
    const int n = high - low + 1;
    return low + ((value - low) % n + n) % n;
}

bool IsDigit(wchar_t c)
{
    return c >= L'0' && c <= L'9';
}

SYSTEMTIME SystemTimeOf(DATE value)
{
    const CalendarDay d = DayOf(value);
    SYSTEMTIME st{};
    st.wYear = static_cast<WORD>(d.year);
    st.wMonth = static_cast<WORD>(d.month);
    st.wDay = static_cast<WORD>(d.day);
    return st;
}

std::optional<DATE> DateOfSystemTime(const SYSTEMTIME& st)
{
    const CalendarDay d{st.wYear, st.wMonth, st.wDay};
    if (!IsCalendarDay(d)) return std::nullopt;
    return DateOf(d);
}

} // namespace

// ---------------------------------------------------------------------------
// The mask

DateMask::DateMask(std::wstring separator) : separator_(std::move(separator)) {}

DateMask::Part DateMask::PartOf(int slot)
{
    return slot < 2 ? Part::Month : slot < 4 ? Part::Day : Part::Year;
}

int DateMask::PartStart(Part p)
{
    return p == Part::Month ? 0 : p == Part::Day ? 2 : 4;
}

int DateMask::PartLength(Part p)
{
    return p == Part::Year ? 4 : 2;
}

int DateMask::SlotPosition(int slot) const
{
    const int s = static_cast<int>(separator_.size());
    return slot + (slot >= 2 ? s : 0) + (slot >= 4 ? s : 0);
}

bool DateMask::Empty() const
{
    return std::all_of(slots_.begin(), slots_.end(), [](wchar_t c) { return c == 0; });
}

void DateMask::SetText(std::wstring_view text)
{
    DateMask next(separator_);
    if (const auto slots = PatternSlots(text)) {
        for (int i = 0; i < kSlots; ++i) next.slots_[i] = (*slots)[i] == L'_' ? 0 : (*slots)[i];
    } else if (IsDate(text)) {
        next.SetDate(CDate(text));
    } else if (!text.empty()) {
        next.text_ = std::wstring(text);
    }
    *this = std::move(next);
}

std::wstring DateMask::Text() const
{
    if (text_) return *text_;
    return Empty() ? std::wstring() : Display();
}

std::wstring DateMask::Display() const
{
    if (text_) return *text_;
    std::wstring s;
    for (int i = 0; i < kSlots; ++i) {
        if (i == 2 || i == 4) s += separator_;
        s += slots_[i] ? slots_[i] : L'_';
    }
    return s;
}

int DateMask::CaretPosition() const
{
    return text_ ? static_cast<int>(text_->size()) : SlotPosition(caret_);
}

void DateMask::PlaceCaret(int position)
{
    typedInPart_ = 0;
    if (text_) return;
    int best = 0;
    for (int slot = 1; slot <= kSlots; ++slot)
        if (std::abs(SlotPosition(slot) - position) <= std::abs(SlotPosition(best) - position)) best = slot;
    caret_ = best;
}

void DateMask::StartEntry()
{
    if (!text_) return;
    text_.reset();
    slots_.fill(0);
    caret_ = 0;
}

bool DateMask::Typed(wchar_t ch)
{
    if (IsDigit(ch)) {
        StartEntry();
        if (caret_ >= kSlots) return false;
        if (caret_ == PartStart(PartOf(caret_))) typedInPart_ = 0;
        slots_[caret_++] = ch;
        ++typedInPart_;
        return true;
    }
    const bool separator = ch == L'/' || ch == L'-' || ch == L'.' || (!separator_.empty() && ch == separator_[0]);
    if (text_ || !separator) return false;
    const Part p = PartOf(caret_);
    const int start = PartStart(p), length = PartLength(p);
    if (p == Part::Year || caret_ == start) return false;
    // "7/" gives 07: the digits just typed into the part move to its end
    // behind zeros.
    if (typedInPart_ > 0 && caret_ - typedInPart_ == start) {
        for (int i = length - 1; i >= 0; --i) {
            const int from = i - (length - typedInPart_);
            slots_[start + i] = from >= 0 ? slots_[start + from] : L'0';
        }
    }
    caret_ = start + length;
    typedInPart_ = 0;
    return true;
}

void DateMask::Backspace()
{
    typedInPart_ = 0;
    if (text_) return StartEntry();
    if (caret_ > 0) slots_[--caret_] = 0;
}

void DateMask::Delete()
{
    typedInPart_ = 0;
    if (text_) return StartEntry();
    if (caret_ < kSlots) slots_[caret_] = 0;
}

void DateMask::Left()
{
    typedInPart_ = 0;
    if (!text_ && caret_ > 0) --caret_;
}

void DateMask::Right()
{
    typedInPart_ = 0;
    if (!text_ && caret_ < kSlots) ++caret_;
}

void DateMask::Home()
{
    typedInPart_ = 0;
    if (!text_) caret_ = 0;
}

void DateMask::End()
{
    typedInPart_ = 0;
    if (!text_) caret_ = kSlots;
}

std::optional<int> DateMask::PartValue(Part p) const
{
    int value = 0;
    for (int i = PartStart(p); i < PartStart(p) + PartLength(p); ++i) {
        if (!slots_[i]) return std::nullopt;
        value = value * 10 + (slots_[i] - L'0');
    }
    return value;
}

void DateMask::SetPart(Part p, int value)
{
    for (int i = PartStart(p) + PartLength(p) - 1; i >= PartStart(p); --i, value /= 10)
        slots_[i] = static_cast<wchar_t>(L'0' + value % 10);
}

void DateMask::Step(int delta)
{
    typedInPart_ = 0;
    if (text_ || Empty()) return SetDate(Today());
    const Part p = PartOf(caret_);
    if (const std::optional<DATE> date = Date()) {
        std::optional<DATE> stepped;
        if (p == Part::Day) {
            stepped = *date + delta;
        } else if (const auto d = AddMonths(DayOf(*date), p == Part::Month ? delta : 12 * delta)) {
            stepped = DateOf(*d);
        }
        if (stepped && IsDate(*stepped)) SetDate(*stepped);
        return;
    }
    const CalendarDay today = DayOf(Today());
    const std::optional<int> value = PartValue(p);
    switch (p) {
    case Part::Month: SetPart(p, value ? Wrap(*value + delta, 1, 12) : today.month); break;
    case Part::Day: SetPart(p, value ? Wrap(*value + delta, 1, 31) : today.day); break;
    case Part::Year: SetPart(p, value ? std::clamp(*value + delta, 100, 9999) : today.year); break;
    }
}

void DateMask::SetDate(DATE value)
{
    typedInPart_ = 0;
    const CalendarDay d = DayOf(value);
    text_.reset();
    SetPart(Part::Month, d.month);
    SetPart(Part::Day, d.day);
    SetPart(Part::Year, d.year);
}

std::optional<DATE> DateMask::Date() const
{
    if (text_) return std::nullopt;
    const auto m = PartValue(Part::Month), d = PartValue(Part::Day), y = PartValue(Part::Year);
    if (!m || !d || !y) return std::nullopt;
    const CalendarDay day{*y, *m, *d};
    if (!IsCalendarDay(day)) return std::nullopt;
    return DateOf(day);
}

// ---------------------------------------------------------------------------
// The window

namespace {

// The field whose calendar is open on this thread: a click anywhere else
// closes it.
struct OpenCalendar {
    HWND field = nullptr;
    HWND calendar = nullptr;
};
thread_local OpenCalendar t_open;

LRESULT CALLBACK MouseHook(int code, WPARAM wp, LPARAM lp)
{
    if (code == HC_ACTION && t_open.field) {
        switch (wp) {
        case WM_LBUTTONDOWN:
        case WM_RBUTTONDOWN:
        case WM_MBUTTONDOWN:
        case WM_NCLBUTTONDOWN:
        case WM_NCRBUTTONDOWN:
        case WM_NCMBUTTONDOWN: {
            // The field handles clicks on itself, the button included.
            const HWND target = reinterpret_cast<const MOUSEHOOKSTRUCT*>(lp)->hwnd;
            if (target != t_open.field && target != t_open.calendar && !IsChild(t_open.calendar, target))
                PostMessageW(t_open.field, kCloseCalendar, FALSE, 0);
            break;
        }
        default:
            break;
        }
    }
    return CallNextHookEx(nullptr, code, wp, lp);
}

// The month calendar dropped down from a field: a popup that does not take
// activation, so that the focus and the keys stay with the field.
class Calendar {
public:
    static std::unique_ptr<Calendar> Open(HWND field, DATE date);
    Calendar(const Calendar&) = delete;
    Calendar& operator=(const Calendar&) = delete;
    ~Calendar();

    HWND Window() const { return window_; }
    bool Contains(HWND w) const { return w && (w == window_ || IsChild(window_, w)); }
    std::optional<DATE> Selected() const;
    void Select(DATE date);
    // Moves the selection by days or by months.
    void MoveDays(int days);
    void MoveMonths(int months);

private:
    Calendar(HWND field, HWND window);
    static LRESULT CALLBACK Proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);

    HWND field_;
    HWND window_;
    WNDPROC original_ = nullptr;
    HHOOK hook_ = nullptr;
};

Calendar::Calendar(HWND field, HWND window)
    : field_(field), window_(window), original_(reinterpret_cast<WNDPROC>(SetWindowLongPtrW(
                                          window_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&Calendar::Proc))))
{
    SetPropW(window_, kCalendarProperty, this);
}

Calendar::~Calendar()
{
    if (hook_) UnhookWindowsHookEx(hook_);
    if (!window_) return;
    if (t_open.calendar == window_) t_open = {};
    SetWindowLongPtrW(window_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(original_));
    RemovePropW(window_, kCalendarProperty);
    DestroyWindow(window_);
}

std::unique_ptr<Calendar> Calendar::Open(HWND field, DATE date)
{
    INITCOMMONCONTROLSEX icc{sizeof icc, ICC_DATE_CLASSES};
    InitCommonControlsEx(&icc);
    const DWORD style = WS_POPUP | WS_BORDER, exStyle = WS_EX_TOOLWINDOW | WS_EX_NOACTIVATE;
    // Notifications go to the window named as parent: the field.
    const HWND window =
        CreateWindowExW(exStyle, MONTHCAL_CLASSW, L"", style, 0, 0, 0, 0, field, nullptr, veldlg::ModuleInstance(), nullptr);
    if (!window) return nullptr;
    std::unique_ptr<Calendar> c(new (std::nothrow) Calendar(field, window));
    if (!c) {
        DestroyWindow(window);
        return nullptr;
    }
    c->Select(date);

    RECT size{};
    SendMessageW(window, MCM_GETMINREQRECT, 0, reinterpret_cast<LPARAM>(&size));
    AdjustWindowRectEx(&size, style, FALSE, exStyle);
    const int w = size.right - size.left, h = size.bottom - size.top;
    RECT f;
    GetWindowRect(field, &f);
    MONITORINFO mi{sizeof mi};
    GetMonitorInfoW(MonitorFromWindow(field, MONITOR_DEFAULTTONEAREST), &mi);
    // Below the field, or above it when the screen ends first.
    int y = f.bottom;
    if (y + h > mi.rcWork.bottom && f.top - h >= mi.rcWork.top) y = f.top - h;
    const int x = std::max<int>(mi.rcWork.left, std::min<int>(f.left, mi.rcWork.right - w));
    SetWindowPos(window, HWND_TOP, x, y, w, h, SWP_NOACTIVATE | SWP_SHOWWINDOW);

    c->hook_ = SetWindowsHookExW(WH_MOUSE, MouseHook, nullptr, GetCurrentThreadId());
    t_open = {field, window};
    return c;
}

std::optional<DATE> Calendar::Selected() const
{
    SYSTEMTIME st{};
    if (!SendMessageW(window_, MCM_GETCURSEL, 0, reinterpret_cast<LPARAM>(&st))) return std::nullopt;
    return DateOfSystemTime(st);
}

void Calendar::Select(DATE date)
{
    SYSTEMTIME st = SystemTimeOf(date);
    SendMessageW(window_, MCM_SETCURSEL, 0, reinterpret_cast<LPARAM>(&st));
}

void Calendar::MoveDays(int days)
{
    if (const auto d = Selected(); d && IsDate(*d + days)) Select(*d + days);
}

void Calendar::MoveMonths(int months)
{
    if (const auto d = Selected())
        if (const auto moved = AddMonths(DayOf(*d), months)) Select(DateOf(*moved));
}

LRESULT CALLBACK Calendar::Proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp)
{
    auto* self = static_cast<Calendar*>(GetPropW(hwnd, kCalendarProperty));
    if (!self) return DefWindowProcW(hwnd, msg, wp, lp);
    switch (msg) {
    case WM_NCDESTROY: {
        // Destroyed with its owner, the dialog: the handle must not be used
        // again, it may soon name another window.
        const WNDPROC original = self->original_;
        RemovePropW(hwnd, kCalendarProperty);
        if (t_open.calendar == hwnd) t_open = {};
        self->window_ = nullptr;
        return CallWindowProcW(original, hwnd, msg, wp, lp);
    }
    case WM_MOUSEACTIVATE:
        return MA_NOACTIVATE;
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
        // Should the calendar get the focus after all, its keys are the
        // field's; posted, since the field may close the calendar.
        PostMessageW(self->field_, msg, wp, lp);
        return 0;
    default:
        return CallWindowProcW(self->original_, hwnd, msg, wp, lp);
    }
}

class FieldWindow {
public:
    explicit FieldWindow(HWND hwnd) : hwnd_(hwnd) {}
    static FieldWindow* From(HWND hwnd) { return reinterpret_cast<FieldWindow*>(GetWindowLongPtrW(hwnd, 0)); }

    void SetText(std::wstring_view text)
    {
        mask_.SetText(text);
        Changed();
    }
    std::wstring Text() const { return mask_.Text(); }

    LRESULT Handle(UINT msg, WPARAM wp, LPARAM lp);

private:
    HFONT Font() const { return font_ ? font_ : static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT)); }
    RECT Inside() const;
    RECT ButtonRect() const;
    RECT TextRect() const;
    int LineHeight() const;
    // Character boundaries of the text shown, in pixels from the text's left.
    std::vector<int> Boundaries(const std::wstring& shown) const;
    void Changed();
    void PlaceCaret();
    void Paint();
    bool KeyDown(WPARAM vk, bool alt);
    void Char(wchar_t ch);
    void Click(POINT p);
    void OpenCalendar();
    void CloseCalendar(bool takeDay);
    void Copy() const;
    void Paste();

    HWND hwnd_;
    HFONT font_ = nullptr;
    DateMask mask_;
    std::unique_ptr<Calendar> calendar_;
    bool focused_ = false;
};

RECT FieldWindow::Inside() const
{
    RECT r;
    GetClientRect(hwnd_, &r);
    InflateRect(&r, -GetSystemMetrics(SM_CXEDGE), -GetSystemMetrics(SM_CYEDGE));
    return r;
}

RECT FieldWindow::ButtonRect() const
{
    RECT r = Inside();
    r.left = std::max(r.left, r.right - GetSystemMetrics(SM_CXVSCROLL));
    return r;
}

RECT FieldWindow::TextRect() const
{
    RECT r = Inside();
    r.left += 2;
    r.right = ButtonRect().left - 1;
    return r;
}

int FieldWindow::LineHeight() const
{
    const HDC dc = GetDC(hwnd_);
    const HGDIOBJ old = SelectObject(dc, Font());
    TEXTMETRICW tm{};
    GetTextMetricsW(dc, &tm);
    SelectObject(dc, old);
    ReleaseDC(hwnd_, dc);
    return tm.tmHeight;
}

std::vector<int> FieldWindow::Boundaries(const std::wstring& shown) const
{
    std::vector<int> at(shown.size() + 1, 0);
    if (shown.empty()) return at;
    const HDC dc = GetDC(hwnd_);
    const HGDIOBJ old = SelectObject(dc, Font());
    SIZE size;
    GetTextExtentExPointW(dc, shown.c_str(), static_cast<int>(shown.size()), 0, nullptr, at.data() + 1, &size);
    SelectObject(dc, old);
    ReleaseDC(hwnd_, dc);
    return at;
}

void FieldWindow::Changed()
{
    // The window text follows the content, so that tools in other processes
    // read it with WM_GETTEXT as well.
    const std::wstring text = mask_.Text();
    DefWindowProcW(hwnd_, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
    InvalidateRect(hwnd_, nullptr, FALSE);
    PlaceCaret();
}

void FieldWindow::PlaceCaret()
{
    if (!focused_) return;
    const RECT t = TextRect();
    const std::vector<int> at = Boundaries(mask_.Display());
    const auto position = static_cast<size_t>(std::min<int>(mask_.CaretPosition(), static_cast<int>(at.size()) - 1));
    SetCaretPos(t.left + at[position], (t.top + t.bottom - LineHeight()) / 2);
}

void FieldWindow::Paint()
{
    PAINTSTRUCT ps;
    const HDC dc = BeginPaint(hwnd_, &ps);
    const bool enabled = IsWindowEnabled(hwnd_);
    RECT r;
    GetClientRect(hwnd_, &r);
    FillRect(dc, &r, GetSysColorBrush(enabled ? COLOR_WINDOW : COLOR_BTNFACE));
    DrawEdge(dc, &r, EDGE_SUNKEN, BF_RECT);
    RECT button = ButtonRect();
    DrawFrameControl(dc, &button, DFC_SCROLL,
                     DFCS_SCROLLCOMBOBOX | (enabled ? 0 : DFCS_INACTIVE) | (calendar_ ? DFCS_PUSHED : 0));
    RECT text = TextRect();
    const std::wstring shown = mask_.Display();
    const HGDIOBJ old = SelectObject(dc, Font());
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, GetSysColor(enabled ? COLOR_WINDOWTEXT : COLOR_GRAYTEXT));
    DrawTextW(dc, shown.c_str(), static_cast<int>(shown.size()), &text,
              DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | DT_LEFT);
    SelectObject(dc, old);
    EndPaint(hwnd_, &ps);
}

bool FieldWindow::KeyDown(WPARAM vk, bool alt)
{
    if (calendar_) {
        // Alt+F4 and the like still reach the dialog.
        if (alt && vk != VK_UP && vk != VK_DOWN) {
            CloseCalendar(false);
            return false;
        }
        switch (vk) {
        case VK_RETURN:
        case VK_F4: CloseCalendar(true); return true;
        case VK_ESCAPE: CloseCalendar(false); return true;
        case VK_UP:
        case VK_DOWN:
            if (alt)
                CloseCalendar(true);
            else
                calendar_->MoveDays(vk == VK_UP ? -7 : 7);
            return true;
        case VK_LEFT: calendar_->MoveDays(-1); return true;
        case VK_RIGHT: calendar_->MoveDays(1); return true;
        case VK_PRIOR: calendar_->MoveMonths(-1); return true;
        case VK_NEXT: calendar_->MoveMonths(1); return true;
        default: return true;
        }
    }
    if (alt) {
        if (vk != VK_DOWN && vk != VK_UP) return false;
        OpenCalendar();
        return true;
    }
    const bool control = GetKeyState(VK_CONTROL) < 0, shift = GetKeyState(VK_SHIFT) < 0;
    switch (vk) {
    case VK_F4: OpenCalendar(); return true;
    case VK_F3: mask_.SetDate(Today()); break;
    case VK_UP: mask_.Step(1); break;
    case VK_DOWN: mask_.Step(-1); break;
    case VK_LEFT: mask_.Left(); break;
    case VK_RIGHT: mask_.Right(); break;
    case VK_HOME: mask_.Home(); break;
    case VK_END: mask_.End(); break;
    case VK_BACK: mask_.Backspace(); break;
    case VK_DELETE: mask_.Delete(); break;
    case VK_INSERT:
        if (control) Copy();
        if (shift) Paste();
        return true;
    default: return false;
    }
    Changed();
    return true;
}

void FieldWindow::Char(wchar_t ch)
{
    if (calendar_) return;
    switch (ch) {
    case 0x03: Copy(); return;  // Ctrl+C
    case 0x16: Paste(); return; // Ctrl+V
    default:
        if (ch >= L' ' && mask_.Typed(ch)) Changed();
    }
}

void FieldWindow::Click(POINT p)
{
    if (GetFocus() != hwnd_) SetFocus(hwnd_);
    const RECT button = ButtonRect();
    if (PtInRect(&button, p)) {
        if (calendar_)
            CloseCalendar(false);
        else
            OpenCalendar();
        return;
    }
    CloseCalendar(false);
    const std::vector<int> at = Boundaries(mask_.Display());
    const int x = p.x - TextRect().left;
    size_t nearest = 0;
    for (size_t i = 1; i < at.size(); ++i)
        if (std::abs(at[i] - x) < std::abs(at[nearest] - x)) nearest = i;
    mask_.PlaceCaret(static_cast<int>(nearest));
    PlaceCaret();
}

void FieldWindow::OpenCalendar()
{
    if (calendar_ || !IsWindowEnabled(hwnd_)) return;
    calendar_ = Calendar::Open(hwnd_, mask_.Date().value_or(Today()));
    InvalidateRect(hwnd_, nullptr, FALSE);
}

void FieldWindow::CloseCalendar(bool takeDay)
{
    if (!calendar_) return;
    const std::optional<DATE> day = takeDay ? calendar_->Selected() : std::nullopt;
    const bool focusInside = calendar_->Contains(GetFocus());
    calendar_.reset();
    if (focusInside) SetFocus(hwnd_);
    if (day) mask_.SetDate(*day);
    Changed();
}

// The clipboard, open for the owner's lifetime.
class OpenClipboardScope {
public:
    explicit OpenClipboardScope(HWND owner) : open_(OpenClipboard(owner) != FALSE) {}
    OpenClipboardScope(const OpenClipboardScope&) = delete;
    OpenClipboardScope& operator=(const OpenClipboardScope&) = delete;
    ~OpenClipboardScope()
    {
        if (open_) CloseClipboard();
    }
    explicit operator bool() const { return open_; }

private:
    bool open_;
};

struct GlobalFreer {
    void operator()(void* h) const { GlobalFree(h); }
};

void FieldWindow::Copy() const
{
    const std::wstring text = mask_.Text();
    const size_t bytes = (text.size() + 1) * sizeof(wchar_t);
    std::unique_ptr<void, GlobalFreer> memory(GlobalAlloc(GMEM_MOVEABLE, bytes));
    if (!memory) return;
    if (void* p = GlobalLock(memory.get())) {
        std::copy_n(text.c_str(), text.size() + 1, static_cast<wchar_t*>(p));
        GlobalUnlock(memory.get());
    }
    OpenClipboardScope clipboard(hwnd_);
    if (!clipboard) return;
    EmptyClipboard();
    // The clipboard owns the memory once it takes it.
    if (SetClipboardData(CF_UNICODETEXT, memory.get())) static_cast<void>(memory.release());
}

void FieldWindow::Paste()
{
    std::wstring text;
    {
        OpenClipboardScope clipboard(hwnd_);
        if (!clipboard) return;
        const HANDLE data = GetClipboardData(CF_UNICODETEXT);
        const auto* p = data ? static_cast<const wchar_t*>(GlobalLock(data)) : nullptr;
        if (!p) return;
        text = p;
        GlobalUnlock(data);
    }
    const auto first = text.find_first_not_of(L" \t\r\n");
    const auto last = text.find_last_not_of(L" \t\r\n");
    SetText(first == std::wstring::npos ? std::wstring_view() : std::wstring_view(text).substr(first, last - first + 1));
}

LRESULT FieldWindow::Handle(UINT msg, WPARAM wp, LPARAM lp)
{
    switch (msg) {
    case WM_GETDLGCODE: {
        // Enter and Escape belong to the dialog's default and cancel
        // buttons, except while the calendar is open.
        LRESULT code = DLGC_WANTARROWS | DLGC_WANTCHARS;
        const auto* m = reinterpret_cast<const MSG*>(lp);
        if (calendar_ && m && m->message == WM_KEYDOWN && (m->wParam == VK_RETURN || m->wParam == VK_ESCAPE))
            code |= DLGC_WANTMESSAGE;
        return code;
    }
    case WM_SETFONT:
        font_ = reinterpret_cast<HFONT>(wp);
        if (LOWORD(lp)) InvalidateRect(hwnd_, nullptr, TRUE);
        return 0;
    case WM_GETFONT:
        return reinterpret_cast<LRESULT>(font_);
    case WM_SETTEXT:
        SetText(lp ? reinterpret_cast<const wchar_t*>(lp) : L"");
        return TRUE;
    case WM_SETFOCUS:
        focused_ = true;
        CreateCaret(hwnd_, nullptr, 1, LineHeight());
        PlaceCaret();
        ShowCaret(hwnd_);
        return 0;
    case WM_KILLFOCUS:
        focused_ = false;
        DestroyCaret();
        if (calendar_ && !calendar_->Contains(reinterpret_cast<HWND>(wp))) PostMessageW(hwnd_, kCloseCalendar, FALSE, 0);
        return 0;
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
        if (KeyDown(wp, msg == WM_SYSKEYDOWN)) return 0;
        break;
    case WM_CHAR:
        Char(static_cast<wchar_t>(wp));
        return 0;
    case WM_COPY:
        Copy();
        return 0;
    case WM_PASTE:
        Paste();
        return 0;
    case WM_LBUTTONDOWN:
        Click({GET_X_LPARAM(lp), GET_Y_LPARAM(lp)});
        return 0;
    case WM_SETCURSOR:
        if (LOWORD(lp) == HTCLIENT) {
            POINT p;
            GetCursorPos(&p);
            ScreenToClient(hwnd_, &p);
            const RECT button = ButtonRect();
            SetCursor(LoadCursorW(nullptr, PtInRect(&button, p) ? IDC_ARROW : IDC_IBEAM));
            return TRUE;
        }
        break;
    case WM_NOTIFYFORMAT:
        return NFR_UNICODE;
    case WM_NOTIFY: {
        const auto* n = reinterpret_cast<const NMHDR*>(lp);
        if (calendar_ && n->hwndFrom == calendar_->Window() && n->code == MCN_SELECT) {
            // A day clicked. The calendar is still inside its own click:
            // take the day now, close the calendar once the click is over.
            if (const auto day = DateOfSystemTime(reinterpret_cast<const NMSELCHANGE*>(lp)->stSelStart))
                mask_.SetDate(*day);
            ShowWindow(calendar_->Window(), SW_HIDE);
            PostMessageW(hwnd_, kCloseCalendar, FALSE, 0);
            Changed();
        }
        return 0;
    }
    case kCloseCalendar:
        CloseCalendar(wp != 0);
        return 0;
    case WM_ENABLE:
        if (!wp) CloseCalendar(false);
        InvalidateRect(hwnd_, nullptr, FALSE);
        return 0;
    case WM_SIZE:
        InvalidateRect(hwnd_, nullptr, FALSE);
        return 0;
    case WM_ERASEBKGND:
        return 1;
    case WM_PAINT:
        Paint();
        return 0;
    case WM_DESTROY:
        calendar_.reset();
        return 0;
    default:
        break;
    }
    return DefWindowProcW(hwnd_, msg, wp, lp);
}

LRESULT CALLBACK FieldProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp)
{
    // The window owns its FieldWindow from WM_NCCREATE on; WM_NCDESTROY
    // deletes it, which the analyzer cannot follow.
    // NOLINTBEGIN(clang-analyzer-cplusplus.NewDeleteLeaks)
    if (msg == WM_NCCREATE) {
        auto* created = new (std::nothrow) FieldWindow(hwnd);
        if (!created) return FALSE;
        SetWindowLongPtrW(hwnd, 0, reinterpret_cast<LONG_PTR>(created));
    }
    FieldWindow* field = FieldWindow::From(hwnd);
    // NOLINTEND(clang-analyzer-cplusplus.NewDeleteLeaks)
    if (!field) return DefWindowProcW(hwnd, msg, wp, lp);
    if (msg == WM_NCDESTROY) {
        SetWindowLongPtrW(hwnd, 0, 0);
        delete field;
        return DefWindowProcW(hwnd, msg, wp, lp);
    }
    // Nothing may unwind through the window manager: an input that fails
    // (out of memory) is dropped.
    try {
        return field->Handle(msg, wp, lp);
    } catch (...) {
        return 0;
    }
}

void RegisterFieldClass()
{
    WNDCLASSEXW existing{sizeof existing};
    if (GetClassInfoExW(veldlg::ModuleInstance(), kClassName, &existing)) return;
    WNDCLASSEXW wc{sizeof wc};
    wc.style = CS_HREDRAW | CS_VREDRAW;
    wc.lpfnWndProc = FieldProc;
    wc.cbWndExtra = sizeof(FieldWindow*); // NOLINT(bugprone-sizeof-expression): room for one pointer
    wc.hInstance = veldlg::ModuleInstance();
    wc.lpszClassName = kClassName;
    if (!RegisterClassExW(&wc)) veldlg::ThrowLastErrorIf(GetLastError() != ERROR_CLASS_ALREADY_EXISTS);
}

} // namespace

// ---------------------------------------------------------------------------
// The control

void DateField::Text(std::wstring_view text)
{
    if (Window()) FieldWindow::From(Window())->SetText(text);
    text_ = text;
}

std::wstring DateField::Text() const
{
    return Window() ? FieldWindow::From(Window())->Text() : text_;
}

const wchar_t* DateField::WindowClass() const
{
    RegisterFieldClass();
    return kClassName;
}

void DateField::OnCreated()
{
    FieldWindow::From(Window())->SetText(text_);
}

void UnregisterDateFieldClass() noexcept
{
    UnregisterClassW(kClassName, veldlg::ModuleInstance());
}

} // namespace host
