// The hook DLL of the message log. The system loads it into the watched program and calls its
// hook procedures there, on the watched threads; each call copies one message into the shared
// ring and returns. It never waits, never allocates on those threads after the first call, sends
// nothing back, and removes its hooks itself once the inspector's heartbeat stops.
#include "msglog/MessageRing.h"

#include <windows.h>

#include <atomic>
#include <iterator>

using namespace lvx::msglog;

static_assert(LVX_HOOK_VERSION == RingVersion, "the DLL's file name carries the ring's version");

namespace {

// A section this DLL mapped and no longer writes to (one that was replaced): another hooked
// thread may still be inside it, so it is let go only when the DLL is freed.
struct MappedSection {
    std::atomic<void*> View{nullptr};
    std::atomic<HANDLE> Mapping{nullptr};
};
constexpr size_t MaxRetired = 4;

// The DLL's state in the watched process. It cannot live anywhere but in the module: hook
// procedures get no context. The view is kept while the DLL is loaded, because another hooked
// thread may be writing through it at any moment; so is the section's handle, because the
// section's name lasts only as long as a handle does: with it, the next inspector opens this
// very section and starts its session there, instead of making a new one that this DLL would
// never see.
struct HookState {
    std::atomic<RingHeader*> view{nullptr};
    std::atomic<HANDLE> mapping{nullptr};
    std::atomic<uint32_t> capacity{0};          // checked once, when the view was mapped
    std::atomic<uint32_t> generation{0};        // of the section mapped
    std::atomic<bool> opening{false};           // one thread opens a section at a time
    std::atomic<uint64_t> nextOpenTry{0};       // after a failed open, the tick count of the next try
    std::atomic<uint32_t> stoppedSession{0};    // the session whose heartbeat stopped
    MappedSection retired[MaxRetired];
    // Windows found not to be descendants of the watched one, for the watched list's generation
    // in the high half: one comparison instead of a call into the system for each message.
    std::atomic<uint64_t> notWatched[16];
};
HookState State;

constexpr uint64_t OpenRetryMs = 1000;

void Retire(RingHeader* view, HANDLE mapping)
{
    for (MappedSection& slot : State.retired) {
        void* empty = nullptr;
        if (slot.View.compare_exchange_strong(empty, view)) {
            slot.Mapping.store(mapping);
            return;
        }
    }
    // More replacements than places: kept mapped for good rather than pulled from under a writer.
}

// Opens the section of `generation` (on a hooked call, never in DllMain: the loader lock must
// not be held while the system opens kernel objects) and makes it the one written to. On
// failure (no section yet, no access, another version) nothing changes, and no thread tries
// again for a second: a watched program must not pay for a failing open on every message.
bool OpenSection(uint32_t generation)
{
    const uint64_t now = ::GetTickCount64();
    if (now < State.nextOpenTry.load(std::memory_order_relaxed)) return false;
    bool idle = false;
    if (!State.opening.compare_exchange_strong(idle, true)) return false;  // another thread is at it
    char name[64];
    FormatSectionName(name, ::GetCurrentProcessId(), generation);
    const HANDLE mapping = ::OpenFileMappingA(FILE_MAP_READ | FILE_MAP_WRITE, FALSE, name);
    void* mapped = mapping == nullptr ? nullptr : ::MapViewOfFile(mapping, FILE_MAP_READ | FILE_MAP_WRITE, 0, 0, 0);
    MEMORY_BASIC_INFORMATION region{};
    std::optional<MessageRing> ring;
    if (mapped != nullptr && ::VirtualQuery(mapped, &region, sizeof region) != 0)
        ring = MessageRing::Attach({static_cast<std::byte*>(mapped), region.RegionSize});
    if (!ring) {
        if (mapped != nullptr) ::UnmapViewOfFile(mapped);
        if (mapping != nullptr) ::CloseHandle(mapping);
        State.nextOpenTry.store(now + OpenRetryMs, std::memory_order_relaxed);
        State.opening.store(false);
        return false;
    }
    State.capacity.store(ring->Capacity(), std::memory_order_release);
    State.generation.store(generation, std::memory_order_release);
    RingHeader* old = State.view.exchange(static_cast<RingHeader*>(mapped), std::memory_order_acq_rel);
    const HANDLE oldMapping = State.mapping.exchange(mapping);
    if (old != nullptr) Retire(old, oldMapping);
    State.opening.store(false);
    return true;
}

std::optional<MessageRing> Ring()
{
    for (int step = 0; step < 4; ++step) {
        RingHeader* view = State.view.load(std::memory_order_acquire);
        if (view == nullptr) {
            if (!OpenSection(0)) return std::nullopt;
            continue;
        }
        const uint32_t capacity = State.capacity.load(std::memory_order_acquire);
        auto ring = MessageRing::Attach({reinterpret_cast<std::byte*>(view), RingBytes(capacity)});
        if (!ring) return std::nullopt;
        // Replaced by a fresh section: the hooks follow it.
        const uint32_t successor = std::atomic_ref<uint32_t>(view->Successor).load(std::memory_order_acquire);
        if (successor == 0 || successor == State.generation.load(std::memory_order_acquire) || !OpenSection(successor))
            return ring;
    }
    return std::nullopt;
}

// The inspector is gone (killed, most likely): stop for this session and remove every hook it
// set, so that the watched program runs as before. Windows removes them itself when the
// installing process ends; Wine does not.
void StopForGoodness(RingHeader& header, uint32_t session)
{
    uint32_t previous = State.stoppedSession.load();
    if (previous == session || !State.stoppedSession.compare_exchange_strong(previous, session)) return;
    std::atomic_ref<uint32_t>(header.HeartbeatLost).store(session);
    const uint32_t count = std::atomic_ref<uint32_t>(header.HookCount).load();
    for (uint32_t i = 0; i < count && i < MaxHooks; ++i)
        ::UnhookWindowsHookEx(reinterpret_cast<HHOOK>(static_cast<uintptr_t>(header.Hooks[i])));
}

// The inspector watching its own thread leaves out its log window: found by the window's root
// and that root's owner (the log's tool tips and drop-downs).
bool Excluded(RingHeader& header, HWND window)
{
    const uint32_t excluded = std::atomic_ref<uint32_t>(header.ExcludedRoot).load(std::memory_order_relaxed);
    if (excluded == 0 || window == nullptr) return false;
    const HWND root = ::GetAncestor(window, GA_ROOT);
    const auto value = [](HWND handle) { return static_cast<uint32_t>(reinterpret_cast<uintptr_t>(handle)); };
    return value(root) == excluded || value(::GetWindow(root, GW_OWNER)) == excluded;
}

bool Watched(RingHeader& header, HWND window)
{
    const auto scope = static_cast<RingScope>(std::atomic_ref<uint32_t>(header.Scope).load(std::memory_order_relaxed));
    // Only the watched threads are hooked: all they see is watched.
    if (scope == RingScope::Threads) return !Excluded(header, window);
    const auto value = static_cast<uint64_t>(reinterpret_cast<uintptr_t>(window));
    if (value == std::atomic_ref<uint64_t>(header.WatchedWindow).load(std::memory_order_relaxed)) return true;
    if (scope != RingScope::WindowAndDescendants) return false;
    const uint32_t count = std::atomic_ref<uint32_t>(header.WatchedCount).load(std::memory_order_acquire);
    for (uint32_t i = 0; i < count && i < MaxWatchedWindows; ++i)
        if (std::atomic_ref<uint64_t>(header.WatchedWindows[i]).load(std::memory_order_relaxed) == value) return true;
    // Not listed: a descendant made since the inspector last listed them, or no descendant at
    // all. The system is asked once per window and list; the answer "no" is remembered.
    const uint64_t generation = std::atomic_ref<uint32_t>(header.WatchedGeneration).load(std::memory_order_acquire);
    const uint64_t key = generation << 32 | (value & 0xFFFFFFFFu);  // window handles have 32 significant bits
    std::atomic<uint64_t>& remembered = State.notWatched[(value >> 1) % std::size(State.notWatched)];
    if (remembered.load(std::memory_order_relaxed) == key) return false;
    const auto watched = reinterpret_cast<HWND>(
        static_cast<uintptr_t>(std::atomic_ref<uint64_t>(header.WatchedWindow).load(std::memory_order_relaxed)));
    if (::IsChild(watched, window)) return true;
    remembered.store(key, std::memory_order_relaxed);
    return false;
}

void Record(HWND window, UINT message, WPARAM wParam, LPARAM lParam, LRESULT result, RecordKind kind)
{
    std::optional<MessageRing> ring = Ring();
    if (!ring) return;
    RingHeader& header = ring->Header();
    const uint32_t session = std::atomic_ref<uint32_t>(header.Session).load(std::memory_order_acquire);
    if (session == State.stoppedSession.load(std::memory_order_relaxed)) return;
    // Before anything else, paused or not: a killed inspector's hooks must go either way.
    if (ring->HeartbeatStale(::GetTickCount64())) {
        StopForGoodness(header, session);
        return;
    }
    if (!ring->Recording() || !Watched(header, window)) return;
    RecordFields fields;
    LARGE_INTEGER now{};
    ::QueryPerformanceCounter(&now);
    fields.Time = static_cast<uint64_t>(now.QuadPart);
    fields.Window = reinterpret_cast<uintptr_t>(window);
    fields.Message = message;
    fields.WParam = static_cast<uintptr_t>(wParam);
    fields.LParam = static_cast<uintptr_t>(lParam);
    fields.Result = static_cast<uintptr_t>(result);
    fields.Kind = kind;
    fields.Flags = sizeof(void*) == 8 ? RecordFromWideTarget : 0;
    // A parameter is read only where it points into this process for sure: the system copies a
    // WM_SETTEXT text into the receiver, but not a WM_NOTIFY header, which is the sender's
    // pointer unless this very thread sent it (any program may send anything to any window).
    if (kind != RecordKind::Posted && lParam != 0) {
        if (message == WM_NOTIFY) {
            if (::InSendMessageEx(nullptr) == ISMEX_NOSEND) {
                fields.NotifyCode = static_cast<int32_t>(reinterpret_cast<const NMHDR*>(lParam)->code);
                fields.Flags |= RecordHasNotifyCode;
            }
        } else if (message == WM_SETTEXT) {
            fields.Text = reinterpret_cast<const char*>(lParam);
            fields.Flags |= RecordHasText;
        }
    }
    (void)ring->Write(fields);
}

void Unmap(void* view, HANDLE mapping)
{
    if (view != nullptr) ::UnmapViewOfFile(view);
    if (mapping != nullptr) ::CloseHandle(mapping);
}

}  // namespace

