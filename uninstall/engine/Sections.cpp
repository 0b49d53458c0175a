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
bool RunProgramEntry(const RunEntry& entry)
{
    const int show = ShowCommand(entry.ShowMode);
    if (entry.Wait != 0) {
        const int exitCode =
            entry.File.empty() ? -1 : RunAndWait(Uninstall.MainWindow, entry.File, entry.Parameters, show, entry.Folder);
        return entry.CheckExitCode == 0 || exitCode == 0;
    }
    if (entry.File.empty()) return false;
    const HINSTANCE result =
        ::ShellExecuteA(Uninstall.MainWindow, nullptr, entry.File.c_str(),
                        entry.Parameters.empty() ? nullptr : entry.Parameters.c_str(),
                        entry.Folder.empty() ? nullptr : entry.Folder.c_str(), show);
    return reinterpret_cast<INT_PTR>(result) > 32;
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
        LineFailed();
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
            LineFailed();
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
            LineFailed();
            ++index;
            continue;
        }
        ShowStatus("18", path);
        // A nameless line names no file and no count: it just stays.
        if (path.empty() || !HasLineWithKey(Lines(), path)) {
            ++index;
            continue;
        }
        const int32_t count = RegReadInteger(SharedDllsKey, path, 1);
        if (count > 1) {
            RegWriteInteger(SharedDllsKey, path, count - 1);
            ++index;
            continue;
        }
        if (Uninstall.SharedAnswer != SharedFileAnswer::YesToAll && Uninstall.SharedAnswer != SharedFileAnswer::NoToAll)
            Uninstall.SharedAnswer = Ask(path);
        if (Uninstall.SharedAnswer == SharedFileAnswer::Yes || Uninstall.SharedAnswer == SharedFileAnswer::YesToAll) {
            RegRemoveValue(SharedDllsKey, path);
            shared.erase(shared.begin() + static_cast<std::ptrdiff_t>(index));
        } else {
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
        (void)RunAndWait(Uninstall.MainWindow, gacutil, "/ur " + std::string(assembly), SW_HIDE, "");
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
        DeleteFileForced(ChangeFileExt(file, ".lnk"));
        DeleteFileForced(ChangeFileExt(file, ".pif"));
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
        if (SplitRegistryValueReference(reference, keyPath, valueName) && !keyPath.empty()) {
            const std::string_view value = ValuePart(line);
            const int typeCode = LogNumber(DelimitedField(value, 1), 0);
            if (typeCode != 0)
                RegRestoreValue(keyPath, valueName, typeCode, ExpandLineBreaks(DelimitedField(value, 2), true));
            else
                RegRemoveValue(keyPath, valueName);
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
        RegRemoveKey(*key, false);
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
        IniFileEditResult result = IniFileEditResult::Refused;
        if (!file.empty() && !section.empty() && !key.empty()) {
            const std::string_view value = ValuePart(line);
            result = value.empty() ? DeleteIniFileKey(file, section, key)
                                   : SetIniFileValue(file, section, key, std::string(value));
        }
        if (result != IniFileEditResult::Changed && result != IniFileEditResult::Unchanged) LineFailed();
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
                    if (!StoreEnvironmentVariable(name, edit.Text, systemWide, stored.Expandable)) LineFailed();
                    changed = true;
                }
            } else if (NormalizedItems(stored.Value).empty()) {
                // A line that names no added item while the variable holds something (a PATH, say)
                // cannot say what the installation added: only an empty variable goes.
                if (!StoreEnvironmentVariable(name, "", systemWide)) LineFailed();
                changed = true;
            }
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
        if (!IsProtected(logged)) {
            const std::string file = logged.empty() ? logged : InstallerFilePath(logged);
            const std::string fontName(NamePart(line));
            ShowStatus("17", fontName);
            if (!file.empty()) ::RemoveFontResourceA(file.c_str());
            if (!file.empty() && ::GetFileAttributesA(file.c_str()) != INVALID_FILE_ATTRIBUTES &&
                !DeleteFileForced(file)) {
                DeleteAtRestart(file);
                SetRebootNeeded();
            }
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
        if (!IsProtected(path)) {
            ShowStatus("16", path);
            UnregisterServer(InstallerFilePath(path));
        }
        ProgressStep();
    }
}

void DataFiles()
{
    ReadCountedSection("DataFiles");
    FileDeleter deleter(&Uninstall.Critical);
    for (const std::string& line : Lines()) {
        if (!deleter.DeleteByMask(InstallerFilePath(std::string(PathPart(line))), ShowDeletedFile)) LineFailed();
        ProgressStep();
    }
}

void CopyFiles()
{
    ReadCountedSection("CopyFiles");
    FileDeleter deleter(&Uninstall.Critical);
    for (const std::string& line : Lines()) {
        const std::string_view logged = PathPart(line);
        if (!IsProtected(logged)) {
            const std::string path = InstallerFilePath(std::string(logged));
            bool removed = deleter.DeleteByMask(std::string(path), ShowDeletedFile);
            // The help viewer leaves its index and search files beside a help file.
            if (HasExtension(path, ".hlp")) {
                removed = deleter.DeleteByMask(ChangeFileExt(path, ".gid"), ShowDeletedFile) && removed;
                removed = deleter.DeleteByMask(ChangeFileExt(path, ".fts"), ShowDeletedFile) && removed;
            }
            if (!removed) LineFailed();
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
        if (!DeleteTree(folder, true, &Uninstall.Critical) && !folder.empty() &&
            ::GetFileAttributesA(folder.c_str()) != INVALID_FILE_ATTRIBUTES)
            LineFailed();
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
        if (!folder->empty() && !::RemoveDirectoryA(folder->c_str())) Uninstall.FoldersLeft.push_back(*folder);
        ProgressStep();
    }
}

}  // namespace lvu::engine
