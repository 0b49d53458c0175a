// Installing the message log's hooks on threads of the watched program: used by the inspector
// for a target of its own bitness and by the helper program for one of the other bitness.
#pragma once

#include "common/UniqueHandle.h"
#include "msglog/MessageRing.h"

#include <windows.h>

#include <optional>
#include <span>
#include <string>
#include <vector>

namespace lvx::msglog {

using unique_view = lvc::unique_handle<lvc::HandleTraits<void*, ::UnmapViewOfFile>>;
using unique_hook = lvc::unique_handle<lvc::HandleTraits<HHOOK, ::UnhookWindowsHookEx>>;

// The file names, with the ring's version in them, of the hook DLL and of the helper program
// of a bitness (wide: 64-bit).
[[nodiscard]] std::string HookDllName(bool wide);
[[nodiscard]] std::string HookHostName(bool wide);

// Three hooks (sent, returned, posted) on each watched thread; removed on destruction.
class InstalledHooks {
public:
    // Loads the DLL and hooks every thread. On failure nothing stays hooked and `error` holds the
    // system's error code.
    [[nodiscard]] bool Install(const std::string& dllPath, std::span<const DWORD> threads, DWORD& error);
    // Hooks the threads the section lists that are not hooked yet (a process watch's new ones)
    // with the DLL already loaded, and publishes the hooks. A thread that refuses (it ended
    // meanwhile) is left out and not tried again. True when a hook was added.
    bool Follow(RingHeader& header);
    // Writes the hook handles into the section, so that the DLL can remove them itself once the
    // inspector is gone.
    void Publish(RingHeader& header) const;
    void Remove();
    // Lets the hooks and the DLL go without removing them, as a killed process leaves them.
    void Abandon();
    [[nodiscard]] bool Empty() const noexcept { return hooks_.empty(); }

private:
    // Three hooks on `thread`, or none (false, with the system's error code).
    bool HookThread(DWORD thread, DWORD& error);

    lvc::unique_module dll_;  // declared first: freed after the hooks are removed
    std::vector<unique_hook> hooks_;
    std::vector<DWORD> tried_;         // every thread hooked or refused, in the section's order
    uint32_t followedGeneration_ = 0;  // of the section's thread list last followed
};

// The view of a whole section, as the system sized it.
[[nodiscard]] std::span<std::byte> WholeView(void* view);

// The security of the section and of the helper's stop event: the current user may do
// everything, and the watched program, whatever its integrity level (or app container), may
// open them for writing; no other user may. Default security where the platform cannot build it.
class SectionSecurity {
public:
    SectionSecurity();
    ~SectionSecurity();
    SectionSecurity(const SectionSecurity&) = delete;
    SectionSecurity& operator=(const SectionSecurity&) = delete;
    [[nodiscard]] SECURITY_ATTRIBUTES* Attributes() { return descriptor_ != nullptr ? &attributes_ : nullptr; }

private:
    PSECURITY_DESCRIPTOR descriptor_ = nullptr;
    SECURITY_ATTRIBUTES attributes_{};
};

// A watched program's current section, opened for reading and writing: the first one of the
// program's, then each one that replaced it in turn.
struct OpenedSection {
    lvc::unique_kernel_handle Mapping;
    unique_view View;
    std::optional<MessageRing> Ring;
    uint32_t Generation = 0;
};
[[nodiscard]] OpenedSection OpenCurrentSection(DWORD processId);

}  // namespace lvx::msglog
