// Starts a program and waits until a window of its process shows, then ends it: the program of an
// archive really runs. Exit code 0 when a window showed; the registry key the inspector makes on
// its first start is removed again when it was not there before.
#include <windows.h>

#include <cstdio>
#include <string>

namespace {

struct Search {
    DWORD ProcessId = 0;
    HWND Found = nullptr;
};

BOOL CALLBACK Visit(HWND window, LPARAM parameter)
{
    auto* search = reinterpret_cast<Search*>(parameter);
    DWORD processId = 0;
    ::GetWindowThreadProcessId(window, &processId);
    if (processId != search->ProcessId || !::IsWindowVisible(window)) return TRUE;
    search->Found = window;
    return FALSE;
}

bool KeyExists(const char* subKey)
{
    HKEY key = nullptr;
    if (::RegOpenKeyExA(HKEY_CURRENT_USER, subKey, 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
    ::RegCloseKey(key);
    return true;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc < 2) {
        std::fprintf(stderr, "usage: start_check program.exe\n");
        return 2;
    }
    const std::string program = argv[1];
    const std::string folder = program.substr(0, program.find_last_of("\\/") + 1);
    const char* settingsKey = "Software\\Narvolt\\Lumivex";
    const bool hadSettings = KeyExists(settingsKey);

    std::string commandLine = "\"" + program + "\"";
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (!::CreateProcessA(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                          folder.empty() ? nullptr : folder.c_str(), &startup, &process)) {
        std::fprintf(stderr, "%s cannot be started (error %lu)\n", program.c_str(), ::GetLastError());
        return 1;
    }
    Search search{process.dwProcessId};
    // A window within a minute, however slow the machine; the program must not end before.
    for (int tries = 0; tries < 600 && !search.Found; ++tries) {
        ::EnumWindows(Visit, reinterpret_cast<LPARAM>(&search));
        if (search.Found || ::WaitForSingleObject(process.hProcess, 100) == WAIT_OBJECT_0) break;
    }
    int result = 1;
    if (search.Found) {
        char caption[256] = {};
        ::GetWindowTextA(search.Found, caption, sizeof caption);
        std::printf("%s shows the window \"%s\"\n", program.c_str(), caption);
        result = 0;
    } else {
        DWORD exitCode = 0;
        ::GetExitCodeProcess(process.hProcess, &exitCode);
        std::fprintf(stderr, "%s showed no window (exit code %ld)\n", program.c_str(), static_cast<long>(exitCode));
    }
    ::TerminateProcess(process.hProcess, 0);
    ::WaitForSingleObject(process.hProcess, 10000);
    ::CloseHandle(process.hThread);
    ::CloseHandle(process.hProcess);
    if (!hadSettings && KeyExists(settingsKey)) ::RegDeleteTreeA(HKEY_CURRENT_USER, settingsKey);
    return result;
}
