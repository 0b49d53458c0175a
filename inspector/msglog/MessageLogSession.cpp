// One watch over a window's messages: section, hooks, helper, heartbeat and reading.
#include "MessageLogSession.h"

#include "core/TextFiles.h"
#include "core/UNI_Processes.h"

#include <algorithm>
#include <atomic>

namespace lvx::msglog {

namespace {

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

uint32_t NewSession(uint32_t old)
{
    LARGE_INTEGER now{};
    ::QueryPerformanceCounter(&now);
    uint32_t session = static_cast<uint32_t>(now.QuadPart) ^ (::GetCurrentProcessId() << 16) ^ ::GetTickCount();
    if (session == 0 || session == old) session = old + 1 == 0 ? 1 : old + 1;
    return session;
}

}  // namespace

StartFailure MessageLogSession::Start(HWND window, bool descendants, const std::string& folder, uint32_t capacity,
                                      HookPlacement placement)
{
    Stop();
    DWORD processId = 0;
    const DWORD thread = ::GetWindowThreadProcessId(window, &processId);
    if (window == nullptr || !::IsWindow(window) || thread == 0) return StartFailure::NoWindow;
    threads_ = {thread};
    if (descendants) {
        ThreadSearch search{processId, &threads_};
        ::EnumChildWindows(window, &AddChildThread, reinterpret_cast<LPARAM>(&search));
    }
    if (threads_.size() * 3 > MaxHooks) threads_.resize(MaxHooks / 3);

    const ProcessBits bits = ProcessBitness(processId);
    if (bits == ProcessBits::Unknown) return StartFailure::ProcessClosed;
    const bool targetWide = bits == ProcessBits::Bits64;
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
    StartHeartbeat();
    RingHeader& header = ring_->Header();
    std::atomic_ref<uint64_t>(header.WatchedWindow).store(reinterpret_cast<uintptr_t>(window));
    std::atomic_ref<uint32_t>(header.WatchDescendants).store(descendants ? 1 : 0);

    StartFailure failure = StartFailure::None;
    if (!throughHelper) {
        DWORD error = ERROR_SUCCESS;
        if (hooks_.Install(folder + HookDllName(selfWide), threads_, error))
            hooks_.Publish(header);
        else
            failure = error == ERROR_MOD_NOT_FOUND || error == ERROR_FILE_NOT_FOUND ? StartFailure::NoHelper
                                                                                     : StartFailure::HookRefused;
    } else {
        failure = StartHelper(helperPath, processId);
    }
    if (failure != StartFailure::None) Stop();
    return failure;
}

StartFailure MessageLogSession::OpenSection(DWORD processId, uint32_t capacity)
{
    char name[64];
    FormatSectionName(name, processId);
    mapping_.reset(::CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0,
                                        static_cast<DWORD>(RingBytes(capacity)), name));
    if (!mapping_) return StartFailure::SectionFailed;
    const bool existed = ::GetLastError() == ERROR_ALREADY_EXISTS;
    view_.reset(::MapViewOfFile(mapping_.get(), FILE_MAP_READ | FILE_MAP_WRITE, 0, 0, 0));
    const std::span<std::byte> memory = WholeView(view_.get());
    // A section left by an earlier watch (the DLL in the target keeps it open) is taken over.
    ring_ = existed ? MessageRing::Attach(memory) : MessageRing::Format(memory, capacity, 0);
    if (!ring_) return StartFailure::SectionFailed;
    RingHeader& header = ring_->Header();
    ring_->SetRecording(false);
    // Hooks of an inspector that was killed: Windows removed them, Wine may not have.
    const uint32_t stale = std::atomic_ref<uint32_t>(header.HookCount).exchange(0);
    for (uint32_t i = 0; i < stale && i < MaxHooks; ++i)
        ::UnhookWindowsHookEx(reinterpret_cast<HHOOK>(static_cast<uintptr_t>(header.Hooks[i])));
    ring_->Heartbeat(::GetTickCount64());
    LARGE_INTEGER now{}, frequency{};
    ::QueryPerformanceCounter(&now);
    ::QueryPerformanceFrequency(&frequency);
    timeBase_ = static_cast<uint64_t>(now.QuadPart);
    timeFrequency_ = static_cast<uint64_t>(frequency.QuadPart);
    nextSequence_ = 1;
    // Writers of the watched program still inside the ring are waited for, a second at most.
    (void)ring_->Reset(NewSession(header.Session), timeBase_, timeFrequency_, 1000, [] { ::Sleep(1); });
    return StartFailure::None;
}

