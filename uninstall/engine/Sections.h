// The worker's steps: one handler per install log section, and the status texts of the log.
#pragma once

#include <string>

namespace lvu::engine {

// The system's register of shared files: value name = full path, data = number of users.
inline constexpr char SharedDllsKey[] = "HKLM\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\SharedDLLs";

// The key under which the shared files whose count a run of this uninstallation has lowered are
// noted (see CountedSharedFilesKey).
[[nodiscard]] std::string CountedSharedFiles();

// The running program's full path; empty when the platform cannot tell.
[[nodiscard]] std::string ProgramPath();

// "Strings" key of the log with the item put in, on the status line (not in silent mode).
void ShowStatus(const char* key, const std::string& item);

// Lines of a section of the log in the current section list (emptied first).
void ReadSectionLines(const char* section);
// The same for a section whose lines make progress steps: a line holding a control character
// names nothing reliably, so it is taken out, counted as failed and stepped over at once.
void ReadCountedSection(const char* section, bool allowTab = false);

// PreRunApp or RunApp: false at the first entry that fails.
[[nodiscard]] bool RunEntries(const char* section);
void SharedFiles();
void SharedAssemblies();
void Shortcuts();
void AddReg();
void CreateKeys();
void AddIni();
void EnvVars();
void RegFonts();
void RegServers();
void DataFiles();
void CopyFiles();
void DataFolders();
void CreateDirs();

}  // namespace lvu::engine
