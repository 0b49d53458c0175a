// Notifications broadcast to the companion automation product: the inspected window and our run state.
#include "SiblingLink.h"

namespace lvx {

UINT IpcMessage = 0;

void RegisterIpcMessage()
{
    if (IpcMessage == 0) IpcMessage = ::RegisterWindowMessageA(IpcMessageName);
}

// SendNotifyMessageA returns at once for windows of other threads, so a hung receiver
// cannot block us; nobody listening is not an error.
void ReportWindowToSibling(HWND window)
{
    if (IpcMessage != 0)
        ::SendNotifyMessageA(HWND_BROADCAST, IpcMessage, SiblingWindowReport, reinterpret_cast<LPARAM>(window));
}

void ReportRunStateToSibling(LPARAM state)
{
    if (IpcMessage != 0) ::SendNotifyMessageA(HWND_BROADCAST, IpcMessage, SiblingRunState, state);
}

}  // namespace lvx
