// Tests of the shipped messages.lst (the headers' values, unique upper-case names, the program's
// reader) and of the style name tables against the same headers.
#include "core/MessageList.h"
#include "details/StyleNames.h"

#include <windows.h>
#include <commctrl.h>
#include <richedit.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <fstream>
#include <iterator>
#include <set>
#include <sstream>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

using namespace lvx;

namespace {

struct Entry {
    const char* Name;
    long long HeaderValue;  // the name compiled against the headers
    uint32_t FileValue;     // the value as the file writes it
};

// Made at build time from messages.lst by cmake/MessagesCheck.cmake.
constexpr Entry Entries[] = {
#include "messages_check.inc"
};

// messages.lst as the program finds it: beside the executable.
std::string ReadShippedFile()
{
    char path[MAX_PATH] = {};
    const DWORD length = ::GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string folder(path, length);
    folder.erase(folder.find_last_of("\\/") + 1);
    std::ifstream file(folder + "messages.lst", std::ios::binary);
    std::ostringstream content;
    content << file.rdbuf();
    return content.str();
}

// The family of a name: everything up to its first "_", included.
std::string_view FamilyOf(std::string_view name)
{
    return name.substr(0, name.find('_') + 1);
}

}  // namespace

TEST(MessagesLst, EveryValueIsTheHeadersValue)
{
    ASSERT_GT(std::size(Entries), 1000u);
    for (const Entry& entry : Entries)
        EXPECT_EQ(entry.HeaderValue, static_cast<long long>(entry.FileValue)) << entry.Name;
}

