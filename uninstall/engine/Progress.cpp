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

void SetStatus(const std::string& text)
{
    if (Uninstall.Silent) return;
    ::SetWindowTextA(::GetDlgItem(Uninstall.ProgressPage, StatusTextId), text.c_str());
}

void ShowStageIcon(int stage, int state)
{
    if (Uninstall.Silent) return;
    const auto icon = [stage](int picture) {
        return ::GetDlgItem(Uninstall.ProgressPage, StageIconBaseId + 3 * stage + picture);
    };
    // The new picture first, so that the place is never empty in between.
    ::ShowWindow(icon(state), SW_SHOW);
    for (const int other : {StageNotYet, StageUnderWay, StageDone})
        if (other != state) ::ShowWindow(icon(other), SW_HIDE);
}

void NextStage()
{
    ShowStageIcon(Uninstall.Stage, StageDone);
    if (Uninstall.Stage >= StageCount - 1) return;
    ++Uninstall.Stage;
    ShowStageIcon(Uninstall.Stage, StageUnderWay);
}

}  // namespace lvu
