// Writing a window's icon as a .ico file.
#pragma once

#include <windows.h>

#include <string>

namespace lvx {

// Writes `icon` as a single-image icon file: the 6-byte header, one 16-byte directory entry
// with the image at offset 22, then a bitmap-info header of doubled height, the colour image
// reduced to 16 colours (4 bits a pixel, the standard palette) and the 1-bit mask, at the
// icon's own size. False with the system's reason in `error` when it cannot be done.
bool SaveIconToFile(HICON icon, const std::string& path, std::string& error);

}  // namespace lvx
