// Test helpers for the real platform: the target program, waiting, the mouse and the screen.
#include "TestSupport.h"

#include "core/Handles.h"
#include "core/TextFiles.h"
#include "core/UNI_Strings.h"

#include <tlhelp32.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <utility>

namespace lvxtest {
namespace {

std::atomic<unsigned> TempCounter{0};

}  // namespace

void PumpMessages()
{
    MSG message{};
    while (::PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        ::TranslateMessage(&message);
        ::DispatchMessageA(&message);
    }
}

bool WaitFor(const std::function<bool()>& condition, DWORD timeoutMs)
{
    const ULONGLONG deadline = ::GetTickCount64() + timeoutMs;
    for (;;) {
        PumpMessages();
        if (condition()) return true;
        if (::GetTickCount64() >= deadline) return false;
        ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    }
}

ChildProcess::ChildProcess(const std::string& program, const std::string& arguments)
{
    std::string commandLine = "\"" + program + "\" " + arguments;
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info{};
    if (::CreateProcessA(program.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                         &info)) {
        ::CloseHandle(info.hThread);
        process_ = info.hProcess;
        id_ = info.dwProcessId;
    }
}

ChildProcess::~ChildProcess()
{
    Terminate();
}

ChildProcess::ChildProcess(ChildProcess&& other) noexcept
    : process_(std::exchange(other.process_, nullptr)), id_(std::exchange(other.id_, 0))
{
}

ChildProcess& ChildProcess::operator=(ChildProcess&& other) noexcept
{
    if (this != &other) {
        Terminate();
        process_ = std::exchange(other.process_, nullptr);
        id_ = std::exchange(other.id_, 0);
    }
    return *this;
}

bool ChildProcess::Exited() const
{
    return process_ == nullptr || ::WaitForSingleObject(process_, 0) == WAIT_OBJECT_0;
}

DWORD ChildProcess::WaitExit(DWORD timeoutMs)
{
    if (process_ == nullptr) return 0;
    WaitFor([this] { return Exited(); }, timeoutMs);
    DWORD code = STILL_ACTIVE;
    ::GetExitCodeProcess(process_, &code);
    return code;
}

void ChildProcess::Terminate()
{
    if (process_ == nullptr) return;
    if (!Exited()) {
        ::TerminateProcess(process_, 99);
        ::WaitForSingleObject(process_, 10000);
    }
    ::CloseHandle(process_);
    process_ = nullptr;
}

TargetProcess::TargetProcess(std::initializer_list<std::string> scenarios, const std::string& program)
{
    const std::string report = folder_.Path() + "report.txt";
    std::string arguments = "\"" + report + "\"";
    for (const std::string& scenario : scenarios) arguments += " " + scenario;
    process_ = ChildProcess(program.empty() ? BinFolder() + "lvxtarget.exe" : program, arguments);
    if (!process_.Started()) return;
    std::string content;
    WaitFor([&] { return lvx::ReadWholeFile(report, content) || process_.Exited(); }, 30000);
    for (const std::string_view line : lvx::SplitLines(content)) {
        const size_t equals = line.find('=');
        if (equals != std::string_view::npos)
            values_[std::string(line.substr(0, equals))] = std::string(line.substr(equals + 1));
    }
    ready_ = values_.count("ready") != 0;
}

std::string OtherBitnessTarget()
{
    // Put beside this build's programs by the test command once both builds are made.
    const std::string path = BinFolder() + "lvxtarget-other.exe";
    return ::GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES ? path : std::string();
}

TargetProcess::~TargetProcess()
{
    if (const HWND control = Window("control")) ::PostMessageA(control, WM_CLOSE, 0, 0);
    process_.WaitExit(10000);
}

HWND TargetProcess::Window(const std::string& name) const
{
    const auto found = values_.find(name);
    if (found == values_.end()) return nullptr;
    return reinterpret_cast<HWND>(static_cast<uintptr_t>(std::strtoull(found->second.c_str(), nullptr, 16)));
}

unsigned long long TargetProcess::Number(const std::string& name) const
{
    const auto found = values_.find(name);
    return found == values_.end() ? 0 : std::strtoull(found->second.c_str(), nullptr, 10);
}

void TargetProcess::HangWindow(DWORD forMs)
{
    const HWND hung = Window("hung");
    ::PostMessageA(hung, WM_APP + 1, forMs, 0);
    // Hung once a message is no longer answered within the time-out.
    WaitFor([hung] {
        DWORD_PTR result = 0;
        return ::SendMessageTimeoutA(hung, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 200, &result) == 0;
    });
}

RegistryKeyBackup::RegistryKeyBackup(std::string path) : path_(std::move(path))
{
    HKEY key = nullptr;
    if (::RegOpenKeyExA(HKEY_CURRENT_USER, path_.c_str(), 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS) return;
    existed_ = true;
    for (DWORD index = 0;; ++index) {
        char name[16384];
        DWORD nameLength = static_cast<DWORD>(std::size(name));
        DWORD type = 0;
        DWORD size = 0;
        if (::RegEnumValueA(key, index, name, &nameLength, nullptr, &type, nullptr, &size) != ERROR_SUCCESS) break;
        Value value{std::string(name, nameLength), type, std::vector<BYTE>(size)};
        DWORD readSize = size;
        ::RegQueryValueExA(key, value.Name.c_str(), nullptr, &type, value.Data.data(), &readSize);
        value.Data.resize(readSize);
        values_.push_back(std::move(value));
    }
    ::RegCloseKey(key);
}

RegistryKeyBackup::~RegistryKeyBackup()
{
    ::RegDeleteTreeA(HKEY_CURRENT_USER, path_.c_str());
    if (!existed_) {
        ::RegDeleteKeyA(HKEY_CURRENT_USER, path_.c_str());
        return;
    }
    HKEY key = nullptr;
    if (::RegCreateKeyExA(HKEY_CURRENT_USER, path_.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key, nullptr) !=
        ERROR_SUCCESS)
        return;
    for (const Value& value : values_)
        ::RegSetValueExA(key, value.Name.c_str(), 0, value.Type, value.Data.data(), static_cast<DWORD>(value.Data.size()));
    ::RegCloseKey(key);
}

std::string ReadRegistryString(const std::string& path, const std::string& name)
{
    char buffer[1024] = {};
    DWORD size = sizeof buffer - 1;
    if (::RegGetValueA(HKEY_CURRENT_USER, path.c_str(), name.c_str(), RRF_RT_REG_SZ, nullptr, buffer, &size) !=
        ERROR_SUCCESS)
        return {};
    return buffer;
}

void WriteRegistryString(const std::string& path, const std::string& name, const std::string& value)
{
    HKEY key = nullptr;
    if (::RegCreateKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key, nullptr) !=
        ERROR_SUCCESS)
        return;
    ::RegSetValueExA(key, name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                     static_cast<DWORD>(value.size() + 1));
    ::RegCloseKey(key);
}

void DeleteRegistryKey(const std::string& path)
{
    ::RegDeleteTreeA(HKEY_CURRENT_USER, path.c_str());
    ::RegDeleteKeyA(HKEY_CURRENT_USER, path.c_str());
}

ScratchRegistryKey::ScratchRegistryKey()
{
    char name[96];
    std::snprintf(name, sizeof name, "Software\\LumivexTests\\%lu-%u", ::GetCurrentProcessId(), TempCounter++);
    path_ = name;
    DeleteRegistryKey(path_);
}

ScratchRegistryKey::~ScratchRegistryKey()
{
    DeleteRegistryKey(path_);
    ::RegDeleteKeyA(HKEY_CURRENT_USER, "Software\\LumivexTests");  // only when nothing else is left in it
}

namespace {

ModalWatcher* ActiveWatcher = nullptr;  // the timer procedure has no context of its own

BOOL CALLBACK FindPopupMenu(HWND window, LPARAM found)
{
    char name[32] = {};
    ::GetClassNameA(window, name, static_cast<int>(std::size(name)));
    if (lstrcmpA(name, "#32768") == 0 && ::IsWindowVisible(window)) {
        *reinterpret_cast<HWND*>(found) = window;
        return FALSE;
    }
    return TRUE;
}

BOOL CALLBACK FindMessageBox(HWND window, LPARAM found)
{
    char name[32] = {};
    ::GetClassNameA(window, name, static_cast<int>(std::size(name)));
    if (lstrcmpA(name, "#32770") == 0 && ::IsWindowVisible(window)) {
        *reinterpret_cast<HWND*>(found) = window;
        return FALSE;
    }
    return TRUE;
}

}  // namespace

ModalWatcher::ModalWatcher()
{
    ActiveWatcher = this;
    timer_ = ::SetTimer(nullptr, 0, 30, &ModalWatcher::Tick);
}

ModalWatcher::~ModalWatcher()
{
    ::KillTimer(nullptr, timer_);
    ActiveWatcher = nullptr;
}

void CALLBACK ModalWatcher::Tick(HWND, UINT, UINT_PTR, DWORD)
{
    ModalWatcher* watcher = ActiveWatcher;
    if (watcher == nullptr) return;
    GUITHREADINFO info{};
    info.cbSize = sizeof info;
    HWND menu = nullptr;
    ::EnumThreadWindows(::GetCurrentThreadId(), &FindPopupMenu, reinterpret_cast<LPARAM>(&menu));
    if (menu != nullptr ||
        (::GetGUIThreadInfo(::GetCurrentThreadId(), &info) && (info.flags & GUI_POPUPMENUMODE))) {
        if (watcher->OnMenu) watcher->OnMenu();
        ::EndMenu();
        return;
    }
    HWND box = nullptr;
    ::EnumThreadWindows(::GetCurrentThreadId(), &FindMessageBox, reinterpret_cast<LPARAM>(&box));
    if (box == nullptr) return;
    char caption[256] = {};
    ::GetWindowTextA(box, caption, static_cast<int>(std::size(caption)));
    watcher->Boxes.push_back({caption, MessageBoxText(box)});
    PressOk(box);
}

std::string MessageBoxText(HWND box)
{
    // The message is the box's text control: id 0xFFFF on Windows; else the static with the longest text.
    std::string text;
    for (HWND child = ::GetWindow(box, GW_CHILD); child != nullptr; child = ::GetWindow(child, GW_HWNDNEXT)) {
        char name[32] = {};
        ::GetClassNameA(child, name, static_cast<int>(std::size(name)));
        char childText[1024] = {};
        ::GetWindowTextA(child, childText, static_cast<int>(std::size(childText)));
        if (lstrcmpiA(name, "Static") == 0 && std::strlen(childText) > text.size()) text = childText;
    }
    return text;
}

void PressOk(HWND dialog)
{
    ::PostMessageA(dialog, WM_COMMAND, IDOK, 0);
}

namespace {

DialogDriver* ActiveDriver = nullptr;

}  // namespace

DialogDriver::DialogDriver(std::vector<Step> steps) : steps_(std::move(steps))
{
    ActiveDriver = this;
    timer_ = ::SetTimer(nullptr, 0, 30, &DialogDriver::Tick);
}

DialogDriver::~DialogDriver()
{
    ::KillTimer(nullptr, timer_);
    ActiveDriver = nullptr;
}

void CALLBACK DialogDriver::Tick(HWND, UINT, UINT_PTR, DWORD)
{
    DialogDriver* driver = ActiveDriver;
    if (driver == nullptr || driver->Done()) return;
    Step& step = driver->steps_[driver->next_];
    const HWND found = FindProcessWindow(::GetCurrentProcessId(), "#32770",
                                         step.Caption.empty() ? nullptr : step.Caption.c_str());
    // A dialog that a step has just acted on may still be closing: wait for a new one.
    if (found == nullptr || found == driver->last_) return;
    driver->last_ = found;
    ++driver->next_;
    step.Act(found);
}

namespace {

void SendMouse(DWORD flags, int x, int y)
{
    INPUT input{};
    input.type = INPUT_MOUSE;
    if (flags & MOUSEEVENTF_MOVE) {
        const int width = ::GetSystemMetrics(SM_CXSCREEN);
        const int height = ::GetSystemMetrics(SM_CYSCREEN);
        // The system maps back with floor(d * size / 65536): round up to land on the pixel.
        input.mi.dx = static_cast<LONG>((x * 65536LL + width - 1) / width);
        input.mi.dy = static_cast<LONG>((y * 65536LL + height - 1) / height);
        flags |= MOUSEEVENTF_ABSOLUTE;
    }
    input.mi.dwFlags = flags;
    ::SendInput(1, &input, sizeof input);
}

}  // namespace

namespace {

// Under Wine the test's input goes through the X server when LVX_XDOTOOL names xdotool (as a
// Windows path): SendInput warps the X pointer, and the motion events that come back from
// the warps later move Wine's cursor to stale positions. A user's real mouse takes the X path.
std::string XdotoolPath()
{
    const char* path = std::getenv("LVX_XDOTOOL");
    return path != nullptr ? path : "";
}

void RunXdotool(const std::string& arguments)
{
    ChildProcess tool(XdotoolPath(), arguments);
    tool.WaitExit(10000);
}

}  // namespace

void MouseMoveTo(int x, int y)
{
    if (!XdotoolPath().empty())
        RunXdotool("mousemove " + std::to_string(x) + " " + std::to_string(y));
    else
        SendMouse(MOUSEEVENTF_MOVE, x, y);
    WaitFor([x, y] {
        POINT cursor{};
        ::GetCursorPos(&cursor);
        return cursor.x == x && cursor.y == y;
    }, 5000);
}

void MouseDown()
{
    if (!XdotoolPath().empty())
        RunXdotool("mousedown 1");
    else
        SendMouse(MOUSEEVENTF_LEFTDOWN, 0, 0);
    WaitFor([] { return (::GetAsyncKeyState(VK_LBUTTON) & 0x8000) != 0; }, 5000);
}

void MouseUp()
{
    if (!XdotoolPath().empty())
        RunXdotool("mouseup 1");
    else
        SendMouse(MOUSEEVENTF_LEFTUP, 0, 0);
    WaitFor([] { return (::GetAsyncKeyState(VK_LBUTTON) & 0x8000) == 0; }, 5000);
}

void MouseDoubleClick()
{
    if (!XdotoolPath().empty()) {
        RunXdotool("click --repeat 2 --delay 60 1");
        return;
    }
    for (int click = 0; click < 2; ++click) {
        SendMouse(MOUSEEVENTF_LEFTDOWN, 0, 0);
        SendMouse(MOUSEEVENTF_LEFTUP, 0, 0);
    }
}

void MouseGlideTo(int x, int y, int steps)
{
    POINT start{};
    ::GetCursorPos(&start);
    for (int step = 1; step <= steps; ++step)
        MouseMoveTo(start.x + (x - start.x) * step / steps, start.y + (y - start.y) * step / steps);
}

POINT CenterOf(HWND window)
{
    RECT rect{};
    ::GetWindowRect(window, &rect);
    return POINT{(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2};
}

std::vector<COLORREF> CaptureScreen(const RECT& rect)
{
    const int width = rect.right - rect.left;
    const int height = rect.bottom - rect.top;
    std::vector<COLORREF> pixels;
    if (width <= 0 || height <= 0) return pixels;
    const lvx::WindowDC screen(nullptr, lvx::WindowDC::Area::Client);
    const lvx::unique_dc memory(::CreateCompatibleDC(screen.get()));
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    const lvx::unique_gdi bitmap(::CreateDIBSection(screen.get(), &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    if (!bitmap || bits == nullptr) return pixels;
    {
        const lvx::SelectGuard select(memory.get(), bitmap.get());
        ::BitBlt(memory.get(), 0, 0, width, height, screen.get(), rect.left, rect.top, SRCCOPY);
        ::GdiFlush();
    }
    const auto* data = static_cast<const DWORD*>(bits);
    pixels.assign(data, data + static_cast<size_t>(width) * static_cast<size_t>(height));
    for (COLORREF& pixel : pixels) pixel &= 0x00FFFFFF;
    return pixels;
}

std::string ForeignText(HWND window)
{
    char buffer[4096] = {};
    DWORD_PTR copied = 0;
    if (!::SendMessageTimeoutA(window, WM_GETTEXT, std::size(buffer), reinterpret_cast<LPARAM>(buffer),
                               SMTO_ABORTIFHUNG, 5000, &copied))
        return "<no answer>";
    return std::string(buffer, std::min<size_t>(copied, std::size(buffer) - 1));
}

namespace {

struct WindowSearch {
    DWORD ProcessId;
    const char* ClassName;
    const char* Caption;
    HWND Found;
};

BOOL CALLBACK MatchProcessWindow(HWND window, LPARAM context)
{
    auto& search = *reinterpret_cast<WindowSearch*>(context);
    DWORD owner = 0;
    ::GetWindowThreadProcessId(window, &owner);
    char name[256] = {};
    ::GetClassNameA(window, name, static_cast<int>(std::size(name)));
    char caption[256] = {};
    if (search.Caption != nullptr) ::GetWindowTextA(window, caption, static_cast<int>(std::size(caption)));
    if (owner == search.ProcessId && lstrcmpA(name, search.ClassName) == 0 && ::IsWindowVisible(window) &&
        (search.Caption == nullptr || lstrcmpA(caption, search.Caption) == 0)) {
        search.Found = window;
        return FALSE;
    }
    return TRUE;
}

}  // namespace

HWND FindProcessWindow(DWORD processId, const char* className, const char* caption)
{
    WindowSearch search{processId, className, caption, nullptr};
    ::EnumWindows(&MatchProcessWindow, reinterpret_cast<LPARAM>(&search));
    return search.Found;
}

int ThreadCount()
{
    const lvx::unique_file snapshot(::CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0));
    THREADENTRY32 entry{};
    entry.dwSize = sizeof entry;
    int count = 0;
    for (BOOL more = snapshot && ::Thread32First(snapshot.get(), &entry); more; more = ::Thread32Next(snapshot.get(), &entry))
        if (entry.th32OwnerProcessID == ::GetCurrentProcessId()) ++count;
    return count;
}

}  // namespace lvxtest
