// Reading a window's menu, with all its submenus, into the menu browser's tree; the item address rules.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <cstdint>
#include <string>
#include <vector>

namespace lvx {

// What a tree node knows about its menu item.
struct MenuItemEntry {
    std::uint32_t ItemType = 0;   // fType of the item
    std::uint32_t CommandId = 0;  // wID of the item
    std::int32_t Position = 0;    // zero-based position within its own menu
    HMENU SubMenu = nullptr;      // the item's submenu, null when it has none
};

// One item of a menu as read, in tree order (each item before the items of its submenu).
struct MenuNode {
    std::string Text;
    MenuItemEntry Entry;
    int Parent = -1;  // index of the node of the menu holding the item, -1 for the top level
    HTREEITEM Item = nullptr;
};

// The items of `menu` and of all its submenus, in tree order. A menu handle that is not (or no
// longer) a menu reads as no items; a submenu that contains itself is not entered again.
[[nodiscard]] std::vector<MenuNode> ReadMenuItems(HMENU menu);

// A tree view showing a menu; `Nodes` are the entries of its items (lParam is the node's index).
struct MenuTree {
    HWND TreeView = nullptr;
    std::vector<MenuNode> Nodes;
};

// Empties the tree (its entries with it) and fills it with the items of `menu` (nothing for 0).
void RebuildMenuTree(HMENU menu, MenuTree& tree);

// The index of a tree item's node, or -1.
[[nodiscard]] int MenuNodeIndex(const MenuTree& tree, HTREEITEM item);

// Where an item command is applied: a menu handle, an item and MF_BYCOMMAND or MF_BYPOSITION.
struct MenuItemAddress {
    HMENU Menu = nullptr;
    UINT Item = 0;
    UINT Flags = 0;
};

// A command identifier addresses its item when it is neither 0 nor all bits set and no other
// item of the tree has it; otherwise the item is addressed by position in its own menu.
// `windowMenu` is the menu bar the tree was read from.
[[nodiscard]] MenuItemAddress ResolveMenuItem(const std::vector<MenuNode>& nodes, size_t index, HMENU windowMenu);

}  // namespace lvx
