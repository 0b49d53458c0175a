// Language support of the program: its folder, the loaded language file and the translate step of windows.
#include "MultiLang.h"

#include "MessageTable.h"
#include "core/Handles.h"
#include "core/TextFiles.h"

#include <windows.h>

#include <cstring>

namespace lvx {

std::string ProgramFolder;
bool LanguageLoaded = false;
LanguageData Language;

void InitProgramFolder()
{
    // Paths may be longer than MAX_PATH; grow until the whole name fits.
    std::vector<char> buffer(MAX_PATH, '\0');
    for (;;) {
        const DWORD length = ::GetModuleFileNameA(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
        if (length == 0) return;
        if (length < buffer.size()) {
            const std::string path(buffer.data(), length);
            ProgramFolder = path.substr(0, path.size() - FileNamePart(path).size());
            if (ProgramFolder.empty() || ProgramFolder.back() != '\\') ProgramFolder += '\\';
            return;
        }
        if (buffer.size() >= 32768) return;
        buffer.resize(buffer.size() * 2);
    }
}

std::string FileNamePart(const std::string& path)
{
    const size_t separator = path.find_last_of("\\/:");
    return separator == std::string::npos ? path : path.substr(separator + 1);
}

bool LanguageConfigured(const std::string& settingsKey, std::string& fullPath)
{
    HKEY opened = nullptr;
    if (::RegOpenKeyExA(HKEY_CURRENT_USER, settingsKey.c_str(), 0, KEY_QUERY_VALUE, &opened) != ERROR_SUCCESS)
        return false;
    const unique_hkey key(opened);
    DWORD type = 0;
    DWORD size = 0;
    if (::RegQueryValueExA(key.get(), "Language", nullptr, &type, nullptr, &size) != ERROR_SUCCESS || type != REG_SZ)
        return false;
    std::string value(size + 1, '\0');
    if (::RegQueryValueExA(key.get(), "Language", nullptr, &type, reinterpret_cast<BYTE*>(value.data()), &size) !=
            ERROR_SUCCESS ||
        type != REG_SZ)
        return false;
    value.resize(std::strlen(value.c_str()));
    fullPath = ProgramFolder + value;
    return FileNamePart(fullPath) == BuiltInLanguage || FileExists(fullPath);
}

LanguageLoad LoadLanguage(const std::string& fullPath)
{
    if (FileNamePart(fullPath) == BuiltInLanguage) return LanguageLoad::BuiltIn;
    std::string content;
    if (!ReadWholeFile(fullPath, content)) return LanguageLoad::Unreadable;
    LanguageData data;
    if (data.Parse(content) != LanguageData::ParseResult::Ok) return LanguageLoad::Invalid;
    Language = std::move(data);
    LanguageLoaded = true;
    return LanguageLoad::Loaded;
}

void ReportInvalidLanguageFile()
{
    ::MessageBoxA(nullptr, "Invalid language file", "Fatal error", MB_OK | MB_ICONERROR | MB_TASKMODAL);
}

void LoadMessageTable()
{
    if (!LanguageLoaded) return;
    const int section = Language.LookupSection("AllVars");
    for (size_t i = 0; i < MessageCount; ++i)
        SetMessageText(static_cast<Msg>(i), Language.LookupText(section, MessageDefs[i].Key));
}

bool StoreLanguage(const std::string& settingsKey, const std::string& entry)
{
    HKEY opened = nullptr;
    if (::RegCreateKeyExA(HKEY_CURRENT_USER, settingsKey.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_SET_VALUE,
                          nullptr, &opened, nullptr) != ERROR_SUCCESS)
        return false;
    const unique_hkey key(opened);
    return ::RegSetValueExA(key.get(), "Language", 0, REG_SZ, reinterpret_cast<const BYTE*>(entry.c_str()),
                            static_cast<DWORD>(entry.size() + 1)) == ERROR_SUCCESS;
}

void TranslateWindow(std::string_view section, const std::vector<TranslationTarget>& targets)
{
    if (!LanguageLoaded) return;
    const int index = Language.LookupSection(section);
    for (const TranslationTarget& target : targets) target.Apply(Language.LookupText(index, target.Key));
}

}  // namespace lvx
