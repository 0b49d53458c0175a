// Registry access by textual path ("HKLM\Software\Vendor"): reads, logged values written back, removal.
#include "Registry.h"

#include "Handles.h"
#include "RegistryText.h"

#include <cstring>
#include <vector>

namespace lvu {
namespace {

RegistryView ChosenView = RegistryView::Native;

using IsWow64ProcessProc = BOOL(WINAPI*)(HANDLE, PBOOL);
using RegDeleteKeyExProc = LONG(WINAPI*)(HKEY, LPCSTR, REGSAM, DWORD);

// The registry calls return their error: it is left as the thread's last error, where the
// callers of this module find the reason of a failure.
bool Succeeded(LONG status)
{
    ::SetLastError(static_cast<DWORD>(status));
    return status == ERROR_SUCCESS;
}

template <typename Proc>
Proc Entry(const char* module, const char* name)
{
    const HMODULE loaded = ::GetModuleHandleA(module);
    return loaded ? reinterpret_cast<Proc>(reinterpret_cast<void*>(::GetProcAddress(loaded, name))) : nullptr;
}

// RegDeleteKeyA deletes in the program's own view only; the view-taking form exists on every
// system that has two views.
bool DeleteSubKey(HKEY parent, const std::string& name)
{
    static const auto deleteKeyEx = Entry<RegDeleteKeyExProc>("advapi32.dll", "RegDeleteKeyExA");
    if (deleteKeyEx != nullptr && RegistryViewAccess() != 0)
        return Succeeded(deleteKeyEx(parent, name.c_str(), RegistryViewAccess(), 0));
    return Succeeded(::RegDeleteKeyA(parent, name.c_str()));
}

HKEY RootKey(RegistryRoot root)
{
    switch (root) {
    case RegistryRoot::ClassesRoot: return HKEY_CLASSES_ROOT;
    case RegistryRoot::CurrentUser: return HKEY_CURRENT_USER;
    case RegistryRoot::LocalMachine: return HKEY_LOCAL_MACHINE;
    case RegistryRoot::Users: return HKEY_USERS;
    }
    return HKEY_CURRENT_USER;
}

unique_hkey OpenKey(HKEY root, const std::string& subKey, REGSAM access)
{
    HKEY key = nullptr;
    if (!Succeeded(::RegOpenKeyExA(root, subKey.c_str(), 0, access | RegistryViewAccess(), &key))) return {};
    return unique_hkey(key);
}

unique_hkey OpenPath(const std::string& path, REGSAM access)
{
    const RegistryPath parsed = ParseRegistryPath(path);
    return OpenKey(RootKey(parsed.Root), parsed.SubKey, access);
}

bool WriteValue(const std::string& path, const std::string& valueName, DWORD type, const void* data, size_t size)
{
    const RegistryPath parsed = ParseRegistryPath(path);
    HKEY key = nullptr;
    if (!Succeeded(::RegCreateKeyExA(RootKey(parsed.Root), parsed.SubKey.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                                     KEY_SET_VALUE | RegistryViewAccess(), nullptr, &key, nullptr)))
        return false;
    const unique_hkey owner(key);
    return Succeeded(::RegSetValueExA(key, valueName.c_str(), 0, type, static_cast<const BYTE*>(data),
                                      static_cast<DWORD>(size)));
}

// The value's type and data; false when it cannot be read.
bool QueryValue(HKEY key, const std::string& valueName, DWORD& type, std::string& data)
{
    for (int attempt = 0; attempt < 4; ++attempt) {
        DWORD size = 0;
        if (::RegQueryValueExA(key, valueName.c_str(), nullptr, &type, nullptr, &size) != ERROR_SUCCESS) return false;
        data.assign(size, '\0');
        const LONG status = ::RegQueryValueExA(key, valueName.c_str(), nullptr, &type,
                                               reinterpret_cast<BYTE*>(data.data()), &size);
        // Another writer may have made the value longer between the two questions.
        if (status == ERROR_MORE_DATA) continue;
        if (status != ERROR_SUCCESS) return false;
        data.resize(size);
        return true;
    }
    return false;
}

std::vector<std::string> SubKeyNames(HKEY key)
{
    std::vector<std::string> names;
    for (DWORD index = 0;; ++index) {
        char name[1024];
        DWORD length = sizeof name;
        if (::RegEnumKeyExA(key, index, name, &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
        names.emplace_back(name, length);
    }
    return names;
}

void RemoveSubKeys(HKEY root, const std::string& subKey)
{
    const unique_hkey key = OpenKey(root, subKey, KEY_READ);
    if (!key) return;
    for (const std::string& name : SubKeyNames(key.get())) {
        const std::string child = subKey + "\\" + name;
        RemoveSubKeys(root, child);
        const unique_hkey parent = OpenKey(root, subKey, KEY_WRITE);
        if (parent) DeleteSubKey(parent.get(), name);
    }
}

}  // namespace

bool IsWow64System()
{
    if constexpr (sizeof(void*) == 8) return true;
    static const bool wow64 = [] {
        const auto isWow64 = Entry<IsWow64ProcessProc>("kernel32.dll", "IsWow64Process");
        BOOL self = FALSE;
        return isWow64 != nullptr && isWow64(::GetCurrentProcess(), &self) && self;
    }();
    return wow64;
}

RegistryView OwnRegistryView()
{
    if (!IsWow64System()) return RegistryView::Native;
    return sizeof(void*) == 8 ? RegistryView::Bits64 : RegistryView::Bits32;
}

void SetRegistryView(RegistryView view)
{
    ChosenView = view;
}

RegistryView CurrentRegistryView()
{
    return ChosenView;
}

REGSAM RegistryViewAccess()
{
    switch (ChosenView) {
    case RegistryView::Bits32: return KEY_WOW64_32KEY;
    case RegistryView::Bits64: return KEY_WOW64_64KEY;
    case RegistryView::Native: return 0;
    }
    return 0;
}

std::string RegReadString(const std::string& path, const std::string& valueName, const std::string& defaultValue)
{
    const unique_hkey key = OpenPath(path, KEY_READ);
    if (!key) return defaultValue;
    DWORD type = REG_NONE;
    std::string data;
    if (!QueryValue(key.get(), valueName, type, data)) return defaultValue;
    switch (type) {
    case REG_SZ:
    case REG_EXPAND_SZ: return data.substr(0, data.find('\0'));
    case REG_BINARY: return HexFromBinary(reinterpret_cast<const uint8_t*>(data.data()), data.size());
    case REG_DWORD: {
        if (data.size() != sizeof(DWORD)) return defaultValue;
        DWORD number = 0;
        std::memcpy(&number, data.data(), sizeof number);
        return std::to_string(number);
    }
    case REG_MULTI_SZ: return MultiStringText(data);
    default: return defaultValue;
    }
}

std::optional<StoredString> RegReadStoredString(const std::string& path, const std::string& valueName)
{
    const unique_hkey key = OpenPath(path, KEY_READ);
    if (!key) return std::nullopt;
    DWORD type = REG_NONE;
    std::string data;
    if (!QueryValue(key.get(), valueName, type, data) || (type != REG_SZ && type != REG_EXPAND_SZ)) return std::nullopt;
    return StoredString{data.substr(0, data.find('\0')), type == REG_EXPAND_SZ};
}

int32_t RegReadInteger(const std::string& path, const std::string& valueName, int32_t defaultValue)
{
    const unique_hkey key = OpenPath(path, KEY_READ);
    if (!key) return defaultValue;
    DWORD data = 0;
    DWORD size = sizeof data;
    if (::RegQueryValueExA(key.get(), valueName.c_str(), nullptr, nullptr, reinterpret_cast<BYTE*>(&data), &size) !=
            ERROR_SUCCESS ||
        size != sizeof data)
        return defaultValue;
    return static_cast<int32_t>(data);
}

bool RegWriteString(const std::string& path, const std::string& valueName, const std::string& data)
{
    return WriteValue(path, valueName, REG_SZ, data.c_str(), data.size() + 1);
}

bool RegWriteExpandString(const std::string& path, const std::string& valueName, const std::string& data)
{
    return WriteValue(path, valueName, REG_EXPAND_SZ, data.c_str(), data.size() + 1);
}

bool RegWriteInteger(const std::string& path, const std::string& valueName, int32_t data)
{
    const auto number = static_cast<DWORD>(data);
    return WriteValue(path, valueName, REG_DWORD, &number, sizeof number);
}

bool RegWriteBinary(const std::string& path, const std::string& valueName, const std::string& hexData)
{
    const std::vector<uint8_t> bytes = BinaryFromHex(hexData);
    return WriteValue(path, valueName, REG_BINARY, bytes.data(), bytes.size());
}

bool RegWriteMultiString(const std::string& path, const std::string& valueName, const std::string& lines)
{
    const std::string data = MultiStringData(lines);
    return WriteValue(path, valueName, REG_MULTI_SZ, data.data(), data.size());
}

bool RegRestoreValue(const std::string& path, const std::string& valueName, int typeCode, const std::string& data)
{
    switch (typeCode) {
    case RegTypeString: return RegWriteString(path, valueName, data);
    case RegTypeExpandString: return RegWriteExpandString(path, valueName, data);
    case RegTypeBinary: return RegWriteBinary(path, valueName, data);
    case RegTypeDword: return RegWriteInteger(path, valueName, static_cast<int32_t>(ParseUnsignedDecimal(data, 0)));
    case RegTypeMultiString: return RegWriteMultiString(path, valueName, data);
    default: return false;
    }
}

bool RegRemoveValue(const std::string& path, const std::string& valueName)
{
    const unique_hkey key = OpenPath(path, KEY_WRITE);
    return key && Succeeded(::RegDeleteValueA(key.get(), valueName.c_str()));
}

bool RegValueExists(const std::string& path, const std::string& valueName)
{
    const unique_hkey key = OpenPath(path, KEY_READ);
    return key && ::RegQueryValueExA(key.get(), valueName.c_str(), nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS;
}

bool RegRemoveKey(const std::string& path, bool recursive)
{
    const RegistryPath parsed = ParseRegistryPath(path);
    // An empty sub-key is the root itself: removing "everything under HKCU" is never what a log means.
    if (parsed.SubKey.empty()) return false;
    const KeyPathSplit split = SplitLastKey(parsed.SubKey);
    if (split.Name.empty()) return false;
    const HKEY root = RootKey(parsed.Root);
    if (recursive) RemoveSubKeys(root, parsed.SubKey);
    const unique_hkey parent = OpenKey(root, split.Parent, KEY_WRITE);
    return parent && DeleteSubKey(parent.get(), split.Name);
}

}  // namespace lvu
