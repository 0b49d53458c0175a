// The speed-button glyphs as portable pixel art: their ids, 16x16 pictures and the palette they draw from.
#pragma once

#include <cstdint>

namespace lvx {

enum class Glyph {
    None, Refresh, Options, About, StayOnTop, MinToTray, ChangeText, WindowTree, ChangeSize, Flash, MoreInfo,
    GotoParent, GotoChild, GotoNext, GotoPrev, GotoOwner, QuickInfo, FindWindow,
    Minimize, Restore, Maximize, Close, CloseSysMenu, Visible, Enabled, Topmost,
    ProcessPriority, TerminateProcess, ThreadPriority, FreezeThread, UnfreezeThread, TerminateThread, SendMessage,
    MenuCollapse, MenuExpand, MenuPin, MenuEnable, MenuGray, MenuDisable, MenuCheck, MenuUncheck, MenuExecute,
    MenuDelete, MenuRemove, Details, MessageLog, CopyLocator, Count
};

inline constexpr int GlyphSize = 16;

// 16 rows of 16 characters; '.' is transparent, other characters index GlyphPalette.
struct GlyphArt {
    const char* Rows[GlyphSize];
};

struct GlyphInk {
    char Key;
    std::uint8_t Red;
    std::uint8_t Green;
    std::uint8_t Blue;
    // Light inks are fills, not shape: a disabled glyph leaves them out so that only its
    // outline is embossed, the way classic toolbars grey their pictures.
    bool Light;
};

inline constexpr int GlyphPaletteSize = 14;
extern const GlyphInk GlyphPalette[GlyphPaletteSize];

// The picture of `glyph`; ids outside the enum get the empty picture.
const GlyphArt& GlyphPixels(Glyph glyph);

// Position of `key` in GlyphPalette, or -1 for '.' and for characters that are no ink.
int GlyphInkIndex(char key);

}  // namespace lvx
