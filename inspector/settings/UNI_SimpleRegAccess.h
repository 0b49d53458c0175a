// Small, failure-tolerant reads and writes of boolean and integer settings in the registry.
#pragma once

#include "core/Handles.h"

#include <windows.h>

#include <cstdint>
#include <string>

namespace lvx {

// Opens `path` under `root` for reading and writing values, creating missing keys when asked.
[[nodiscard]] bool SettingsOpenKey(HKEY root, const std::string& path, bool create, unique_hkey& key);

// Each operation opens the key (creating it, also for the reads), does one thing and closes it.
// A read answers true only when the value existed as a REG_DWORD and was read; `value` is left
// alone otherwise. A boolean is written as 1 or 0 and read as "not 0".
bool SettingsWriteBool(HKEY root, const std::string& path, const std::string& name, bool value);
bool SettingsReadBool(HKEY root, const std::string& path, const std::string& name, bool& value);
bool SettingsWriteInteger(HKEY root, const std::string& path, const std::string& name, int32_t value);
bool SettingsReadInteger(HKEY root, const std::string& path, const std::string& name, int32_t& value);

// The same under HKEY_CURRENT_USER, which is where the program keeps its settings.
bool SettingsWriteBool(const std::string& path, const std::string& name, bool value);
bool SettingsReadBool(const std::string& path, const std::string& name, bool& value);
bool SettingsWriteInteger(const std::string& path, const std::string& name, int32_t value);
bool SettingsReadInteger(const std::string& path, const std::string& name, int32_t& value);

}  // namespace lvx
