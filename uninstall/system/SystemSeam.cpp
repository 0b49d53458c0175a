// The platform facts and actions that tests replace: family, folders, RunOnce key, restart-time list, restart.
#include "SystemSeam.h"

#include <utility>

namespace lvu {
namespace {

int DetectPlatform()
{
    OSVERSIONINFOA version{};
    version.dwOSVersionInfoSize = sizeof version;
#if defined(__GNUC__)
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
#endif
    const BOOL known = ::GetVersionExA(&version);
#if defined(__GNUC__)
#pragma GCC diagnostic pop
#endif
    return known && version.dwPlatformId == VER_PLATFORM_WIN32_WINDOWS ? PlatformWin95 : PlatformNT;
}

std::string WindowsDirectory()
{
    char folder[MAX_PATH + 1] = {};
    const UINT length = ::GetWindowsDirectoryA(folder, MAX_PATH);
    std::string text = length > 0 && length < MAX_PATH ? std::string(folder, length) : std::string("C:\\WINDOWS");
    if (text.back() != '\\') text += '\\';
    return text;
}

SystemSeam& Current()
{
    static SystemSeam seam = RealSystemSeam();
    return seam;
}

}  // namespace

SystemSeam RealSystemSeam()
{
    SystemSeam seam;
    seam.Win32Platform = DetectPlatform();
    seam.WindowsFolder = WindowsDirectory();
    seam.RootFolder = "c:\\";
    seam.RunOnceKey = "HKLM\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\RunOnce";
    seam.ScheduleAtRestart = [](const std::string& source, const std::string& target) {
        return ::MoveFileExA(source.c_str(), target.empty() ? nullptr : target.c_str(),
                             MOVEFILE_DELAY_UNTIL_REBOOT) != FALSE;
    };
    seam.ExitSession = [](UINT flags, DWORD reason) { return ::ExitWindowsEx(flags, reason) != FALSE; };
    return seam;
}

const SystemSeam& Seam()
{
    return Current();
}

ScopedSeamOverride::ScopedSeamOverride(SystemSeam replacement) : saved_(std::exchange(Current(), std::move(replacement)))
{
}

ScopedSeamOverride::~ScopedSeamOverride()
{
    Current() = std::move(saved_);
}

}  // namespace lvu
