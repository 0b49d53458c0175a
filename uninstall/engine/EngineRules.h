// The uninstall engine's decisions that need no platform: progress position, status texts, run entries, list edits.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "common/Wildcard.h"

namespace lvu {

// count / total as a percentage, rounded to the nearest integer (an exact half to the even
// neighbour), kept within 0..100; 0 while the total is not positive.
[[nodiscard]] int ProgressPosition(int64_t count, int64_t total);

// A status text from the log with the item put in: every "%s" becomes the item, "%%" becomes
// "%", "||" a line break (CR). Nothing else is interpreted, so a stray "%d" or "%n" in a log
// stays as written.
[[nodiscard]] std::string FormatStatusText(std::string_view pattern, std::string_view item);

// Whether a log line holds a byte below 32 (a NUL, a line break...): the platform would read such
// a path or name only up to that byte, which names something else. A tab is allowed where the
// line carries data (`allowTab`), never in a path.
[[nodiscard]] bool HasControlCharacter(std::string_view line, bool allowTab = false);

// A number written in the log (blanks around it allowed), or the default when it is none.
[[nodiscard]] int LogNumber(std::string_view text, int defaultValue);

// The comma fields of a PreRunApp or RunApp line's value part. File and status text lose their
// surrounding double quotes, the folder its quotes and blanks; missing or non-numeric numbers take their defaults.
struct RunEntry {
    std::string File;
    std::string Parameters;
    std::string Folder;
    int ShowMode = 1;  // 0 hidden, 2 maximised, 3 minimised without activation, else normal
    std::string Status;
    int Wait = 1;
    int CheckExitCode = 1;
};
[[nodiscard]] RunEntry ParseRunEntry(std::string_view value);

// The path with the extension of its last part replaced ("C:\a.b\c.txt" + ".lnk" gives
// "C:\a.b\c.lnk"); a last part without extension gets it appended.
[[nodiscard]] std::string ChangeFileExt(std::string_view path, std::string_view extension);

// Whether the extension of the path's last part is `extension` (Latin letters without case).
[[nodiscard]] bool HasExtension(std::string_view path, std::string_view extension);

// Ascending, Latin letters compared without case. A key or folder sorts before everything
// inside it, so walking the result backwards reaches children before their parents.
void SortNoCase(std::vector<std::string>& paths);

// Whether a line of the list has this key (the text before its first "="), without case.
[[nodiscard]] bool HasLineWithKey(const std::vector<std::string>& lines, std::string_view key);

// The items of a ";"-separated list as the environment step compares them: trimmed, empty ones
// dropped, each passed through `map` when given (short names), repeats (without case) dropped.
using ItemMap = std::function<std::string(const std::string&)>;
[[nodiscard]] std::vector<std::string> NormalizedItems(std::string_view list, const ItemMap& map = {});

// A stored ";"-separated list (a PATH) with the items that one of `removed` names taken out. An
// item is named when, trimmed and without a trailing backslash, it equals one of `removed` the
// same way, bytes compared through `fold`, as written or after `expand` (environment references)
// or after `map` (short names). Every other item keeps its place and spelling; empty items go.
// `Changed` is false when nothing was taken out; `Text` is then the stored list as it was.
struct ListEdit {
    std::string Text;
    bool Changed = false;
};
[[nodiscard]] ListEdit RemoveListItems(std::string_view stored, const std::vector<std::string>& removed,
                                       const ItemMap& expand, const ItemMap& map, const lvc::FoldTable& fold);

// The text with every byte below 32 shown as "?", so that a line of the report stays one line.
[[nodiscard]] std::string PrintableText(std::string_view text);

// A line of the run's report for one log line: the kind ("done", "refused", "failed") in a
// column of its own, the item, and the reason or note after " -- " when there is one.
[[nodiscard]] std::string ReportItemLine(std::string_view kind, std::string_view item, std::string_view reason);

// The platform's message for an error code as one line, followed by the code in brackets; only
// the code when the platform has no message.
[[nodiscard]] std::string OneLineErrorText(std::string_view message, unsigned long code);

}  // namespace lvu
