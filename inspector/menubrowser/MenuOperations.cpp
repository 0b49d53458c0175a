// Reading a window's menu, with all its submenus, into the menu browser's tree; the item address rules.
#include "MenuOperations.h"

#include "MenuText.h"
#include "language/MessageTable.h"

#include <cstddef>
#include <utility>

namespace lvx {

namespace {

constexpr int TextBufferLength = 260;

// The size of the item structure without its last member (hbmpItem): with it the platform
// answers MIIM_TYPE the classic way, type and text together. 44 bytes on 32-bit Windows.
constexpr UINT ClassicItemInfoSize = offsetof(MENUITEMINFOA, hbmpItem);
static_assert(sizeof(void*) != 4 || ClassicItemInfoSize == 44);

void AddMenuLevel(HMENU menu, int parent, std::vector<MenuNode>& nodes, std::vector<HMENU>& path)
{
    const int count = ::GetMenuItemCount(menu);
    if (count <= 0) return;
    path.push_back(menu);
    for (int position = 0; position < count; ++position) {
        // The platform may put a bitmap handle or 0 into dwTypeData; the text is read from the
        // buffer itself, which stays NUL-terminated whatever happens.
        char buffer[TextBufferLength] = {};
        MENUITEMINFOA info{};
        info.cbSize = ClassicItemInfoSize;
        info.fMask = MIIM_ID | MIIM_SUBMENU | MIIM_TYPE;
        info.dwTypeData = buffer;
        info.cch = TextBufferLength - 1;
        if (!::GetMenuItemInfoA(menu, static_cast<UINT>(position), TRUE, &info)) {
            info = MENUITEMINFOA{};  // the item vanished while reading: an empty node keeps positions right
        }
        buffer[TextBufferLength - 1] = '\0';

        MenuNode node;
        node.Text = MenuNodeText(buffer, MessageText(Msg::EmptyMenuItem));
        node.Entry.ItemType = info.fType;
        node.Entry.CommandId = info.wID;
        node.Entry.Position = position;
        node.Entry.SubMenu = info.hSubMenu;
        node.Parent = parent;
        const int index = static_cast<int>(nodes.size());
        nodes.push_back(std::move(node));

        const HMENU sub = ::GetSubMenu(menu, position);
        bool onPath = false;
        for (HMENU outer : path) onPath = onPath || outer == sub;
        if (sub != nullptr && !onPath) AddMenuLevel(sub, index, nodes, path);
    }
    path.pop_back();
}

}  // namespace

std::vector<MenuNode> ReadMenuItems(HMENU menu)
{
    std::vector<MenuNode> nodes;
    std::vector<HMENU> path;
    if (menu != nullptr) AddMenuLevel(menu, -1, nodes, path);
    return nodes;
}

void RebuildMenuTree(HMENU menu, MenuTree& tree)
{
    ::SendMessageA(tree.TreeView, WM_SETREDRAW, FALSE, 0);
    // The selection goes before the nodes, so no change notice can name a node being freed.
    ::SendMessageA(tree.TreeView, TVM_SELECTITEM, TVGN_CARET, 0);
    ::SendMessageA(tree.TreeView, TVM_DELETEITEM, 0, reinterpret_cast<LPARAM>(TVI_ROOT));
    tree.Nodes = ReadMenuItems(menu);
    for (size_t i = 0; i < tree.Nodes.size(); ++i) {
        MenuNode& node = tree.Nodes[i];
        TVINSERTSTRUCTA insert{};
        insert.hParent = node.Parent < 0 ? TVI_ROOT : tree.Nodes[static_cast<size_t>(node.Parent)].Item;
        insert.hInsertAfter = TVI_LAST;
        insert.item.mask = TVIF_TEXT | TVIF_PARAM;
        insert.item.pszText = node.Text.data();
        insert.item.lParam = static_cast<LPARAM>(i);
        node.Item = reinterpret_cast<HTREEITEM>(
            ::SendMessageA(tree.TreeView, TVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&insert)));
    }
    ::SendMessageA(tree.TreeView, WM_SETREDRAW, TRUE, 0);
    ::InvalidateRect(tree.TreeView, nullptr, TRUE);
}

int MenuNodeIndex(const MenuTree& tree, HTREEITEM item)
{
    if (item == nullptr) return -1;
    TVITEMA query{};
    query.mask = TVIF_PARAM;
    query.hItem = item;
    if (!::SendMessageA(tree.TreeView, TVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&query))) return -1;
    const auto index = static_cast<size_t>(query.lParam);
    return index < tree.Nodes.size() && tree.Nodes[index].Item == item ? static_cast<int>(index) : -1;
}

MenuItemAddress ResolveMenuItem(const std::vector<MenuNode>& nodes, size_t index, HMENU windowMenu)
{
    std::vector<std::uint32_t> ids;
    ids.reserve(nodes.size());
    for (const MenuNode& node : nodes) ids.push_back(node.Entry.CommandId);
    const MenuNode& node = nodes[index];
    if (AddressByCommand(ids, index)) return {windowMenu, node.Entry.CommandId, MF_BYCOMMAND};
    const HMENU holder = node.Parent < 0 ? windowMenu : nodes[static_cast<size_t>(node.Parent)].Entry.SubMenu;
    return {holder, static_cast<UINT>(node.Entry.Position), MF_BYPOSITION};
}

}  // namespace lvx
