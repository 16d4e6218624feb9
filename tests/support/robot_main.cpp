// veldlg_robot: drives the library's dialogs from outside the client's
// process, for script tests and the demo. Each argument is one step, taken
// in order:
//   form            wait for a dialog of the library (done first anyway)
//   msgbox          wait for a message box and make it the target
//   click:TEXT      click the control captioned TEXT
//   item:TEXT       click the list box item TEXT
//   key:NAME        press ENTER, ESCAPE, SPACE, TAB, F2, F3, F4, DOWN, UP,
//                   LEFT, RIGHT, HOME, END or a letter
//   alt:LETTER      press an access key
//   type:TEXT       type TEXT
//   close           click the target's close box
//   shot:FILE.png   save a picture of the target window
//   wait:MS         sleep
// It exits with 0 when every step worked, with 1 otherwise.

#include "robot.h"

#include <wincodec.h>

#include <cstdio>
#include <string>
#include <vector>

namespace {

bool SavePng(HWND hwnd, const std::wstring& path)
{
    RECT r;
    GetWindowRect(hwnd, &r);
    const int w = r.right - r.left, h = r.bottom - r.top;
    const HDC screen = GetDC(nullptr);
    const HDC memory = CreateCompatibleDC(screen);
    BITMAPINFO bi{};
    bi.bmiHeader = {sizeof(BITMAPINFOHEADER), w, -h, 1, 32, BI_RGB};
    void* bits = nullptr;
    const HBITMAP dib = CreateDIBSection(screen, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
    const HGDIOBJ old = SelectObject(memory, dib);
    BitBlt(memory, 0, 0, w, h, screen, r.left, r.top, SRCCOPY);
    SelectObject(memory, old);

    bool saved = false;
    IWICImagingFactory* factory = nullptr;
    if (SUCCEEDED(CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER, IID_IWICImagingFactory,
                                   reinterpret_cast<void**>(&factory)))) {
        IWICStream* stream = nullptr;
        IWICBitmapEncoder* encoder = nullptr;
        IWICBitmapFrameEncode* frame = nullptr;
        WICPixelFormatGUID format = GUID_WICPixelFormat32bppBGR;
        saved = SUCCEEDED(factory->CreateStream(&stream)) &&
                SUCCEEDED(stream->InitializeFromFilename(path.c_str(), GENERIC_WRITE)) &&
                SUCCEEDED(factory->CreateEncoder(GUID_ContainerFormatPng, nullptr, &encoder)) &&
                SUCCEEDED(encoder->Initialize(stream, WICBitmapEncoderNoCache)) &&
                SUCCEEDED(encoder->CreateNewFrame(&frame, nullptr)) && SUCCEEDED(frame->Initialize(nullptr)) &&
                SUCCEEDED(frame->SetSize(static_cast<UINT>(w), static_cast<UINT>(h))) &&
                SUCCEEDED(frame->SetPixelFormat(&format)) &&
                SUCCEEDED(frame->WritePixels(static_cast<UINT>(h), static_cast<UINT>(w) * 4,
                                             static_cast<UINT>(w * h * 4), static_cast<BYTE*>(bits))) &&
                SUCCEEDED(frame->Commit()) && SUCCEEDED(encoder->Commit());
        if (frame) frame->Release();
        if (encoder) encoder->Release();
        if (stream) stream->Release();
        factory->Release();
    }
    DeleteObject(dib);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    return saved;
}

WORD KeyNamed(const std::wstring& name)
{
    const struct {
        const wchar_t* name;
        WORD vk;
    } keys[] = {{L"ENTER", VK_RETURN}, {L"ESCAPE", VK_ESCAPE}, {L"SPACE", VK_SPACE}, {L"TAB", VK_TAB},
                {L"F2", VK_F2},        {L"F4", VK_F4},         {L"DOWN", VK_DOWN},   {L"UP", VK_UP},
                {L"HOME", VK_HOME},    {L"END", VK_END},       {L"LEFT", VK_LEFT},   {L"RIGHT", VK_RIGHT},
                {L"F3", VK_F3}};
    for (const auto& k : keys)
        if (name == k.name) return k.vk;
    return name.size() == 1 ? static_cast<WORD>(towupper(name[0])) : 0;
}

HWND Find(HWND target, const std::wstring& text)
{
    if (HWND c = robot::Child(target, text)) return c;
    // Captions may carry access-key ampersands.
    for (HWND c : robot::Children(target)) {
        std::wstring plain;
        for (wchar_t ch : robot::Text(c))
            if (ch != L'&') plain += ch;
        if (plain == text) return c;
    }
    return nullptr;
}

// Clicks the item of a list box of the target, where it is on the screen.
bool ClickListItem(HWND target, const std::wstring& text)
{
    for (HWND list : robot::Children(target, L"ListBox")) {
        const LRESULT i = SendMessageW(list, LB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                                       reinterpret_cast<LPARAM>(text.c_str()));
        if (i == LB_ERR) continue;
        robot::ClickListItem(list, static_cast<int>(i));
        return true;
    }
    return false;
}

} // namespace

int wmain(int argc, wchar_t** argv)
{
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    HWND form = robot::WaitForForm(0, robot::Timeout(30000));
    if (!form) {
        fwprintf(stderr, L"veldlg_robot: no dialog appeared\n");
        return 1;
    }
    HWND target = form;
    const DWORD thread = GetWindowThreadProcessId(form, nullptr);
    bool ok = true;
    for (int i = 1; i < argc && ok; ++i) {
        const std::wstring step = argv[i];
        const size_t colon = step.find(L':');
        const std::wstring verb = step.substr(0, colon);
        const std::wstring arg = colon == std::wstring::npos ? L"" : step.substr(colon + 1);
        if (verb == L"form") {
            target = form = robot::WaitForForm(0, robot::Timeout(30000));
            ok = form != nullptr;
        } else if (verb == L"msgbox") {
            target = robot::WaitForMessageBox(thread, robot::Timeout(10000));
            ok = target != nullptr;
        } else if (verb == L"click") {
            const HWND c = Find(target, arg);
            ok = c != nullptr;
            if (ok) robot::Click(c);
        } else if (verb == L"item") {
            ok = ClickListItem(target, arg);
        } else if (verb == L"key") {
            const WORD vk = KeyNamed(arg);
            ok = vk != 0;
            if (ok) robot::Press(vk);
        } else if (verb == L"alt") {
            ok = arg.size() == 1;
            if (ok) robot::Press(static_cast<WORD>(towupper(arg[0])), {VK_MENU});
        } else if (verb == L"type") {
            robot::Type(arg);
        } else if (verb == L"close") {
            robot::ClickCloseBox(target);
        } else if (verb == L"shot") {
            robot::Settle(target);
            Sleep(200); // let the window paint
            ok = SavePng(target, arg);
        } else if (verb == L"wait") {
            Sleep(static_cast<DWORD>(_wtoi(arg.c_str())));
        } else {
            ok = false;
        }
        if (!ok) fwprintf(stderr, L"veldlg_robot: step \"%ls\" failed\n", step.c_str());
        if (target) robot::Settle(target);
    }
    CoUninitialize();
    return ok ? 0 : 1;
}
