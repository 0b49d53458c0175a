// One watch over a window's messages: the shared section, the hooks (set here, or by the helper
// program for a target of the other bitness), the heartbeat, and reading the records.
#pragma once

#include "common/UniqueHandle.h"
#include "msglog/HookInstall.h"
#include "msglog/MessageLogText.h"
#include "msglog/MessageRing.h"

#include <windows.h>

#include <optional>
#include <thread>
#include <string>
#include <vector>

namespace lvx::msglog {

// Why a watch did not start; each has its own sentence in the log window.
enum class StartFailure {
    None,
    NoWindow,          // the handle is no window any more
    ProcessClosed,     // the system will not let us open the process (higher integrity, protected)
    NoHelper,          // the target's bitness needs a helper that is not there (or cannot exist)
    HookRefused,       // the system refused the hooks
    SectionFailed,     // the shared section could not be made, or belongs to another version
};

// Who sets the hooks: this process when the bitness allows, or always the helper program (so
// that a test can kill the process that set them).
enum class HookPlacement { Automatic, ThroughHelper };

class MessageLogSession {
public:
    MessageLogSession() = default;
    ~MessageLogSession() { Stop(); }
    MessageLogSession(const MessageLogSession&) = delete;
    MessageLogSession& operator=(const MessageLogSession&) = delete;

    // Watches `window` (and its descendants' threads of the same process when asked); the hook
    // DLLs and the helper are looked for in `folder`. Stops an earlier watch first.
    [[nodiscard]] StartFailure Start(HWND window, bool descendants, const std::string& folder,
                                     uint32_t capacity = DefaultRingCapacity,
                                     HookPlacement placement = HookPlacement::Automatic);
    // Removes the hooks (the helper's too) and lets the section go.
    void Stop();
    [[nodiscard]] bool Active() const noexcept { return ring_.has_value(); }
    void SetPaused(bool paused);

    // Appends up to `max` records to `out`; the count appended.
    size_t Poll(std::vector<LogRecord>& out, size_t max);
    [[nodiscard]] MessageRing::Counts Totals() const;
    // True when the hooks stopped this session because the heartbeat came too late (the
    // inspector did not run for seconds): nothing more will arrive.
    [[nodiscard]] bool HeartbeatLost() const;
    // Whether the platform fills in the results of returned messages (Wine leaves them 0).
    [[nodiscard]] static bool PlatformGivesResults();
    // The thread ids hooked by the current watch.
    [[nodiscard]] const std::vector<DWORD>& Threads() const noexcept { return threads_; }

    // For the tests of a killed inspector: forgets the section and the hooks without removing
    // them and without a last heartbeat, as a process that was killed leaves them.
    void AbandonForTest();

private:
    [[nodiscard]] StartFailure OpenSection(DWORD processId, uint32_t capacity);
    [[nodiscard]] StartFailure StartHelper(const std::string& path, DWORD processId);
    void StartHeartbeat();
    void StopHeartbeat();

    lvc::unique_kernel_handle mapping_;
    unique_view view_;
    std::optional<MessageRing> ring_;
    InstalledHooks hooks_;
    lvc::unique_kernel_handle stopEvent_;
    lvc::unique_kernel_handle helper_;
    // The heartbeat runs on a thread of its own: a busy user-interface thread must not look like
    // a killed inspector to the hooks.
    lvc::unique_kernel_handle heartbeatStop_;
    std::thread heartbeat_;
    std::vector<DWORD> threads_;
    std::vector<RingRecord> batch_;
    uint64_t nextSequence_ = 1;
    uint64_t timeBase_ = 0;
    uint64_t timeFrequency_ = 1;
};

}  // namespace lvx::msglog
