// The uninstall engine's decisions that need no platform: progress position, status texts, run entries, list edits.
#include "engine/EngineRules.h"

#include "log/IniData.h"
#include "log/LogFields.h"
#include "system/TextCase.h"

#include <algorithm>

namespace lvu {
namespace {

std::string_view Trimmed(std::string_view text)
{
    const size_t first = text.find_first_not_of(" \t");
    if (first == std::string_view::npos) return {};
    return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

std::string WithoutDoubleQuotes(std::string_view text)
{
    text = Trimmed(text);
    if (text.size() >= 2 && text.front() == '"' && text.back() == '"') text = text.substr(1, text.size() - 2);
    return std::string(text);
}

// Where the extension of the last path part begins; npos when it has none.
size_t ExtensionStart(std::string_view path)
{
    const size_t dot = path.find_last_of('.');
    if (dot == std::string_view::npos) return dot;
    const size_t separator = path.find_last_of("\\/:");
    return separator != std::string_view::npos && separator > dot ? std::string_view::npos : dot;
}

bool ContainsNoCase(const std::vector<std::string>& items, std::string_view item)
{
    return std::any_of(items.begin(), items.end(),
                       [&](const std::string& other) { return SameTextIgnoringCase(other, item); });
}

}  // namespace

bool HasControlCharacter(std::string_view line, bool allowTab)
{
    for (const char c : line)
        if (static_cast<unsigned char>(c) < 32 && !(allowTab && c == '\t')) return true;
    return false;
}

int LogNumber(std::string_view text, int defaultValue)
{
    const auto number = StrToIntUninstall(Trimmed(text));
    return number ? *number : defaultValue;
}

int ProgressPosition(int64_t count, int64_t total)
{
    if (total <= 0 || count <= 0) return 0;
    if (count >= total) return 100;
    const int64_t scaled = count * 100;
    int64_t position = scaled / total;
    const int64_t twiceRemainder = (scaled % total) * 2;
    if (twiceRemainder > total || (twiceRemainder == total && position % 2 != 0)) ++position;
    return static_cast<int>(position);
}

std::string FormatStatusText(std::string_view pattern, std::string_view item)
{
    std::string text;
    text.reserve(pattern.size() + item.size());
    for (size_t i = 0; i < pattern.size(); ++i) {
        const char c = pattern[i];
        const char next = i + 1 < pattern.size() ? pattern[i + 1] : '\0';
        if (c == '%' && next == 's') {
            text.append(item);
            ++i;
        } else if (c == '%' && next == '%') {
            text += '%';
            ++i;
        } else if (c == '|' && next == '|') {
            text += '\r';
            ++i;
        } else {
            text += c;
        }
    }
    return text;
}

RunEntry ParseRunEntry(std::string_view value)
{
    RunEntry entry;
    entry.File = WithoutDoubleQuotes(DelimitedField(value, 1));
    entry.Parameters = DelimitedField(value, 2);
    entry.Folder = WithoutDoubleQuotes(DelimitedField(value, 3));
    entry.ShowMode = LogNumber(DelimitedField(value, 4), 1);
    entry.Status = WithoutDoubleQuotes(DelimitedField(value, 5));
    entry.Wait = LogNumber(DelimitedField(value, 6), 1);
    entry.CheckExitCode = LogNumber(DelimitedField(value, 7), 1);
    return entry;
}

std::string ChangeFileExt(std::string_view path, std::string_view extension)
{
    const size_t dot = ExtensionStart(path);
    std::string result(dot == std::string_view::npos ? path : path.substr(0, dot));
    result.append(extension);
    return result;
}

bool HasExtension(std::string_view path, std::string_view extension)
{
    const size_t dot = ExtensionStart(path);
    return dot != std::string_view::npos && EqualsNoCase(path.substr(dot), extension);
}

void SortNoCase(std::vector<std::string>& paths)
{
    std::stable_sort(paths.begin(), paths.end(), [](const std::string& a, const std::string& b) {
        return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
            return static_cast<unsigned char>(UpperAscii(x)) < static_cast<unsigned char>(UpperAscii(y));
        });
    });
}

