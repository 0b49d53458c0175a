// Fuzz target: the edits of other programs' INI files, checked against the uninstaller's INI reader.
#include "log/IniData.h"
#include "log/IniEdit.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace {

void Check(bool condition)
{
    if (!condition) __builtin_trap();
}

// The file as the reader should see it: without a UTF-8 byte-order mark, and with an LF-only
// file's lines ended by CR LF (the reader ends lines at CR only).
lvu::IniData ReaderView(std::string_view file)
{
    const std::optional<lvu::IniLayout> layout = lvu::TakeIniApart(file);
    std::string text(file.substr(layout->BodyBegin));
    if (text.find('\r') == std::string::npos) {
        std::string ended;
        for (const char c : text) {
            if (c == '\n') ended += '\r';
            ended += c;
        }
        text = ended;
    }
    lvu::IniData data;
    data.Load(text);
    return data;
}

// Every section the reader sees holds the same lines before and after, but for the change.
void CheckSameLines(lvu::IniData& before, lvu::IniData& after)
{
    const std::vector<std::string> names = before.ReadSections();
    for (const std::string& name : names) {
        const std::vector<std::string>* old = before.SectionLines(name);
        const std::vector<std::string>* now = after.SectionLines(name);
        Check(now != nullptr && old->size() == now->size());
        for (size_t i = 0; i < old->size(); ++i) {
            const std::string_view a = (*old)[i];
            const std::string_view b = (*now)[i];
            const size_t equals = a.find('=');
            Check(equals == b.find('='));
            Check(lvu::SameTextIgnoringCase(a.substr(0, equals), b.substr(0, equals)));
            Check(a.substr(equals) == b.substr(equals));
        }
    }
}

// At most one line of the original is not kept as it was (a line that gains a line end counts),
// and at most `added` lines of the result are new.
void CheckOneLineChanged(std::string_view before, std::string_view after, size_t added)
{
    const std::optional<lvu::IniLayout> old = lvu::TakeIniApart(before);
    const std::optional<lvu::IniLayout> now = lvu::TakeIniApart(after);
    Check(now.has_value());
    Check(after.substr(0, old->BodyBegin) == before.substr(0, old->BodyBegin));
    const auto line = [](std::string_view text, const lvu::IniTextLine& l) { return text.substr(l.Begin, l.Next - l.Begin); };
    size_t prefix = 0;
    while (prefix < old->Lines.size() && prefix < now->Lines.size() &&
           line(before, old->Lines[prefix]) == line(after, now->Lines[prefix]))
        ++prefix;
    size_t suffix = 0;
    while (suffix < old->Lines.size() - prefix && suffix < now->Lines.size() - prefix &&
           line(before, old->Lines[old->Lines.size() - 1 - suffix]) == line(after, now->Lines[now->Lines.size() - 1 - suffix]))
        ++suffix;
    Check(old->Lines.size() - prefix - suffix <= 1);
    Check(now->Lines.size() - prefix - suffix <= added);
}

}  // namespace

// The first bytes choose the change: byte 0 the kind (even: set, odd: delete), then section, key
// and value each ended by a byte 0x01; the rest is the file.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::string_view bytes(reinterpret_cast<const char*>(data), size);
    if (bytes.empty()) return 0;
    const bool remove = (bytes[0] & 1) != 0;
    bytes.remove_prefix(1);
    std::string_view fields[3];
    for (std::string_view& field : fields) {
        const size_t end = bytes.find('\x01');
        if (end == std::string_view::npos) return 0;
        field = bytes.substr(0, end);
        bytes.remove_prefix(end + 1);
    }
    const std::string_view section = fields[0];
    const std::string_view key = fields[1];
    const std::string_view value = fields[2];
    const std::string_view file = bytes;

    const lvu::IniEdit edit = remove ? lvu::DeleteIniKey(file, section, key) : lvu::SetIniValue(file, section, key, value);
    if (edit.Outcome == lvu::IniEditOutcome::Refused) return 0;
    lvu::IniData expected = ReaderView(file);
    expected.SetModified(false);  // merged duplicate sections are no change of the file
    if (remove)
        expected.DeleteKey(section, key);
    else
        expected.WriteString(section, key, value);
    if (edit.Outcome == lvu::IniEditOutcome::Unchanged) {
        // The reader already reads what was asked (a set may differ in the key's letter case).
        lvu::IniData reader = ReaderView(file);
        const bool present = reader.ReadString(section, key, "a") != "a" || reader.ReadString(section, key, "b") != "b";
        Check(remove ? !present : present && reader.ReadString(section, key, "") == value);
        return 0;
    }
    Check(edit.Bytes != file);
    lvu::IniData after = ReaderView(edit.Bytes);
    CheckSameLines(expected, after);
    Check(after.ReadSections().size() == expected.ReadSections().size());
    CheckOneLineChanged(file, edit.Bytes, remove ? 0 : 3);
    if (!remove) {
        Check(after.ReadString(section, key, value.empty() ? "?" : "") == value);
        const lvu::IniEdit again = lvu::SetIniValue(edit.Bytes, section, key, value);
        Check(again.Outcome == lvu::IniEditOutcome::Unchanged);
    }
    return 0;
}