StartFailure MessageLogSession::StartHelper(const std::string& path, DWORD processId)
{
    char name[64];
    FormatStopEventName(name, processId);
    stopEvent_.reset(::CreateEventA(nullptr, TRUE, FALSE, name));
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
    // The helper tells it is ready by publishing its hooks, or ends with the reason.
    const ULONGLONG deadline = ::GetTickCount64() + 15000;
    while (std::atomic_ref<uint32_t>(ring_->Header().HookCount).load(std::memory_order_acquire) == 0) {
        if (::WaitForSingleObject(helper_.get(), 20) == WAIT_OBJECT_0 || ::GetTickCount64() > deadline) {
            helper_.reset();
            return StartFailure::HookRefused;
        }
        ring_->Heartbeat(::GetTickCount64());
    }
    return StartFailure::None;
}

void MessageLogSession::StartHeartbeat()
{
    heartbeatStop_.reset(::CreateEventA(nullptr, TRUE, FALSE, nullptr));
    if (!heartbeatStop_) return;  // then Poll keeps the heartbeat, from the user-interface thread
    heartbeat_ = std::thread([ring = *ring_, stop = heartbeatStop_.get()]() mutable {
        do ring.Heartbeat(::GetTickCount64());
        while (::WaitForSingleObject(stop, 250) == WAIT_TIMEOUT);
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

void MessageLogSession::Stop()
{
    StopHeartbeat();
    if (ring_) ring_->SetRecording(false);
    hooks_.Remove();
    if (helper_) {
        ::SetEvent(stopEvent_.get());
        if (::WaitForSingleObject(helper_.get(), 5000) != WAIT_OBJECT_0) ::TerminateProcess(helper_.get(), 1);
        helper_.reset();
    }
    stopEvent_.reset();
    if (ring_) std::atomic_ref<uint32_t>(ring_->Header().HookCount).store(0);
    ring_.reset();
    view_.reset();
    mapping_.reset();
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
}

void MessageLogSession::SetPaused(bool paused)
{
    if (ring_) ring_->SetRecording(!paused);
}

size_t MessageLogSession::Poll(std::vector<LogRecord>& out, size_t max)
{
    if (!ring_) return 0;
    ring_->Heartbeat(::GetTickCount64());
    batch_.resize(std::min<size_t>(max, 4096));
    size_t total = 0;
    while (total < max) {
        const size_t count = ring_->Read(std::span(batch_).first(std::min(batch_.size(), max - total)));
        for (size_t i = 0; i < count; ++i)
            out.push_back(ToLogRecord(batch_[i], nextSequence_++, timeBase_, timeFrequency_));
        total += count;
        if (count == 0) break;
    }
    return total;
}

MessageRing::Counts MessageLogSession::Totals() const { return ring_ ? ring_->Totals() : MessageRing::Counts{}; }

bool MessageLogSession::HeartbeatLost() const
{
    if (!ring_) return false;
    RingHeader& header = ring_->Header();
    const uint32_t lost = std::atomic_ref<uint32_t>(header.HeartbeatLost).load();
    return lost != 0 && lost == std::atomic_ref<uint32_t>(header.Session).load();
}

bool MessageLogSession::PlatformGivesResults()
{
    const HMODULE ntdll = ::GetModuleHandleA("ntdll.dll");
    return ntdll == nullptr || ::GetProcAddress(ntdll, "wine_get_version") == nullptr;
}

}  // namespace lvx::msglog
