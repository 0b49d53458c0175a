// Benchmark: what one picking mouse move costs against a window of 2,000 child controls in
// another process, beside the platform's own cost of enumerating those children once.
#include "ApiCallCounter.h"
#include "BenchSupport.h"
#include "TestSupport.h"

#include "core/MainForm.h"
#include "core/MyDrag.h"
#include "core/Picking.h"
#include "core/UNI_WinVer.h"
#include "language/MultiLang.h"

#include <algorithm>
#include <cstdio>
#include <functional>
#include <vector>

namespace {

using lvxbench::Median;
using lvxbench::NowMs;

BOOL CALLBACK VisitWithRectangle(HWND window, LPARAM count)
{
    RECT rect{};
    ::GetWindowRect(window, &rect);
    ++*reinterpret_cast<int*>(count);
    return TRUE;
}

// The platform's own work: every descendant once, with its rectangle.
int EnumerateChildren(HWND parent)
{
    int count = 0;
    ::EnumChildWindows(parent, &VisitWithRectangle, reinterpret_cast<LPARAM>(&count));
    return count;
}

}  // namespace

int main(int argc, char** argv)
{
    const int rounds = argc > 1 ? std::max(3, std::atoi(argv[1])) : 15;
    lvx::InitPlatformFlags();
    lvx::InitProgramFolder();

    lvxbench::ApiCallCounter counter;
    const bool counting = counter.Install({"user32.dll", "gdi32.dll"});

    lvxtest::TargetProcess target({"many:2000"});
    if (!target.Ready()) {
        std::fprintf(stderr, "the target program did not start\n");
        return 1;
    }
    const HWND many = target.Window("many");
    lvx::TMainForm form;
    if (!form.FormCreate()) return 1;
    form.ShowForm();
    lvxtest::PumpMessages();

    // Two points over different children, so that every move finds a new window.
    const POINT first = lvxtest::CenterOf(target.Window("many.first"));
    RECT firstRect{};
    ::GetWindowRect(target.Window("many.first"), &firstRect);
    const POINT second{first.x + (firstRect.right - firstRect.left), first.y};

    std::vector<double> enumerate, move, search, frame, gather, display;
    uint64_t enumerateCalls = 0, moveCalls = 0;
    int children = 0;
    std::vector<lvxbench::ApiCallCounter::Entry> moveDetail;

    // One drag for the whole run: each move erases the old frame and draws the new one, and
    // nothing asks the other windows to repaint while figures are taken.
    lvx::TMyDrag drag(form);
    drag.GetDragCursor(first);
    for (int warmUp = 0; warmUp < 3; ++warmUp) {
        EnumerateChildren(many);
        lvxtest::PumpMessages();
    }
    for (int round = 0; round < rounds; ++round) {
        counter.Reset();
        double start = NowMs();
        children = EnumerateChildren(many);
        enumerate.push_back(NowMs() - start);
        enumerateCalls = counter.Total();

        counter.Reset();
        start = NowMs();
        drag.GetDragCursor(round % 2 == 0 ? second : first);
        ::RedrawWindow(form.Handle(), nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
        move.push_back(NowMs() - start);
        moveCalls = counter.Total();
        moveDetail = counter.Called();
        lvxtest::PumpMessages();

        // The same work taken apart, on the window the move found.
        const POINT point = round % 2 == 0 ? second : first;
        start = NowMs();
        const HWND found = lvx::WindowAtPoint(point.x, point.y);
        search.push_back(NowMs() - start);
        start = NowMs();
        const RECT drawn = lvx::DrawHighlightFrame(found);
        lvx::DrawHighlightFrameRect(drawn);
        frame.push_back(NowMs() - start);
        start = NowMs();
        lvx::WindowInfo info;
        lvx::GatherWindowInfo(found, true, info);
        gather.push_back(NowMs() - start);
        start = NowMs();
        form.ShowWindowInfo(round % 2 == 0 ? lvx::WindowInfo{} : info, true);
        ::RedrawWindow(form.Handle(), nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
        display.push_back(NowMs() - start);
        lvxtest::PumpMessages();
    }
    drag.CancelDrag();

    const double bare = Median(enumerate);
    const double picking = Median(move);
    std::printf("Picking against a window of %d child controls in another process (%d rounds, medians)\n", children,
                rounds);
    std::printf("  enumerate children with rectangles (platform):  %8.2f ms\n", bare);
    std::printf("  one picking mouse move (search, frame, light gather, display): %8.2f ms\n", picking);
    std::printf("  ratio move / enumeration:                       %8.2f\n", bare > 0 ? picking / bare : 0.0);
    std::printf("  move minus enumeration:                         %8.2f ms\n", picking - bare);
    std::printf("  parts: window search %.2f ms, frame erase+draw %.2f ms, light gather %.2f ms, display %.2f ms\n",
                Median(search), Median(frame), Median(gather), Median(display));
    if (counting) {
        std::printf("  platform calls (user32, gdi32): enumeration %llu, one move %llu\n",
                    static_cast<unsigned long long>(enumerateCalls), static_cast<unsigned long long>(moveCalls));
        std::printf("  calls of one move by function:");
        for (const auto& entry : moveDetail)
            std::printf(" %s %llu,", entry.Function.c_str(), static_cast<unsigned long long>(entry.Calls));
        std::printf("\n");
    }
    return 0;
}
