// One watch over a window's messages: section, hooks, helper, heartbeat and reading.
#include "MessageLogSession.h"

#include "core/TextFiles.h"
#include "core/UNI_Processes.h"

#include <algorithm>
#include <atomic>
#include <utility>

namespace lvx::msglog {

namespace {

// How long a reset waits for the writers inside the ring before it takes a fresh section, and
// how long Stop waits for them before it takes the last records.
constexpr ULONGLONG WriterWaitMs = 200;
// How long an ending helper is given to remove its hooks before it is ended.
constexpr DWORD HelperExitWaitMs = 1000;
// Every how many heartbeats (of 250 ms) a process watch looks for threads among the children too.
constexpr unsigned ChildScanBeats = 40;

template <typename T>
std::atomic_ref<T> Atomic(T& value)
{
    return std::atomic_ref<T>(value);
}

struct ThreadSearch {
    DWORD ProcessId;
    std::vector<DWORD>* Threads;
};

BOOL CALLBACK AddChildThread(HWND child, LPARAM parameter)
{
    const auto& search = *reinterpret_cast<ThreadSearch*>(parameter);
    DWORD processId = 0;
    const DWORD thread = ::GetWindowThreadProcessId(child, &processId);
    // Windows of other processes among the descendants cannot share this section: left out.
    if (thread != 0 && processId == search.ProcessId &&
        std::find(search.Threads->begin(), search.Threads->end(), thread) == search.Threads->end())
        search.Threads->push_back(thread);
    return TRUE;
}

struct ProcessThreadSearch {
    ThreadSearch Threads;
    bool Children;
};

BOOL CALLBACK AddTopLevelThread(HWND window, LPARAM parameter)
{
    auto& search = *reinterpret_cast<ProcessThreadSearch*>(parameter);
    DWORD processId = 0;
    if (::GetWindowThreadProcessId(window, &processId) == 0 || processId != search.Threads.ProcessId) return TRUE;
    (void)AddChildThread(window, reinterpret_cast<LPARAM>(&search.Threads));
    // A child made on a thread of its own (rare, but allowed) makes that thread a window owner too.
    if (search.Children) ::EnumChildWindows(window, &AddChildThread, reinterpret_cast<LPARAM>(&search.Threads));
    return TRUE;
}

BOOL CALLBACK FindProcessWindow(HWND window, LPARAM parameter)
{
    auto& search = *reinterpret_cast<std::pair<DWORD, bool>*>(parameter);
    DWORD processId = 0;
    search.second = ::GetWindowThreadProcessId(window, &processId) != 0 && processId == search.first;
    return search.second ? FALSE : TRUE;
}

// Whether `thread` owns `window` or a top-level window, either of them of `processId`.
bool OwnsWindowOf(DWORD thread, DWORD processId, HWND window)
{
    DWORD owner = 0;
    if (window != nullptr && ::GetWindowThreadProcessId(window, &owner) == thread && owner == processId) return true;
    std::pair<DWORD, bool> search{processId, false};
    ::EnumThreadWindows(thread, &FindProcessWindow, reinterpret_cast<LPARAM>(&search));
    return search.second;
}

BOOL CALLBACK AddDescendant(HWND child, LPARAM parameter)
{
    reinterpret_cast<std::vector<uint64_t>*>(parameter)->push_back(reinterpret_cast<uintptr_t>(child));
    return TRUE;
}

uint32_t NewSession(uint32_t old)
{
    LARGE_INTEGER now{};
    ::QueryPerformanceCounter(&now);
    uint32_t session = static_cast<uint32_t>(now.QuadPart) ^ (::GetCurrentProcessId() << 16) ^ ::GetTickCount();
    if (session == 0 || session == old) session = old + 1 == 0 ? 1 : old + 1;
    return session;
}

// The process's start time, which tells it from a later process of the same id; 0 when unknown.
uint64_t ProcessStart(HANDLE process)
{
    FILETIME created{}, exited{}, kernel{}, user{};
    if (!::GetProcessTimes(process, &created, &exited, &kernel, &user)) return 0;
    return uint64_t{created.dwHighDateTime} << 32 | created.dwLowDateTime;
}

// Whether the inspector that holds a section still runs. One the system does not let us look
// at is taken for running: a watch is refused rather than torn from under it.
bool OwnerRuns(uint32_t processId, uint64_t start)
{
    if (processId == 0) return false;
    const lvc::unique_kernel_handle process(
        ::OpenProcess(SYNCHRONIZE | PROCESS_QUERY_LIMITED_INFORMATION, FALSE, processId));
    if (!process) return ::GetLastError() == ERROR_ACCESS_DENIED;
    if (::WaitForSingleObject(process.get(), 0) == WAIT_OBJECT_0) return false;
    const uint64_t actual = ProcessStart(process.get());
    return actual == 0 || start == 0 || actual == start;
}

void WaitForWriters(const MessageRing& ring)
{
    const ULONGLONG deadline = ::GetTickCount64() + WriterWaitMs;
    while (ring.WritersInside() && ::GetTickCount64() < deadline) ::Sleep(1);
}

}  // namespace

void PublishWatchedWindows(RingHeader& header, HWND window, std::vector<uint64_t>& known)
{
    std::vector<uint64_t> now;
    ::EnumChildWindows(window, &AddDescendant, reinterpret_cast<LPARAM>(&now));
    if (now == known) return;
    known = std::move(now);
    // Emptied first: a hook reading meanwhile finds a window missing and asks the system.
    Atomic(header.WatchedCount).store(0, std::memory_order_release);
    const size_t count = std::min(known.size(), MaxWatchedWindows);
    for (size_t i = 0; i < count; ++i) Atomic(header.WatchedWindows[i]).store(known[i], std::memory_order_relaxed);
    Atomic(header.WatchedOverflow).store(known.size() > MaxWatchedWindows ? 1 : 0, std::memory_order_relaxed);
    Atomic(header.WatchedCount).store(static_cast<uint32_t>(count), std::memory_order_release);
    Atomic(header.WatchedGeneration).fetch_add(1, std::memory_order_acq_rel);
}

void AddWindowThreads(DWORD processId, bool children, std::vector<DWORD>& threads)
{
    ProcessThreadSearch search{{processId, &threads}, children};
    ::EnumWindows(&AddTopLevelThread, reinterpret_cast<LPARAM>(&search));
    // Message-only windows are no top-level ones to EnumWindows, but their threads get messages too.
    for (HWND window = ::FindWindowExA(HWND_MESSAGE, nullptr, nullptr, nullptr); window != nullptr;
         window = ::FindWindowExA(HWND_MESSAGE, window, nullptr, nullptr))
        (void)AddTopLevelThread(window, reinterpret_cast<LPARAM>(&search));
}

void PublishThreads(RingHeader& header, const std::vector<DWORD>& threads)
{
    const uint32_t listed = Atomic(header.ThreadCount).load(std::memory_order_relaxed);
    const auto count = static_cast<uint32_t>(std::min(threads.size(), MaxWatchedThreads));
    Atomic(header.ThreadOverflow).store(threads.size() > MaxWatchedThreads ? 1 : 0, std::memory_order_relaxed);
    if (count <= listed) return;
    for (uint32_t i = listed; i < count; ++i) Atomic(header.Threads[i]).store(threads[i], std::memory_order_relaxed);
    Atomic(header.ThreadCount).store(count, std::memory_order_release);
    Atomic(header.ThreadGeneration).fetch_add(1, std::memory_order_acq_rel);
}

StartFailure MessageLogSession::Start(HWND window, bool descendants, const std::string& folder, uint32_t capacity,
                                      HookPlacement placement, DWORD helperTimeoutMs)
{
    WatchScope scope;
    scope.What = descendants ? WatchScope::Kind::Descendants : WatchScope::Kind::Window;
    scope.Window = window;
    return Start(scope, folder, capacity, placement, helperTimeoutMs);
}

StartFailure MessageLogSession::Start(const WatchScope& scope, const std::string& folder, uint32_t capacity,
                                      HookPlacement placement, DWORD helperTimeoutMs)
{
    Stop();
    scope_ = scope;
    DWORD processId = 0;
    threads_.clear();
    RingScope ringScope = RingScope::Threads;
    if (scope.What == WatchScope::Kind::Window || scope.What == WatchScope::Kind::Descendants) {
        const HWND window = scope.Window;
        const DWORD thread = ::GetWindowThreadProcessId(window, &processId);
        if (window == nullptr || !::IsWindow(window) || thread == 0) return StartFailure::NoWindow;
        threads_ = {thread};
        ringScope = RingScope::Window;
        if (scope.What == WatchScope::Kind::Descendants) {
            ThreadSearch search{processId, &threads_};
            ::EnumChildWindows(window, &AddChildThread, reinterpret_cast<LPARAM>(&search));
            ringScope = RingScope::WindowAndDescendants;
        }
    } else if (scope.What == WatchScope::Kind::Thread) {
        // The thread must still own a window of the process: its id may have gone to another one.
        if (!OwnsWindowOf(scope.ThreadId, scope.ProcessId, scope.Window)) return StartFailure::NoThreads;
        processId = scope.ProcessId;
        threads_ = {scope.ThreadId};
    } else {
        processId = scope.ProcessId;
        AddWindowThreads(processId, true, threads_);
        if (threads_.empty()) return StartFailure::NoThreads;
    }
    std::vector<DWORD> allThreads = threads_;
    if (threads_.size() > MaxWatchedThreads) threads_.resize(MaxWatchedThreads);

    const ProcessBits bits = ProcessBitness(processId);
    if (bits == ProcessBits::Unknown) return StartFailure::ProcessClosed;
    const bool targetWide = bits == ProcessBits::Bits64;
    targetWide_ = targetWide;
    constexpr bool selfWide = sizeof(void*) == 8;
    // A 32-bit inspector cannot start anything that hooks a 64-bit program.
    if (targetWide && !selfWide) return StartFailure::NoHelper;
    const bool throughHelper = targetWide != selfWide || placement == HookPlacement::ThroughHelper;
    const std::string helperPath = folder + HookHostName(targetWide);
    if (throughHelper && !FileExists(helperPath)) return StartFailure::NoHelper;

    if (const StartFailure failure = OpenSection(processId, capacity); failure != StartFailure::None) {
        Stop();
        return failure;
    }
    RingHeader& header = ring_->Header();
    Atomic(header.WatchedWindow).store(reinterpret_cast<uintptr_t>(scope.Window));
    Atomic(header.Scope).store(static_cast<uint32_t>(ringScope));
    // Window handles have 32 significant bits on both bitnesses.
    Atomic(header.ExcludedRoot).store(static_cast<uint32_t>(reinterpret_cast<uintptr_t>(scope.LeftOut)));
    // The list of an earlier watch of the section is no longer wanted.
    Atomic(header.ThreadCount).store(0);
    PublishThreads(header, allThreads);

    StartFailure failure = StartFailure::None;
    if (!throughHelper) {
        DWORD error = ERROR_SUCCESS;
        if (hooks_.Install(folder + HookDllName(selfWide), threads_, error)) {
            (void)hooks_.Follow(header);  // the list as it stands now counts as followed
            hooks_.Publish(header);
        } else {
            failure = error == ERROR_MOD_NOT_FOUND || error == ERROR_FILE_NOT_FOUND ? StartFailure::NoHelper
                                                                                     : StartFailure::HookRefused;
        }
        StartHeartbeat();
    } else {
        StartHeartbeat();
        failure = StartHelper(helperPath, processId, helperTimeoutMs);
    }
    if (failure != StartFailure::None) Stop();
    return failure;
}

StartFailure MessageLogSession::OpenSection(DWORD processId, uint32_t capacity)
{
    SectionSecurity security;
    // The program's current section: the first one, or the one that last replaced it.
    bool existed = false;
    for (int step = 0;; ++step) {
        if (step == 64) return StartFailure::SectionFailed;
        char name[64];
        FormatSectionName(name, processId, generation_);
        ring_.reset();
        view_.reset();
        mapping_.reset(::CreateFileMappingA(INVALID_HANDLE_VALUE, security.Attributes(), PAGE_READWRITE, 0,
                                            static_cast<DWORD>(RingBytes(capacity)), name));
        if (!mapping_) return StartFailure::SectionFailed;
        existed = ::GetLastError() == ERROR_ALREADY_EXISTS;
        view_.reset(::MapViewOfFile(mapping_.get(), FILE_MAP_READ | FILE_MAP_WRITE, 0, 0, 0));
        const std::span<std::byte> memory = WholeView(view_.get());
        // A section left by an earlier watch (the DLL in the target keeps it open) is taken over.
        ring_ = existed ? MessageRing::Attach(memory) : MessageRing::Format(memory, capacity, 0);
        if (!ring_) return StartFailure::SectionFailed;
        const uint32_t successor = Atomic(ring_->Header().Successor).load(std::memory_order_acquire);
        if (successor == 0 || successor == generation_) break;
        generation_ = successor;
    }
    RingHeader& header = ring_->Header();
    // Another inspector's watch goes on undisturbed; a dead one's section is taken over.
    const DWORD self = ::GetCurrentProcessId();
    const uint64_t selfStart = ProcessStart(::GetCurrentProcess());
    uint32_t owner = Atomic(header.OwnerProcess).load();
    if (owner != self && OwnerRuns(owner, Atomic(header.OwnerStart).load())) return StartFailure::WatchedElsewhere;
    if (!Atomic(header.OwnerProcess).compare_exchange_strong(owner, self)) return StartFailure::WatchedElsewhere;
    Atomic(header.OwnerStart).store(selfStart);

    ring_->SetRecording(false);
    // Hooks of an inspector that was killed: Windows removed them, Wine may not have.
    const uint32_t stale = Atomic(header.HookCount).exchange(0);
    for (uint32_t i = 0; i < stale && i < MaxHooks; ++i)
        ::UnhookWindowsHookEx(reinterpret_cast<HHOOK>(static_cast<uintptr_t>(header.Hooks[i])));
    ring_->Heartbeat(::GetTickCount64());
    LARGE_INTEGER now{}, frequency{};
    ::QueryPerformanceCounter(&now);
    ::QueryPerformanceFrequency(&frequency);
    timeBase_ = static_cast<uint64_t>(now.QuadPart);
    timeFrequency_ = static_cast<uint64_t>(frequency.QuadPart);
    session_ = NewSession(header.Session);
    // A writer of the watched program still inside the ring (suspended, or killed there) would
    // leave a slot out of step if the ring were reset under it: past a short wait, a fresh
    // section takes this one's place, and the hooks move to it.
    WaitForWriters(*ring_);
    if (existed && ring_->WritersInside()) {
        const uint32_t next = generation_ + 1;
        char name[64];
        FormatSectionName(name, processId, next);
        lvc::unique_kernel_handle mapping(::CreateFileMappingA(INVALID_HANDLE_VALUE, security.Attributes(),
                                                               PAGE_READWRITE, 0,
                                                               static_cast<DWORD>(RingBytes(capacity)), name));
        if (!mapping || ::GetLastError() == ERROR_ALREADY_EXISTS) return StartFailure::SectionFailed;
        unique_view view(::MapViewOfFile(mapping.get(), FILE_MAP_READ | FILE_MAP_WRITE, 0, 0, 0));
        auto fresh = MessageRing::Format(WholeView(view.get()), capacity, 0);
        if (!fresh) return StartFailure::SectionFailed;
        RingHeader& moved = fresh->Header();
        Atomic(moved.OwnerProcess).store(self);
        Atomic(moved.OwnerStart).store(selfStart);
        fresh->Heartbeat(::GetTickCount64());
        (void)fresh->Reset(session_, timeBase_, timeFrequency_);
        // The old one keeps telling where the hooks went; it is no one's any more.
        Atomic(header.Successor).store(next, std::memory_order_release);
        Atomic(header.OwnerProcess).store(0);
        mapping_ = std::move(mapping);
        view_ = std::move(view);
        ring_ = fresh;
        generation_ = next;
        return StartFailure::None;
    }
    (void)ring_->Reset(session_, timeBase_, timeFrequency_);
    return StartFailure::None;
}

StartFailure MessageLogSession::StartHelper(const std::string& path, DWORD processId, DWORD timeoutMs)
{
    char name[64];
    FormatStopEventName(name, processId);
    SectionSecurity security;
    stopEvent_.reset(::CreateEventA(security.Attributes(), TRUE, FALSE, name));
    if (!stopEvent_) return StartFailure::SectionFailed;
    ::ResetEvent(stopEvent_.get());
    std::string commandLine = "\"" + path + "\" " + std::to_string(::GetCurrentProcessId()) + " " +
                              std::to_string(processId);
    for (const DWORD thread : threads_) commandLine += " " + std::to_string(thread);
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION started{};
    if (!::CreateProcessA(path.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                          &started))
        return StartFailure::NoHelper;
    ::CloseHandle(started.hThread);
    helper_.reset(started.hProcess);
    // The helper tells it is ready by publishing its hooks, or ends with the reason: HookStatus.
    helperDeadline_ = ::GetTickCount64() + timeoutMs;
    hooksReady_ = false;
    return StartFailure::None;
}

std::optional<StartFailure> MessageLogSession::HookStatus()
{
    if (!ring_ || !helper_ || hooksReady_) return StartFailure::None;
    if (Atomic(ring_->Header().HookCount).load(std::memory_order_acquire) != 0) {
        hooksReady_ = true;
        return StartFailure::None;
    }
    DWORD code = 0;
    if (::WaitForSingleObject(helper_.get(), 0) == WAIT_OBJECT_0) {
        ::GetExitCodeProcess(helper_.get(), &code);
        Stop();
        return code == 3 ? StartFailure::SectionFailed : StartFailure::HookRefused;  // the helper's exit codes
    }
    if (::GetTickCount64() > helperDeadline_) {
        Stop();
        return StartFailure::HelperTimedOut;
    }
    return std::nullopt;
}

std::optional<StartFailure> MessageLogSession::WaitForHooks(DWORD timeoutMs)
{
    const ULONGLONG deadline = ::GetTickCount64() + timeoutMs;
    for (;;) {
        if (auto status = HookStatus()) return status;
        if (::GetTickCount64() > deadline) return std::nullopt;
        ::Sleep(10);
    }
}

DWORD MessageLogSession::HelperProcessId() const { return helper_ ? ::GetProcessId(helper_.get()) : 0; }

void MessageLogSession::StartHeartbeat()
{
    std::vector<uint64_t> known;
    const bool descendants = scope_.What == WatchScope::Kind::Descendants;
    const bool process = scope_.What == WatchScope::Kind::Process;
    if (descendants) PublishWatchedWindows(ring_->Header(), scope_.Window, known);
    heartbeatStop_.reset(::CreateEventA(nullptr, TRUE, FALSE, nullptr));
    if (!heartbeatStop_) return;  // then Poll keeps the heartbeat, from the user-interface thread
    // A process's threads that come to own windows are listed for hooking: by their top-level
    // and message-only windows on every beat; by the children only every ChildScanBeats (a child
    // rarely has a thread of its own, and under Wine asking 2,000 children took half a second).
    heartbeat_ = std::thread([ring = *ring_, stop = heartbeatStop_.get(), window = scope_.Window, descendants, process,
                              processId = scope_.ProcessId, threads = threads_, known = std::move(known)]() mutable {
        for (unsigned beat = 1;; ++beat) {
            ring.Heartbeat(::GetTickCount64());
            if (descendants) PublishWatchedWindows(ring.Header(), window, known);
            if (process) {
                AddWindowThreads(processId, beat % ChildScanBeats == 0, threads);
                PublishThreads(ring.Header(), threads);
            }
            if (::WaitForSingleObject(stop, 250) != WAIT_TIMEOUT) break;
        }
    });
}

void MessageLogSession::StopHeartbeat()
{
    if (heartbeat_.joinable()) {
        ::SetEvent(heartbeatStop_.get());
        heartbeat_.join();
    }
    heartbeatStop_.reset();
}

bool MessageLogSession::Ours() const
{
    if (!ring_) return false;
    RingHeader& header = ring_->Header();
    return Atomic(header.Session).load() == session_ && Atomic(header.OwnerProcess).load() == ::GetCurrentProcessId();
}

void MessageLogSession::EndHelper()
{
    if (!helper_) return;
    // Told to stop, it removes its hooks; one that does not answer is ended (under Wine its hooks
    // then go once the heartbeat stops).
    if (stopEvent_) ::SetEvent(stopEvent_.get());
    if (::WaitForSingleObject(helper_.get(), HelperExitWaitMs) != WAIT_OBJECT_0) {
        ::TerminateProcess(helper_.get(), 1);
        ::WaitForSingleObject(helper_.get(), HelperExitWaitMs);
    }
    helper_.reset();
}

void MessageLogSession::Stop(std::vector<LogRecord>* rest)
{
    const bool ours = Ours();
    if (ours) {
        // Off first, then the writers still inside are waited for: what they wrote is taken too.
        ring_->SetRecording(false);
        WaitForWriters(*ring_);
        if (rest != nullptr) Poll(*rest, SIZE_MAX);
    }
    if (ring_) {
        lastTotals_ = ring_->Totals();
        numberBase_ += lastTotals_.Attempted;
    }
    StopHeartbeat();
    hooks_.Remove();
    EndHelper();
    stopEvent_.reset();
    if (ours) {
        Atomic(ring_->Header().HookCount).store(0);
        uint32_t self = ::GetCurrentProcessId();
        Atomic(ring_->Header().OwnerProcess).compare_exchange_strong(self, 0);
    }
    ring_.reset();
    view_.reset();
    mapping_.reset();
    generation_ = 0;
    hooksReady_ = false;
}

void MessageLogSession::AbandonForTest()
{
    StopHeartbeat();
    hooks_.Abandon();
    if (helper_) ::TerminateProcess(helper_.get(), 1);
    helper_.reset();
    stopEvent_.reset();
    ring_.reset();
    view_.reset();
    mapping_.reset();
    generation_ = 0;
}

void MessageLogSession::SetPaused(bool paused)
{
    if (Ours()) ring_->SetRecording(!paused);
}

bool MessageLogSession::Paused() const { return ring_ && !ring_->Recording(); }

size_t MessageLogSession::WatchedThreadCount() const
{
    return ring_ ? Atomic(ring_->Header().ThreadCount).load(std::memory_order_acquire) : threads_.size();
}

bool MessageLogSession::ThreadsLeftOut() const
{
    return ring_ && Atomic(ring_->Header().ThreadOverflow).load(std::memory_order_relaxed) != 0;
}

size_t MessageLogSession::Poll(std::vector<LogRecord>& out, size_t max)
{
    if (!ring_) return 0;
    ring_->Heartbeat(::GetTickCount64());
    // Threads the heartbeat listed since (a watched process's new ones): hooked from here, the
    // thread that set the others, unless the helper sets them.
    if (!hooks_.Empty()) (void)hooks_.Follow(ring_->Header());
    batch_.resize(std::min<size_t>(max, 4096));
    size_t total = 0;
    while (total < max) {
        const size_t count = ring_->Read(std::span(batch_).first(std::min(batch_.size(), max - total)));
        for (size_t i = 0; i < count; ++i)
            out.push_back(ToLogRecord(batch_[i], numberBase_ + batch_[i].Number, timeBase_, timeFrequency_));
        total += count;
        if (count == 0) break;
    }
    return total;
}

MessageRing::Counts MessageLogSession::Totals() const { return ring_ ? ring_->Totals() : lastTotals_; }

bool MessageLogSession::HeartbeatLost() const
{
    if (!ring_) return false;
    RingHeader& header = ring_->Header();
    const uint32_t lost = Atomic(header.HeartbeatLost).load();
    return lost != 0 && lost == Atomic(header.Session).load();
}

bool MessageLogSession::PlatformGivesResults()
{
    const HMODULE ntdll = ::GetModuleHandleA("ntdll.dll");
    return ntdll == nullptr || ::GetProcAddress(ntdll, "wine_get_version") == nullptr;
}

}  // namespace lvx::msglog
