// Fuzz target: mask compilation and matching, and the class-icon file reader, on arbitrary bytes.
#include "discovery/ClassIcons.h"
#include "discovery/Mask.h"
#include "core/UNI_Strings.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    // The bytes before the first NUL are the mask, the rest the text to match.
    const size_t split = input.find('\0');
    const std::string_view mask = input.substr(0, split);
    const std::string_view text = split == std::string_view::npos ? std::string_view() : input.substr(split + 1);

    std::string error;
    if (const std::optional<lvx::TMask> compiled = lvx::TMask::Create(mask, &error)) {
        // A mask of plain characters matches itself.
        if (mask.find_first_of("*?[]") == std::string_view::npos && !compiled->Matches(mask)) __builtin_trap();
        // A star in front never makes a match fail.
        if (compiled->Matches(text)) {
            const std::string starred = "*" + std::string(mask);
            if (const auto wider = lvx::TMask::Create(starred); wider && !wider->Matches(text)) __builtin_trap();
        }
    } else if (error.empty()) {
        __builtin_trap();
    }

    std::vector<lvx::ClassIconName> names;
    std::vector<lvx::TMyMask> masks;
    (void)lvx::ParseClassIcons(input, names, masks);
    lvx::SortClassIconNames(names);
    for (const lvx::ClassIconName& entry : names) {
        // The exact look-up answers the picture of one of the entries with that name.
        const int32_t found = lvx::LookupClassIcon(entry.Name, 1, names, masks);
        bool known = false;
        for (const lvx::ClassIconName& other : names)
            known |= other.ImageIndex == found && lvx::UpperCaseAscii(other.Name) == lvx::UpperCaseAscii(entry.Name);
        if (!known) __builtin_trap();
    }
    (void)lvx::LookupClassIcon(text, 2, names, masks);
    return 0;
}
