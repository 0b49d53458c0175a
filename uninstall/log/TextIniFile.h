// An INI file on disk: loading with the log's clean-up rules, the two open modes, and saving.
#pragma once

#include "log/IniData.h"
#include "system/Handles.h"

#include <stdexcept>
#include <string>

namespace lvu {

// Raised when an existing file cannot be opened: "Cannot open file %s".
class IniFileError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Read-only mode opens the file for reading (others may read and write it) and closes it right
// after loading. Write mode keeps it open (others may only read) until the object goes, and
// saves changes when asked and on destruction. A bare file name lives in the Windows folder.
// A missing file loads as an empty object.
class TTextIniFile {
public:
    TTextIniFile(std::string fileName, bool readOnly);
    ~TTextIniFile();
    TTextIniFile(const TTextIniFile&) = delete;
    TTextIniFile& operator=(const TTextIniFile&) = delete;

    // Saves pending changes, then reads the file again.
    void Reload();
    // Writes the content when it changed and the object may write: every non-empty section,
    // CR LF line ends, an empty line after each section, the file cut at the end.
    void UpdateFile();

    [[nodiscard]] const std::string& FileName() const noexcept { return fileName_; }
    [[nodiscard]] bool ReadOnly() const noexcept { return readOnly_; }
    [[nodiscard]] IniData& Data() noexcept { return data_; }

private:
    std::string fileName_;
    bool readOnly_;
    unique_file file_;
    IniData data_;
};

}  // namespace lvu
