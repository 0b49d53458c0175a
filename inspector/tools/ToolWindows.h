// Placing the inspector's tool windows beside the main window, and keeping a place the user chose.
#pragma once

#include <windows.h>

namespace lvx {

// Where the user put one tool window during this run; each tool window keeps one.
struct ToolPlace {
    bool MovedByUser = false;
    POINT TopLeft{};
};

// Moves `tool` where the user last put it, or else beside `main` (ChooseToolPlace, in the work area
// of the main window's monitor).
void PlaceToolWindow(HWND tool, HWND main, const ToolPlace& place);

// Called when the user ends moving or sizing `tool` (WM_EXITSIZEMOVE): it reopens there.
void RememberToolWindowPlace(HWND tool, ToolPlace& place);

}  // namespace lvx
