// Placing the inspector's tool windows beside the main window, and keeping a place the user chose.
#include "ToolWindows.h"

#include "ToolPlacement.h"

namespace lvx {

namespace {

PlaceRect FromRect(const RECT& rect)
{
    return {rect.left, rect.top, rect.right, rect.bottom};
}

bool WorkAreaOf(HMONITOR monitor, RECT& workArea)
{
    MONITORINFO info{};
    info.cbSize = sizeof info;
    if (monitor == nullptr || !::GetMonitorInfoA(monitor, &info)) return false;
    workArea = info.rcWork;
    return true;
}

}  // namespace

RECT ToolWindowBounds(HWND main, const ToolPlace& place, int width, int height, bool resizable)
{
    RECT bounds{0, 0, width, height};
    RECT workArea{};
    if (place.MovedByUser) {
        bounds = place.Bounds;
        if (!resizable) bounds = RECT{bounds.left, bounds.top, bounds.left + width, bounds.top + height};
        if (!WorkAreaOf(::MonitorFromRect(&bounds, MONITOR_DEFAULTTONEAREST), workArea)) return bounds;
    } else {
        RECT mainRect{};
        if (main == nullptr || !::GetWindowRect(main, &mainRect) ||
            !WorkAreaOf(::MonitorFromWindow(main, MONITOR_DEFAULTTONEAREST), workArea))
            return bounds;
        const PlacePoint chosen = ChooseToolPlace(FromRect(mainRect), width, height, FromRect(workArea));
        bounds = RECT{chosen.X, chosen.Y, chosen.X + width, chosen.Y + height};
    }
    const PlaceRect inside = KeepInsideWorkArea(FromRect(bounds), FromRect(workArea), resizable);
    return RECT{inside.Left, inside.Top, inside.Right, inside.Bottom};
}

void PlaceToolWindow(HWND tool, HWND main, const ToolPlace& place)
{
    RECT current{};
    if (tool == nullptr || !::GetWindowRect(tool, &current)) return;
    if (!place.MovedByUser && main == nullptr) return;
    const bool resizable = (::GetWindowLongA(tool, GWL_STYLE) & WS_THICKFRAME) != 0;
    const RECT bounds =
        ToolWindowBounds(main, place, current.right - current.left, current.bottom - current.top, resizable);
    ::SetWindowPos(tool, nullptr, bounds.left, bounds.top, bounds.right - bounds.left, bounds.bottom - bounds.top,
                   SWP_NOZORDER | SWP_NOACTIVATE);
}

void RememberToolWindowPlace(HWND tool, ToolPlace& place)
{
    RECT bounds{};
    if (!::GetWindowRect(tool, &bounds) || ::IsIconic(tool) || ::IsZoomed(tool)) return;
    place.MovedByUser = true;
    place.Bounds = bounds;
}

}  // namespace lvx
