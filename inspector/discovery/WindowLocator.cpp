// Locators on the real desktop: reading the windows on a locator's path and their siblings.
#include "WindowLocator.h"

#include "core/Handles.h"
#include "core/UNI_Processes.h"
#include "core/UNI_Strings.h"
#include "core/UNI_WindowInfo.h"
#include "language/MultiLang.h"

namespace lvx {

namespace {

// Guards the sibling walk against a chain that changes under it.
constexpr int MaxSiblings = 65536;
constexpr int MaxDepth = 4096;

std::string ClassNameOf(HWND window)
{
    char name[257] = {};
    const int length = ::GetClassNameA(window, name, static_cast<int>(std::size(name)));
    return std::string(name, length > 0 ? static_cast<size_t>(length) : 0);
}

BOOL CALLBACK AddTopLevel(HWND window, LPARAM list)
{
    DWORD processId = 0;
    ::GetWindowThreadProcessId(window, &processId);
    reinterpret_cast<std::vector<std::pair<HWND, DWORD>>*>(list)->emplace_back(window, processId);
    return TRUE;
}

}  // namespace

const std::string& DesktopWindows::ImageOf(DWORD processId)
{
    const auto [entry, added] = images_.try_emplace(processId);
    if (added) entry->second = ProcessImageName(processId);
    return entry->second;
}

const std::vector<LocatorWindow>& DesktopWindows::TopLevels(const std::string& image)
{
    if (!topLevelsRead_) {
        topLevelsRead_ = true;
        ::EnumWindows(&AddTopLevel, reinterpret_cast<LPARAM>(&topLevels_));
    }
    const auto [entry, added] = byImage_.try_emplace(UpperCaseAscii(image));
    if (added) {
        for (const auto& [window, processId] : topLevels_) {
            const std::string& name = ImageOf(processId);
            if (!name.empty() && UpperCaseAscii(name) == entry->first)
                entry->second.push_back({FromHandle(window), ClassNameOf(window), 0});
        }
    }
    return entry->second;
}

const std::vector<LocatorWindow>& DesktopWindows::Children(uint64_t parent)
{
    const auto [entry, added] = children_.try_emplace(parent);
    if (!added) return entry->second;
    HWND child = ::GetWindow(ToHandle(parent), GW_CHILD);
    for (int count = 0; child != nullptr && count < MaxSiblings; ++count) {
        entry->second.push_back({FromHandle(child), ClassNameOf(child), static_cast<int64_t>(::GetWindowLongPtrA(child, GWLP_ID))});
        child = ::GetWindow(child, GW_HWNDNEXT);
    }
    return entry->second;
}

std::optional<std::string> DesktopWindows::Text(uint64_t window)
{
    const auto [entry, added] = texts_.try_emplace(window);
    if (added) entry->second = TryReadTextByMessage(ToHandle(window));
    return entry->second;
}

std::optional<std::string> LocatorOfWindow(HWND window)
{
    if (!::IsWindow(window)) return std::nullopt;
    // The path up to the top-level window: a window whose parent is the desktop.
    const HWND desktop = ::GetDesktopWindow();
    std::vector<uint64_t> path;
    HWND current = window;
    for (int depth = 0; depth < MaxDepth; ++depth) {
        path.insert(path.begin(), FromHandle(current));
        const HWND parent = ::GetAncestor(current, GA_PARENT);
        if (parent == desktop) break;
        if (parent == nullptr) return std::nullopt;  // gone, or a message-only window
        current = parent;
    }
    DWORD processId = 0;
    ::GetWindowThreadProcessId(ToHandle(path.front()), &processId);
    DesktopWindows windows;
    const std::string image = windows.ImageOf(processId);
    if (image.empty()) return std::nullopt;
    const std::optional<Locator> locator = MakeLocator(image, path, windows);
    if (!locator) return std::nullopt;
    return FormatLocator(*locator);
}

LocatorMatches FindWindowsByLocator(const Locator& locator)
{
    DesktopWindows windows;
    return FindByLocator(locator, windows);
}

}  // namespace lvx
