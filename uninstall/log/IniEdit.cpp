// Edits of other programs' INI files that change one line and keep every other byte as it was.
#include "log/IniEdit.h"

#include "log/IniData.h"

namespace lvu {
namespace {

constexpr std::string_view Utf8Mark = "\xEF\xBB\xBF";

bool IsBlank(char c)
{
    return c == ' ' || c == '\t';
}

bool IsControlOrSpace(char c)
{
    return static_cast<unsigned char>(c) <= 32;
}

bool BreaksLines(std::string_view text)
{
    return text.find_first_of(std::string_view("\r\n\0", 3)) != std::string_view::npos;
}

bool HasNonAscii(std::string_view text)
{
    for (const char c : text)
        if (static_cast<unsigned char>(c) > 127) return true;
    return false;
}

// A key line as the reader cleans it; positions are within the line's content.
struct KeyLine {
    std::string_view Key;
    size_t ValueBegin = 0;  // after the blanks that follow "=", quotes included
    size_t ValueEnd = 0;    // where trimming the line's end starts
    char Quote = 0;         // the quote the reader strips, 0 for none
};

bool ParseKeyLine(std::string_view line, KeyLine& parsed)
{
    size_t begin = 0;
    size_t end = line.size();
    while (begin < end && IsControlOrSpace(line[begin])) ++begin;
    while (end > begin && IsControlOrSpace(line[end - 1])) --end;
    if (begin == end || line[begin] == ';') return false;
    std::string_view header;
    if (IsIniSectionHeader(line.substr(begin, end - begin), header)) return false;
    const size_t equals = line.find('=', begin);
    if (equals == std::string_view::npos || equals >= end) return false;
    size_t keyEnd = equals;
    while (keyEnd > begin && IsBlank(line[keyEnd - 1])) --keyEnd;
    size_t valueBegin = equals + 1;
    while (valueBegin < end && IsBlank(line[valueBegin])) ++valueBegin;
    parsed.Key = line.substr(begin, keyEnd - begin);
    parsed.ValueBegin = valueBegin;
    parsed.ValueEnd = end;
    parsed.Quote = 0;
    if (!parsed.Key.empty() && end - valueBegin >= 2 && (line[valueBegin] == '"' || line[valueBegin] == '\'') &&
        line[end - 1] == line[valueBegin])
        parsed.Quote = line[valueBegin];
    return true;
}

std::string_view ReadValue(std::string_view line, const KeyLine& parsed)
{
    std::string_view value = line.substr(parsed.ValueBegin, parsed.ValueEnd - parsed.ValueBegin);
    if (parsed.Quote != 0) value = value.substr(1, value.size() - 2);
    return value;
}

// The value as a line must hold it for the reader to give it back: quoted in `quote` when the
// old line was, or in double quotes when blanks at its ends or matching quotes would be cleaned.
std::string EncodedValue(std::string_view value, char quote)
{
    const bool cleaned =
        !value.empty() && (IsBlank(value.front()) || IsControlOrSpace(value.back()) ||
                           (value.size() >= 2 && value.front() == value.back() && (value.front() == '"' || value.front() == '\'')));
    if (quote == 0 && cleaned) quote = '"';
    if (quote == 0) return std::string(value);
    std::string text(1, quote);
    text.append(value).append(1, quote);
    return text;
}

bool IsReadableKey(std::string_view key)
{
    return !key.empty() && key.find('=') == std::string_view::npos && !IsControlOrSpace(key.front()) &&
           !IsControlOrSpace(key.back()) && key.front() != ';' && key.front() != '[';
}

// Where a section's lines are: its header's index and the index of the next header (or the end).
struct SectionSpan {
    size_t Header = 0;
    size_t End = 0;
};

std::string_view Content(std::string_view file, const IniTextLine& line)
{
    return file.substr(line.Begin, line.End - line.Begin);
}

std::optional<SectionSpan> FindSection(std::string_view file, const IniLayout& layout, std::string_view section)
{
    std::optional<SectionSpan> span;
    for (size_t i = 0; i < layout.Lines.size(); ++i) {
        std::string_view name;
        if (!IsIniSectionHeader(TrimmedIniLine(Content(file, layout.Lines[i])), name)) continue;
        if (span) {
            span->End = i;
            return span;
        }
        if (SameTextIgnoringCase(name, section)) span = SectionSpan{i, layout.Lines.size()};
    }
    return span;
}

// The first line of the key inside the section, or the section's end.
size_t FindKeyLine(std::string_view file, const IniLayout& layout, const SectionSpan& span, std::string_view key,
                   KeyLine& parsed)
{
    for (size_t i = span.Header + 1; i < span.End; ++i) {
        if (ParseKeyLine(Content(file, layout.Lines[i]), parsed) && SameTextIgnoringCase(parsed.Key, key)) return i;
    }
    return span.End;
}

IniEdit Refused()
{
    return {IniEditOutcome::Refused, {}};
}

IniEdit Spliced(std::string_view file, size_t begin, size_t end, std::string_view insert)
{
    IniEdit edit{IniEditOutcome::Changed, {}};
    edit.Bytes.reserve(file.size() - (end - begin) + insert.size());
    edit.Bytes.append(file.substr(0, begin)).append(insert).append(file.substr(end));
    return edit;
}

bool RefusedText(const IniLayout& layout, std::initializer_list<std::string_view> texts)
{
    for (const std::string_view text : texts) {
        if (BreaksLines(text)) return true;
        if (layout.BodyBegin != 0 && HasNonAscii(text)) return true;
    }
    return false;
}

}  // namespace

std::string_view TrimmedIniLine(std::string_view line)
{
    while (!line.empty() && IsControlOrSpace(line.front())) line.remove_prefix(1);
    while (!line.empty() && IsControlOrSpace(line.back())) line.remove_suffix(1);
    return line;
}

bool IsIniSectionHeader(std::string_view trimmed, std::string_view& name)
{
    if (trimmed.size() < 2 || trimmed.front() != '[' || trimmed.back() != ']') return false;
    name = trimmed.substr(1, trimmed.size() - 2);
    return true;
}

std::optional<IniLayout> TakeIniApart(std::string_view file)
{
    if (file.size() >= 2 && ((file[0] == '\xFF' && file[1] == '\xFE') || (file[0] == '\xFE' && file[1] == '\xFF')))
        return std::nullopt;
    if (file.find('\0') != std::string_view::npos) return std::nullopt;
    IniLayout layout;
    if (file.substr(0, Utf8Mark.size()) == Utf8Mark) layout.BodyBegin = Utf8Mark.size();
    const bool endsAtReturn = file.find('\r') != std::string_view::npos;
    size_t position = layout.BodyBegin;
    while (position < file.size()) {
        IniTextLine line{position, file.size(), file.size()};
        const size_t end = file.find(endsAtReturn ? '\r' : '\n', position);
        if (end != std::string_view::npos) {
            line.End = end;
            line.Next = end + 1;
            if (endsAtReturn && line.Next < file.size() && file[line.Next] == '\n') ++line.Next;
            if (layout.LineEnd.empty()) layout.LineEnd = file.substr(line.End, line.Next - line.End);
        }
        if (endsAtReturn && Content(file, line).find('\n') != std::string_view::npos) return std::nullopt;
        layout.Lines.push_back(line);
        position = line.Next;
    }
    if (layout.LineEnd.empty()) layout.LineEnd = "\r\n";
    return layout;
}

IniEdit SetIniValue(std::string_view file, std::string_view section, std::string_view key, std::string_view value)
{
    const std::optional<IniLayout> layout = TakeIniApart(file);
    if (!layout || !IsReadableKey(key) || RefusedText(*layout, {section, key, value})) return Refused();
    const std::string& lineEnd = layout->LineEnd;

    const std::optional<SectionSpan> span = FindSection(file, *layout, section);
    if (!span) {
        // A file that ends in a DOS end-of-file mark keeps it last.
        size_t at = file.size();
        bool needsLineEnd = false;
        if (!layout->Lines.empty()) {
            const IniTextLine& last = layout->Lines.back();
            const std::string_view content = Content(file, last);
            if (last.Next == last.End && !content.empty() && content.find_first_not_of('\x1A') == std::string_view::npos)
                at = last.Begin;
            else
                needsLineEnd = last.Next == last.End && last.End > last.Begin;
        }
        std::string text = needsLineEnd ? lineEnd : std::string();
        text.append(1, '[').append(section).append(1, ']').append(lineEnd);
        text.append(key).append(1, '=').append(EncodedValue(value, 0)).append(lineEnd);
        return Spliced(file, at, at, text);
    }

    KeyLine parsed;
    const size_t found = FindKeyLine(file, *layout, *span, key, parsed);
    if (found != span->End) {
        const IniTextLine& line = layout->Lines[found];
        const std::string_view content = Content(file, line);
        if (ReadValue(content, parsed) == value) return {IniEditOutcome::Unchanged, {}};
        return Spliced(file, line.Begin + parsed.ValueBegin, line.Begin + parsed.ValueEnd,
                       EncodedValue(value, parsed.Quote));
    }

    size_t after = span->Header;
    for (size_t i = span->Header + 1; i < span->End; ++i) {
        const std::string_view trimmed = TrimmedIniLine(Content(file, layout->Lines[i]));
        if (!trimmed.empty() && trimmed.front() != ';') after = i;
    }
    const IniTextLine& line = layout->Lines[after];
    std::string text = line.Next == line.End ? lineEnd : std::string();
    text.append(key).append(1, '=').append(EncodedValue(value, 0)).append(lineEnd);
    return Spliced(file, line.Next, line.Next, text);
}

IniEdit DeleteIniKey(std::string_view file, std::string_view section, std::string_view key)
{
    const std::optional<IniLayout> layout = TakeIniApart(file);
    if (!layout || !IsReadableKey(key) || RefusedText(*layout, {section, key})) return Refused();
    const std::optional<SectionSpan> span = FindSection(file, *layout, section);
    if (!span) return {IniEditOutcome::Unchanged, {}};
    KeyLine parsed;
    const size_t found = FindKeyLine(file, *layout, *span, key, parsed);
    if (found == span->End) return {IniEditOutcome::Unchanged, {}};
    const IniTextLine& line = layout->Lines[found];
    return Spliced(file, line.Begin, line.Next, {});
}

}  // namespace lvu
