// Benchmark: loading a generated 20 MB install log and reading every key of it through the
// uninstaller's INI reader, beside the platform's profile API reading the same keys.
#include "log/IniCache.h"
#include "log/TextIniFile.h"

#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

namespace {

double NowMs()
{
    LARGE_INTEGER frequency{}, counter{};
    ::QueryPerformanceFrequency(&frequency);
    ::QueryPerformanceCounter(&counter);
    return 1000.0 * static_cast<double>(counter.QuadPart) / static_cast<double>(frequency.QuadPart);
}

struct Key {
    std::string Section;
    std::string Name;
};

// An install log the size of a large product's: files, registry values and keys, folders and
// many small sections, written the way the installer writes it.
std::string GenerateLog(size_t targetBytes, std::vector<Key>& keys)
{
    std::string log = "[Strings]\r\nAppID=Generated Product\r\n1=Generated Product Uninstall\r\n\r\n";
    keys.push_back({"Strings", "AppID"});
    keys.push_back({"Strings", "1"});
    const char* const kinds[] = {"CopyFiles", "AddReg", "CreateKeys", "CreateDirs"};
    int section = 0;
    while (log.size() < targetBytes) {
        const std::string name = std::string(kinds[section % 4]) + "." + std::to_string(section);
        log += "[" + name + "]\r\n";
        for (int line = 0; line < 200; ++line) {
            std::string key = "C:\\Program Files\\Generated Product\\Module" + std::to_string(section) +
                              "\\Component" + std::to_string(line) + "\\file" + std::to_string(line) + ".dll";
            log += key + "=" + std::to_string(line * 7919 % 100000) + ",\"shared\"\r\n";
            keys.push_back({name, key});
        }
        log += "\r\n";
        ++section;
    }
    return log;
}

}  // namespace

int main(int argc, char** argv)
{
    const double budgetMs = argc > 1 ? std::atof(argv[1]) * 1000.0 : 120000.0;
    char temp[MAX_PATH + 1] = {};
    ::GetTempPathA(MAX_PATH, temp);
    const std::string path = std::string(temp) + "lvu-bench-install.log";

    std::vector<Key> keys;
    const std::string log = GenerateLog(20u * 1024 * 1024, keys);
    if (FILE* out = std::fopen(path.c_str(), "wb")) {
        std::fwrite(log.data(), 1, log.size(), out);
        std::fclose(out);
    }

    // The uninstaller's reader: parse once, then every key through the cached layer.
    double start = NowMs();
    size_t found = 0;
    for (const Key& key : keys)
        if (!lvu::cached::ReadString(path, key.Section, key.Name, "").empty()) ++found;
    const double ours = NowMs() - start;
    lvu::cached::FlushAll();

    // The profile API on the same keys, within the time budget; the rest is extrapolated.
    start = NowMs();
    size_t asked = 0;
    size_t profileFound = 0;
    char value[1024];
    for (const Key& key : keys) {
        if (::GetPrivateProfileStringA(key.Section.c_str(), key.Name.c_str(), "", value, sizeof value, path.c_str()) > 0)
            ++profileFound;
        if (++asked % 256 == 0 && NowMs() - start > budgetMs) break;
    }
    const double profile = NowMs() - start;
    const double profileAll = profile * static_cast<double>(keys.size()) / static_cast<double>(asked);
    ::DeleteFileA(path.c_str());

    std::printf("Install log of %.1f MB, %zu keys in %zu sections\n", static_cast<double>(log.size()) / 1048576.0,
                keys.size(), keys.size() / 200);
    std::printf("  uninstaller's reader: load and read every key  %10.1f ms  (%zu found)\n", ours, found);
    std::printf("  GetPrivateProfileStringA, %zu of the keys       %10.1f ms  (%zu found)\n", asked, profile,
                profileFound);
    if (asked < keys.size())
        std::printf("  GetPrivateProfileStringA, every key (extrapolated) %10.1f ms\n", profileAll);
    std::printf("  ratio profile API / reader:                     %10.1f\n", ours > 0 ? profileAll / ours : 0.0);
    return found == keys.size() ? 0 : 1;
}
