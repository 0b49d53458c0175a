// The details window's text: labelled lines in titled sections, written for the clipboard and read back.
#include "DetailsText.h"

#include "core/UNI_Strings.h"

namespace lvx {

std::string FormatDetailsText(const std::vector<DetailSection>& sections)
{
    std::string text;
    for (const DetailSection& section : sections) {
        if (!text.empty()) text += "\r\n";
        text += "[" + ReplaceControlChars(section.Title, " ") + "]\r\n";
        for (const DetailLine& line : section.Lines)
            text += ReplaceControlChars(line.Label, " ") + ": " + ReplaceControlChars(line.Value, " ") + "\r\n";
    }
    return text;
}

std::optional<std::vector<DetailSection>> ParseDetailsText(std::string_view text)
{
    std::vector<DetailSection> sections;
    for (std::string_view line : SplitLines(text)) {
        if (line.empty()) continue;
        if (line.front() == '[' && line.back() == ']') {
            sections.push_back(DetailSection{std::string(line.substr(1, line.size() - 2)), {}});
            continue;
        }
        const size_t colon = line.find(": ");
        if (sections.empty() || colon == std::string_view::npos) return std::nullopt;
        sections.back().Lines.push_back(
            DetailLine{std::string(line.substr(0, colon)), std::string(line.substr(colon + 2))});
    }
    return sections;
}

}  // namespace lvx
