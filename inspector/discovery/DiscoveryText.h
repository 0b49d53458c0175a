// The lines the discovery tools show and save: found windows, tree nodes, the tree's text file.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace lvx {

// "000001F4  abc {Edit}": the handle as 8 hexadecimal digits, two blanks, text, class in braces.
[[nodiscard]] std::string FormatFoundWindowLine(uint32_t handle, std::string_view text, std::string_view className);

// How the window tree shows handles; the value is the menu item's Tag.
enum class HandleNotation : uint8_t { None = 0, Decimal = 1, Hexadecimal = 2 };

// "[000A01F4] Блокнот {Notepad}": the handle part, a blank only when there is text, the text
// as it is, then the class in braces. Decimal handles are signed 32-bit numbers.
[[nodiscard]] std::string FormatTreeNodeText(HandleNotation notation, uint32_t handle, std::string_view text,
                                             std::string_view className);

// The bullet that marks a node without children in the saved tree (Windows-1251 byte 0x95).
inline constexpr char TreeLeafMarker = '\x95';

// One line of the saved tree, CR LF included: a blank per level of depth, "+" or the bullet,
// then the node text with control characters shown as "?".
[[nodiscard]] std::string FormatTreeFileLine(int depth, bool hasChildren, std::string_view nodeText);

}  // namespace lvx
