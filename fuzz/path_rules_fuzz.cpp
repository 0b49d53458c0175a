// Fuzz target: the uninstaller's path rules and file masks, and the shared wildcard matcher checked
// against a plain recursive reading of the same rules on short inputs.
#include "PathRules.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace {

// The file-mask rules read literally: "*" any run, "?" one character other than "." or nothing
// where the name is at a "." or its end. Exponential, so only fed short inputs.
bool Reference(std::string_view name, std::string_view mask)
{
    if (mask.empty()) return name.empty();
    if (mask[0] == '*') {
        for (size_t skip = 0; skip <= name.size(); ++skip)
            if (Reference(name.substr(skip), mask.substr(1))) return true;
        return false;
    }
    if (mask[0] == '?') {
        if ((name.empty() || name[0] == '.') && Reference(name, mask.substr(1))) return true;
        return !name.empty() && name[0] != '.' && Reference(name.substr(1), mask.substr(1));
    }
    const auto upper = [](char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 32) : c; };
    return !name.empty() && upper(name[0]) == upper(mask[0]) && Reference(name.substr(1), mask.substr(1));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    // The bytes before the first NUL are the mask (and a path), the rest the name.
    const size_t split = input.find('\0');
    const std::string_view mask = input.substr(0, split);
    const std::string_view name = split == std::string_view::npos ? std::string_view() : input.substr(split + 1);

    const bool matched = lvu::MatchesMask(name, mask);
    if (mask.size() <= 10 && name.size() <= 12 && mask != "*.*" && mask.find('\0') == std::string_view::npos) {
        bool expected = Reference(name, mask);
        // "x.*" and "x." also take the name "x" without extension.
        if (!expected && name.find('.') == std::string_view::npos) {
            if (mask.size() >= 2 && mask.substr(mask.size() - 2) == ".*")
                expected = Reference(name, mask.substr(0, mask.size() - 2));
            else if (!mask.empty() && mask.back() == '.')
                expected = Reference(name, mask.substr(0, mask.size() - 1));
        }
        if (expected != matched) __builtin_trap();
    }
    // A star in front never makes a match fail; a plain name matches itself.
    if (matched && !lvu::MatchesMask(name, "*" + std::string(mask))) __builtin_trap();
    if (!lvu::HasWildcard(mask) && !lvu::MatchesMask(mask, mask)) __builtin_trap();

    // Normal forms are stable, and what is protected stays protected in its normal form.
    const std::string normal = lvu::NormalizePath(mask);
    if (!normal.empty()) {
        if (lvu::NormalizePath(normal) != normal) __builtin_trap();
        const lvu::CriticalFolders critical{{"C:\\WINDOWS\\SYSTEM32"}, {"C:\\USERS"}, {"C:\\WINDOWS"}};
        if (lvu::IsRootPath(normal) && !lvu::IsProtectedPath(normal, critical)) __builtin_trap();
        const std::string parent = lvu::ParentPath(normal);
        if (!parent.empty() && lvu::IsProtectedPath(normal, critical) && !lvu::IsRootPath(normal) &&
            !lvu::IsProtectedPath(parent, critical))
            __builtin_trap();
    }
    return 0;
}
