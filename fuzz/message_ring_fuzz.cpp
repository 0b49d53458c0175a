// Fuzz target: the message log's reader on a section of arbitrary bytes (a section another
// process wrote, or a stale one), the decoded column on arbitrary parameters, and the window
// filter's words.
#include "core/UNI_Strings.h"
#include "msglog/MessageLogText.h"
#include "msglog/MessageRing.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    using namespace lvx::msglog;
    // Aligned as a mapped section is; the reader must validate before it trusts any size.
    std::vector<uint64_t> words(size / sizeof(uint64_t) + 1);
    std::memcpy(words.data(), data, size);
    const std::span<std::byte> memory(reinterpret_cast<std::byte*>(words.data()), size);
    if (auto ring = MessageRing::Attach(memory)) {
        std::vector<RingRecord> out(32);
        const size_t count = ring->Read(out);
        if (count > out.size()) __builtin_trap();
        const MessageNamer namer({{"WM_PAINT", 15}});
        for (size_t i = 0; i < count; ++i) {
            const LogRecord record = ToLogRecord(out[i], i + 1, ring->Header().TimeBase, ring->Header().TimeFrequency);
            if (RecordLine(record, namer, RecordWords{}, true).find('\n') != std::string::npos) __builtin_trap();
        }
    }
    if (size >= sizeof(RingRecord)) {
        RingRecord record;
        std::memcpy(&record, data, sizeof record);
        const LogRecord log = ToLogRecord(record, 1, 0, record.Reserved);
        if (RecordLine(log, MessageNamer(), RecordWords{}, false).find('\n') != std::string::npos) __builtin_trap();
    }
    // The window filter's words: what it takes is sorted and upper case; what it refuses, it names.
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    std::string bad;
    if (const auto windows = ParseWindowWords(text, bad)) {
        if (!std::is_sorted(windows->Handles.begin(), windows->Handles.end())) __builtin_trap();
        for (const std::string& name : windows->Classes)
            if (lvx::UpperCaseAscii(name) != name) __builtin_trap();
    } else if (bad.empty() || text.find(bad) == std::string_view::npos) {
        __builtin_trap();
    }
    return 0;
}
