// Reading a whole data file of the program into memory.
#pragma once

#include <cstddef>
#include <string>

namespace lvx {

// Files larger than this are refused rather than read: no data file of ours comes close.
inline constexpr size_t MaxDataFileSize = 64u * 1024 * 1024;

// The bytes of the file, as they are. False when it cannot be opened or read, or is too large.
[[nodiscard]] bool ReadWholeFile(const std::string& path, std::string& content);

[[nodiscard]] bool FileExists(const std::string& path);

}  // namespace lvx
