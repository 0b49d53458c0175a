// Texts of wininit.ini [Rename] entries, autoexec.bat SET lines and the self-removal batch file.
#include "RestartFiles.h"

#include "TextCase.h"

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

bool IsSectionHeader(std::string_view trimmed)
{
    return trimmed.size() >= 2 && trimmed.front() == '[' && trimmed.back() == ']';
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

std::string AddRenameEntries(std::string_view wininit, const std::vector<std::string>& entries)
{
    std::string text;
    bool inSection = false;
    bool added = false;
    const auto addEntries = [&] {
        for (const std::string& entry : entries) AppendLine(text, entry);
        inSection = false;
        added = true;
    };
    for (const std::string& raw : SplitTextLines(wininit)) {
        const std::string_view line = Trim(raw);
        // A header right after the entries of [Rename] also ends the section: entries past it
        // would land in the wrong section and never be carried out.
        if (inSection && (line.empty() || IsSectionHeader(line))) addEntries();
        AppendLine(text, line);
        if (!added && EqualsNoCase(line, "[Rename]")) inSection = true;
    }
    if (inSection) {
        addEntries();
    } else if (!added) {
        AppendLine(text, "[Rename]");
        addEntries();
    }
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
        const std::string_view trimmed = Trim(line);
        bool isVariable = false;
        if (trimmed.size() >= 4 && EqualsNoCase(trimmed.substr(0, 4), "SET ")) {
            const std::string_view rest = TrimLeft(trimmed.substr(4));
            isVariable = EqualsNoCase(rest.substr(0, rest.find('=')), name);
        }
        if (!isVariable) {
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
    AppendLine(text, std::string(ntFamily ? "del /f /a " : "del ") + quoted(ownPath));
    AppendLine(text, "if not exist " + quoted(ownPath) + " goto gone");
    AppendLine(text, "set lvutries=%lvutries%x");
    AppendLine(text, "if \"%lvutries%\"==\"" + allTries + "\" goto end");
    // About a second between tries; ping comes with the network support of both families.
    AppendLine(text, "ping -n 2 127.0.0.1 >nul");
    AppendLine(text, "goto try");
    AppendLine(text, ":gone");
    if (removeFolder) {
        while (!ownFolder.empty() && ownFolder.back() == '\\') ownFolder.remove_suffix(1);
        AppendLine(text, "rd " + quoted(ownFolder));
    }
    AppendLine(text, ":end");
    AppendLine(text, "del " + quoted(batchPath));
    return text;
}

}  // namespace lvu
