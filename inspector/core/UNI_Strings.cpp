// String helpers with no platform dependency: number conversion, hex and geometry formatting.
#include "UNI_Strings.h"

#include <limits>
#include <type_traits>

#include <cstdio>

namespace lvx {
namespace {

int HexDigitValue(char c)
{
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

}  // namespace

namespace {

// The standard integer syntax for a signed type of any width: hexadecimal may use every bit
// (so all ones is -1), decimal must fit the signed range.
template <typename Signed>
std::optional<Signed> ParseInteger(std::string_view text)
{
    using Unsigned = std::make_unsigned_t<Signed>;
    size_t i = 0;
    while (i < text.size() && text[i] == ' ') ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }
    bool hex = false;
    if (i < text.size() && (text[i] == '$' || text[i] == 'x' || text[i] == 'X')) {
        hex = true;
        ++i;
    } else if (i + 1 < text.size() && text[i] == '0' && (text[i + 1] == 'x' || text[i + 1] == 'X')) {
        hex = true;
        i += 2;
    }
    if (i == text.size()) return std::nullopt;  // no digits at all

    const uint64_t base = hex ? 16 : 10;
    const uint64_t limit = hex ? static_cast<uint64_t>(std::numeric_limits<Unsigned>::max())
                               : static_cast<uint64_t>(std::numeric_limits<Signed>::max()) + 1;
    uint64_t value = 0;
    for (; i < text.size(); ++i) {
        const int digit = hex ? HexDigitValue(text[i]) : (text[i] >= '0' && text[i] <= '9' ? text[i] - '0' : -1);
        if (digit < 0) return std::nullopt;
        if (value > (limit - static_cast<uint64_t>(digit)) / base) return std::nullopt;
        value = value * base + static_cast<uint64_t>(digit);
    }
    if (!hex && !negative && value == limit) return std::nullopt;  // one above the largest value
    const auto bits = static_cast<Unsigned>(value);
    return static_cast<Signed>(negative ? static_cast<Unsigned>(Unsigned{0} - bits) : bits);
}

}  // namespace

std::optional<int32_t> StrToInt(std::string_view text)
{
    return ParseInteger<int32_t>(text);
}

std::optional<int64_t> StrToInt64(std::string_view text)
{
    return ParseInteger<int64_t>(text);
}

namespace {

// The number notation in 64 bits; decimal numbers in the signed range of 64 bits when `wide`,
// of 32 bits (as their unsigned 32-bit form) otherwise.
std::optional<uint64_t> ParseNotation(std::string_view text, bool wide)
{
    while (!text.empty() && static_cast<unsigned char>(text.front()) <= ' ') text.remove_prefix(1);
    while (!text.empty() && static_cast<unsigned char>(text.back()) <= ' ') text.remove_suffix(1);
    const std::string upper = UpperCaseAscii(text);
    size_t prefix = 0;
    if (upper.starts_with("$") || upper.starts_with("#"))
        prefix = 1;
    else if (upper.starts_with("0X") || upper.starts_with("&H"))
        prefix = 2;
    if (prefix != 0) {
        if (upper.size() == prefix) return std::nullopt;
        uint64_t value = 0;
        for (size_t i = prefix; i < upper.size(); ++i) {
            const int digit = HexDigitValue(upper[i]);
            if (digit < 0) return std::nullopt;
            value = value * 16 + static_cast<uint64_t>(digit);  // digits past 64 bits wrap: only the low bits are used
        }
        return value;
    }
    if (wide) {
        const auto value = StrToInt64(text);
        if (!value) return std::nullopt;
        return static_cast<uint64_t>(*value);
    }
    const auto value = StrToInt(text);
    if (!value) return std::nullopt;
    return static_cast<uint32_t>(*value);
}

}  // namespace

std::optional<uint32_t> ParseNumberNotation(std::string_view text)
{
    const auto value = ParseNotation(text, false);
    if (!value) return std::nullopt;
    return static_cast<uint32_t>(*value);
}

std::optional<uint64_t> ParseWideNumberNotation(std::string_view text)
{
    return ParseNotation(text, true);
}

std::string ReplaceControlChars(std::string_view text, std::string_view replacement)
{
    std::string result;
    result.reserve(text.size());
    for (const char c : text) {
        if (static_cast<unsigned char>(c) < 32)
            result.append(replacement);
        else
            result.push_back(c);
    }
    return result;
}

std::vector<std::string_view> SplitLines(std::string_view text)
{
    std::vector<std::string_view> lines;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = start;
        while (end < text.size() && text[end] != '\r' && text[end] != '\n') ++end;
        lines.push_back(text.substr(start, end - start));
        if (end < text.size() && text[end] == '\r' && end + 1 < text.size() && text[end + 1] == '\n')
            start = end + 2;
        else
            start = end + 1;
    }
    return lines;
}

std::string FormatMessageText(std::string_view pattern, std::string_view argument)
{
    const size_t at = pattern.find("%s");
    if (at == std::string_view::npos) return std::string(pattern);
    std::string result(pattern.substr(0, at));
    result.append(argument).append(pattern.substr(at + 2));
    return result;
}

std::string ShortVersion(std::string_view version)
{
    std::string result(version.substr(0, 3));
    if (version.size() > 13) result.append(version.substr(13));
    return result;
}

std::string UpperCaseAscii(std::string_view text)
{
    std::string result(text);
    for (char& c : result)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    return result;
}

std::string FormatHandle(uint32_t value)
{
    return FormatHex(value, 8);
}

std::string FormatHex(uint64_t value, int minDigits)
{
    char buffer[17];
    int length = 0;
    do {
        buffer[length++] = "0123456789ABCDEF"[value & 0xF];
        value >>= 4;
    } while (value != 0);
    std::string result;
    for (int pad = length; pad < minDigits; ++pad) result.push_back('0');
    while (length > 0) result.push_back(buffer[--length]);
    return result;
}

std::string FormatPoint(int32_t x, int32_t y)
{
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "(%d,%d)", static_cast<int>(x), static_cast<int>(y));
    return buffer;
}

std::string FormatSize(int32_t width, int32_t height)
{
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%dx%d", static_cast<int>(width), static_cast<int>(height));
    return buffer;
}

}  // namespace lvx
