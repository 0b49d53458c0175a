// Texts of wininit.ini [Rename] entries, autoexec.bat SET lines and the self-removal batch file.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace lvu {

// Lines of a text ended by CR LF, LF or CR; a final line end adds no empty line.
[[nodiscard]] std::vector<std::string> SplitTextLines(std::string_view text);

// wininit.ini with `entries` added at the end of its first [Rename] section (before the empty
// line or section header that ends it, or at the end of the file), or with a new [Rename]
// section at the end; every other byte stays and the new lines end as the file's lines do.
// nullopt for a file the INI edits refuse (see TakeIniApart) or an entry that holds a line break.
[[nodiscard]] std::optional<std::string> AddRenameEntries(std::string_view wininit,
                                                          const std::vector<std::string>& entries);

// autoexec.bat with the variable `name` set to `value` (an empty value removes it): each
// "SET name=..." line is replaced (or left out), other lines are copied unchanged; without such a
// line a new one is appended. `Changed` tells whether the text is any different.
struct AutoexecEdit {
    std::string Text;
    bool Changed = false;
};
[[nodiscard]] AutoexecEdit SetAutoexecVariable(std::string_view autoexec, std::string_view name,
                                               std::string_view value);

// The value of the last "SET name=..." line for the variable (the one in force once the file has
// run); nullopt when no line sets it.
[[nodiscard]] std::optional<std::string> AutoexecVariable(std::string_view autoexec, std::string_view name);

// A name that is not empty and holds no "=", and a name and value without control characters:
// anything else would set another variable or smuggle extra lines into autoexec.bat.
[[nodiscard]] bool IsStorableVariable(std::string_view name, std::string_view value);

// How often the self-removal batch tries to delete the program, about once a second.
inline constexpr int SelfRemovalTries = 60;

// The lines of the batch file that deletes `ownPath` once the program has ended (and then its
// folder, when asked), then itself. It tries `tries` times, waiting about a second between tries,
// until the file (and the folder) are gone, and gives up after that, so that a file or folder
// that cannot go never keeps it running. On the NT
// family read-only, hidden and system files are deleted too (the 95 family's "del" knows no
// switches). Every "%" of a path is doubled. CR LF after every line, still in the ANSI code page.
[[nodiscard]] std::string SelfRemovalBatch(std::string_view ownPath, std::string_view ownFolder, bool removeFolder,
                                           std::string_view batchPath, bool ntFamily,
                                           int tries = SelfRemovalTries);

}  // namespace lvu
