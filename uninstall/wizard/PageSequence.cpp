// Showing a page and running it until its result is set, and the sequence of the wizard's pages.
#include "Wizard.h"

#include "engine/Engine.h"
#include "log/IniCache.h"
#include "log/LogFields.h"
#include "system/Registry.h"

#include <stdexcept>

namespace lvu {
namespace {

constexpr char StartPage[] = "DLG_START";
constexpr char BeforeUninstallPage[] = "DLG_BEFOREUNINSTALL";
constexpr char BeforeRepairPage[] = "DLG_BEFOREREPAIR";
constexpr char BrowseForSetupPage[] = "DLG_BROWSEFORSETUP";
constexpr char UninstallPage[] = "DLG_UNINSTALL";

}  // namespace

bool FileExists(const std::string& path)
{
    const DWORD attributes = path.empty() ? INVALID_FILE_ATTRIBUTES : ::GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

WizardState Wizard;

std::string PageText(const std::string& page, const std::string& key)
{
    return ExpandLineBreaks(cached::ReadString(Uninstall.LogPath, "Dialog." + page, key, ""), false);
}

std::string LogString(const std::string& key)
{
    return ExpandLineBreaks(cached::ReadString(Uninstall.LogPath, "Strings", key, ""), false);
}
void ProcessMessages()
{
    MSG message{};
    while (::PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (message.message == WM_QUIT) {
            ::PostQuitMessage(static_cast<int>(message.wParam));
            return;
        }
        ::TranslateMessage(&message);
        ::DispatchMessageA(&message);
    }
}

void DestroyPage()
{
    Wizard.Page.reset();
    Wizard.PageObject.reset();
    Wizard.PageName.clear();
    Wizard.Owner = Wizard.MainWindow.get();
}

int ShowPage(const char* name)
{
    auto object = std::make_unique<TWizardPage>(name);
    // Pages belong to the main window: were a page owned by the one before it, destroying that
    // one would take the new page with it.
    // The window goes before the object its procedure uses.
    unique_window pageOwner(::CreateDialogParamA(::GetModuleHandleA(nullptr), name, Wizard.MainWindow.get(),
                                                 TWizardPage::PageProc, reinterpret_cast<LPARAM>(object.get())));
    if (!pageOwner) throw std::runtime_error(std::string("Cannot create the page ") + name);
    const HWND page = pageOwner.get();
    ::ShowWindow(page, SW_SHOW);
    ProcessMessages();
    if (::IsWindowEnabled(page)) {
        ::SetForegroundWindow(page);
        ::BringWindowToTop(page);
    } else {
        RaiseOwnedWindows(page);  // its modal question is up already: that one belongs on top
    }
    ProcessMessages();
    DestroyPage();
    Wizard.Page = std::move(pageOwner);
    Wizard.PageObject = std::move(object);
    Wizard.PageName = name;
    Wizard.Owner = page;

    for (;;) {
        MSG message{};
        if (!::PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
            ::Sleep(1);
            if (Uninstall.PageResult != 0) break;
            continue;
        }
        if (message.message == WM_QUIT) {
            // The session is ending: a wizard page counts as cancelled; the progress page is
            // closed by its worker, which is never cut off.
            if (Wizard.PageName != UninstallPage) Uninstall.PageResult = CancelId;
            continue;
        }
        if (!::IsDialogMessageA(page, &message)) {
            ::TranslateMessage(&message);
            ::DispatchMessageA(&message);
        }
    }
    return Uninstall.PageResult;
}

bool RunWizard()
{
    std::string page = StartPage;
    for (;;) {
        const int result = ShowPage(page.c_str());
        if (result == CancelId) return false;
        if (page == StartPage) {
            if (result != NextId) continue;
            if (Wizard.Mode == ModeUninstall) page = BeforeUninstallPage;
            else if (Wizard.Mode == ModeRepair) page = BeforeRepairPage;
        } else if (page == BeforeUninstallPage) {
            if (result == NextId) return true;
            page = StartPage;
        } else if (page == BeforeRepairPage) {
            if (result == BackId) {
                page = StartPage;
                continue;
            }
            Wizard.SetupFile = RegReadString(Uninstall.UninstallKey, "InstallSourceFile", "");
            if (FileExists(Wizard.SetupFile)) return true;
            page = BrowseForSetupPage;
        } else if (page == BrowseForSetupPage) {
            if (result == NextId) return true;
            page = BeforeRepairPage;
        } else {
            return false;
        }
    }
}


}  // namespace lvu
