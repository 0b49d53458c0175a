// The program flow: command line, the log and the uninstall key, the checks, the wizard, uninstall or repair, the end.
#include "Wizard.h"

#include "engine/Engine.h"
#include "engine/Sections.h"
#include "log/IniCache.h"
#include "system/Programs.h"
#include "system/Registry.h"
#include "system/Restart.h"

#include <commctrl.h>
#include <shellapi.h>

#include <iterator>
#include <stdexcept>

namespace lvu {
namespace {

constexpr char MainWindowClass[] = "TLUninstallMainWindow";

// The log has no texts for these failures.
constexpr char RunFailedText[] =
    "The uninstallation could not be completed: a program it had to run failed. The uninstall entry, its log "
    "and this program are kept, so that the uninstallation can be run again once the cause is gone.";
constexpr char EntryKeptText[] =
    "The application has been removed, but its uninstall entry could not be deleted. The entry and this program "
    "are kept, so that the uninstallation can be run again:";

std::vector<std::string> CommandLineParameters()
{
    std::vector<std::string> parameters;
    for (int i = 1; i < __argc && __argv != nullptr; ++i)
        if (__argv[i] != nullptr) parameters.emplace_back(__argv[i]);
    return parameters;
}

std::string AbsolutePath(const std::string& path)
{
    if (path.empty()) return {};
    std::string full(MAX_PATH, '\0');
    for (;;) {
        const DWORD length = ::GetFullPathNameA(path.c_str(), static_cast<DWORD>(full.size()), full.data(), nullptr);
        if (length == 0) return {};
        if (length < full.size()) {
            full.resize(length);
            return full;
        }
        full.resize(length + 1);
    }
}

// An existing file whose "AppID" can name the uninstall key. A file that cannot be read is none.
bool IsInstallLog(const std::string& path)
{
    const DWORD attributes = path.empty() ? INVALID_FILE_ATTRIBUTES : ::GetFileAttributesA(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) return false;
    try {
        return IsUsableAppId(cached::ReadString(path, "Strings", "AppID", ""));
    } catch (const IniFileError&) {
        return false;
    }
}

std::string FindLog(const std::vector<std::string>& parameters)
{
    for (const std::string& parameter : parameters) {
        if (ReportSwitchPath(parameter)) continue;
        const std::string path = AbsolutePath(parameter);
        if (IsInstallLog(path)) return path;
    }
    const std::string beside = Wizard.OwnFolder + "install.log";
    return IsInstallLog(beside) ? beside : std::string();
}

void CreateMainWindow()
{
    WNDCLASSA windowClass{};
    windowClass.style = CS_VREDRAW | CS_HREDRAW | CS_NOCLOSE;
    windowClass.lpfnWndProc = ::DefWindowProcA;
    windowClass.hInstance = ::GetModuleHandleA(nullptr);
    windowClass.hIcon = ::LoadIconA(windowClass.hInstance, "MAINICON");
    windowClass.hCursor = ::LoadCursorA(nullptr, IDC_ARROW);
    windowClass.lpszClassName = MainWindowClass;
    if (::RegisterClassA(&windowClass) == 0) throw std::runtime_error("Cannot register main window class!");
    Wizard.MainWindow.reset(::CreateWindowExA(0, MainWindowClass, "", WS_POPUP | WS_CAPTION | WS_SYSMENU, 0, 0, 0, 0,
                                              nullptr, nullptr, windowClass.hInstance, nullptr));
    if (!Wizard.MainWindow) throw std::runtime_error("Cannot create the main window");
    Wizard.Owner = Uninstall.MainWindow = Wizard.MainWindow.get();
}

std::string DisplayFont(const char* key, const char* defaultSpec)
{
    const std::string description = cached::ReadString(Uninstall.LogPath, "Display", key, "");
    return description.empty() ? defaultSpec : description;
}

// On a 64-bit system an installer of the other bitness wrote its entry, and every key and system
// file of its log, in its own registry view and system folder: when only that view names the
// application, the whole run follows it.
void ChooseInstallerView()
{
    if (!IsWow64System()) return;
    const auto named = [] {
        return !RegReadString(UninstallKeyPath("HKCU", Wizard.AppId), "DisplayName", "").empty() ||
               !RegReadString(UninstallKeyPath("HKLM", Wizard.AppId), "DisplayName", "").empty();
    };
    SetRegistryView(RegistryView::Native);
    if (named()) return;
    SetRegistryView(OwnRegistryView() == RegistryView::Bits32 ? RegistryView::Bits64 : RegistryView::Bits32);
    if (!named()) SetRegistryView(RegistryView::Native);
}

// The HKCU key when it names the application, else the HKLM one; with what the program reads there.
void ReadUninstallKey()
{
    ChooseInstallerView();
    Uninstall.UninstallKey = UninstallKeyPath("HKCU", Wizard.AppId);
    if (RegReadString(Uninstall.UninstallKey, "DisplayName", "").empty())
        Uninstall.UninstallKey = UninstallKeyPath("HKLM", Wizard.AppId);
    // Read now, while the key is there: the log may remove it before the end.
    Uninstall.SilentSettings = RegReadString(Uninstall.UninstallKey, "SilentSettings", "");
}

// A failure after the removal had begun is told (not when silent); one that changed nothing is not.
void ReportUninstallFailure()
{
    if (Uninstall.Silent) return;
    if (Uninstall.Outcome == UninstallOutcome::Failed) ErrorBox(RunFailedText);
    if (Uninstall.Outcome == UninstallOutcome::EntryKept)
        ErrorBox(std::string(EntryKeptText) + "\n" + Uninstall.UninstallKey);
}

bool Uninstalling()
{
    Uninstall.ShowProgressPage = [] { ShowPage("DLG_UNINSTALL"); };
    if (!RunUninstall()) {
        // The program stays with the entry that starts it.
        ReportUninstallFailure();
        return false;
    }
    if (!Uninstall.Silent) {
        if (RebootNeeded()) ShowPage("DLG_REBOOT");
        if (!RebootNeeded()) ShowPage("DLG_UNINSTALLSUCCEEDED");
    }
    FinishUninstall();
    return true;
}

bool Repairing()
{
    const std::string parameters = "-repair " + Wizard.AppId;
    const auto started = reinterpret_cast<INT_PTR>(
        ::ShellExecuteA(Wizard.MainWindow.get(), nullptr, Wizard.SetupFile.c_str(), parameters.c_str(), nullptr,
                        SW_SHOW));
    // The setup program gets a moment to come up before this program's windows go.
    ::Sleep(1000);
    return started > 32;
}

// Waits for the program started elevated, serving this thread's windows meanwhile (its broadcasts,
// such as a font change, wait for every top-level window); its exit code.
int ElevatedExitCode(HANDLE process)
{
    bool quit = false;
    WPARAM quitCode = 0;
    DWORD woken = WAIT_FAILED;
    while ((woken = ::MsgWaitForMultipleObjects(1, &process, FALSE, INFINITE, QS_ALLINPUT)) == WAIT_OBJECT_0 + 1)
        PumpMessages(quit, quitCode);
    if (quit) ::PostQuitMessage(static_cast<int>(quitCode));
    DWORD exitCode = 0;
    if (woken != WAIT_OBJECT_0 || !::GetExitCodeProcess(process, &exitCode)) return ExitFailed;
    return static_cast<int>(exitCode);
}

// The log asks for an administrator and this process is none. A user who can become one is asked,
// and the same program with the same parameters does the work elevated; otherwise, after a refusal,
// and in a program started so (which must not ask again), the rights are missing.
int RunAsAdministratorOrEnd(bool startedElevated)
{
    if (!startedElevated && Wizard.ElevationTest()) {
        ::SetEnvironmentVariableA(ElevatedMarker, "1");
        const ElevatedStart start = Wizard.StartAsAdmin(Wizard.MainWindow.get(), engine::ProgramPath(),
                                                        std::string(CommandLineTail(::GetCommandLineA())));
        ::SetEnvironmentVariableA(ElevatedMarker, nullptr);
        if (start.Process) return ElevatedExitCode(start.Process.get());
        // Started, but the shell gave no process to wait for: the other program answers for itself.
        if (start.Started) return ExitFailed;
    }
    ErrorBox(LogString("3"));
    return ExitFailed;
}

// Whether this process was started elevated by another one of its kind; the mark is not passed on.
bool TakeElevatedMarker()
{
    char value[8] = {};
    const bool marked = ::GetEnvironmentVariableA(ElevatedMarker, value, static_cast<DWORD>(std::size(value))) > 0;
    ::SetEnvironmentVariableA(ElevatedMarker, nullptr);
    return marked;
}

// Start-up to the end of the chosen action; the exit code.
int Run()
{
    const INITCOMMONCONTROLSEX controls{sizeof controls, ICC_STANDARD_CLASSES | ICC_PROGRESS_CLASS};
    ::InitCommonControlsEx(&controls);
    const std::vector<std::string> parameters = CommandLineParameters();
    // A relative report path means the folder the user started the program in.
    Uninstall.ReportPath.clear();
    for (const std::string& parameter : parameters)
        if (const auto report = ReportSwitchPath(parameter); report && !report->empty())
            Uninstall.ReportPath = AbsolutePath(*report);
    const std::string program = engine::ProgramPath();
    Wizard.OwnFolder = program.substr(0, program.find_last_of('\\') + 1);
    if (!Wizard.OwnFolder.empty()) ::SetCurrentDirectoryA(Wizard.OwnFolder.c_str());
    Uninstall.OwnFolder = Wizard.OwnFolder;
    ClearRebootNeeded();
    Uninstall.RemoveData = true;
    Wizard.Mode = ModeUninstall;
    const bool startedElevated = TakeElevatedMarker();

    for (const std::string& parameter : parameters)
        if (IsSilentSwitch(parameter)) Uninstall.Silent = true;

    Uninstall.LogPath = FindLog(parameters);
    if (Uninstall.LogPath.empty()) {
        if (!Uninstall.Silent) ErrorBox("Installation log file not found!");
        return ExitFailed;
    }

    CreateMainWindow();
    Wizard.Log = std::make_unique<TTextIniFile>(Uninstall.LogPath, true);
    Uninstall.SectionLines.clear();
    Uninstall.ProtectedFiles.clear();

    Wizard.AppId = cached::ReadString(Uninstall.LogPath, "Strings", "AppID", "");
    if (cached::ReadString(Uninstall.LogPath, "Strings", "AdminRights", "") == "1" && !Wizard.AdministratorTest())
        return RunAsAdministratorOrEnd(startedElevated);
    ReadUninstallKey();
    Wizard.DialogFont = DisplayFont("DialogFont", "MS Sans Serif,8");
    Wizard.TitleFont = DisplayFont("TitleFont", "MS Sans Serif,10,0,B");
    Wizard.SubtitleFont = DisplayFont("SubtitleFont", "MS Sans Serif,8");
    ::SetWindowTextA(Wizard.MainWindow.get(), LogString("1").c_str());

    if (!Uninstall.Silent) {
        ::ShowWindow(Wizard.MainWindow.get(), SW_SHOW);
        if (!RunWizard()) return ExitFailed;
    }
    const bool succeeded = Wizard.Mode == ModeRepair ? Repairing() : Uninstalling();
    return succeeded ? ExitSucceeded : ExitFailed;
}

// Everything the run made goes, in the reverse order.
void TearDown()
{
    DestroyPage();
    Uninstall.SectionLines.clear();
    Uninstall.ProtectedFiles.clear();
    Wizard.Log.reset();
    cached::FlushAll();
    Wizard.MainWindow.reset();
    Wizard.Owner = nullptr;
    Uninstall.MainWindow = Uninstall.ProgressPage = nullptr;
}

}  // namespace

int RunProgram()
{
    int exitCode = ExitFailed;
    try {
        exitCode = Run();
    } catch (const std::exception& error) {
        ErrorBox(error.what());
        exitCode = ExitFailed;
    } catch (...) {
        ErrorBox("Unexpected error");
        exitCode = ExitFailed;
    }
    try {
        TearDown();
    } catch (const std::exception& error) {
        ErrorBox(error.what());
    }
    if (exitCode != ExitSucceeded) return exitCode;
    // A restart the uninstallation needs, and the user did not decline, comes last; in silent
    // mode without asking.
    if (RebootNeeded()) RestartWindows();
    return ExitSucceeded;
}

}  // namespace lvu
