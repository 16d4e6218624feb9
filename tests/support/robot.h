#pragma once
// The test robot: finds the library's dialogs and drives them the way a user
// does, with clicks and keys sent through the real input queue (SendInput).
// What goes wrong is a test failure.

#include <windows.h>

#include <chrono>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace robot {

using namespace std::chrono_literals;
using Timeout = std::chrono::milliseconds;

// A visible top-level form of the library (0: on any thread of any process),
// in the foreground, with its thread pumping messages: ready for input.
HWND WaitForForm(DWORD thread = 0, Timeout timeout = 10s, const std::function<bool()>& giveUp = {});
// A visible message box (a dialog that is not one of the forms) of a thread,
// ready for input.
HWND WaitForMessageBox(DWORD thread, Timeout timeout = 10s);
// Waits until a window is destroyed or hidden.
bool WaitUntilGone(HWND hwnd, Timeout timeout = 10s);
// Waits until the window's thread has handled everything sent so far; false
// when it hangs.
bool Settle(HWND hwnd);

std::wstring Text(HWND hwnd);
std::wstring ClassOf(HWND hwnd);
// The visible child windows of a dialog, in tab (z) order.
std::vector<HWND> Children(HWND parent, std::wstring_view windowClass = {});
// A visible child whose text is exactly `text`; null if none.
HWND Child(HWND parent, std::wstring_view text, std::wstring_view windowClass = {});
// A child's rectangle in its parent's client coordinates, in pixels.
RECT PlaceIn(HWND child, HWND parent);
// Twips to pixels at the window's DPI, as the forms runtime converts.
int Px(HWND hwnd, int twips);

void Click(HWND hwnd);
void DoubleClick(HWND hwnd, POINT client);
void ClickCloseBox(HWND dialog);
// Presses and releases a key; with modifiers held around it.
void Press(WORD vk, const std::vector<WORD>& modifiers = {});
// Types text as Unicode input (VK_PACKET), as on-screen keyboards do.
void TypeUnicode(std::wstring_view text);

// Runs `show` on this thread while `act` drives the dialog from another
// thread; the robot closes a dialog that `act` left open, so a failing test
// never hangs.
void WithDialog(const std::function<void()>& show, const std::function<void(HWND dialog)>& act);

} // namespace robot
