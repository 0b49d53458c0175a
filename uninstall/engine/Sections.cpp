// The worker's steps: one handler per install log section, and the status texts of the log.
#include "Sections.h"

#include "Engine.h"
#include "EngineRules.h"

#include "log/IniCache.h"
#include "log/IniFileEdit.h"
#include "log/LogFields.h"
#include "system/Components.h"
#include "system/Environment.h"
#include "system/Files.h"
#include "system/Programs.h"
#include "system/Registry.h"
#include "system/RegistryText.h"
#include "system/Restart.h"
#include "system/RestartSchedule.h"
#include "system/SafePaths.h"
#include "system/SystemSeam.h"
#include "system/TextCase.h"

#include <shellapi.h>

#include <algorithm>


namespace lvu::engine {
namespace {

std::vector<std::string>& Lines()
{
    return Uninstall.SectionLines;
}

bool IsProtected(std::string_view path)
{
    return HasLineWithKey(Uninstall.ProtectedFiles, path);
}

constexpr char ControlCharacterReason[] = "it holds a control character, so the system would read another name";
constexpr char SharedFileKept[] = "kept: a shared file that other programs still use";

void FileLineLeft(const std::string& item, const FileDeleter& deleter)
{
    switch (deleter.Refusal()) {
    case FileRefusal::NotAFullPath: LineRefused(item, "it names no full path"); break;
    case FileRefusal::ProtectedFolder: LineRefused(item, "a wildcard mask in a drive root or a protected folder"); break;
    case FileRefusal::ElsewhereEntry:
        LineRefused(item, "a file there is reached through a link, or lies elsewhere than its name says");
        break;
    case FileRefusal::None: LineFailed(item, deleter.Error(), "a file could not be deleted"); break;
    }
}

// Whether a textual key path names the product's own uninstall key (in any spelling of the root).
bool IsUninstallKey(const std::string& path)
{
    if (Uninstall.UninstallKey.empty()) return false;
    const RegistryPath key = ParseRegistryPath(path);
    const RegistryPath own = ParseRegistryPath(Uninstall.UninstallKey);
    return key.Root == own.Root && EqualsNoCase(key.SubKey, own.SubKey);
}

}  // namespace

std::string CountedSharedFiles()
{
    return Uninstall.UninstallKey + "\\" + CountedSharedFilesKey;
}

int ShowCommand(int showMode)
{
    switch (showMode) {
    case 0: return SW_HIDE;
    case 2: return SW_SHOWMAXIMIZED;
    case 3: return SW_SHOWMINNOACTIVE;
    default: return SW_SHOWNORMAL;
    }
}

// A nameless entry is a program that cannot be started; the shell would open a folder for it.
namespace {

// Told as done or failed, with the exit code or the platform's error.
bool RunProgramEntry(const RunEntry& entry)
{
    const int show = ShowCommand(entry.ShowMode);
    const std::string item = entry.File + (entry.Parameters.empty() ? "" : " " + entry.Parameters);
    if (entry.Wait != 0) {
        const int exitCode =
            entry.File.empty() ? -1 : RunAndWait(Uninstall.MainWindow, entry.File, entry.Parameters, show, entry.Folder);
        const DWORD error = exitCode == -1 && !entry.File.empty() ? ::GetLastError() : 0;
        const std::string outcome = "exit code " + std::to_string(exitCode);
        if (entry.CheckExitCode == 0 || exitCode == 0) {
            LineDone(item, outcome);
            return true;
        }
        LineFailed(item, error,
                   entry.File.empty() ? "it names no program"
                   : error != 0       ? "it could not be started"
                                      : "it ended with " + outcome);
        return false;
    }
    if (entry.File.empty()) {
        LineFailed(item, 0, "it names no program");
        return false;
    }
    const HINSTANCE result =
        ::ShellExecuteA(Uninstall.MainWindow, nullptr, entry.File.c_str(),
                        entry.Parameters.empty() ? nullptr : entry.Parameters.c_str(),
                        entry.Folder.empty() ? nullptr : entry.Folder.c_str(), show);
    if (reinterpret_cast<INT_PTR>(result) > 32) {
        LineDone(item, "started");
        return true;
    }
    LineFailed(item, ::GetLastError(), "it could not be started");
    return false;
}

SharedFileAnswer Ask(const std::string& path)
{
    if (Uninstall.Silent) return SharedFileAnswer::YesToAll;
    const SharedFileAnswer answer =
        Uninstall.AskSharedFile ? Uninstall.AskSharedFile(path) : AskSharedFileDialog(path);
    return answer == SharedFileAnswer::None ? SharedFileAnswer::No : answer;
}

void ShowDeletedFile(const std::string& path)
{
    ShowStatus("10", path);
}

std::string ProgramFolder()
{
    if (!Uninstall.OwnFolder.empty())
        return Uninstall.OwnFolder.back() == '\\' ? Uninstall.OwnFolder : Uninstall.OwnFolder + "\\";
    const std::string program = ProgramPath();
    return program.substr(0, program.find_last_of('\\') + 1);
}

// The 95 family keeps PATH in autoexec.bat, where folders are written with their 8.3 names.
std::string ShortPathOrSelf(const std::string& item)
{
    char shortPath[MAX_PATH + 1] = {};
    const DWORD length = ::GetShortPathNameA(item.c_str(), shortPath, MAX_PATH);
    return length > 0 && length <= MAX_PATH ? std::string(shortPath, length) : item;
}

}  // namespace

std::string ProgramPath()
{
    return OwnProgramPath();
}

void ShowStatus(const char* key, const std::string& item)
{
    if (Uninstall.Silent) return;
    SetStatus(FormatStatusText(cached::ReadString(Uninstall.LogPath, "Strings", key, ""), item));
}

void ReadSectionLines(const char* section)
{
    Lines().clear();
    cached::ReadSection(Uninstall.LogPath, section, Lines());
}

void ReadCountedSection(const char* section, bool allowTab)
{
    ReadSectionLines(section);
    std::vector<std::string>& lines = Lines();
    const auto dirty = std::remove_if(lines.begin(), lines.end(),
                                      [&](const std::string& line) { return HasControlCharacter(line, allowTab); });
    for (auto line = dirty; line != lines.end(); ++line) {
        LineRefused(*line, ControlCharacterReason);
        ProgressStep();
    }
    lines.erase(dirty, lines.end());
}

bool RunEntries(const char* section)
{
    ReadSectionLines(section);
    for (const std::string& line : Lines()) {
        // A program named up to a control character is some other program: the entry fails.
        if (HasControlCharacter(line)) {
            LineRefused(line, ControlCharacterReason);
            return false;
        }
        const RunEntry entry = ParseRunEntry(ValuePart(line));
        SetStatus(entry.Status);
        if (!RunProgramEntry(entry)) return false;
        ProgressStep();
    }
    return true;
}

void SharedFiles()
{
    std::vector<std::string>& shared = Uninstall.ProtectedFiles;
    shared.clear();
    cached::ReadSection(Uninstall.LogPath, "SharedFiles", shared);
    ReadSectionLines("CopyFiles");
    for (size_t index = 0; index < shared.size();) {
        const std::string path(PathPart(shared[index]));
        // A path cut short by a control character would count down another file's users.
        if (HasControlCharacter(shared[index])) {
            LineRefused(shared[index], ControlCharacterReason);
            ++index;
            continue;
        }
        ShowStatus("18", path);
        // A nameless line names no file and no count: it just stays.
        if (path.empty() || !HasLineWithKey(Lines(), path)) {
            ++index;
            continue;
        }
        // A run that failed later (in RunApp) has lowered this count already; lowering it again
        // would let the next uninstaller take the file from a program that still uses it.
        if (!Uninstall.UninstallKey.empty() && RegReadInteger(CountedSharedFiles(), path, 0) != 0) {
            Uninstall.CountedShared.push_back(path);
            LineDone(path, "kept: its count was lowered by an earlier run");
            ++index;
            continue;
        }
        const int32_t count = RegReadInteger(SharedDllsKey, path, 1);
        // Remembered first: were the run cut off in between, the count would only stay too high.
        const auto remember = [&path] {
            if (Uninstall.UninstallKey.empty()) return true;
            if (RegWriteInteger(CountedSharedFiles(), path, 1)) {
                Uninstall.CountedShared.push_back(path);
                return true;
            }
            LineFailed(path, ::GetLastError(), "its count is kept, for the run could not note it as lowered");
            return false;
        };
        if (count > 1) {
            if (remember()) {
                RegWriteInteger(SharedDllsKey, path, count - 1);
                LineDone(path, "kept: its count lowered to " + std::to_string(count - 1));
            }
            ++index;
            continue;
        }
        if (Uninstall.SharedAnswer != SharedFileAnswer::YesToAll && Uninstall.SharedAnswer != SharedFileAnswer::NoToAll)
            Uninstall.SharedAnswer = Ask(path);
        const bool yes =
            Uninstall.SharedAnswer == SharedFileAnswer::Yes || Uninstall.SharedAnswer == SharedFileAnswer::YesToAll;
        if (yes && remember()) {
            RegRemoveValue(SharedDllsKey, path);
            LineDone(path, "its count removed: the file goes with the program's files");
            shared.erase(shared.begin() + static_cast<std::ptrdiff_t>(index));
        } else {
            if (!yes) LineDone(path, "kept, as answered");
            ++index;
        }
    }
}

void SharedAssemblies()
{
    ReadCountedSection("SharedAssemblies");
    if (Lines().empty()) return;
    const std::string gacutil = ProgramFolder() + "gacutil.exe";
    for (const std::string& line : Lines()) {
        const std::string_view assembly = ValuePart(line);
        ShowStatus("19", DelimitedField(assembly, 1));
        // Whether the assembly went is not looked at: the uninstallation goes on either way.
        const int exitCode = RunAndWait(Uninstall.MainWindow, gacutil, "/ur " + std::string(assembly), SW_HIDE, "");
        LineDone(std::string(assembly), "gacutil exit code " + std::to_string(exitCode));
        ProgressStep();
    }
}

void Shortcuts()
{
    ReadCountedSection("Shortcuts");
    for (const std::string& line : Lines()) {
        const std::string_view path = PathPart(line);
        ShowStatus("14", std::string(path));
        const std::string file = InstallerFilePath(std::string(path));
        bool removed = true;
        for (const char* extension : {".lnk", ".pif"}) {
            const std::string shortcut = ChangeFileExt(file, extension);
            if (!DeleteFileForced(shortcut) && ::GetFileAttributesA(shortcut.c_str()) != INVALID_FILE_ATTRIBUTES) {
                LineFailed(shortcut, ::GetLastError());
                removed = false;
            }
        }
        if (removed) LineDone(std::string(path));
        ProgressStep();
    }
}

void AddReg()
{
    ReadCountedSection("AddReg", true);
    for (const std::string& line : Lines()) {
        const std::string_view reference = NamePart(line);
        ShowStatus("11", std::string(reference));
        std::string keyPath, valueName;
        // A reference without a key would name a value of the HKCU root itself: such a line is skipped.
        const std::string item(reference);
        if (SplitRegistryValueReference(reference, keyPath, valueName) && !keyPath.empty()) {
            const std::string_view value = ValuePart(line);
            const int typeCode = LogNumber(DelimitedField(value, 1), 0);
            if (typeCode == RegTypeAbsent) {
                if (RegRemoveValue(keyPath, valueName)) LineDone(item, "removed");
                else if (::GetLastError() == ERROR_FILE_NOT_FOUND) LineDone(item, "already gone");
                else LineFailed(item, ::GetLastError());
            } else if (typeCode != RegTypeString && typeCode != RegTypeExpandString && typeCode != RegTypeBinary &&
                       typeCode != RegTypeDword && typeCode != RegTypeMultiString) {
                LineRefused(item, "unknown value type " + std::to_string(typeCode));
            } else if (RegRestoreValue(keyPath, valueName, typeCode, ExpandLineBreaks(DelimitedField(value, 2), true))) {
                LineDone(item, "restored");
            } else {
                LineFailed(item, ::GetLastError());
            }
        } else {
            LineRefused(item, "it names no registry key");
        }
        ProgressStep();
    }
}

void CreateKeys()
{
    ReadCountedSection("CreateKeys");
    for (std::string& line : Lines()) line = std::string(PathPart(line));
    SortNoCase(Lines());
    for (auto key = Lines().rbegin(); key != Lines().rend(); ++key) {
        ShowStatus("12", *key);
        // The uninstall key goes last, with what the run keeps in it, once the run has succeeded.
        if (IsUninstallKey(*key)) LineDone(*key, "removed once the uninstallation has succeeded");
        else if (RegRemoveKey(*key, false)) LineDone(*key);
        else if (::GetLastError() == ERROR_FILE_NOT_FOUND) LineDone(*key, "already gone");
        else LineFailed(*key, ::GetLastError(), "only a key without other keys in it is removed");
        ProgressStep();
    }
}

void AddIni()
{
    ReadCountedSection("AddIni", true);
    for (const std::string& line : Lines()) {
        const std::string_view name = NamePart(line);
        const std::string file = InstallerFilePath(DelimitedField(name, 1));
        const std::string section = DelimitedField(name, 2);
        const std::string key = DelimitedField(name, 3);
        ShowStatus("13", file);
        // The file belongs to another program: only the key's own line is changed, and a file
        // that cannot be edited safely is left alone and the line counted as failed. An empty key
        // would mean the whole section, an empty file name the Windows folder itself.
        const std::string item(name);
        if (file.empty() || section.empty() || key.empty()) {
            LineRefused(item, "it names no file, section or key");
            ProgressStep();
            continue;
        }
        const std::string_view value = ValuePart(line);
        switch (value.empty() ? DeleteIniFileKey(file, section, key)
                              : SetIniFileValue(file, section, key, std::string(value))) {
        case IniFileEditResult::Changed: LineDone(item); break;
        case IniFileEditResult::Unchanged: LineDone(item, "unchanged"); break;
        case IniFileEditResult::Refused:
            LineRefused(item, "the file cannot be edited safely (its encoding, or the line's form)");
            break;
        case IniFileEditResult::Failed: LineFailed(item, ::GetLastError(), "the file could not be read or replaced"); break;
        }
        ProgressStep();
    }
}

void EnvVars()
{
    ReadCountedSection("EnvVars");
    const bool nt = Seam().Win32Platform == PlatformNT;
    const lvc::FoldTable fold = CodePageFold();
    // On the NT family a stored item may be a reference (%SystemRoot%\System32) of a logged folder.
    const ItemMap expand = nt ? ItemMap(ExpandEnvironment) : ItemMap();
    bool changed = false;
    for (const std::string& line : Lines()) {
        const std::string name(NamePart(line));
        const std::string_view value = ValuePart(line);
        const bool systemWide = Word(value, 1, ",") == "1";
        ShowStatus("20", name);
        const bool shortNames = !nt && EqualsNoCase(name, "PATH");
        const ItemMap map = shortNames ? ItemMap(ShortPathOrSelf) : ItemMap();
        const std::vector<std::string> added = NormalizedItems(Word(value, 2, ","));
        // The value is read from where it is kept for later sessions, not from this process's
        // environment (which merges scopes, expands references and is as old as our start).
        const StoredVariable stored = ReadStoredVariable(name, systemWide);
        if (!name.empty() && stored.Exists) {
            if (!added.empty()) {
                const ListEdit edit = RemoveListItems(stored.Value, added, expand, map, fold);
                if (edit.Changed) {
                    if (StoreEnvironmentVariable(name, edit.Text, systemWide, stored.Expandable)) LineDone(name);
                    else LineFailed(name, ::GetLastError());
                    changed = true;
                } else {
                    LineDone(name, "unchanged");
                }
            } else if (NormalizedItems(stored.Value).empty()) {
                // A line that names no added item while the variable holds something (a PATH, say)
                // cannot say what the installation added: only an empty variable goes.
                if (StoreEnvironmentVariable(name, "", systemWide)) LineDone(name, "removed");
                else LineFailed(name, ::GetLastError());
                changed = true;
            } else {
                LineDone(name, "kept: it holds items the line does not name");
            }
        } else {
            LineDone(name, "not set");
        }
        SetRebootNeeded();
        ProgressStep();
    }
    if (changed && nt) AnnounceEnvironmentChange();
}

void RegFonts()
{
    ReadCountedSection("RegFonts");
    if (Lines().empty()) return;
    const std::string fontsKey = Seam().Win32Platform == PlatformWin95
                                     ? "HKLM\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Fonts"
                                     : "HKLM\\SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Fonts";
    for (const std::string& line : Lines()) {
        const std::string logged(ValuePart(line));
        if (IsProtected(logged)) LineDone(logged, SharedFileKept);
        if (!IsProtected(logged)) {
            const std::string file = logged.empty() ? logged : InstallerFilePath(logged);
            const std::string fontName(NamePart(line));
            ShowStatus("17", fontName);
            if (!file.empty()) ::RemoveFontResourceA(file.c_str());
            if (!file.empty() && ::GetFileAttributesA(file.c_str()) != INVALID_FILE_ATTRIBUTES &&
                !DeleteFileForced(file)) {
                if (DeleteAtRestart(file)) LineDone(file, "deleted at the restart");
                else LineFailed(file, ::GetLastError());
                SetRebootNeeded();
            }
            LineDone(fontName);
            // An empty name would be the key's default value, which no font owns.
            if (!fontName.empty()) RegRemoveValue(fontsKey, fontName);
            // A window that has stopped answering must not hold up the uninstallation.
            ::SendMessageTimeoutA(HWND_BROADCAST, WM_FONTCHANGE, 0, 0, SMTO_ABORTIFHUNG, 5000, nullptr);
        }
        ProgressStep();
    }
}

void RegServers()
{
    ReadCountedSection("RegServers");
    for (const std::string& line : Lines()) {
        const std::string path(PathPart(line));
        if (IsProtected(path)) {
            LineDone(path, SharedFileKept);
        } else {
            ShowStatus("16", path);
            if (UnregisterServer(InstallerFilePath(path))) LineDone(path, "unregistered");
            else LineFailed(path, 0, "it could not be unregistered");
        }
        ProgressStep();
    }
}

void DataFiles()
{
    ReadCountedSection("DataFiles");
    FileDeleter deleter(&Uninstall.Critical);
    for (const std::string& line : Lines()) {
        const std::string item(PathPart(line));
        if (deleter.DeleteByMask(InstallerFilePath(item), ShowDeletedFile)) LineDone(item);
        else FileLineLeft(item, deleter);
        ProgressStep();
    }
}

void CopyFiles()
{
    ReadCountedSection("CopyFiles");
    FileDeleter deleter(&Uninstall.Critical);
    for (const std::string& line : Lines()) {
        const std::string logged(PathPart(line));
        if (IsProtected(logged)) {
            LineDone(logged, SharedFileKept);
        } else {
            const std::string path = InstallerFilePath(logged);
            bool removed = deleter.DeleteByMask(path, ShowDeletedFile);
            if (!removed) FileLineLeft(logged, deleter);
            // The help viewer leaves its index and search files beside a help file.
            if (HasExtension(path, ".hlp")) {
                for (const char* extension : {".gid", ".fts"}) {
                    const std::string beside = ChangeFileExt(path, extension);
                    if (deleter.DeleteByMask(beside, ShowDeletedFile)) continue;
                    FileLineLeft(beside, deleter);
                    removed = false;
                }
            }
            if (removed) LineDone(logged);
        }
        ProgressStep();
    }
}

void DataFolders()
{
    ReadCountedSection("DataFolders");
    for (const std::string& line : Lines()) {
        const std::string folder = InstallerFilePath(std::string(PathPart(line)));
        ShowStatus("15", folder);
        // A folder that is already gone is no failure; one that stays, or is refused, is.
        if (DeleteTree(folder, true, &Uninstall.Critical) || folder.empty() ||
            ::GetFileAttributesA(folder.c_str()) == INVALID_FILE_ATTRIBUTES)
            LineDone(folder);
        else if (IsProtectedFolder(folder, &Uninstall.Critical))
            LineRefused(folder, "a drive root or a protected folder");
        else
            LineFailed(folder, ::GetLastError(), "something in it could not be deleted");
        ProgressStep();
    }
}

void CreateDirs()
{
    ReadCountedSection("CreateDirs");
    if (Lines().empty()) return;
    // The log stays until the whole run has succeeded, so that a failed run can be tried again; a
    // folder it keeps (its own, often) is tried again after it has gone.
    for (std::string& line : Lines()) line = InstallerFilePath(std::string(PathPart(line)));
    SortNoCase(Lines());
    for (auto folder = Lines().rbegin(); folder != Lines().rend(); ++folder) {
        ShowStatus("15", *folder);
        // Only an empty folder goes (lines with control characters were taken out on reading).
        if (!folder->empty() && !::RemoveDirectoryA(folder->c_str()) &&
            ::GetFileAttributesA(folder->c_str()) != INVALID_FILE_ATTRIBUTES)
            Uninstall.FoldersLeft.push_back(*folder);  // told once it has had its second chance
        else
            LineDone(*folder);
        ProgressStep();
    }
}

}  // namespace lvu::engine
