// The language-file sections the program's windows read, and the keys each window looks up in its section.
#pragma once

#include <span>
#include <string_view>

namespace lvx {

struct LanguageSection {
    const char* Name;                   // section name, case-sensitive, e.g. "LumivexForm"
    std::span<const char* const> Keys;  // keys looked up in it, e.g. "WindowText", "Unfreeze thread"
};

// Every window section (LumivexForm, WindowTreeForm, QuickSearchForm, FoundWindowsForm, QuickInfoForm,
// MenuBrowserForm, StylesForm, ChangeSizeForm, OptionsForm, AboutForm, DetailsForm,
// MessageLogForm), each with its keys in the
// order the window applies them. The "AllVars" section's 36 keys are not listed here: they are the
// keys of MessageDefs in language/MessageTable.h.
[[nodiscard]] std::span<const LanguageSection> LanguageSections();

// The keys of one section, empty when the program has no such section. Section names are matched
// exactly, as the language-file reader does.
[[nodiscard]] std::span<const char* const> LanguageKeysOf(std::string_view section);

}  // namespace lvx