extern "C" {

// Freed (its hooks are gone, the system unloads it): the views and the handles go with it, or
// every watch would leave a section behind in the watched program. Never at the process's exit
// (reserved not null): other threads were stopped anywhere, and the system frees everything anyway.
BOOL WINAPI DllMain(HINSTANCE, DWORD reason, LPVOID reserved)
{
    if (reason == DLL_PROCESS_DETACH && reserved == nullptr) {
        Unmap(State.view.exchange(nullptr), State.mapping.exchange(nullptr));
        for (MappedSection& slot : State.retired) Unmap(slot.View.exchange(nullptr), slot.Mapping.exchange(nullptr));
    }
    return TRUE;
}

__declspec(dllexport) LRESULT CALLBACK LvxCallWndProc(int code, WPARAM wParam, LPARAM lParam)
{
    if (code == HC_ACTION) {
        const auto* call = reinterpret_cast<const CWPSTRUCT*>(lParam);
        Record(call->hwnd, call->message, call->wParam, call->lParam, 0, RecordKind::Sent);
    }
    return ::CallNextHookEx(nullptr, code, wParam, lParam);
}

__declspec(dllexport) LRESULT CALLBACK LvxCallWndRetProc(int code, WPARAM wParam, LPARAM lParam)
{
    if (code == HC_ACTION) {
        const auto* call = reinterpret_cast<const CWPRETSTRUCT*>(lParam);
        Record(call->hwnd, call->message, call->wParam, call->lParam, call->lResult, RecordKind::Returned);
    }
    return ::CallNextHookEx(nullptr, code, wParam, lParam);
}

__declspec(dllexport) LRESULT CALLBACK LvxGetMsgProc(int code, WPARAM wParam, LPARAM lParam)
{
    // A message only looked at (PM_NOREMOVE) comes again when it is taken: recorded then.
    if (code == HC_ACTION && wParam == PM_REMOVE) {
        const auto* message = reinterpret_cast<const MSG*>(lParam);
        Record(message->hwnd, message->message, message->wParam, message->lParam, 0, RecordKind::Posted);
    }
    return ::CallNextHookEx(nullptr, code, wParam, lParam);
}

}  // extern "C"
