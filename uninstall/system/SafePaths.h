// Platform side of the deletion safety rules: full paths, critical folders, entries reached as themselves.
#pragma once

#include <windows.h>

#include <optional>
#include <string>

namespace lvu {

// The full, normalized form of an absolute path (GetFullPathNameA, long names where the path
// exists); nullopt for an empty or relative path or a bare drive.
[[nodiscard]] std::optional<std::string> FullNormalPath(const std::string& path);

// Whether deleting the folder tree at `path` is refused: a drive or share root, a critical folder
// of the system (Windows and system folders, Program Files and Common Files, ProgramData, the
// profiles folder and every user profile, Desktop and Documents of the user and of all users,
// AppData, the Start menu, Fonts) or a folder holding one, however the path is written, also
// through links. An empty or relative path counts as protected.
[[nodiscard]] bool IsProtectedFolder(const std::string& path);

// The normalized path the platform reaches through an open handle (links resolved); empty when
// the platform cannot tell.
[[nodiscard]] std::string FinalPathOf(HANDLE handle);
[[nodiscard]] std::string FinalPathOf(const std::string& path);

// Whether an operation on the entry `name` inside the folder whose final path is `folderFinal`
// acts on that entry itself: opened without following a link, the entry must be where its folder
// says. Some platforms (Wine with Unix links) act on a link's target even so; such an entry is
// not the entry itself. When the platform cannot tell, true unless the entry is a link.
[[nodiscard]] bool ActsOnEntryItself(const std::string& folderFinal, const std::string& entryPath,
                                     const std::string& name);

// Upper case in the ANSI code page, for comparing paths.
[[nodiscard]] std::string UpperAnsi(std::string text);

}  // namespace lvu
