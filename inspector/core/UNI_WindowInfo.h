// The window information snapshot: one record per window and the routines that read it safely.
#pragma once

#include <windows.h>

#include <cstdint>
#include <optional>
#include <string>

namespace lvx {

enum class WindowShowState : uint8_t { Minimized = 0, Maximized = 1, Normal = 2 };

// Whether a process runs 32-bit or 64-bit code; Unknown when it cannot be asked.
enum class ProcessBits : uint8_t { Unknown, Bits32, Bits64 };

// Everything the inspector shows about one window at one moment. Value-initialised records
// read as "all zero, all empty", which is what every field a gather does not touch keeps.
// Pointer-sized values (procedures, instance, user data) are kept pointer-wide.
struct WindowInfo {
    HWND Handle = nullptr;  // 0 when the handle asked about was not a window
    std::string Text;       // by WM_GETTEXT
    std::string ClassName;
    uint32_t ClassAtom = 0;
    uintptr_t ClassWndProc = 0;
    uint32_t ClassStyle = 0;
    std::string WindowText;  // by GetWindowTextA
    bool WindowTextRead = false;
    int32_t Left = 0;
    int32_t Top = 0;
    int32_t Height = 0;
    int32_t Width = 0;
    int32_t ClientHeight = 0;
    int32_t ClientWidth = 0;
    WindowShowState ShowState = WindowShowState::Minimized;
    uint32_t ProcessId = 0;
    uint32_t ThreadId = 0;
    ProcessBits Bits = ProcessBits::Unknown;  // of the owning process; full gather only
    // False when the pointer-sized values below (procedures, instance, user data) cannot be
    // read whole: a 32-bit program sees only the low half of a 64-bit program's pointers.
    bool PointersRead = true;
    bool Visible = false;
    bool Enabled = false;
    bool Topmost = false;
    int32_t ControlId = 0;
    uintptr_t WndProc = 0;
    uint32_t Style = 0;
    uint32_t ExStyle = 0;
    uintptr_t Instance = 0;
    uint32_t Id = 0;
    uintptr_t UserData = 0;
    HICON BigIcon = nullptr;
    HICON SmallIcon = nullptr;
    HMENU Menu = nullptr;
    HWND Parent = nullptr;
    HWND Child = nullptr;
    HWND Owner = nullptr;
    HWND Next = nullptr;
    HWND Previous = nullptr;
    std::string ParentText;
    std::string ParentClassName;
    int32_t RelativeLeft = 0;
    int32_t RelativeTop = 0;
};

// Milliseconds a foreign window gets to answer one message.
inline constexpr UINT MessageTimeout = 500;

// The only way the inspector sends a message to a foreign window: SendMessageTimeoutA with
// SMTO_ABORTIFHUNG and the time-out above. True when the call succeeded; `result` then holds
// the message's result (0 otherwise).
bool SendMessageWithTimeout(HWND window, UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result);

// The window's text asked by WM_GETTEXTLENGTH and WM_GETTEXT; `placeholder` when it did not answer.
[[nodiscard]] std::string ReadTextByMessage(HWND window, const std::string& placeholder);
// The same, nothing when the window did not answer.
[[nodiscard]] std::optional<std::string> TryReadTextByMessage(HWND window);

// The window's text by GetWindowTextA; `placeholder` with ok = false when a non-empty text
// could not be read.
[[nodiscard]] std::string ReadWindowText(HWND window, const std::string& placeholder, bool& ok);

[[nodiscard]] std::string ReadClassName(HWND window, const std::string& placeholder);
[[nodiscard]] bool IsTopmost(HWND window);
[[nodiscard]] WindowShowState GetShowState(HWND window);

// The top-level window a child belongs to; an owned top-level window is its own ancestor.
[[nodiscard]] HWND TopLevelAncestor(HWND window);

[[nodiscard]] bool IsExistingWindow(HWND window);

// Fills `info` (created empty by the caller). The light gather, used while picking, reads
// only what the live display needs and reports nothing; the full one reads everything and
// reports the handle to the sibling product.
void GatherWindowInfo(HWND window, bool light, WindowInfo& info);

// The low 32 bits of a handle: the significant part on both 32- and 64-bit Windows.
[[nodiscard]] inline uint32_t HandleValue(const void* handle)
{
    return static_cast<uint32_t>(reinterpret_cast<uintptr_t>(handle));
}

}  // namespace lvx
