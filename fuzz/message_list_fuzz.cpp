// Fuzz target: the "messages.lst" reader and the number conversion it uses, on arbitrary bytes.
#include "core/MessageList.h"
#include "core/UNI_Strings.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    for (const lvx::MessageName& entry : lvx::ParseMessageList(text)) {
        // Every entry must come from a line whose name is non-empty and upper case.
        if (entry.Name.empty()) __builtin_trap();
        for (const char c : entry.Name)
            if (c >= 'a' && c <= 'z') __builtin_trap();
    }
    // The conversion must agree with itself on a round trip of what it accepted.
    if (const auto value = lvx::StrToInt(text)) {
        if (lvx::StrToInt(std::to_string(*value)) != value) __builtin_trap();
    }
    return 0;
}
