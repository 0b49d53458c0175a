// Placing the inspector's tool windows beside the main window, and keeping a place the user chose.
#pragma once

#include <windows.h>

namespace lvx {

// Moves `tool` beside `main` (ChooseToolPlace, on the main window's monitor), unless the user moved
// the tool window before during this run: then it stays where the user left it.
void PlaceToolWindow(HWND tool, HWND main);

// Called when the user ends moving or sizing `tool`: from now on it keeps its place. The mark is a
// property of the tool window, removed with ForgetToolWindowPlace before the window goes.
void RememberToolWindowPlace(HWND tool);
void ForgetToolWindowPlace(HWND tool);

}  // namespace lvx
