// The in-memory content of one INI file (the install log and the INI files it names): loading, look-ups, writes, saving.
#include "log/IniData.h"

#include <array>
#include <limits>

namespace lvu {
namespace {

constexpr std::array<uint8_t, 256> MakeFoldTable()
{
    std::array<uint8_t, 256> table{};
    for (size_t c = 0; c < 256; ++c) table[c] = static_cast<uint8_t>(c);
    for (size_t c = 'A'; c <= 'Z'; ++c) table[c] = static_cast<uint8_t>(c + 0x20);
    for (size_t c = 0xC0; c <= 0xDF; ++c) table[c] = static_cast<uint8_t>(c + 0x20);
    table[0xA8] = 0xB8;
    return table;
}

constexpr std::array<uint8_t, 256> FoldTable = MakeFoldTable();

uint8_t Fold(char c)
{
    return FoldTable[static_cast<uint8_t>(c)];
}

std::string Folded(std::string_view text)
{
    std::string result(text.size(), '\0');
    for (size_t i = 0; i < text.size(); ++i) result[i] = static_cast<char>(Fold(text[i]));
    return result;
}

uint32_t FoldedHash(std::string_view text)
{
    uint32_t hash = 2166136261u;  // FNV-1a
    for (const char c : text) hash = (hash ^ Fold(c)) * 16777619u;
    return hash;
}

// The key of a line: the text before its first "=". Lines without "=" have none.
bool LineKey(std::string_view line, std::string_view& key)
{
    const size_t equals = line.find('=');
    if (equals == std::string_view::npos) return false;
    key = line.substr(0, equals);
    return true;
}

bool IsBlank(char c)
{
    return c == ' ' || c == '\t';
}

std::string_view TrimControls(std::string_view text)
{
    size_t begin = 0;
    size_t end = text.size();
    while (begin < end && static_cast<uint8_t>(text[begin]) <= 32) ++begin;
    while (end > begin && static_cast<uint8_t>(text[end - 1]) <= 32) --end;
    return text.substr(begin, end - begin);
}

// Below this many lines a scan is cheaper than building and keeping an index.
constexpr size_t IndexedSectionSize = 16;

}  // namespace

bool SameTextIgnoringCase(std::string_view a, std::string_view b)
{
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        if (Fold(a[i]) != Fold(b[i])) return false;
    }
    return true;
}

std::optional<int32_t> StrToIntUninstall(std::string_view text)
{
    size_t i = 0;
    while (i < text.size() && text[i] == ' ') ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
    const bool hexadecimal = i < text.size() && text[i] == '$';
    if (hexadecimal) ++i;
    if (i == text.size()) return std::nullopt;
    // Hexadecimal accumulates the unsigned 32-bit pattern; decimal the magnitude up to 2^31.
    const uint64_t limit = hexadecimal ? 0xFFFFFFFFull : (negative ? 0x80000000ull : 0x7FFFFFFFull);
    uint64_t value = 0;
    for (; i < text.size(); ++i) {
        const char c = text[i];
        unsigned digit = 0;
        if (c >= '0' && c <= '9') {
            digit = static_cast<unsigned>(c - '0');
        } else if (hexadecimal && Fold(c) >= 'a' && Fold(c) <= 'f') {
            digit = static_cast<unsigned>(Fold(c) - 'a' + 10);
        } else {
            return std::nullopt;
        }
        value = value * (hexadecimal ? 16 : 10) + digit;
        if (value > limit) return std::nullopt;
    }
    const uint32_t pattern = static_cast<uint32_t>(negative ? 0u - static_cast<uint32_t>(value) : static_cast<uint32_t>(value));
    return static_cast<int32_t>(pattern);
}

IniData::IniData(IniSwitches switches) : switches_(switches) {}

void IniData::Clear()
{
    sections_.clear();
    sectionIndex_.clear();
    sectionIndexValid_ = true;
    cursor_ = 0;
    modified_ = false;
}

