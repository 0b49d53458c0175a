// The wizard's decisions that need no platform: the silent switch, the parameters, the identifier, key paths, font descriptions, setup paths.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace lvu {

// "-s", "/S" and the like: a "-" or "/" followed by an "s" in either case, nothing else.
[[nodiscard]] bool IsSilentSwitch(std::string_view parameter) noexcept;

// The file named by the report switch, "/LOG=file" or "-LOG=file" (the name in any letter case);
// nullopt for any other parameter.
[[nodiscard]] std::optional<std::string> ReportSwitchPath(std::string_view parameter);

// Whether an application identifier can name the uninstall key: not empty, without a backslash
// and without control characters, so that the key removed after the uninstallation is the application's own and
// never the list of all installed programs or a key elsewhere.
[[nodiscard]] bool IsUsableAppId(std::string_view appId) noexcept;

// What follows the program's name in a command line, as the system splits it off: a name in
// double quotes ends at the next quote, any other at the first blank; the blanks after it go.
[[nodiscard]] std::string_view CommandLineTail(std::string_view commandLine) noexcept;

// "HKCU" or "HKLM" followed by "\SOFTWARE\Microsoft\Windows\CurrentVersion\Uninstall\" and the identifier.
[[nodiscard]] std::string UninstallKeyPath(std::string_view root, std::string_view appId);

// A font as the log writes it: face name, point size (default 8), text colour as a Windows
// colour value (default 0), style letters B, I, U and S in any order.
struct FontSpec {
    std::string Face;
    int Size = 8;
    unsigned long Color = 0;
    bool Bold = false;
    bool Italic = false;
    bool Underline = false;
    bool StrikeOut = false;
};
[[nodiscard]] FontSpec ParseFontSpec(std::string_view description);

// The last part of a path, and the folder before it (without its last backslash; empty when
// the path has no folder part).
[[nodiscard]] std::string FileNamePart(std::string_view path);
[[nodiscard]] std::string FolderPart(std::string_view path);

// A folder and a file name joined with exactly one backslash between them.
[[nodiscard]] std::string JoinPath(std::string_view folder, std::string_view name);

}  // namespace lvu
