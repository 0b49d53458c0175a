// The process-wide reboot-needed flag and the restart of the machine.
#pragma once

namespace lvu {

// Set by every operation that had to leave work for the next restart; false at start.
[[nodiscard]] bool RebootNeeded();
void SetRebootNeeded();
void ClearRebootNeeded();

// Restarts Windows (EWX_REBOOT); on the NT family the shutdown privilege is enabled first, and
// when that fails nothing more happens. True when the restart was accepted.
bool RestartWindows();

}  // namespace lvu
