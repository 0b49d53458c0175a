// Benchmark: what reading every page of the details window costs for windows of another process,
// in time and in calls to the platform, beside the full gather of the main window.
#include "ApiCallCounter.h"
#include "BenchSupport.h"
#include "TestSupport.h"

#include "core/UNI_WinVer.h"
#include "core/UNI_WindowInfo.h"
#include "details/WindowDetails.h"
#include "language/MultiLang.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

using lvxbench::Median;
using lvxbench::NowMs;

struct Figures {
    double DetailsMs = 0, GatherMs = 0;
    uint64_t DetailsCalls = 0, GatherCalls = 0;
    std::vector<lvxbench::ApiCallCounter::Entry> Detail;
};

Figures Measure(HWND window, int rounds, lvxbench::ApiCallCounter& counter)
{
    std::vector<double> details, gather;
    Figures figures;
    // One round first, so that loading libraries and filling caches is not in the figures.
    for (int round = -1; round < rounds; ++round) {
        double start = NowMs();
        counter.Reset();
        lvx::WindowDetails read;
        lvx::GatherWindowDetails(window, read);
        figures.DetailsCalls = counter.Total();
        figures.Detail = counter.Called();
        if (round >= 0) details.push_back(NowMs() - start);
        start = NowMs();
        counter.Reset();
        lvx::WindowInfo info;
        lvx::GatherWindowInfo(window, false, info);
        figures.GatherCalls = counter.Total();
        if (round >= 0) gather.push_back(NowMs() - start);
    }
    figures.DetailsMs = Median(details);
    figures.GatherMs = Median(gather);
    return figures;
}

}  // namespace

int main(int argc, char** argv)
{
    const int rounds = argc > 1 ? std::max(3, std::atoi(argv[1])) : 15;
    lvx::InitPlatformFlags();
    lvx::InitProgramFolder();
    lvxbench::ApiCallCounter counter;
    const bool counting = counter.Install({"user32.dll", "gdi32.dll", "kernel32.dll", "advapi32.dll", "psapi.dll"});

    lvxtest::TargetProcess target({"details", "hung"});
    if (!target.Ready()) {
        std::fprintf(stderr, "the target program did not start\n");
        return 1;
    }
    std::printf("Reading every page of the details window (%d rounds, medians)\n", rounds);
    const char* windows[] = {"details", "details.check", "details.list"};
    for (const char* name : windows) {
        const Figures figures = Measure(target.Window(name), rounds, counter);
        std::printf("  %-14s details %7.2f ms, main window's full gather %7.2f ms", name, figures.DetailsMs,
                    figures.GatherMs);
        if (counting)
            std::printf("; platform calls: details %llu, full gather %llu",
                        static_cast<unsigned long long>(figures.DetailsCalls),
                        static_cast<unsigned long long>(figures.GatherCalls));
        std::printf("\n");
        if (counting && std::string(name) == "details.list") {
            std::printf("  calls of the list view's details by function:");
            for (const auto& entry : figures.Detail)
                std::printf(" %s %llu,", entry.Function.c_str(), static_cast<unsigned long long>(entry.Calls));
            std::printf("\n");
        }
    }
    target.HangWindow(0);
    const Figures hung = Measure(target.Window("hung"), 3, counter);
    std::printf("  hung window    details %7.2f ms (no message is sent to a window that is not a list view)\n",
                hung.DetailsMs);
    return 0;
}
