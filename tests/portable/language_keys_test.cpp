// Native tests of the language sections and keys, and of the shipped English language file against them.
#include "language/LanguageKeys.h"
#include "language/MessageTable.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <iterator>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#ifndef LVX_ENGLISH_LNG
#error "LVX_ENGLISH_LNG must name the shipped English language file"
#endif

using namespace lvx;

namespace {

std::string Upper(std::string_view text)
{
    std::string result(text);
    for (char& c : result)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    return result;
}

struct Section {
    std::string Name;
    std::vector<std::pair<std::string, std::string>> Entries;  // key, value
};

// The reader's rules, kept apart from the program's own parser so that a fault there cannot hide one here.
// Empty when an entry comes before the first section header, which makes the file invalid.
std::optional<std::vector<Section>> ParseLanguageFile(std::string_view content)
{
    std::vector<Section> sections;
    while (!content.empty()) {
        const std::string_view line = content.substr(0, content.find_first_of("\r\n"));
        content.remove_prefix(line.size());
        content.remove_prefix(content.starts_with("\r\n") ? 2 : std::min<size_t>(content.size(), 1));
        const size_t equals = line.find('=');
        if (equals != std::string_view::npos) {
            if (sections.empty()) return std::nullopt;
            sections.back().Entries.emplace_back(line.substr(0, equals), line.substr(equals + 1));
        } else if (line.starts_with('[')) {
            const size_t close = line.find(']');  // none: the empty name
            sections.push_back({std::string(close == std::string_view::npos ? "" : line.substr(1, close - 1)), {}});
        }
    }
    return sections;
}

const std::string& EnglishBytes()
{
    static const std::string bytes = [] {
        std::ifstream in(LVX_ENGLISH_LNG, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }();
    return bytes;
}

const std::vector<Section>& English()
{
    static const std::vector<Section> sections = ParseLanguageFile(EnglishBytes()).value_or(std::vector<Section>());
    return sections;
}

// As the program looks a text up: the first section with exactly that name, the key in any case.
std::optional<std::string> ValueOf(std::string_view sectionName, std::string_view key)
{
    const auto section = std::find_if(English().begin(), English().end(),
                                      [&](const Section& s) { return s.Name == sectionName; });
    if (section == English().end()) return std::nullopt;
    for (const auto& [entryKey, value] : section->Entries)
        if (Upper(entryKey) == Upper(key)) return value;
    return std::nullopt;
}

}  // namespace

TEST(LanguageSections, NamesAndKeysAreUnique)
{
    std::set<std::string> names;
    for (const LanguageSection& section : LanguageSections()) {
        EXPECT_TRUE(names.insert(section.Name).second) << section.Name;
        std::set<std::string> keys;
        // The reader ignores the case of keys, so two that differ only in case are one.
        for (const char* key : section.Keys)
            EXPECT_TRUE(keys.insert(Upper(key)).second) << section.Name << ": " << key;
    }
}

TEST(LanguageKeysOf, FindsSectionsByTheirExactName)
{
    for (const LanguageSection& section : LanguageSections()) {
        const auto keys = LanguageKeysOf(section.Name);
        EXPECT_EQ(keys.data(), section.Keys.data()) << section.Name;
        EXPECT_EQ(keys.size(), section.Keys.size()) << section.Name;
    }
    for (std::string_view unknown : {"lumivexform", "LUMIVEXFORM", "LumivexForm ", "", "AllVars", "LangForm"})
        EXPECT_TRUE(LanguageKeysOf(unknown).empty()) << '"' << unknown << '"';

    const auto main = LanguageKeysOf("LumivexForm");
    EXPECT_NE(std::find(main.begin(), main.end(), std::string_view("Unfreeze thread")), main.end());
}

TEST(EnglishLanguageFile, IsValidAsciiWithCrLfLineEnds)
{
    const std::string& bytes = EnglishBytes();
    ASSERT_FALSE(bytes.empty()) << "not found: " << LVX_ENGLISH_LNG;
    EXPECT_TRUE(ParseLanguageFile(bytes).has_value()) << "an entry comes before the first section header";
    EXPECT_TRUE(bytes.ends_with("\r\n"));
    for (size_t i = 0; i < bytes.size(); ++i) {
        const auto byte = static_cast<unsigned char>(bytes[i]);
        const bool crLf = (byte == '\r' && bytes[i + 1] == '\n') || (byte == '\n' && i > 0 && bytes[i - 1] == '\r');
        EXPECT_TRUE(crLf || (byte >= 0x20 && byte < 0x7F)) << "byte " << int(byte) << " at " << i;
    }
}

TEST(EnglishLanguageFile, TranslatesEveryKeyExactlyOnce)
{
    std::set<std::string> sectionNames;
    for (const Section& section : English()) {
        // Only the first of two equal sections is ever found, so a second one would be silently lost.
        EXPECT_TRUE(sectionNames.insert(section.Name).second) << section.Name;
        std::set<std::string> keys;
        for (const auto& [key, value] : section.Entries)
            EXPECT_TRUE(keys.insert(Upper(key)).second) << section.Name << ": " << key;
    }
    for (const LanguageSection& section : LanguageSections())
        for (const char* key : section.Keys)
            EXPECT_NE(ValueOf(section.Name, key).value_or(""), "") << section.Name << ": " << key;
    for (const MessageDef& def : MessageDefs) EXPECT_NE(ValueOf("AllVars", def.Key).value_or(""), "") << def.Key;
}

TEST(EnglishLanguageFile, KeepsBlanksPlaceholdersAndMarkersWhereTheProgramNeedsThem)
{
    // Group box captions and the save error keep the blanks that pad them on screen.
    const std::set<std::pair<std::string, std::string>> padded = {
        {"AllVars", "_CantSaveFile"}, {"OptionsForm", "WCA"}, {"QuickSearchForm", "SearchIn"}, {"StylesForm", "_Icons"}};
    for (const Section& section : English())
        for (const auto& [key, value] : section.Entries) {
            EXPECT_FALSE(key.starts_with(' ') || key.ends_with(' ')) << section.Name << ": \"" << key << '"';
            const bool blanks = value.starts_with(' ') || value.ends_with(' ');
            EXPECT_EQ(blanks, padded.count({section.Name, key}) == 1)
                << section.Name << ": " << key << "=\"" << value << '"';
        }

    // The text is a format string: one "%s" for the file name and no other conversion.
    const std::string saveError = ValueOf("AllVars", "_CantSaveFile").value_or("");
    EXPECT_EQ(std::count(saveError.begin(), saveError.end(), '%'), 1) << saveError;
    EXPECT_NE(saveError.find("%s"), std::string::npos) << saveError;

    // Placeholders stay recognisable as such: bracketed where the built-in text is, dashes kept as they are.
    for (const MessageDef& def : MessageDefs) {
        const std::string_view builtIn = def.DefaultText;
        const std::string english = ValueOf("AllVars", def.Key).value_or("");
        if (builtIn.starts_with('<')) {
            EXPECT_TRUE(english.starts_with('<') && english.ends_with('>')) << def.Key;
        }
        if (builtIn.find_first_not_of('-') == std::string_view::npos) {
            EXPECT_EQ(english, builtIn) << def.Key;
        }
    }
}
