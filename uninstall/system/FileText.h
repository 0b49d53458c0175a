// Whole-file reads and writes of small text files (wininit.ini, autoexec.bat, batch files).
#pragma once

#include <string>

namespace lvu {

[[nodiscard]] bool ReadWholeFile(const std::string& path, std::string& content);
// With `createNew` an existing file is never overwritten.
[[nodiscard]] bool WriteWholeFile(const std::string& path, const std::string& content, bool createNew);

}  // namespace lvu
