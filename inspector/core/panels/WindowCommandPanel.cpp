// The window commands: every one goes through a time-out, so a hung window never blocks the inspector.
#include "WindowCommandPanel.h"

#include "core/MainForm.h"
#include "core/UNI_WindowInfo.h"
#include "core/Window.h"
#include "core/WindowCommands.h"

namespace lvx {

void WindowCommandPanel::ShowStateClick(const SpeedButton& sender)
{
    if (!sender.Down()) return;
    const WPARAM command = sender.Tag() == 0 ? SC_MINIMIZE : sender.Tag() == 2 ? SC_MAXIMIZE : SC_RESTORE;
    LRESULT result = 0;
    SendMessageWithTimeout(CurrentWindow.Handle, WM_SYSCOMMAND, command, 0, result);
    host_.RefreshExecute();
}

void WindowCommandPanel::CloseClick()
{
    LRESULT result = 0;
    SendMessageWithTimeout(CurrentWindow.Handle, WM_CLOSE, 0, 0, result);
    host_.RefreshExecute();
}

void WindowCommandPanel::SysCommandCloseClick()
{
    LRESULT result = 0;
    SendMessageWithTimeout(CurrentWindow.Handle, WM_SYSCOMMAND, SC_CLOSE, 0, result);
    host_.RefreshExecute();
}

void WindowCommandPanel::VisibleClick()
{
    const HWND window = CurrentWindow.Handle;
    if (window == nullptr) return;
    const int show = controls_.VisibleButton.Down() ? SW_SHOW : SW_HIDE;
    CallWithTimeout(window, [window, show] { ::ShowWindow(window, show); });
    host_.RefreshExecute();
}

void WindowCommandPanel::EnabledClick()
{
    const HWND window = CurrentWindow.Handle;
    if (window == nullptr) return;
    const BOOL enable = controls_.EnabledButton.Down() ? TRUE : FALSE;
    CallWithTimeout(window, [window, enable] { ::EnableWindow(window, enable); });
    host_.RefreshExecute();
}

void WindowCommandPanel::TopmostClick()
{
    const HWND window = CurrentWindow.Handle;
    const HWND after = controls_.TopmostButton.Down() ? HWND_TOPMOST : HWND_NOTOPMOST;
    CallWithTimeout(window, [window, after] {
        ::SetWindowPos(window, after, 0, 0, 0, 0, SWP_NOACTIVATE | SWP_NOMOVE | SWP_NOSIZE);
    });
    host_.RefreshExecute();
}

void WindowCommandPanel::FlashClick()
{
    if (CurrentWindow.Handle != nullptr) FlashTargetWindow(CurrentWindow.Handle);
}

void WindowCommandPanel::ChangeTextClick()
{
    if (CurrentWindow.Handle != nullptr &&
        !ChangeWindowText(CurrentWindow.Handle, GetControlText(controls_.WindowTextEdit)))
        ::MessageBoxA(host_.PanelOwner(), MessageText(Msg::CCWT).c_str(), MessageText(Msg::WARNING).c_str(),
                      MB_OK | MB_ICONWARNING);
    host_.RefreshExecute();
}

}  // namespace lvx
