// Where a tool window opens: beside the main window on its monitor, never over it.
#include "ToolPlacement.h"

#include <algorithm>

namespace lvx {

namespace {

// Moves `start` so that [start, start + size) lies inside [low, high) when it fits at all, else
// starts it at `low`.
int KeepInside(int start, int size, int low, int high)
{
    return std::max(low, std::min(start, high - size));
}

}  // namespace

PlacePoint ChooseToolPlace(const PlaceRect& main, int width, int height, const PlaceRect& workArea)
{
    if (main.Left - workArea.Left >= width)
        return {main.Left - width, KeepInside(main.Top, height, workArea.Top, workArea.Bottom)};
    if (workArea.Bottom - main.Bottom >= height)
        return {KeepInside(main.Right - width, width, workArea.Left, workArea.Right), main.Bottom};
    return {KeepInside(workArea.Left + (workArea.Width() - width) / 2, width, workArea.Left, workArea.Right),
            KeepInside(workArea.Top + (workArea.Height() - height) / 2, height, workArea.Top, workArea.Bottom)};
}

PlaceRect KeepInsideWorkArea(const PlaceRect& rect, const PlaceRect& workArea, bool resizable)
{
    const int width = resizable ? std::min(rect.Width(), workArea.Width()) : rect.Width();
    const int height = resizable ? std::min(rect.Height(), workArea.Height()) : rect.Height();
    const int left = KeepInside(rect.Left, width, workArea.Left, workArea.Right);
    const int top = KeepInside(rect.Top, height, workArea.Top, workArea.Bottom);
    return {left, top, left + width, top + height};
}

PlaceSize FitToolSize(const PlaceRect& main, PlaceSize wanted, PlaceSize least, const PlaceRect& workArea)
{
    PlaceSize size{std::max(least.Width, std::min(wanted.Width, workArea.Width())),
                   std::max(least.Height, std::min(wanted.Height, workArea.Height()))};
    const int left = main.Left - workArea.Left, below = workArea.Bottom - main.Bottom;
    if (left >= size.Width || below >= size.Height) return size;
    const long long leftArea = left >= least.Width ? static_cast<long long>(left) * size.Height : 0;
    const long long belowArea = below >= least.Height ? static_cast<long long>(below) * size.Width : 0;
    if (leftArea == 0 && belowArea == 0) return size;
    if (leftArea >= belowArea)
        size.Width = left;
    else
        size.Height = below;
    return size;
}

}  // namespace lvx
