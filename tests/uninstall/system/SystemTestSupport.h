// Test helpers: temporary folders, scratch and saved registry keys, files, links and a recording seam.
#pragma once

#include "SystemSeam.h"
#include "support/TempFiles.h"

#include <windows.h>

#include <functional>
#include <map>
#include <string>
#include <vector>

namespace lvutest {

using lvctest::BinFolder;
using lvctest::TempFolder;

// A fresh key HKCU\Software\LumivexTests\<unique>, removed with everything below it afterwards.
class ScratchRegistryKey {
public:
    ScratchRegistryKey();
    ~ScratchRegistryKey();
    ScratchRegistryKey(const ScratchRegistryKey&) = delete;
    ScratchRegistryKey& operator=(const ScratchRegistryKey&) = delete;
    [[nodiscard]] const std::string& SubKey() const { return subKey_; }  // under HKCU
    [[nodiscard]] std::string Path() const { return "HKCU\\" + subKey_; }

private:
    std::string subKey_;
};

// A name no other test run uses at the same time.
std::string UniqueTestName(const std::string& stem);

void WriteFile(const std::string& path, const std::string& content);
std::string ReadFile(const std::string& path);
bool Exists(const std::string& path);
void MakeFolder(const std::string& path);
// Names in a folder (without "." and ".."), sorted.
std::vector<std::string> FolderNames(const std::string& folder);

// Pumps this thread's messages until `condition` holds or the time is up.
bool WaitFor(const std::function<bool()>& condition, DWORD timeoutMs = 15000);

// Every key and value under a key, kept to compare the registry before and after a test and to
// put a part of it back exactly as it was.
struct RegistryTree {
    struct Value {
        std::string Key;  // relative to the tree's key, "" for the key itself
        std::string Name;
        DWORD Type = REG_NONE;
        std::string Data;
        bool operator==(const Value&) const = default;
    };
    bool Exists = false;
    std::vector<std::string> Keys;  // relative, sorted; "" is the key itself
    std::vector<Value> Values;
    bool operator==(const RegistryTree&) const = default;
};
RegistryTree SaveRegistryTree(HKEY root, const std::string& subKey);
// Removes the key with everything below it and writes the saved keys and values back.
void RestoreRegistryTree(HKEY root, const std::string& subKey, const RegistryTree& tree);

// Links for the tests that must not be followed: a symbolic link where the platform makes one;
// under Wine (which makes none) a Unix link made by the Unix "ln" that the build placed beside the
// tests. Removing goes the same way back. False when no way worked.
bool MakeFolderLink(const std::string& link, const std::string& target);
bool MakeFileLink(const std::string& link, const std::string& target);
void RemoveLink(const std::string& link);

// A seam pointed at temporary folders and a scratch RunOnce key, recording restart-time moves
// and restarts instead of acting.
struct SeamRecord {
    std::vector<std::pair<std::string, std::string>> Scheduled;
    std::vector<UINT> Restarts;
    bool ScheduleAnswer = true;
    bool RestartAnswer = true;
};
lvu::SystemSeam RecordingSeam(SeamRecord& record, int platform, const std::string& windowsFolder,
                              const std::string& rootFolder, const std::string& runOnceKey);

}  // namespace lvutest
