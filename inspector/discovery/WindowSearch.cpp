// The simple search: windows whose text and class name match two masks, in one of three scopes.
#include "WindowSearch.h"

#include "Mask.h"
#include "core/UNI_WindowInfo.h"
#include "language/MessageTable.h"

#include <optional>

namespace lvx {

std::vector<FoundWindowEntry> FoundWindows;

namespace {

struct SearchContext {
    const std::optional<TMask>& textMask;
    const std::optional<TMask>& classMask;
    const std::string& textPlaceholder;
    const std::string& classPlaceholder;
};

// An empty mask matches only the empty text.
bool Passes(const std::optional<TMask>& mask, const std::string& text)
{
    return mask ? mask->Matches(text) : text.empty();
}

BOOL CALLBACK TestWindow(HWND window, LPARAM parameter)
{
    const auto& context = *reinterpret_cast<const SearchContext*>(parameter);
    // The class name costs no message: test it first, and ask a window for its text only when
    // the class already matches, so a search over every window stays quick and a hung window
    // costs its time-out only when it could be a result.
    std::string className = ReadClassName(window, context.classPlaceholder);
    if (!Passes(context.classMask, className)) return TRUE;
    std::string text = ReadTextByMessage(window, context.textPlaceholder);
    if (Passes(context.textMask, text)) FoundWindows.push_back({window, std::move(text), std::move(className)});
    return TRUE;
}

bool CompileMask(const std::string& mask, std::optional<TMask>& compiled, std::string& error)
{
    if (mask.empty()) return true;
    compiled = TMask::Create(mask, &error);
    return compiled.has_value();
}

}  // namespace

bool SearchWindowsByMask(const std::string& textMask, const std::string& classMask, SearchScope scope, HWND current,
                         std::string& error)
{
    FoundWindows.clear();
    std::optional<TMask> text, className;
    if (!CompileMask(textMask, text, error) || !CompileMask(classMask, className, error)) return false;

    const SearchContext context{text, className, MessageText(Msg::CantReadWndText), MessageText(Msg::WndClassNotFound)};
    const auto parameter = reinterpret_cast<LPARAM>(&context);
    switch (scope) {
    case SearchScope::TopLevel:
        ::EnumWindows(&TestWindow, parameter);
        break;
    case SearchScope::Children:
        if (current != nullptr) ::EnumChildWindows(current, &TestWindow, parameter);
        break;
    case SearchScope::AllWindows:
        ::EnumChildWindows(::GetDesktopWindow(), &TestWindow, parameter);
        break;
    }
    return true;
}

}  // namespace lvx
