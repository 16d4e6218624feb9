#include "bare_grid.h"

#include <commctrl.h>
#include <oleacc.h>

#include <cwchar>
#include <iterator>
#include <vector>

namespace bare {

namespace {

// The accessible name's property, as oleacc's annotation knows it.
constexpr GUID kName = {0x608d3df8, 0x8128, 0x4aa7, {0xa4, 0x28, 0xf5, 0x5e, 0x49, 0x26, 0x72, 0x91}};
constexpr CLSID kAccPropServices = {0xb5f8350b, 0x0548, 0x48b1, {0xa6, 0xee, 0x88, 0xbd, 0x00, 0xb4, 0xa5, 0xe7}};
constexpr IID kIAccPropServices = {0x6e26e776, 0x04f0, 0x495d, {0x80, 0xe4, 0x33, 0x30, 0x35, 0x2e, 0x31, 0x69}};

// The grid's layout, in twips, as the label start position dialog has it.
constexpr int kButtonWidth = 1000;
constexpr int kButtonHeight = 300;
constexpr int kGap = 120;
constexpr int kFrameWidth = 250;
constexpr int kFrameHeight = 500;
constexpr int kFirstId = 100;

struct Outcome {
    int clicked = 0;
    bool done = false;
};

INT_PTR CALLBACK DialogProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp)
{
    if (msg == WM_INITDIALOG) {
        SetWindowLongPtrW(hwnd, DWLP_USER, lp);
        return FALSE;
    }
    auto* outcome = reinterpret_cast<Outcome*>(GetWindowLongPtrW(hwnd, DWLP_USER));
    if (!outcome) return FALSE;
    if (msg == WM_COMMAND && lp && HIWORD(wp) == BN_CLICKED) {
        outcome->clicked = LOWORD(wp) - kFirstId + 1;
        outcome->done = true;
        return TRUE;
    }
    if ((msg == WM_COMMAND && LOWORD(wp) == IDCANCEL) || msg == WM_CLOSE) {
        outcome->done = true;
        return TRUE;
    }
    return FALSE;
}

// The dialog class with the icons of one resource, registered once: the
// benchmark shows the same icon every time.
constexpr wchar_t kIconClass[] = L"BareGridWithIcon";

bool RegisterIconClass(HINSTANCE module, int id)
{
    static const bool registered = [&] {
        WNDCLASSEXW wc{sizeof wc};
        if (!GetClassInfoExW(nullptr, L"#32770", &wc)) return false;
        wc.cbSize = sizeof wc;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.lpszClassName = kIconClass;
        const auto load = [&](int metricX, int metricY) {
            return static_cast<HICON>(LoadImageW(module, MAKEINTRESOURCEW(id), IMAGE_ICON, GetSystemMetrics(metricX),
                                                 GetSystemMetrics(metricY), 0));
        };
        wc.hIcon = load(SM_CXICON, SM_CYICON);
        wc.hIconSm = load(SM_CXSMICON, SM_CYSMICON);
        return RegisterClassExW(&wc) != 0;
    }();
    return registered;
}

} // namespace

Look::Look(HINSTANCE module)
{
    // One context per process is enough: the benchmark uses one module's.
    static HANDLE context = INVALID_HANDLE_VALUE;
    if (module && context == INVALID_HANDLE_VALUE) {
        ACTCTXW ac{sizeof ac};
        ac.dwFlags = ACTCTX_FLAG_HMODULE_VALID | ACTCTX_FLAG_RESOURCE_NAME_VALID;
        ac.hModule = module;
        ac.lpResourceName = MAKEINTRESOURCEW(2);
        context = CreateActCtxW(&ac);
    }
    active_ = module && context != INVALID_HANDLE_VALUE && ActivateActCtx(context, &cookie_);
}

Look::~Look()
{
    if (active_) DeactivateActCtx(0, cookie_);
}

