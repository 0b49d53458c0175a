// Benchmark: one scan of the window tree over a desktop that holds a window of 2,000 child
// controls in another process, beside the same tree built by the plain rule in which every
// node enumerates all its descendants and asks each reported window for its text before
// checking whether it is a direct child.
#include "ApiCallCounter.h"
#include "BenchSupport.h"
#include "TestSupport.h"

#include "core/UNI_WinVer.h"
#include "core/UNI_WindowInfo.h"
#include "discovery/QuickSearchForm.h"
#include "discovery/WindowTreeForm.h"
#include "language/MessageTable.h"

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

using lvxbench::Median;
using lvxbench::NowMs;

struct PlainRule {
    HWND parent;
    int nodes;
};

// Every reported window costs its text and class before the parent test, as the plain rule has it.
BOOL CALLBACK PlainVisit(HWND window, LPARAM parameter)
{
    auto& rule = *reinterpret_cast<PlainRule*>(parameter);
    (void)lvx::ReadTextByMessage(window, "?");
    (void)lvx::ReadClassName(window, "?");
    if (rule.parent != nullptr && ::GetParent(window) != rule.parent) return TRUE;
    ++rule.nodes;
    PlainRule child{window, 0};
    ::EnumChildWindows(window, &PlainVisit, reinterpret_cast<LPARAM>(&child));
    rule.nodes += child.nodes;
    return TRUE;
}

int PlainScan()
{
    PlainRule top{nullptr, 0};
    ::EnumWindows(&PlainVisit, reinterpret_cast<LPARAM>(&top));
    return top.nodes + 1;  // and the desktop
}

}  // namespace

int main(int argc, char** argv)
{
    const int rounds = argc > 1 ? std::max(3, std::atoi(argv[1])) : 9;
    lvx::InitPlatformFlags();

    lvxbench::ApiCallCounter counter;
    const bool counting = counter.Install({"user32.dll"});

    lvxtest::TargetProcess target({"many:2000", "nested", "basic"});
    if (!target.Ready()) {
        std::fprintf(stderr, "the target program did not start\n");
        return 1;
    }
    lvx::TQuickSearchForm search;
    lvx::TWindowTreeForm tree(search, nullptr);
    std::vector<double> scans, plain;
    uint64_t scanCalls = 0, plainCalls = 0;
    size_t nodes = 0;
    int plainNodes = 0;

    lvxtest::DialogDriver driver({{"\xC4\xE5\xF0\xE5\xE2\xEE \xEE\xEA\xEE\xED", [&](HWND dialog) {
        for (int round = 0; round < rounds; ++round) {
            counter.Reset();
            double start = NowMs();
            tree.ScanWindowTreeExecute();
            scans.push_back(NowMs() - start);
            scanCalls = counter.Total();
            nodes = tree.Nodes().size();

            counter.Reset();
            start = NowMs();
            plainNodes = PlainScan();
            plain.push_back(NowMs() - start);
            plainCalls = counter.Total();
        }
        ::PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
    }}});
    tree.ShowTree(nullptr);
    if (!driver.Done()) {
        std::fprintf(stderr, "the window tree did not open\n");
        return 1;
    }

    std::printf("Window tree scan of the desktop with a window of 2,000 children in another process (%d rounds, medians)\n",
                rounds);
    std::printf("  nodes: %zu (plain rule: %d)\n", nodes, plainNodes);
    std::printf("  our scan (tree view filled):          %8.2f ms\n", Median(scans));
    std::printf("  plain rule (no tree view at all):     %8.2f ms\n", Median(plain));
    if (counting) {
        std::printf("  platform calls (user32): our scan %llu (%.2f a node), plain rule %llu (%.2f a node)\n",
                    static_cast<unsigned long long>(scanCalls), nodes ? double(scanCalls) / double(nodes) : 0.0,
                    static_cast<unsigned long long>(plainCalls), plainNodes ? double(plainCalls) / plainNodes : 0.0);
    }
    return 0;
}
