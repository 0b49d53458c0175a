// Commands on a window of any process that must not hang the inspector when it does not answer.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

namespace lvx {

// Runs `call` at once for a window of this thread. For another thread's window it runs on a
// helper thread and waits at most MessageTimeout: ShowWindow, EnableWindow and SetWindowPos
// send messages to the window and would otherwise wait for a hung one for ever. True when the
// call finished in time (a late one still finishes on its own).
bool CallWithTimeout(HWND window, std::function<void()> call);

// Inverts the window's rectangle on the screen three times, 100 ms on and 100 ms off.
void FlashTargetWindow(HWND window);

// Sends WM_SETTEXT and reads the text back; false when the window did not take the text.
[[nodiscard]] bool ChangeWindowText(HWND window, const std::string& text);

}  // namespace lvx
