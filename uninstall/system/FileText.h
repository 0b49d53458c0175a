// Whole-file reads and writes of small text files (INI files, wininit.ini, autoexec.bat, batch files).
#pragma once

#include <string>

namespace lvu {

[[nodiscard]] bool ReadWholeFile(const std::string& path, std::string& content);
// With `createNew` an existing file is never overwritten.
[[nodiscard]] bool WriteWholeFile(const std::string& path, const std::string& content, bool createNew);

// Gives the file (which need not exist; its folder must) the content in one step: the content is
// written to a temporary file in the same folder, which then takes the file's place, so that a
// failure at any point leaves the old file whole; the temporary file goes again on failure. An
// existing file keeps its attributes. A read-only file, or one that is in use, is not replaced
// (false).
[[nodiscard]] bool ReplaceWholeFile(const std::string& path, const std::string& content);

}  // namespace lvu
