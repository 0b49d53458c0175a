// Decoding a JPEG picture held in memory into a bitmap for drawing.
#pragma once

#include <windows.h>

#include <string_view>

namespace lvx {

// A 24-bit top-down DIB section of the picture; null when the data is not a JPEG picture the
// library can read (the library's errors never end the program).
[[nodiscard]] HBITMAP DecodeJpeg(std::string_view data);

// The bytes of a raw-data resource of the program; empty when it is missing.
[[nodiscard]] std::string_view ProgramResource(const char* name, const char* type);

}  // namespace lvx
