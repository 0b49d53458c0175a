// Fuzz target: the uninstaller's INI reader and the log line functions on arbitrary bytes.
#include "log/IniData.h"
#include "log/LogFields.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace {

void Check(bool condition)
{
    if (!condition) __builtin_trap();
}

using Lines = std::vector<std::string>;

// Quote stripping can leave a line that a second load cleans further (`k=" v"` becomes `k= v`,
// then `k=v`), so only lines that load back as themselves promise an exact round trip.
bool LoadsBackUnchanged(const std::string& line, lvu::IniSwitches switches)
{
    lvu::IniData single(switches);
    single.Load("[s]\r" + line);
    const Lines* lines = single.SectionLines("s");
    return lines != nullptr && lines->size() == 1 && (*lines)[0] == line;
}

void CheckRoundTrip(lvu::IniData& data, lvu::IniSwitches switches)
{
    Lines written;  // the names of the sections that saving writes
    bool stable = true;
    for (const std::string& name : data.ReadSections()) {
        const Lines& lines = *data.SectionLines(name);
        if (!lines.empty()) written.push_back(name);
        for (const std::string& line : lines) stable = stable && LoadsBackUnchanged(line, switches);
    }
    // Without quote stripping every cleaned line is already clean.
    Check(stable || switches.StripQuotes);

    const std::string saved = data.Serialize();
    lvu::IniData reloaded(switches);
    reloaded.Load(saved);
    if (!stable) return;
    Check(!reloaded.Modified());
    Check(reloaded.ReadSections() == written);
    for (const std::string& name : written) Check(*reloaded.SectionLines(name) == *data.SectionLines(name));
    Check(reloaded.Serialize() == saved);
}

// Look-ups agree with a scan for the first line of each key, and writes read back.
void CheckLookups(lvu::IniData& data)
{
    const Lines names = data.ReadSections();
    for (size_t i = 0; i < names.size(); ++i) {
        Check(data.FindSection(names[i]) == static_cast<int>(i));
        const Lines lines = *data.SectionLines(names[i]);
        for (size_t j = 0; j < lines.size() && j < 512; ++j) {
            if (lines[j].find('=') == std::string::npos) continue;
            const std::string_view key = lvu::NamePart(lines[j]);
            size_t first = 0;
            while (lines[first].find('=') == std::string::npos || !lvu::SameTextIgnoringCase(lvu::NamePart(lines[first]), key)) ++first;
            Check(data.ReadString(names[i], key, "") == lvu::ValuePart(lines[first]));
            (void)data.ReadBool(names[i], key, true);
        }
    }
    if (names.empty()) return;
    const std::string& section = names.back();
    for (const std::string& key : data.ReadSection(section)) {
        if (key.empty()) continue;  // an empty key would erase the section
        data.WriteString(section, key, key + "!");
        Check(data.ReadString(section, key, "") == key + "!");
    }
    for (const std::string& key : data.ReadSection(section)) Check(data.DeleteKey(section, key));
    data.EraseSection(names.front());
    Check(data.FindSection(names.front()) == -1);
    Check(data.SectionCount() == names.size() - 1);
}

void CheckFields(std::string_view line)
{
    const std::string_view value = lvu::ValuePart(line);
    for (int n = 1; n <= 8; ++n) (void)lvu::DelimitedField(value, n);

    // Words and the delimiters between them make up the whole text.
    size_t covered = 0;
    for (const char c : value) covered += c == ',' || c == ';';
    for (int n = 1;; ++n) {
        const std::string_view word = lvu::Word(value, n, ",;");
        if (word.empty()) break;
        Check(word.find_first_of(",;") == std::string_view::npos);
        covered += word.size();
    }
    Check(covered == value.size());

    std::string keyPath;
    std::string valueName;
    const std::string_view name = lvu::NamePart(line);
    if (lvu::SplitRegistryValueReference(name, keyPath, valueName)) {
        Check(keyPath.size() < name.size() && name.substr(0, keyPath.size()) == keyPath && name[keyPath.size()] == '\\');
    }
    Check(lvu::ExpandLineBreaks(line, false).find("||") == std::string::npos);
    (void)lvu::ExpandLineBreaks(line, true);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);

    lvu::IniData log;  // as the uninstaller reads it
    log.Load(bytes);
    for (const std::string& name : log.ReadSections()) {
        const Lines& lines = *log.SectionLines(name);
        for (size_t i = 0; i < lines.size() && i < 256; ++i) CheckFields(lines[i]);
    }
    CheckRoundTrip(log, {});
    CheckLookups(log);

    // The same bytes under the switch combination chosen by the first byte.
    if (size > 0) {
        const lvu::IniSwitches switches{.Comments = (data[0] & 1) != 0,
                                        .DropLinesWithoutEquals = (data[0] & 2) != 0,
                                        .TrimAroundEquals = (data[0] & 4) != 0,
                                        .StripQuotes = (data[0] & 8) != 0};
        lvu::IniData other(switches);
        other.Load(bytes);
        CheckRoundTrip(other, switches);
        CheckLookups(other);
    }
    return 0;
}
