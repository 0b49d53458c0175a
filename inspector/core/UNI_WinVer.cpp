// What the running system can do, read once when the program starts.
#include "UNI_WinVer.h"

#include "UNI_DLLs.h"
#include "UNI_Processes.h"

namespace lvx {

DWORD Win32Platform = 0;
DWORD Win32MajorVersion = 0;
DWORD Win32MinorVersion = 0;
bool IsNT = false;
bool HasExtendedPriorities = false;
bool CanOpenThreads = false;

void InitPlatformFlags()
{
    BindThreadEntryPoints();
    OSVERSIONINFOA version{};
    version.dwOSVersionInfoSize = sizeof version;
    if (::GetVersionExA(&version)) {
        Win32Platform = version.dwPlatformId;
        Win32MajorVersion = version.dwMajorVersion;
        Win32MinorVersion = version.dwMinorVersion;
    }
    IsNT = Win32Platform == VER_PLATFORM_WIN32_NT;
    HasExtendedPriorities = IsNT && Win32MajorVersion > 4;
    CanOpenThreads = OpenThreadEntry != nullptr || NtOpenThreadEntry != nullptr;
    BindProcessEntryPoints();
}

}  // namespace lvx
