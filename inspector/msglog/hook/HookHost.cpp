// The message log's helper program: a hook DLL must match the watched program's bitness, so the
// inspector starts this program of that bitness to set the hooks. Command line: the inspector's
// process id, the watched process id and the thread ids to hook first. The hooks stay until the
// inspector signals the stop event or ends.
#include "msglog/HookInstall.h"

#include <windows.h>

#include <cstdlib>
#include <string>
#include <vector>

using namespace lvx::msglog;

namespace {

// Exit codes the inspector tells the user about.
enum HostExit : int { HostStopped = 0, HostBadArguments = 2, HostNoSection = 3, HostHookRefused = 4 };
constexpr DWORD FollowIntervalMs = 100;

std::string ProgramFolder()
{
    char path[MAX_PATH] = {};
    const DWORD length = ::GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string folder(path, length);
    return folder.substr(0, folder.find_last_of('\\') + 1);
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    std::vector<DWORD> numbers;
    for (int i = 1; i < __argc; ++i) numbers.push_back(static_cast<DWORD>(std::strtoul(__argv[i], nullptr, 10)));
    if (numbers.size() < 3) return HostBadArguments;
    const DWORD inspector = numbers[0], target = numbers[1];
    const std::vector<DWORD> threads(numbers.begin() + 2, numbers.end());

    const OpenedSection section = OpenCurrentSection(target);
    const std::optional<MessageRing>& ring = section.Ring;
    if (!ring) return HostNoSection;
    char name[64];
    FormatStopEventName(name, target);
    const lvc::unique_kernel_handle stop(::OpenEventA(SYNCHRONIZE, FALSE, name));
    const lvc::unique_kernel_handle owner(::OpenProcess(SYNCHRONIZE, FALSE, inspector));
    if (!stop || !owner) return HostBadArguments;

    InstalledHooks hooks;
    DWORD error = ERROR_SUCCESS;
    if (!hooks.Install(ProgramFolder() + HookDllName(sizeof(void*) == 8), threads, error)) return HostHookRefused;
    hooks.Publish(ring->Header());
    // Threads that the inspector adds to the section's list (a watched process's new ones) are
    // hooked as they come.
    const HANDLE ends[] = {stop.get(), owner.get()};
    while (::WaitForMultipleObjects(2, ends, FALSE, FollowIntervalMs) == WAIT_TIMEOUT) hooks.Follow(ring->Header());
    hooks.Remove();
    return HostStopped;
}
