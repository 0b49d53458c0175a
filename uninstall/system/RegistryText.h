// Text forms of registry paths and data: roots, hexadecimal pairs, multi-strings, unsigned numbers.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace lvu {

enum class RegistryRoot { ClassesRoot, CurrentUser, LocalMachine, Users };

// A textual registry path taken apart: "HKLM\Software\X" gives LocalMachine and "Software\X".
struct RegistryPath {
    RegistryRoot Root = RegistryRoot::CurrentUser;
    std::string SubKey;
};

// Value type codes as the install log writes them.
inline constexpr int RegTypeAbsent = 0;
inline constexpr int RegTypeString = 1;
inline constexpr int RegTypeExpandString = 2;
inline constexpr int RegTypeBinary = 3;
inline constexpr int RegTypeDword = 4;
inline constexpr int RegTypeMultiString = 7;

// One trailing backslash is dropped; the roots HKCR, HKCU, HKLM and HKU are recognised in any
// letter case; a first component that names no root makes the whole text a key under HKCU.
[[nodiscard]] RegistryPath ParseRegistryPath(std::string_view path);

// "Software\A\B" gives "Software\A" and "B"; a single component gives an empty parent.
struct KeyPathSplit {
    std::string Parent;
    std::string Name;
};
[[nodiscard]] KeyPathSplit SplitLastKey(std::string_view subKey);

// Spaces are removed, then every two characters make one byte; a pair that is not hexadecimal
// gives 0 and an odd last character is ignored.
[[nodiscard]] std::vector<uint8_t> BinaryFromHex(std::string_view text);
// Each byte as two upper-case hexadecimal digits, no separators.
[[nodiscard]] std::string HexFromBinary(const uint8_t* data, size_t size);

// REG_MULTI_SZ data from text lines: LF removed, CR made a zero, the terminating zero and one
// more appended. The result holds bytes, zeros included.
[[nodiscard]] std::string MultiStringData(std::string_view text);
// The strings of REG_MULTI_SZ data joined by CR LF, one or two final zeros dropped.
[[nodiscard]] std::string MultiStringText(std::string_view data);

// A whole text as a signed 32-bit decimal (leading spaces and a sign allowed).
[[nodiscard]] std::optional<int32_t> ParseSigned32(std::string_view text);
// A signed 32-bit decimal, or a number from 2147483648 to 4294967295 (read as its first digits
// and its last digit); anything else gives `defaultValue`.
[[nodiscard]] uint32_t ParseUnsignedDecimal(std::string_view text, uint32_t defaultValue);

}  // namespace lvu
