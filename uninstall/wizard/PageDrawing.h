// What the wizard pages draw with: fonts from the log's descriptions kept by their windows, the bitmaps, the title texts.
#pragma once

#include "WizardHandles.h"
#include "WizardRules.h"

#include <windows.h>

namespace lvu {

// The window property under which a window keeps the font set on it.
inline constexpr char FontProperty[] = "Font";

// A font from a description of the log, in the log's character set, sized for the main window's screen.
[[nodiscard]] unique_font CreateSpecFont(const FontSpec& description);
// The window keeps the font as its property until it goes; a font it kept before is deleted.
void SetWindowFont(HWND window, const FontSpec& description);
void DeleteWindowFont(HWND window);

// Centred in the work area and kept within the screen.
void CentrePage(HWND page);

// An owner-drawn control: the bitmap resource stretched over it on white.
void DrawBitmap(const DRAWITEMSTRUCT& item, const char* name);
// An owner-drawn control: its own text in its kept font and the colour given.
void DrawTitleText(const DRAWITEMSTRUCT& item, COLORREF colour, bool wrap);

}  // namespace lvu
