// Placing the inspector's tool windows beside the main window, and keeping a place the user chose.
#pragma once

#include <windows.h>

namespace lvx {

// Where the user put one tool window during this run; each tool window keeps one.
struct ToolPlace {
    bool MovedByUser = false;
    RECT Bounds{};  // the window's rectangle as the user left it
};

// The rectangle a tool window of `width` x `height` opens in: where the user last put it (with the
// size the user gave it, when `resizable`), else beside `main` (ChooseToolPlace, in the work area
// of the main window's monitor); every edge inside the work area of its monitor.
[[nodiscard]] RECT ToolWindowBounds(HWND main, const ToolPlace& place, int width, int height, bool resizable);

// Moves `tool` to ToolWindowBounds (resizable when it has a sizing frame).
void PlaceToolWindow(HWND tool, HWND main, const ToolPlace& place);

// Called when the user ends moving or sizing `tool` (WM_EXITSIZEMOVE): it reopens there.
void RememberToolWindowPlace(HWND tool, ToolPlace& place);

}  // namespace lvx
