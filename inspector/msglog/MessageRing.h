// The message log's ring in a shared section: the layout both bitnesses agree on, the hook's
// non-blocking writer and the inspector's reader.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>

namespace lvx::msglog {

constexpr uint32_t RingMagic = 0x4C58564Cu;  // "LVXL"
// Raised whenever the layout below changes; it is also part of the hook DLL's file name, so a
// DLL and an inspector of different layouts never meet.
constexpr uint32_t RingVersion = 3;
constexpr uint32_t DefaultRingCapacity = 1u << 16;
// The inspector refreshes its heartbeat every half second; a hook that sees none for this long
// takes the inspector for gone and unhooks itself.
constexpr uint64_t DefaultHeartbeatLimitMs = 3000;
// A process watch hooks every thread of it that owns windows, up to this many.
constexpr size_t MaxWatchedThreads = 64;
constexpr size_t MaxHooks = 3 * MaxWatchedThreads;  // sent, returned and posted on each thread
// The watched window and its descendants as the inspector last listed them: the hook compares a
// message's window with these before it asks the system whether the window is a descendant.
constexpr size_t MaxWatchedWindows = 64;
constexpr size_t RecordTextSize = 32;

enum class RecordKind : uint32_t { Sent = 1, Returned = 2, Posted = 3 };

// Which messages of the hooked threads the hooks record.
enum class RingScope : uint32_t {
    Window = 0,                 // the watched window's only
    WindowAndDescendants = 1,   // the watched window's and its descendants'
    Threads = 2,                // every one, thread messages without a window included
};

// Flags of a record.
constexpr uint32_t RecordFromWideTarget = 1;  // the target is 64-bit: parameters are 64 bits wide
constexpr uint32_t RecordHasNotifyCode = 2;   // NotifyCode holds the NMHDR code of a WM_NOTIFY
constexpr uint32_t RecordHasText = 4;         // Text holds the start of a WM_SETTEXT text

// One record as the hook writes it, 112 bytes on both bitnesses. Stamp is the slot's turn: the
// writer may fill the slot when it equals its position, the reader may take it at position + 1.
struct alignas(8) RingRecord {
    uint64_t Stamp;
    uint64_t Time;  // performance counter ticks
    uint64_t Window;
    uint64_t WParam;
    uint64_t LParam;
    uint64_t Result;
    uint64_t Number;  // the writer's attempt count in the session: a record dropped leaves a gap
    uint32_t Message;
    uint32_t Kind;  // RecordKind
    uint32_t Flags;
    uint32_t Session;
    int32_t NotifyCode;
    uint32_t Reserved;
    char Text[RecordTextSize];
};
static_assert(sizeof(RingRecord) == 112);

// The section's head. The counters sit on cache lines of their own so that the hook's writers
// and the inspector's reader do not slow each other down.
struct alignas(64) RingHeader {
    uint32_t Magic;
    uint32_t Version;
    uint32_t HeaderSize;
    uint32_t RecordSize;
    uint32_t Capacity;        // a power of two
    uint32_t Session;         // changes with every start; records of another session are ignored
    uint32_t Recording;       // 0 while paused, stopped or being reset
    uint32_t Scope;  // RingScope
    uint64_t WatchedWindow;
    uint64_t HeartbeatMs;     // the inspector's tick count at its last heartbeat
    uint64_t HeartbeatLimitMs;
    uint64_t TimeBase;        // performance counter at the session's start
    uint64_t TimeFrequency;
    uint32_t HookCount;
    uint32_t HeartbeatLost;    // the session a hook stopped for want of a heartbeat, 0 for none
    uint64_t Hooks[MaxHooks];  // the hook handles, so that a hook can remove them all itself
    // The inspector that holds the section (process id and start time); another one is refused
    // while it lives. 0 when no one holds it.
    uint32_t OwnerProcess;
    // The generation of the section that took this one's place (a writer may still be inside
    // this one): the hooks move there. 0 while this one is current.
    uint32_t Successor;
    uint64_t OwnerStart;
    // The watched window and its descendants, kept current by the inspector; WatchedGeneration
    // changes whenever the list does. WatchedOverflow: there were more than the list holds.
    uint32_t WatchedCount;
    uint32_t WatchedGeneration;
    uint32_t WatchedOverflow;
    // A top-level window whose messages (its own, its descendants' and those of the windows it
    // owns) are never recorded, 0 for none: the log window, when the inspector watches its own
    // thread, whose every redraw would otherwise record messages that make it redraw again.
    uint32_t ExcludedRoot;
    uint64_t WatchedWindows[MaxWatchedWindows];
    // The threads to hook, kept by the inspector (a process watch adds the ones that come to own
    // windows); ThreadGeneration changes whenever the list does. Whoever set the hooks (the
    // inspector or its helper) hooks the ones it has not yet. ThreadOverflow: more threads than
    // the list holds own windows.
    uint32_t ThreadCount;
    uint32_t ThreadGeneration;
    uint32_t ThreadOverflow;
    uint32_t ThreadReserved;
    uint32_t Threads[MaxWatchedThreads];
    alignas(64) uint64_t WritePosition;
    uint64_t Writers;          // writers inside Write right now: a reset waits for them
    alignas(64) uint64_t Attempted;
    uint64_t Dropped;
    alignas(64) uint64_t ReadPosition;
    uint64_t Consumed;
};
static_assert(sizeof(RingHeader) == 2624);

// The names of the section and of the helper's stop event for a watched process: one section
// per watched program, which the hook DLL finds by its own process id; a section that had to be
// replaced names its successor's generation (0 is the first).
void FormatSectionName(char (&name)[64], uint32_t processId, uint32_t generation = 0);
void FormatStopEventName(char (&name)[64], uint32_t processId);

// The bytes a section of `capacity` records needs.
[[nodiscard]] constexpr size_t RingBytes(uint32_t capacity)
{
    return sizeof(RingHeader) + static_cast<size_t>(capacity) * sizeof(RingRecord);
}

// What a writer did with one record.
enum class WriteOutcome { Written, Dropped, NotRecording };

// The fields of one record, as the hook fills them.
struct RecordFields {
    uint64_t Time = 0;
    uint64_t Window = 0;
    uint64_t WParam = 0;
    uint64_t LParam = 0;
    uint64_t Result = 0;
    uint32_t Message = 0;
    RecordKind Kind = RecordKind::Sent;
    uint32_t Flags = 0;
    int32_t NotifyCode = 0;
    const char* Text = nullptr;  // copied up to RecordTextSize - 1 characters when not null
};

// A view of a ring in memory that may be shared with other processes. Every access goes through
// atomics, and the reader checks the header before it trusts any size in it.
class MessageRing {
public:
    // Lays out a new ring over `memory` (its head aligned to 64 bytes); nothing when the capacity
    // is no power of two or does not fit.
    [[nodiscard]] static std::optional<MessageRing> Format(std::span<std::byte> memory, uint32_t capacity,
                                                           uint32_t session);
    // A view of a ring that someone else laid out; nothing when the magic, the version, the
    // sizes or the capacity do not fit `memory`.
    [[nodiscard]] static std::optional<MessageRing> Attach(std::span<std::byte> memory);

