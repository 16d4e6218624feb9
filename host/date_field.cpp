#include "host/date_field.h"

#include "host/date_calendar.h"
#include "host/date_mask.h"
#include "host/error.h"
#include "host/instance.h"

#include <windows.h>
#include <windowsx.h>

#include <algorithm>
#include <climits>
#include <memory>
#include <new>
#include <type_traits>

namespace host {

namespace {

constexpr wchar_t kClassName[] = L"VELDLG.DateField";
// What the platform's own edit answers when accessibility tools ask which
// standard control a window is, so that the field is read as a text field
// whatever its class name.
constexpr LRESULT kEditClassIndex = 0x10004;

// The platform's edit class, which the field's class extends; the field
// keeps its own pointer after the edit's window bytes. Read when the field's
// class is registered, before any field exists.
constinit WNDCLASSEXW g_edit{};
constinit INIT_ONCE g_registered = INIT_ONCE_STATIC_INIT;

const WNDCLASSEXW& EditClass()
{
    return g_edit;
}

// The clipboard, open while its owner window is held here.
struct CloseClipboardOnExit {
    void operator()(HWND /*owner*/) const { CloseClipboard(); }
};
using OpenClipboardScope = std::unique_ptr<std::remove_pointer_t<HWND>, CloseClipboardOnExit>;

class FieldWindow {
public:
    explicit FieldWindow(HWND hwnd)
        : hwnd_(hwnd), dropDown_(hwnd, [this] { return mask_.Date().value_or(Today()); }, [this](DATE d) { Take(d); })
    {
    }
    static FieldWindow* From(HWND hwnd)
    {
        return reinterpret_cast<FieldWindow*>(GetWindowLongPtrW(hwnd, EditClass().cbWndExtra));
    }

    // Content set by the program: no Undo takes it back.
    void SetText(std::wstring_view text)
    {
        mask_.SetText(text);
        Show({0, 0});
        CallEdit(EM_EMPTYUNDOBUFFER);
    }
    std::wstring Text() const { return mask_.Text(); }

    LRESULT Handle(UINT msg, WPARAM wp, LPARAM lp);

private:
    LRESULT CallEdit(UINT msg, WPARAM wp = 0, LPARAM lp = 0) const
    {
        return CallWindowProcW(EditClass().lpfnWndProc, hwnd_, msg, wp, lp);
    }
    // What the edit shows, and its selection.
    std::wstring Shown() const;
    Span Selection() const;
    // Shows the mask's content as one change, which the edit's Undo takes
    // back whole, and selects a span of it.
    void Show(Span selection);
    void MoveCaret(std::optional<int> caret)
    {
        if (caret) Show({*caret, *caret});
    }
    // A day from F3 or the calendar: the selection stays.
    void Take(DATE day)
    {
        mask_.SetDate(day);
        Show(Selection());
    }
    // Tools in other processes read the window's text without asking it.
    void PublishText() const;
    // The whole entry, with the caret at its start, where typing begins.
    void SelectAll() const { CallEdit(EM_SETSEL, static_cast<WPARAM>(Shown().size()), 0); }
    void Erase(bool backward);
    void Cut();
    void Paste();
    void Undo();
    bool KeyDown(WPARAM vk, bool alt);
    void Char(wchar_t ch);
    void SelectPartAt(POINT p) const;
    void Layout() const { CallEdit(EM_SETMARGINS, EC_LEFTMARGIN | EC_RIGHTMARGIN, MAKELPARAM(2, dropDown_.Place() + 1)); }

