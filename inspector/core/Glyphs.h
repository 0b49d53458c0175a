// Speed-button glyphs drawn with GDI: pixel art scaled by whole factors so it stays crisp at any DPI.
#pragma once

#include <windows.h>

#include "GlyphArt.h"

namespace lvx {

// Draws the glyph centred in `box`, scaled by the largest whole factor that fits (at least 1),
// so it stays crisp; where that is smaller than its 16 pixels scaled for `dpi`, it is drawn at
// that size, smoothly resampled. Disabled: every pixel of a dark ink in COLOR_GRAYTEXT with a
// COLOR_BTNHIGHLIGHT copy one scaled pixel down-right behind it (the classic embossed look);
// light inks (GlyphInk::Light) are left out so fills do not turn into grey blobs.
void DrawGlyph(HDC dc, Glyph glyph, const RECT& box, bool enabled, UINT dpi);

}  // namespace lvx