    // Starts a new session on an existing ring: recording off, then once no writer is inside
    // Write (or after `waitSpins` tries, for a writer that was suspended or killed), every slot
    // and counter back to the start, the new session id, and recording on. `pause` is called
    // between the tries. True when no writer was left inside.
    bool Reset(uint32_t session, uint64_t timeBase, uint64_t timeFrequency, int waitSpins = 0,
               void (*pause)() = nullptr);
    // True while a writer is inside Write: a ring must not be reset under it.
    [[nodiscard]] bool WritersInside() const;

    // The hook's side: never waits, never allocates. Dropped (and counted) when the ring is full,
    // or when the slot could not be had after a bounded number of tries (a ring left
    // inconsistent by a writer that was killed must not make the others spin for ever).
    WriteOutcome Write(const RecordFields& fields);
    // True when the inspector's heartbeat is older than its limit at `nowMs`.
    [[nodiscard]] bool HeartbeatStale(uint64_t nowMs) const;

    // The inspector's side (one reader): takes up to out.size() records of the current session,
    // oldest first; the count taken.
    size_t Read(std::span<RingRecord> out);
    void Heartbeat(uint64_t nowMs);
    void SetRecording(bool recording);
    [[nodiscard]] bool Recording() const;

    struct Counts {
        uint64_t Attempted = 0;  // records the hooks tried to write in this session
        uint64_t Dropped = 0;    // of those, the ones that found the ring full
        uint64_t Consumed = 0;   // of those, the ones the reader took
    };
    [[nodiscard]] Counts Totals() const;

    [[nodiscard]] RingHeader& Header() const noexcept { return *header_; }
    [[nodiscard]] uint32_t Capacity() const noexcept { return capacity_; }

private:
    WriteOutcome WriteAnnounced(const RecordFields& fields);
    MessageRing(RingHeader* header, RingRecord* records, uint32_t capacity)
        : header_(header), records_(records), capacity_(capacity)
    {
    }
    RingHeader* header_;
    RingRecord* records_;
    uint32_t capacity_;
};

}  // namespace lvx::msglog
