// The simple search: windows whose text and class name match two masks, in one of three scopes.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace lvx {

struct FoundWindowEntry {
    HWND Handle = nullptr;
    std::string Text;
    std::string ClassName;
};

// The result of the latest simple search, in enumeration order.
extern std::vector<FoundWindowEntry> FoundWindows;

// Which windows a search looks at; the value is the search dialog's radio item.
enum class SearchScope : int { TopLevel = 0, Children = 1, AllWindows = 2 };

// Empties FoundWindows and fills it with the windows of the scope whose text matches
// `textMask` and whose class name matches `classMask` (an empty mask asks for an empty text).
// Unreadable texts and class names are matched as their placeholders. `current` is the window
// whose descendants scope Children searches. False, with the mask error in `error` and
// FoundWindows empty, when a mask is invalid.
bool SearchWindowsByMask(const std::string& textMask, const std::string& classMask, SearchScope scope, HWND current,
                         std::string& error);

}  // namespace lvx
