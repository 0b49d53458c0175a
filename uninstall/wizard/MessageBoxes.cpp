// Error and warning boxes: the program's name as caption, owned by the active page, centred in the work area.
#include "Wizard.h"

#include "system/Handles.h"

#include <algorithm>

namespace lvu {
namespace {

using unique_hook = unique_handle<HandleTraits<HHOOK, ::UnhookWindowsHookEx>>;

void CentreInWorkArea(HWND window)
{
    RECT area{};
    if (!::SystemParametersInfoA(SPI_GETWORKAREA, 0, &area, 0)) return;
    RECT box{};
    if (!::GetWindowRect(window, &box)) return;
    const int width = box.right - box.left;
    const int height = box.bottom - box.top;
    const LONG left = std::max<LONG>(0, area.left + (area.right - area.left - width) / 2);
    const LONG top = std::max<LONG>(0, area.top + (area.bottom - area.top - height) / 2);
    ::SetWindowPos(window, nullptr, left, top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

// Runs once, when the box is about to be activated, and takes itself away.
LRESULT CALLBACK CentreBoxHook(int code, WPARAM wParam, LPARAM lParam)
{
    const HHOOK hook = Wizard.BoxHook;
    if (code == HCBT_ACTIVATE && hook != nullptr) {
        CentreInWorkArea(reinterpret_cast<HWND>(wParam));
        Wizard.BoxHook = nullptr;
        ::UnhookWindowsHookEx(hook);
        return 0;
    }
    return ::CallNextHookEx(hook, code, wParam, lParam);
}

void ShowBox(const std::string& text, const char* fallbackCaption, UINT icon)
{
    const char* caption = ProgramName[0] != '\0' ? ProgramName : fallbackCaption;
    HWND owner = Wizard.Owner != nullptr && ::IsWindow(Wizard.Owner) ? ::GetLastActivePopup(Wizard.Owner) : nullptr;
    unique_hook hook(::SetWindowsHookExA(WH_CBT, CentreBoxHook, nullptr, ::GetCurrentThreadId()));
    Wizard.BoxHook = hook.get();
    ::MessageBoxA(owner, text.c_str(), caption, icon | MB_OK | MB_SETFOREGROUND | MB_TASKMODAL);
    // The hook took itself away when the box came up; otherwise the owner does it here.
    if (Wizard.BoxHook == nullptr) (void)hook.release();
    Wizard.BoxHook = nullptr;
}

}  // namespace

void ErrorBox(const std::string& text)
{
    ShowBox(text, "Error", MB_ICONERROR);
}

void WarningBox(const std::string& text)
{
    ShowBox(text, "Warning", MB_ICONWARNING);
}

}  // namespace lvu
