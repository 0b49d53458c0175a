// Text forms of registry paths and data: roots, hexadecimal pairs, multi-strings, unsigned numbers.
#include "RegistryText.h"

#include "TextCase.h"

#include <array>

namespace lvu {
namespace {

int HexDigit(char c)
{
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

}  // namespace

RegistryPath ParseRegistryPath(std::string_view path)
{
    if (!path.empty() && path.back() == '\\') path.remove_suffix(1);
    const size_t slash = path.find('\\');
    const std::string_view first = path.substr(0, slash);
    struct Name {
        std::string_view Text;
        RegistryRoot Root;
    };
    static constexpr std::array<Name, 4> Roots{{{"HKCR", RegistryRoot::ClassesRoot},
                                                {"HKCU", RegistryRoot::CurrentUser},
                                                {"HKLM", RegistryRoot::LocalMachine},
                                                {"HKU", RegistryRoot::Users}}};
    for (const Name& root : Roots)
        if (EqualsNoCase(first, root.Text))
            return {root.Root, slash == std::string_view::npos ? std::string() : std::string(path.substr(slash + 1))};
    return {RegistryRoot::CurrentUser, std::string(path)};
}

KeyPathSplit SplitLastKey(std::string_view subKey)
{
    const size_t slash = subKey.rfind('\\');
    if (slash == std::string_view::npos) return {std::string(), std::string(subKey)};
    return {std::string(subKey.substr(0, slash)), std::string(subKey.substr(slash + 1))};
}

std::vector<uint8_t> BinaryFromHex(std::string_view text)
{
    std::string digits;
    for (const char c : text)
        if (c != ' ') digits += c;
    std::vector<uint8_t> bytes;
    bytes.reserve(digits.size() / 2);
    for (size_t i = 0; i + 1 < digits.size(); i += 2) {
        const int high = HexDigit(digits[i]);
        const int low = HexDigit(digits[i + 1]);
        bytes.push_back(high < 0 || low < 0 ? 0 : static_cast<uint8_t>(high * 16 + low));
    }
    return bytes;
}

std::string HexFromBinary(const uint8_t* data, size_t size)
{
    static constexpr char Digits[] = "0123456789ABCDEF";
    std::string text;
    text.reserve(size * 2);
    for (size_t i = 0; i < size; ++i) {
        text += Digits[data[i] >> 4];
        text += Digits[data[i] & 0x0F];
    }
    return text;
}

std::string MultiStringData(std::string_view text)
{
    std::string data;
    data.reserve(text.size() + 2);
    for (const char c : text) {
        if (c == '\n') continue;
        data += c == '\r' ? '\0' : c;
    }
    data += '\0';
    data += '\0';
    return data;
}

std::string MultiStringText(std::string_view data)
{
    for (int dropped = 0; dropped < 2 && !data.empty() && data.back() == '\0'; ++dropped) data.remove_suffix(1);
    std::string text;
    text.reserve(data.size());
    for (const char c : data) {
        if (c == '\0')
            text += "\r\n";
        else
            text += c;
    }
    return text;
}

std::optional<int32_t> ParseSigned32(std::string_view text)
{
    size_t i = 0;
    while (i < text.size() && text[i] == ' ') ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
    if (i == text.size()) return std::nullopt;
    int64_t value = 0;
    for (; i < text.size(); ++i) {
        if (text[i] < '0' || text[i] > '9') return std::nullopt;
        value = value * 10 + (text[i] - '0');
        if (value > int64_t{INT32_MAX} + 1) return std::nullopt;
    }
    if (negative) value = -value;
    if (value > INT32_MAX || value < INT32_MIN) return std::nullopt;
    return static_cast<int32_t>(value);
}

uint32_t ParseUnsignedDecimal(std::string_view text, uint32_t defaultValue)
{
    if (const auto whole = ParseSigned32(text)) return static_cast<uint32_t>(*whole);
    if (text.size() < 2) return defaultValue;
    const auto head = ParseSigned32(text.substr(0, text.size() - 1));
    const auto last = ParseSigned32(text.substr(text.size() - 1));
    // Only the range above INT32_MAX is meant to come this way; a wrap past 4294967295 or a
    // negative head would turn a wrong number into a plausible one.
    if (!head || !last || *head < 0) return defaultValue;
    const int64_t value = int64_t{*head} * 10 + *last;
    if (value > int64_t{UINT32_MAX}) return defaultValue;
    return static_cast<uint32_t>(value);
}

}  // namespace lvu
