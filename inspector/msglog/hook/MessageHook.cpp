// The hook DLL of the message log. The system loads it into the watched program and calls its
// hook procedures there, on the watched threads; each call copies one message into the shared
// ring and returns. It never waits, never allocates on those threads after the first call, sends
// nothing back, and removes its hooks itself once the inspector's heartbeat stops.
#include "msglog/MessageRing.h"

#include <windows.h>

#include <atomic>

using namespace lvx::msglog;

static_assert(LVX_HOOK_VERSION == RingVersion, "the DLL's file name carries the ring's version");

namespace {

// The DLL's state in the watched process. It cannot live anywhere but in the module: hook
// procedures get no context. The view, once mapped, is kept until the process ends, because
// another hooked thread may be writing through it at any moment; so is the section's handle,
// because the section's name lasts only as long as a handle does: with it, the next inspector
// opens this very section and starts its session there, instead of making a new one that this
// DLL would never see.
struct HookState {
    std::atomic<RingHeader*> view{nullptr};
    std::atomic<uint32_t> capacity{0};        // checked once, when the view was mapped
    std::atomic<bool> sectionMissing{false};
    std::atomic<uint32_t> stoppedSession{0};  // the session whose heartbeat stopped
};
HookState State;

// Opens the section on the first hooked call, never in DllMain: the loader lock must not be
// held while the system opens kernel objects. A section that is not a ring of this version is
// left alone for good.
std::optional<MessageRing> OpenRing()
{
    char name[64];
    FormatSectionName(name, ::GetCurrentProcessId());
    const HANDLE mapping = ::OpenFileMappingA(FILE_MAP_READ | FILE_MAP_WRITE, FALSE, name);
    if (mapping == nullptr) {
        State.sectionMissing.store(true, std::memory_order_relaxed);
        return std::nullopt;
    }
    void* mapped = ::MapViewOfFile(mapping, FILE_MAP_READ | FILE_MAP_WRITE, 0, 0, 0);
    MEMORY_BASIC_INFORMATION region{};
    std::optional<MessageRing> ring;
    if (mapped != nullptr && ::VirtualQuery(mapped, &region, sizeof region) != 0)
        ring = MessageRing::Attach({static_cast<std::byte*>(mapped), region.RegionSize});
    if (!ring) {
        if (mapped != nullptr) ::UnmapViewOfFile(mapped);
        ::CloseHandle(mapping);
        State.sectionMissing.store(true, std::memory_order_relaxed);
        return std::nullopt;
    }
    RingHeader* expected = nullptr;
    if (!State.view.compare_exchange_strong(expected, static_cast<RingHeader*>(mapped))) {
        ::UnmapViewOfFile(mapped);  // another thread was first
        ::CloseHandle(mapping);
        return std::nullopt;        // this one message is not recorded
    }
    // Kept open for good (see HookState).
    State.capacity.store(ring->Capacity(), std::memory_order_release);
    return ring;
}

std::optional<MessageRing> Ring()
{
    RingHeader* view = State.view.load(std::memory_order_acquire);
    if (view == nullptr) {
        if (State.sectionMissing.load(std::memory_order_relaxed)) return std::nullopt;
        return OpenRing();
    }
    const uint32_t capacity = State.capacity.load(std::memory_order_acquire);
    if (capacity == 0) return std::nullopt;
    return MessageRing::Attach({reinterpret_cast<std::byte*>(view), RingBytes(capacity)});
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

bool Watched(RingHeader& header, HWND window)
{
    const auto watched =
        reinterpret_cast<HWND>(static_cast<uintptr_t>(std::atomic_ref<uint64_t>(header.WatchedWindow).load()));
    if (window == watched) return true;
    return std::atomic_ref<uint32_t>(header.WatchDescendants).load() != 0 && ::IsChild(watched, window);
}

void Record(HWND window, UINT message, WPARAM wParam, LPARAM lParam, LRESULT result, RecordKind kind)
{
    std::optional<MessageRing> ring = Ring();
    if (!ring) return;
    RingHeader& header = ring->Header();
    const uint32_t session = std::atomic_ref<uint32_t>(header.Session).load(std::memory_order_acquire);
    if (session == State.stoppedSession.load(std::memory_order_relaxed) || !ring->Recording()) return;
    if (ring->HeartbeatStale(::GetTickCount64())) {
        StopForGoodness(header, session);
        return;
    }
    if (!Watched(header, window)) return;
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
    // Sent messages carry pointers valid in this process: the parts the log decodes are copied.
    if (kind != RecordKind::Posted && lParam != 0) {
        if (message == WM_NOTIFY) {
            fields.NotifyCode = static_cast<int32_t>(reinterpret_cast<const NMHDR*>(lParam)->code);
            fields.Flags |= RecordHasNotifyCode;
        } else if (message == WM_SETTEXT) {
            fields.Text = reinterpret_cast<const char*>(lParam);
            fields.Flags |= RecordHasText;
        }
    }
    (void)ring->Write(fields);
}

}  // namespace

extern "C" {

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
