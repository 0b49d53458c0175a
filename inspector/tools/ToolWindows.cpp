// Placing the inspector's tool windows beside the main window, and keeping a place the user chose.
#include "ToolWindows.h"

#include "ToolPlacement.h"

namespace lvx {

namespace {

PlaceRect FromRect(const RECT& rect)
{
    return {rect.left, rect.top, rect.right, rect.bottom};
}

}  // namespace

void PlaceToolWindow(HWND tool, HWND main, const ToolPlace& place)
{
    if (tool == nullptr) return;
    if (place.MovedByUser) {
        ::SetWindowPos(tool, nullptr, place.TopLeft.x, place.TopLeft.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
        return;
    }
    RECT mainRect{}, toolRect{};
    if (main == nullptr || !::GetWindowRect(main, &mainRect) || !::GetWindowRect(tool, &toolRect)) return;
    MONITORINFO monitor{};
    monitor.cbSize = sizeof monitor;
    if (!::GetMonitorInfoA(::MonitorFromWindow(main, MONITOR_DEFAULTTONEAREST), &monitor)) return;
    const PlacePoint chosen = ChooseToolPlace(FromRect(mainRect), toolRect.right - toolRect.left,
                                              toolRect.bottom - toolRect.top, FromRect(monitor.rcWork));
    ::SetWindowPos(tool, nullptr, chosen.X, chosen.Y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void RememberToolWindowPlace(HWND tool, ToolPlace& place)
{
    RECT bounds{};
    if (!::GetWindowRect(tool, &bounds) || ::IsIconic(tool) || ::IsZoomed(tool)) return;
    place.MovedByUser = true;
    place.TopLeft = POINT{bounds.left, bounds.top};
}

}  // namespace lvx
