// Engine test helpers: a progress page that records what the worker does to it, and the engine state reset for a test.
#include "EngineTestSupport.h"

#include "log/IniCache.h"
#include "system/Restart.h"

#include <commctrl.h>

namespace lvutest {
namespace {

constexpr char PageClass[] = "LvuTestProgressPage";
constexpr char RecorderClass[] = "LvuTestRecorder";

// The page belongs to the test's main thread; the worker's changes reach it as sent messages,
// which run here on that thread, so the list needs no lock.
std::vector<std::string> Recorded;
WNDPROC ProgressBarProc = nullptr;

LRESULT CALLBACK RecorderProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_SETTEXT && lParam != 0) Recorded.push_back("text " + std::string(reinterpret_cast<const char*>(lParam)));
    if (message == WM_SHOWWINDOW && wParam) Recorded.push_back("icon " + std::to_string(::GetDlgCtrlID(window)));
    return ::DefWindowProcA(window, message, wParam, lParam);
}

LRESULT CALLBACK RecordingBarProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == PBM_SETPOS) Recorded.push_back("pos " + std::to_string(wParam));
    if (message == PBM_SETSTEP) Recorded.push_back("step " + std::to_string(wParam));
    if (message == PBM_SETRANGE)
        Recorded.push_back("range " + std::to_string(LOWORD(lParam)) + "-" + std::to_string(HIWORD(lParam)));
    return ::CallWindowProcA(ProgressBarProc, window, message, wParam, lParam);
}

void RegisterClasses()
{
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_PROGRESS_CLASS};
    ::InitCommonControlsEx(&controls);
    WNDCLASSA windowClass{};
    windowClass.lpfnWndProc = ::DefWindowProcA;
    windowClass.hInstance = ::GetModuleHandleA(nullptr);
    windowClass.lpszClassName = PageClass;
    ::RegisterClassA(&windowClass);
    windowClass.lpfnWndProc = RecorderProc;
    windowClass.lpszClassName = RecorderClass;
    ::RegisterClassA(&windowClass);
}

HWND Child(HWND page, const char* windowClass, int id, bool visible)
{
    return ::CreateWindowExA(0, windowClass, "", WS_CHILD | (visible ? WS_VISIBLE : 0), 10, 10 + (id % 100) * 2, 300, 16,
                             page, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), ::GetModuleHandleA(nullptr),
                             nullptr);
}

}  // namespace

TestProgressPage::TestProgressPage()
{
    RegisterClasses();
    page_ = ::CreateWindowExA(0, PageClass, "Uninstalling", WS_OVERLAPPEDWINDOW, 100, 100, 500, 400, nullptr, nullptr,
                              ::GetModuleHandleA(nullptr), nullptr);
    Child(page_, RecorderClass, lvu::StatusTextId, true);
    const HWND bar = Child(page_, PROGRESS_CLASSA, lvu::ProgressBarId, true);
    ProgressBarProc = reinterpret_cast<WNDPROC>(
        ::SetWindowLongPtrA(bar, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(RecordingBarProc)));
    for (int stage = 0; stage < lvu::StageCount; ++stage) {
        Child(page_, "STATIC", 200 + stage, true);
        for (int icon = 0; icon < 3; ++icon)
            Child(page_, RecorderClass, lvu::StageIconBaseId + 3 * stage + icon, icon == 0);
    }
    Recorded.clear();  // what creating the controls sent
}

TestProgressPage::~TestProgressPage()
{
    ::DestroyWindow(page_);
}

int TestProgressPage::Position() const
{
    return static_cast<int>(::SendDlgItemMessageA(page_, lvu::ProgressBarId, PBM_GETPOS, 0, 0));
}

bool TestProgressPage::IconVisible(int id) const
{
    return (::GetWindowLongA(::GetDlgItem(page_, id), GWL_STYLE) & WS_VISIBLE) != 0;
}

const std::vector<std::string>& TestProgressPage::Events() const
{
    return Recorded;
}

void TestProgressPage::ClearEvents()
{
    Recorded.clear();
}

std::vector<std::string> TestProgressPage::Script() const
{
    std::vector<std::string> script;
    for (const std::string& event : Recorded)
        if (event.rfind("pos ", 0) != 0) script.push_back(event);
    return script;
}

std::vector<int> TestProgressPage::Positions() const
{
    std::vector<int> positions;
    for (const std::string& event : Recorded)
        if (event.rfind("pos ", 0) == 0) positions.push_back(std::stoi(event.substr(4)));
    return positions;
}

void ResetEngineState(const std::string& logPath, HWND page)
{
    lvu::cached::FlushAll();
    lvu::ClearRebootNeeded();
    lvu::UninstallState& state = lvu::Uninstall;
    state.LogPath = logPath;
    state.UninstallKey.clear();
    state.SilentSettings.clear();
    state.OwnFolder.clear();
    state.RemoveData = true;
    state.Silent = page == nullptr;
    state.MainWindow = nullptr;
    state.ProgressPage = page;
    state.ShowProgressPage = [page] {
        ::ShowWindow(page, SW_SHOWNOACTIVATE);
        lvu::ResumeWorker();
    };
    state.AskSharedFile = lvu::AskSharedFileDialog;
    state.PageResult = 0;
    state.SectionLines.clear();
    state.ProtectedFiles.clear();
    state.FoldersLeft.clear();
    state.Outcome = lvu::UninstallOutcome::NotBegun;
    state.SharedAnswer = lvu::SharedFileAnswer::None;
    state.ProgressTotal = state.ProgressCount = state.Stage = 0;
}

}  // namespace lvutest
