// Engine test helpers: a progress page that records what the worker does to it, and the engine state reset for a test.
#pragma once

#include "engine/Engine.h"

#include <windows.h>

#include <string>
#include <vector>

namespace lvutest {

// A plain top-level window with the progress page's controls: status line 105, progress bar 106,
// stage labels 200..206 and the stage icons 300..320 (only the "not yet" icons visible). Every
// status text, shown icon and bar change arrives in Events, in order: "text ...", "icon N",
// "range LO-HI", "step N", "pos N".
class TestProgressPage {
public:
    TestProgressPage();
    ~TestProgressPage();
    TestProgressPage(const TestProgressPage&) = delete;
    TestProgressPage& operator=(const TestProgressPage&) = delete;

    [[nodiscard]] HWND Handle() const { return page_; }
    [[nodiscard]] int Position() const;
    [[nodiscard]] bool IconVisible(int id) const;
    // The events without the bar positions.
    [[nodiscard]] std::vector<std::string> Script() const;
    [[nodiscard]] std::vector<int> Positions() const;
    [[nodiscard]] const std::vector<std::string>& Events() const;
    void ClearEvents();

private:
    HWND page_ = nullptr;
};

// Puts the engine's state back to a program's start, pointed at this page (none when silent).
void ResetEngineState(const std::string& logPath, HWND page);

}  // namespace lvutest
