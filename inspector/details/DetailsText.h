// The details window's text: labelled lines in titled sections, written for the clipboard and read back.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace lvx {

struct DetailLine {
    std::string Label;
    std::string Value;
};

struct DetailSection {
    std::string Title;
    std::vector<DetailLine> Lines;
};

// "[Title]" then one "Label: Value" line each, CR LF ends, a blank line between sections. Line
// breaks inside a value become blanks, so that every line stays one labelled line.
[[nodiscard]] std::string FormatDetailsText(const std::vector<DetailSection>& sections);

// Reads such a text back; nullopt when a labelled line comes before any title or lacks ": ".
[[nodiscard]] std::optional<std::vector<DetailSection>> ParseDetailsText(std::string_view text);

}  // namespace lvx
