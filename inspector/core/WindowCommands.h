// Commands on a window of any process that must not hang the inspector when it does not answer.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

namespace lvx {

// What a call does when an earlier one still waits for the same window.
enum class WhenBusy {
    Refuse,   // it is dropped: a command given to a window that hangs is not done later
    Replace,  // it waits to run after the earlier one, replacing any call waiting before it
};

// Runs `call` at once for a window of this thread. For another thread's window it runs on a
// helper thread and waits at most MessageTimeout: ShowWindow, EnableWindow, SetWindowPos,
// MoveWindow, SetWindowTextA and SetWindowLongA send messages to the window and would
// otherwise wait for a hung one for ever. A window has one helper thread at most: while it
// waits, further calls for that window are dropped or kept by `whenBusy` (so of the moves
// typed meanwhile only the latest lands, once the window answers again). True when the call
// finished in time; a late one still finishes on its own.
bool CallWithTimeout(HWND window, std::function<void()> call, WhenBusy whenBusy = WhenBusy::Refuse);

// Inverts the window's rectangle on the screen three times, 100 ms on and 100 ms off.
void FlashTargetWindow(HWND window);

// Sends WM_SETTEXT and reads the text back; false when the window did not take the text.
[[nodiscard]] bool ChangeWindowText(HWND window, const std::string& text);

}  // namespace lvx