bool HasLineWithKey(const std::vector<std::string>& lines, std::string_view key)
{
    return std::any_of(lines.begin(), lines.end(),
                       [&](const std::string& line) { return SameTextIgnoringCase(NamePart(line), key); });
}

std::vector<std::string> NormalizedItems(std::string_view list, const ItemMap& map)
{
    std::vector<std::string> items;
    size_t start = 0;
    while (start <= list.size()) {
        size_t end = list.find(';', start);
        if (end == std::string_view::npos) end = list.size();
        const std::string_view item = Trimmed(list.substr(start, end - start));
        start = end + 1;
        if (item.empty()) continue;
        std::string mapped = map ? map(std::string(item)) : std::string(item);
        if (!mapped.empty() && !ContainsNoCase(items, mapped)) items.push_back(std::move(mapped));
    }
    return items;
}

namespace {

// The form in which two list items are compared: trimmed, one trailing backslash dropped (but
// that of a drive root), folded.
std::string ComparedForm(std::string_view item, const lvc::FoldTable& fold)
{
    std::string form(Trimmed(item));
    if (form.size() > 1 && form.back() == '\\' && !(form.size() == 3 && form[1] == ':')) form.pop_back();
    for (char& c : form) c = static_cast<char>(fold[static_cast<unsigned char>(c)]);
    return form;
}

// Every form under which an item can be named, empty ones left out.
std::vector<std::string> ItemForms(std::string_view item, const ItemMap& expand, const ItemMap& map,
                                   const lvc::FoldTable& fold)
{
    std::vector<std::string> spellings{std::string(Trimmed(item))};
    if (expand) spellings.push_back(expand(spellings.front()));
    if (map) {
        const size_t count = spellings.size();
        for (size_t i = 0; i < count; ++i) spellings.push_back(map(spellings[i]));
    }
    std::vector<std::string> forms;
    for (const std::string& spelling : spellings)
        if (std::string form = ComparedForm(spelling, fold); !form.empty()) forms.push_back(std::move(form));
    return forms;
}

}  // namespace

ListEdit RemoveListItems(std::string_view stored, const std::vector<std::string>& removed, const ItemMap& expand,
                         const ItemMap& map, const lvc::FoldTable& fold)
{
    std::vector<std::string> removedForms;
    for (const std::string& item : removed)
        for (std::string& form : ItemForms(item, expand, map, fold)) removedForms.push_back(std::move(form));

    ListEdit edit;
    std::string kept;
    size_t start = 0;
    while (start <= stored.size()) {
        size_t end = stored.find(';', start);
        if (end == std::string_view::npos) end = stored.size();
        const std::string_view item = stored.substr(start, end - start);
        start = end + 1;
        bool named = false;
        if (!Trimmed(item).empty())
            for (const std::string& form : ItemForms(item, expand, map, fold))
                named = named || std::find(removedForms.begin(), removedForms.end(), form) != removedForms.end();
        if (named) {
            edit.Changed = true;
            continue;
        }
        if (Trimmed(item).empty()) continue;
        if (!kept.empty()) kept += ';';
        kept += item;
    }
    edit.Text = edit.Changed ? kept : std::string(stored);
    return edit;
}

std::string PrintableText(std::string_view text)
{
    std::string printable(text);
    for (char& c : printable)
        if (static_cast<unsigned char>(c) < 32) c = '?';
    return printable;
}

std::string ReportItemLine(std::string_view kind, std::string_view item, std::string_view reason)
{
    std::string line = "  " + std::string(kind);
    if (line.size() < 11) line.resize(11, ' ');
    line += " " + PrintableText(item);
    if (!reason.empty()) line += " -- " + PrintableText(reason);
    return line;
}

std::string OneLineErrorText(std::string_view message, unsigned long code)
{
    std::string text;
    for (const char c : message) {
        const bool blank = static_cast<unsigned char>(c) <= 32;
        if (blank && (text.empty() || text.back() == ' ')) continue;
        text += blank ? ' ' : c;
    }
    while (!text.empty() && text.back() == ' ') text.pop_back();
    const std::string number = "(" + std::to_string(code) + ")";
    return text.empty() ? "error " + number : text + " " + number;
}

}  // namespace lvu