int ShowGrid(int rows, int columns, const Extras& extras)
{
    const Look look(extras.contextModule);
    IAccPropServices* annotate = nullptr;
    if (extras.annotations)
        CoCreateInstance(kAccPropServices, nullptr, CLSCTX_INPROC_SERVER, kIAccPropServices,
                         reinterpret_cast<void**>(&annotate));
    const HINSTANCE instance = GetModuleHandleW(nullptr);
    const HWND owner = extras.hiddenOwner
                           ? CreateWindowExW(0, L"Static", L"", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr, instance, nullptr)
                           : nullptr;

    // A template with no controls: menu, class and title follow the head.
    alignas(DWORD) WORD tmpl[sizeof(DLGTEMPLATE) / sizeof(WORD) + 3 + sizeof kIconClass / sizeof(WORD)] = {};
    auto* head = reinterpret_cast<DLGTEMPLATE*>(tmpl);
    head->style = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME;
    head->dwExtendedStyle = WS_EX_CONTROLPARENT | WS_EX_DLGMODALFRAME;
    const bool iconClass = extras.iconModule && extras.byClass && RegisterIconClass(extras.iconModule, extras.iconId);
    if (iconClass) std::wmemcpy(reinterpret_cast<wchar_t*>(head + 1) + 1, kIconClass, std::size(kIconClass));
    Outcome outcome;
    const HWND dialog = CreateDialogIndirectParamW(instance, head, owner, DialogProc, reinterpret_cast<LPARAM>(&outcome));
    if (!dialog) {
        if (owner) DestroyWindow(owner);
        return 0;
    }
    SetPropW(dialog, kFormProperty, reinterpret_cast<HANDLE>(1));
    SetWindowTextW(dialog, L"Select Starting Position COLUMN, ROW");

    const HDC dc = GetDC(dialog);
    const int dpi = GetDeviceCaps(dc, LOGPIXELSY);
    ReleaseDC(dialog, dc);
    const auto px = [dpi](int twips) { return MulDiv(twips, dpi, 1440); };

    // Outer size and place, centred on the work area, in one call.
    const int width = px(columns * (kButtonWidth + kGap) + kFrameWidth);
    const int height = px(rows * (kButtonHeight + kGap) + kFrameHeight);
    RECT work{};
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    SetWindowPos(dialog, nullptr, work.left + (work.right - work.left - width) / 2,
                 work.top + (work.bottom - work.top - height) / 2, width, height, SWP_NOZORDER | SWP_NOACTIVATE);

    HICON icons[2] = {};
    if (extras.iconModule && !iconClass) {
        const int metrics[2][2] = {{SM_CXICON, SM_CYICON}, {SM_CXSMICON, SM_CYSMICON}};
        for (int i = 0; i < 2; ++i) {
            icons[i] = static_cast<HICON>(LoadImageW(extras.iconModule, MAKEINTRESOURCEW(extras.iconId), IMAGE_ICON,
                                                     GetSystemMetrics(metrics[i][0]), GetSystemMetrics(metrics[i][1]), 0));
            SendMessageW(dialog, WM_SETICON, i == 0 ? ICON_BIG : ICON_SMALL, reinterpret_cast<LPARAM>(icons[i]));
        }
    }

    const auto font = reinterpret_cast<WPARAM>(GetStockObject(DEFAULT_GUI_FONT));
    if (extras.font) SendMessageW(dialog, WM_SETFONT, font, FALSE);
    HWND tips = nullptr;
    if (extras.toolTips) {
        INITCOMMONCONTROLSEX icc{sizeof icc, ICC_WIN95_CLASSES};
        InitCommonControlsEx(&icc);
        tips = CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX, 0, 0,
                               0, 0, dialog, nullptr, instance, nullptr);
    }

    const DWORD style = WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON;
    std::vector<HWND> buttons;
    buttons.reserve(static_cast<size_t>(rows * columns));
    for (int c = 1; c <= columns; ++c) {
        for (int r = 1; r <= rows; ++r) {
            wchar_t caption[16];
            std::swprintf(caption, 16, L"%d, %d", c, r);
            const int id = kFirstId + (c - 1) * rows + (r - 1);
            const HWND b = CreateWindowExW(0, L"Button", caption, style, px((c - 1) * kButtonWidth + c * kGap),
                                           px((r - 1) * kButtonHeight + r * kGap), px(kButtonWidth), px(kButtonHeight),
                                           dialog, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), instance, nullptr);
            if (extras.font) SendMessageW(b, WM_SETFONT, font, FALSE);
            if (extras.properties) SetPropW(b, L"VELDLG.Control", reinterpret_cast<HANDLE>(static_cast<INT_PTR>(id)));
            if (annotate)
                annotate->SetHwndPropStr(b, static_cast<DWORD>(OBJID_CLIENT), CHILDID_SELF, kName, caption);
            if (tips) {
                wchar_t text[80];
                std::swprintf(text, 80, L"Click this button to start at Column: %d & Row: %d", c, r);
                TOOLINFOW ti{};
                ti.cbSize = TTTOOLINFOW_V2_SIZE;
                ti.uFlags = TTF_IDISHWND;
                ti.hwnd = dialog;
                ti.uId = reinterpret_cast<UINT_PTR>(b);
                ti.lpszText = text;
                SendMessageW(tips, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&ti));
            }
            buttons.push_back(b);
        }
    }

    ShowWindow(dialog, SW_SHOW);
    SetForegroundWindow(dialog);
    if (extras.dialogFocus)
        SendMessageW(dialog, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(buttons.front()), TRUE);
    else
        SetFocus(buttons.front());

    MSG msg;
    while (!outcome.done) {
        const BOOL got = GetMessageW(&msg, nullptr, 0, 0);
        if (got <= 0) {
            if (got == 0) PostQuitMessage(static_cast<int>(msg.wParam));
            break;
        }
        if (tips && msg.message >= WM_MOUSEFIRST && msg.message <= WM_MOUSELAST)
            SendMessageW(tips, TTM_RELAYEVENT, 0, reinterpret_cast<LPARAM>(&msg));
        if (IsDialogMessageW(dialog, &msg)) continue;
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }

    if (annotate) {
        for (HWND b : buttons)
            annotate->ClearHwndProps(b, static_cast<DWORD>(OBJID_CLIENT), CHILDID_SELF, &kName, 1);
        annotate->Release();
    }
    if (extras.destroyEach)
        for (HWND b : buttons) DestroyWindow(b);
    DestroyWindow(dialog); // the buttons and tool tips with it
    if (owner) DestroyWindow(owner);
    for (HICON icon : icons)
        if (icon) DestroyIcon(icon);
    return outcome.clicked;
}

} // namespace bare
