// Changes of single keys in other programs' INI files on disk, each written in one step.
#pragma once

#include <string>

namespace lvu {

enum class IniFileEditResult {
    Changed,    // the file now says what was asked
    Unchanged,  // it already did: not written
    Refused,    // the file or the change cannot be edited safely (see IniEdit.h): not written
    Failed,     // the file could not be read or replaced: left as it was
};

// A file name without a folder lives in the Windows folder. Only the key's line changes (see
// SetIniValue and DeleteIniKey); a missing file is made, with its folders, for a value to set.
// The new content replaces the file in one step (ReplaceWholeFile); a read-only file fails.
[[nodiscard]] IniFileEditResult SetIniFileValue(const std::string& file, const std::string& section,
                                                const std::string& key, const std::string& value);
[[nodiscard]] IniFileEditResult DeleteIniFileKey(const std::string& file, const std::string& section,
                                                 const std::string& key);

}  // namespace lvu
