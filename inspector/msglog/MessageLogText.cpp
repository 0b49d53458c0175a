// The message log's records as text: names, groups, the filter, the decoded column, saved lines.
#include "MessageLogText.h"

#include "core/UNI_Strings.h"

#include <algorithm>
#include <cstdio>

namespace lvx::msglog {

namespace {

// Message numbers the decoder and the groups need; the platform headers are not available here.
enum : uint32_t {
    WmSize = 0x0005, WmActivate = 0x0006, WmMove = 0x0003, WmSetText = 0x000C, WmPaint = 0x000F,
    WmEraseBkgnd = 0x0014, WmSetCursor = 0x0020, WmNotify = 0x004E, WmNotifyFormat = 0x0055,
    WmNcFirst = 0x0081, WmNcLast = 0x0088, WmNcMouseFirst = 0x00A0, WmNcMouseLast = 0x00AD,
    WmKeyFirst = 0x0100, WmKeyLast = 0x0109, WmKeyDown = 0x0100, WmKeyUp = 0x0101, WmChar = 0x0102,
    WmDeadChar = 0x0103, WmSysKeyDown = 0x0104, WmSysKeyUp = 0x0105, WmSysChar = 0x0106, WmSysDeadChar = 0x0107,
    WmUniChar = 0x0109, WmCommand = 0x0111,
    WmCtlColorFirst = 0x0132, WmCtlColorLast = 0x0138, WmMouseFirst = 0x0200, WmMouseLast = 0x020E,
    WmMouseWheel = 0x020A, WmMouseHWheel = 0x020E, WmParentNotify = 0x0210, WmMouseHover = 0x02A1,
    WmMouseLeave = 0x02A3, WmHotKey = 0x0312, WmPrint = 0x0317, WmPrintClient = 0x0318,
};

std::string Signed(int64_t value) { return std::to_string(value); }

// The low and high words of a parameter as signed 16-bit values, as the platform packs points.
int16_t LowWord(uint64_t value) { return static_cast<int16_t>(value & 0xFFFF); }
int16_t HighWord(uint64_t value) { return static_cast<int16_t>((value >> 16) & 0xFFFF); }
uint16_t LowWordUnsigned(uint64_t value) { return static_cast<uint16_t>(value & 0xFFFF); }
uint16_t HighWordUnsigned(uint64_t value) { return static_cast<uint16_t>((value >> 16) & 0xFFFF); }

std::string Handle(uint64_t value) { return FormatHandle(static_cast<uint32_t>(value)); }

std::string MouseKeys(uint64_t wParam)
{
    static constexpr struct {
        uint32_t Bit;
        const char* Name;
    } keys[] = {{0x0001, "MK_LBUTTON"}, {0x0002, "MK_RBUTTON"}, {0x0004, "MK_SHIFT"}, {0x0008, "MK_CONTROL"},
                {0x0010, "MK_MBUTTON"}, {0x0020, "MK_XBUTTON1"}, {0x0040, "MK_XBUTTON2"}};
    std::string text;
    for (const auto& key : keys)
        if ((wParam & key.Bit) != 0) text += (text.empty() ? "" : "|") + std::string(key.Name);
    return text.empty() ? "0" : text;
}

std::string HitTestName(uint64_t code)
{
    static constexpr const char* names[] = {"HTCLIENT", "HTCAPTION", "HTSYSMENU", "HTGROWBOX", "HTMENU",
                                            "HTHSCROLL", "HTVSCROLL", "HTMINBUTTON", "HTMAXBUTTON", "HTLEFT",
                                            "HTRIGHT", "HTTOP", "HTTOPLEFT", "HTTOPRIGHT", "HTBOTTOM",
                                            "HTBOTTOMLEFT", "HTBOTTOMRIGHT", "HTBORDER"};
    const auto value = static_cast<int16_t>(code & 0xFFFF);
    if (value >= 1 && value <= 18) return names[value - 1];
    if (value == 0) return "HTNOWHERE";
    if (value == -1) return "HTTRANSPARENT";
    if (value == -2) return "HTERROR";
    if (value == 20) return "HTCLOSE";
    return std::to_string(value);
}

std::string NotifyCodeName(int32_t code)
{
    static constexpr const char* names[] = {"NM_OUTOFMEMORY", "NM_CLICK", "NM_DBLCLK", "NM_RETURN", "NM_RCLICK",
                                            "NM_RDBLCLK", "NM_SETFOCUS", "NM_KILLFOCUS"};
    if (code <= -1 && code >= -8) return names[-code - 1];
    if (code == -12) return "NM_CUSTOMDRAW";
    if (code == -13) return "NM_HOVER";
    return std::to_string(code);
}

std::string KeyMessage(const LogRecord& record)
{
    // These carry characters, not virtual keys: WM_UNICHAR a code point of UTF-32.
    if (record.Message == WmUniChar) {
        const auto code = static_cast<uint32_t>(record.WParam & 0xFFFFFFFF);
        if (code == 0xFFFF) return "UNICODE_NOCHAR";
        char text[32];
        std::snprintf(text, sizeof text, "char=U+%04X", code);
        return text + std::string(code >= 32 && code < 127 ? " '" + std::string(1, static_cast<char>(code)) + "'" : "") +
               " repeat=" + std::to_string(LowWordUnsigned(record.LParam));
    }
    if (record.Message == WmChar || record.Message == WmSysChar || record.Message == WmDeadChar ||
        record.Message == WmSysDeadChar) {
        const auto code = static_cast<uint32_t>(record.WParam & 0xFFFF);
        std::string text = "char=" + std::to_string(code);
        if (code >= 32 && code < 127) text += " '" + std::string(1, static_cast<char>(code)) + "'";
        return text + " repeat=" + std::to_string(LowWordUnsigned(record.LParam));
    }
    return VirtualKeyName(static_cast<uint32_t>(record.WParam & 0xFF)) +
           " repeat=" + std::to_string(LowWordUnsigned(record.LParam)) +
           " scan=" + std::to_string((record.LParam >> 16) & 0xFF) +
           ((record.LParam & (1u << 24)) != 0 ? " extended" : "") +
           ((record.LParam & (1u << 31)) != 0 ? " up" : "");
}

}  // namespace

LogRecord ToLogRecord(const RingRecord& record, uint64_t sequence, uint64_t timeBase, uint64_t timeFrequency)
{
    LogRecord result;
    result.Sequence = sequence;
    const uint64_t ticks = record.Time > timeBase ? record.Time - timeBase : 0;
    const uint64_t frequency = timeFrequency == 0 ? 1 : timeFrequency;
    // Whole seconds and the rest apart, so that long sessions at high frequencies do not overflow.
    result.TimeUs = ticks / frequency * 1000000 + ticks % frequency * 1000000 / frequency;
    result.Window = record.Window;
    result.WParam = record.WParam;
    result.LParam = record.LParam;
    result.Result = record.Result;
    result.Message = record.Message;
    result.Kind = static_cast<RecordKind>(record.Kind);
    result.Flags = record.Flags;
    result.NotifyCode = record.NotifyCode;
    std::copy(std::begin(record.Text), std::end(record.Text), std::begin(result.Text));
    result.Text[RecordTextSize - 1] = '\0';
    return result;
}

uint32_t GroupOf(uint32_t message)
{
    if ((message >= WmMouseFirst && message <= WmMouseLast) || message == WmMouseHover || message == WmMouseLeave)
        return MouseGroup;
    if ((message >= WmKeyFirst && message <= WmKeyLast) || message == WmHotKey) return KeyboardGroup;
    if ((message >= WmNcFirst && message <= WmNcLast) || (message >= WmNcMouseFirst && message <= WmNcMouseLast))
        return NonClientGroup;
    if (message == WmPaint || message == WmEraseBkgnd || message == WmPrint || message == WmPrintClient ||
        (message >= WmCtlColorFirst && message <= WmCtlColorLast))
        return PaintGroup;
    if (message == WmCommand || message == WmNotify || message == WmParentNotify || message == WmNotifyFormat)
        return NotificationGroup;
    return 0;
}

MessageNamer::MessageNamer(const std::vector<MessageName>& names)
{
    for (const MessageName& entry : names) names_.emplace(entry.Value, entry.Name);  // the first one stays
}

std::string MessageNamer::NameOf(uint32_t message) const
{
    const auto found = names_.find(message);
    if (found != names_.end()) return found->second;
    return "0x" + FormatHex(message, 4);
}

bool WindowFilter::Passes(uint64_t window, std::string_view className) const
{
    if (Empty()) return true;
    if (std::binary_search(Handles.begin(), Handles.end(), static_cast<uint32_t>(window & 0xFFFFFFFFu))) return true;
    if (className.empty() || Classes.empty()) return false;
    const std::string upper = UpperCaseAscii(className);
    return std::find(Classes.begin(), Classes.end(), upper) != Classes.end();
}

std::optional<WindowFilter> ParseWindowWords(std::string_view text, std::string& bad)
{
    WindowFilter filter;
    constexpr std::string_view separators = " \t,;\r\n";
    constexpr std::string_view hexDigits = "0123456789abcdefABCDEF";
    size_t start = text.find_first_not_of(separators);
    while (start != std::string_view::npos) {
        if (text[start] == '"') {
            const size_t close = text.find('"', start + 1);
            if (close == std::string_view::npos) {
                bad = std::string(text.substr(start));
                return std::nullopt;
            }
            filter.Classes.push_back(UpperCaseAscii(text.substr(start + 1, close - start - 1)));
            start = text.find_first_not_of(separators, close + 1);
            continue;
        }
        const size_t end = std::min(text.find_first_of(separators, start), text.size());
        const std::string_view word = text.substr(start, end - start);
        const bool prefixed = word.size() >= 2 && word[0] == '0' && (word[1] == 'x' || word[1] == 'X');
        const std::string_view digits = prefixed ? word.substr(2) : word;
        const bool hex = !digits.empty() && digits.find_first_not_of(hexDigits) == std::string_view::npos;
        if (prefixed && (!hex || digits.size() > 16)) {
            bad = std::string(word);
            return std::nullopt;
        }
        if (hex && digits.size() <= 16)
            filter.Handles.push_back(static_cast<uint32_t>(std::stoull(std::string(digits), nullptr, 16) & 0xFFFFFFFFu));
        if (!prefixed) filter.Classes.push_back(UpperCaseAscii(word));
        start = text.find_first_not_of(separators, end);
    }
    std::sort(filter.Handles.begin(), filter.Handles.end());
    filter.Handles.erase(std::unique(filter.Handles.begin(), filter.Handles.end()), filter.Handles.end());
    return filter;
}

bool MessageFilter::Passes(uint32_t message) const
{
    const bool chosen = std::binary_search(Messages.begin(), Messages.end(), message) || (GroupOf(message) & Groups) != 0;
    if (Exclude) return !chosen;
    return chosen || (Messages.empty() && Groups == 0);
}

std::optional<std::vector<uint32_t>> ParseMessageWords(std::string_view text, const std::vector<MessageName>& names,
                                                       std::string& bad)
{
    std::vector<uint32_t> messages;
    constexpr std::string_view separators = " \t,;\r\n";
    size_t start = text.find_first_not_of(separators);
    while (start != std::string_view::npos) {
        const size_t end = std::min(text.find_first_of(separators, start), text.size());
        const std::string_view word = text.substr(start, end - start);
        const std::optional<uint32_t> message = LookUpMessage(word, names);
        if (!message) {
            bad = std::string(word);
            return std::nullopt;
        }
        messages.push_back(*message);
        start = text.find_first_not_of(separators, end);
    }
    std::sort(messages.begin(), messages.end());
    messages.erase(std::unique(messages.begin(), messages.end()), messages.end());
    return messages;
}

std::string VirtualKeyName(uint32_t key)
{
    if ((key >= '0' && key <= '9') || (key >= 'A' && key <= 'Z')) return std::string(1, static_cast<char>(key));
    if (key >= 0x70 && key <= 0x87) return "VK_F" + std::to_string(key - 0x70 + 1);
    if (key >= 0x60 && key <= 0x69) return "VK_NUMPAD" + std::to_string(key - 0x60);
    static constexpr struct {
        uint32_t Key;
        const char* Name;
    } keys[] = {
        {0x01, "VK_LBUTTON"}, {0x02, "VK_RBUTTON"}, {0x03, "VK_CANCEL"}, {0x04, "VK_MBUTTON"}, {0x08, "VK_BACK"},
        {0x09, "VK_TAB"}, {0x0C, "VK_CLEAR"}, {0x0D, "VK_RETURN"}, {0x10, "VK_SHIFT"}, {0x11, "VK_CONTROL"},
        {0x12, "VK_MENU"}, {0x13, "VK_PAUSE"}, {0x14, "VK_CAPITAL"}, {0x1B, "VK_ESCAPE"}, {0x20, "VK_SPACE"},
        {0x21, "VK_PRIOR"}, {0x22, "VK_NEXT"}, {0x23, "VK_END"}, {0x24, "VK_HOME"}, {0x25, "VK_LEFT"},
        {0x26, "VK_UP"}, {0x27, "VK_RIGHT"}, {0x28, "VK_DOWN"}, {0x2C, "VK_SNAPSHOT"}, {0x2D, "VK_INSERT"},
        {0x2E, "VK_DELETE"}, {0x5B, "VK_LWIN"}, {0x5C, "VK_RWIN"}, {0x5D, "VK_APPS"}, {0x6A, "VK_MULTIPLY"},
        {0x6B, "VK_ADD"}, {0x6D, "VK_SUBTRACT"}, {0x6E, "VK_DECIMAL"}, {0x6F, "VK_DIVIDE"}, {0x90, "VK_NUMLOCK"},
        {0x91, "VK_SCROLL"}, {0xA0, "VK_LSHIFT"}, {0xA1, "VK_RSHIFT"}, {0xA2, "VK_LCONTROL"}, {0xA3, "VK_RCONTROL"},
        {0xA4, "VK_LMENU"}, {0xA5, "VK_RMENU"},
    };
    for (const auto& entry : keys)
        if (entry.Key == key) return entry.Name;
    return "0x" + FormatHex(key, 2);
}

std::string DecodeParameters(const LogRecord& record, const MessageNamer& namer)
{
    const uint32_t message = record.Message;
    const uint64_t w = record.WParam, l = record.LParam;
    if ((message >= WmMouseFirst && message <= WmMouseLast) && message != WmMouseWheel && message != WmMouseHWheel)
        return FormatPoint(LowWord(l), HighWord(l)) + " " + MouseKeys(w);
    if (message == WmMouseWheel || message == WmMouseHWheel)
        return "delta=" + Signed(HighWord(w)) + " " + MouseKeys(LowWordUnsigned(w)) + " screen " +
               FormatPoint(LowWord(l), HighWord(l));
    if (message >= WmNcMouseFirst && message <= WmNcMouseLast)
        return HitTestName(w) + " screen " + FormatPoint(LowWord(l), HighWord(l));
    if (message >= WmKeyFirst && message <= WmKeyLast) return KeyMessage(record);
    switch (message) {
    case WmSize: {
        static constexpr const char* kinds[] = {"SIZE_RESTORED", "SIZE_MINIMIZED", "SIZE_MAXIMIZED", "SIZE_MAXSHOW",
                                                "SIZE_MAXHIDE"};
        return (w < 5 ? std::string(kinds[w]) : std::to_string(w)) + " " +
               FormatSize(LowWordUnsigned(l), HighWordUnsigned(l));
    }
    case WmMove: return FormatPoint(LowWord(l), HighWord(l));
    case WmCommand:
        return "id=" + std::to_string(LowWordUnsigned(w)) + " code=" + std::to_string(HighWordUnsigned(w)) +
               " control=" + Handle(l);
    case WmNotify:
        return "id=" + std::to_string(w) +
               ((record.Flags & RecordHasNotifyCode) != 0 ? " code=" + NotifyCodeName(record.NotifyCode) : "");
    case WmSetText:
        if ((record.Flags & RecordHasText) != 0) return "\"" + ReplaceControlChars(record.Text, " ") + "\"";
        return l == 0 ? "NULL" : "";
    case WmSetCursor:
        return "window=" + Handle(w) + " " + HitTestName(l) + " " + namer.NameOf(HighWordUnsigned(l));
    case WmActivate: {
        static constexpr const char* states[] = {"WA_INACTIVE", "WA_ACTIVE", "WA_CLICKACTIVE"};
        const uint16_t state = LowWordUnsigned(w);
        return (state < 3 ? std::string(states[state]) : std::to_string(state)) +
               (HighWordUnsigned(w) != 0 ? " minimized" : "") + " other=" + Handle(l);
    }
    default: return "";
    }
}

std::string WindowCell(uint64_t window, std::string_view className, const RecordWords& words)
{
    if (window == 0) return words.NoWindow;
    if (className.empty()) return Handle(window);
    return Handle(window) + " " + std::string(className);
}

std::vector<std::string> RecordColumns(const LogRecord& record, const MessageNamer& namer, const RecordWords& words,
                                       bool resultsKnown, std::string_view className)
{
    const int width = (record.Flags & RecordFromWideTarget) != 0 ? 16 : 8;
    char time[32];
    std::snprintf(time, sizeof time, "%llu.%03llu", static_cast<unsigned long long>(record.TimeUs / 1000),
                  static_cast<unsigned long long>(record.TimeUs % 1000));
    const std::string& kind = record.Kind == RecordKind::Returned ? words.Returned
                              : record.Kind == RecordKind::Posted ? words.Posted
                                                                  : words.Sent;
    std::string result = words.NoResult;
    if (record.Kind == RecordKind::Returned && resultsKnown) result = FormatHex(record.Result, width);
    return {std::to_string(record.Sequence), time, WindowCell(record.Window, className, words), kind,
            namer.NameOf(record.Message),
            FormatHex(record.WParam, width), FormatHex(record.LParam, width), result, DecodeParameters(record, namer)};
}

std::string RecordLine(const LogRecord& record, const MessageNamer& namer, const RecordWords& words, bool resultsKnown,
                       std::string_view className)
{
    std::string line;
    for (const std::string& column : RecordColumns(record, namer, words, resultsKnown, className)) {
        if (!line.empty()) line += '\t';
        line += ReplaceControlChars(column, " ");  // a tab in a decoded text must not make a column
    }
    return line;
}

void LogStore::Append(const LogRecord& record)
{
    // The circle turns only once full; until then first_ stays 0 (SetLimit keeps it so).
    if (records_.size() < limit_) {
        records_.push_back(record);
        return;
    }
    records_[first_] = record;
    first_ = (first_ + 1) % records_.size();
    ++droppedByLimit_;
}

void LogStore::Clear()
{
    records_.clear();
    first_ = 0;
}

void LogStore::SetLimit(size_t limit)
{
    limit_ = limit == 0 ? 1 : limit;
    std::rotate(records_.begin(), records_.begin() + static_cast<ptrdiff_t>(first_), records_.end());
    first_ = 0;
    if (records_.size() > limit_) {
        droppedByLimit_ += records_.size() - limit_;
        records_.erase(records_.begin(), records_.begin() + static_cast<ptrdiff_t>(records_.size() - limit_));
    }
}

size_t LogStore::Retain(const MessageFilter& filter, const std::function<std::string(uint64_t)>& classOf)
{
    SetLimit(limit_);  // in order from index 0
    const bool needClasses = !filter.Windows.Classes.empty() && classOf;
    const auto kept = std::stable_partition(records_.begin(), records_.end(), [&](const LogRecord& record) {
        return filter.Passes(record, needClasses ? classOf(record.Window) : std::string());
    });
    const auto removed = static_cast<size_t>(records_.end() - kept);
    records_.erase(kept, records_.end());
    return removed;
}

}  // namespace lvx::msglog
