// Paints the speed-button glyphs with plain GDI, one rectangle per run of like pixels.
#include "Glyphs.h"

#include <algorithm>
#include <cstdint>
#include <vector>

#include "Handles.h"
#include "PixelScale.h"
#include "Window.h"

namespace lvx {

namespace {

// Brushes are made on first use and freed when the call ends: a glyph uses only a handful of
// inks, and nothing kept between paints means no cache to tear down and nothing to leak.
class InkBrushes {
public:
    HBRUSH For(int index)
    {
        unique_gdi& brush = brushes_[index];
        if (!brush) {
            const GlyphInk& ink = GlyphPalette[index];
            brush.reset(::CreateSolidBrush(RGB(ink.Red, ink.Green, ink.Blue)));
        }
        return static_cast<HBRUSH>(brush.get());
    }

private:
    unique_gdi brushes_[GlyphPaletteSize];
};

// Fills each horizontal run of pixels that `classify` puts in the same class; class -1 is
// not painted. Runs keep the number of GDI calls near the number of strokes, not pixels.
template <typename Classify, typename BrushOf>
void PaintRuns(HDC dc, const GlyphArt& art, POINT origin, int scale, Classify classify, BrushOf brushOf)
{
    for (int y = 0; y < GlyphSize; ++y) {
        const char* row = art.Rows[y];
        int x = 0;
        while (x < GlyphSize) {
            const int kind = classify(row[x]);
            int end = x + 1;
            while (end < GlyphSize && classify(row[end]) == kind) ++end;
            if (kind >= 0) {
                const RECT run{origin.x + x * scale, origin.y + y * scale, origin.x + end * scale,
                               origin.y + (y + 1) * scale};
                if (HBRUSH brush = brushOf(kind)) ::FillRect(dc, &run, brush);
            }
            x = end;
        }
    }
}

// The picture at its own 16x16 pixels, premultiplied: the inks, or for a disabled button the
// embossed look (a highlight copy one pixel down-right behind the grey shape).
std::vector<std::uint32_t> GlyphPixelsArgb(const GlyphArt& art, bool enabled)
{
    const auto opaque = [](COLORREF colour) {
        return 0xFF000000u | (static_cast<std::uint32_t>(GetRValue(colour)) << 16) |
               (static_cast<std::uint32_t>(GetGValue(colour)) << 8) | GetBValue(colour);
    };
    std::vector<std::uint32_t> pixels(GlyphSize * GlyphSize, 0);
    const auto dark = [&](int x, int y) {
        const int index = GlyphInkIndex(art.Rows[y][x]);
        return index >= 0 && !GlyphPalette[index].Light;
    };
    if (!enabled) {
        const std::uint32_t highlight = opaque(::GetSysColor(COLOR_BTNHIGHLIGHT));
        for (int y = 0; y + 1 < GlyphSize; ++y)
            for (int x = 0; x + 1 < GlyphSize; ++x)
                if (dark(x, y)) pixels[static_cast<size_t>((y + 1) * GlyphSize + x + 1)] = highlight;
    }
    const std::uint32_t grey = opaque(::GetSysColor(COLOR_GRAYTEXT));
    for (int y = 0; y < GlyphSize; ++y) {
        for (int x = 0; x < GlyphSize; ++x) {
            const int index = GlyphInkIndex(art.Rows[y][x]);
            if (index < 0) continue;
            const GlyphInk& ink = GlyphPalette[index];
            if (enabled)
                pixels[static_cast<size_t>(y * GlyphSize + x)] = opaque(RGB(ink.Red, ink.Green, ink.Blue));
            else if (!ink.Light)
                pixels[static_cast<size_t>(y * GlyphSize + x)] = grey;
        }
    }
    return pixels;
}

// Draws the picture at `side` pixels, smoothly resampled, blended over what the DC holds.
void DrawScaledGlyph(HDC dc, const GlyphArt& art, POINT origin, int side, bool enabled)
{
    const std::vector<std::uint32_t> pixels =
        ScalePixels(GlyphPixelsArgb(art, enabled), GlyphSize, GlyphSize, side, side);
    if (pixels.empty()) return;
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = side;
    info.bmiHeader.biHeight = -side;  // top-down, as the pixels are
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    const unique_gdi bitmap(::CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    const unique_dc memory(::CreateCompatibleDC(dc));
    if (!bitmap || !memory || bits == nullptr) return;
    std::copy(pixels.begin(), pixels.end(), static_cast<std::uint32_t*>(bits));
    const SelectGuard select(memory.get(), bitmap.get());
    const BLENDFUNCTION blend{AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
    ::GdiAlphaBlend(dc, origin.x, origin.y, side, side, memory.get(), 0, 0, side, side, blend);
}

}  // namespace

void DrawGlyph(HDC dc, Glyph glyph, const RECT& box, bool enabled, UINT dpi)
{
    const int width = box.right - box.left;
    const int height = box.bottom - box.top;
    // Whole multiples stay crisp; a picture is never smaller than its 16 pixels scaled for the DPI.
    const int wholeSide = GlyphSize * std::max(1, std::min(width, height) / GlyphSize);
    const int side = std::max(wholeSide, ScaleForDpi(GlyphSize, dpi));
    const POINT origin{box.left + (width - side) / 2, box.top + (height - side) / 2};
    const GlyphArt& art = GlyphPixels(glyph);
    if (side % GlyphSize != 0) {
        DrawScaledGlyph(dc, art, origin, side, enabled);
        return;
    }
    const int scale = side / GlyphSize;

    if (enabled) {
        InkBrushes brushes;
        PaintRuns(dc, art, origin, scale, GlyphInkIndex, [&](int index) { return brushes.For(index); });
        return;
    }

    const auto dark = [](char key) {
        const int index = GlyphInkIndex(key);
        return index >= 0 && !GlyphPalette[index].Light ? 0 : -1;
    };
    // System colour brushes are shared and must not be deleted.
    HBRUSH highlight = ::GetSysColorBrush(COLOR_BTNHIGHLIGHT);
    HBRUSH grey = ::GetSysColorBrush(COLOR_GRAYTEXT);
    PaintRuns(dc, art, POINT{origin.x + scale, origin.y + scale}, scale, dark, [&](int) { return highlight; });
    PaintRuns(dc, art, origin, scale, dark, [&](int) { return grey; });
}

}  // namespace lvx
