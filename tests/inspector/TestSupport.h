// Test helpers for the real platform: the target program, waiting, the mouse and the screen.
#pragma once

#include "support/TempFiles.h"

#include <windows.h>

#include <functional>
#include <initializer_list>
#include <map>
#include <string>
#include <vector>

namespace lvxtest {

using lvctest::BinFolder;
using lvctest::TempFolder;

// Pumps this thread's messages until `condition` holds or `timeoutMs` passes; true when it held.
bool WaitFor(const std::function<bool()>& condition, DWORD timeoutMs = 15000);
void PumpMessages();

// A started program of ours, ended (and waited for) by the destructor.
class ChildProcess {
public:
    ChildProcess() = default;
    ChildProcess(const std::string& program, const std::string& arguments);
    ~ChildProcess();
    ChildProcess(ChildProcess&& other) noexcept;
    ChildProcess& operator=(ChildProcess&& other) noexcept;

    [[nodiscard]] bool Started() const { return process_ != nullptr; }
    [[nodiscard]] DWORD Id() const { return id_; }
    [[nodiscard]] HANDLE Process() const { return process_; }
    [[nodiscard]] bool Exited() const;
    // Waits for the process to end by itself; its exit code, or STILL_ACTIVE on time-out.
    DWORD WaitExit(DWORD timeoutMs);
    void Terminate();

private:
    HANDLE process_ = nullptr;
    DWORD id_ = 0;
};

// The test target program in another process, with the windows of the given scenarios.
class TargetProcess {
public:
    // `program`: another build of the target program (the other bitness's); empty: this build's.
    explicit TargetProcess(std::initializer_list<std::string> scenarios, const std::string& program = {});
    ~TargetProcess();
    TargetProcess(const TargetProcess&) = delete;
    TargetProcess& operator=(const TargetProcess&) = delete;

    [[nodiscard]] bool Ready() const { return ready_; }
    // A window of the report by name; null when the report has none.
    [[nodiscard]] HWND Window(const std::string& name) const;
    [[nodiscard]] unsigned long long Number(const std::string& name) const;
    [[nodiscard]] DWORD ProcessId() const { return process_.Id(); }
    [[nodiscard]] HANDLE Process() const { return process_.Process(); }
    // Makes the "hung" scenario's window stop answering messages for `forMs` milliseconds
    // (0: for good), and returns once a message to it goes unanswered.
    void HangWindow(DWORD forMs = 0);

private:
    TempFolder folder_;
    ChildProcess process_;
    std::map<std::string, std::string> values_;
    bool ready_ = false;
};

// Keeps the values of a registry key under HKEY_CURRENT_USER and puts them back (removing what
// was added, and the key when it did not exist) when it goes, so that tests may change the
// program's settings freely.
class RegistryKeyBackup {
public:
    explicit RegistryKeyBackup(std::string path);
    ~RegistryKeyBackup();
    RegistryKeyBackup(const RegistryKeyBackup&) = delete;
    RegistryKeyBackup& operator=(const RegistryKeyBackup&) = delete;

private:
    struct Value {
        std::string Name;
        DWORD Type;
        std::vector<BYTE> Data;
    };
    std::string path_;
    bool existed_ = false;
    std::vector<Value> values_;
};

// Registry helpers for tests: a string value (empty when missing), writing one, removing a key tree.
std::string ReadRegistryString(const std::string& path, const std::string& name);
void WriteRegistryString(const std::string& path, const std::string& name, const std::string& value);
void DeleteRegistryKey(const std::string& path);

// A fresh key path under HKEY_CURRENT_USER\Software\LumivexTests, removed with everything below
// it by the destructor.
class ScratchRegistryKey {
public:
    ScratchRegistryKey();
    ~ScratchRegistryKey();
    ScratchRegistryKey(const ScratchRegistryKey&) = delete;
    ScratchRegistryKey& operator=(const ScratchRegistryKey&) = delete;
    [[nodiscard]] const std::string& Path() const { return path_; }

private:
    std::string path_;
};

// While it lives, every message box and popup menu of this thread is answered as soon as it
// shows: message boxes are recorded (caption and text) and closed with OK, menus are closed
// after `onMenu` has looked at them. Commands that show them can then run inside a test.
class ModalWatcher {
public:
    struct Box {
        std::string Caption;
        std::string Text;
    };
    ModalWatcher();
    ~ModalWatcher();
    ModalWatcher(const ModalWatcher&) = delete;
    ModalWatcher& operator=(const ModalWatcher&) = delete;
    std::vector<Box> Boxes;
    std::function<void()> OnMenu;

private:
    static void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD);
    UINT_PTR timer_ = 0;
};

// While it lives, drives this thread's modal dialogs in turn: each step waits for a visible
// dialog with its caption (a message box or any other; an empty caption: whichever shows), then
// acts on it. Steps run once each, in order; `Done` tells whether all of them ran.
class DialogDriver {
public:
    struct Step {
        std::string Caption;
        std::function<void(HWND dialog)> Act;
    };
    explicit DialogDriver(std::vector<Step> steps);
    ~DialogDriver();
    DialogDriver(const DialogDriver&) = delete;
    DialogDriver& operator=(const DialogDriver&) = delete;
    [[nodiscard]] bool Done() const { return next_ == steps_.size(); }

private:
    static void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD);
    std::vector<Step> steps_;
    size_t next_ = 0;
    HWND last_ = nullptr;
    UINT_PTR timer_ = 0;
};

// The message of a message box: its longest static text.
std::string MessageBoxText(HWND box);
// Closes a message box (or any dialog) as its OK button would.
void PressOk(HWND dialog);

// Synthetic mouse input at screen pixels.
void MouseMoveTo(int x, int y);
void MouseDown();
void MouseUp();
// Moves in steps from the current position to (x, y), giving the receiver time for each.
void MouseGlideTo(int x, int y, int steps);
void MouseDoubleClick();

// How many threads this process has now.
int ThreadCount();

// Centre of a window's rectangle, in screen coordinates.
POINT CenterOf(HWND window);

// The screen's pixels in a rectangle (screen coordinates), row by row.
std::vector<COLORREF> CaptureScreen(const RECT& rect);

// Text of a window of another process, asked by message with a time-out.
std::string ForeignText(HWND window);

// The target program of the other bitness's build (32-bit for the 64-bit tests and the other way
// round), "lvxtarget-other.exe" beside this build's programs; empty when it is not there.
[[nodiscard]] std::string OtherBitnessTarget();

// The first visible top-level window of a process with the given class (and caption), or null.
HWND FindProcessWindow(DWORD processId, const char* className, const char* caption = nullptr);

}  // namespace lvxtest
