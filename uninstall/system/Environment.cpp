// Environment variables stored for later sessions (registry or autoexec.bat) and read from our own.
#include "Environment.h"

#include "FileText.h"
#include "Files.h"
#include "Registry.h"
#include "RestartFiles.h"
#include "SystemSeam.h"

#include <windows.h>

namespace lvu {
namespace {

bool StoreInAutoexec(const std::string& folder, const std::string& name, const std::string& value)
{
    const std::string autoexec = folder + "autoexec.bat";
    const bool existed = ::GetFileAttributesA(autoexec.c_str()) != INVALID_FILE_ATTRIBUTES;
    std::string old;
    if (existed && !ReadWholeFile(autoexec, old)) return false;
    const AutoexecEdit edit = SetAutoexecVariable(old, name, value);
    if (!edit.Changed) return true;

    const std::string newName = UniqueFileName(folder, "", ".bat", true);
    if (newName.empty()) return false;
    const std::string newPath = folder + newName;
    if (!WriteWholeFile(newPath, edit.Text, true)) {
        ::DeleteFileA(newPath.c_str());
        return false;
    }
    if (!existed) {
        if (::MoveFileA(newPath.c_str(), autoexec.c_str())) return true;
        ::DeleteFileA(newPath.c_str());
        return false;
    }
    // The old file steps aside under a unique name instead of being deleted, so that it can come
    // back if the new one cannot take its name: the machine never starts without autoexec.bat.
    const std::string asideName = UniqueFileName(folder, "", ".old", true);
    const std::string aside = folder + asideName;
    if (asideName.empty() || !::MoveFileA(autoexec.c_str(), aside.c_str())) {
        ::DeleteFileA(newPath.c_str());
        return false;
    }
    if (!::MoveFileA(newPath.c_str(), autoexec.c_str())) {
        ::MoveFileA(aside.c_str(), autoexec.c_str());
        ::DeleteFileA(newPath.c_str());
        return false;
    }
    ::SetFileAttributesA(aside.c_str(), FILE_ATTRIBUTE_NORMAL);
    ::DeleteFileA(aside.c_str());
    return true;
}

}  // namespace

bool StoreEnvironmentVariable(const std::string& name, const std::string& value, bool systemWide)
{
    if (!IsStorableVariable(name, value)) return false;
    const SystemSeam& seam = Seam();
    if (seam.Win32Platform != PlatformNT) return StoreInAutoexec(seam.RootFolder, name, value);
    const std::string key =
        systemWide ? "HKLM\\SYSTEM\\CurrentControlSet\\Control\\Session Manager\\Environment" : "HKCU\\Environment";
    if (!value.empty()) return RegWriteString(key, name, value);
    return RegRemoveValue(key, name) || !RegValueExists(key, name);
}

std::string ReadEnvironmentVariable(const std::string& name)
{
    std::string value(256, '\0');
    for (;;) {
        const DWORD length = ::GetEnvironmentVariableA(name.c_str(), value.data(), static_cast<DWORD>(value.size()));
        if (length == 0) return {};
        if (length < value.size()) {
            value.resize(length);
            return value;
        }
        value.resize(length);  // the needed size, terminating zero included
    }
}

}  // namespace lvu
