// Where a tool window opens: beside the main window on its monitor, never over it.
#pragma once

namespace lvx {

struct PlaceRect {
    int Left = 0, Top = 0, Right = 0, Bottom = 0;
    [[nodiscard]] int Width() const { return Right - Left; }
    [[nodiscard]] int Height() const { return Bottom - Top; }
};

struct PlacePoint {
    int X = 0, Y = 0;
};

struct PlaceSize {
    int Width = 0, Height = 0;
};

// The top left corner for a tool window of the given size: left of the main window when the work
// area has room there (top aligned with it, moved down or up to stay inside), else below it, else
// centred on the work area. Whatever the choice, the window stays inside the work area as far as
// its size allows.
[[nodiscard]] PlacePoint ChooseToolPlace(const PlaceRect& main, int width, int height, const PlaceRect& workArea);

// `rect` moved so that every edge lies inside the work area; one larger than the work area is cut
// to it when `resizable`, else keeps its size with its top left corner inside.
[[nodiscard]] PlaceRect KeepInsideWorkArea(const PlaceRect& rect, const PlaceRect& workArea, bool resizable);

// The size for a resizable tool window that would like `wanted` but can do with `least`: no larger
// than the work area, and narrowed to the room left of the main window, or made lower to the room
// below it, when that room holds at least `least` (whichever leaves the larger window), so that
// ChooseToolPlace puts it beside the main window rather than over it.
[[nodiscard]] PlaceSize FitToolSize(const PlaceRect& main, PlaceSize wanted, PlaceSize least, const PlaceRect& workArea);

}  // namespace lvx
