// Installing the message log's hooks on threads of the watched program.
#include "HookInstall.h"

#include <sddl.h>

#include <algorithm>
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
    for (const DWORD thread : threads) {
        if (!HookThread(thread, error)) {
            Remove();
            return false;
        }
        tried_.push_back(thread);
    }
    return true;
}

bool InstalledHooks::HookThread(DWORD thread, DWORD& error)
{
    const struct {
        int Type;
        const char* Procedure;
    } kinds[] = {{WH_CALLWNDPROC, "LvxCallWndProc"}, {WH_CALLWNDPROCRET, "LvxCallWndRetProc"},
                 {WH_GETMESSAGE, "LvxGetMsgProc"}};
    const size_t before = hooks_.size();
    for (const auto& kind : kinds) {
        const auto procedure = reinterpret_cast<HOOKPROC>(reinterpret_cast<void*>(::GetProcAddress(dll_.get(), kind.Procedure)));
        HHOOK hook = procedure == nullptr ? nullptr : ::SetWindowsHookExA(kind.Type, procedure, dll_.get(), thread);
        if (hook == nullptr) {
            error = procedure == nullptr ? ERROR_PROC_NOT_FOUND : ::GetLastError();
            if (error == ERROR_SUCCESS) error = ERROR_ACCESS_DENIED;
            hooks_.resize(before);  // a thread is hooked whole or not at all
            return false;
        }
        hooks_.emplace_back(hook);
    }
    return true;
}

bool InstalledHooks::Follow(RingHeader& header)
{
    const uint32_t generation = std::atomic_ref<uint32_t>(header.ThreadGeneration).load(std::memory_order_acquire);
    if (!dll_ || generation == followedGeneration_) return false;
    followedGeneration_ = generation;
    const uint32_t count = std::min<uint32_t>(std::atomic_ref<uint32_t>(header.ThreadCount).load(std::memory_order_acquire),
                                              MaxWatchedThreads);
    bool added = false;
    for (uint32_t i = 0; i < count && hooks_.size() + 3 <= MaxHooks; ++i) {
        const DWORD thread = std::atomic_ref<uint32_t>(header.Threads[i]).load(std::memory_order_relaxed);
        if (thread == 0 || std::find(tried_.begin(), tried_.end(), thread) != tried_.end()) continue;
        tried_.push_back(thread);
        DWORD error = ERROR_SUCCESS;
        added = HookThread(thread, error) || added;
    }
    if (added) Publish(header);
    return added;
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
    tried_.clear();
    followedGeneration_ = 0;
    dll_.reset();
}

void InstalledHooks::Abandon()
{
    for (unique_hook& hook : hooks_) (void)hook.release();
    hooks_.clear();
    tried_.clear();
    (void)dll_.release();
}

SectionSecurity::SectionSecurity()
{
    HANDLE token = nullptr;
    if (!::OpenProcessToken(::GetCurrentProcess(), TOKEN_QUERY, &token)) return;
    const lvc::unique_kernel_handle owned(token);
    DWORD size = 0;
    ::GetTokenInformation(token, TokenUser, nullptr, 0, &size);
    std::vector<std::byte> user(size);
    char* sid = nullptr;
    if (size == 0 || !::GetTokenInformation(token, TokenUser, user.data(), size, &size) ||
        !::ConvertSidToStringSidA(reinterpret_cast<TOKEN_USER*>(user.data())->User.Sid, &sid))
        return;
    const std::string own(sid);
    ::LocalFree(sid);
    // Protected from inheritance; the current user, the user's app containers; a low mandatory
    // label with no write-up, so that a program at low integrity may write too.
    for (const std::string& text : {"D:P(A;;GA;;;" + own + ")(A;;GA;;;AC)S:(ML;;NW;;;LW)",
                                    "D:P(A;;GA;;;" + own + ")S:(ML;;NW;;;LW)", "D:P(A;;GA;;;" + own + ")"}) {
        if (::ConvertStringSecurityDescriptorToSecurityDescriptorA(text.c_str(), SDDL_REVISION_1, &descriptor_,
                                                                   nullptr))
            break;
        descriptor_ = nullptr;
    }
    attributes_.nLength = sizeof attributes_;
    attributes_.lpSecurityDescriptor = descriptor_;
    attributes_.bInheritHandle = FALSE;
}

SectionSecurity::~SectionSecurity()
{
    if (descriptor_ != nullptr) ::LocalFree(descriptor_);
}

OpenedSection OpenCurrentSection(DWORD processId)
{
    OpenedSection section;
    for (int step = 0; step < 64; ++step) {
        char name[64];
        FormatSectionName(name, processId, section.Generation);
        section.Ring.reset();
        section.View.reset();
        section.Mapping.reset(::OpenFileMappingA(FILE_MAP_READ | FILE_MAP_WRITE, FALSE, name));
        if (!section.Mapping) return section;
        section.View.reset(::MapViewOfFile(section.Mapping.get(), FILE_MAP_READ | FILE_MAP_WRITE, 0, 0, 0));
        section.Ring = MessageRing::Attach(WholeView(section.View.get()));
        if (!section.Ring) return section;
        const uint32_t successor =
            std::atomic_ref<uint32_t>(section.Ring->Header().Successor).load(std::memory_order_acquire);
        if (successor == 0 || successor == section.Generation) return section;
        section.Generation = successor;
    }
    return section;
}

std::span<std::byte> WholeView(void* view)
{
    MEMORY_BASIC_INFORMATION region{};
    if (view == nullptr || ::VirtualQuery(view, &region, sizeof region) == 0) return {};
    return {static_cast<std::byte*>(view), region.RegionSize};
}

}  // namespace lvx::msglog
