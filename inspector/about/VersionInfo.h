// Reading the version resource of a program file.
#pragma once

#include <windows.h>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace lvx {

// One object reads one file's version block at creation.
class TVersionInfo {
public:
    explicit TVersionInfo(std::string fileName);

    [[nodiscard]] bool Valid() const noexcept { return Valid_; }
    [[nodiscard]] const std::string& FileName() const noexcept { return FileName_; }
    // The first entry of "\VarFileInfo\Translation": language in the low word, code page high.
    [[nodiscard]] std::optional<uint32_t> Translation() const;
    // "04190 4E3"-style key: language then code page, 8 upper-case hexadecimal digits.
    [[nodiscard]] std::string TranslationText() const;
    [[nodiscard]] const VS_FIXEDFILEINFO* FixedInfo() const;
    // The most and least significant words of the fixed file version.
    [[nodiscard]] std::pair<uint32_t, uint32_t> FileVersionNumbers() const;
    // A string of the string table of the file's translation; empty when missing.
    [[nodiscard]] std::string StringValue(const std::string& name) const;
    // "FileVersion", or the fixed version as "a.b.c.d" when the string table has none.
    [[nodiscard]] std::string FileVersion() const;

    // The running program's own file.
    [[nodiscard]] static std::string OwnFileName();

private:
    std::string FileName_;
    DWORD Handle_ = 0;
    DWORD Size_ = 0;
    std::vector<uint8_t> Buffer_;
    bool Valid_ = false;
};

}  // namespace lvx
