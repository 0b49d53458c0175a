// The cached access to INI files through which the uninstaller reads and writes every INI file.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace lvu::cached {

// Each file is parsed once and kept, keyed by its upper-cased name. Reads may use a file opened
// in either mode; a write to a file opened read-only opens it again for writing. A file that
// exists but cannot be opened raises IniFileError from the reads; the writes answer false.

[[nodiscard]] std::string ReadString(const std::string& file, const std::string& section, const std::string& key,
                                     const std::string& defaultValue);
// Leading blanks and a sign, then decimal or "$" hexadecimal; anything else ("0x" too) gives the default.
[[nodiscard]] int32_t ReadInteger(const std::string& file, const std::string& section, const std::string& key,
                                  int32_t defaultValue);
// True only when the text read (the default standing as "1" or "0") is exactly "1".
[[nodiscard]] bool ReadBool(const std::string& file, const std::string& section, const std::string& key,
                            bool defaultValue);
// The section's lines, key "=" value, in file order (empty for a missing section).
void ReadSection(const std::string& file, const std::string& section, std::vector<std::string>& lines);
[[nodiscard]] size_t SectionLineCount(const std::string& file, const std::string& section);
bool WriteString(const std::string& file, const std::string& section, const std::string& key, const std::string& value);
bool DeleteKey(const std::string& file, const std::string& section, const std::string& key);
// Saves what changed and forgets every file.
void FlushAll();

}  // namespace lvu::cached
