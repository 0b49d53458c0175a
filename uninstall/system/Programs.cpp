// Starting a program or document and waiting for it to end.
#include "Programs.h"

#include "Handles.h"

#include <shellapi.h>

#include <algorithm>

namespace lvu {
namespace {

std::string Trim(const std::string& text)
{
    const size_t first = text.find_first_not_of(" \t");
    if (first == std::string::npos) return {};
    return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

std::string WithoutQuotes(std::string text)
{
    text.erase(std::remove(text.begin(), text.end(), '"'), text.end());
    return Trim(text);
}

std::string LowerExtension(const std::string& file)
{
    const size_t dot = file.find_last_of('.');
    if (dot == std::string::npos || file.find_first_of("\\/", dot) != std::string::npos) return {};
    std::string extension = file.substr(dot);
    for (char& c : extension)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return extension;
}

bool IsExistingFile(const std::string& path)
{
    const DWORD attributes = ::GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

unique_kernel_handle StartThroughShell(HWND owner, const std::string& file, const std::string& parameters,
                                       int showCommand, const std::string& folder, bool& started)
{
    SHELLEXECUTEINFOA info{};
    info.cbSize = sizeof info;
    // No error dialog: the caller may be a silent uninstallation with nobody to answer it.
    info.fMask = SEE_MASK_NOCLOSEPROCESS | SEE_MASK_FLAG_NO_UI;
    info.hwnd = owner;
    info.lpFile = file.c_str();
    info.lpParameters = parameters.empty() ? nullptr : parameters.c_str();
    info.lpDirectory = folder.empty() ? nullptr : folder.c_str();
    info.nShow = showCommand;
    started = ::ShellExecuteExA(&info) != FALSE;
    return unique_kernel_handle(started ? info.hProcess : nullptr);
}

unique_kernel_handle StartProgram(const std::string& file, const std::string& parameters, int showCommand,
                                  const std::string& folder, bool& started)
{
    std::string commandLine = Trim("\"" + file + "\" " + parameters);
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = static_cast<WORD>(showCommand);
    PROCESS_INFORMATION process{};
    started = ::CreateProcessA(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                               folder.empty() ? nullptr : folder.c_str(), &startup, &process) != FALSE;
    if (!started) return {};
    ::CloseHandle(process.hThread);
    return unique_kernel_handle(process.hProcess);
}

}  // namespace

void PumpMessages(bool& quit, WPARAM& quitCode)
{
    MSG message{};
    while (::PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (message.message == WM_QUIT) {
            quit = true;
            quitCode = message.wParam;
            continue;
        }
        ::TranslateMessage(&message);
        ::DispatchMessageA(&message);
    }
}

int RunAndWait(HWND owner, const std::string& file, const std::string& parameters, int showCommand,
               const std::string& folder)
{
    const std::string bareFile = WithoutQuotes(file);
    const std::string bareFolder = WithoutQuotes(folder);
    const std::string extension = LowerExtension(bareFile);
    // Shortcuts and PIF files are shell items that CreateProcessA cannot start, so only real
    // programs go the direct way.
    const bool direct =
        IsExistingFile(bareFile) && (extension == ".exe" || extension == ".com" || extension == ".bat");
    bool started = false;
    const unique_kernel_handle process =
        direct ? StartProgram(bareFile, parameters, showCommand, bareFolder, started)
               : StartThroughShell(owner, bareFile, parameters, showCommand, bareFolder, started);
    if (!started) return -1;
    if (!process) return 0;

    bool quit = false;
    WPARAM quitCode = 0;
    while (::WaitForSingleObject(process.get(), 100) == WAIT_TIMEOUT) PumpMessages(quit, quitCode);
    if (quit) ::PostQuitMessage(static_cast<int>(quitCode));
    DWORD exitCode = 0;
    if (!::GetExitCodeProcess(process.get(), &exitCode)) return 0;
    return static_cast<int>(exitCode);
}

}  // namespace lvu
