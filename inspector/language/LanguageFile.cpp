// Reading a language file: sections of "key=value" lines that replace the program's built-in texts.
#include "LanguageFile.h"

#include "core/UNI_Strings.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <numeric>

namespace lvx {
namespace {

// Lower case of every byte of code page 1251.
constexpr std::array<uint8_t, 256> MakeLowerTable()
{
    std::array<uint8_t, 256> table{};
    for (int c = 0; c < 256; ++c) table[c] = static_cast<uint8_t>(c);
    for (int c = 'A'; c <= 'Z'; ++c) table[c] = static_cast<uint8_t>(c + 32);
    for (int c = 0xC0; c <= 0xDF; ++c) table[c] = static_cast<uint8_t>(c + 32);  // А..Я
    const std::pair<int, int> pairs[] = {{0xA8, 0xB8}, {0x80, 0x90}, {0x81, 0x83}, {0x8A, 0x9A}, {0x8C, 0x9C},
                                         {0x8D, 0x9D}, {0x8E, 0x9E}, {0x8F, 0x9F}, {0xA1, 0xA2}, {0xA3, 0xBC},
                                         {0xA5, 0xB4}, {0xAA, 0xBA}, {0xAF, 0xBF}, {0xB2, 0xB3}, {0xBD, 0xBE}};
    for (const auto& [upper, lower] : pairs) table[upper] = static_cast<uint8_t>(lower);
    return table;
}

constexpr std::array<uint8_t, 256> LowerTable = MakeLowerTable();

uint8_t Lower(char c)
{
    return LowerTable[static_cast<uint8_t>(c)];
}

bool LessIgnoringCase(const std::string& a, const std::string& b)
{
    return CompareTextIgnoringCase(a, b) < 0;
}

}  // namespace

int CompareTextIgnoringCase(std::string_view a, std::string_view b)
{
    const size_t common = std::min(a.size(), b.size());
    for (size_t i = 0; i < common; ++i) {
        const uint8_t x = Lower(a[i]);
        const uint8_t y = Lower(b[i]);
        if (x != y) return x < y ? -1 : 1;
    }
    if (a.size() == b.size()) return 0;
    return a.size() < b.size() ? -1 : 1;
}

LanguageData::ParseResult LanguageData::Parse(std::string_view content)
{
    names_.clear();
    entries_.clear();
    std::vector<std::vector<std::string>> lines;  // in file order, per section
    for (const std::string_view line : SplitLines(content)) {
        if (line.find('=') != std::string_view::npos) {
            if (lines.empty()) {
                names_.clear();
                return ParseResult::EntryBeforeHeader;
            }
            lines.back().emplace_back(line);
        } else if (!line.empty() && line.front() == '[') {
            const size_t close = line.find(']');
            names_.emplace_back(close == std::string_view::npos ? std::string_view() : line.substr(1, close - 1));
            lines.emplace_back();
        }
    }
    entries_.reserve(lines.size());
    for (std::vector<std::string>& section : lines) {
        // Sorting keeps file order among equal lines, so dropping the later ones keeps the first.
        std::stable_sort(section.begin(), section.end(), LessIgnoringCase);
        section.erase(std::unique(section.begin(), section.end(),
                                  [](const std::string& a, const std::string& b) {
                                      return CompareTextIgnoringCase(a, b) == 0;
                                  }),
                      section.end());
        entries_.push_back(std::move(section));
    }
    return ParseResult::Ok;
}

int LanguageData::LookupSection(std::string_view name) const
{
    const auto found = std::find(names_.begin(), names_.end(), name);
    return found == names_.end() ? -1 : static_cast<int>(found - names_.begin());
}

std::string LanguageData::LookupText(int section, std::string_view key) const
{
    if (section < 0 || static_cast<size_t>(section) >= entries_.size()) return UntranslatedText;
    const std::vector<std::string>& entries = entries_[static_cast<size_t>(section)];
    // Lines of one key are neighbours in the sorted order: all begin with the key and "=".
    std::string prefix(key);
    prefix += '=';
    const auto first = std::lower_bound(entries.begin(), entries.end(), prefix, LessIgnoringCase);
    if (first == entries.end() || first->size() < prefix.size() ||
        CompareTextIgnoringCase(std::string_view(*first).substr(0, prefix.size()), prefix) != 0)
        return UntranslatedText;
    std::string value = first->substr(prefix.size());
    return value.empty() ? std::string(UntranslatedText) : value;
}

}  // namespace lvx
