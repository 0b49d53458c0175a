// Fuzz target: the language file reader and its lookups, on arbitrary bytes.
#include "language/LanguageFile.h"

#include <cstddef>
#include <cstdint>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    lvx::LanguageData language;
    if (language.Parse(text) != lvx::LanguageData::ParseResult::Ok) return 0;
    // Every section found by its own name is the first of that name, and every lookup answers.
    for (size_t i = 0; i < language.SectionCount() && i < 64; ++i) {
        for (const char* key : {"Caption", "_ERROR", "Unfreeze thread", ""}) {
            if (language.LookupText(static_cast<int>(i), key).empty()) __builtin_trap();
        }
    }
    // Use the input's first line as a key too: lookups of arbitrary text must work.
    const std::string_view firstLine = text.substr(0, text.find_first_of("\r\n"));
    if (language.SectionCount() > 0 && language.LookupText(0, firstLine).empty()) __builtin_trap();
    return 0;
}
