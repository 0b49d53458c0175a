// Placing the inspector's tool windows beside the main window, and keeping a place the user chose.
#include "ToolWindows.h"

#include "ToolPlacement.h"

namespace lvx {

namespace {

constexpr char MovedByUser[] = "LumivexPlacedByUser";

PlaceRect FromRect(const RECT& rect)
{
    return {rect.left, rect.top, rect.right, rect.bottom};
}

}  // namespace

void PlaceToolWindow(HWND tool, HWND main)
{
    if (tool == nullptr || main == nullptr || ::GetPropA(tool, MovedByUser) != nullptr) return;
    RECT mainRect{}, toolRect{};
    if (!::GetWindowRect(main, &mainRect) || !::GetWindowRect(tool, &toolRect)) return;
    MONITORINFO monitor{};
    monitor.cbSize = sizeof monitor;
    if (!::GetMonitorInfoA(::MonitorFromWindow(main, MONITOR_DEFAULTTONEAREST), &monitor)) return;
    const PlacePoint place = ChooseToolPlace(FromRect(mainRect), toolRect.right - toolRect.left,
                                             toolRect.bottom - toolRect.top, FromRect(monitor.rcWork));
    ::SetWindowPos(tool, nullptr, place.X, place.Y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void RememberToolWindowPlace(HWND tool)
{
    ::SetPropA(tool, MovedByUser, reinterpret_cast<HANDLE>(1));
}

void ForgetToolWindowPlace(HWND tool)
{
    ::RemovePropA(tool, MovedByUser);
}

}  // namespace lvx
