// Benchmark: one scan of the window tree over a desktop that holds a window of 2,000 child
// controls in another process, beside the same tree built by the plain rule in which every
// node enumerates all its descendants and asks each reported window for its text before
// checking whether it is a direct child, and the same desktop grouped by process and thread. In the same run: the command line's --tree of the same
// desktop as JSON, and the locator of a control five levels down found again.
#include "ApiCallCounter.h"
#include "BenchSupport.h"
#include "TestSupport.h"

#include "core/CommandLineRun.h"
#include "core/UNI_WinVer.h"
#include "core/UNI_WindowInfo.h"
#include "discovery/QuickSearchForm.h"
#include "discovery/WindowLocator.h"
#include "discovery/WindowTreeForm.h"
#include "language/MessageTable.h"
#include "settings/Settings.h"

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

    lvxtest::TargetProcess target({"many:2000", "nested", "basic", "deep"});
    if (!target.Ready()) {
        std::fprintf(stderr, "the target program did not start\n");
        return 1;
    }
    lvx::TQuickSearchForm search;
    lvx::TWindowTreeForm tree(search, nullptr);
    std::vector<double> scans, plain, grouped;
    uint64_t scanCalls = 0, plainCalls = 0, groupedCalls = 0;
    size_t nodes = 0, groupedNodes = 0;
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

            lvx::TreeGroupByProcess = true;
            counter.Reset();
            start = NowMs();
            tree.ScanWindowTreeExecute();
            grouped.push_back(NowMs() - start);
            groupedCalls = counter.Total();
            groupedNodes = tree.Nodes().size();
            lvx::TreeGroupByProcess = false;
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
    std::printf("  grouped by process (%zu nodes):     %8.2f ms (%.2fx the scan)\n", groupedNodes, Median(grouped),
                Median(grouped) / Median(scans));
    if (counting) {
        std::printf("  platform calls (user32): our scan %llu (%.2f a node), plain rule %llu (%.2f a node)\n",
                    static_cast<unsigned long long>(scanCalls), nodes ? double(scanCalls) / double(nodes) : 0.0,
                    static_cast<unsigned long long>(plainCalls), plainNodes ? double(plainCalls) / plainNodes : 0.0);
        std::printf("  platform calls (user32): grouped by process %llu (%.2fx the scan)\n",
                    static_cast<unsigned long long>(groupedCalls), scanCalls ? double(groupedCalls) / double(scanCalls) : 0.0);
    }

    // The command line's tree of the same desktop, written as JSON to a file, with every node's locator.
    lvxtest::TempFolder folder;
    const std::string out = folder.Path() + "tree.json";
    std::vector<double> commands;
    uint64_t commandCalls = 0;
    for (int round = 0; round < rounds; ++round) {
        counter.Reset();
        const double start = NowMs();
        if (lvx::RunCommandLine({"--tree", "--out", out}) != 0) {
            std::fprintf(stderr, "lumivex --tree failed\n");
            return 1;
        }
        commands.push_back(NowMs() - start);
        commandCalls = counter.Total();
    }
    std::printf("  --tree as JSON, locators included:    %8.2f ms (%.2fx the scan)\n", Median(commands),
                Median(commands) / Median(scans));
    if (counting)
        std::printf("  platform calls (user32): --tree %llu (%.2f a node)\n", static_cast<unsigned long long>(commandCalls),
                    nodes ? double(commandCalls) / double(nodes) : 0.0);

    // A control five levels down found again by its locator, among the 2,000 windows.
    const std::optional<std::string> text = lvx::LocatorOfWindow(target.Window("deep.leaf"));
    const std::optional<lvx::Locator> locator = text ? lvx::ParseLocator(*text) : std::nullopt;
    if (!locator) {
        std::fprintf(stderr, "the deep control has no locator\n");
        return 1;
    }
    std::vector<double> finds;
    uint64_t findCalls = 0;
    size_t found = 0;
    for (int round = 0; round < rounds; ++round) {
        counter.Reset();
        const double start = NowMs();
        found = lvx::FindWindowsByLocator(*locator).Windows.size();
        finds.push_back(NowMs() - start);
        findCalls = counter.Total();
    }
    int topLevels = 0;
    for (HWND w = ::GetTopWindow(nullptr); w != nullptr; w = ::GetWindow(w, GW_HWNDNEXT)) ++topLevels;
    std::printf("Locator %s\n  found %zu window in %.2f ms\n", text->c_str(), found, Median(finds));
    if (counting)
        std::printf("  platform calls (user32): %llu; the path and its siblings are %d top-level windows and "
                    "5 levels of 10 children\n", static_cast<unsigned long long>(findCalls), topLevels);
    return 0;
}
