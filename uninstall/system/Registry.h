// Registry access by textual path ("HKLM\Software\Vendor"): reads, logged values written back, removal.
#pragma once

#include <windows.h>

#include <cstdint>
#include <optional>
#include <string>

namespace lvu {

// On a 64-bit system the registry has a 32-bit and a 64-bit view of HKLM\Software (and of the
// classes); each program sees its own unless it asks. The uninstaller asks for the view the
// installer wrote, once chosen before the removal; Native leaves every access unflagged.
enum class RegistryView : uint8_t { Native, Bits32, Bits64 };
// Whether the system runs 64-bit programs (a 32-bit program then runs under WOW64).
[[nodiscard]] bool IsWow64System();
// The view a program of this build sees by itself: Bits32 or Bits64 on a 64-bit system, Native otherwise.
[[nodiscard]] RegistryView OwnRegistryView();
// Every later access of this module goes to `view` (program-wide, set before the worker starts).
void SetRegistryView(RegistryView view);
[[nodiscard]] RegistryView CurrentRegistryView();
// The flag that opens a key in the current view (0 for Native).
[[nodiscard]] REGSAM RegistryViewAccess();

// REG_SZ and REG_EXPAND_SZ as stored (no expansion), REG_BINARY as upper-case hexadecimal pairs,
// REG_DWORD as unsigned decimal, REG_MULTI_SZ joined by CR LF; `defaultValue` otherwise.
[[nodiscard]] std::string RegReadString(const std::string& path, const std::string& valueName,
                                        const std::string& defaultValue);
// A REG_SZ or REG_EXPAND_SZ value as it is stored, with its type; nullopt when the value is
// missing, cannot be read or is of another type.
struct StoredString {
    std::string Text;
    bool Expandable = false;
};
[[nodiscard]] std::optional<StoredString> RegReadStoredString(const std::string& path, const std::string& valueName);
// Four bytes of data; `defaultValue` when they cannot be read.
[[nodiscard]] int32_t RegReadInteger(const std::string& path, const std::string& valueName, int32_t defaultValue);

// The writes and removals below leave the platform's error code as the thread's last error when they fail.

// Each creates the key when missing. Binary data is hexadecimal text; multi-strings are text
// lines separated by CR LF.
bool RegWriteString(const std::string& path, const std::string& valueName, const std::string& data);
bool RegWriteExpandString(const std::string& path, const std::string& valueName, const std::string& data);
bool RegWriteInteger(const std::string& path, const std::string& valueName, int32_t data);
bool RegWriteBinary(const std::string& path, const std::string& valueName, const std::string& hexData);
bool RegWriteMultiString(const std::string& path, const std::string& valueName, const std::string& lines);

// Writes logged data back by its type code (1 as REG_SZ, 2 as REG_EXPAND_SZ, 3 binary, 4 unsigned decimal
// DWORD, 7 multi-string); any other code writes nothing and fails.
bool RegRestoreValue(const std::string& path, const std::string& valueName, int typeCode, const std::string& data);

bool RegRemoveValue(const std::string& path, const std::string& valueName);
// Whether the key can be opened for reading and holds the value.
[[nodiscard]] bool RegValueExists(const std::string& path, const std::string& valueName);
// Removes the key; when recursive, its sub-keys first. Without recursion a key that still has
// sub-keys stays where the platform refuses. A root is never removed.
bool RegRemoveKey(const std::string& path, bool recursive);

}  // namespace lvu
