// The uninstall engine: the state shared with the wizard, the run of the worker thread, the progress display.
#pragma once

#include <windows.h>

#include <atomic>
#include <functional>
#include <string>
#include <vector>

#include "system/PathRules.h"

namespace lvu {

// The answers of the shared-file question; None before the first question.
enum class SharedFileAnswer { None, Yes, YesToAll, No, NoToAll };

// Asked on the worker thread for a shared file whose count has run out (full path).
using SharedFileQuestion = std::function<SharedFileAnswer(const std::string& path)>;

// The question as the program shows it: the modal dialog "DLG_DELSHARED" from the program's
// resources, owned by the progress page, its texts from the log's "Dialog.DLG_DELSHARED". A
// dialog that cannot be shown, or is closed, answers No.
[[nodiscard]] SharedFileAnswer AskSharedFileDialog(const std::string& path);

// Controls of the progress page "DLG_UNINSTALL" that the worker updates.
inline constexpr int StatusTextId = 105;
inline constexpr int ProgressBarId = 106;
inline constexpr int StageIconBaseId = 300;  // 300 + 3 × stage: not yet, + 1: under way, + 2: done
inline constexpr int StageCount = 7;
// The three pictures of a stage, added to StageIconBaseId + 3 × stage.
inline constexpr int StageNotYet = 0;
inline constexpr int StageUnderWay = 1;
inline constexpr int StageDone = 2;
// The page result that closes the progress page (Next).
inline constexpr int PageResultNext = 102;

// A line of the log that the run left as it was: what it names, and why (refused for safety, or
// the platform's error).
struct LeftItem {
    std::string Item;
    std::string Reason;
};

// The value names under this sub-key of the product's uninstall key are the shared files whose
// count a run has lowered (or removed), so that a run after a failed one never lowers it again.
// It goes with the uninstall key when the uninstallation has succeeded.
inline constexpr char CountedSharedFilesKey[] = "SharedFilesCounted";

// How the last `RunUninstall` ended.
enum class UninstallOutcome {
    Succeeded,  // everything went, the uninstall key, the log and the silent-settings file too
    NotBegun,   // nothing was changed: no worker, no progress page, or a PreRunApp entry failed
    Failed,     // the removal began and then failed; the key, the log and the program stay for another run
    EntryKept,  // everything went but the uninstall key, which could not be removed; the log stays with it
};

// Program-wide state of the uninstallation, one instance (`Uninstall`). The program fills the
// inputs before `RunUninstall`; the worker owns the lists and the progress fields while it runs.
// The reboot-needed flag is the system layer's (RebootNeeded / SetRebootNeeded).
struct UninstallState {
    // Inputs.
    std::string LogPath;       // absolute
    std::string UninstallKey;  // the application's uninstall key, removed after success
    std::string OwnFolder;     // where "gacutil.exe" is looked for; empty: the program's folder
    std::string SilentSettings;  // the file the uninstall key named at start-up, removed after success; may be empty
    bool RemoveData = true;    // false: DataFiles and DataFolders are neither counted nor processed
    bool Silent = false;       // no page, no status text, no question
    // The plain-text report of the run ("/LOG="), in the ANSI code page; empty: none is written.
    std::string ReportPath;
    HWND MainWindow = nullptr;    // owner of the programs run from the log
    HWND ProgressPage = nullptr;  // the page whose controls show the progress; owner of the question
    // Shows the progress page and runs it until its result is set; the page resumes the worker
    // (ResumeWorker) when it becomes visible. Empty: the worker starts at once.
    std::function<void()> ShowProgressPage;
    SharedFileQuestion AskSharedFile = AskSharedFileDialog;

    // Set to PageResultNext by the worker when it ends, however it ends; the page loop stops on it.
    std::atomic<int> PageResult{0};
    // The result of the last run.
    UninstallOutcome Outcome = UninstallOutcome::NotBegun;

    // The worker's own.
    std::vector<std::string> SectionLines;    // the section being processed
    std::vector<std::string> ProtectedFiles;  // SharedFiles lines whose files stay
    // The shared files whose count this run or an earlier one has lowered: noted again under the
    // uninstall key when its removal fails half-way (the recursive removal takes the note first).
    std::vector<std::string> CountedShared;
    SharedFileAnswer SharedAnswer = SharedFileAnswer::None;
    int ProgressTotal = 0;
    int ProgressCount = 0;
    int Stage = 0;  // 0..6
    // Lines that were refused or whose change failed (a mask on a protected folder, a line with a
    // control character, an INI file that could not be edited); they still count as a step.
    int FailedLines = 0;
    std::vector<LeftItem> LeftItems;  // the same lines, what each names and why it was left
    CriticalFolders Critical;  // learnt once a run: no deletion by tree or mask may touch them
    // CreateDirs folders that were not empty when their turn came (the log's own folder among
    // them, the log being kept until the end); tried again once the log has gone. Deepest first.
    std::vector<std::string> FoldersLeft;
    HANDLE WorkerThread = nullptr;  // while RunUninstall runs; owned by it
    // Whether the suspended worker may run (set once, on the main thread, before it is resumed).
    std::atomic<int> WorkerGate{0};
};

extern UninstallState Uninstall;

// Main thread: runs the worker (suspended until the page shows, at once when silent), keeps
// handling messages until it has ended, and after success removes the uninstall key, then the
// log, the silent-settings file and the folders the log kept. True when all that succeeded;
// `Outcome` tells how it ended. When the progress page cannot be shown the worker never runs
// and the page's error is passed on.
bool RunUninstall();

// For the progress page once it is visible: lets the suspended worker run. Harmless when it runs.
bool ResumeWorker();

// Main thread, at the very end: lowers the program file's shared count, or removes the count and
// the program file (at the restart when one is needed, else right after the program has ended).
bool FinishUninstall();

// The progress display, from the worker. In silent mode only the count advances.
void ProgressStep();

// The account of each line, for the report and the list of what was left. A line acted on
// (`note` says more where the outcome is not plain removal):
void LineDone(const std::string& item, const std::string& note = {});
// A line refused for safety, with the reason; it counts as failed and is left.
void LineRefused(const std::string& item, const std::string& reason);
// A line whose change failed, with the platform's error text for `error` (0: `reason` alone).
void LineFailed(const std::string& item, unsigned long error, const std::string& reason = {});
// A line of the report of its own (a stage, the end); nothing without a report.
void ReportLine(const std::string& text);
// The platform's text for an error code, on one line, with the code.
[[nodiscard]] std::string SystemErrorText(unsigned long error);
void SetStatus(const std::string& text);
void NextStage();
// The three pictures of a stage lie on one another: shows the one for `state` and hides the others.
void ShowStageIcon(int stage, int state);

}  // namespace lvu
