// Fuzz target: the details window's copied text read back, and written again from what was read.
#include "details/DetailsText.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

namespace {

void Check(bool condition)
{
    if (!condition) __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const std::optional<std::vector<lvx::DetailSection>> read = lvx::ParseDetailsText(text);
    if (!read) return 0;
    // A label of ours never starts with "[": such a line would read back as a title.
    for (const lvx::DetailSection& section : *read)
        for (const lvx::DetailLine& line : section.Lines)
            if (line.Label.starts_with('[')) return 0;
    // Written and read again, then written once more: the same text (the first writing turns
    // control characters into blanks; after that nothing changes).
    const std::string once = lvx::FormatDetailsText(*read);
    const std::optional<std::vector<lvx::DetailSection>> again = lvx::ParseDetailsText(once);
    Check(again.has_value());
    Check(again->size() == read->size());
    Check(lvx::FormatDetailsText(*again) == once);
    return 0;
}
