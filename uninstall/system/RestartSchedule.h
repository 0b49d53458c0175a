// Deletion and renaming of files at the next restart, for both platform families.
#pragma once

#include <string>

namespace lvu {

// Both names must be absolute. Nothing happens (false) when the source file does not exist.
// NT family: the platform's restart-time list; 95 family: a [Rename] entry in wininit.ini (8.3
// names) and, for a long target name, a RunOnce command that gives the long name back. Success
// sets the reboot-needed flag.
bool DeleteAtRestart(const std::string& path);
bool RenameAtRestart(const std::string& path, const std::string& newName);

}  // namespace lvu
