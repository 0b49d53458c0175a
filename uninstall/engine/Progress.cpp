// The progress display on the progress page, driven from the worker, and the program-wide state.
#include "Engine.h"
#include "EngineRules.h"

#include <commctrl.h>

namespace lvu {

UninstallState Uninstall;

void ProgressStep()
{
    ++Uninstall.ProgressCount;
    if (Uninstall.Silent) return;
    ::SendDlgItemMessageA(Uninstall.ProgressPage, ProgressBarId, PBM_SETPOS,
                          static_cast<WPARAM>(ProgressPosition(Uninstall.ProgressCount, Uninstall.ProgressTotal)), 0);
}

void LineFailed()
{
    ++Uninstall.FailedLines;
}

void SetStatus(const std::string& text)
{
    if (Uninstall.Silent) return;
    ::SetWindowTextA(::GetDlgItem(Uninstall.ProgressPage, StatusTextId), text.c_str());
}

void NextStage()
{
    const auto showIcon = [](int id) {
        if (!Uninstall.Silent) ::ShowWindow(::GetDlgItem(Uninstall.ProgressPage, id), SW_SHOW);
    };
    showIcon(StageIconBaseId + 2 + 3 * Uninstall.Stage);
    if (Uninstall.Stage >= StageCount - 1) return;
    ++Uninstall.Stage;
    showIcon(StageIconBaseId + 1 + 3 * Uninstall.Stage);
}

}  // namespace lvu