void IniData::Load(std::string_view bytes)
{
    Clear();
    Section* current = nullptr;  // none before the first header and inside a duplicate section
    bool merged = false;
    std::string withoutLineFeeds;
    size_t position = 0;
    while (position < bytes.size()) {
        size_t end = bytes.find('\r', position);
        if (end == std::string_view::npos) end = bytes.size();
        // Line feeds and the end-of-file mark 0x1A are codes below 33, so trimming first removes
        // them from the ends; only line feeds inside the line remain to be deleted.
        std::string_view line = TrimControls(bytes.substr(position, end - position));
        position = end + 1;
        if (line.empty()) continue;
        if (line.find('\n') != std::string_view::npos) {
            withoutLineFeeds.clear();
            for (const char c : line) {
                if (c != '\n') withoutLineFeeds += c;
            }
            line = withoutLineFeeds;
        }
        if (switches_.Comments && line.front() == ';') continue;

        if (line.size() >= 2 && line.front() == '[' && line.back() == ']') {
            // Dropping a later section of a known name as it is read leaves what sorting the names
            // and discarding every later duplicate would, in one pass.
            const std::string_view name = line.substr(1, line.size() - 2);
            const auto [entry, isNew] = sectionIndex_.try_emplace(Folded(name), static_cast<uint32_t>(sections_.size()));
            if (isNew) {
                sections_.push_back(std::make_unique<Section>(name));
                current = sections_.back().get();
            } else {
                current = nullptr;
                merged = true;
            }
            continue;
        }
        if (current == nullptr) continue;

        const size_t equals = line.find('=');
        if (equals == std::string_view::npos) {
            if (!switches_.DropLinesWithoutEquals) current->lines.emplace_back(line);
            continue;
        }
        std::string_view key = line.substr(0, equals);
        std::string_view value = line.substr(equals + 1);
        if (switches_.TrimAroundEquals) {
            while (!key.empty() && IsBlank(key.back())) key.remove_suffix(1);
            while (!value.empty() && IsBlank(value.front())) value.remove_prefix(1);
        }
        // The "=" at position 2 or later and not among the last two characters.
        if (switches_.StripQuotes && !key.empty() && value.size() >= 2 && value.front() == value.back() &&
            (value.front() == '"' || value.front() == '\'')) {
            value = value.substr(1, value.size() - 2);
        }
        std::string cleaned;
        cleaned.reserve(key.size() + 1 + value.size());
        cleaned.append(key).append(1, '=').append(value);
        current->lines.push_back(std::move(cleaned));
    }
    modified_ = merged;
}

std::string IniData::Serialize() const
{
    size_t size = 0;
    for (const auto& section : sections_) {
        if (section->lines.empty()) continue;
        size += section->name.size() + 6;
        for (const std::string& line : section->lines) size += line.size() + 2;
    }
    std::string text;
    text.reserve(size);
    for (const auto& section : sections_) {
        if (section->lines.empty()) continue;
        text.append(1, '[').append(section->name).append("]\r\n");
        for (const std::string& line : section->lines) text.append(line).append("\r\n");
        text.append("\r\n");
    }
    return text;
}

int IniData::FindSection(std::string_view name)
{
    if (sections_.empty()) return -1;
    // Reads are mostly sequential, so the section last found is tried first. Names are unique,
    // so the hash answers what the circular scan from the cursor would, without the scan.
    if (cursor_ >= 0 && static_cast<size_t>(cursor_) < sections_.size() &&
        SameTextIgnoringCase(sections_[static_cast<size_t>(cursor_)]->name, name)) {
        return cursor_;
    }
    if (!sectionIndexValid_) {
        sectionIndex_.clear();
        for (size_t i = 0; i < sections_.size(); ++i) sectionIndex_.try_emplace(Folded(sections_[i]->name), static_cast<uint32_t>(i));
        sectionIndexValid_ = true;
    }
    const auto entry = sectionIndex_.find(Folded(name));
    if (entry == sectionIndex_.end()) return -1;
    cursor_ = static_cast<int>(entry->second);
    return cursor_;
}

IniData::Section* IniData::FindSectionData(std::string_view name)
{
    const int index = FindSection(name);
    return index < 0 ? nullptr : sections_[static_cast<size_t>(index)].get();
}

IniData::Section& IniData::AppendSection(std::string_view name)
{
    const size_t index = sections_.size();
    sections_.push_back(std::make_unique<Section>(name));
    if (sectionIndexValid_) sectionIndex_.try_emplace(Folded(name), static_cast<uint32_t>(index));
    cursor_ = static_cast<int>(index);
    return *sections_.back();
}

void IniData::AddToKeyIndex(Section& section, size_t line)
{
    std::string_view key;
    if (!LineKey(section.lines[line], key)) return;
    const uint32_t hash = FoldedHash(key);
    const size_t mask = section.keyIndex.size() - 1;
    for (size_t slot = hash & mask;; slot = (slot + 1) & mask) {
        KeySlot& entry = section.keyIndex[slot];
        if (entry.line == 0) {
            entry = {hash, static_cast<uint32_t>(line + 1)};
            return;
        }
        std::string_view earlier;
        if (entry.hash == hash && LineKey(section.lines[entry.line - 1], earlier) && SameTextIgnoringCase(earlier, key)) {
            return;  // look-ups find the first line of a key
        }
    }
}

void IniData::BuildKeyIndex(Section& section)
{
    size_t capacity = 2 * IndexedSectionSize;
    while (capacity < 2 * section.lines.size()) capacity *= 2;
    section.keyIndex.assign(capacity, KeySlot{});
    for (size_t i = 0; i < section.lines.size(); ++i) AddToKeyIndex(section, i);
}

