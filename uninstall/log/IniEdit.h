// Edits of other programs' INI files that change one line and keep every other byte as it was.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace lvu {

enum class IniEditOutcome {
    Changed,    // Bytes holds the whole new file
    Unchanged,  // the file already says what was asked: nothing to write
    Refused,    // the file or the change cannot be handled without risk: nothing to write
};

struct IniEdit {
    IniEditOutcome Outcome = IniEditOutcome::Unchanged;
    std::string Bytes;
};

// The line the change acts on is the one IniData would read: the first section of the name
// (compared as SameTextIgnoringCase), lines trimmed of codes 0..32, ";" comments and lines
// without "=" skipped, blanks around the first "=" ignored, the first line of the key.
//
// Refused: a file that starts with a UTF-16 byte-order mark or holds a NUL byte; a file with
// carriage returns that also has a line feed not preceded by one (the reader, which ends lines
// at CR only, would join lines the file's owner keeps apart); text with CR, LF or NUL; a key that
// the reader could never read back (empty, with "=", beginning with ";" or "[", blank at either
// end); in a file with a UTF-8 byte-order mark, text with bytes above 127 (the log's text is in
// the ANSI code page). An LF-only file has its lines end at LF. A UTF-8 byte-order mark is kept
// and skipped.

// Sets the key: its line keeps everything but the value (written in the quotes it had, or in
// double quotes when the reader would otherwise clean it to something else); a missing key goes
// after the last line of its section that is neither blank nor a comment; a missing section goes
// at the end of the file, before a final end-of-file mark. New lines end the way the file's first
// line does (CR LF when there is none).
[[nodiscard]] IniEdit SetIniValue(std::string_view file, std::string_view section, std::string_view key,
                                  std::string_view value);

// Removes the first line of the key, line end included; Unchanged when there is none.
[[nodiscard]] IniEdit DeleteIniKey(std::string_view file, std::string_view section, std::string_view key);

// One physical line of an INI text: its content [Begin, End) and its line end [End, Next).
struct IniTextLine {
    size_t Begin = 0;
    size_t End = 0;
    size_t Next = 0;
};

// A file taken apart into lines the way the edits above see it; nullopt when they would refuse it.
struct IniLayout {
    size_t BodyBegin = 0;  // 3 after a UTF-8 byte-order mark, else 0
    std::string LineEnd;   // of the first line that has one; CR LF when none has
    std::vector<IniTextLine> Lines;
};
[[nodiscard]] std::optional<IniLayout> TakeIniApart(std::string_view file);

// The line's text as the reader sees it: trimmed of codes 0..32 at both ends.
[[nodiscard]] std::string_view TrimmedIniLine(std::string_view line);

// True when the trimmed line is a section header ("[" ... "]"); `name` gets the text between.
bool IsIniSectionHeader(std::string_view trimmed, std::string_view& name);

}  // namespace lvu
