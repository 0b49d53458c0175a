// Native tests of the message log's ring (threads stand in for hooked threads), the decoded
// column, the filter and the kept records' limit.
#include "msglog/MessageLogText.h"
#include "msglog/MessageRing.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstring>
#include <thread>
#include <vector>

using namespace lvx;
using namespace lvx::msglog;

namespace {

struct RingMemory {
    explicit RingMemory(uint32_t capacity) : bytes(RingBytes(capacity) + 64)
    {
        // The section of a real mapping starts on a page; here the head is aligned by hand.
        auto address = reinterpret_cast<uintptr_t>(bytes.data());
        offset = (64 - address % 64) % 64;
    }
    std::span<std::byte> Span() { return {bytes.data() + offset, bytes.size() - offset}; }
    std::vector<std::byte> bytes;
    size_t offset = 0;
};

RecordFields Fields(uint32_t message, uint64_t wParam)
{
    RecordFields fields;
    fields.Message = message;
    fields.WParam = wParam;
    fields.Kind = RecordKind::Posted;
    return fields;
}

TEST(MessageRing, SeveralWritersAndALaggingReaderAccountForEveryRecord)
{
    RingMemory memory(256);
    auto ring = MessageRing::Format(memory.Span(), 256, 7);
    ASSERT_TRUE(ring);
    EXPECT_EQ(ring->Write(Fields(1, 1)), WriteOutcome::NotRecording);  // formatted, not started
    ring->Reset(8, 0, 1);

    constexpr int Writers = 4, PerWriter = 20000;
    std::atomic<bool> done{false};
    std::vector<std::thread> writers;
    for (int w = 0; w < Writers; ++w)
        writers.emplace_back([&, w] {
            for (int i = 0; i < PerWriter; ++i) (void)ring->Write(Fields(static_cast<uint32_t>(w), static_cast<uint64_t>(i)));
        });
    std::vector<int> lastSeen(Writers, -1);
    uint64_t taken = 0;
    bool ordered = true;
    std::vector<RingRecord> batch(64);
    const auto drain = [&] {
        const size_t count = ring->Read(batch);
        for (size_t i = 0; i < count; ++i) {
            const RingRecord& record = batch[i];
            // Each writer's records arrive in the order it wrote them.
            if (static_cast<int>(record.WParam) <= lastSeen[record.Message]) ordered = false;
            lastSeen[record.Message] = static_cast<int>(record.WParam);
            EXPECT_EQ(record.Session, 8u);
        }
        taken += count;
        return count;
    };
    std::thread reader([&] {
        while (!done.load()) {
            drain();
            std::this_thread::yield();
        }
    });
    for (std::thread& writer : writers) writer.join();
    done = true;
    reader.join();
    while (drain() != 0) {
    }
    const auto totals = ring->Totals();
    EXPECT_TRUE(ordered);
    EXPECT_EQ(totals.Attempted, uint64_t{Writers} * PerWriter);
    EXPECT_EQ(totals.Consumed, taken);
    EXPECT_EQ(totals.Consumed + totals.Dropped, totals.Attempted);
}

TEST(MessageRing, AFullRingDropsTheNewestAndANewSessionStartsClean)
{
    RingMemory memory(8);
    auto ring = MessageRing::Format(memory.Span(), 8, 1);
    ASSERT_TRUE(ring);
    ring->Reset(1, 100, 10);
    for (uint64_t i = 0; i < 12; ++i) (void)ring->Write(Fields(0x400, i));
    EXPECT_EQ(ring->Totals().Dropped, 4u);
    std::vector<RingRecord> out(16);
    ASSERT_EQ(ring->Read(out), 8u);
    EXPECT_EQ(out[0].WParam, 0u);
    EXPECT_EQ(out[7].WParam, 7u);
    // Room again after reading; the text of WM_SETTEXT is cut to fit and always ended.
    RecordFields text = Fields(0x000C, 99);
    const std::string longText(100, 'x');
    text.Text = longText.c_str();
    EXPECT_EQ(ring->Write(text), WriteOutcome::Written);
    ASSERT_EQ(ring->Read(out), 1u);
    EXPECT_EQ(std::strlen(out[0].Text), RecordTextSize - 1);
    // Numbered by the writers' attempts: the four dropped leave a gap after the eighth.
    EXPECT_EQ(out[0].Number, 13u);

    // Records written but not read when a new session starts are never read in it.
    (void)ring->Write(Fields(0x401, 1));
    ring->Reset(2, 0, 1);
    EXPECT_EQ(ring->Read(out), 0u);
    EXPECT_EQ(ring->Totals().Attempted, 0u);
    (void)ring->Write(Fields(0x402, 2));
    ASSERT_EQ(ring->Read(out), 1u);
    EXPECT_EQ(out[0].Message, 0x402u);
    EXPECT_EQ(out[0].Session, 2u);

    // A reset waits for a writer still inside, and gives up on one that never leaves (killed).
    ring->Header().Writers = 1;
    EXPECT_TRUE(ring->WritersInside());
    EXPECT_FALSE(ring->Reset(3, 0, 1, 3, [] {}));
    ring->Header().Writers = 0;
    EXPECT_TRUE(ring->Reset(4, 0, 1, 3, [] {}));
    // A slot left out of step makes writers drop their record, never spin for ever.
    reinterpret_cast<RingRecord*>(&ring->Header() + 1)[0].Stamp = 5;
    EXPECT_EQ(ring->Write(Fields(0x403, 3)), WriteOutcome::Dropped);
    EXPECT_EQ(ring->Totals().Dropped, 1u);
    EXPECT_EQ(ring->Header().Writers, 0u);
}

TEST(MessageRing, OnlyASoundHeaderIsAttachedAndTheHeartbeatAges)
{
    RingMemory memory(16);
    ASSERT_FALSE(MessageRing::Format(memory.Span(), 12, 1));  // no power of two
    ASSERT_FALSE(MessageRing::Format(memory.Span(), 32, 1));  // does not fit
    ASSERT_TRUE(MessageRing::Format(memory.Span(), 16, 1));
    EXPECT_TRUE(MessageRing::Attach(memory.Span()));
    EXPECT_FALSE(MessageRing::Attach(memory.Span().first(RingBytes(16) - 1)));
    auto* header = reinterpret_cast<RingHeader*>(memory.Span().data());
    header->Capacity = 1u << 20;  // claims more than the section holds
    EXPECT_FALSE(MessageRing::Attach(memory.Span()));
    header->Capacity = 16;
    header->Version = RingVersion + 1;
    EXPECT_FALSE(MessageRing::Attach(memory.Span()));
    header->Version = RingVersion;

    auto ring = MessageRing::Attach(memory.Span());
    ASSERT_TRUE(ring);
    ring->Heartbeat(10000);
    EXPECT_FALSE(ring->HeartbeatStale(10000 + DefaultHeartbeatLimitMs));
    EXPECT_TRUE(ring->HeartbeatStale(10001 + DefaultHeartbeatLimitMs));
    EXPECT_FALSE(ring->HeartbeatStale(5000));  // a clock behind the heartbeat is no reason to stop
}

TEST(MessageLogText, ColumnsDecodeTheCommonMessages)
{
    const MessageNamer namer({{"WM_SETTEXT", 0x0C}, {"WM_MOUSEMOVE", 0x200}, {"WM_COMMAND", 0x111},
                              {"WM_USER", 0x400}, {"BM_OTHER", 0x400}});
    LogRecord record;
    record.Sequence = 42;
    record.TimeUs = 1234567;
    record.Window = 0x1234;
    record.Message = 0x200;
    record.WParam = 0x0009;           // MK_LBUTTON | MK_CONTROL
    record.LParam = 0xFFFE0010;       // x 16, y -2
    const RecordWords words{"sent", "returned", "posted", "n/a"};
    EXPECT_EQ(RecordColumns(record, namer, words, true),
              (std::vector<std::string>{"42", "1234.567", "00001234", "sent", "WM_MOUSEMOVE", "00000009", "FFFE0010",
                                        "n/a", "(16,-2) MK_LBUTTON|MK_CONTROL"}));
    record.Flags = RecordFromWideTarget;
    record.Kind = RecordKind::Returned;
    record.Result = 5;
    record.Message = 0x400;  // the first name of a number wins
    const auto wide = RecordColumns(record, namer, words, true);
    EXPECT_EQ(wide[4], "WM_USER");
    EXPECT_EQ(wide[5], "0000000000000009");
    EXPECT_EQ(wide[7], "0000000000000005");
    EXPECT_EQ(RecordColumns(record, namer, words, false)[7], "n/a");  // where the platform gives none
    record.Message = 0x4321;
    EXPECT_EQ(RecordColumns(record, namer, words, true)[4], "0x4321");
    EXPECT_EQ(RecordColumns(record, namer, words, true, "Button")[2], "00001234 Button");
    EXPECT_EQ(WindowCell(0, "", RecordWords{.NoWindow = "(thread)"}), "(thread)");

    const auto decoded = [&](uint32_t message, uint64_t w, uint64_t l) {
        record.Message = message;
        record.WParam = w;
        record.LParam = l;
        return DecodeParameters(record, namer);
    };
    EXPECT_EQ(decoded(0x111, 0x00020065, 0xABCD), "id=101 code=2 control=0000ABCD");
    EXPECT_EQ(decoded(0x100, 0x0D, 0x001C0001), "VK_RETURN repeat=1 scan=28");
    EXPECT_EQ(decoded(0x102, 'a', 1), "char=97 'a' repeat=1");
    // Dead keys and WM_UNICHAR carry characters, not virtual keys.
    EXPECT_EQ(decoded(0x103, 0xB4, 0x00280001), "char=180 repeat=1");
    EXPECT_EQ(decoded(0x107, '^', 2), "char=94 '^' repeat=2");
    EXPECT_EQ(decoded(0x109, 0x1F600, 1), "char=U+1F600 repeat=1");
    EXPECT_EQ(decoded(0x109, 0xFFFF, 0), "UNICODE_NOCHAR");
    EXPECT_EQ(decoded(0x005, 2, 0x00C80190), "SIZE_MAXIMIZED 400x200");
    EXPECT_EQ(decoded(0x020, 0x99, 0x02000001), "window=00000099 HTCLIENT WM_MOUSEMOVE");
    EXPECT_EQ(decoded(0x006, 0x00010002, 0x77), "WA_CLICKACTIVE minimized other=00000077");
    record.Flags = RecordHasNotifyCode;
    record.NotifyCode = -2;
    EXPECT_EQ(decoded(0x04E, 7, 0), "id=7 code=NM_CLICK");
    record.Flags = RecordHasText;
    std::strcpy(record.Text, "a\tb");
    EXPECT_EQ(decoded(0x00C, 0, 0x5000), "\"a b\"");
    EXPECT_EQ(RecordLine(record, namer, words, true).find("a b"), RecordLine(record, namer, words, true).size() - 4);
    EXPECT_EQ(VirtualKeyName(0x70), "VK_F1");
    EXPECT_EQ(VirtualKeyName('Q'), "Q");
    EXPECT_EQ(VirtualKeyName(0xE7), "0xE7");
}

TEST(MessageLogText, TheFilterKeepsExactlyTheChosenMessagesAndGroups)
{
    const std::vector<MessageName> names{{"WM_PAINT", 0x0F}, {"WM_USER", 0x400}, {"WM_TIMER", 0x113}};
    std::string bad;
    const auto words = ParseMessageWords(" wm_user, $0113;WM_USER ", names, bad);
    ASSERT_TRUE(words);
    EXPECT_EQ(*words, (std::vector<uint32_t>{0x113, 0x400}));
    EXPECT_FALSE(ParseMessageWords("WM_USER WM_NOPE 5", names, bad));
    EXPECT_EQ(bad, "WM_NOPE");

    MessageFilter filter;
    EXPECT_TRUE(filter.Passes(0x1234));  // nothing chosen: everything
    filter.Messages = *words;
    filter.Groups = MouseGroup | PaintGroup;
    for (const uint32_t kept : {0x113u, 0x400u, 0x200u, 0x20Au, 0x0Fu, 0x14u}) EXPECT_TRUE(filter.Passes(kept)) << kept;
    for (const uint32_t other : {0x100u, 0x111u, 0x84u, 0x401u}) EXPECT_FALSE(filter.Passes(other)) << other;
    filter.Exclude = true;
    EXPECT_FALSE(filter.Passes(0x400));
    EXPECT_FALSE(filter.Passes(0x200));
    EXPECT_TRUE(filter.Passes(0x111));
    EXPECT_EQ(GroupOf(0x111), NotificationGroup);

    // Windows by handle (the 32 significant bits) or class (any case); thread messages by "0".
    const auto windows = ParseWindowWords(" 0x000A01B2,edit;\"My Class\" 1f 0 ", bad);
    ASSERT_TRUE(windows);
    EXPECT_EQ(windows->Handles, (std::vector<uint32_t>{0, 0x1F, 0xA01B2}));
    EXPECT_EQ(windows->Classes, (std::vector<std::string>{"EDIT", "MY CLASS", "1F", "0"}));
    filter = MessageFilter{.Windows = *windows};
    const auto from = [](uint64_t window) { return LogRecord{.Window = window, .Message = 0x0F}; };
    EXPECT_TRUE(filter.Passes(from(0xFFFFFFFF000A01B2), ""));
    EXPECT_TRUE(filter.Passes(from(0x1234), "Edit"));
    EXPECT_TRUE(filter.Passes(from(0x1234), "my class"));
    EXPECT_TRUE(filter.Passes(from(0), ""));
    EXPECT_FALSE(filter.Passes(from(0x1234), "Button"));
    EXPECT_FALSE(filter.Passes(from(0x1234), ""));
    filter.Messages = {0x10};  // both must pass
    EXPECT_FALSE(filter.Passes(from(0x1F), ""));
    EXPECT_TRUE(MessageFilter{}.Passes(from(0x1234), "Button"));
    for (const char* wrong : {"0x", "0xG1", "0x12345678901234567", "\"open"}) {
        EXPECT_FALSE(ParseWindowWords(std::string("Edit ") + wrong, bad)) << wrong;
        EXPECT_EQ(bad, wrong);
    }
    EXPECT_TRUE(ParseWindowWords("12345678901234567 #32770", bad));  // too long for a handle: a class
    EXPECT_EQ(GroupOf(0x84), NonClientGroup);
    EXPECT_EQ(GroupOf(0x101), KeyboardGroup);
}

TEST(MessageLogText, TheStoreKeepsTheNewestUpToItsLimitAndCountsTheRest)
{
    LogStore store(3);
    for (uint64_t i = 1; i <= 5; ++i) store.Append(LogRecord{.Sequence = i});
    ASSERT_EQ(store.Size(), 3u);
    EXPECT_EQ(store.At(0).Sequence, 3u);
    EXPECT_EQ(store.At(2).Sequence, 5u);
    EXPECT_EQ(store.DroppedByLimit(), 2u);
    store.SetLimit(5);  // room again: the order stays
    store.Append(LogRecord{.Sequence = 6});
    EXPECT_EQ(store.At(0).Sequence, 3u);
    EXPECT_EQ(store.At(3).Sequence, 6u);
    store.SetLimit(2);
    EXPECT_EQ(store.At(0).Sequence, 5u);
    EXPECT_EQ(store.DroppedByLimit(), 4u);
    // A new filter applies to what is kept already.
    store.SetLimit(4);
    for (const uint32_t message : {0x200u, 0x0Fu, 0x201u, 0x10u}) store.Append(LogRecord{.Message = message});
    EXPECT_EQ(store.Retain(MessageFilter{.Groups = MouseGroup}), 2u);
    ASSERT_EQ(store.Size(), 2u);
    EXPECT_EQ(store.At(0).Message, 0x200u);
    EXPECT_EQ(store.At(1).Message, 0x201u);
    store.Clear();
    EXPECT_EQ(store.Size(), 0u);

    RingRecord ring{};
    ring.Time = 1000 + 3 * 250;  // 3 ticks at 250 Hz after the base
    EXPECT_EQ(ToLogRecord(ring, 1, 1000, 250).TimeUs, 3000000u);
}

}  // namespace
