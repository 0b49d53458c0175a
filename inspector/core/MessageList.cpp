// Parser of "messages.lst": one "NAME=value" pair per line for the message panel.
#include "MessageList.h"

#include "UNI_Strings.h"

namespace lvx {

bool ParseMessageListLine(std::string_view line, MessageName& out)
{
    const size_t equals = line.find('=');
    if (equals == std::string_view::npos || equals == 0) return false;
    const auto value = StrToInt(line.substr(equals + 1));
    if (!value) return false;
    out.Name = UpperCaseAscii(line.substr(0, equals));
    out.Value = static_cast<uint32_t>(*value);
    return true;
}

std::vector<MessageName> ParseMessageList(std::string_view content)
{
    std::vector<MessageName> names;
    MessageName entry;
    for (const std::string_view line : SplitLines(content))
        if (ParseMessageListLine(line, entry)) names.push_back(entry);
    return names;
}

std::optional<uint32_t> LookUpMessage(std::string_view text, const std::vector<MessageName>& names)
{
    const std::string name = UpperCaseAscii(text);
    if (const std::optional<uint32_t> number = ParseNumberNotation(name)) return number;
    for (const MessageName& entry : names)
        if (entry.Name == name) return entry.Value;
    return std::nullopt;
}

}  // namespace lvx
