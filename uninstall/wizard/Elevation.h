// Starting the program again with an administrator's rights when the user can give them (user account control).
#pragma once

#include "system/Handles.h"

#include <windows.h>

#include <string>

namespace lvu {

// Whether this process runs with the limited token of an administrator under user account
// control, which has an elevated twin the user can consent to. False on systems without it.
[[nodiscard]] bool CanElevate();

// The program started elevated: whether the shell started it, its process when the shell gives
// one, or the reason it did not (ERROR_CANCELLED: the user refused).
struct ElevatedStart {
    bool Started = false;
    unique_kernel_handle Process;
    DWORD Error = ERROR_SUCCESS;
};
// Starts `program` with `parameters` through the shell's "runas" verb, which asks for consent.
[[nodiscard]] ElevatedStart StartElevated(HWND owner, const std::string& program, const std::string& parameters);

// Set in the environment for the elevated start: a program started so that still lacks the
// rights never asks again, whatever its token says.
inline constexpr char ElevatedMarker[] = "TALLOW_UNINSTALL_ELEVATED";

}  // namespace lvu
