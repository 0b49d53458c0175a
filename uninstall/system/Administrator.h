// Whether the uninstaller runs with the rights of the built-in Administrators group.
#pragma once

namespace lvu {

// Always true on the 95 family. On the NT family true when the process token holds the
// Administrators group enabled; a group kept for deny checks only (an administrator's token
// under user account control, not elevated) does not count. False when the token cannot be read.
[[nodiscard]] bool IsAdministrator();

}  // namespace lvu
