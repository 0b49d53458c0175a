// Language support of the program: its folder, the loaded language file and the translate step of windows.
#pragma once

#include "LanguageFile.h"

#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace lvx {

// The running program's folder, always ending in "\"; language and data files are looked for there.
extern std::string ProgramFolder;
// True once a language file has been read; until then every window keeps its built-in texts.
extern bool LanguageLoaded;
// The sections of the loaded language file.
extern LanguageData Language;

// The entry of the language chooser that stands for the built-in texts.
inline constexpr char BuiltInLanguage[] = "Русский (Russian)";

void InitProgramFolder();

// True when the settings key's "Language" value names the built-in entry or an existing file
// of the program folder; `fullPath` is then the program folder followed by the value.
[[nodiscard]] bool LanguageConfigured(const std::string& settingsKey, std::string& fullPath);

enum class LanguageLoad { Loaded, BuiltIn, Unreadable, Invalid };

// Reads the language file at `fullPath` (nothing for the built-in entry). A file with an entry
// before its first section is Invalid: the caller ends the program (ReportInvalidLanguageFile).
LanguageLoad LoadLanguage(const std::string& fullPath);
void ReportInvalidLanguageFile();

// Replaces every text of the message table from section "AllVars", when a file is loaded.
void LoadMessageTable();

// Writes the chooser's entry as the "Language" value of the settings key.
bool StoreLanguage(const std::string& settingsKey, const std::string& entry);

// The part of a path after its last folder separator.
[[nodiscard]] std::string FileNamePart(const std::string& path);

// One translatable text of a window: its key and how to put the translation in place.
struct TranslationTarget {
    const char* Key;
    std::function<void(const std::string&)> Apply;
};

// The translate step of a window: when a file is loaded, every target gets the text of its key
// in the window's section (or the untranslated marker).
void TranslateWindow(std::string_view section, const std::vector<TranslationTarget>& targets);

}  // namespace lvx
