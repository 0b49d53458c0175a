// Environment variables stored for later sessions (registry or autoexec.bat) and read from our own.
#pragma once

#include <string>

namespace lvu {

// Sets the variable for later sessions, or removes it when `value` is empty (a variable that is
// already absent counts as removed). NT family: HKLM (system wide) or HKCU "Environment", as
// REG_SZ, without a change notification; 95 family: the SET lines of autoexec.bat in the "c:\"
// folder, which is never left missing or half written. Names with "=" or control characters and
// values with control characters are refused.
bool StoreEnvironmentVariable(const std::string& name, const std::string& value, bool systemWide);

// The value in this process's environment; empty when unset.
[[nodiscard]] std::string ReadEnvironmentVariable(const std::string& name);

}  // namespace lvu
