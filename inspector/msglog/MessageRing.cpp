// The message log's ring: a bounded queue of many writers (the hooked threads) and one reader
// (the inspector), in memory shared between processes of either bitness.
#include "MessageRing.h"

#include <atomic>
#include <cstdio>
#include <cstring>

namespace lvx::msglog {

namespace {

static_assert(std::atomic_ref<uint64_t>::is_always_lock_free, "the ring needs lock-free 64-bit atomics");
static_assert(std::atomic_ref<uint32_t>::is_always_lock_free);

template <typename T>
std::atomic_ref<T> Atomic(T& value)
{
    return std::atomic_ref<T>(value);
}

// Other writers taking slots make a writer try again; this many tries means something is wrong.
constexpr int MaxWriteTries = 4096;

bool IsPowerOfTwo(uint32_t value) { return value != 0 && (value & (value - 1)) == 0; }

bool Fits(std::span<std::byte> memory, uint32_t capacity)
{
    return reinterpret_cast<uintptr_t>(memory.data()) % alignof(RingHeader) == 0 && IsPowerOfTwo(capacity) &&
           capacity <= (1u << 24) && memory.size() >= RingBytes(capacity);
}

RingRecord* RecordsOf(RingHeader* header) { return reinterpret_cast<RingRecord*>(header + 1); }

}  // namespace

void FormatSectionName(char (&name)[64], uint32_t processId, uint32_t generation)
{
    if (generation == 0)
        std::snprintf(name, sizeof name, "Local\\LumivexMessageLog%u-%u", RingVersion, processId);
    else
        std::snprintf(name, sizeof name, "Local\\LumivexMessageLog%u-%u.%u", RingVersion, processId, generation);
}

void FormatStopEventName(char (&name)[64], uint32_t processId)
{
    std::snprintf(name, sizeof name, "Local\\LumivexMessageLogStop%u-%u", RingVersion, processId);
}

std::optional<MessageRing> MessageRing::Format(std::span<std::byte> memory, uint32_t capacity, uint32_t session)
{
    if (!Fits(memory, capacity)) return std::nullopt;
    std::memset(memory.data(), 0, RingBytes(capacity));
    auto* header = reinterpret_cast<RingHeader*>(memory.data());
    header->Magic = RingMagic;
    header->Version = RingVersion;
    header->HeaderSize = sizeof(RingHeader);
    header->RecordSize = sizeof(RingRecord);
    header->Capacity = capacity;
    header->HeartbeatLimitMs = DefaultHeartbeatLimitMs;
    MessageRing ring(header, RecordsOf(header), capacity);
    ring.Reset(session, 0, 1);
    ring.SetRecording(false);
    return ring;
}

std::optional<MessageRing> MessageRing::Attach(std::span<std::byte> memory)
{
    if (memory.size() < sizeof(RingHeader) || reinterpret_cast<uintptr_t>(memory.data()) % alignof(RingHeader) != 0)
        return std::nullopt;
    auto* header = reinterpret_cast<RingHeader*>(memory.data());
    const uint32_t capacity = Atomic(header->Capacity).load(std::memory_order_acquire);
    if (Atomic(header->Magic).load() != RingMagic || Atomic(header->Version).load() != RingVersion ||
        Atomic(header->HeaderSize).load() != sizeof(RingHeader) ||
        Atomic(header->RecordSize).load() != sizeof(RingRecord) || !Fits(memory, capacity))
        return std::nullopt;
    return MessageRing(header, RecordsOf(header), capacity);
}

bool MessageRing::Reset(uint32_t session, uint64_t timeBase, uint64_t timeFrequency, int waitSpins, void (*pause)())
{
    RingHeader& h = *header_;
    Atomic(h.Recording).store(0, std::memory_order_seq_cst);
    // A writer that saw recording on before it went off is still filling a slot: resetting the
    // slots under it would leave a turn out of step for good.
    bool quiet = Atomic(h.Writers).load(std::memory_order_seq_cst) == 0;
    for (int spin = 0; !quiet && spin < waitSpins; ++spin) {
        if (pause != nullptr) pause();
        quiet = Atomic(h.Writers).load(std::memory_order_seq_cst) == 0;
    }
    Atomic(h.Session).store(session, std::memory_order_seq_cst);
    for (uint32_t i = 0; i < capacity_; ++i) Atomic(records_[i].Stamp).store(i, std::memory_order_relaxed);
    Atomic(h.WritePosition).store(0, std::memory_order_relaxed);
    Atomic(h.ReadPosition).store(0, std::memory_order_relaxed);
    Atomic(h.Attempted).store(0, std::memory_order_relaxed);
    Atomic(h.Dropped).store(0, std::memory_order_relaxed);
    Atomic(h.Consumed).store(0, std::memory_order_relaxed);
    Atomic(h.TimeBase).store(timeBase, std::memory_order_relaxed);
    Atomic(h.TimeFrequency).store(timeFrequency == 0 ? 1 : timeFrequency, std::memory_order_relaxed);
    Atomic(h.HeartbeatLost).store(0, std::memory_order_relaxed);
    Atomic(h.Recording).store(1, std::memory_order_seq_cst);
    return quiet;
}

WriteOutcome MessageRing::Write(const RecordFields& fields)
{
    RingHeader& h = *header_;
    // Announced before recording is checked, so that a reset that switched recording off either
    // is seen here or waits for this writer.
    Atomic(h.Writers).fetch_add(1, std::memory_order_seq_cst);
    const WriteOutcome outcome = WriteAnnounced(fields);
    Atomic(h.Writers).fetch_sub(1, std::memory_order_release);
    return outcome;
}

WriteOutcome MessageRing::WriteAnnounced(const RecordFields& fields)
{
    RingHeader& h = *header_;
    if (Atomic(h.Recording).load(std::memory_order_seq_cst) == 0) return WriteOutcome::NotRecording;
    const uint32_t session = Atomic(h.Session).load(std::memory_order_acquire);
    const uint64_t number = Atomic(h.Attempted).fetch_add(1, std::memory_order_relaxed) + 1;
    const uint64_t mask = capacity_ - 1;
    uint64_t position = Atomic(h.WritePosition).load(std::memory_order_relaxed);
    RingRecord* slot = nullptr;
    for (int tries = 0;; ++tries) {
        if (tries == MaxWriteTries) {
            Atomic(h.Dropped).fetch_add(1, std::memory_order_relaxed);
            return WriteOutcome::Dropped;
        }
        slot = &records_[position & mask];
        const uint64_t stamp = Atomic(slot->Stamp).load(std::memory_order_acquire);
        const auto lag = static_cast<int64_t>(stamp - position);
        if (lag == 0) {
            // The reservation: only the writer whose exchange succeeds owns this slot for this turn.
            if (Atomic(h.WritePosition).compare_exchange_weak(position, position + 1, std::memory_order_relaxed))
                break;
        } else if (lag < 0) {
            // The slot still holds a record of the previous turn that the reader has not taken.
            Atomic(h.Dropped).fetch_add(1, std::memory_order_relaxed);
            return WriteOutcome::Dropped;
        } else {
            position = Atomic(h.WritePosition).load(std::memory_order_relaxed);
        }
    }
    slot->Time = fields.Time;
    slot->Window = fields.Window;
    slot->WParam = fields.WParam;
    slot->LParam = fields.LParam;
    slot->Result = fields.Result;
    slot->Number = number;
    slot->Message = fields.Message;
    slot->Kind = static_cast<uint32_t>(fields.Kind);
    slot->Flags = fields.Flags;
    slot->Session = session;
    slot->NotifyCode = fields.NotifyCode;
    slot->Reserved = 0;
    size_t length = 0;
    if (fields.Text != nullptr)
        while (length < RecordTextSize - 1 && fields.Text[length] != '\0') {
            slot->Text[length] = fields.Text[length];
            ++length;
        }
    slot->Text[length] = '\0';
    Atomic(slot->Stamp).store(position + 1, std::memory_order_release);
    return WriteOutcome::Written;
}

bool MessageRing::WritersInside() const
{
    return Atomic(header_->Writers).load(std::memory_order_seq_cst) != 0;
}

bool MessageRing::HeartbeatStale(uint64_t nowMs) const
{
    const uint64_t beat = Atomic(header_->HeartbeatMs).load(std::memory_order_relaxed);
    const uint64_t limit = Atomic(header_->HeartbeatLimitMs).load(std::memory_order_relaxed);
    return nowMs > beat && nowMs - beat > limit;
}

size_t MessageRing::Read(std::span<RingRecord> out)
{
    RingHeader& h = *header_;
    const uint32_t session = Atomic(h.Session).load(std::memory_order_acquire);
    uint64_t position = Atomic(h.ReadPosition).load(std::memory_order_relaxed);
    const uint64_t mask = capacity_ - 1;
    size_t taken = 0;
    uint64_t consumed = 0;
    while (taken < out.size()) {
        RingRecord& slot = records_[position & mask];
        if (Atomic(slot.Stamp).load(std::memory_order_acquire) != position + 1) break;  // empty, or still being written
        out[taken] = slot;
        out[taken].Text[RecordTextSize - 1] = '\0';
        Atomic(slot.Stamp).store(position + capacity_, std::memory_order_release);
        ++position;
        ++consumed;
        if (out[taken].Session == session) ++taken;
    }
    Atomic(h.ReadPosition).store(position, std::memory_order_relaxed);
    Atomic(h.Consumed).fetch_add(consumed, std::memory_order_relaxed);
    return taken;
}

void MessageRing::Heartbeat(uint64_t nowMs) { Atomic(header_->HeartbeatMs).store(nowMs, std::memory_order_relaxed); }

void MessageRing::SetRecording(bool recording)
{
    Atomic(header_->Recording).store(recording ? 1u : 0u, std::memory_order_seq_cst);
}

bool MessageRing::Recording() const { return Atomic(header_->Recording).load(std::memory_order_acquire) != 0; }

MessageRing::Counts MessageRing::Totals() const
{
    return Counts{Atomic(header_->Attempted).load(std::memory_order_acquire),
                  Atomic(header_->Dropped).load(std::memory_order_acquire),
                  Atomic(header_->Consumed).load(std::memory_order_acquire)};
}

}  // namespace lvx::msglog
