// Platform side of the deletion safety rules: full paths, critical folders, entries reached as themselves.
#pragma once

#include <windows.h>

#include <optional>
#include <string>

#include "PathRules.h"

namespace lvu {

// The full, normalized form of an absolute path (GetFullPathNameA, long names where the path
// exists and `longNames` asks for them: under Wine that costs a look-up per part of the path);
// nullopt for an empty or relative path or a bare drive.
[[nodiscard]] std::optional<std::string> FullNormalPath(const std::string& path, bool longNames = true);

// The critical folders of this system, in every spelling that reaches them (long, short and
// through links), upper-cased: the Windows folder with everything inside it, the system folders,
// Program Files and Common Files, ProgramData, the profiles folder and every user profile, and
// the shell folders of the user and of all users (Desktop, Documents, Pictures, Music, Videos,
// Downloads, Favorites, the application data roots, the Start menu and Startup, Templates, SendTo,
// Fonts...). Costs some dozens of platform calls: a run of many deletions learns them once.
[[nodiscard]] CriticalFolders SystemCriticalFolders();

// Whether deleting the folder tree at `path`, or files in it by a wildcard mask, is refused: a
// drive or share root, a critical folder or a folder holding one, however the path is written,
// also through links. An empty or relative path counts as protected. Without `critical` the
// system's are learnt for this one call.
[[nodiscard]] bool IsProtectedFolder(const std::string& path, const CriticalFolders* critical = nullptr);

// The code page's own upper case of every byte (Cyrillic letters too), for comparing file names.
[[nodiscard]] lvc::FoldTable CodePageFold();

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

// A path as the log's installer named it, turned into the path that reaches the same file from
// this program: on a 64-bit system "<Windows>\System32" is the 32-bit system folder to a 32-bit
// installer and the 64-bit one to a 64-bit installer. Which installer wrote the log is the
// registry view chosen for the run (Registry.h); with this build's own view the path is kept.
[[nodiscard]] std::string InstallerFilePath(const std::string& logged);

}  // namespace lvu
