// Path checks of the deletion safety rules: absolute paths, normal forms, protected folders, masks.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "common/Wildcard.h"

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

// The folders a deletion of whole trees or by mask must leave alone, all in normal form:
// `Folders` may neither be deleted nor be inside what is deleted; every folder directly inside
// one of `ProfilesFolders` is a user profile and protected too; every folder inside one of
// `Subtrees` (the Windows folder) is protected as well: nothing there is an installation's to
// remove whole.
struct CriticalFolders {
    std::vector<std::string> Folders;
    std::vector<std::string> ProfilesFolders;
    std::vector<std::string> Subtrees;
};
[[nodiscard]] bool IsProtectedPath(std::string_view normalized, const CriticalFolders& critical);

// Whether a file name or mask holds "*" or "?".
[[nodiscard]] bool HasWildcard(std::string_view mask);

// A file-name mask read the way the platform's file search reads it: "*" any run of characters,
// "?" one character other than "." or nothing where the name is at a "." or at its end, "*.*"
// every name, "x.*" and "x." the name "x" without extension too. Bytes compare through `fold`
// (the code page's upper case). The platform also tests masks against 8.3 names, so that "*.txt"
// finds "a.txt1"; a mask with wildcards is therefore matched against the long name alone, while a
// plain name may be either the long or the short name of the file.
class FileMask {
public:
    explicit FileMask(std::string_view mask, const lvc::FoldTable& fold = lvc::LatinFold());
    [[nodiscard]] bool Matches(std::string_view longName, std::string_view shortName = {}) const;

private:
    bool everything_ = false;
    bool plain_ = false;
    lvc::Wildcard whole_;
    std::optional<lvc::Wildcard> withoutExtension_;  // for names without a dot: "x.*" and "x." as "x"
};

// One-off form of FileMask, Latin letters without case.
[[nodiscard]] bool MatchesMask(std::string_view name, std::string_view mask);

}  // namespace lvu
