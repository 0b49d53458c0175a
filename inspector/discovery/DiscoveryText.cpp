// The lines the discovery tools show and save: found windows, tree nodes, the tree's text file.
#include "DiscoveryText.h"

#include "core/UNI_Strings.h"

namespace lvx {

std::string FormatFoundWindowLine(uint32_t handle, std::string_view text, std::string_view className)
{
    std::string line = FormatHandle(handle);
    line.append("  ").append(text).append(" {").append(className).append("}");
    return line;
}

std::string FormatTreeNodeText(HandleNotation notation, uint32_t handle, std::string_view text,
                               std::string_view className)
{
    std::string line;
    switch (notation) {
    case HandleNotation::Decimal:
        line = "[" + std::to_string(static_cast<int32_t>(handle)) + "]";
        break;
    case HandleNotation::Hexadecimal:
        line = "[" + FormatHandle(handle) + "]";
        break;
    case HandleNotation::None:
        break;
    }
    if (!text.empty()) line.append(" ").append(text);
    line.append(" {").append(className).append("}");
    return line;
}

std::string FormatTreeFileLine(int depth, bool hasChildren, std::string_view nodeText)
{
    std::string line(depth > 0 ? static_cast<size_t>(depth) : 0, ' ');
    line += hasChildren ? '+' : TreeLeafMarker;
    line += ReplaceControlChars(nodeText, "?");
    line += "\r\n";
    return line;
}

}  // namespace lvx
