// The worker's steps: one handler per install log section, and the status texts of the log.
#include "Sections.h"

#include "Engine.h"
#include "EngineRules.h"

#include "log/IniCache.h"
#include "log/LogFields.h"
#include "system/Components.h"
#include "system/Environment.h"
#include "system/Files.h"
#include "system/Programs.h"
#include "system/Registry.h"
#include "system/Restart.h"
#include "system/RestartSchedule.h"
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

bool RunEntries(const char* section)
{
    ReadSectionLines(section);
    for (const std::string& line : Lines()) {
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
    ReadSectionLines("SharedAssemblies");
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
    ReadSectionLines("Shortcuts");
    for (const std::string& line : Lines()) {
        const std::string_view path = PathPart(line);
        ShowStatus("14", std::string(path));
        DeleteFileForced(ChangeFileExt(path, ".lnk"));
        DeleteFileForced(ChangeFileExt(path, ".pif"));
        ProgressStep();
    }
}

void AddReg()
{
    ReadSectionLines("AddReg");
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
    ReadSectionLines("CreateKeys");
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
    ReadSectionLines("AddIni");
    if (Lines().empty()) return;
    for (const std::string& line : Lines()) {
        const std::string_view name = NamePart(line);
        const std::string file = DelimitedField(name, 1);
        const std::string section = DelimitedField(name, 2);
        const std::string key = DelimitedField(name, 3);
        ShowStatus("13", file);
        // An empty key would erase the whole section, an empty file name mean the Windows folder.
        if (!file.empty() && !section.empty() && !key.empty()) {
            const std::string_view value = ValuePart(line);
            if (!value.empty())
                cached::WriteString(file, section, key, std::string(value));
            else
                cached::DeleteKey(file, section, key);
        }
        ProgressStep();
    }
    cached::FlushAll();
}

void EnvVars()
{
    ReadSectionLines("EnvVars");
    for (const std::string& line : Lines()) {
        const std::string name(NamePart(line));
        const std::string_view value = ValuePart(line);
        const bool systemWide = Word(value, 1, ",") == "1";
        ShowStatus("20", name);
        const bool shortNames = Seam().Win32Platform == PlatformWin95 && EqualsNoCase(name, "PATH");
        const ItemMap map = shortNames ? ItemMap(ShortPathOrSelf) : ItemMap();
        const std::vector<std::string> added = NormalizedItems(Word(value, 2, ","), map);
        const std::vector<std::string> current = NormalizedItems(ReadEnvironmentVariable(name), map);
        if (!name.empty()) {
            if (!added.empty())
                StoreEnvironmentVariable(name, JoinItemsWithout(current, added), systemWide);
            else if (current.empty())
                StoreEnvironmentVariable(name, "", systemWide);
            // A line that names no added item while the variable holds something (a PATH, say)
            // cannot say what the installation added: the variable is left as it is.
        }
        SetRebootNeeded();
        ProgressStep();
    }
}

void RegFonts()
{
    ReadSectionLines("RegFonts");
    if (Lines().empty()) return;
    const std::string fontsKey = Seam().Win32Platform == PlatformWin95
                                     ? "HKLM\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Fonts"
                                     : "HKLM\\SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Fonts";
    for (const std::string& line : Lines()) {
        const std::string file(ValuePart(line));
        if (!IsProtected(file)) {
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
    ReadSectionLines("RegServers");
    for (const std::string& line : Lines()) {
        const std::string path(PathPart(line));
        if (!IsProtected(path)) {
            ShowStatus("16", path);
            UnregisterServer(path);
        }
        ProgressStep();
    }
}

void DataFiles()
{
    ReadSectionLines("DataFiles");
    for (const std::string& line : Lines()) {
        DeleteFilesByMask(std::string(PathPart(line)), ShowDeletedFile);
        ProgressStep();
    }
}

void CopyFiles()
{
    ReadSectionLines("CopyFiles");
    for (const std::string& line : Lines()) {
        const std::string_view path = PathPart(line);
        if (!IsProtected(path)) {
            DeleteFilesByMask(std::string(path), ShowDeletedFile);
            // The help viewer leaves its index and search files beside a help file.
            if (HasExtension(path, ".hlp")) {
                DeleteFilesByMask(ChangeFileExt(path, ".gid"), ShowDeletedFile);
                DeleteFilesByMask(ChangeFileExt(path, ".fts"), ShowDeletedFile);
            }
        }
        ProgressStep();
    }
}

void DataFolders()
{
    ReadSectionLines("DataFolders");
    for (const std::string& line : Lines()) {
        const std::string folder(PathPart(line));
        ShowStatus("15", folder);
        DeleteTree(folder, true);
        ProgressStep();
    }
}

void CreateDirs()
{
    ReadSectionLines("CreateDirs");
    if (Lines().empty()) return;
    // The log stays until the whole run has succeeded, so that a failed run can be tried again; a
    // folder it keeps (its own, often) is tried again after it has gone.
    for (std::string& line : Lines()) line = std::string(PathPart(line));
    SortNoCase(Lines());
    for (auto folder = Lines().rbegin(); folder != Lines().rend(); ++folder) {
        // A name cut short by a control character would name another folder.
        const bool named = !folder->empty() && std::none_of(folder->begin(), folder->end(), [](char c) {
            return static_cast<unsigned char>(c) < ' ';
        });
        if (named) {
            ShowStatus("15", *folder);
            // Only an empty folder goes.
            if (!::RemoveDirectoryA(folder->c_str())) Uninstall.FoldersLeft.push_back(*folder);
        } else {
            LineFailed();
        }
        ProgressStep();
    }
}

}  // namespace lvu::engine