TEST(MessagesLst, NamesAreUniqueAndUpperCase)
{
    std::set<std::string_view> names;
    for (const Entry& entry : Entries) {
        const std::string_view name = entry.Name;
        EXPECT_TRUE(names.insert(name).second) << "twice: " << name;
        EXPECT_TRUE(std::all_of(name.begin(), name.end(),
                                [](char c) { return (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_'; }))
            << name;
    }
}

TEST(MessagesLst, TheProgramsReaderTakesEveryLineInOrder)
{
    const std::string content = ReadShippedFile();
    ASSERT_FALSE(content.empty()) << "messages.lst is not beside the test program";

    // A first comment line, CR LF line ends throughout (the last line's too), and the lines that
    // are not comments: every one of them must be taken.
    EXPECT_EQ(content.front(), ';');
    EXPECT_TRUE(content.ends_with("\r\n"));
    size_t entryLines = 0;
    size_t lineNumber = 0;
    size_t firstWithoutCr = 0;
    for (size_t start = 0; start < content.size();) {
        size_t end = content.find('\n', start);
        if (end == std::string::npos) end = content.size();
        ++lineNumber;
        if (firstWithoutCr == 0 && (end == start || content[end - 1] != '\r')) firstWithoutCr = lineNumber;
        if (content[start] != ';' && content[start] != '\r' && content[start] != '\n') ++entryLines;
        start = end + 1;
    }
    EXPECT_EQ(firstWithoutCr, 0u) << "the first line without CR LF";

    const std::vector<MessageName> parsed = ParseMessageList(content);
    ASSERT_EQ(parsed.size(), entryLines);
    ASSERT_EQ(parsed.size(), std::size(Entries));
    for (size_t i = 0; i < parsed.size(); ++i) {
        EXPECT_EQ(parsed[i].Name, Entries[i].Name) << "entry " << i;
        EXPECT_EQ(parsed[i].Value, Entries[i].FileValue) << Entries[i].Name;
    }
}

TEST(MessagesLst, WindowMessagesFirstThenOneBlockPerFamilyByValue)
{
    ASSERT_EQ(FamilyOf(Entries[0].Name), "WM_");
    std::set<std::string_view> finished;
    for (size_t i = 1; i < std::size(Entries); ++i) {
        const Entry& before = Entries[i - 1];
        const Entry& entry = Entries[i];
        if (FamilyOf(entry.Name) != FamilyOf(before.Name)) {
            finished.insert(FamilyOf(before.Name));
            EXPECT_FALSE(finished.count(FamilyOf(entry.Name))) << entry.Name << " after another family";
        } else {
            EXPECT_TRUE(before.FileValue < entry.FileValue ||
                        (before.FileValue == entry.FileValue && std::string_view(before.Name) < entry.Name))
                << entry.Name << " after " << before.Name;
        }
    }
}

TEST(MessagesLst, HasWellKnownMessagesAndNoCodesOrMarkers)
{
    const std::vector<MessageName> parsed = ParseMessageList(ReadShippedFile());
    const auto find = [&](std::string_view name) {
        return std::find_if(parsed.begin(), parsed.end(), [&](const MessageName& entry) { return entry.Name == name; });
    };
    const std::pair<const char*, uint32_t> known[] = {
        {"WM_NULL", 0x0000},          {"WM_PAINT", 0x000F},          {"WM_GETTEXT", 0x000D},
        {"WM_DDE_INITIATE", 0x03E0},  {"WM_USER", 0x0400},           {"BM_CLICK", 0x00F5},
        {"EM_SETSEL", 0x00B1},        {"EM_GETTEXTRANGE", 0x044B},   {"EM_SETCUEBANNER", 0x1501},
        {"LB_GETLISTBOXINFO", 0x01B2}, {"CB_SETMINVISIBLE", 0x1701}, {"LVM_GETITEMCOUNT", 0x1004},
        {"LVM_GETITEMA", 0x1005},     {"LVM_GETITEMW", 0x104B},      {"TVM_EXPAND", 0x1102},
        {"SB_SETTEXTA", 0x0401},      {"CBEM_DELETEITEM", 0x0144},   {"TDM_CLICK_BUTTON", 0x0466},
        {"CCM_SETVERSION", 0x2007},
    };
    for (const auto& [name, value] : known) {
        const auto found = find(name);
        ASSERT_NE(found, parsed.end()) << name;
        EXPECT_EQ(found->Value, value) << name;
    }
    // Return codes, scroll and trackbar notification codes, range markers, blend and DEVMODE flags.
    for (const char* name : {"LB_ERR", "CB_ERR", "CB_ERRSPACE", "LB_OKAY", "SB_LINEUP", "TB_LINEUP", "TB_ENDTRACK",
                             "SB_SIMPLEID", "LB_MSGMAX", "WM_KEYFIRST", "LVM_FIRST", "CCM_LAST", "SB_NONE",
                             "DM_SPECVERSION"})
        EXPECT_EQ(find(name), parsed.end()) << name;
}

TEST(StyleTables, EveryNameHasTheHeadersValue)
{
    // Each name of the tables compiled against the headers: a name the headers lack does not build.
    struct Checked {
        const char* Name;
        long long HeaderValue;
        uint32_t TableValue;
    };
    const Checked checked[] = {
#define LVX_FLAG(group, name, bits) {#name, static_cast<long long>(static_cast<uint32_t>(name)), bits},
#define LVX_CHILD_FLAG LVX_FLAG
#define LVX_TOP_FLAG LVX_FLAG
#define LVX_FIELD(group, name, mask, value) {#name, static_cast<long long>(static_cast<uint32_t>(name)), value},
#define LVX_FIELD_WHEN(group, name, mask, value, match) \
    {#name, static_cast<long long>(static_cast<uint32_t>(name)), value},
#define LVX_RESOURCE(group, name, value) {#name, static_cast<long long>(reinterpret_cast<uintptr_t>(name)), value},
#include "details/StyleTables.inc"
#undef LVX_FLAG
#undef LVX_CHILD_FLAG
#undef LVX_TOP_FLAG
#undef LVX_FIELD
#undef LVX_FIELD_WHEN
#undef LVX_RESOURCE
    };
    ASSERT_EQ(std::size(checked), StyleNames().size());
    for (size_t i = 0; i < std::size(checked); ++i) {
        EXPECT_EQ(checked[i].HeaderValue, static_cast<long long>(checked[i].TableValue)) << checked[i].Name;
        EXPECT_STREQ(checked[i].Name, StyleNames()[i].Name);
    }
}
