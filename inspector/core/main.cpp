// Program entry of the inspector: platform probing, the language, the main window and the message loop.
#include "CommandLineRun.h"
#include "MainForm.h"
#include "SiblingLink.h"
#include "UNI_WinVer.h"
#include "discovery/ClassIcons.h"
#include "language/LangForm.h"
#include "language/MultiLang.h"
#include "settings/Settings.h"

#include <commctrl.h>

namespace {

int RunMessageLoop(lvx::TMainForm& form)
{
    MSG message{};
    for (;;) {
        const BOOL result = ::GetMessageA(&message, nullptr, 0, 0);
        if (result == 0) return static_cast<int>(message.wParam);
        if (result == -1) return 1;
        if (form.PreTranslateMessage(message)) continue;
        ::TranslateMessage(&message);
        ::DispatchMessageA(&message);
    }
}

// Loads a language file and its messages; false when the file is invalid and the program must end.
bool ApplyLanguage(const std::string& path)
{
    if (lvx::LoadLanguage(path) == lvx::LanguageLoad::Invalid) {
        lvx::ReportInvalidLanguageFile();
        return false;
    }
    lvx::LoadMessageTable();
    return true;
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    lvx::InitPlatformFlags();
    lvx::InitProgramFolder();

    // With arguments the program does one job and ends, showing no window.
    if (const std::vector<std::string> arguments = lvx::ProcessArguments(); !arguments.empty()) {
        std::string languagePath;
        if (lvx::LanguageConfigured(lvx::SettingsKey, languagePath) && lvx::LoadLanguage(languagePath) == lvx::LanguageLoad::Loaded)
            lvx::LoadMessageTable();
        return lvx::RunCommandLine(arguments);
    }
    lvx::RegisterIpcMessage();

    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_STANDARD_CLASSES | ICC_WIN95_CLASSES | ICC_BAR_CLASSES};
    ::InitCommonControlsEx(&controls);

    std::string languagePath;
    const bool configured = lvx::LanguageConfigured(lvx::SettingsKey, languagePath);
    if (configured && !ApplyLanguage(languagePath)) return 1;

    lvx::LoadClassIcons(lvx::ProgramFolder + "Classes.dsc");  // without the file no class gets a picture

    lvx::TMainForm form;  // translates itself when a file was loaded above
    if (!form.FormCreate()) return 1;
    lvx::TLangForm langForm(lvx::SettingsKey);
    form.SetLanguageChooser(langForm);

    if (!configured) {
        // First run: ask, store, and apply the choice to the already created main window.
        const std::string choice = langForm.ShowChooser(nullptr);
        if (!ApplyLanguage(lvx::ProgramFolder + choice)) return 1;
        form.Translate();
    }
    form.ShowForm();
    return RunMessageLoop(form);
}
