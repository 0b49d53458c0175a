// Owners for the windows, fonts, bitmaps and drawing contexts of the wizard.
#pragma once

#include "common/GdiHandles.h"
#include "system/Handles.h"

namespace lvu {

using unique_font = unique_handle<HandleTraits<HFONT, ::DeleteObject>>;
using unique_bitmap = unique_handle<HandleTraits<HBITMAP, ::DeleteObject>>;

}  // namespace lvu
