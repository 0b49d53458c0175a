// Benchmark: the message log against the target program flooding its own window with posted and
// sent messages: the target's own rate unhooked and hooked, the records a second that reach the
// log window, its drops and its own CPU time, the cost a message of watching descendants, a
// process watch's search for window threads, and the ring's raw rate between two processes.
// Usage: lvx_bench_message_log [messages, default 100000]; started as "--writer <name> <count>"
// it is the other process of the raw ring figure.
#include "BenchSupport.h"
#include "TestSupport.h"

#include "core/MainForm.h"
#include "core/UNI_WinVer.h"
#include "language/MultiLang.h"
#include "msglog/MessageLogForm.h"

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

namespace {

using lvxbench::NowMs;
using namespace lvx::msglog;

constexpr UINT FloodMessage = WM_APP + 8;

// The microseconds the target took to handle `count` messages to itself; 0 when it did not answer.
double FloodMicroseconds(HWND window, unsigned count, bool sent)
{
    DWORD_PTR answer = 0;
    if (!::SendMessageTimeoutA(window, FloodMessage, count, sent ? 1 : 0, SMTO_NORMAL, 600000, &answer)) return 0;
    return static_cast<double>(answer);
}

// The writer process of the raw figure: as many records as asked, as fast as it can.
int RunWriter(const char* name, unsigned count)
{
    const lvc::unique_kernel_handle mapping(::OpenFileMappingA(FILE_MAP_READ | FILE_MAP_WRITE, FALSE, name));
    const unique_view view(mapping ? ::MapViewOfFile(mapping.get(), FILE_MAP_READ | FILE_MAP_WRITE, 0, 0, 0) : nullptr);
    auto ring = MessageRing::Attach(WholeView(view.get()));
    if (!ring) return 1;
    RecordFields fields;
    fields.Kind = RecordKind::Posted;
    for (unsigned i = 0; i < count; ++i) {
        fields.WParam = i;
        (void)ring->Write(fields);
    }
    return 0;
}

// CPU milliseconds this thread has used.
double ThreadCpuMs()
{
    FILETIME created{}, exited{}, kernel{}, user{};
    if (!::GetThreadTimes(::GetCurrentThread(), &created, &exited, &kernel, &user)) return 0;
    const auto ms = [](const FILETIME& time) {
        return static_cast<double>(uint64_t{time.dwHighDateTime} << 32 | time.dwLowDateTime) / 10000.0;
    };
    return ms(kernel) + ms(user);
}

// What watching descendants costs the target a message of its hooked threads that goes to no
// watched window: the target floods its own window while a child of it is watched, with and
// without descendants (the hook compares the window with the list the inspector keeps, and asks
// the system only once a window); and the system's answer to IsChild itself, for comparison.
void DescendantsCost(const lvxtest::TargetProcess& target, unsigned count)
{
    const HWND window = target.Window("commands"), child = target.Window("commands.edit");
    std::vector<double> plain, descendants;
    for (int round = 0; round < 3; ++round) {
        for (const bool withDescendants : {false, true}) {
            MessageLogSession session;
            if (session.Start(child, withDescendants, lvx::ProgramFolder) != StartFailure::None) return;
            (withDescendants ? descendants : plain).push_back(FloodMicroseconds(window, count, true));
            session.Stop();
        }
    }
    const double start = NowMs();
    unsigned answers = 0;
    for (unsigned i = 0; i < count; ++i) answers += ::IsChild(child, window) ? 1 : 0;
    const double isChildUs = 1000.0 * (NowMs() - start) / count;
    if (answers != 0) std::printf("(the watched child's descendants include its parent?)\n");
    std::printf("descendants watched: %.3f us a message sent to a window not watched (%.3f us without "
                "descendants; IsChild alone %.3f us a call)\n",
                lvxbench::Median(descendants) / count, lvxbench::Median(plain) / count, isChildUs);
}

// What a process watch's heartbeat spends finding the process's window threads: top-level and
// message-only windows on every beat, their children too once in ten seconds, here for a
// program with thousands of children.
void ProcessScanCost()
{
    const lvxtest::TargetProcess target({"commands", "many:2000"});
    if (!target.Ready()) return;
    std::vector<double> topLevel, children;
    size_t threads = 0;
    for (int round = 0; round < 9; ++round) {
        for (const bool withChildren : {false, true}) {
            std::vector<DWORD> found;
            const double start = NowMs();
            AddWindowThreads(target.ProcessId(), withChildren, found);
            (withChildren ? children : topLevel).push_back(NowMs() - start);
            threads = found.size();
        }
    }
    std::printf("process watch: finding the window threads (%zu) of a program with 2,000 children takes %.2f ms "
                "(top-level and message-only windows, every beat of 250 ms) and %.2f ms with the children (once "
                "in 10 s)\n",
                threads, lvxbench::Median(topLevel), lvxbench::Median(children));
}

void RawRingRate(const std::string& self, unsigned count)
{
    constexpr char name[] = "Local\\LumivexMessageLogBench";
    const lvc::unique_kernel_handle mapping(::CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0,
                                                                 static_cast<DWORD>(RingBytes(DefaultRingCapacity)), name));
    const unique_view view(::MapViewOfFile(mapping.get(), FILE_MAP_READ | FILE_MAP_WRITE, 0, 0, 0));
    auto ring = MessageRing::Format(WholeView(view.get()), DefaultRingCapacity, 1);
    if (!ring) return;
    ring->Reset(1, 0, 1);
    lvxtest::ChildProcess writer(self, std::string("--writer ") + name + " " + std::to_string(count));
    std::vector<RingRecord> batch(4096);
    uint64_t taken = 0;
    double start = 0;
    while (true) {
        const size_t got = ring->Read(batch);
        if (got != 0 && start == 0) start = NowMs();
        taken += got;
        if (got == 0 && writer.Exited()) {
            if (ring->Read(batch) == 0) break;
        }
    }
    const double ms = NowMs() - start;
    const auto totals = ring->Totals();
    std::printf("ring between two processes: %llu records read in %.0f ms = %.0f records/s, %llu dropped "
                "(a writer in another process as fast as it can; drops are the reader falling behind)\n",
                static_cast<unsigned long long>(totals.Consumed), ms, ms > 0 ? 1000.0 * static_cast<double>(taken) / ms : 0.0,
                static_cast<unsigned long long>(totals.Dropped));
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc == 4 && std::strcmp(argv[1], "--writer") == 0)
        return RunWriter(argv[2], static_cast<unsigned>(std::strtoul(argv[3], nullptr, 10)));
    const unsigned count = argc > 1 ? static_cast<unsigned>(std::max(1000, std::atoi(argv[1]))) : 100000;
    lvx::InitPlatformFlags();
    lvx::InitProgramFolder();

    lvxtest::TargetProcess target({"commands"});
    if (!target.Ready()) {
        std::fprintf(stderr, "the target program did not start\n");
        return 1;
    }
    const HWND window = target.Window("commands");
    // The machines are shared and noisy: each figure is the median of rounds, and the hooked
    // floods alternate paused and recording so that a slow moment does not favour one of them.
    constexpr int Rounds = 3;
    std::vector<double> postedBare, sentBare;
    for (int round = 0; round < Rounds; ++round) {
        postedBare.push_back(FloodMicroseconds(window, count, false));
        sentBare.push_back(FloodMicroseconds(window, count, true));
    }

    lvx::TMessageLogForm log(lvx::ProgramFolder, lvx::MessageNames);
    if (!log.FormCreate(nullptr)) return 1;
    log.ShowFor(nullptr, window);
    ::SetWindowTextA(log.limitEdit_, std::to_string(4 * Rounds * count).c_str());
    log.StartClick();
    if (!log.Session().Active()) {
        std::fprintf(stderr, "the log did not start: %s\n", log.StatusText().c_str());
        return 1;
    }
    // The floods are asked for on a thread of their own: this one runs the log window, as the
    // program does. Hooked but paused, the hook returns at once: the platform's own cost of a hook.
    std::vector<double> postedPaused, sentPaused, postedHooked, sentHooked;
    std::atomic<int> recordingRound{-1};      // the round whose recording floods are under way
    std::atomic<bool> finished{false};
    double roundStart[Rounds] = {};
    std::thread flood([&] {
        for (int round = 0; round < Rounds; ++round) {
            log.Session().SetPaused(true);
            postedPaused.push_back(FloodMicroseconds(window, count, false));
            sentPaused.push_back(FloodMicroseconds(window, count, true));
            log.Session().SetPaused(false);
            roundStart[round] = NowMs();
            recordingRound = round;
            postedHooked.push_back(FloodMicroseconds(window, count, false));
            sentHooked.push_back(FloodMicroseconds(window, count, true));
        }
        finished = true;
    });
    // Three records a sent message (sent, returned) and one a posted one; the delivery of a round
    // ends when all of its records are in the log window.
    const size_t perRound = 3 * static_cast<size_t>(count);
    std::vector<double> deliveredMs;
    const double start = NowMs(), cpuStart = ThreadCpuMs();
    while (static_cast<int>(deliveredMs.size()) < Rounds && NowMs() - start < 1800000) {
        lvxtest::PumpMessages();
        ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
        const int round = recordingRound;
        // Records the ring had to drop count as delivered (they are counted, not kept): without
        // them a round that overflowed the ring would never end.
        const size_t accounted = log.Store().Size() + static_cast<size_t>(log.RingCounts().Dropped);
        if (round >= static_cast<int>(deliveredMs.size()) && accounted >= perRound * (deliveredMs.size() + 1))
            deliveredMs.push_back(NowMs() - roundStart[deliveredMs.size()]);
    }
    const double cpuMs = ThreadCpuMs() - cpuStart, wallMs = NowMs() - start;
    flood.join();
    log.PollRecords();
    const auto totals = log.RingCounts();
    const size_t kept = log.Store().Size();
    log.StopClick();

    const auto rate = [&](const std::vector<double>& microseconds) {
        const double median = lvxbench::Median(microseconds);
        return median > 0 ? 1e6 * count / median : 0.0;
    };
    const auto ratio = [&](const std::vector<double>& a, const std::vector<double>& b) {
        return rate(b) > 0 ? rate(a) / rate(b) : 0.0;
    };
    std::printf("target flooding its own window with %u messages of each kind (medians of %d rounds):\n", count, Rounds);
    std::printf("  posted: %.0f/s unhooked, %.0f/s hooked and paused, %.0f/s hooked and recording "
                "(recording/unhooked %.2f, recording/paused %.2f)\n",
                rate(postedBare), rate(postedPaused), rate(postedHooked), ratio(postedHooked, postedBare),
                ratio(postedHooked, postedPaused));
    std::printf("  sent:   %.0f/s unhooked, %.0f/s hooked and paused, %.0f/s hooked and recording "
                "(recording/unhooked %.2f, recording/paused %.2f)\n",
                rate(sentBare), rate(sentPaused), rate(sentHooked), ratio(sentHooked, sentBare),
                ratio(sentHooked, sentPaused));
    const double delivery = lvxbench::Median(deliveredMs);
    std::printf("log window: %zu records kept, %zu a round in %.0f ms = %.0f records/s delivered; dropped in the "
                "ring %llu, by the limit %llu (default ring of %u records)\n",
                kept, perRound, delivery, delivery > 0 ? 1000.0 * static_cast<double>(perRound) / delivery : 0.0,
                static_cast<unsigned long long>(totals.Dropped),
                static_cast<unsigned long long>(log.Store().DroppedByLimit()), DefaultRingCapacity);

    std::printf("log window's own thread: %.0f ms CPU a second while it kept up (%.0f ms in %.0f ms)\n",
                wallMs > 0 ? 1000.0 * cpuMs / wallMs : 0.0, cpuMs, wallMs);
    DescendantsCost(target, count);
    ProcessScanCost();

    char self[MAX_PATH] = {};
    ::GetModuleFileNameA(nullptr, self, MAX_PATH);
    RawRingRate(self, 4000000);
    return 0;
}
