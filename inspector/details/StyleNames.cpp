// Style bits by name: the tables of StyleTables.inc, decoding a window's styles into named rows and
// the rows back into a value, and the other named values the details window shows.
#include "StyleNames.h"

#include "core/UNI_Strings.h"

#include <algorithm>
#include <cctype>

namespace lvx {

namespace {

constexpr StyleName Table[] = {
#define LVX_FLAG(group, name, bits) {StyleGroup::group, #name, bits, bits, StyleScope::Any, bits, false},
#define LVX_CHILD_FLAG(group, name, bits) {StyleGroup::group, #name, bits, bits, StyleScope::ChildOnly, bits, false},
#define LVX_TOP_FLAG(group, name, bits) {StyleGroup::group, #name, bits, bits, StyleScope::TopLevelOnly, bits, false},
#define LVX_FIELD(group, name, mask, value) {StyleGroup::group, #name, mask, value, StyleScope::Any, mask, true},
#define LVX_FIELD_WHEN(group, name, mask, value, match) \
    {StyleGroup::group, #name, mask, value, StyleScope::Any, match, true},
#define LVX_RESOURCE(group, name, value) \
    {StyleGroup::group, #name, 0xFFFFFFFF, value, StyleScope::Any, 0xFFFFFFFF, false},
#include "StyleTables.inc"
#undef LVX_FLAG
#undef LVX_CHILD_FLAG
#undef LVX_TOP_FLAG
#undef LVX_FIELD
#undef LVX_FIELD_WHEN
#undef LVX_RESOURCE
};

constexpr uint32_t WsChild = 0x40000000;

bool SameText(std::string_view a, std::string_view b)
{
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
           });
}

struct ClassGroups {
    const char* ClassName;
    StyleGroup First;
    StyleGroup Second;  // the same as First when the class has one group
};

constexpr ClassGroups Classes[] = {
    {"Button", StyleGroup::Button, StyleGroup::Button},
    {"Edit", StyleGroup::Edit, StyleGroup::Edit},
    {"Static", StyleGroup::Static, StyleGroup::Static},
    {"ListBox", StyleGroup::ListBox, StyleGroup::ListBox},
    {"ComboLBox", StyleGroup::ListBox, StyleGroup::ListBox},
    {"ComboBox", StyleGroup::ComboBox, StyleGroup::ComboBox},
    {"ScrollBar", StyleGroup::ScrollBar, StyleGroup::ScrollBar},
    {"#32770", StyleGroup::Dialog, StyleGroup::Dialog},
    {"SysListView32", StyleGroup::ListView, StyleGroup::ListViewEx},
    {"SysTreeView32", StyleGroup::TreeView, StyleGroup::TreeView},
    {"SysTabControl32", StyleGroup::Tab, StyleGroup::Tab},
    {"ToolbarWindow32", StyleGroup::Toolbar, StyleGroup::CommonBar},
    {"msctls_statusbar32", StyleGroup::StatusBar, StyleGroup::CommonBar},
    {"ReBarWindow32", StyleGroup::Rebar, StyleGroup::CommonBar},
    {"msctls_progress32", StyleGroup::Progress, StyleGroup::Progress},
    {"msctls_trackbar32", StyleGroup::Trackbar, StyleGroup::Trackbar},
    {"msctls_updown32", StyleGroup::UpDown, StyleGroup::UpDown},
    {"SysHeader32", StyleGroup::Header, StyleGroup::Header},
    {"SysAnimate32", StyleGroup::Animate, StyleGroup::Animate},
    {"SysDateTimePick32", StyleGroup::DateTime, StyleGroup::DateTime},
    {"SysMonthCal32", StyleGroup::MonthCal, StyleGroup::MonthCal},
    {"RichEdit", StyleGroup::RichEdit, StyleGroup::RichEdit},
    {"RichEdit20A", StyleGroup::RichEdit, StyleGroup::RichEdit},
    {"RichEdit20W", StyleGroup::RichEdit, StyleGroup::RichEdit},
    {"RICHEDIT50W", StyleGroup::RichEdit, StyleGroup::RichEdit},
};

// Adds the rows of one group and answers the bits the set ones cover. Of the names of one field
// the first that matches is set: a field whose values the control reads by precedence (one bit
// before another) has names whose matches overlap.
uint32_t AddRows(StyleGroup group, StyleTarget target, uint32_t value, bool child, std::vector<StyleRow>& rows)
{
    uint32_t covered = 0;
    uint32_t fieldsTaken = 0;
    for (const StyleName& name : Table) {
        if (name.Group != group) continue;
        if ((name.Scope == StyleScope::ChildOnly && !child) || (name.Scope == StyleScope::TopLevelOnly && child))
            continue;
        const bool set = (value & name.Match) == name.Value && (!name.Field || (fieldsTaken & name.Mask) == 0);
        if (set) covered |= name.Mask;
        if (set && name.Field) fieldsTaken |= name.Mask;
        rows.push_back(StyleRow{target, name.Name, name.Mask, name.Value, set, name.Field});
    }
    return covered;
}

}  // namespace

std::span<const StyleName> StyleNames()
{
    return Table;
}

std::vector<StyleGroup> ClassStyleGroups(std::string_view className)
{
    for (const ClassGroups& entry : Classes) {
        if (!SameText(entry.ClassName, className)) continue;
        if (entry.First == entry.Second) return {entry.First};
        return {entry.First, entry.Second};
    }
    return {};
}

DecodedStyles DecodeStyles(std::string_view className, uint32_t style, uint32_t exStyle, uint32_t listViewExStyle)
{
    DecodedStyles decoded;
    const bool child = (style & WsChild) != 0;
    uint32_t styleCovered = AddRows(StyleGroup::Window, StyleTarget::Style, style, child, decoded.Rows);
    bool listView = false;
    for (const StyleGroup group : ClassStyleGroups(className)) {
        if (group == StyleGroup::ListViewEx) {
            listView = true;
            continue;
        }
        styleCovered |= AddRows(group, StyleTarget::Style, style, child, decoded.Rows);
    }
    const uint32_t exCovered = AddRows(StyleGroup::WindowEx, StyleTarget::ExStyle, exStyle, child, decoded.Rows);
    decoded.StyleRemainder = style & ~styleCovered;
    decoded.ExStyleRemainder = exStyle & ~exCovered;
    if (listView) {
        const uint32_t covered =
            AddRows(StyleGroup::ListViewEx, StyleTarget::ListViewExStyle, listViewExStyle, child, decoded.Rows);
        decoded.ListViewExRemainder = listViewExStyle & ~covered;
    }
    return decoded;
}

uint32_t ApplyStyleTick(uint32_t current, uint32_t mask, uint32_t value, bool ticked)
{
    return ticked ? (current & ~mask) | value : current & ~mask;
}

uint32_t ApplyStyleTick(uint32_t current, const StyleRow& row, bool ticked)
{
    return ApplyStyleTick(current, row.Mask, row.Value, ticked);
}

std::string DescribeFlags(StyleGroup group, uint32_t value)
{
    std::string text;
    uint32_t covered = 0;
    for (const StyleName& name : Table) {
        if (name.Group != group || name.Value == 0 || (value & name.Mask) != name.Value) continue;
        covered |= name.Mask;
        if (!text.empty()) text += " | ";
        text += name.Name;
    }
    if (const uint32_t rest = value & ~covered; rest != 0) {
        if (!text.empty()) text += " | ";
        text += "0x" + FormatHex(rest, 1);
    }
    return text.empty() ? "0" : text;
}

const char* NameOfValue(StyleGroup group, uint32_t value)
{
    for (const StyleName& name : Table)
        if (name.Group == group && name.Value == value) return name.Name;
    return nullptr;
}

int IntegrityLevelOf(uint32_t rid)
{
    if (rid >= 0x4000) return 4;
    if (rid >= 0x3000) return 3;
    if (rid >= 0x2000) return 2;
    if (rid >= 0x1000) return 1;
    return 0;
}

}  // namespace lvx
