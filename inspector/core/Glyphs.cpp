// Paints the speed-button glyphs with plain GDI, one rectangle per run of like pixels.
#include "Glyphs.h"

#include <algorithm>

#include "Handles.h"

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

}  // namespace

void DrawGlyph(HDC dc, Glyph glyph, const RECT& box, bool enabled)
{
    const int width = box.right - box.left;
    const int height = box.bottom - box.top;
    const int scale = std::max(1, std::min(width, height) / GlyphSize);
    const int side = GlyphSize * scale;
    const POINT origin{box.left + (width - side) / 2, box.top + (height - side) / 2};
    const GlyphArt& art = GlyphPixels(glyph);

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
