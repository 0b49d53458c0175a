// The platform facts and actions that tests replace: family, folders, RunOnce key, restart-time list, restart.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

namespace lvu {

inline constexpr int PlatformWin95 = 1;  // the Windows 95/98/Me family
inline constexpr int PlatformNT = 2;

struct SystemSeam {
    int Win32Platform = PlatformNT;
    std::string WindowsFolder;  // ends in "\"
    std::string RootFolder;     // the folder of autoexec.bat, ends in "\"
    std::string RunOnceKey;     // textual registry path
    // Restart-time move of the NT family; an empty target deletes the source at the restart.
    std::function<bool(const std::string& source, const std::string& target)> ScheduleAtRestart;
    // The end of the session (ExitWindowsEx).
    std::function<bool(UINT flags, DWORD reason)> ExitSession;
};

// The seam in force: the real platform unless a test has put another one in place.
[[nodiscard]] const SystemSeam& Seam();
[[nodiscard]] SystemSeam RealSystemSeam();

// Puts `replacement` in force for its lifetime (tests only; not for use across threads).
class ScopedSeamOverride {
public:
    explicit ScopedSeamOverride(SystemSeam replacement);
    ~ScopedSeamOverride();
    ScopedSeamOverride(const ScopedSeamOverride&) = delete;
    ScopedSeamOverride& operator=(const ScopedSeamOverride&) = delete;

private:
    SystemSeam saved_;
};

}  // namespace lvu
