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

// Why a watch did not start (or ended while the helper was setting the hooks); each has its own
// sentence in the log window.
enum class StartFailure {
    None,
    NoWindow,          // the handle is no window any more
    NoThreads,         // the thread or process has ended, or owns no window
    ProcessClosed,     // the system will not let us open the process (higher integrity, protected)
    NoHelper,          // the target's bitness needs a helper that is not there (or cannot exist)
    HookRefused,       // the system refused the hooks
    SectionFailed,     // the shared section could not be made, or belongs to another version
    WatchedElsewhere,  // another inspector that still runs watches this program
    HelperTimedOut,    // the helper did not set the hooks in time: it was told to stop and ended
};

// What a watch covers: a window (and its descendants), or every window of a thread or of a
// process, thread messages without a window included.
struct WatchScope {
    enum class Kind { Window, Descendants, Thread, Process };
    Kind What = Kind::Window;
    HWND Window = nullptr;  // the watched window; of a thread or process, one of its windows or null
    DWORD ThreadId = 0;     // of a thread watch
    DWORD ProcessId = 0;    // of a thread or process watch
    // A top-level window of the watched thread whose messages, its descendants' and those of the
    // windows it owns are left out (the log window, when it watches a thread of its own program).
    HWND LeftOut = nullptr;
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
    // DLLs and the helper are looked for in `folder`. Stops an earlier watch first. Through the
    // helper, the hooks are set after Start returns: HookStatus tells when, and a helper that has
    // not set them within `helperTimeoutMs` is told to stop and ended.
    [[nodiscard]] StartFailure Start(HWND window, bool descendants, const std::string& folder,
                                     uint32_t capacity = DefaultRingCapacity,
                                     HookPlacement placement = HookPlacement::Automatic,
                                     DWORD helperTimeoutMs = 15000);
    // Watches `scope`. A process watch hooks the threads that own windows now, and those that
    // come to own one while it runs (up to MaxWatchedThreads: ThreadsLeftOut tells).
    [[nodiscard]] StartFailure Start(const WatchScope& scope, const std::string& folder,
                                     uint32_t capacity = DefaultRingCapacity,
                                     HookPlacement placement = HookPlacement::Automatic,
                                     DWORD helperTimeoutMs = 15000);
    // Never waits: nothing while the helper is still setting the hooks, None once they are set,
    // otherwise why the watch ended (it is stopped then).
    [[nodiscard]] std::optional<StartFailure> HookStatus();
    // HookStatus until it is known or `timeoutMs` passed (then nothing).
    [[nodiscard]] std::optional<StartFailure> WaitForHooks(DWORD timeoutMs);
    // Switches recording off, waits for the writers inside the ring, appends what is left in it
    // to `rest` (when given), then removes the hooks (the helper's too) and lets the section go.
    void Stop(std::vector<LogRecord>* rest = nullptr);
    [[nodiscard]] bool Active() const noexcept { return ring_.has_value(); }
    void SetPaused(bool paused);
    [[nodiscard]] bool Paused() const;

    // Appends up to `max` records to `out`; the count appended. A record's number is the
    // writer's: a gap is where records were lost, and numbers go on from one watch to the next.
    size_t Poll(std::vector<LogRecord>& out, size_t max);
    // The counts of the current watch, or of the last one once it is stopped.
    [[nodiscard]] MessageRing::Counts Totals() const;
    // True when the hooks stopped this session because the heartbeat came too late (the
    // inspector did not run for seconds): nothing more will arrive.
    [[nodiscard]] bool HeartbeatLost() const;
    // Whether the platform fills in the results of returned messages (Wine leaves them 0).
    [[nodiscard]] static bool PlatformGivesResults();
    // The thread ids hooked when the current watch started.
    [[nodiscard]] const std::vector<DWORD>& Threads() const noexcept { return threads_; }
    // The threads the current watch wants hooked now (a process watch's grow), and whether more
    // own windows than can be hooked.
    [[nodiscard]] size_t WatchedThreadCount() const;
    [[nodiscard]] bool ThreadsLeftOut() const;
    [[nodiscard]] const WatchScope& Scope() const noexcept { return scope_; }
    // Whether the watched program is 64-bit (its parameters are as wide).
    [[nodiscard]] bool TargetWide() const noexcept { return targetWide_; }
    // The helper program's process id while it runs, 0 otherwise.
    [[nodiscard]] DWORD HelperProcessId() const;

    // For the tests of a killed inspector: forgets the section and the hooks without removing
    // them and without a last heartbeat, as a process that was killed leaves them.
    void AbandonForTest();

private:
    [[nodiscard]] StartFailure OpenSection(DWORD processId, uint32_t capacity);
    [[nodiscard]] StartFailure StartHelper(const std::string& path, DWORD processId, DWORD timeoutMs);
    void StartHeartbeat();
    void StopHeartbeat();
    void EndHelper();
    [[nodiscard]] bool Ours() const;

    lvc::unique_kernel_handle mapping_;
    unique_view view_;
    std::optional<MessageRing> ring_;
    uint32_t generation_ = 0;  // of the section mapped
    uint32_t session_ = 0;
    InstalledHooks hooks_;
    lvc::unique_kernel_handle stopEvent_;
    lvc::unique_kernel_handle helper_;
    ULONGLONG helperDeadline_ = 0;
    bool hooksReady_ = false;
    // The heartbeat runs on a thread of its own: a busy user-interface thread must not look like
    // a killed inspector to the hooks. It keeps the list of watched descendants current too.
    lvc::unique_kernel_handle heartbeatStop_;
    std::thread heartbeat_;
    std::vector<DWORD> threads_;
    WatchScope scope_;
    bool targetWide_ = sizeof(void*) == 8;
    std::vector<RingRecord> batch_;
    MessageRing::Counts lastTotals_;
    uint64_t numberBase_ = 0;  // added to the writers' numbers: the watches before this one
    uint64_t timeBase_ = 0;
    uint64_t timeFrequency_ = 1;
};

// Adds to `threads` the threads of `processId` that own a top-level or message-only window (and,
// with `children`, a child window of the process's top-level ones) that it does not hold yet.
void AddWindowThreads(DWORD processId, bool children, std::vector<DWORD>& threads);
// Writes `threads` (the first MaxWatchedThreads) into the section as the threads to hook. The list
// only grows: the ones after those the section lists already are added.
void PublishThreads(RingHeader& header, const std::vector<DWORD>& threads);

// The descendants of `window` as the hooks compare them (the first MaxWatchedWindows), written
// into the section when they changed since `known`, which is updated.
void PublishWatchedWindows(RingHeader& header, HWND window, std::vector<uint64_t>& known);

}  // namespace lvx::msglog
