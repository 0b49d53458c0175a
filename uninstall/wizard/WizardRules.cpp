// The wizard's decisions that need no platform: the silent switch, the parameters, the identifier, key paths, font descriptions, setup paths.
#include "WizardRules.h"

#include "engine/EngineRules.h"
#include "log/LogFields.h"

#include <cctype>

namespace lvu {

bool IsSilentSwitch(std::string_view parameter) noexcept
{
    return parameter.size() == 2 && (parameter[0] == '-' || parameter[0] == '/') &&
           (parameter[1] == 's' || parameter[1] == 'S');
}

std::optional<std::string> ReportSwitchPath(std::string_view parameter)
{
    constexpr std::string_view name = "LOG=";
    if (parameter.size() < 1 + name.size() || (parameter[0] != '-' && parameter[0] != '/')) return std::nullopt;
    for (size_t i = 0; i < name.size(); ++i)
        if (std::toupper(static_cast<unsigned char>(parameter[1 + i])) != name[i]) return std::nullopt;
    return std::string(parameter.substr(1 + name.size()));
}

bool IsUsableAppId(std::string_view appId) noexcept
{
    if (appId.empty() || appId.find('\\') != std::string_view::npos) return false;
    // Cut at a NUL, the identifier would name another product's key.
    for (const char c : appId)
        if (static_cast<unsigned char>(c) < 32) return false;
    return true;
}

std::string_view CommandLineTail(std::string_view commandLine) noexcept
{
    size_t end = 0;
    if (!commandLine.empty() && commandLine[0] == '"') {
        end = commandLine.find('"', 1);
        end = end == std::string_view::npos ? commandLine.size() : end + 1;
    } else {
        end = commandLine.find_first_of(" \t");
        if (end == std::string_view::npos) end = commandLine.size();
    }
    commandLine.remove_prefix(end);
    while (!commandLine.empty() && (commandLine[0] == ' ' || commandLine[0] == '\t')) commandLine.remove_prefix(1);
    return commandLine;
}

std::string UninstallKeyPath(std::string_view root, std::string_view appId)
{
    std::string path(root);
    path += "\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\";
    path += "Uninstall\\";
    path += appId;
    return path;
}

FontSpec ParseFontSpec(std::string_view description)
{
    FontSpec font;
    font.Face = DelimitedField(description, 1);
    font.Size = LogNumber(DelimitedField(description, 2), 8);
    font.Color = static_cast<unsigned long>(LogNumber(DelimitedField(description, 3), 0));
    for (const char letter : DelimitedField(description, 4)) {
        switch (std::toupper(static_cast<unsigned char>(letter))) {
        case 'B': font.Bold = true; break;
        case 'I': font.Italic = true; break;
        case 'U': font.Underline = true; break;
        case 'S': font.StrikeOut = true; break;
        default: break;
        }
    }
    return font;
}

std::string FileNamePart(std::string_view path)
{
    const size_t slash = path.find_last_of("\\/");
    return std::string(slash == std::string_view::npos ? path : path.substr(slash + 1));
}

std::string FolderPart(std::string_view path)
{
    const size_t slash = path.find_last_of("\\/");
    return slash == std::string_view::npos ? std::string() : std::string(path.substr(0, slash));
}

std::string JoinPath(std::string_view folder, std::string_view name)
{
    std::string path(folder);
    if (!path.empty() && path.back() != '\\' && path.back() != '/') path += '\\';
    while (!name.empty() && (name.front() == '\\' || name.front() == '/')) name.remove_prefix(1);
    path += name;
    return path;
}

}  // namespace lvu
