// Everything the platform tells about one window beyond its snapshot: the list-view extended
// style, its class, its properties, its process and its DPI, each part marked when unreadable.
#pragma once

#include "core/UNI_Processes.h"

#include <windows.h>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace lvx {

struct ClassDetails {
    bool Read = false;  // false: the window was gone
    uint32_t Atom = 0;
    uint32_t Style = 0;
    int ClassExtra = 0;
    int WindowExtra = 0;
    uintptr_t Instance = 0;
    std::string Module;  // empty when not found
    uintptr_t WndProc = 0;
    uintptr_t Background = 0;
    uintptr_t Cursor = 0;
    int StockCursor = 0;  // IDC_* number when the cursor is a stock one, else 0
    uintptr_t Icon = 0;
    int StockIcon = 0;
    uintptr_t SmallIcon = 0;
    int StockSmallIcon = 0;  // IDI_* number when the small icon is a stock one (either size), else 0
    uintptr_t MenuName = 0;  // an integer resource, or a pointer inside the window's process
    std::string MenuNameText;  // the name, when it could be read
    // Which of the values above the system gave (some systems keep another process's class
    // handles to themselves): procedure, background, cursor, icon, small icon, menu name.
    bool WndProcRead = false, BackgroundRead = false, CursorRead = false, IconRead = false, SmallIconRead = false,
         MenuNameRead = false;
    // False when the instance is a pointer cut to its low half (a 32-bit build on a 64-bit process).
    bool InstanceRead = true;
};

// How a class's background, cursor, icons and menu are named where they were read: nothing for
// none (0); else the stock name (a system colour, IDC_*, IDI_*, an integer resource as "#N", the
// menu's name) where there is one; else the value in hexadecimal.
[[nodiscard]] std::optional<std::string> BackgroundName(const ClassDetails& cls);
[[nodiscard]] std::optional<std::string> CursorName(const ClassDetails& cls);
[[nodiscard]] std::optional<std::string> IconName(const ClassDetails& cls);
[[nodiscard]] std::optional<std::string> SmallIconName(const ClassDetails& cls);
[[nodiscard]] std::optional<std::string> MenuName(const ClassDetails& cls);

struct PropertyEntry {
    std::string Name;  // "#atom" for an integer atom
    uintptr_t Value = 0;
    bool ValueRead = true;  // false: a 64-bit process's value, cut to 32 bits
};

struct ProcessDetails {
    bool Opened = false;  // false: nothing below but the bitness could be read
    std::string ImagePath;
    ProcessBits Bits = ProcessBits::Unknown;
    std::string User;
    bool SessionRead = false;
    DWORD Session = 0;
    bool IntegrityRead = false;
    uint32_t IntegrityRid = 0;
    bool ElevationRead = false;
    bool Elevated = false;
    bool StartRead = false;
    SYSTEMTIME Start{};  // local time
    bool OwnIntegrityRead = false;
    uint32_t OwnIntegrityRid = 0;  // the inspector's own
};

// The DPI awareness as the window's thread declared it.
enum class DpiAwareness { Unknown, Unaware, System, PerMonitor, PerMonitorV2 };

struct DpiDetails {
    bool WindowDpiAvailable = false;  // GetDpiForWindow exists
    UINT WindowDpi = 0;
    bool AwarenessAvailable = false;  // GetWindowDpiAwarenessContext and its reader exist
    DpiAwareness Awareness = DpiAwareness::Unknown;
    bool MonitorDpiAvailable = false;  // GetDpiForMonitor exists
    UINT MonitorDpi = 0;
};

struct WindowDetails {
    HWND Handle = nullptr;
    std::string ClassName;
    uint32_t Style = 0;
    uint32_t ExStyle = 0;
    bool ListView = false;          // the class is a list view
    bool ListViewExRead = false;    // and it answered LVM_GETEXTENDEDLISTVIEWSTYLE in time
    uint32_t ListViewExStyle = 0;
    ClassDetails Class;
    std::vector<PropertyEntry> Properties;  // sorted by name
    ProcessDetails Process;
    DpiDetails Dpi;
};

// Reads everything for `window`. The only message sent is LVM_GETEXTENDEDLISTVIEWSTYLE to a list
// view, with the usual time-out; everything else asks the system, never the window.
void GatherWindowDetails(HWND window, WindowDetails& details);

// Puts `bits` into the `mask` bits of one of the three style values and leaves every other bit as
// the window holds it when the write is made: a window changes its own styles (scroll bars, a
// modal dialog disabling it), and a value read earlier would undo that. The list-view one goes by
// LVM_SETEXTENDEDLISTVIEWSTYLE with the time-out; the others are read and written on a helper
// thread, as writing sends messages to the window, with a frame recalculation so the change shows.
// True when the window took it in time.
[[nodiscard]] bool WriteStyleBits(HWND window, int target, uint32_t mask, uint32_t bits);

}  // namespace lvx
