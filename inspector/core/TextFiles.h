// Reading a whole data file of the program into memory, and writing a whole file the user saves.
#pragma once

#include <cstddef>
#include <string>

namespace lvx {

// Files larger than this are refused rather than read: no data file of ours comes close.
inline constexpr size_t MaxDataFileSize = 64u * 1024 * 1024;

// The bytes of the file, as they are. False when it cannot be opened or read, or is too large.
[[nodiscard]] bool ReadWholeFile(const std::string& path, std::string& content);

[[nodiscard]] bool FileExists(const std::string& path);

// Creates or replaces the file with `content`. False when it cannot be created or is not written whole
// (the last error then says why).
[[nodiscard]] bool WriteWholeFile(const std::string& path, const void* content, size_t size);
[[nodiscard]] inline bool WriteWholeFile(const std::string& path, const std::string& content)
{
    return WriteWholeFile(path, content.data(), content.size());
}

}  // namespace lvx
