// String helpers with no platform dependency: number conversion, hex and geometry formatting.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace lvx {

// The program's standard integer conversion: optional leading blanks, an optional sign, then
// either decimal digits or hexadecimal digits after "$", "x" or "0x" (x in either case).
// Nothing may follow the digits. Decimal values must fit a signed 32-bit integer; hexadecimal
// ones may use all 32 bits (so "$FFFFFFFF" is -1).
[[nodiscard]] std::optional<int32_t> StrToInt(std::string_view text);
// The same syntax for 64-bit values: hexadecimal up to 16 digits, decimal in the signed range.
[[nodiscard]] std::optional<int64_t> StrToInt64(std::string_view text);

// The message panel's number notation: after trimming blanks and control characters, a text
// that begins with "$", "0X", "&H" or "#" (either case) is one or more hexadecimal digits,
// accumulated in 64 bits; anything else goes through StrToInt. The low 32 bits of the value.
[[nodiscard]] std::optional<uint32_t> ParseNumberNotation(std::string_view text);
// The same notation for values as wide as a 64-bit pointer: hexadecimal keeps all 64 bits and
// decimal goes through StrToInt64, so "-1" is all ones.
[[nodiscard]] std::optional<uint64_t> ParseWideNumberNotation(std::string_view text);

// A copy of `text` with every character below code 32 replaced by `replacement`.
[[nodiscard]] std::string ReplaceControlChars(std::string_view text, std::string_view replacement);

// Splits a text into lines ended by CR LF, LF or CR, as the program's text files are read.
// A final line without an end is kept; an empty text gives no lines.
[[nodiscard]] std::vector<std::string_view> SplitLines(std::string_view text);

// A message with its "%s" filled: the first "%s" becomes `argument`, and nothing else in the
// pattern is interpreted, so a language file's text can never act as a format string.
[[nodiscard]] std::string FormatMessageText(std::string_view pattern, std::string_view argument);

// The short version shown in the about box: the version text without the ten characters that
// follow its first three ("1.2.0.0" gives "1.2"; a text of 13 or fewer characters keeps its
// first three).
[[nodiscard]] std::string ShortVersion(std::string_view version);

// Upper case for the Latin letters only; other bytes (Cyrillic in CP1251 included) stay.
[[nodiscard]] std::string UpperCaseAscii(std::string_view text);

// Window handles, process and thread ids: 8 upper-case hexadecimal digits, no prefix.
[[nodiscard]] std::string FormatHandle(uint32_t value);

// Upper-case hexadecimal with at least `minDigits` digits and all significant ones.
[[nodiscard]] std::string FormatHex(uint64_t value, int minDigits);

// "(x,y)" and "WxH" as the main window shows positions and sizes.
[[nodiscard]] std::string FormatPoint(int32_t x, int32_t y);
[[nodiscard]] std::string FormatSize(int32_t width, int32_t height);

}  // namespace lvx
