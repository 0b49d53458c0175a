// The parts of an install log line and the fields inside them: names, values, comma fields, words, registry references.
#pragma once

#include <string>
#include <string_view>

namespace lvu {

// The results that are views point into the text passed in and live as long as it does.

// Text before the first "=", the whole line when there is none.
[[nodiscard]] std::string_view NamePart(std::string_view line) noexcept;

// Text after the first "=", empty when there is none.
[[nodiscard]] std::string_view ValuePart(std::string_view line) noexcept;

// Text before the last "=", the whole line when there is none, so that a path which itself holds
// "=" stays whole when the installer wrote it as a key.
[[nodiscard]] std::string_view PathPart(std::string_view line) noexcept;

// Comma field n (1-based) of a text. A double or single quote opens a quoted stretch that the same
// quote character closes; commas inside it do not split. A field that begins with a single quote
// is unquoted (see UnquoteSingle); double quotes stay. Missing fields, and n < 1, give "".
[[nodiscard]] std::string DelimitedField(std::string_view text, int n);

// Word n (1-based) of a list whose words are separated by runs of any of the delimiter
// characters; empty words are skipped and there is no quoting. Missing words give "".
[[nodiscard]] std::string_view Word(std::string_view text, int n, std::string_view delimiters) noexcept;

// A text that begins with a single quote loses it and the quote that closes it, and every doubled
// single quote between them becomes one; text after the closing quote is kept as it is. Any other
// text is returned unchanged.
[[nodiscard]] std::string UnquoteSingle(std::string_view text);

// Splits "root\key path\value name" at the last backslash outside a quoted stretch (" or '),
// scanning from the end. The value name is unquoted when it begins with a single quote. Without
// such a backslash the key path is empty, the value name is the whole (unquoted) text and the
// answer is false.
bool SplitRegistryValueReference(std::string_view text, std::string& keyPath, std::string& valueName);

// "||" in a logged text stands for a line break: CR in user-interface texts, CR LF in registry data.
[[nodiscard]] std::string ExpandLineBreaks(std::string_view text, bool forRegistry);

}  // namespace lvu
