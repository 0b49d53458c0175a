// Finding the window under a screen point and outlining it on the screen while picking.
#include "Picking.h"

#include "Handles.h"
#include "UNI_WindowInfo.h"
#include "settings/Settings.h"

#include <cstdint>
#include <cstdlib>
#include <limits>

namespace lvx {
namespace {

struct PointSearch {
    POINT Point{};
    int64_t BestArea = std::numeric_limits<int64_t>::max();
    HWND Best = nullptr;
};

BOOL CALLBACK VisitDescendant(HWND window, LPARAM context)
{
    auto& search = *reinterpret_cast<PointSearch*>(context);
    RECT rect{};
    if (!::GetWindowRect(window, &rect)) return TRUE;
    if (search.Point.x < rect.left || search.Point.x >= rect.right || search.Point.y < rect.top ||
        search.Point.y >= rect.bottom)
        return TRUE;
    // A 32-bit product, sign-extended: this is how areas have always been compared here.
    const auto product = static_cast<int32_t>(static_cast<uint32_t>(std::abs(rect.right - rect.left)) *
                                              static_cast<uint32_t>(std::abs(rect.bottom - rect.top)));
    const int64_t area = product;
    if (area <= search.BestArea) {
        search.BestArea = area;
        search.Best = window;
    }
    return TRUE;
}

}  // namespace

HWND WindowAtPoint(int x, int y)
{
    HWND window = ::WindowFromPoint(POINT{x, y});
    if (window == nullptr) return nullptr;
    if (PowerScanning) window = TopLevelAncestor(window);
    PointSearch search;
    search.Point = POINT{x, y};
    ::EnumChildWindows(window, &VisitDescendant, reinterpret_cast<LPARAM>(&search));
    return search.Best != nullptr ? search.Best : window;
}

void DrawHighlightFrameRect(const RECT& rect)
{
    const HWND desktop = ::GetDesktopWindow();
    const WindowDC screen(desktop, WindowDC::Area::Window);
    if (!screen) return;
    const HDC dc = screen.get();
    const int oldMix = ::SetROP2(dc, R2_XORPEN);
    const unique_gdi pen(::CreatePen(PS_INSIDEFRAME, 0, RGB(0, 0, 0)));
    {
        const SelectGuard selectPen(dc, pen.get());
        const SelectGuard selectBrush(dc, ::GetStockObject(NULL_BRUSH));
        RECT frame = rect;
        for (int ring = 0; ring < 3; ++ring) {
            ::DrawFocusRect(dc, &frame);
            ::InflateRect(&frame, -1, -1);
        }
    }
    ::SetROP2(dc, oldMix);
}

RECT DrawHighlightFrame(HWND window)
{
    RECT rect{};
    if (::GetWindowRect(window, &rect)) DrawHighlightFrameRect(rect);
    return rect;
}

}  // namespace lvx
