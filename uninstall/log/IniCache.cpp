// The cached access to INI files through which the uninstaller reads and writes every INI file.
#include "IniCache.h"

#include "TextIniFile.h"

#include <map>
#include <memory>

namespace lvu::cached {
namespace {

// Program-wide: the files opened so far. Used by one thread at a time (the wizard, then the worker).
std::map<std::string, std::unique_ptr<TTextIniFile>> Files;

std::string UpperCase(const std::string& text)
{
    std::string upper = text;
    for (char& c : upper)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    return upper;
}

TTextIniFile& Open(const std::string& file, bool forWriting)
{
    std::unique_ptr<TTextIniFile>& slot = Files[UpperCase(file)];
    if (slot && forWriting && slot->ReadOnly()) slot.reset();
    if (!slot) slot = std::make_unique<TTextIniFile>(file, !forWriting);
    return *slot;
}

}  // namespace

std::string ReadString(const std::string& file, const std::string& section, const std::string& key,
                       const std::string& defaultValue)
{
    return Open(file, false).Data().ReadString(section, key, defaultValue);
}

int32_t ReadInteger(const std::string& file, const std::string& section, const std::string& key, int32_t defaultValue)
{
    const auto value = StrToIntUninstall(ReadString(file, section, key, ""));
    return value ? *value : defaultValue;
}

bool ReadBool(const std::string& file, const std::string& section, const std::string& key, bool defaultValue)
{
    return ReadString(file, section, key, defaultValue ? "1" : "0") == "1";
}

void ReadSection(const std::string& file, const std::string& section, std::vector<std::string>& lines)
{
    const std::vector<std::string>* found = Open(file, false).Data().SectionLines(section);
    lines = found != nullptr ? *found : std::vector<std::string>{};
}

size_t SectionLineCount(const std::string& file, const std::string& section)
{
    const std::vector<std::string>* found = Open(file, false).Data().SectionLines(section);
    return found != nullptr ? found->size() : 0;
}

bool WriteString(const std::string& file, const std::string& section, const std::string& key, const std::string& value)
{
    try {
        Open(file, true).Data().WriteString(section, key, value);
        return true;
    } catch (const IniFileError&) {
        Files.erase(UpperCase(file));
        return false;
    }
}

bool DeleteKey(const std::string& file, const std::string& section, const std::string& key)
{
    try {
        Open(file, true).Data().DeleteKey(section, key);
        return true;
    } catch (const IniFileError&) {
        Files.erase(UpperCase(file));
        return false;
    }
}

void FlushAll()
{
    Files.clear();  // each object saves its changes as it goes
}

}  // namespace lvu::cached
