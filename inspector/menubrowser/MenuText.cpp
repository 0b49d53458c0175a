// The menu browser's texts and decisions: node texts, the identifier field, the type labels and
// which items are addressed by identifier; portable, no Win32.
#include "MenuText.h"

#include <algorithm>
#include <cstdio>

namespace lvx {

namespace {

constexpr std::uint32_t SeparatorBit = 0x800;
constexpr std::uint32_t NotStringBits = 0x4 | SeparatorBit | 0x100;

}  // namespace

std::string MenuNodeText(const char* text, const std::string& emptyText)
{
    if (text == nullptr || *text == '\0') return emptyText;
    return text;
}

std::string FormatMenuId(std::uint32_t commandId, const std::string& noIdText)
{
    if (commandId == AllBitsId) return noIdText;
    char text[32];
    std::snprintf(text, sizeof text, "%d (#%X)", static_cast<int>(commandId), static_cast<unsigned>(commandId));
    return text;
}

bool MenuTypeLabelLit(int label, std::uint32_t itemType)
{
    if (label < 0 || label >= MenuTypeLabelCount) return false;
    if (MenuTypeBits[label] == 0) return (itemType & NotStringBits) == 0;
    return (itemType & MenuTypeBits[label]) == MenuTypeBits[label];
}

bool AddressByCommand(const std::vector<std::uint32_t>& ids, std::size_t index)
{
    if (index >= ids.size()) return false;
    const std::uint32_t id = ids[index];
    if (id == 0 || id == AllBitsId) return false;
    return std::count(ids.begin(), ids.end(), id) == 1;
}

bool SendsCommand(std::uint32_t itemType, std::uint32_t commandId, bool hasSubMenu)
{
    return !hasSubMenu && (itemType & SeparatorBit) == 0 && commandId != AllBitsId;
}

}  // namespace lvx
