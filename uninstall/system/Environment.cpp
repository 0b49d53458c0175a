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

std::string EnvironmentKey(bool systemWide)
{
    return systemWide ? "HKLM\\SYSTEM\\CurrentControlSet\\Control\\Session Manager\\Environment" : "HKCU\\Environment";
}

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

bool StoreEnvironmentVariable(const std::string& name, const std::string& value, bool systemWide, bool expandable)
{
    if (!IsStorableVariable(name, value)) return false;
    const SystemSeam& seam = Seam();
    if (seam.Win32Platform != PlatformNT) return StoreInAutoexec(seam.RootFolder, name, value);
    const std::string key = EnvironmentKey(systemWide);
    if (!value.empty()) return expandable ? RegWriteExpandString(key, name, value) : RegWriteString(key, name, value);
    return RegRemoveValue(key, name) || !RegValueExists(key, name);
}

StoredVariable ReadStoredVariable(const std::string& name, bool systemWide)
{
    StoredVariable variable;
    if (name.empty()) return variable;
    const SystemSeam& seam = Seam();
    if (seam.Win32Platform != PlatformNT) {
        std::string autoexec;
        const std::string path = seam.RootFolder + "autoexec.bat";
        if (::GetFileAttributesA(path.c_str()) == INVALID_FILE_ATTRIBUTES || !ReadWholeFile(path, autoexec))
            return variable;
        if (const auto value = AutoexecVariable(autoexec, name)) {
            variable.Value = *value;
            variable.Exists = true;
        }
        return variable;
    }
    if (const auto stored = RegReadStoredString(EnvironmentKey(systemWide), name)) {
        variable.Value = stored->Text;
        variable.Expandable = stored->Expandable;
        variable.Exists = true;
    }
    return variable;
}

void AnnounceEnvironmentChange()
{
    DWORD_PTR result = 0;
    ::SendMessageTimeoutA(HWND_BROADCAST, WM_SETTINGCHANGE, 0, reinterpret_cast<LPARAM>("Environment"),
                          SMTO_ABORTIFHUNG, 5000, &result);
}

std::string ExpandEnvironment(const std::string& text)
{
    if (text.find('%') == std::string::npos) return text;
    std::string expanded(text.size() + 256, '\0');
    for (int attempt = 0; attempt < 4; ++attempt) {
        const DWORD needed = ::ExpandEnvironmentStringsA(text.c_str(), expanded.data(), static_cast<DWORD>(expanded.size()));
        if (needed == 0) return text;
        if (needed <= expanded.size()) {
            expanded.resize(needed - 1);  // the count includes the terminating zero
            return expanded;
        }
        expanded.resize(needed);
    }
    return text;
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
