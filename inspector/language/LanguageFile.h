// Reading a language file: sections of "key=value" lines that replace the program's built-in texts.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace lvx {

// What a lookup answers for a missing section, a missing key or an empty value.
inline constexpr char UntranslatedText[] = "<UNTRANSLATED>";

// Case-insensitive comparison of two texts in the Cyrillic ANSI code page (1251): Latin and
// Cyrillic letters are compared without case, every other byte as it is. Answers <0, 0 or >0.
[[nodiscard]] int CompareTextIgnoringCase(std::string_view a, std::string_view b);

// The parsed file. A header is a line without "=" that starts with "["; its name runs from
// the second character to the first "]" (empty without one). Any line with "=" is an entry of
// the section before it; other lines are ignored. Nothing is trimmed. Section names are
// compared exactly and only the first of equal names is found; within a section the entries
// are kept sorted by their whole line, without case, and a line equal to an earlier one is
// dropped, so of two values for one key the one whose line sorts first is found.
class LanguageData {
public:
    enum class ParseResult { Ok, EntryBeforeHeader };

    // Replaces what was read before. On EntryBeforeHeader the file is invalid as a whole.
    ParseResult Parse(std::string_view content);

    // Index of the first section with exactly this name, or -1.
    [[nodiscard]] int LookupSection(std::string_view name) const;

    // The value of `key` (without case) in the section, or UntranslatedText when the section is
    // -1, the key is missing or its value is empty.
    [[nodiscard]] std::string LookupText(int section, std::string_view key) const;

    [[nodiscard]] size_t SectionCount() const noexcept { return names_.size(); }

private:
    std::vector<std::string> names_;
    std::vector<std::vector<std::string>> entries_;  // per section, sorted, without duplicates
};

}  // namespace lvx
