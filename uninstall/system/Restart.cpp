// The process-wide reboot-needed flag and the restart of the machine.
#include "Restart.h"

#include "Handles.h"
#include "SystemSeam.h"

#include <atomic>

namespace lvu {
namespace {

// The worker thread sets it while the main thread may look.
std::atomic<bool> RebootFlag{false};

bool EnableShutdownPrivilege()
{
    HANDLE opened = nullptr;
    if (!::OpenProcessToken(::GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY, &opened)) return false;
    const unique_kernel_handle token(opened);
    TOKEN_PRIVILEGES privileges{};
    privileges.PrivilegeCount = 1;
    privileges.Privileges[0].Attributes = SE_PRIVILEGE_ENABLED;
    if (!::LookupPrivilegeValueA(nullptr, "SeShutdownPrivilege", &privileges.Privileges[0].Luid)) return false;
    if (!::AdjustTokenPrivileges(token.get(), FALSE, &privileges, 0, nullptr, nullptr)) return false;
    // The call succeeds without enabling anything when the token lacks the privilege.
    return ::GetLastError() != ERROR_NOT_ALL_ASSIGNED;
}

}  // namespace

bool RebootNeeded()
{
    return RebootFlag.load();
}

void SetRebootNeeded()
{
    RebootFlag.store(true);
}

void ClearRebootNeeded()
{
    RebootFlag.store(false);
}

bool RestartWindows()
{
    const SystemSeam& seam = Seam();
    if (seam.Win32Platform == PlatformNT && !EnableShutdownPrivilege()) return false;
    return seam.ExitSession && seam.ExitSession(EWX_REBOOT, 0);
}

}  // namespace lvu
