// The parts of an install log line and the fields inside them: names, values, comma fields, words, registry references.
#include "log/LogFields.h"

namespace lvu {
namespace {

bool IsQuote(char c)
{
    return c == '"' || c == '\'';
}

}  // namespace

std::string_view NamePart(std::string_view line) noexcept
{
    return line.substr(0, line.find('='));
}

std::string_view ValuePart(std::string_view line) noexcept
{
    const size_t equals = line.find('=');
    return equals == std::string_view::npos ? std::string_view() : line.substr(equals + 1);
}

std::string_view PathPart(std::string_view line) noexcept
{
    return line.substr(0, line.rfind('='));
}

std::string UnquoteSingle(std::string_view text)
{
    if (text.empty() || text.front() != '\'') return std::string(text);
    std::string result;
    result.reserve(text.size());
    size_t i = 1;
    while (i < text.size()) {
        const char c = text[i++];
        if (c != '\'') {
            result += c;
        } else if (i < text.size() && text[i] == '\'') {
            result += '\'';
            ++i;
        } else {
            break;  // the closing quote
        }
    }
    result.append(text.substr(i));
    return result;
}

std::string DelimitedField(std::string_view text, int n)
{
    if (n < 1) return {};
    int field = 1;
    size_t start = 0;
    char quote = 0;
    for (size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (quote != 0) {
            if (c == quote) quote = 0;
        } else if (IsQuote(c)) {
            quote = c;
        } else if (c == ',') {
            if (field == n) return UnquoteSingle(text.substr(start, i - start));
            ++field;
            start = i + 1;
        }
    }
    return field == n ? UnquoteSingle(text.substr(start)) : std::string();
}

std::string_view Word(std::string_view text, int n, std::string_view delimiters) noexcept
{
    if (n < 1) return {};
    size_t end = 0;
    for (int word = 1;; ++word) {
        const size_t start = text.find_first_not_of(delimiters, end);
        if (start == std::string_view::npos) break;
        end = text.find_first_of(delimiters, start);
        if (end == std::string_view::npos) end = text.size();
        if (word == n) return text.substr(start, end - start);
    }
    return {};
}

bool SplitRegistryValueReference(std::string_view text, std::string& keyPath, std::string& valueName)
{
    char quote = 0;
    for (size_t i = text.size(); i-- > 0;) {
        const char c = text[i];
        if (quote != 0) {
            if (c == quote) quote = 0;
        } else if (IsQuote(c)) {
            quote = c;
        } else if (c == '\\') {
            keyPath.assign(text.substr(0, i));
            valueName = UnquoteSingle(text.substr(i + 1));
            return true;
        }
    }
    keyPath.clear();
    valueName = UnquoteSingle(text);
    return false;
}

std::string ExpandLineBreaks(std::string_view text, bool forRegistry)
{
    const std::string_view lineBreak = forRegistry ? "\r\n" : "\r";
    std::string result;
    result.reserve(text.size());
    size_t start = 0;
    for (size_t bars = text.find("||"); bars != std::string_view::npos; bars = text.find("||", start)) {
        result.append(text.substr(start, bars - start));
        result.append(lineBreak);
        start = bars + 2;
    }
    result.append(text.substr(start));
    return result;
}

}  // namespace lvu
