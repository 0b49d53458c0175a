// Locators: one line of text that finds a window again in a new run of its program, by the process's
// image name and the path of classes, control ids, positions and texts down to the window.
#pragma once

#include <cstdint>
#include <functional>
#include <span>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "language/MessageTable.h"

namespace lvx {

// One level of the path. A window matches when its class is ClassName (Latin letters without regard
// to case) and each qualifier that is set holds.
struct LocatorStep {
    std::string ClassName;
    std::optional<int64_t> ControlId;
    // 1-based place among the siblings of the same class, in the system's order; 0 when not used.
    int32_t Position = 0;
    std::optional<std::string> TextMask;  // a mask on the window's text

    bool operator==(const LocatorStep&) const = default;
};

// The syntax, written without blanks (blanks around the punctuation are allowed when read):
//   locator   = image ("/" step)+
//   step      = name ["[" qualifier ("," qualifier)* "]"]
//   qualifier = "id=" integer | position | "text=" quoted
// The image and the class names are bare when they hold only printable ASCII other than the blank
// and / [ ] , = " \ * ? ; anything else is quoted: "..." with \" \\ \n \r \t and \xHH escapes. Cyrillic
// letters stay the code page's own bytes, inside quotes. Examples:
//   notepad.exe/Notepad/Edit
//   app.exe/#32770[text="Options"]/Button[id=1]
//   "my app.exe"/MainWnd[2]/Static[3]
struct Locator {
    std::string ImageName;           // the process's image file name, without its folder
    std::vector<LocatorStep> Steps;  // the top-level window first

    bool operator==(const Locator&) const = default;
};

[[nodiscard]] std::string FormatLocator(const Locator& locator);

// Why a text is not a locator: where (1-based), and the problem, or the message of an invalid text mask.
struct LocatorError {
    size_t Position = 0;
    MessageDef Problem{"", ""};
    std::string MaskError;
};

// Reads a locator; nothing, with the reason in `error`, when the text is not one (an invalid text
// mask included). At most MaxLocatorSteps steps.
[[nodiscard]] std::optional<Locator> ParseLocator(std::string_view text, LocatorError* error = nullptr);

// Looks a text up in the loaded language file; BuiltInText where none is loaded.
using TextLookup = std::function<std::string(const MessageDef&)>;
[[nodiscard]] std::string BuiltInText(const MessageDef& text);

// "'<text>' is not a locator, error at (<position>): <problem>".
[[nodiscard]] std::string LocatorErrorText(std::string_view text, const LocatorError& error, const TextLookup& lookup);
// Every text of locator errors, for the language file's "CommandLine" section.
[[nodiscard]] std::span<const MessageDef> LocatorTexts();
inline constexpr size_t MaxLocatorSteps = 64;

// A mask that matches exactly `text` (mask characters put in sets of their own).
[[nodiscard]] std::string ExactTextMask(std::string_view text);

// The windows as a locator reads them. Handles are opaque numbers here. Implementations read each
// list and text once and keep them; a text that cannot be read (the window does not answer) is
// nothing.
struct LocatorWindow {
    uint64_t Handle = 0;
    std::string ClassName;
    int64_t ControlId = 0;
};
class LocatorWindows {
public:
    virtual ~LocatorWindows() = default;
    // The top-level windows of every process whose image file name is `image` (without regard to case).
    virtual const std::vector<LocatorWindow>& TopLevels(const std::string& image) = 0;
    // The window's direct children.
    virtual const std::vector<LocatorWindow>& Children(uint64_t parent) = 0;
    virtual std::optional<std::string> Text(uint64_t window) = 0;
};

struct LocatorMatches {
    std::vector<uint64_t> Windows;  // in the system's order
    int NotAnswering = 0;           // windows skipped because their text could not be read
};

// Every window the locator matches now.
[[nodiscard]] LocatorMatches FindByLocator(const Locator& locator, LocatorWindows& windows);

// The shortest locator that finds exactly the window at the end of `path` (handles from the
// top-level window down), or nothing when no locator can (a window that does not answer, a window
// gone while it was read). `image` is the top-level window's process image file name.
[[nodiscard]] std::optional<Locator> MakeLocator(const std::string& image, const std::vector<uint64_t>& path,
                                                 LocatorWindows& windows);

}  // namespace lvx
