// Small, failure-tolerant reads and writes of boolean and integer settings in the registry.
#include "UNI_SimpleRegAccess.h"

namespace lvx {

bool SettingsOpenKey(HKEY root, const std::string& path, bool create, unique_hkey& key)
{
    HKEY opened = nullptr;
    const REGSAM access = KEY_QUERY_VALUE | KEY_SET_VALUE;
    const LONG status = create ? ::RegCreateKeyExA(root, path.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, access,
                                                   nullptr, &opened, nullptr)
                               : ::RegOpenKeyExA(root, path.c_str(), 0, access, &opened);
    if (status != ERROR_SUCCESS) return false;
    key.reset(opened);
    return true;
}

bool SettingsWriteInteger(HKEY root, const std::string& path, const std::string& name, int32_t value)
{
    unique_hkey key;
    if (!SettingsOpenKey(root, path, true, key)) return false;
    const auto data = static_cast<DWORD>(value);
    return ::RegSetValueExA(key.get(), name.c_str(), 0, REG_DWORD, reinterpret_cast<const BYTE*>(&data),
                            sizeof data) == ERROR_SUCCESS;
}

bool SettingsReadInteger(HKEY root, const std::string& path, const std::string& name, int32_t& value)
{
    unique_hkey key;
    if (!SettingsOpenKey(root, path, true, key)) return false;
    DWORD type = 0;
    DWORD data = 0;
    DWORD size = sizeof data;
    if (::RegQueryValueExA(key.get(), name.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(&data), &size) !=
            ERROR_SUCCESS ||
        type != REG_DWORD || size != sizeof data)
        return false;
    value = static_cast<int32_t>(data);
    return true;
}

bool SettingsWriteBool(HKEY root, const std::string& path, const std::string& name, bool value)
{
    return SettingsWriteInteger(root, path, name, value ? 1 : 0);
}

bool SettingsReadBool(HKEY root, const std::string& path, const std::string& name, bool& value)
{
    int32_t stored = 0;
    if (!SettingsReadInteger(root, path, name, stored)) return false;
    value = stored != 0;
    return true;
}

bool SettingsWriteBool(const std::string& path, const std::string& name, bool value)
{
    return SettingsWriteBool(HKEY_CURRENT_USER, path, name, value);
}

bool SettingsReadBool(const std::string& path, const std::string& name, bool& value)
{
    return SettingsReadBool(HKEY_CURRENT_USER, path, name, value);
}

bool SettingsWriteInteger(const std::string& path, const std::string& name, int32_t value)
{
    return SettingsWriteInteger(HKEY_CURRENT_USER, path, name, value);
}

bool SettingsReadInteger(const std::string& path, const std::string& name, int32_t& value)
{
    return SettingsReadInteger(HKEY_CURRENT_USER, path, name, value);
}

}  // namespace lvx
