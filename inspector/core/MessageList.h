// Parser of "messages.lst": one "NAME=value" pair per line for the message panel.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace lvx {

struct MessageName {
    std::string Name;  // upper case
    uint32_t Value = 0;
};

// Reads one line: taken when its first "=" is not the first character; the name (before that
// "=") is upper-cased, the rest goes through the standard integer conversion. False when the
// line is not taken or its value does not convert.
[[nodiscard]] bool ParseMessageListLine(std::string_view line, MessageName& out);

// All taken lines of the file's content, in file order; malformed lines are skipped.
[[nodiscard]] std::vector<MessageName> ParseMessageList(std::string_view content);

// A message as the user types it: a number in the message panel's notation, or one of `names`
// in any case of its Latin letters. Nothing when it is neither.
[[nodiscard]] std::optional<uint32_t> LookUpMessage(std::string_view text, const std::vector<MessageName>& names);

}  // namespace lvx
