// Test helpers: temporary folders, scratch and saved registry keys, files, links and a recording seam.
#include "SystemTestSupport.h"

#include "Handles.h"
#include "RegistryText.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <memory>
#include <set>
#include <sstream>
#include <tuple>

namespace lvutest {
namespace {

std::atomic<unsigned> Counter{0};
std::set<std::string> UnixLinks;

void RemoveKeyTree(HKEY root, const std::string& subKey)
{
    HKEY key = nullptr;
    if (::RegOpenKeyExA(root, subKey.c_str(), 0, KEY_READ | KEY_WRITE, &key) != ERROR_SUCCESS) return;
    const lvu::unique_hkey owner(key);
    ::RegDeleteTreeA(key, nullptr);
    ::RegDeleteKeyA(root, subKey.c_str());
}

// Wine's own answer to where a Windows path lives in the Unix file system; empty elsewhere.
std::string UnixPathOf(const std::string& path)
{
    using UnixName = char*(CDECL*)(LPCWSTR);
    const FARPROC address = ::GetProcAddress(::GetModuleHandleA("kernel32.dll"), "wine_get_unix_file_name");
    if (!address) return {};
    UnixName unixName = nullptr;
    std::memcpy(&unixName, &address, sizeof unixName);
    wchar_t wide[MAX_PATH * 2] = {};
    ::MultiByteToWideChar(CP_ACP, 0, path.c_str(), -1, wide, static_cast<int>(std::size(wide)));
    char* unix = unixName(wide);
    if (!unix) return {};
    std::string text(unix);
    ::HeapFree(::GetProcessHeap(), 0, unix);
    return text;
}

bool RunUnixTool(const std::string& tool, const std::string& arguments)
{
    const std::string program = BinFolder() + "lvu-tools\\" + tool;
    if (!Exists(program)) return false;
    std::string commandLine = "\"" + program + "\" " + arguments;
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (!::CreateProcessA(program.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                          &process))
        return false;
    ::CloseHandle(process.hThread);
    // Wine's handle for a Unix process may be signalled before the process has run; callers wait
    // for its effect as well.
    ::WaitForSingleObject(process.hProcess, 10000);
    ::CloseHandle(process.hProcess);
    return true;
}

bool UnixLink(const std::string& link, const std::string& target)
{
    const std::string unixLink = UnixPathOf(link);
    const std::string unixTarget = UnixPathOf(target);
    if (unixLink.empty() || unixTarget.empty()) return false;
    if (!RunUnixTool("ln", "-s \"" + unixTarget + "\" \"" + unixLink + "\"")) return false;
    UnixLinks.insert(link);
    return WaitFor([&] { return ::GetFileAttributesA(link.c_str()) != INVALID_FILE_ATTRIBUTES; }, 5000);
}

bool WindowsSymbolicLink(const std::string& link, const std::string& target, DWORD flags)
{
    // Wine answers success without making anything, so the link is looked for afterwards.
    return ::CreateSymbolicLinkA(link.c_str(), target.c_str(), flags | SYMBOLIC_LINK_FLAG_ALLOW_UNPRIVILEGED_CREATE) &&
           ::GetFileAttributesA(link.c_str()) != INVALID_FILE_ATTRIBUTES;
}

// For the whole test program the seam points at a folder and key of its own and refuses, loudly,
// to schedule anything at the real restart or to restart: a test that forgets its own seam fails
// instead of touching the machine.
class GuardedSeamEnvironment : public ::testing::Environment {
public:
    void SetUp() override
    {
        folder_ = std::make_unique<TempFolder>();
        key_ = std::make_unique<ScratchRegistryKey>();
        lvu::SystemSeam seam = lvu::RealSystemSeam();
        seam.WindowsFolder = folder_->Path();
        seam.RootFolder = folder_->Path();
        seam.RunOnceKey = key_->Path();
        seam.ScheduleAtRestart = [](const std::string& source, const std::string&) {
            ADD_FAILURE() << "restart-time schedule outside a test's own seam: " << source;
            return false;
        };
        seam.ExitSession = [](UINT, DWORD) {
            ADD_FAILURE() << "restart outside a test's own seam";
            return false;
        };
        override_ = std::make_unique<lvu::ScopedSeamOverride>(std::move(seam));
    }
    void TearDown() override
    {
        override_.reset();
        key_.reset();
        folder_.reset();
    }

private:
    std::unique_ptr<TempFolder> folder_;
    std::unique_ptr<ScratchRegistryKey> key_;
    std::unique_ptr<lvu::ScopedSeamOverride> override_;
};

[[maybe_unused]] ::testing::Environment* const GuardedSeam =
    ::testing::AddGlobalTestEnvironment(new GuardedSeamEnvironment);

}  // namespace

std::string UniqueTestName(const std::string& stem)
{
    return stem + "-" + std::to_string(::GetCurrentProcessId()) + "-" + std::to_string(Counter++);
}

ScratchRegistryKey::ScratchRegistryKey() : subKey_("Software\\LumivexTests\\" + UniqueTestName("lvu"))
{
    RemoveKeyTree(HKEY_CURRENT_USER, subKey_);
}

ScratchRegistryKey::~ScratchRegistryKey()
{
    RemoveKeyTree(HKEY_CURRENT_USER, subKey_);
    ::RegDeleteKeyA(HKEY_CURRENT_USER, "Software\\LumivexTests");  // only when nothing else is left in it
}

void WriteFile(const std::string& path, const std::string& content)
{
    std::ofstream(path, std::ios::binary) << content;
}

std::string ReadFile(const std::string& path)
{
    std::ifstream file(path, std::ios::binary);
    std::ostringstream content;
    content << file.rdbuf();
    return content.str();
}

bool Exists(const std::string& path)
{
    return ::GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

void MakeFolder(const std::string& path)
{
    ::CreateDirectoryA(path.c_str(), nullptr);
}

std::vector<std::string> FolderNames(const std::string& folder)
{
    std::vector<std::string> names;
    WIN32_FIND_DATAA entry{};
    std::string pattern = folder;
    if (pattern.back() != '\\') pattern += '\\';
    const lvu::unique_find find(::FindFirstFileA((pattern + "*").c_str(), &entry));
    if (!find) return names;
    do {
        const std::string name = entry.cFileName;
        if (name != "." && name != "..") names.push_back(name);
    } while (::FindNextFileA(find.get(), &entry));
    std::sort(names.begin(), names.end());
    return names;
}

bool WaitFor(const std::function<bool()>& condition, DWORD timeoutMs)
{
    const ULONGLONG deadline = ::GetTickCount64() + timeoutMs;
    for (;;) {
        MSG message{};
        while (::PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
            ::TranslateMessage(&message);
            ::DispatchMessageA(&message);
        }
        if (condition()) return true;
        if (::GetTickCount64() >= deadline) return false;
        ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
    }
}

namespace {

void SaveKey(HKEY key, const std::string& relative, RegistryTree& tree)
{
    tree.Keys.push_back(relative);
    for (DWORD index = 0;; ++index) {
        char name[16384];
        DWORD nameLength = sizeof name;
        std::string data(65536, '\0');
        DWORD dataLength = static_cast<DWORD>(data.size());
        DWORD type = REG_NONE;
        if (::RegEnumValueA(key, index, name, &nameLength, nullptr, &type, reinterpret_cast<BYTE*>(data.data()),
                            &dataLength) != ERROR_SUCCESS)
            break;
        data.resize(dataLength);
        tree.Values.push_back({relative, std::string(name, nameLength), type, data});
    }
    for (DWORD index = 0;; ++index) {
        char name[1024];
        DWORD nameLength = sizeof name;
        if (::RegEnumKeyExA(key, index, name, &nameLength, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
        HKEY child = nullptr;
        if (::RegOpenKeyExA(key, name, 0, KEY_READ, &child) != ERROR_SUCCESS) continue;
        const lvu::unique_hkey owner(child);
        SaveKey(child, relative.empty() ? std::string(name, nameLength) : relative + "\\" + name, tree);
    }
}

}  // namespace

RegistryTree SaveRegistryTree(HKEY root, const std::string& subKey)
{
    RegistryTree tree;
    HKEY opened = nullptr;
    if (::RegOpenKeyExA(root, subKey.c_str(), 0, KEY_READ, &opened) != ERROR_SUCCESS) return tree;
    const lvu::unique_hkey key(opened);
    tree.Exists = true;
    SaveKey(key.get(), "", tree);
    std::sort(tree.Keys.begin(), tree.Keys.end());
    std::sort(tree.Values.begin(), tree.Values.end(), [](const RegistryTree::Value& a, const RegistryTree::Value& b) {
        return std::tie(a.Key, a.Name) < std::tie(b.Key, b.Name);
    });
    return tree;
}

void RestoreRegistryTree(HKEY root, const std::string& subKey, const RegistryTree& tree)
{
    RemoveKeyTree(root, subKey);
    if (!tree.Exists) return;
    for (const std::string& relative : tree.Keys) {
        HKEY key = nullptr;
        const std::string path = relative.empty() ? subKey : subKey + "\\" + relative;
        if (::RegCreateKeyExA(root, path.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, &key, nullptr) == ERROR_SUCCESS)
            ::RegCloseKey(key);
    }
    for (const RegistryTree::Value& value : tree.Values) {
        HKEY key = nullptr;
        const std::string path = value.Key.empty() ? subKey : subKey + "\\" + value.Key;
        if (::RegOpenKeyExA(root, path.c_str(), 0, KEY_SET_VALUE, &key) != ERROR_SUCCESS) continue;
        ::RegSetValueExA(key, value.Name.c_str(), 0, value.Type, reinterpret_cast<const BYTE*>(value.Data.data()),
                         static_cast<DWORD>(value.Data.size()));
        ::RegCloseKey(key);
    }
}

bool MakeFolderLink(const std::string& link, const std::string& target)
{
    return WindowsSymbolicLink(link, target, SYMBOLIC_LINK_FLAG_DIRECTORY) || UnixLink(link, target);
}

bool MakeFileLink(const std::string& link, const std::string& target)
{
    return WindowsSymbolicLink(link, target, 0) || UnixLink(link, target);
}

void RemoveLink(const std::string& link)
{
    if (UnixLinks.erase(link) != 0) {
        // Wine would act on the target; only the Unix tool reaches the link itself.
        if (!RunUnixTool("rm", "-f \"" + UnixPathOf(link) + "\"")) return;
        const size_t slash = link.find_last_of('\\');
        const std::string folder = link.substr(0, slash), name = link.substr(slash + 1);
        WaitFor([&] {
            const std::vector<std::string> names = FolderNames(folder);
            return std::find(names.begin(), names.end(), name) == names.end();
        }, 5000);
        return;
    }
    if (!::RemoveDirectoryA(link.c_str())) ::DeleteFileA(link.c_str());
}

lvu::SystemSeam RecordingSeam(SeamRecord& record, int platform, const std::string& windowsFolder,
                              const std::string& rootFolder, const std::string& runOnceKey)
{
    lvu::SystemSeam seam;
    seam.Win32Platform = platform;
    seam.WindowsFolder = windowsFolder;
    seam.RootFolder = rootFolder;
    seam.RunOnceKey = runOnceKey;
    seam.ScheduleAtRestart = [&record](const std::string& source, const std::string& target) {
        record.Scheduled.emplace_back(source, target);
        return record.ScheduleAnswer;
    };
    seam.ExitSession = [&record](UINT flags, DWORD) {
        record.Restarts.push_back(flags);
        return record.RestartAnswer;
    };
    return seam;
}

}  // namespace lvutest
