// The menu browser's texts and decisions: node texts, the identifier field, the type labels and
// which items are addressed by identifier; portable, no Win32.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace lvx {

// The type bits the nine labels stand for, in label order (the ninth, "STRING", has none).
inline constexpr int MenuTypeLabelCount = 9;
inline constexpr std::uint32_t MenuTypeBits[MenuTypeLabelCount] = {
    0x4, 0x20, 0x40, 0x100, 0x200, 0x4000, 0x2000, 0x800, 0,
};
inline constexpr const char* MenuTypeCaptions[MenuTypeLabelCount] = {
    "BITMAP", "MENUBARBREAK", "MENUBREAK", "OWNERDRAW", "RADIOCHECK", "RIGHTJUSTIFY", "RIGHTORDER", "SEPARATOR",
    "STRING",
};
inline constexpr std::uint32_t AllBitsId = 0xFFFFFFFFu;

// A node's text: the item's text as the menu holds it, or `emptyText` when it has none.
[[nodiscard]] std::string MenuNodeText(const char* text, const std::string& emptyText);

// The identifier field: "57601 (#E101)", or `noIdText` for an identifier with all bits set.
[[nodiscard]] std::string FormatMenuId(std::uint32_t commandId, const std::string& noIdText);

// Whether label `label` (0..8) is lit for an item of type `itemType`. "STRING" is lit for an
// item that is neither a bitmap, nor a separator, nor owner-drawn: a string item has no bit.
[[nodiscard]] bool MenuTypeLabelLit(int label, std::uint32_t itemType);

// Whether the item at `index` among the tree's identifiers is addressed by its identifier:
// neither 0 nor all bits set, and no other item has it.
[[nodiscard]] bool AddressByCommand(const std::vector<std::uint32_t>& ids, std::size_t index);

// Whether choosing the item sends a command: not a separator, no submenu, an identifier.
[[nodiscard]] bool SendsCommand(std::uint32_t itemType, std::uint32_t commandId, bool hasSubMenu);

}  // namespace lvx
