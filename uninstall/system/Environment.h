// Environment variables stored for later sessions (registry or autoexec.bat) and read from our own.
#pragma once

#include <string>

namespace lvu {

// Sets the variable for later sessions, or removes it when `value` is empty (a variable that is
// already absent counts as removed). NT family: HKLM (system wide) or HKCU "Environment", as
// REG_EXPAND_SZ when `expandable`, else REG_SZ, without a change notification; 95 family: the SET
// lines of autoexec.bat in the "c:\" folder, which is never left missing or half written. Names
// with "=" or control characters and values with control characters are refused.
bool StoreEnvironmentVariable(const std::string& name, const std::string& value, bool systemWide,
                              bool expandable = false);

// The variable as later sessions will see it, read from the same store StoreEnvironmentVariable
// writes: on the NT family the registry value with its type (`%...%` references left as they
// are), on the 95 family the last SET line of autoexec.bat. `Exists` false when it is not set
// there (or cannot be read).
struct StoredVariable {
    std::string Value;
    bool Expandable = false;
    bool Exists = false;
};
[[nodiscard]] StoredVariable ReadStoredVariable(const std::string& name, bool systemWide);

// Tells the running programs that the stored environment changed (WM_SETTINGCHANGE
// "Environment"), waiting a few seconds at most for each and never for a hung one.
void AnnounceEnvironmentChange();

// `text` with its %...% references expanded in this process's environment; unchanged when it
// cannot be expanded.
[[nodiscard]] std::string ExpandEnvironment(const std::string& text);

// The value in this process's environment; empty when unset.
[[nodiscard]] std::string ReadEnvironmentVariable(const std::string& name);

}  // namespace lvu
