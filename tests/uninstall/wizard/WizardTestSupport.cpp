// Wizard test helpers: the uninstaller in another process, its windows found by caption, its buttons pressed.
#include "WizardTestSupport.h"

#include "support/TempFiles.h"
#include "SystemTestSupport.h"

namespace lvutest {
namespace {

constexpr UINT SendTimeoutMs = 5000;

struct Search {
    DWORD ProcessId = 0;
    std::vector<HWND> Found;
};

BOOL CALLBACK CollectWindow(HWND window, LPARAM data)
{
    auto* search = reinterpret_cast<Search*>(data);
    DWORD owner = 0;
    ::GetWindowThreadProcessId(window, &owner);
    if (owner == search->ProcessId && ::IsWindowVisible(window)) search->Found.push_back(window);
    return TRUE;
}

BOOL CALLBACK CollectChild(HWND window, LPARAM data)
{
    reinterpret_cast<std::vector<HWND>*>(data)->push_back(window);
    return TRUE;
}

LRESULT Send(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    DWORD_PTR result = 0;
    ::SendMessageTimeoutA(window, message, wParam, lParam, SMTO_ABORTIFHUNG, SendTimeoutMs, &result);
    return static_cast<LRESULT>(result);
}

std::string WindowText(HWND window)
{
    char text[1024] = {};
    Send(window, WM_GETTEXT, std::size(text), reinterpret_cast<LPARAM>(text));
    return text;
}

}  // namespace

UninstallerProcess::UninstallerProcess(const std::string& program, const std::string& arguments)
{
    std::string commandLine = "\"" + program + "\"" + (arguments.empty() ? "" : " " + arguments);
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION information{};
    // Without the test's console, as when started from the list of installed programs: the
    // batch file that removes the program then gets a hidden console of its own.
    if (!::CreateProcessA(program.c_str(), commandLine.data(), nullptr, nullptr, FALSE, DETACHED_PROCESS, nullptr,
                          nullptr, &startup, &information))
        return;
    ::CloseHandle(information.hThread);
    process_.reset(information.hProcess);
    id_ = information.dwProcessId;
}

UninstallerProcess::~UninstallerProcess()
{
    if (process_ && Running()) {
        ::TerminateProcess(process_.get(), 99);
        ::WaitForSingleObject(process_.get(), 10000);
    }
}

DWORD UninstallerProcess::WaitExit(DWORD timeoutMs)
{
    if (!process_) return STILL_ACTIVE;
    WaitFor([this] { return !Running(); }, timeoutMs);
    DWORD code = STILL_ACTIVE;
    ::GetExitCodeProcess(process_.get(), &code);
    return code;
}

bool UninstallerProcess::Running() const
{
    return process_ && ::WaitForSingleObject(process_.get(), 0) == WAIT_TIMEOUT;
}

std::vector<HWND> UninstallerProcess::Windows() const
{
    Search search{id_, {}};
    ::EnumWindows(CollectWindow, reinterpret_cast<LPARAM>(&search));
    return search.Found;
}

HWND UninstallerProcess::FindWindowByCaption(const std::string& caption) const
{
    for (HWND window : Windows())
        if (Caption(window) == caption) return window;
    return nullptr;
}

HWND UninstallerProcess::WaitWindow(const std::string& caption, DWORD timeoutMs) const
{
    HWND found = nullptr;
    WaitFor([&] { return (found = FindWindowByCaption(caption)) != nullptr; }, timeoutMs);
    return found;
}

bool RemoveTree(const std::string& folder)
{
    lvctest::RemoveFolderTree(folder);
    return ::GetFileAttributesA(folder.c_str()) == INVALID_FILE_ATTRIBUTES;
}

std::string Caption(HWND window)
{
    char text[512] = {};
    ::GetWindowTextA(window, text, static_cast<int>(std::size(text)));
    return text;
}

std::string ControlText(HWND dialog, int id)
{
    return WindowText(::GetDlgItem(dialog, id));
}

void SetControlText(HWND dialog, int id, const std::string& text)
{
    Send(::GetDlgItem(dialog, id), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
}

bool IsChecked(HWND dialog, int id)
{
    return Send(::GetDlgItem(dialog, id), BM_GETCHECK, 0, 0) == BST_CHECKED;
}

void ChooseRadio(HWND dialog, int checked, int cleared)
{
    Send(::GetDlgItem(dialog, cleared), BM_SETCHECK, BST_UNCHECKED, 0);
    Send(::GetDlgItem(dialog, checked), BM_SETCHECK, BST_CHECKED, 0);
}

bool ControlEnabled(HWND dialog, int id)
{
    return ::IsWindowEnabled(::GetDlgItem(dialog, id)) != FALSE;
}

bool ControlVisible(HWND dialog, int id)
{
    return (::GetWindowLongA(::GetDlgItem(dialog, id), GWL_STYLE) & WS_VISIBLE) != 0;
}

void Press(HWND dialog, int id)
{
    ::PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(::GetDlgItem(dialog, id)));
}

std::string BoxText(HWND box)
{
    std::vector<HWND> children;
    ::EnumChildWindows(box, CollectChild, reinterpret_cast<LPARAM>(&children));
    std::string texts;
    for (HWND child : children) {
        char className[64] = {};
        ::GetClassNameA(child, className, static_cast<int>(std::size(className)));
        if (lstrcmpiA(className, "Static") != 0) continue;
        const std::string text = WindowText(child);
        if (text.empty()) continue;
        if (!texts.empty()) texts += "|";
        texts += text;
    }
    return texts;
}

}  // namespace lvutest
