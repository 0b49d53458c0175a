// File and folder removal, missing folders, unique names and the removal of the program's own file.
#include "Files.h"

#include "FileText.h"
#include "Handles.h"
#include "PathRules.h"
#include "RestartFiles.h"
#include "RestartSchedule.h"
#include "SafePaths.h"
#include "SystemSeam.h"
#include "UniqueName.h"

#include <algorithm>
#include <vector>

namespace lvu {
namespace {

// The old volume-label attribute; no longer named by the platform headers.
constexpr DWORD VolumeLabelAttribute = 0x8;

std::string Join(const std::string& folder, const std::string& name)
{
    return folder.back() == '\\' ? folder + name : folder + "\\" + name;
}

std::vector<WIN32_FIND_DATAA> ListFolder(const std::string& pattern, DWORD& endError)
{
    std::vector<WIN32_FIND_DATAA> entries;
    WIN32_FIND_DATAA entry{};
    const unique_find find(::FindFirstFileA(pattern.c_str(), &entry));
    if (!find) {
        endError = ::GetLastError();
        return entries;
    }
    do entries.push_back(entry);
    while (::FindNextFileA(find.get(), &entry));
    endError = ::GetLastError();
    return entries;
}

// Deletes a file entry known to be reached as itself. SetFileAttributesA follows links, so a
// link is deleted as it is rather than change its target.
bool DeleteEntryFile(const std::string& path, DWORD attributes)
{
    if (!(attributes & FILE_ATTRIBUTE_REPARSE_POINT)) ::SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    return ::DeleteFileA(path.c_str()) != FALSE;
}

bool DeleteTreeAt(const std::string& folder, const std::string& folderFinal, bool removeFolder)
{
    DWORD endError = ERROR_SUCCESS;
    // Listed in full first: deleting while enumerating may skip or repeat entries.
    const std::vector<WIN32_FIND_DATAA> entries = ListFolder(Join(folder, "*.*"), endError);
    bool succeeded = true;
    for (const WIN32_FIND_DATAA& entry : entries) {
        const std::string name = entry.cFileName;
        if (name.empty() || name.front() == '.' || (entry.dwFileAttributes & VolumeLabelAttribute)) continue;
        const std::string path = Join(folder, name);
        if (!ActsOnEntryItself(folderFinal, path, name)) {
            succeeded = false;
            continue;
        }
        if (!(entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
            succeeded = DeleteEntryFile(path, entry.dwFileAttributes) && succeeded;
        else if (entry.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT)
            succeeded = ::RemoveDirectoryA(path.c_str()) && succeeded;  // the link, not its target
        else
            succeeded = DeleteTreeAt(path, folderFinal.empty() ? folderFinal : Join(folderFinal, name), removeFolder) &&
                        succeeded;
    }
    if (removeFolder && succeeded && endError == ERROR_NO_MORE_FILES && !IsBareDrive(folder))
        succeeded = ::RemoveDirectoryA(folder.c_str()) != FALSE;
    return succeeded;
}

// The path of an open file on its volume (\dir\file, no drive); empty when the platform cannot
// tell. Under Wine this is one round trip to the server, where the final path costs one more for
// every drive letter.
std::string VolumePathOf(HANDLE file)
{
    alignas(FILE_NAME_INFO) char buffer[sizeof(FILE_NAME_INFO) + MAX_PATH * 4 * sizeof(WCHAR)] = {};
    if (!::GetFileInformationByHandleEx(file, FileNameInfo, buffer, sizeof buffer)) return {};
    const auto* info = reinterpret_cast<const FILE_NAME_INFO*>(buffer);
    const int wideLength = static_cast<int>(info->FileNameLength / sizeof(WCHAR));
    const int length = ::WideCharToMultiByte(CP_ACP, 0, info->FileName, wideLength, nullptr, 0, nullptr, nullptr);
    std::string path(static_cast<size_t>(std::max(length, 0)), '\0');
    if (length <= 0 || ::WideCharToMultiByte(CP_ACP, 0, info->FileName, wideLength, path.data(), length, nullptr,
                                             nullptr) != length)
        return {};
    return path;
}

// A normal folder path as its volume names it, without a final backslash: C:\a\b gives \a\b, the
// drive root gives nothing at all, \\srv\share\a gives \srv\share\a; nullopt when it cannot be said.
std::optional<std::string> WithoutRoot(const std::string& normal)
{
    if (normal.size() == 3 && normal[1] == ':') return std::string();
    if (normal.size() > 3 && normal[1] == ':') return normal.substr(2);
    if (normal.rfind("\\\\", 0) == 0 && normal.rfind("\\\\?\\", 0) != 0) return normal.substr(1);
    return std::nullopt;
}

// Refused: reached through a link or elsewhere; Failed: neither deleted nor left for the restart.
enum class EntryDeletion { Deleted, Absent, Refused, Failed, NeedsWalk };

// Deletes the file at `path` through one handle opened on the entry itself (never through a
// link): the handle tells whether the entry lies in the folder whose final path is `folderFinal`,
// and its long name, before it is marked for deletion. NeedsWalk when the file cannot be opened
// so (in use, a folder, no right): the caller takes the slow way, which can leave it for the
// restart. Under Wine every call here is a round trip to the server, so there are as few as the
// checks allow: open, final path, disposition, close.
EntryDeletion DeleteNamedEntry(const std::string& path, const std::string& folderFinal, const FileStatusCallback& onFile)
{
    const unique_file entry(::CreateFileA(path.c_str(), DELETE | FILE_READ_ATTRIBUTES | FILE_WRITE_ATTRIBUTES,
                                          FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                          FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
    if (!entry) {
        const DWORD error = ::GetLastError();
        return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND ? EntryDeletion::Absent
                                                                               : EntryDeletion::NeedsWalk;
    }
    // Where the handle really is, on its volume; the folder's final path says where it should be.
    std::string name;
    const std::string where = VolumePathOf(entry.get());
    const std::optional<std::string> folderOnVolume = WithoutRoot(folderFinal);
    if (where.empty() || !folderOnVolume) {
        // The platform cannot tell where the entry is: only a plain file is taken as itself.
        FILE_ATTRIBUTE_TAG_INFO tag{};
        if (!::GetFileInformationByHandleEx(entry.get(), FileAttributeTagInfo, &tag, sizeof tag) ||
            (tag.FileAttributes & (FILE_ATTRIBUTE_REPARSE_POINT | FILE_ATTRIBUTE_DIRECTORY)))
            return EntryDeletion::Refused;
    } else {
        const size_t slash = where.find_last_of('\\');
        if (slash == std::string::npos || UpperAnsi(where.substr(0, slash)) != UpperAnsi(*folderOnVolume))
            return EntryDeletion::Refused;  // reached through a link to somewhere else
        name = where.substr(slash + 1);
    }
    const std::string folder = ParentPath(NormalizePath(path));
    const std::string longPath = name.empty() || folder.empty() ? path : Join(folder, name);
    if (onFile) onFile(longPath);
    FILE_DISPOSITION_INFO disposition{TRUE};
    if (::SetFileInformationByHandle(entry.get(), FileDispositionInfo, &disposition, sizeof disposition))
        return EntryDeletion::Deleted;
    // A read-only file refuses; it pays for the attribute change, the others do not.
    FILE_BASIC_INFO basic{};
    if (::GetLastError() == ERROR_ACCESS_DENIED &&
        ::GetFileInformationByHandleEx(entry.get(), FileBasicInfo, &basic, sizeof basic) &&
        (basic.FileAttributes & FILE_ATTRIBUTE_READONLY)) {
        basic.FileAttributes = (basic.FileAttributes & ~FILE_ATTRIBUTE_READONLY) | FILE_ATTRIBUTE_NORMAL;
        if (::SetFileInformationByHandle(entry.get(), FileBasicInfo, &basic, sizeof basic) &&
            ::SetFileInformationByHandle(entry.get(), FileDispositionInfo, &disposition, sizeof disposition))
            return EntryDeletion::Deleted;
    }
    return DeleteAtRestart(longPath) ? EntryDeletion::Deleted : EntryDeletion::Failed;
}

}  // namespace

std::string OwnProgramPath()
{
    std::string path(MAX_PATH, '\0');
    for (;;) {
        const DWORD length = ::GetModuleFileNameA(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (length == 0) return {};
        if (length < path.size()) {
            path.resize(length);
            return path;
        }
        path.resize(path.size() * 2);
    }
}

bool DeleteFileForced(const std::string& path)
{
    if (path.find_first_of("*?") != std::string::npos) return false;
    const auto full = FullNormalPath(path);
    if (!full) return false;
    WIN32_FIND_DATAA entry{};
    {
        const unique_find find(::FindFirstFileA(full->c_str(), &entry));
        if (!find || (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) return false;
    }
    const std::string folder = ParentPath(*full);
    if (folder.empty() || !ActsOnEntryItself(FinalPathOf(folder), *full, entry.cFileName)) return false;
    return DeleteEntryFile(*full, entry.dwFileAttributes);
}

bool DeleteFilesByMask(const std::string& mask, const FileStatusCallback& onFile, const CriticalFolders* critical)
{
    return FileDeleter(critical).DeleteByMask(mask, onFile);
}

FileDeleter::FileDeleter(const CriticalFolders* critical) : critical_(critical), fold_(CodePageFold()) {}

const FileDeleter::Folder& FileDeleter::Learn(const std::string& written)
{
    if (last_.Written == written && !written.empty()) return last_;
    last_ = Folder{written, FullNormalPath(written, false), {}, std::nullopt};
    if (last_.Full) last_.Final = FinalPathOf(*last_.Full);
    return last_;
}

bool FileDeleter::IsProtected(Folder& folder)
{
    if (!folder.Protected) {
        if (!critical_ && !learnt_) learnt_ = SystemCriticalFolders();
        const CriticalFolders& critical = critical_ ? *critical_ : *learnt_;
        // Long names too: a protected folder may be written with its 8.3 name.
        const auto longName = FullNormalPath(folder.Written);
        folder.Protected = !folder.Full || !longName || IsProtectedPath(UpperAnsi(*folder.Full), critical) ||
                           IsProtectedPath(UpperAnsi(*longName), critical) ||
                           (!folder.Final.empty() && IsProtectedPath(UpperAnsi(folder.Final), critical));
    }
    return *folder.Protected;
}

bool FileDeleter::DeleteByMask(const std::string& mask, const FileStatusCallback& onFile)
{
    // Only the folder is normalized: the platform's path rules drop a trailing dot, which would
    // turn "*." (names without extension) into "*" (every name).
    refusal_ = FileRefusal::None;
    error_ = 0;
    const auto refused = [this](FileRefusal why) {
        refusal_ = why;
        return false;
    };
    const auto failed = [this] {
        error_ = ::GetLastError();
        return false;
    };
    const size_t slash = mask.find_last_of("\\/");
    if (slash == std::string::npos || slash + 1 == mask.size()) return refused(FileRefusal::NotAFullPath);
    const std::string pattern = mask.substr(slash + 1);
    Learn(mask.substr(0, slash + 1));
    if (!last_.Full) return refused(FileRefusal::NotAFullPath);
    const bool wildcard = HasWildcard(pattern);
    // A single named file may sit anywhere (installers do put files into the system folder); a
    // wildcard there could take what belongs to the system or the user.
    if (wildcard && IsProtected(last_)) return refused(FileRefusal::ProtectedFolder);
    const std::string folder = *last_.Full;

    if (!wildcard) {
        // A named file (its long or its 8.3 name) is opened directly; only when it cannot be, as
        // when it is in use, does the slower walk below find it and leave it for the restart.
        switch (DeleteNamedEntry(Join(folder, pattern), last_.Final, onFile)) {
        case EntryDeletion::Deleted:
        case EntryDeletion::Absent: return true;
        case EntryDeletion::Refused: return refused(FileRefusal::ElsewhereEntry);
        case EntryDeletion::Failed: return failed();
        case EntryDeletion::NeedsWalk: break;
        }
    }
    const FileMask fileMask(pattern, fold_);
    DWORD endError = ERROR_SUCCESS;
    bool succeeded = true;
    for (const WIN32_FIND_DATAA& entry : ListFolder(Join(folder, pattern), endError)) {
        const std::string name = entry.cFileName;
        if (name == "." || name == ".." ||
            (entry.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | VolumeLabelAttribute)) ||
            !fileMask.Matches(name, entry.cAlternateFileName))
            continue;
        const std::string path = Join(folder, name);
        switch (DeleteNamedEntry(path, last_.Final, onFile)) {
        case EntryDeletion::Deleted:
        case EntryDeletion::Absent: break;
        case EntryDeletion::Refused: succeeded = refused(FileRefusal::ElsewhereEntry); break;
        case EntryDeletion::Failed: succeeded = failed(); break;
        case EntryDeletion::NeedsWalk:
            if (onFile) onFile(path);
            // What the platform cannot reach as itself must not be handed to a restart-time delete either.
            if (!ActsOnEntryItself(last_.Final, path, name)) succeeded = refused(FileRefusal::ElsewhereEntry);
            else if (!DeleteEntryFile(path, entry.dwFileAttributes) && !DeleteAtRestart(path)) succeeded = failed();
            break;
        }
    }
    return succeeded;
}

bool DeleteTree(const std::string& folder, bool removeFolder, const CriticalFolders* critical)
{
    const auto full = FullNormalPath(folder);
    if (!full || IsProtectedFolder(*full, critical)) return false;
    WIN32_FIND_DATAA self{};
    {
        const unique_find find(::FindFirstFileA(full->c_str(), &self));
        if (!find || !(self.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) return false;
    }
    if (!ActsOnEntryItself(FinalPathOf(ParentPath(*full)), *full, self.cFileName)) return false;
    // A link as the tree itself: the link goes (when asked), its target is never listed.
    if (self.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) return removeFolder && ::RemoveDirectoryA(full->c_str());
    return DeleteTreeAt(*full, FinalPathOf(*full), removeFolder);
}

bool EnsureFolders(const std::string& folder)
{
    const auto full = FullNormalPath(folder);
    if (!full) return false;
    std::vector<std::string> chain;
    for (std::string path = *full; !IsRootPath(path); path = ParentPath(path)) chain.push_back(path);
    for (auto path = chain.rbegin(); path != chain.rend(); ++path) ::CreateDirectoryA(path->c_str(), nullptr);
    const DWORD attributes = ::GetFileAttributesA(full->c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

std::string UniqueFileName(const std::string& folder, const std::string& prefix, const std::string& extension,
                           bool keepLength)
{
    // The stamp changes every hundredth of a second; a few seconds of tries are plenty.
    for (int attempt = 0; attempt < 500; ++attempt) {
        SYSTEMTIME now{};
        ::GetLocalTime(&now);
        const std::string name = UniqueNameFromStamp(
            prefix,
            UniqueNameStamp({now.wYear, now.wMonth, now.wDay, now.wHour, now.wMinute, now.wSecond, now.wMilliseconds}),
            extension, keepLength);
        const std::string path = folder.empty() ? name : Join(folder, name);
        if (::GetFileAttributesA(path.c_str()) == INVALID_FILE_ATTRIBUTES) return name;
        ::Sleep(10);
    }
    return {};
}

bool RemoveOwnFile(bool removeFolder)
{
    const std::string ownPath = OwnProgramPath();
    const auto ownNormal = FullNormalPath(ownPath);
    if (!ownNormal) return false;
    const std::string ownFolder = ParentPath(*ownNormal);
    if (ownFolder.empty()) return false;
    const std::string parent = IsRootPath(ownFolder) ? ownFolder : ParentPath(ownFolder);
    const std::string batchName = UniqueFileName(parent, "", ".bat", true);
    if (batchName.empty()) return false;
    const std::string batchPath = Join(parent, batchName);

    // A drive root is no folder to remove, and "rd" of "C:" would mean the current folder of C.
    std::string text = SelfRemovalBatch(ownPath, ownFolder, removeFolder && !IsRootPath(ownFolder), batchPath,
                                        Seam().Win32Platform == PlatformNT);
    // The command interpreter reads batch files in the OEM code page.
    ::CharToOemBuffA(text.data(), text.data(), static_cast<DWORD>(text.size()));
    if (!WriteWholeFile(batchPath, text, true)) {
        ::DeleteFileA(batchPath.c_str());
        return false;
    }

    std::string commandLine = "\"" + batchPath + "\"";
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = SW_HIDE;
    PROCESS_INFORMATION process{};
    if (!::CreateProcessA(nullptr, commandLine.data(), nullptr, nullptr, FALSE, IDLE_PRIORITY_CLASS, nullptr,
                          parent.c_str(), &startup, &process)) {
        ::DeleteFileA(batchPath.c_str());
        return false;
    }
    ::CloseHandle(process.hThread);
    ::CloseHandle(process.hProcess);
    return true;
}

}  // namespace lvu
