// The uninstaller program: its state beside the engine's, the start-up and end, the wizard pages and the message boxes.
#pragma once

#include "Elevation.h"
#include "WizardHandles.h"
#include "WizardRules.h"
#include "log/TextIniFile.h"
#include "system/Administrator.h"

#include <windows.h>

#include <functional>
#include <memory>
#include <string>
#include <utility>

namespace lvu {

// The program's name, the caption of its message boxes.
inline constexpr char ProgramName[] = "Tallow Uninstaller";

// The program's exit codes of its own; after an elevated start it ends with that program's code.
inline constexpr int ExitSucceeded = 0;
inline constexpr int ExitFailed = -1;

// What the wizard chose: uninstall, repair (start the setup program), or neither.
inline constexpr int ModeUninstall = 0;
inline constexpr int ModeRepair = 1;
inline constexpr int ModeNeither = 2;

// Buttons of every page, and the page results they give.
inline constexpr int BackId = 101;
inline constexpr int NextId = 102;
inline constexpr int CancelId = 103;

// One wizard page on screen: its name and what its drawing needs. Owned by `Wizard` while the
// page exists; the page procedure finds it through the dialog's user data.
class TWizardPage {
public:
    explicit TWizardPage(std::string name) : name_(std::move(name)) {}
    [[nodiscard]] const std::string& Name() const noexcept { return name_; }
    static INT_PTR CALLBACK PageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam);

private:
    INT_PTR Dispatch(HWND page, UINT message, WPARAM wParam, LPARAM lParam);
    void FormCreate(HWND page);
    void StartPageCreate(HWND page);
    void BeforeUninstallCreate(HWND page);
    void BrowseForSetupCreate(HWND page);
    void UninstallPageCreate(HWND page);
    void RebootPageCreate(HWND page);
    void ItemsLeftCreate(HWND page);
    void FormActivate(HWND page);
    // False when the page stays as it is (no result).
    bool ButtonClick(HWND page, int id, int notification);
    void BrowseButtonClick(HWND page);
    [[nodiscard]] bool SetupFolderChosen(HWND page);
    void DrawItem(HWND page, const DRAWITEMSTRUCT& item);

    std::string name_;
    COLORREF titleColor_ = 0;
    COLORREF subtitleColor_ = 0;
    bool whiteAreaRepainted_ = false;  // "DLG_START" repaints itself once after its white area
};

// The program's state beside the engine's `Uninstall` (log path, uninstall key, silent-settings
// file, silent and remove-data flags, progress page and page result live there). One instance, `Wizard`.
struct WizardState {
    std::string OwnFolder;  // ends in "\"
    std::string AppId;
    std::string SetupFile;  // for repair
    int Mode = ModeUninstall;
    std::string DialogFont;
    std::string TitleFont;
    std::string SubtitleFont;
    unique_window MainWindow;
    unique_window Page;  // the page on screen; goes before its PageObject
    std::string PageName;
    std::unique_ptr<TWizardPage> PageObject;  // the page on screen's own data
    HWND Owner = nullptr;  // owner of new pages and message boxes
    std::unique_ptr<TTextIniFile> Log;  // the log, read-only, for the whole run
    HHOOK BoxHook = nullptr;            // while a message box is being created
    // The rights of the process and the elevated start; tests put their own in place, since the
    // consent prompt cannot be answered under test.
    std::function<bool()> AdministratorTest = IsAdministrator;
    std::function<bool()> ElevationTest = CanElevate;
    std::function<ElevatedStart(HWND owner, const std::string& program, const std::string& parameters)> StartAsAdmin =
        StartElevated;
};

extern WizardState Wizard;

// The whole program: start-up, wizard, uninstallation or repair, end. The exit code: 0 after
// success, -1 otherwise, or the code of the program started elevated in its place.
int RunProgram();

// The wizard pages up to the choice; true when the last page was left with Next.
[[nodiscard]] bool RunWizard();
// Shows one page (replacing the one on screen) and runs it until its result is set; the result.
int ShowPage(const char* name);
// Destroys the page on screen, if any.
void DestroyPage();
// Runs the messages waiting for this thread; stops at WM_QUIT, which is left for the caller.
void ProcessMessages();
// Puts the visible windows the page owns above it.
void RaiseOwnedWindows(HWND page);
// Whether a file (not a folder) exists at the path.
[[nodiscard]] bool FileExists(const std::string& path);

// A text of the log: section "Dialog." + page, key; "||" becomes a line break.
[[nodiscard]] std::string PageText(const std::string& page, const std::string& key);
// `Strings` key of the log.
[[nodiscard]] std::string LogString(const std::string& key);

// Error and warning boxes with the program's name as caption, centred in the work area.
void ErrorBox(const std::string& text);
void WarningBox(const std::string& text);

}  // namespace lvu
