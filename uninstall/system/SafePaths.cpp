// Platform side of the deletion safety rules: full paths, critical folders, entries reached as themselves.
#include "SafePaths.h"

#include "Environment.h"
#include "Handles.h"
#include "PathRules.h"
#include "Registry.h"

#include <knownfolders.h>
#include <shlobj.h>
#include <userenv.h>

#include <cstring>
#include <iterator>
#include <optional>
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

std::string KnownFolder(REFKNOWNFOLDERID id)
{
    wchar_t* wide = nullptr;
    std::string path;
    if (SUCCEEDED(::SHGetKnownFolderPath(id, KF_FLAG_DONT_VERIFY, nullptr, &wide)) && wide != nullptr) {
        char buffer[MAX_PATH * 2] = {};
        const int length = ::WideCharToMultiByte(CP_ACP, 0, wide, -1, buffer, static_cast<int>(std::size(buffer)),
                                                 nullptr, nullptr);
        if (length > 1) path.assign(buffer, static_cast<size_t>(length - 1));
    }
    ::CoTaskMemFree(wide);
    return path;
}

}  // namespace

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
        CSIDL_PROGRAMS,          CSIDL_COMMON_PROGRAMS, CSIDL_STARTUP,
        CSIDL_COMMON_STARTUP,    CSIDL_MYPICTURES,      CSIDL_COMMON_PICTURES,
        CSIDL_MYMUSIC,           CSIDL_COMMON_MUSIC,    CSIDL_MYVIDEO,
        CSIDL_COMMON_VIDEO,      CSIDL_FAVORITES,       CSIDL_COMMON_FAVORITES,
        CSIDL_TEMPLATES,         CSIDL_COMMON_TEMPLATES, CSIDL_SENDTO,
        CSIDL_ADMINTOOLS,        CSIDL_COMMON_ADMINTOOLS, CSIDL_NETHOOD,
        CSIDL_PRINTHOOD,         CSIDL_RECENT,          CSIDL_COOKIES,
        CSIDL_HISTORY,           CSIDL_INTERNET_CACHE,
    };
    for (const int csidl : Csidls) {
        char folder[MAX_PATH] = {};
        if (SUCCEEDED(::SHGetFolderPathA(nullptr, csidl, nullptr, SHGFP_TYPE_CURRENT, folder)))
            AddSpellings(folders, folder);
    }
    for (const GUID* id : {&FOLDERID_Downloads, &FOLDERID_PublicDownloads, &FOLDERID_LocalAppDataLow,
                           &FOLDERID_SavedGames, &FOLDERID_Contacts, &FOLDERID_Links, &FOLDERID_SavedSearches,
                           &FOLDERID_Public, &FOLDERID_PublicDesktop, &FOLDERID_PublicDocuments})
        AddSpellings(folders, KnownFolder(*id));
    // A 32-bit program on 64-bit Windows sees only the x86 folders through the calls above.
    for (const char* variable : {"ProgramFiles", "ProgramFiles(x86)", "ProgramW6432", "CommonProgramFiles",
                                 "CommonProgramFiles(x86)", "CommonProgramW6432", "SystemRoot", "windir",
                                 "ProgramData", "ALLUSERSPROFILE", "PUBLIC", "USERPROFILE"})
        AddSpellings(folders, PathFromCall([&](char* b, DWORD s) { return ::GetEnvironmentVariableA(variable, b, s); }));
    const std::string windows = PathFromCall([](char* b, DWORD s) { return ::GetWindowsDirectoryA(b, s); });
    AddSpellings(critical.Subtrees, windows);
    AddSpellings(critical.Subtrees, PathFromCall([](char* b, DWORD s) { return ::GetSystemWindowsDirectoryA(b, s); }));
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

lvc::FoldTable CodePageFold()
{
    lvc::FoldTable fold{};
    char bytes[256];
    for (int b = 0; b < 256; ++b) bytes[b] = static_cast<char>(b);
    // Byte 0 would end the text for some code paths: it is left as it is.
    ::CharUpperBuffA(bytes + 1, 255);
    for (int b = 0; b < 256; ++b) fold[b] = static_cast<unsigned char>(bytes[b]);
    return fold;
}

std::string UpperAnsi(std::string text)
{
    if (!text.empty()) ::CharUpperBuffA(text.data(), static_cast<DWORD>(text.size()));
    return text;
}

std::optional<std::string> FullNormalPath(const std::string& path, bool longNames)
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
    return IsRootPath(normal) || !longNames ? normal : WithLongNames(normal);
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

bool IsProtectedFolder(const std::string& path, const CriticalFolders* critical)
{
    const auto full = FullNormalPath(path);
    if (!full) return true;
    const CriticalFolders learnt = critical ? CriticalFolders{} : SystemCriticalFolders();
    const CriticalFolders& folders = critical ? *critical : learnt;
    if (IsProtectedPath(UpperAnsi(*full), folders)) return true;
    const std::string final = FinalPathOf(*full);
    return !final.empty() && IsProtectedPath(UpperAnsi(final), folders);
}

std::string InstallerFilePath(const std::string& logged)
{
    const RegistryView view = CurrentRegistryView();
    const RegistryView own = OwnRegistryView();
    if (view == RegistryView::Native || view == own) return logged;
    const std::string windows =
        NormalizePath(PathFromCall([](char* b, DWORD s) { return ::GetWindowsDirectoryA(b, s); }));
    if (windows.empty()) return logged;
    const std::string normalized = NormalizePath(logged);
    const auto replaced = [&](const char* from, const char* to) -> std::optional<std::string> {
        const std::string folder = windows + from;
        if (!IsSameOrAncestor(folder, normalized)) return std::nullopt;
        return windows + to + normalized.substr(folder.size());
    };
    if (own == RegistryView::Bits32) {
        // A 64-bit installer's system folder: a 32-bit program reaches it through the alias.
        return replaced("\\System32", "\\Sysnative").value_or(logged);
    }
    // A 32-bit installer's system folder was the 32-bit one, and its alias the real one.
    if (auto path = replaced("\\System32", "\\SysWOW64")) return *path;
    return replaced("\\Sysnative", "\\System32").value_or(logged);
}

}  // namespace lvu
