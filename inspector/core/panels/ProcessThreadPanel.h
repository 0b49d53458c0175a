// The process and thread panel: the priority menus, suspending and resuming the thread with its
// suspend count, and ending the thread or the process.
#pragma once

#include "PanelHost.h"
#include "core/Handles.h"
#include "core/SpeedButton.h"
#include "language/MultiLang.h"

namespace lvx {

class ProcessThreadPanel {
public:
    struct Controls {
        const SpeedButton& ProcessPriorityButton;
        const SpeedButton& ThreadPriorityButton;
        const HWND& SuspendCountEdit;
    };
    ProcessThreadPanel(PanelHost& host, Controls controls) : host_(host), controls_(controls) {}

    // Builds the two priority menus; their commands come back through the host's WM_COMMAND.
    void CreatePriorityMenus();
    // The translation of the process menu's items, by their language-file keys.
    void AddTranslationTargets(std::vector<TranslationTarget>& targets);
    [[nodiscard]] HMENU ProcessPriorityMenu() const { return processPriorityMenu_.get(); }
    [[nodiscard]] HMENU ThreadPriorityMenu() const { return threadPriorityMenu_.get(); }
    // True when `id` was one of the menus' items and has been handled.
    bool MenuCommand(int id);

    void ProcessPriorityClick();
    void ProcessPriorityItemClick(int tag);
    void TerminateProcessClick();
    void ThreadPriorityClick();
    void ThreadPriorityItemClick(int tag);
    void SuspendResumeClick(const SpeedButton& sender);  // freeze (Tag 0) and unfreeze (Tag 1)
    void TerminateThreadClick();

private:
    void SetProcessItem(int number, const std::string& text);

    PanelHost& host_;
    Controls controls_;
    unique_menu processPriorityMenu_;
    unique_menu threadPriorityMenu_;
};

}  // namespace lvx
