// Notifications broadcast to the companion automation product: the inspected window and our run state.
#pragma once

#include <windows.h>

namespace lvx {

// wParam values: "LVX_" for a window report, "LVX^" for the run state.
inline constexpr WPARAM SiblingWindowReport = 0x4C56585F;
inline constexpr WPARAM SiblingRunState = 0x4C56585E;
inline constexpr LPARAM RunStateStarted = 0;
inline constexpr LPARAM RunStateStopping = 1;
inline constexpr char IpcMessageName[] = "Narvolt Lumivex IPC Message";

// The registered message id; 0 until RegisterIpcMessage ran.
extern UINT IpcMessage;

// Registers the message once, before any window exists.
void RegisterIpcMessage();

void ReportWindowToSibling(HWND window);
void ReportRunStateToSibling(LPARAM state);

}  // namespace lvx
