// The in-memory content of one INI file (the install log and the INI files it names): loading, look-ups, writes, saving.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace lvu {

// How lines are cleaned while loading; the uninstaller keeps all four on.
struct IniSwitches {
    bool Comments = true;                // a line whose first character is ";" is skipped
    bool DropLinesWithoutEquals = true;  // a line without "=" is skipped
    bool TrimAroundEquals = true;        // blanks and tabs next to the first "=" are removed
    bool StripQuotes = true;             // matching " or ' around the value are removed
};

// Sections in file order, each holding its lines as key "=" value in file order. A key is the text
// before the first "=" of a line; a line without "=" (kept only with the drop switch off) has no
// key and is never found by one. Section names and keys compare with SameTextIgnoringCase; section
// names are unique (loading merges duplicates, writes reuse an existing section).
class IniData {
public:
    explicit IniData(IniSwitches switches = {});

    // Replaces everything with the sections parsed from a file's bytes: lines end at CR, LF
    // characters are removed from lines, a line that is exactly 0x1A counts as empty, lines are
    // trimmed of codes 0..32, the switches apply, lines before the first section are dropped,
    // duplicate sections are merged (first occurrence wins). Afterwards the modified flag tells
    // whether any section was merged away, and the cursor is 0. The bytes must not belong to
    // this object.
    void Load(std::string_view bytes);

    // Back to the state of a new object: no sections, cursor 0, not modified.
    void Clear();

    // What saving writes: each section with at least one line as "[name]" CR LF, its lines each
    // + CR LF, then an empty line (CR LF). Sections without lines are left out.
    [[nodiscard]] std::string Serialize() const;

    [[nodiscard]] bool Modified() const noexcept { return modified_; }
    void SetModified(bool modified) noexcept { modified_ = modified; }

    // Circular, case-insensitive look-up from the cursor (the index of the section last found);
    // the cursor moves to the index found. -1 when absent.
    [[nodiscard]] int FindSection(std::string_view name);

    // The value of the first line of the section with this key, else the default.
    [[nodiscard]] std::string ReadString(std::string_view section, std::string_view key, std::string_view defaultValue);
    // The value converted by StrToIntUninstall after a leading "0x"/"0X" became "$"; the default
    // when it does not convert or is missing.
    [[nodiscard]] int32_t ReadInteger(std::string_view section, std::string_view key, int32_t defaultValue);
    // ReadInteger with the default as 0 or 1, true when non-zero.
    [[nodiscard]] bool ReadBool(std::string_view section, std::string_view key, bool defaultValue);

    // Appends key "=" value to the section (created at the end when missing) when the key is
    // absent, else replaces the first line with that key if its text differs. Either change sets
    // the modified flag. An empty key with a non-empty section name erases the section instead.
    void WriteString(std::string_view section, std::string_view key, std::string_view value);
    void WriteInteger(std::string_view section, std::string_view key, int32_t value);
    void WriteBool(std::string_view section, std::string_view key, bool value);  // "1" or "0"

    // Removes the first line with the key; true (and modified) when there was one.
    bool DeleteKey(std::string_view section, std::string_view key);
    // Removes the section with its lines (modified, cursor back to 0) when it exists.
    void EraseSection(std::string_view section);

    // The keys of the section's lines in file order, repeated keys included.
    [[nodiscard]] std::vector<std::string> ReadSection(std::string_view section);
    [[nodiscard]] std::vector<std::string> ReadSections() const;
    // Replaces the list's content by the section's lines in file order, followed by those earlier
    // entries of the list whose keys are not keys of the section (entries without "=" stay).
    void ReadSectionValues(std::string_view section, std::vector<std::string>& list);

    // The lines of a section in file order (key "=" value), or nullptr when there is no such
    // section. Valid until that section is erased or the content replaced.
    [[nodiscard]] const std::vector<std::string>* SectionLines(std::string_view section);

    [[nodiscard]] size_t SectionCount() const noexcept { return sections_.size(); }

private:
    // A slot of a section's key index: open addressing over the case-folded keys, first line wins.
    struct KeySlot {
        uint32_t hash = 0;
        uint32_t line = 0;  // line index + 1; 0 marks a free slot
    };

    struct Section {
        explicit Section(std::string_view sectionName) : name(sectionName) {}
        std::string name;
        std::vector<std::string> lines;
        // Built on the first look-up in a large section, so that reading every key of a log with
        // hundreds of thousands of lines stays linear; empty while not built.
        std::vector<KeySlot> keyIndex;
    };

    static constexpr size_t NoLine = static_cast<size_t>(-1);

    [[nodiscard]] Section* FindSectionData(std::string_view name);
    Section& AppendSection(std::string_view name);
    [[nodiscard]] static size_t FindKey(Section& section, std::string_view key);
    static void BuildKeyIndex(Section& section);
    static void AddToKeyIndex(Section& section, size_t line);
    [[nodiscard]] const std::string* FindLine(std::string_view section, std::string_view key);

    IniSwitches switches_;
    std::vector<std::unique_ptr<Section>> sections_;
    // Case-folded section name -> index; rebuilt lazily after an erase shifts the indices.
    std::unordered_map<std::string, uint32_t> sectionIndex_;
    bool sectionIndexValid_ = true;
    int cursor_ = 0;
    bool modified_ = false;
};

// The uninstaller's integer conversion: optional leading blanks (spaces), optional sign, then
// decimal digits or hexadecimal digits after "$"; nothing may follow. Decimal must fit the signed
// 32-bit range, hexadecimal may use all 32 bits ($FFFFFFFF is -1; a minus sign negates with
// wrap-around). "0x" prefixes do NOT convert here.
[[nodiscard]] std::optional<int32_t> StrToIntUninstall(std::string_view text);

// Case-insensitive comparison used for section names and keys: ASCII letters, plus the Cyrillic
// letters of code page 1251 (0xC0-0xDF with 0xE0-0xFF, 0xA8 with 0xB8), every other byte as is.
[[nodiscard]] bool SameTextIgnoringCase(std::string_view a, std::string_view b);

}  // namespace lvu
