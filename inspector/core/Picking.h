// Finding the window under a screen point and outlining it on the screen while picking.
#pragma once

#include <windows.h>

namespace lvx {

// The smallest window at the point: WindowFromPoint, refined over every descendant (hidden and
// disabled ones too) of that window, or of its top-level ancestor when PowerScanning is on.
// Among descendants of equal area the one visited last wins. 0 when no window is there.
[[nodiscard]] HWND WindowAtPoint(int x, int y);

// XORs a three-pixel dotted frame just inside `rect` (screen coordinates) onto the screen.
// Drawing the same rectangle twice restores the pixels.
void DrawHighlightFrameRect(const RECT& rect);

// The frame around a window's current rectangle; the rectangle drawn is returned, so that the
// caller can erase exactly that even if the window moves or goes away meanwhile.
RECT DrawHighlightFrame(HWND window);

}  // namespace lvx
