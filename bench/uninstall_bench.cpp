// Benchmark: the engine's whole silent run over a generated installation of files in folders (named
// one by one and by masks) and registry values, beside bare DeleteFileA / RemoveDirectoryA /
// RegDeleteValueA of the same items; once at a size and once at twice that size.
#include "BenchSupport.h"

#include "engine/Engine.h"
#include "log/IniCache.h"
#include "system/Registry.h"

#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

namespace {

constexpr int FilesPerFolder = 10;  // 8 named in the log one by one, 2 taken by a mask
constexpr int RegistryValues = 300;
const std::string BenchKey = "Software\\LumivexBench";

struct Installation {
    std::string Root;
    std::vector<std::string> Folders;
    std::vector<std::string> Files;
    std::string Log;
};

void Touch(const std::string& path)
{
    const HANDLE file = ::CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (file != INVALID_HANDLE_VALUE) ::CloseHandle(file);
}

// Lays the files, folders and values out again and writes the log that names them.
Installation Install(const std::string& root, int files)
{
    Installation installation{root, {}, {}, {}};
    ::CreateDirectoryA(root.c_str(), nullptr);
    std::string copyFiles = "[CopyFiles]\r\n";
    std::string createDirs = "[CreateDirs]\r\n" + root + "=1\r\n";
    for (int folder = 0; folder < files / FilesPerFolder; ++folder) {
        char name[32];
        std::snprintf(name, sizeof name, "\\Module%04d", folder);
        const std::string path = root + name;
        ::CreateDirectoryA(path.c_str(), nullptr);
        installation.Folders.push_back(path);
        createDirs += path + "=1\r\n";
        for (int file = 0; file < FilesPerFolder; ++file) {
            std::snprintf(name, sizeof name, file < 8 ? "\\part%02d.dll" : "\\cache%02d.tmp", file);
            Touch(path + name);
            installation.Files.push_back(path + name);
            if (file < 8) copyFiles += path + name + "=1\r\n";
        }
        copyFiles += path + "\\cache*.tmp=1\r\n";
    }
    std::string addReg = "[AddReg]\r\n";
    for (int value = 0; value < RegistryValues; ++value) {
        const std::string valueName = "Value" + std::to_string(value);
        lvu::RegWriteString("HKCU\\" + BenchKey, valueName, "data");
        addReg += "HKCU\\" + BenchKey + "\\" + valueName + "=0,\r\n";
    }
    installation.Log = root + ".log";
    const std::string log = "[Strings]\r\nAppID=LumivexBench\r\n" + copyFiles + createDirs + addReg;
    const HANDLE file = ::CreateFileA(installation.Log.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    DWORD written = 0;
    ::WriteFile(file, log.data(), static_cast<DWORD>(log.size()), &written, nullptr);
    ::CloseHandle(file);
    return installation;
}

double EngineRun(const Installation& installation)
{
    lvu::Uninstall.LogPath = installation.Log;
    lvu::Uninstall.UninstallKey.clear();
    lvu::Uninstall.Silent = true;
    lvu::Uninstall.RemoveData = true;
    lvu::Uninstall.ProgressPage = nullptr;
    lvu::Uninstall.ShowProgressPage = nullptr;
    const double start = lvxbench::NowMs();
    const bool succeeded = lvu::RunUninstall();
    const double elapsed = lvxbench::NowMs() - start;
    lvu::cached::FlushAll();  // the next run's log has the same name
    if (!succeeded || ::GetFileAttributesA(installation.Root.c_str()) != INVALID_FILE_ATTRIBUTES)
        std::printf("  (the engine left the installation behind)\n");
    return elapsed;
}

double BareRun(const Installation& installation)
{
    const double start = lvxbench::NowMs();
    for (const std::string& file : installation.Files) ::DeleteFileA(file.c_str());
    for (auto folder = installation.Folders.rbegin(); folder != installation.Folders.rend(); ++folder)
        ::RemoveDirectoryA(folder->c_str());
    ::RemoveDirectoryA(installation.Root.c_str());
    HKEY key = nullptr;
    if (::RegOpenKeyExA(HKEY_CURRENT_USER, BenchKey.c_str(), 0, KEY_SET_VALUE, &key) == ERROR_SUCCESS) {
        for (int value = 0; value < RegistryValues; ++value)
            ::RegDeleteValueA(key, ("Value" + std::to_string(value)).c_str());
        ::RegCloseKey(key);
    }
    const double elapsed = lvxbench::NowMs() - start;
    ::DeleteFileA(installation.Log.c_str());
    return elapsed;
}

}  // namespace

int main(int argc, char** argv)
{
    const int files = argc > 1 ? std::atoi(argv[1]) : 10000;
    const int rounds = argc > 2 ? std::atoi(argv[2]) : 3;
    char temp[MAX_PATH] = {};
    ::GetTempPathA(MAX_PATH, temp);
    const std::string root = std::string(temp) + "LumivexBenchInstall";
    std::printf("%8s %8s %6s %12s %12s %6s\n", "files", "folders", "masks", "engine ms", "bare ms", "ratio");
    for (const int size : {files, 2 * files}) {
        std::vector<double> engine, bare;
        for (int round = 0; round < rounds; ++round) {
            engine.push_back(EngineRun(Install(root, size)));
            bare.push_back(BareRun(Install(root, size)));
        }
        const double engineMs = lvxbench::Median(engine), bareMs = lvxbench::Median(bare);
        std::printf("%8d %8d %6d %12.0f %12.0f %6.2f\n", size, size / FilesPerFolder, size / FilesPerFolder, engineMs,
                    bareMs, engineMs / bareMs);
    }
    ::RegDeleteKeyA(HKEY_CURRENT_USER, BenchKey.c_str());
    return 0;
}
