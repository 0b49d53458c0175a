// The clipboard and pictures of the details window: text in both encodings, a window's picture
// taken, put on the clipboard or written as PNG by the Windows Imaging Component.
#pragma once

#include "core/Handles.h"

#include <windows.h>

#include <string>

namespace lvx {

// Puts `text` (ANSI code page) on the clipboard as CF_TEXT and CF_UNICODETEXT.
[[nodiscard]] bool PutTextOnClipboard(HWND owner, const std::string& text);

// The window's picture as a 32-bit bitmap, frame included: PrintWindow (full content where the
// system supports it) for a window that answers and paints within the time-out, else or when that
// gave a blank picture, the screen's pixels where the window is. Empty when neither worked.
[[nodiscard]] unique_gdi CaptureWindowPicture(HWND window);

// Puts the picture on the clipboard as CF_DIB.
[[nodiscard]] bool PutPictureOnClipboard(HWND owner, HBITMAP picture);

// Writes the picture to `path` as a 24-bit PNG file.
[[nodiscard]] bool SavePictureAsPng(HBITMAP picture, const std::string& path);

}  // namespace lvx
