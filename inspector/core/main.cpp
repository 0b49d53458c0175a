// Program entry of the inspector: platform probing, the main window and the message loop.
#include "MainForm.h"
#include "SiblingLink.h"
#include "UNI_WinVer.h"
#include "language/MultiLang.h"

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

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    lvx::InitPlatformFlags();
    lvx::InitProgramFolder();
    lvx::RegisterIpcMessage();

    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_STANDARD_CLASSES | ICC_WIN95_CLASSES | ICC_BAR_CLASSES};
    ::InitCommonControlsEx(&controls);

    lvx::TMainForm form;
    if (!form.FormCreate()) return 1;
    form.ShowForm();
    return RunMessageLoop(form);
}
