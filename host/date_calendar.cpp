#include "host/date_calendar.h"

#include "host/dates.h"
#include "host/instance.h"
#include "host/styles.h"

#include <commctrl.h>

#include <algorithm>
#include <new>
#include <utility>

namespace host {

namespace {

// Posted to a field: close its calendar, taking the day chosen when wParam
// is nonzero.
constexpr UINT kCloseCalendar = WM_APP + 1;
// The button's text, which accessibility tools read as its name.
constexpr wchar_t kButtonName[] = L"Open calendar";

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
            // The field handles clicks on itself and its button.
            const HWND target = reinterpret_cast<const MOUSEHOOKSTRUCT*>(lp)->hwnd;
            const auto within = [target](HWND w) { return target == w || IsChild(w, target); };
            if (!within(t_open.field) && !within(t_open.calendar))
                PostMessageW(t_open.field, kCloseCalendar, FALSE, 0);
            break;
        }
        default:
            break;
        }
    }
    return CallNextHookEx(nullptr, code, wp, lp);
}

std::optional<DATE> DateOfSystemTime(const SYSTEMTIME& st)
{
    const CalendarDay d{st.wYear, st.wMonth, st.wDay};
    if (!IsCalendarDay(d)) return std::nullopt;
    return DateOf(d);
}

} // namespace

// The month calendar popup, owned by the field: its notifications go there.
class CalendarDropDown::Calendar {
public:
    static std::unique_ptr<Calendar> Open(HWND field, DATE date);
    Calendar(const Calendar&) = delete;
    Calendar& operator=(const Calendar&) = delete;
    ~Calendar();

    HWND Window() const { return window_; }
    bool Contains(HWND w) const { return w && window_ && (w == window_ || IsChild(window_, w)); }
    std::optional<DATE> Selected() const;
    void Select(DATE date);
    void MoveDays(int days);
    void MoveMonths(int months);

private:
    Calendar(HWND field, HWND window);
    static LRESULT CALLBACK Proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR id, DWORD_PTR self);

    HWND field_;
    HWND window_;
    HHOOK hook_ = nullptr;
};

CalendarDropDown::Calendar::Calendar(HWND field, HWND window) : field_(field), window_(window)
{
    SetWindowSubclass(window_, &Calendar::Proc, 0, reinterpret_cast<DWORD_PTR>(this));
}

CalendarDropDown::Calendar::~Calendar()
{
    if (hook_) UnhookWindowsHookEx(hook_);
    if (t_open.field == field_) t_open = {};
    if (!window_) return;
    RemoveWindowSubclass(window_, &Calendar::Proc, 0);
    DestroyWindow(window_);
}

std::unique_ptr<CalendarDropDown::Calendar> CalendarDropDown::Calendar::Open(HWND field, DATE date)
{
    const VisualStyles styles; // opened from a key or click, outside the form's making
    INITCOMMONCONTROLSEX icc{sizeof icc, ICC_DATE_CLASSES};
    InitCommonControlsEx(&icc);
    const DWORD style = WS_POPUP | WS_BORDER, exStyle = WS_EX_TOOLWINDOW | WS_EX_NOACTIVATE;
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

std::optional<DATE> CalendarDropDown::Calendar::Selected() const
{
    SYSTEMTIME st{};
    if (!window_ || !SendMessageW(window_, MCM_GETCURSEL, 0, reinterpret_cast<LPARAM>(&st))) return std::nullopt;
    return DateOfSystemTime(st);
}

void CalendarDropDown::Calendar::Select(DATE date)
{
    const CalendarDay d = DayOf(date);
    SYSTEMTIME st{};
    st.wYear = static_cast<WORD>(d.year);
    st.wMonth = static_cast<WORD>(d.month);
    st.wDay = static_cast<WORD>(d.day);
    if (window_) SendMessageW(window_, MCM_SETCURSEL, 0, reinterpret_cast<LPARAM>(&st));
}

void CalendarDropDown::Calendar::MoveDays(int days)
{
    if (const auto d = Selected(); d && IsDate(*d + days)) Select(*d + days);
}

void CalendarDropDown::Calendar::MoveMonths(int months)
{
    if (const auto d = Selected())
        if (const auto moved = AddMonths(DayOf(*d), months)) Select(DateOf(*moved));
}

LRESULT CALLBACK CalendarDropDown::Calendar::Proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR /*id*/,
                                                  DWORD_PTR self)
{
    auto* c = reinterpret_cast<Calendar*>(self);
    switch (msg) {
    case WM_NCDESTROY:
        // Destroyed with its owner, the dialog: the handle must not be used
        // again, it may soon name another window.
        RemoveWindowSubclass(hwnd, &Calendar::Proc, 0);
        if (t_open.calendar == hwnd) t_open = {};
        c->window_ = nullptr;
        break;
    case WM_MOUSEACTIVATE:
        return MA_NOACTIVATE;
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
        // Should the calendar get the focus after all, its keys are the
        // field's; posted, since the field may close the calendar.
        PostMessageW(c->field_, msg, wp, lp);
        return 0;
    default:
        break;
    }
    return DefSubclassProc(hwnd, msg, wp, lp);
}

CalendarDropDown::CalendarDropDown(HWND field, std::function<DATE()> shown, std::function<void(DATE)> take)
    : field_(field), shown_(std::move(shown)), take_(std::move(take))
{
}

