// File and folder removal, missing folders, unique names and the removal of the program's own file.
#pragma once

#include <functional>
#include <optional>
#include <string>

#include "PathRules.h"

namespace lvu {

// Every path below must be absolute ("C:\..." or "\\server\share\..."); an empty or relative path
// changes nothing and fails. A link is removed as a link, never through what it points to; where
// the platform can only reach the target, the link is left and the operation fails.

// Clears the attributes, then deletes the file.
bool DeleteFileForced(const std::string& path);

// Deletes every file matching the mask (folders skipped); `onFile` is told each file's full path
// just before it goes. A file that cannot be deleted is scheduled for deletion at the restart,
// which sets the reboot-needed flag. A plain name (no "*" or "?") may be the file's long or short
// name and may lie anywhere; a mask with wildcards in a root, in a protected folder or in a folder
// holding one is refused, nothing deleted (see IsProtectedFolder). False when the mask is refused
// or a file could neither be deleted nor scheduled; a mask that matches nothing succeeds.
// `critical`: the system's critical folders learnt once for many calls (else learnt here).
using FileStatusCallback = std::function<void(const std::string& path)>;
bool DeleteFilesByMask(const std::string& mask, const FileStatusCallback& onFile = {},
                       const CriticalFolders* critical = nullptr);

// Why a deletion was refused rather than tried.
enum class FileRefusal {
    None,             // nothing was refused: a false result is a failure of the platform
    NotAFullPath,     // the mask names no absolute folder
    ProtectedFolder,  // a wildcard in a root, a protected folder or one holding one
    ElsewhereEntry,   // the entry is reached through a link, or lies elsewhere than its name says
};

// DeleteFilesByMask for a run of many log lines: the critical folders are given once, and what
// was learnt of the last folder (its normal and final path, whether it is protected) serves the
// lines that follow in the same folder, so that a line costs little more than the deletion.
class FileDeleter {
public:
    // `critical` must outlive the deleter; null: learnt when a wildcard mask first needs them.
    explicit FileDeleter(const CriticalFolders* critical = nullptr);
    bool DeleteByMask(const std::string& mask, const FileStatusCallback& onFile = {});
    // After a false result: the refusal, else the platform's error code of the last file that
    // could neither be deleted nor left for the restart.
    [[nodiscard]] FileRefusal Refusal() const noexcept { return refusal_; }
    [[nodiscard]] unsigned long Error() const noexcept { return error_; }

private:
    struct Folder {
        std::string Written;            // as the mask wrote it, the key of this memory
        std::optional<std::string> Full;  // normal form; nullopt when refused
        std::string Final;              // as the platform reaches it; empty when it cannot tell
        std::optional<bool> Protected;  // asked only for wildcard masks
    };
    const Folder& Learn(const std::string& written);
    bool IsProtected(Folder& folder);

    const CriticalFolders* critical_;
    std::optional<CriticalFolders> learnt_;
    lvc::FoldTable fold_;
    Folder last_;
    FileRefusal refusal_ = FileRefusal::None;
    unsigned long error_ = 0;
};

// Deletes the folder's files and, recursively, its sub-folders' (entries whose names begin with
// "." are kept); with `removeFolder` each emptied folder goes too. True only if every deletion
// succeeded. Refused for missing folders and protected ones (see IsProtectedFolder).
bool DeleteTree(const std::string& folder, bool removeFolder, const CriticalFolders* critical = nullptr);

// Creates the missing folders of `folder`, from the top down. True when the folder exists.
bool EnsureFolders(const std::string& folder);

// A name (no folder) made of the prefix, a stamp of the local date and time and the extension,
// for which nothing exists yet in `folder`; empty if none was found within a few seconds.
[[nodiscard]] std::string UniqueFileName(const std::string& folder, const std::string& prefix,
                                         const std::string& extension, bool keepLength);

// Writes and starts a hidden batch file, in the parent folder of the program's folder, that
// deletes the running program once it has ended (and then its folder, if asked and empty).
bool RemoveOwnFile(bool removeFolder);

// The full path of the running program file; empty when it cannot be read.
[[nodiscard]] std::string OwnProgramPath();

}  // namespace lvu
