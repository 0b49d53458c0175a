// The message log's records as text: message names, groups, the filter, the decoded column and
// the lines of a saved log. No platform calls.
#pragma once

#include "core/MessageList.h"
#include "msglog/MessageRing.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace lvx::msglog {

// One record as the log window keeps it.
struct LogRecord {
    uint64_t Sequence = 0;  // the writer's attempt number, going on from the log's earlier watches
    uint64_t TimeUs = 0;    // since the session's start
    uint64_t Window = 0;
    uint64_t WParam = 0;
    uint64_t LParam = 0;
    uint64_t Result = 0;
    uint32_t Message = 0;
    RecordKind Kind = RecordKind::Sent;
    uint32_t Flags = 0;
    int32_t NotifyCode = 0;
    char Text[RecordTextSize] = {};
};

// A ring record as a log record: time made relative to the session's start.
[[nodiscard]] LogRecord ToLogRecord(const RingRecord& record, uint64_t sequence, uint64_t timeBase,
                                    uint64_t timeFrequency);

// The groups the filter offers, as bits.
enum MessageGroup : uint32_t {
    MouseGroup = 1,
    KeyboardGroup = 2,
    PaintGroup = 4,
    NonClientGroup = 8,
    NotificationGroup = 16,
};
constexpr uint32_t AllGroups = 31;
// The group a message belongs to, 0 for none.
[[nodiscard]] uint32_t GroupOf(uint32_t message);

// Message numbers to names, the first name messages.lst gives a number (the window messages
// come before the controls' ones there).
class MessageNamer {
public:
    MessageNamer() = default;
    explicit MessageNamer(const std::vector<MessageName>& names);
    // The name, or the number as "0x" and four hexadecimal digits.
    [[nodiscard]] std::string NameOf(uint32_t message) const;

private:
    std::unordered_map<uint32_t, std::string> names_;
};

// Which windows' records the log keeps: those whose handle or class is listed (every one when
// nothing is). Handles compare by their 32 significant bits; classes without regard to case.
struct WindowFilter {
    std::vector<uint32_t> Handles;     // sorted
    std::vector<std::string> Classes;  // upper case
    [[nodiscard]] bool Empty() const noexcept { return Handles.empty() && Classes.empty(); }
    [[nodiscard]] bool Passes(uint64_t window, std::string_view className) const;
};

// Which records the log keeps: in Include mode those whose message is listed or whose group is
// chosen (everything when nothing is listed or chosen); in Exclude mode all the others.
struct MessageFilter {
    bool Exclude = false;
    std::vector<uint32_t> Messages;  // sorted
    uint32_t Groups = 0;
    WindowFilter Windows;
    [[nodiscard]] bool Passes(uint32_t message) const;
    // The message filter and the window filter both.
    [[nodiscard]] bool Passes(const LogRecord& record, std::string_view className) const
    {
        return Windows.Passes(record.Window, className) && Passes(record.Message);
    }
};

// Reads the filter's list of windows: words separated by blanks, commas or semicolons. A word
// of hexadecimal digits (with or without "0x") is a handle, and a class name as well (a class
// may be called "BAD"); any other word is a class name; a name in double quotes may hold blanks
// and separators. On failure, nothing and the faulty word in `bad`: "0x" without a number or with
// more than 16 digits, a quote left open.
[[nodiscard]] std::optional<WindowFilter> ParseWindowWords(std::string_view text, std::string& bad);

// Reads the filter's list of messages: names or numbers separated by blanks, commas or
// semicolons, each looked up as the message panel does. On failure, nothing and the first
// word that is no message in `bad`.
[[nodiscard]] std::optional<std::vector<uint32_t>> ParseMessageWords(std::string_view text,
                                                                     const std::vector<MessageName>& names,
                                                                     std::string& bad);

// The texts a line needs that a language file replaces.
struct RecordWords {
    std::string Sent = "S";
    std::string Returned = "R";
    std::string Posted = "P";
    std::string NoResult = "-";  // a result the platform does not give
    std::string NoWindow = "-";  // the window of a thread message
};

// The window column: the handle and the class ("000A01B2 Button"), the handle alone when the
// class is not known, words.NoWindow for a thread message.
[[nodiscard]] std::string WindowCell(uint64_t window, std::string_view className, const RecordWords& words);

// The decoded column: mouse positions and keys, sizes, WM_COMMAND and WM_NOTIFY parts,
// virtual keys, WM_SETTEXT, WM_SETCURSOR and WM_ACTIVATE parameters; empty for other messages.
[[nodiscard]] std::string DecodeParameters(const LogRecord& record, const MessageNamer& namer);
// The name of a virtual key ("VK_RETURN", "A", "0"), or its number as "0x" and two digits.
[[nodiscard]] std::string VirtualKeyName(uint32_t key);

// The columns of one record, in the list's order: sequence, time in ms, window (with
// `className`), kind, message, wParam, lParam, result, decoded. Parameters are as wide as the
// target's pointers; the result shows words.NoResult unless the record is a returned one and
// `resultsKnown`.
[[nodiscard]] std::vector<std::string> RecordColumns(const LogRecord& record, const MessageNamer& namer,
                                                     const RecordWords& words, bool resultsKnown,
                                                     std::string_view className = {});
// One line of a saved log: the columns separated by tabs.
[[nodiscard]] std::string RecordLine(const LogRecord& record, const MessageNamer& namer, const RecordWords& words,
                                     bool resultsKnown, std::string_view className = {});

// The records the log window keeps: the newest up to a limit; the oldest make room and are counted.
class LogStore {
public:
    explicit LogStore(size_t limit) : limit_(limit == 0 ? 1 : limit) {}
    void Append(const LogRecord& record);
    void Clear();
    // A lower limit drops the oldest records at once (counted).
    void SetLimit(size_t limit);
    // Keeps only the records that `filter` lets pass, in their order; the count removed.
    // `classOf` gives a window's class for the window filter.
    size_t Retain(const MessageFilter& filter, const std::function<std::string(uint64_t)>& classOf = {});
    [[nodiscard]] size_t Limit() const noexcept { return limit_; }
    [[nodiscard]] size_t Size() const noexcept { return records_.size(); }
    // The index-th oldest record kept.
    [[nodiscard]] const LogRecord& At(size_t index) const { return records_[(first_ + index) % records_.size()]; }
    [[nodiscard]] uint64_t DroppedByLimit() const noexcept { return droppedByLimit_; }

private:
    size_t limit_;
    std::vector<LogRecord> records_;  // a circle once full: first_ is the oldest
    size_t first_ = 0;
    uint64_t droppedByLimit_ = 0;
};

}  // namespace lvx::msglog
