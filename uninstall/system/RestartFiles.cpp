// Texts of wininit.ini [Rename] entries, autoexec.bat SET lines and the self-removal batch file.
#include "RestartFiles.h"

#include "TextCase.h"

#include "log/IniEdit.h"

#include <algorithm>

namespace lvu {
namespace {

bool IsBlank(char c)
{
    return static_cast<unsigned char>(c) <= ' ';
}

std::string_view Trim(std::string_view text)
{
    while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
    while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
    return text;
}

std::string_view TrimLeft(std::string_view text)
{
    while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
    return text;
}

// Whether the line is a "SET name..." line of the variable (the name compared without case, up
// to the first "="); `value` gets what follows that "=", nullopt when the line has none.
bool IsSetLineOf(std::string_view line, std::string_view name, std::optional<std::string_view>& value)
{
    const std::string_view trimmed = Trim(line);
    if (trimmed.size() < 4 || !EqualsNoCase(trimmed.substr(0, 4), "SET ")) return false;
    const std::string_view rest = TrimLeft(trimmed.substr(4));
    const size_t equals = rest.find('=');
    if (!EqualsNoCase(rest.substr(0, equals), name)) return false;
    value = equals == std::string_view::npos ? std::nullopt : std::optional(rest.substr(equals + 1));
    return true;
}

void AppendLine(std::string& text, std::string_view line)
{
    text += line;
    text += "\r\n";
}

}  // namespace

std::vector<std::string> SplitTextLines(std::string_view text)
{
    std::vector<std::string> lines;
    size_t start = 0;
    while (start < text.size()) {
        const size_t end = text.find_first_of("\r\n", start);
        if (end == std::string_view::npos) {
            lines.emplace_back(text.substr(start));
            break;
        }
        lines.emplace_back(text.substr(start, end - start));
        start = end + 1;
        if (text[end] == '\r' && start < text.size() && text[start] == '\n') ++start;
    }
    return lines;
}

std::optional<std::string> AddRenameEntries(std::string_view wininit, const std::vector<std::string>& entries)
{
    const std::optional<IniLayout> layout = TakeIniApart(wininit);
    if (!layout) return std::nullopt;
    std::string added;
    for (const std::string& entry : entries) {
        if (entry.find_first_of(std::string_view("\r\n\0", 3)) != std::string::npos) return std::nullopt;
        added.append(entry).append(layout->LineEnd);
    }

    // The entries go where the first [Rename] section ends: at its first empty line, at the next
    // header (entries past it would land in the wrong section and never be carried out), or at
    // the end of the file.
    bool inSection = false;
    const IniTextLine* last = nullptr;
    for (const IniTextLine& line : layout->Lines) {
        const std::string_view trimmed = TrimmedIniLine(wininit.substr(line.Begin, line.End - line.Begin));
        std::string_view name;
        const bool header = IsIniSectionHeader(trimmed, name);
        if (inSection && (trimmed.empty() || header)) {
            std::string text(wininit.substr(0, line.Begin));
            text.append(added).append(wininit.substr(line.Begin));
            return text;
        }
        if (header && EqualsNoCase(name, "Rename")) inSection = true;
        last = &line;
    }
    std::string text(wininit);
    if (last != nullptr && last->Next == last->End) text.append(layout->LineEnd);
    if (!inSection) text.append("[Rename]").append(layout->LineEnd);
    text.append(added);
    return text;
}

AutoexecEdit SetAutoexecVariable(std::string_view autoexec, std::string_view name, std::string_view value)
{
    std::string setLine = "SET ";
    setLine += name;
    setLine += '=';
    setLine += value;

    AutoexecEdit edit;
    bool matched = false;
    std::vector<std::string> lines = SplitTextLines(autoexec);
    for (const std::string& line : lines) {
        std::optional<std::string_view> ignored;
        if (!IsSetLineOf(line, name, ignored)) {
            AppendLine(edit.Text, line);
            continue;
        }
        matched = true;
        edit.Changed = true;
        if (!value.empty()) AppendLine(edit.Text, setLine);
    }
    if (!matched && !value.empty()) {
        // DOS stops reading at an end-of-file mark, so a new line must come before it.
        const std::string eofMark(1, '\x1A');
        if (!lines.empty() && lines.back() == eofMark) {
            edit.Text.resize(edit.Text.size() - eofMark.size() - 2);
            AppendLine(edit.Text, setLine);
            AppendLine(edit.Text, eofMark);
        } else {
            AppendLine(edit.Text, setLine);
        }
        edit.Changed = true;
    }
    return edit;
}

std::optional<std::string> AutoexecVariable(std::string_view autoexec, std::string_view name)
{
    std::optional<std::string> value;
    for (const std::string& line : SplitTextLines(autoexec)) {
        std::optional<std::string_view> set;
        if (IsSetLineOf(line, name, set) && set) value = std::string(*set);
    }
    return value;
}

bool IsStorableVariable(std::string_view name, std::string_view value)
{
    const auto hasControl = [](std::string_view text) {
        for (const char c : text)
            if (static_cast<unsigned char>(c) < ' ') return true;
        return false;
    };
    return !name.empty() && name.find('=') == std::string_view::npos && !hasControl(name) && !hasControl(value);
}

std::string SelfRemovalBatch(std::string_view ownPath, std::string_view ownFolder, bool removeFolder,
                             std::string_view batchPath, bool ntFamily, int tries)
{
    // The command interpreter expands "%" even inside quotes: "%%" stands for one.
    const auto quoted = [](std::string_view path) {
        std::string text = "\"";
        for (const char c : path) text += c == '%' ? std::string("%%") : std::string(1, c);
        return text + "\"";
    };
    // The tries are counted as a growing row of marks, which the 95 family's interpreter can do too.
    const std::string allTries(static_cast<size_t>(std::max(tries, 1)), 'x');
    std::string text;
    AppendLine(text, "@echo off");
    AppendLine(text, "set lvutries=");
    AppendLine(text, ":try");
    AppendLine(text, "if exist " + quoted(ownPath) + std::string(ntFamily ? " del /f /a " : " del ") + quoted(ownPath));
    AppendLine(text, "if exist " + quoted(ownPath) + " goto again");
    // The folder may hold something a moment longer than the program (a file the system is
    // still letting go of): it is tried again like the file, within the same tries.
    if (removeFolder) {
        while (!ownFolder.empty() && ownFolder.back() == '\\') ownFolder.remove_suffix(1);
        const std::string folder(ownFolder);
        AppendLine(text, "rd " + quoted(folder));
        // The 95 family's interpreter sees a folder only through its "nul" device.
        AppendLine(text, "if not exist " + quoted(ntFamily ? folder : folder + "\\nul") + " goto end");
    } else {
        AppendLine(text, "goto end");
    }
    AppendLine(text, ":again");
    AppendLine(text, "set lvutries=%lvutries%x");
    AppendLine(text, "if \"%lvutries%\"==\"" + allTries + "\" goto end");
    // About a second between tries; ping comes with the network support of both families.
    AppendLine(text, "ping -n 2 127.0.0.1 >nul");
    AppendLine(text, "goto try");
    AppendLine(text, ":end");
    AppendLine(text, "del " + quoted(batchPath));
    return text;
}

}  // namespace lvu
