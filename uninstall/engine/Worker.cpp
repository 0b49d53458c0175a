// The worker thread with its fixed order of stages, its run from the main thread, and the program's own file at the end.
#include "Engine.h"
#include "Report.h"
#include "Sections.h"

#include "log/TextIniFile.h"
#include "system/Files.h"
#include "system/Handles.h"
#include "system/Programs.h"
#include "system/Registry.h"
#include "system/RegistryText.h"
#include "system/Restart.h"
#include "system/RestartSchedule.h"
#include "system/SafePaths.h"
#include "system/TextCase.h"

#include <commctrl.h>
#include <objbase.h>

namespace lvu {
namespace {

// `Uninstall.WorkerGate`: the worker waits suspended; it is let run, or it is to end at once.
constexpr int WorkerWaiting = 0;
constexpr int WorkerRunning = 1;
constexpr int WorkerAbandoned = 2;

// Every section whose lines make a step, SharedFiles not among them.
constexpr const char* CountedSections[] = {"PreRunApp", "SharedAssemblies", "Shortcuts", "AddReg",
                                           "CreateKeys", "AddIni",    "EnvVars",          "RegFonts",
                                           "RegServers", "CopyFiles", "CreateDirs",       "RunApp"};

// The stages as the report names them.
constexpr const char* StageNames[StageCount] = {
    "programs run before, shared files and assemblies", "shortcuts", "registry, INI files and environment",
    "fonts", "component registrations", "files and folders", "programs run after"};

void ReportStage()
{
    ReportLine("Stage " + std::to_string(Uninstall.Stage + 1) + " of " + std::to_string(StageCount) + ": " +
               StageNames[Uninstall.Stage]);
}

// The next stage on the page and in the report.
void BeginNextStage()
{
    const int before = Uninstall.Stage;
    NextStage();
    if (Uninstall.Stage != before) ReportStage();
}

int CountLines(TTextIniFile& log, const char* section)
{
    const std::vector<std::string>* lines = log.Data().SectionLines(section);
    return lines != nullptr ? static_cast<int>(lines->size()) : 0;
}

void PrepareProgressPage()
{
    if (Uninstall.Silent) return;
    ShowStageIcon(0, StageUnderWay);
    ::SendDlgItemMessageA(Uninstall.ProgressPage, ProgressBarId, PBM_SETRANGE, 0, MAKELPARAM(0, 100));
    ::SendDlgItemMessageA(Uninstall.ProgressPage, ProgressBarId, PBM_SETSTEP, 1, 0);
}

// The stages in their fixed order; false after a failing run entry.
bool RunStages()
{
    Uninstall.ProgressCount = 0;
    Uninstall.Stage = 0;
    Uninstall.FailedLines = 0;
    Uninstall.LeftItems.clear();
    Uninstall.Critical = SystemCriticalFolders();
    Uninstall.SharedAnswer = SharedFileAnswer::None;
    Uninstall.ProtectedFiles.clear();
    Uninstall.CountedShared.clear();
    Uninstall.FoldersLeft.clear();
    TTextIniFile log(Uninstall.LogPath, true);
    int total = 0;
    for (const char* section : CountedSections) total += CountLines(log, section);
    if (Uninstall.RemoveData) total += CountLines(log, "DataFiles") + CountLines(log, "DataFolders");
    Uninstall.ProgressTotal = total;
    PrepareProgressPage();
    ReportStage();

    using namespace engine;
    if (!RunEntries("PreRunApp")) return false;  // nothing has been changed yet
    Uninstall.Outcome = UninstallOutcome::Failed;  // until the very end
    SharedFiles();
    SharedAssemblies();
    BeginNextStage();
    Shortcuts();
    BeginNextStage();
    AddReg();
    CreateKeys();
    AddIni();
    EnvVars();
    BeginNextStage();
    RegFonts();
    BeginNextStage();
    RegServers();
    BeginNextStage();
    if (Uninstall.RemoveData) DataFiles();
    CopyFiles();
    if (Uninstall.RemoveData) DataFolders();
    CreateDirs();
    BeginNextStage();
    if (!RunEntries("RunApp")) return false;
    NextStage();
    return true;
}

DWORD WINAPI UninstallWorker(LPVOID)
{
    DWORD exitCode = 1;
    if (Uninstall.WorkerGate != WorkerRunning) {
        Uninstall.PageResult = PageResultNext;
        return exitCode;
    }
    const HRESULT com = ::CoInitialize(nullptr);
    try {
        exitCode = RunStages() ? 0 : 1;
    } catch (...) {
        // A log that cannot be read, or memory running out: the uninstallation failed.
        exitCode = 1;
    }
    if (SUCCEEDED(com)) ::CoUninitialize();
    Uninstall.PageResult = PageResultNext;
    return exitCode;
}

// Handles this thread's messages until the worker has ended; a quit request is kept for the
// program's own loop. The worker's exit code, 1 when it cannot be read.
DWORD WaitForWorker(HANDLE thread)
{
    bool quit = false;
    WPARAM quitCode = 0;
    DWORD exitCode = 1;
    for (;;) {
        if (!::GetExitCodeThread(thread, &exitCode)) {
            exitCode = 1;
            break;
        }
        if (exitCode != STILL_ACTIVE) break;
        PumpMessages(quit, quitCode);
        ::MsgWaitForMultipleObjects(1, &thread, FALSE, 100, QS_ALLINPUT);
    }
    if (quit) ::PostQuitMessage(static_cast<int>(quitCode));
    return exitCode;
}

// Whether the key at a textual path is still there (also when it cannot be opened for lack of rights).
bool KeyStillThere(const std::string& path)
{
    const RegistryPath parsed = ParseRegistryPath(path);
    HKEY root = HKEY_CURRENT_USER;
    switch (parsed.Root) {
    case RegistryRoot::ClassesRoot: root = HKEY_CLASSES_ROOT; break;
    case RegistryRoot::CurrentUser: root = HKEY_CURRENT_USER; break;
    case RegistryRoot::LocalMachine: root = HKEY_LOCAL_MACHINE; break;
    case RegistryRoot::Users: root = HKEY_USERS; break;
    }
    HKEY key = nullptr;
    const LONG result = ::RegOpenKeyExA(root, parsed.SubKey.c_str(), 0, KEY_READ | RegistryViewAccess(), &key);
    if (result == ERROR_SUCCESS) ::RegCloseKey(key);
    return result != ERROR_FILE_NOT_FOUND;
}

// After a successful run: the uninstall key first, for while it is there the entry in the list of
// installed programs must keep working, and that needs the log (and the program, which the caller
// keeps then). A key the log removed itself is no failure.
bool RemoveLastTraces()
{
    if (!Uninstall.UninstallKey.empty() && !RegRemoveKey(Uninstall.UninstallKey, true) &&
        KeyStillThere(Uninstall.UninstallKey)) {
        // The next run must still know which counts were lowered.
        for (const std::string& path : Uninstall.CountedShared) RegWriteInteger(engine::CountedSharedFiles(), path, 1);
        Uninstall.Outcome = UninstallOutcome::EntryKept;
        return false;
    }
    DeleteFileForced(Uninstall.LogPath);
    if (!Uninstall.SilentSettings.empty()) DeleteFileForced(Uninstall.SilentSettings);
    // Only empty folders go. The program's own goes after it has ended, with the program file.
    const std::string program = engine::ProgramPath();
    const std::string ownFolder = program.substr(0, program.find_last_of('\\'));
    for (const std::string& folder : Uninstall.FoldersLeft) {
        if (::RemoveDirectoryA(folder.c_str()) || ::GetFileAttributesA(folder.c_str()) == INVALID_FILE_ATTRIBUTES)
            LineDone(folder);
        else if (EqualsNoCase(folder, ownFolder))
            LineDone(folder, "this program's own folder: left to the removal of the program file");
        else
            LineFailed(folder, ::GetLastError(), "only an empty folder is removed");
    }
    Uninstall.Outcome = UninstallOutcome::Succeeded;
    return true;
}

// The report's last line: how the run ended, and how many lines were left.
std::string OutcomeLine()
{
    const std::string left = std::to_string(Uninstall.LeftItems.size()) + " item(s) left";
    switch (Uninstall.Outcome) {
    case UninstallOutcome::Succeeded: return "The uninstallation has finished; " + left + ".";
    case UninstallOutcome::NotBegun: return "The uninstallation did not begin; nothing was changed.";
    case UninstallOutcome::Failed:
        return "The uninstallation could not be completed; " + left +
               ". The uninstall entry and its log are kept for another run.";
    case UninstallOutcome::EntryKept:
        return "The uninstallation has finished but its uninstall entry could not be removed; " + left + ".";
    }
    return {};
}

// The worker's run on this thread's behalf, and the last traces after success.
bool RunWorkerAndFinish()
{
    Uninstall.PageResult = 0;
    Uninstall.Outcome = UninstallOutcome::NotBegun;
    Uninstall.WorkerGate = WorkerWaiting;
    DWORD threadId = 0;
    const unique_kernel_handle thread(::CreateThread(nullptr, 0, UninstallWorker, nullptr, CREATE_SUSPENDED, &threadId));
    if (!thread) return false;
    Uninstall.WorkerThread = thread.get();
    if (!Uninstall.Silent && Uninstall.ShowProgressPage) {
        try {
            Uninstall.ShowProgressPage();
        } catch (...) {
            // Without its page the uninstallation does not begin: the worker is let go only to end
            // at once. One that the page let run already is let finish, never cut off half-way.
            int waiting = WorkerWaiting;
            Uninstall.WorkerGate.compare_exchange_strong(waiting, WorkerAbandoned);
            ::ResumeThread(thread.get());
            WaitForWorker(thread.get());
            Uninstall.WorkerThread = nullptr;
            throw;
        }
    }
    // Also when the page never became visible: the worker must not wait for ever.
    ResumeWorker();
    const DWORD exitCode = WaitForWorker(thread.get());
    Uninstall.WorkerThread = nullptr;
    if (exitCode != 0) return false;
    if (RemoveLastTraces()) return true;
    LineFailed(Uninstall.UninstallKey, 0, "the uninstall entry could not be removed");
    return false;
}

}  // namespace

bool ResumeWorker()
{
    if (Uninstall.WorkerThread == nullptr) return false;
    int waiting = WorkerWaiting;
    Uninstall.WorkerGate.compare_exchange_strong(waiting, WorkerRunning);
    // Resuming a thread that already runs changes nothing.
    return ::ResumeThread(Uninstall.WorkerThread) != static_cast<DWORD>(-1);
}

bool RunUninstall()
{
    Uninstall.LeftItems.clear();
    Uninstall.FailedLines = 0;
    OpenReport();
    struct Closing {
        ~Closing() { CloseReport(OutcomeLine()); }
    } closing;
    return RunWorkerAndFinish();
}

bool FinishUninstall()
{
    const std::string ownPath = engine::ProgramPath();
    if (ownPath.empty()) return false;
    const int32_t count = RegReadInteger(engine::SharedDllsKey, ownPath, 1);
    if (count > 1) return RegWriteInteger(engine::SharedDllsKey, ownPath, count - 1);
    RegRemoveValue(engine::SharedDllsKey, ownPath);
    if (RebootNeeded()) return DeleteAtRestart(ownPath);
    return RemoveOwnFile(true);
}

}  // namespace lvu
