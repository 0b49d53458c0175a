// Style bits by name: the tables of StyleTables.inc, decoding a window's styles into named rows and
// the rows back into a value, and the other named values the details window shows.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace lvx {

enum class StyleGroup : uint8_t {
    Window, WindowEx, Button, Edit, RichEdit, Static, ListBox, ComboBox, ScrollBar, Dialog, ListView, ListViewEx,
    TreeView, Tab, CommonBar, Toolbar, StatusBar, Rebar, Progress, Trackbar, UpDown, Header, Animate, DateTime,
    MonthCal, Class, SysColor, Cursor, Icon,
};

// Which windows a name applies to: some bits are named differently for child and top-level windows.
enum class StyleScope : uint8_t { Any, ChildOnly, TopLevelOnly };

struct StyleName {
    StyleGroup Group;
    const char* Name;
    uint32_t Mask;   // the bits the name is about: the bit itself, or the whole field
    uint32_t Value;  // the field's value that the name stands for
    StyleScope Scope;
    uint32_t Match;  // the bits that must hold Value for the name to show (mostly Mask)
    bool Field;      // one of several values of a field, not a bit of its own
};

[[nodiscard]] std::span<const StyleName> StyleNames();

// Which of a window's three style values a row is about.
enum class StyleTarget : uint8_t { Style, ExStyle, ListViewExStyle };

// One line of the decoded list: a name that is set (its field holds its value) or not.
struct StyleRow {
    StyleTarget Target;
    const char* Name;
    uint32_t Mask;
    uint32_t Value;
    bool Set;
    bool Field;
};

struct DecodedStyles {
    std::vector<StyleRow> Rows;  // every name that applies to the window, set or not, in table order
    uint32_t StyleRemainder = 0;         // bits of the style no name covers
    uint32_t ExStyleRemainder = 0;
    uint32_t ListViewExRemainder = 0;
};

// The class-specific groups of a window class (matched without regard to case): "Button" gives
// Button, "SysListView32" ListView and ListViewEx, a toolbar Toolbar and CommonBar; empty for
// classes with no styles of their own.
[[nodiscard]] std::vector<StyleGroup> ClassStyleGroups(std::string_view className);

// Decodes the style, the extended style and (for a list view) its extended list-view style.
[[nodiscard]] DecodedStyles DecodeStyles(std::string_view className, uint32_t style, uint32_t exStyle,
                                         uint32_t listViewExStyle);

// The value a row's tick makes: ticked puts the row's value into its field, unticked clears the
// field (a name whose value is 0 then stays set: nothing changes). Only the row's bits change, so
// `current` is the style as the window holds it at the time of the write.
[[nodiscard]] uint32_t ApplyStyleTick(uint32_t current, const StyleRow& row, bool ticked);
[[nodiscard]] uint32_t ApplyStyleTick(uint32_t current, uint32_t mask, uint32_t value, bool ticked);

// Names of set flags of one group (class styles), joined with " | "; "0" when none; bits no name
// covers follow as hexadecimal.
[[nodiscard]] std::string DescribeFlags(StyleGroup group, uint32_t value);

// The name of a value of a group of single values (system colours, stock cursors and icons), or null.
[[nodiscard]] const char* NameOfValue(StyleGroup group, uint32_t value);

// The integrity level of a mandatory-label RID: 0 untrusted, 1 low, 2 medium, 3 high, 4 system
// (a level between two named ones counts as the lower one).
[[nodiscard]] int IntegrityLevelOf(uint32_t rid);

}  // namespace lvx
