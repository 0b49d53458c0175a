// Wizard test helpers: the uninstaller in another process, its windows found by caption, its buttons pressed.
#pragma once

#include "system/Handles.h"

#include <windows.h>

#include <string>
#include <vector>

namespace lvutest {

// What a process exit code of -1 reads as from another process.
inline constexpr DWORD ExitFailed = 0xFFFFFFFF;

// A started uninstaller; ended (and waited for) by the destructor if it is still running.
class UninstallerProcess {
public:
    UninstallerProcess(const std::string& program, const std::string& arguments);
    ~UninstallerProcess();
    UninstallerProcess(const UninstallerProcess&) = delete;
    UninstallerProcess& operator=(const UninstallerProcess&) = delete;

    [[nodiscard]] bool Started() const { return static_cast<bool>(process_); }
    [[nodiscard]] DWORD Id() const { return id_; }
    // Waits for the end; the exit code, or STILL_ACTIVE on time-out.
    DWORD WaitExit(DWORD timeoutMs = 60000);
    [[nodiscard]] bool Running() const;
    // A visible top-level window of this process with exactly this caption, waited for; null on time-out.
    HWND WaitWindow(const std::string& caption, DWORD timeoutMs = 30000) const;
    [[nodiscard]] HWND FindWindowByCaption(const std::string& caption) const;
    // Every visible top-level window of this process.
    [[nodiscard]] std::vector<HWND> Windows() const;

private:
    lvu::unique_kernel_handle process_;
    DWORD id_ = 0;
};

// Deletes a folder ("...\") with everything in it, links as links; true when it is gone.
bool RemoveTree(const std::string& folder);

// A control of another process's window.
std::string ControlText(HWND dialog, int id);
void SetControlText(HWND dialog, int id, const std::string& text);
bool IsChecked(HWND dialog, int id);
// Checks one radio button of a pair and clears the other, as a click on it would.
void ChooseRadio(HWND dialog, int checked, int cleared);
bool ControlEnabled(HWND dialog, int id);
bool ControlVisible(HWND dialog, int id);
// The button's command, as its click sends it.
void Press(HWND dialog, int id);
// The texts of a message box's static controls, joined by "|".
std::string BoxText(HWND box);
// The caption of another process's window.
std::string Caption(HWND window);

}  // namespace lvutest