    HWND hwnd_;
    DateMask mask_;
    CalendarDropDown dropDown_;
};

std::wstring FieldWindow::Shown() const
{
    std::wstring s(static_cast<size_t>(CallEdit(WM_GETTEXTLENGTH)) + 1, L'\0');
    s.resize(static_cast<size_t>(CallEdit(WM_GETTEXT, s.size(), reinterpret_cast<LPARAM>(s.data()))));
    return s;
}

Span FieldWindow::Selection() const
{
    DWORD start = 0, end = 0;
    CallEdit(EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
    return {static_cast<int>(start), static_cast<int>(end)};
}

void FieldWindow::Show(Span selection)
{
    const std::wstring shown = mask_.Display();
    if (shown != Shown()) {
        CallEdit(EM_EMPTYUNDOBUFFER);
        CallEdit(EM_SETSEL, 0, -1);
        CallEdit(EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(shown.c_str()));
        PublishText();
    }
    const int length = static_cast<int>(shown.size());
    CallEdit(EM_SETSEL, static_cast<WPARAM>(std::min(selection.start, length)), std::min(selection.end, length));
}

void FieldWindow::PublishText() const
{
    const std::wstring text = mask_.Text();
    DefWindowProcW(hwnd_, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
}

void FieldWindow::Erase(bool backward)
{
    const int caret = mask_.Erase(Selection(), backward);
    Show({caret, caret});
}

void FieldWindow::Cut()
{
    if (Selection().Empty()) return;
    CallEdit(WM_COPY);
    Erase(false);
}

void FieldWindow::Paste()
{
    std::wstring text;
    {
        const OpenClipboardScope open(OpenClipboard(hwnd_) ? hwnd_ : nullptr);
        const HANDLE data = open ? GetClipboardData(CF_UNICODETEXT) : nullptr;
        const auto* p = data ? static_cast<const wchar_t*>(GlobalLock(data)) : nullptr;
        if (!p) return;
        text = p;
        GlobalUnlock(data);
    }
    MoveCaret(mask_.Paste(text, Selection()));
}

void FieldWindow::Undo()
{
    // The edit puts back what it showed before the last change; the mask
    // reads it again.
    CallEdit(WM_UNDO);
    mask_.SetText(Shown());
    PublishText();
}

bool FieldWindow::KeyDown(WPARAM vk, bool alt)
{
    if (dropDown_.IsOpen()) return dropDown_.Key(vk, alt);
    if (alt) {
        if (vk != VK_DOWN && vk != VK_UP) return false;
        dropDown_.Open();
        return true;
    }
    // The edit's own keys that would change its text without a message the
    // field sees are taken here.
    const bool shift = GetKeyState(VK_SHIFT) < 0;
    switch (vk) {
    case VK_F4: dropDown_.Open(); return true;
    case VK_F3: Take(Today()); return true;
    case VK_UP:
    case VK_DOWN: {
        const Span selection = Selection();
        mask_.Step(vk == VK_UP ? 1 : -1, selection.start);
        Show(selection);
        return true;
    }
    case VK_DELETE: shift ? Cut() : Erase(false); return true;
    case VK_INSERT:
        if (!shift) return false; // Ctrl+Insert: the edit copies
        Paste();
        return true;
    default: return false;
    }
}

void FieldWindow::Char(wchar_t ch)
{
    if (dropDown_.IsOpen()) return;
    switch (ch) {
    case 0x01: SelectAll(); return;      // Ctrl+A
    case 0x03: CallEdit(WM_COPY); return; // Ctrl+C
    case 0x08: Erase(true); return;      // Backspace
    case 0x16: Paste(); return;          // Ctrl+V
    case 0x18: Cut(); return;            // Ctrl+X
    case 0x1A: Undo(); return;           // Ctrl+Z
    default:
        if (ch >= L' ' && ch != 0x7F) MoveCaret(mask_.Type(ch, Selection()));
    }
}

void FieldWindow::SelectPartAt(POINT p) const
{
    // The edit gives the character boundary nearest the pointer; the
    // character under it may be the one before.
    int at = LOWORD(CallEdit(EM_CHARFROMPOS, 0, MAKELPARAM(p.x, p.y)));
    const LRESULT left = CallEdit(EM_POSFROMCHAR, static_cast<WPARAM>(at), 0);
    if (at > 0 && (left == -1 || p.x < GET_X_LPARAM(left))) --at;
    if (const auto part = mask_.PartAt(at)) CallEdit(EM_SETSEL, static_cast<WPARAM>(part->start), part->end);
}

LRESULT FieldWindow::Handle(UINT msg, WPARAM wp, LPARAM lp)
{
    if (const auto answered = dropDown_.Handle(msg, wp, lp)) return *answered;
    switch (msg) {
    case WM_CREATE: {
        const LRESULT r = CallEdit(msg, wp, lp);
        if (r == -1 || !dropDown_.MakeButton()) return -1;
        Layout();
        return r;
    }
    case WM_SIZE:
    case WM_SETFONT: {
        // The edit sets its margins again with a new font.
        const LRESULT r = CallEdit(msg, wp, lp);
        Layout();
        return r;
    }
    case WM_GETDLGCODE: {
        // Enter and Escape belong to the dialog's default and cancel
        // buttons, except while the calendar is open.
        LRESULT code = CallEdit(msg, wp, lp);
        const auto* m = reinterpret_cast<const MSG*>(lp);
        if (dropDown_.IsOpen() && m && m->message == WM_KEYDOWN && (m->wParam == VK_RETURN || m->wParam == VK_ESCAPE))
            code |= DLGC_WANTMESSAGE;
        return code;
    }
    case WM_GETOBJECT:
        if (static_cast<LONG>(lp) == OBJID_QUERYCLASSNAMEIDX) return kEditClassIndex;
        break;
    // The field's text is its content: empty while no slot is filled.
    case WM_GETTEXTLENGTH:
        return static_cast<LRESULT>(mask_.Text().size());
    case WM_GETTEXT:
        if (!lp || !wp) return 0;
        lstrcpynW(reinterpret_cast<wchar_t*>(lp), mask_.Text().c_str(), static_cast<int>(std::min<WPARAM>(wp, INT_MAX)));
        return lstrlenW(reinterpret_cast<wchar_t*>(lp));
    case WM_SETTEXT:
        SetText(lp ? reinterpret_cast<const wchar_t*>(lp) : L"");
        return TRUE;
    case EM_SETSEL:
        // What the dialog sends when the focus tabs in.
        if (wp == 0 && lp == -1) {
            SelectAll();
            return 0;
        }
        break;
    case EM_REPLACESEL:
        if (lp && *reinterpret_cast<const wchar_t*>(lp))
            MoveCaret(mask_.Paste(reinterpret_cast<const wchar_t*>(lp), Selection()));
        else if (!Selection().Empty())
            Erase(false);
        return 0;
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
        if (KeyDown(wp, msg == WM_SYSKEYDOWN)) return 0;
        break;
    case WM_CHAR:
    case WM_IME_CHAR:
        Char(static_cast<wchar_t>(wp));
        return 0;
    case WM_IME_STARTCOMPOSITION:
    case WM_IME_COMPOSITION:
    case WM_IME_ENDCOMPOSITION:
        // The IME composes in its own window; what it makes comes back as
        // WM_IME_CHAR, which the mask takes like typed keys.
        return DefWindowProcW(hwnd_, msg, wp, lp);
    case WM_PASTE: Paste(); return 0;
    case WM_CUT: Cut(); return 0;
    case WM_CLEAR:
        if (!Selection().Empty()) Erase(false);
        return 0;
    case WM_UNDO:
    case EM_UNDO: Undo(); return TRUE;
    case WM_LBUTTONDBLCLK: {
        const LRESULT r = CallEdit(msg, wp, lp);
        SelectPartAt({GET_X_LPARAM(lp), GET_Y_LPARAM(lp)});
        return r;
    }
    default:
        break;
    }
    return CallEdit(msg, wp, lp);
}

LRESULT CALLBACK FieldProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp)
{
    const int slot = EditClass().cbWndExtra;
    // The window owns its FieldWindow from WM_NCCREATE on; WM_NCDESTROY
    // deletes it, which the analyzer cannot follow.
    // NOLINTBEGIN(clang-analyzer-cplusplus.NewDeleteLeaks)
    if (msg == WM_NCCREATE) {
        auto* created = new (std::nothrow) FieldWindow(hwnd);
        if (!created) return FALSE;
        SetWindowLongPtrW(hwnd, slot, reinterpret_cast<LONG_PTR>(created));
        // The sunken edge of a dialog's text fields, whoever makes the field.
        SetWindowLongW(hwnd, GWL_EXSTYLE, GetWindowLongW(hwnd, GWL_EXSTYLE) | WS_EX_CLIENTEDGE);
    }
    FieldWindow* field = FieldWindow::From(hwnd);
    // NOLINTEND(clang-analyzer-cplusplus.NewDeleteLeaks)
    if (!field) return CallWindowProcW(EditClass().lpfnWndProc, hwnd, msg, wp, lp);
    if (msg == WM_NCDESTROY) {
        SetWindowLongPtrW(hwnd, slot, 0);
        delete field;
        return CallWindowProcW(EditClass().lpfnWndProc, hwnd, msg, wp, lp);
    }
    // Nothing may unwind through the window manager: an input that fails
    // (out of memory) is dropped.
    try {
        return field->Handle(msg, wp, lp);
    } catch (...) {
        return 0;
    }
}

// Once for the process: a class that another thread is still registering
// is already found by name but cannot make windows yet.
BOOL CALLBACK RegisterFieldClass(INIT_ONCE*, void*, void**)
{
    g_edit.cbSize = sizeof g_edit;
    if (!GetClassInfoExW(nullptr, L"Edit", &g_edit)) return FALSE;
    WNDCLASSEXW wc = g_edit;
    // Without the parent's DC, so that the field's painting spares its button.
    wc.style &= ~static_cast<UINT>(CS_PARENTDC);
    wc.lpfnWndProc = FieldProc;
    wc.cbWndExtra += static_cast<int>(sizeof(FieldWindow*)); // NOLINT(bugprone-sizeof-expression): room for one pointer
    wc.hInstance = veldlg::ModuleInstance();
    wc.lpszMenuName = nullptr;
    wc.lpszClassName = kClassName;
    return RegisterClassExW(&wc) != 0;
}

} // namespace

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
    veldlg::ThrowLastErrorIf(!InitOnceExecuteOnce(&g_registered, RegisterFieldClass, nullptr, nullptr));
    return kClassName;
}

void DateField::OnCreated()
{
    FieldWindow::From(Window())->SetText(text_);
}

void UnregisterDateFieldClass() noexcept
{
    UnregisterClassW(kClassName, veldlg::ModuleInstance());
    InitOnceInitialize(&g_registered);
}

} // namespace host
