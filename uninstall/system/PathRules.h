// Path checks of the deletion safety rules: absolute paths, normal forms, protected folders, masks.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace lvu {

// "C:" alone: to the platform it means the current folder of drive C, so it is never taken as a path.
[[nodiscard]] bool IsBareDrive(std::string_view path);

// A path that does not depend on a current folder: a drive letter, a colon and a (back)slash, or
// "\\server\share". Device and "\\?\" forms are not accepted from callers.
[[nodiscard]] bool IsAbsolutePath(std::string_view path);

// One spelling per folder: slashes become backslashes, doubled separators collapse, "." and ".."
// parts are resolved, trailing dots and blanks of each part are dropped (the platform ignores
// them), no trailing backslash except after a drive ("C:\"). "\\?\C:\..." and "\\?\UNC\s\s"
// become "C:\..." and "\\s\s"; other "\\?\" forms keep their first part as root. Letter case is
// left alone. Empty when the path is not absolute.
[[nodiscard]] std::string NormalizePath(std::string_view path);

// "C:\", "\\server\share" or a "\\?\name" root, in normal form.
[[nodiscard]] bool IsRootPath(std::string_view normalized);

// The folder holding a normalized path; empty for a root.
[[nodiscard]] std::string ParentPath(std::string_view normalized);

// Same folder or a folder above it, comparing Latin letters without case (callers fold other
// letters beforehand).
[[nodiscard]] bool IsSameOrAncestor(std::string_view ancestor, std::string_view path);

// The folders a deletion of whole trees must leave alone, all in normal form: `Folders` may
// neither be deleted nor be inside what is deleted; every folder directly inside one of
// `ProfilesFolders` is a user profile and protected too.
struct CriticalFolders {
    std::vector<std::string> Folders;
    std::vector<std::string> ProfilesFolders;
};
[[nodiscard]] bool IsProtectedPath(std::string_view normalized, const CriticalFolders& critical);

// Whether a long file name fits a file mask ("*", "?"; Latin letters without case), read the
// generous way the platform reads masks ("?" may match nothing, "x.*" matches "x", "x." matches
// "x"). The platform also tests masks against 8.3 names, so that "*.txt" finds "a.txt1"; this
// second look keeps such names out.
[[nodiscard]] bool MatchesMask(std::string_view name, std::string_view mask);

}  // namespace lvu
