// Locators on the real desktop: the windows a locator needs, read once each and bounded like every
// other read, the locator of a window and the windows a locator finds.
#pragma once

#include "discovery/Locator.h"

#include <windows.h>

#include <map>
#include <optional>
#include <string>
#include <vector>

namespace lvx {

// The desktop as one locator operation reads it: each list, class name and text is asked once and
// kept, so choosing the shortest locator does not read a window twice. A text that does not come
// within the message time-out is nothing (the window is counted as not answering by the finder).
class DesktopWindows : public LocatorWindows {
public:
    const std::vector<LocatorWindow>& TopLevels(const std::string& image) override;
    const std::vector<LocatorWindow>& Children(uint64_t parent) override;
    std::optional<std::string> Text(uint64_t window) override;

    // The image name of a top-level window's process (kept per process).
    [[nodiscard]] const std::string& ImageOf(DWORD processId);

private:
    bool topLevelsRead_ = false;
    std::vector<std::pair<HWND, DWORD>> topLevels_;  // every top-level window with its process
    std::map<std::string, std::vector<LocatorWindow>> byImage_;  // upper-cased image name
    std::map<DWORD, std::string> images_;
    std::map<uint64_t, std::vector<LocatorWindow>> children_;
    std::map<uint64_t, std::optional<std::string>> texts_;
};

// The shortest locator of the window, as text; nothing when it has none (gone, a message-only
// window, its process's image cannot be named, or a window it needs to tell apart does not answer).
[[nodiscard]] std::optional<std::string> LocatorOfWindow(HWND window);

// Every window the locator finds now, in the system's order, with the count of windows skipped
// because they did not answer.
[[nodiscard]] LocatorMatches FindWindowsByLocator(const Locator& locator);

[[nodiscard]] inline HWND ToHandle(uint64_t value)
{
    return reinterpret_cast<HWND>(static_cast<uintptr_t>(value));
}
[[nodiscard]] inline uint64_t FromHandle(HWND window)
{
    return static_cast<uint64_t>(reinterpret_cast<uintptr_t>(window));
}

}  // namespace lvx