CalendarDropDown::~CalendarDropDown() = default;

bool CalendarDropDown::MakeButton()
{
    // Owner-drawn as a combo box's arrow; its text is its accessible name.
    button_ = CreateWindowExW(0, WC_BUTTONW, kButtonName, WS_CHILD | WS_VISIBLE | BS_OWNERDRAW, 0, 0, 0, 0, field_,
                              nullptr, veldlg::ModuleInstance(), nullptr);
    if (!button_) return false;
    SetWindowSubclass(button_, &CalendarDropDown::ButtonProc, 0, reinterpret_cast<DWORD_PTR>(this));
    return true;
}

int CalendarDropDown::Place() const
{
    RECT c;
    GetClientRect(field_, &c);
    const int w = std::min<int>(GetSystemMetrics(SM_CXVSCROLL), c.right);
    SetWindowPos(button_, nullptr, c.right - w, 0, w, c.bottom, SWP_NOZORDER | SWP_NOACTIVATE);
    return w;
}

void CalendarDropDown::Open()
{
    if (calendar_ || !IsWindowEnabled(field_)) return;
    calendar_ = Calendar::Open(field_, shown_());
    InvalidateRect(button_, nullptr, FALSE);
}

void CalendarDropDown::Close(bool takeDay)
{
    if (!calendar_) return;
    const std::optional<DATE> day = takeDay ? calendar_->Selected() : std::nullopt;
    const bool focusInside = calendar_->Contains(GetFocus());
    calendar_.reset();
    if (focusInside) SetFocus(field_);
    InvalidateRect(button_, nullptr, FALSE);
    if (day) take_(*day);
}

bool CalendarDropDown::Key(WPARAM vk, bool alt)
{
    // Alt+F4 and the like still reach the dialog.
    if (alt && vk != VK_UP && vk != VK_DOWN) {
        Close(false);
        return false;
    }
    switch (vk) {
    case VK_RETURN:
    case VK_F4: Close(true); break;
    case VK_ESCAPE: Close(false); break;
    case VK_UP:
    case VK_DOWN:
        if (alt)
            Close(true);
        else
            calendar_->MoveDays(vk == VK_UP ? -7 : 7);
        break;
    case VK_LEFT: calendar_->MoveDays(-1); break;
    case VK_RIGHT: calendar_->MoveDays(1); break;
    case VK_PRIOR: calendar_->MoveMonths(-1); break;
    case VK_NEXT: calendar_->MoveMonths(1); break;
    default: break;
    }
    return true;
}

void CalendarDropDown::Pressed()
{
    if (!IsWindowEnabled(field_)) return;
    if (GetFocus() != field_) SetFocus(field_);
    if (calendar_)
        Close(false);
    else
        Open();
}

LRESULT CALLBACK CalendarDropDown::ButtonProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR id, DWORD_PTR self)
{
    switch (msg) {
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
        // A press opens or closes the calendar at once, as a drop-down
        // does, and the focus stays with the field. Nothing may unwind
        // through the window manager.
        try {
            reinterpret_cast<CalendarDropDown*>(self)->Pressed();
        } catch (...) {
        }
        return 0;
    case WM_NCDESTROY:
        RemoveWindowSubclass(hwnd, &CalendarDropDown::ButtonProc, id);
        break;
    default:
        break;
    }
    return DefSubclassProc(hwnd, msg, wp, lp);
}

std::optional<LRESULT> CalendarDropDown::Handle(UINT msg, WPARAM wp, LPARAM lp)
{
    switch (msg) {
    case WM_DRAWITEM: {
        const auto* d = reinterpret_cast<const DRAWITEMSTRUCT*>(lp);
        if (d->hwndItem != button_) break;
        RECT r = d->rcItem;
        DrawFrameControl(d->hDC, &r, DFC_SCROLL,
                         DFCS_SCROLLCOMBOBOX | (calendar_ ? DFCS_PUSHED : 0) | (IsWindowEnabled(field_) ? 0 : DFCS_INACTIVE));
        return TRUE;
    }
    case WM_NOTIFY: {
        const auto* n = reinterpret_cast<const NMHDR*>(lp);
        if (!calendar_ || n->hwndFrom != calendar_->Window()) break;
        if (n->code == MCN_SELECT) {
            // A day clicked. The calendar is still inside its own click:
            // take the day now, close the calendar once the click is over.
            ShowWindow(calendar_->Window(), SW_HIDE);
            PostMessageW(field_, kCloseCalendar, FALSE, 0);
            if (const auto day = DateOfSystemTime(reinterpret_cast<const NMSELCHANGE*>(lp)->stSelStart)) take_(*day);
        }
        return 0;
    }
    case kCloseCalendar:
        Close(wp != 0);
        return 0;
    case WM_LBUTTONDOWN:
        Close(false);
        break;
    case WM_KILLFOCUS:
        if (calendar_ && !calendar_->Contains(reinterpret_cast<HWND>(wp))) PostMessageW(field_, kCloseCalendar, FALSE, 0);
        break;
    case WM_ENABLE:
        if (!wp) Close(false);
        EnableWindow(button_, static_cast<BOOL>(wp));
        break;
    case WM_DESTROY:
        calendar_.reset();
        break;
    default:
        break;
    }
    return std::nullopt;
}

} // namespace host