size_t IniData::FindKey(Section& section, std::string_view key)
{
    std::string_view lineKey;
    if (section.lines.size() < IndexedSectionSize || section.lines.size() >= std::numeric_limits<uint32_t>::max() / 2) {
        for (size_t i = 0; i < section.lines.size(); ++i) {
            if (LineKey(section.lines[i], lineKey) && SameTextIgnoringCase(lineKey, key)) return i;
        }
        return NoLine;
    }
    if (section.keyIndex.empty()) BuildKeyIndex(section);
    const uint32_t hash = FoldedHash(key);
    const size_t mask = section.keyIndex.size() - 1;
    for (size_t slot = hash & mask;; slot = (slot + 1) & mask) {
        const KeySlot& entry = section.keyIndex[slot];
        if (entry.line == 0) return NoLine;
        if (entry.hash == hash && LineKey(section.lines[entry.line - 1], lineKey) && SameTextIgnoringCase(lineKey, key)) {
            return entry.line - 1;
        }
    }
}

const std::string* IniData::FindLine(std::string_view section, std::string_view key)
{
    Section* data = FindSectionData(section);
    if (data == nullptr) return nullptr;
    const size_t line = FindKey(*data, key);
    return line == NoLine ? nullptr : &data->lines[line];
}

std::string IniData::ReadString(std::string_view section, std::string_view key, std::string_view defaultValue)
{
    const std::string* line = FindLine(section, key);
    return std::string(line == nullptr ? defaultValue : std::string_view(*line).substr(key.size() + 1));
}

int32_t IniData::ReadInteger(std::string_view section, std::string_view key, int32_t defaultValue)
{
    const std::string* line = FindLine(section, key);
    if (line == nullptr) return defaultValue;
    std::string_view text = std::string_view(*line).substr(key.size() + 1);
    std::optional<int32_t> value;
    if (text.size() >= 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        value = StrToIntUninstall("$" + std::string(text.substr(2)));
    } else {
        value = StrToIntUninstall(text);
    }
    return value.value_or(defaultValue);
}

bool IniData::ReadBool(std::string_view section, std::string_view key, bool defaultValue)
{
    return ReadInteger(section, key, defaultValue ? 1 : 0) != 0;
}

void IniData::WriteString(std::string_view section, std::string_view key, std::string_view value)
{
    if (key.empty() && !section.empty()) {
        EraseSection(section);
        return;
    }
    Section* data = FindSectionData(section);
    if (data == nullptr) data = &AppendSection(section);
    std::string line;
    line.reserve(key.size() + 1 + value.size());
    line.append(key).append(1, '=').append(value);
    const size_t found = FindKey(*data, key);
    if (found != NoLine) {
        // The key matched without case, so the new line's key folds the same: the index holds.
        if (data->lines[found] == line) return;
        data->lines[found] = std::move(line);
    } else {
        data->lines.push_back(std::move(line));
        if (!data->keyIndex.empty()) {
            if (2 * data->lines.size() > data->keyIndex.size()) {
                data->keyIndex.clear();  // rebuilt larger on the next look-up
            } else {
                AddToKeyIndex(*data, data->lines.size() - 1);
            }
        }
    }
    modified_ = true;
}

void IniData::WriteInteger(std::string_view section, std::string_view key, int32_t value)
{
    WriteString(section, key, std::to_string(value));
}

void IniData::WriteBool(std::string_view section, std::string_view key, bool value)
{
    WriteString(section, key, value ? "1" : "0");
}

bool IniData::DeleteKey(std::string_view section, std::string_view key)
{
    Section* data = FindSectionData(section);
    if (data == nullptr) return false;
    const size_t line = FindKey(*data, key);
    if (line == NoLine) return false;
    data->lines.erase(data->lines.begin() + static_cast<std::ptrdiff_t>(line));
    // Later lines moved up, and a later line with the same key may now be the first.
    data->keyIndex.clear();
    modified_ = true;
    return true;
}

void IniData::EraseSection(std::string_view section)
{
    const int index = FindSection(section);
    if (index < 0) return;
    sections_.erase(sections_.begin() + index);
    sectionIndexValid_ = false;
    cursor_ = 0;
    modified_ = true;
}

std::vector<std::string> IniData::ReadSection(std::string_view section)
{
    std::vector<std::string> keys;
    const Section* data = FindSectionData(section);
    if (data == nullptr) return keys;
    keys.reserve(data->lines.size());
    std::string_view key;
    for (const std::string& line : data->lines) {
        if (LineKey(line, key)) keys.emplace_back(key);
    }
    return keys;
}

std::vector<std::string> IniData::ReadSections() const
{
    std::vector<std::string> names;
    names.reserve(sections_.size());
    for (const auto& section : sections_) names.push_back(section->name);
    return names;
}

void IniData::ReadSectionValues(std::string_view section, std::vector<std::string>& list)
{
    Section* data = FindSectionData(section);
    if (data == nullptr) return;  // no lines come first and every earlier entry stays
    std::vector<std::string> result(data->lines);
    std::string_view key;
    for (std::string& entry : list) {
        if (LineKey(entry, key) && FindKey(*data, key) != NoLine) continue;
        result.push_back(std::move(entry));
    }
    list = std::move(result);
}

const std::vector<std::string>* IniData::SectionLines(std::string_view section)
{
    const Section* data = FindSectionData(section);
    return data == nullptr ? nullptr : &data->lines;
}

}  // namespace lvu
