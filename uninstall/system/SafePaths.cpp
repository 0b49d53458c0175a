// Platform side of the deletion safety rules: full paths, critical folders, entries reached as themselves.
#include "SafePaths.h"

#include "Handles.h"
#include "PathRules.h"

#include <shlobj.h>
#include <userenv.h>

#include <cstring>
#include <iterator>
#include <vector>

namespace lvu {
namespace {

// The text a "give me a path in this buffer" call produces; empty when it fails.
template <typename Call>
std::string PathFromCall(Call call)
{
    char buffer[MAX_PATH * 2] = {};
    const DWORD length = call(buffer, static_cast<DWORD>(std::size(buffer)));
    return length > 0 && length < std::size(buffer) ? std::string(buffer, length) : std::string();
}

std::string ExpandEnvironment(const std::string& text)
{
    return PathFromCall([&](char* buffer, DWORD size) {
        const DWORD length = ::ExpandEnvironmentStringsA(text.c_str(), buffer, size);
        return length > 0 ? length - 1 : 0;  // the count includes the terminating zero
    });
}

std::string RegistryText(HKEY key, const char* valueName)
{
    char buffer[MAX_PATH * 2] = {};
    DWORD size = sizeof buffer - 1;
    DWORD type = REG_NONE;
    if (::RegQueryValueExA(key, valueName, nullptr, &type, reinterpret_cast<BYTE*>(buffer), &size) != ERROR_SUCCESS ||
        (type != REG_SZ && type != REG_EXPAND_SZ))
        return {};
    return ExpandEnvironment(std::string(buffer, ::strnlen(buffer, size)));
}

// The long form of the longest part of the path that exists, with the rest appended.
std::string WithLongNames(const std::string& normal)
{
    std::string head = normal;
    std::string tail;
    while (!head.empty()) {
        const std::string longHead = PathFromCall(
            [&](char* buffer, DWORD size) { return ::GetLongPathNameA(head.c_str(), buffer, size); });
        if (!longHead.empty()) {
            const std::string joined = NormalizePath(longHead + tail);
            return joined.empty() ? normal : joined;
        }
        const std::string parent = ParentPath(head);
        if (parent.empty()) break;
        tail = "\\" + head.substr(parent.size() + (parent.back() == '\\' ? 0 : 1)) + tail;
        head = parent;
    }
    return normal;
}

void AddSpellings(std::vector<std::string>& list, const std::string& raw)
{
    if (raw.empty()) return;
    const auto full = FullNormalPath(raw);
    if (!full) return;
    list.push_back(UpperAnsi(*full));
    const std::string final = FinalPathOf(*full);
    if (!final.empty()) list.push_back(UpperAnsi(final));
}

CriticalFolders SystemCriticalFolders()
{
    CriticalFolders critical;
    std::vector<std::string>& folders = critical.Folders;
    AddSpellings(folders, PathFromCall([](char* b, DWORD s) { return ::GetWindowsDirectoryA(b, s); }));
    AddSpellings(folders, PathFromCall([](char* b, DWORD s) { return ::GetSystemWindowsDirectoryA(b, s); }));
    AddSpellings(folders, PathFromCall([](char* b, DWORD s) { return ::GetSystemDirectoryA(b, s); }));
    AddSpellings(folders, PathFromCall([](char* b, DWORD s) { return ::GetSystemWow64DirectoryA(b, s); }));
    static constexpr int Csidls[] = {
        CSIDL_WINDOWS,           CSIDL_SYSTEM,          CSIDL_SYSTEMX86,
        CSIDL_PROGRAM_FILES,     CSIDL_PROGRAM_FILESX86, CSIDL_PROGRAM_FILES_COMMON,
        CSIDL_PROGRAM_FILES_COMMONX86, CSIDL_COMMON_APPDATA, CSIDL_PROFILE,
        CSIDL_DESKTOPDIRECTORY,  CSIDL_PERSONAL,        CSIDL_COMMON_DESKTOPDIRECTORY,
        CSIDL_COMMON_DOCUMENTS,  CSIDL_APPDATA,         CSIDL_LOCAL_APPDATA,
        CSIDL_FONTS,             CSIDL_STARTMENU,       CSIDL_COMMON_STARTMENU,
        CSIDL_PROGRAMS,          CSIDL_COMMON_PROGRAMS,
    };
    for (const int csidl : Csidls) {
        char folder[MAX_PATH] = {};
        if (SUCCEEDED(::SHGetFolderPathA(nullptr, csidl, nullptr, SHGFP_TYPE_CURRENT, folder)))
            AddSpellings(folders, folder);
    }
    // A 32-bit program on 64-bit Windows sees only the x86 folders through the calls above.
    for (const char* variable : {"ProgramFiles", "ProgramFiles(x86)", "ProgramW6432", "CommonProgramFiles",
                                 "CommonProgramFiles(x86)", "CommonProgramW6432", "SystemRoot", "windir",
                                 "ProgramData", "ALLUSERSPROFILE", "PUBLIC", "USERPROFILE"})
        AddSpellings(folders, PathFromCall([&](char* b, DWORD s) { return ::GetEnvironmentVariableA(variable, b, s); }));
    const std::string windows = PathFromCall([](char* b, DWORD s) { return ::GetWindowsDirectoryA(b, s); });
    if (!windows.empty())
        for (const char* system : {"\\System32", "\\SysWOW64", "\\Sysnative"}) AddSpellings(folders, windows + system);

    AddSpellings(critical.ProfilesFolders,
                 PathFromCall([](char* b, DWORD s) { return ::GetProfilesDirectoryA(b, &s) ? ::lstrlenA(b) : 0; }));
    HKEY opened = nullptr;
    if (::RegOpenKeyExA(HKEY_LOCAL_MACHINE, "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\ProfileList", 0,
                        KEY_READ, &opened) == ERROR_SUCCESS) {
        const unique_hkey profileList(opened);
        AddSpellings(critical.ProfilesFolders, RegistryText(profileList.get(), "ProfilesDirectory"));
        AddSpellings(folders, RegistryText(profileList.get(), "Default"));
        AddSpellings(folders, RegistryText(profileList.get(), "Public"));
        for (DWORD index = 0;; ++index) {
            char name[256];
            DWORD length = sizeof name;
            if (::RegEnumKeyExA(profileList.get(), index, name, &length, nullptr, nullptr, nullptr, nullptr) !=
                ERROR_SUCCESS)
                break;
            HKEY profile = nullptr;
            if (::RegOpenKeyExA(profileList.get(), name, 0, KEY_READ, &profile) != ERROR_SUCCESS) continue;
            const unique_hkey profileKey(profile);
            AddSpellings(folders, RegistryText(profileKey.get(), "ProfileImagePath"));
        }
    }
    return critical;
}

}  // namespace

std::string UpperAnsi(std::string text)
{
    if (!text.empty()) ::CharUpperBuffA(text.data(), static_cast<DWORD>(text.size()));
    return text;
}

std::optional<std::string> FullNormalPath(const std::string& path)
{
    if (IsBareDrive(path) || !IsAbsolutePath(path)) return std::nullopt;
    const DWORD needed = ::GetFullPathNameA(path.c_str(), 0, nullptr, nullptr);
    if (needed == 0) return std::nullopt;
    std::string full(needed, '\0');
    const DWORD length = ::GetFullPathNameA(path.c_str(), needed, full.data(), nullptr);
    if (length == 0 || length >= needed) return std::nullopt;
    full.resize(length);
    const std::string normal = NormalizePath(full);
    if (normal.empty()) return std::nullopt;
    // A root has no long form, and asking a share root for one may wait on the network.
    return IsRootPath(normal) ? normal : WithLongNames(normal);
}

std::string FinalPathOf(HANDLE handle)
{
    char buffer[MAX_PATH * 4] = {};
    const DWORD length = ::GetFinalPathNameByHandleA(handle, buffer, static_cast<DWORD>(std::size(buffer)),
                                                     FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
    if (length == 0 || length >= std::size(buffer)) return {};
    return NormalizePath(std::string(buffer, length));
}

std::string FinalPathOf(const std::string& path)
{
    const unique_file file(::CreateFileA(path.c_str(), FILE_READ_ATTRIBUTES,
                                         FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                         OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    return file ? FinalPathOf(file.get()) : std::string();
}

bool ActsOnEntryItself(const std::string& folderFinal, const std::string& entryPath, const std::string& name)
{
    const unique_file entry(::CreateFileA(entryPath.c_str(), FILE_READ_ATTRIBUTES,
                                          FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                          OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT,
                                          nullptr));
    if (!entry) return false;
    const std::string final = FinalPathOf(entry.get());
    if (final.empty() || folderFinal.empty()) {
        BY_HANDLE_FILE_INFORMATION info{};
        return ::GetFileInformationByHandle(entry.get(), &info) &&
               !(info.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT);
    }
    std::string expected = folderFinal;
    if (expected.back() != '\\') expected += '\\';
    expected += name;
    return UpperAnsi(final) == UpperAnsi(NormalizePath(expected));
}

bool IsProtectedFolder(const std::string& path)
{
    const auto full = FullNormalPath(path);
    if (!full) return true;
    const CriticalFolders critical = SystemCriticalFolders();
    if (IsProtectedPath(UpperAnsi(*full), critical)) return true;
    const std::string final = FinalPathOf(*full);
    return !final.empty() && IsProtectedPath(UpperAnsi(final), critical);
}

}  // namespace lvu
