// Benchmark: the mask matcher against the platform's PathMatchSpecA on the same pairs (the
// texts and class names of a desktop scan, with the target program's windows among them,
// against masks users type), and the matcher alone on adversarial pairs, whose time must grow
// in step with the text.
#include "BenchSupport.h"
#include "TestSupport.h"

#include "core/UNI_WinVer.h"
#include "core/UNI_WindowInfo.h"
#include "discovery/Mask.h"

#include <shlwapi.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

using lvxbench::Median;
using lvxbench::NowMs;

BOOL CALLBACK Collect(HWND window, LPARAM parameter)
{
    auto& names = *reinterpret_cast<std::vector<std::string>*>(parameter);
    names.push_back(lvx::ReadTextByMessage(window, ""));
    names.push_back(lvx::ReadClassName(window, ""));
    return TRUE;
}

BOOL CALLBACK CollectTop(HWND window, LPARAM parameter)
{
    reinterpret_cast<std::vector<HWND>*>(parameter)->push_back(window);
    return TRUE;
}

// Every window's text and class name, top-level windows and all their descendants.
std::vector<std::string> ScanDesktop()
{
    std::vector<std::string> names;
    std::vector<HWND> tops;
    ::EnumWindows(&CollectTop, reinterpret_cast<LPARAM>(&tops));
    for (const HWND top : tops) {
        Collect(top, reinterpret_cast<LPARAM>(&names));
        ::EnumChildWindows(top, &Collect, reinterpret_cast<LPARAM>(&names));
    }
    return names;
}

// Runs `match` over every pair `rounds` times; the median milliseconds of one pass over all.
template <typename Match>
double TimePairs(const std::vector<std::string>& texts, size_t maskCount, int rounds, size_t& matches, Match match)
{
    std::vector<double> passes;
    for (int round = 0; round < rounds; ++round) {
        matches = 0;
        const double start = NowMs();
        for (size_t mask = 0; mask < maskCount; ++mask)
            for (const std::string& text : texts) matches += match(mask, text) ? 1 : 0;
        passes.push_back(NowMs() - start);
    }
    return Median(passes);
}

}  // namespace

int main(int argc, char** argv)
{
    const int rounds = argc > 1 ? std::max(3, std::atoi(argv[1])) : 9;
    lvx::InitPlatformFlags();
    lvxtest::TargetProcess target({"many:2000", "basic", "dialog", "nested", "commands"});
    if (!target.Ready()) {
        std::fprintf(stderr, "the target program did not start\n");
        return 1;
    }
    const std::vector<std::string> texts = ScanDesktop();

    const char* const patterns[] = {"*edit*", "Afx:*", "?*[0-9]"};
    std::vector<lvx::TMask> masks;
    for (const char* pattern : patterns) masks.push_back(*lvx::TMask::Create(pattern));

    std::printf("Mask matching on the texts and class names of a desktop scan (%zu strings; %d rounds, medians)\n",
                texts.size(), rounds);
    std::printf("  %-10s %12s %12s %9s %14s\n", "mask", "TMask", "PathMatch", "ratio", "matches");
    double ourTotal = 0, platformTotal = 0;
    for (size_t mask = 0; mask < masks.size(); ++mask) {
        size_t ourMatches = 0, platformMatches = 0;
        const double ours = TimePairs(texts, 1, rounds, ourMatches,
                                      [&](size_t, const std::string& text) { return masks[mask].Matches(text); });
        const double platform = TimePairs(texts, 1, rounds, platformMatches, [&](size_t, const std::string& text) {
            return ::PathMatchSpecA(text.c_str(), patterns[mask]) != FALSE;
        });
        ourTotal += ours;
        platformTotal += platform;
        std::printf("  %-10s %9.3f ms %9.3f ms %8.1fx %6zu /%6zu\n", patterns[mask], ours, platform,
                    ours > 0 ? platform / ours : 0.0, ourMatches, platformMatches);
    }
    const double pairs = static_cast<double>(texts.size() * masks.size());
    std::printf("  all pairs: TMask %.1f ns a pair, PathMatchSpecA %.1f ns a pair: %.1fx faster\n",
                ourTotal * 1e6 / pairs, platformTotal * 1e6 / pairs, ourTotal > 0 ? platformTotal / ourTotal : 0.0);
    std::printf("  (PathMatchSpecA knows no [0-9] sets: it looks for the bracket itself, hence its few matches)\n");

    // Adversarial: a run of stars whose last piece never comes, so every star keeps retrying.
    std::string starry;
    for (int star = 0; star < lvx::TMask::MaxStarRuns - 1; ++star) starry += "*a";
    starry += "*b";
    // And one long piece after the last star, which every retry matches almost to its end.
    const std::string longPiece = "*a*" + std::string(60, 'a') + "b";
    std::printf("Adversarial pairs against texts of a's, no match (%d rounds, medians)\n", rounds);
    for (const std::string& pattern : {starry, longPiece}) {
        const lvx::TMask adversary = *lvx::TMask::Create(pattern);
        std::printf("  %.24s... (%zu characters)\n", pattern.c_str(), pattern.size());
        for (const size_t length : {25000u, 50000u, 100000u}) {
            const std::string text(length, 'a');
            std::vector<double> times;
            bool matched = false;
            for (int round = 0; round < rounds; ++round) {
                const double start = NowMs();
                matched = adversary.Matches(text) || matched;
                times.push_back(NowMs() - start);
            }
            std::printf("    %6zu characters: %8.3f ms%s\n", length, Median(times), matched ? " (matched!)" : "");
        }
    }
    return 0;
}
