// Installing the message log's hooks on threads of the watched program.
#include "HookInstall.h"

#include <atomic>

namespace lvx::msglog {

std::string HookDllName(bool wide)
{
    return "lvxhook" + std::to_string(RingVersion) + (wide ? "-64.dll" : "-32.dll");
}

std::string HookHostName(bool wide)
{
    return "lvxhookhost" + std::to_string(RingVersion) + (wide ? "-64.exe" : "-32.exe");
}

bool InstalledHooks::Install(const std::string& dllPath, std::span<const DWORD> threads, DWORD& error)
{
    Remove();
    error = ERROR_SUCCESS;
    if (threads.size() * 3 > MaxHooks) {
        error = ERROR_INVALID_PARAMETER;
        return false;
    }
    dll_.reset(::LoadLibraryA(dllPath.c_str()));
    if (!dll_) {
        error = ::GetLastError();
        return false;
    }
    const struct {
        int Type;
        const char* Procedure;
    } kinds[] = {{WH_CALLWNDPROC, "LvxCallWndProc"}, {WH_CALLWNDPROCRET, "LvxCallWndRetProc"},
                 {WH_GETMESSAGE, "LvxGetMsgProc"}};
    for (const DWORD thread : threads) {
        for (const auto& kind : kinds) {
            const auto procedure = reinterpret_cast<HOOKPROC>(reinterpret_cast<void*>(::GetProcAddress(dll_.get(), kind.Procedure)));
            HHOOK hook = procedure == nullptr ? nullptr : ::SetWindowsHookExA(kind.Type, procedure, dll_.get(), thread);
            if (hook == nullptr) {
                error = procedure == nullptr ? ERROR_PROC_NOT_FOUND : ::GetLastError();
                if (error == ERROR_SUCCESS) error = ERROR_ACCESS_DENIED;
                Remove();
                return false;
            }
            hooks_.emplace_back(hook);
        }
    }
    return true;
}

void InstalledHooks::Publish(RingHeader& header) const
{
    for (size_t i = 0; i < hooks_.size(); ++i)
        std::atomic_ref<uint64_t>(header.Hooks[i]).store(reinterpret_cast<uintptr_t>(hooks_[i].get()));
    std::atomic_ref<uint32_t>(header.HookCount).store(static_cast<uint32_t>(hooks_.size()), std::memory_order_release);
}

void InstalledHooks::Remove()
{
    hooks_.clear();
    dll_.reset();
}

void InstalledHooks::Abandon()
{
    for (unique_hook& hook : hooks_) (void)hook.release();
    hooks_.clear();
    (void)dll_.release();
}

std::span<std::byte> WholeView(void* view)
{
    MEMORY_BASIC_INFORMATION region{};
    if (view == nullptr || ::VirtualQuery(view, &region, sizeof region) == 0) return {};
    return {static_cast<std::byte*>(view), region.RegionSize};
}

}  // namespace lvx::msglog
