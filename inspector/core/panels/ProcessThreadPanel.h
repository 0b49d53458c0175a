// The process and thread panel: the priority menus, suspending and resuming the thread with its
// suspend count, and ending the thread or the process.
#pragma once

#include "PanelHost.h"
#include "core/Handles.h"
#include "core/SpeedButton.h"
#include "language/MultiLang.h"

#include <optional>

namespace lvx {

class ProcessThreadPanel {
public:
    // The main window's buttons the menus open beside and its suspend count field; none for a
    // caller that opens the menus itself.
    struct Controls {
        const SpeedButton* ProcessPriorityButton = nullptr;
        const SpeedButton* ThreadPriorityButton = nullptr;
        const HWND* SuspendCountEdit = nullptr;
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

    // What the commands act on: the inspected window's process and thread unless another is given
    // (the window tree's process and thread nodes).
    struct Subject {
        HWND Window = nullptr;
        DWORD ProcessId = 0;
        DWORD ThreadId = 0;
    };
    void SetSubject(std::optional<Subject> subject) { subject_ = subject; }
    // Marks the current priorities of the subject's process and thread in the two menus.
    void MarkProcessPriority();
    void MarkThreadPriority();
    // Suspends (resume false) or resumes the subject's thread; the suspend count after it, or
    // nothing when refused (the inspector's own process) or failed.
    std::optional<DWORD> SuspendResume(bool resume);

    void ProcessPriorityClick();
    void ProcessPriorityItemClick(int tag);
    void TerminateProcessClick();
    void ThreadPriorityClick();
    void ThreadPriorityItemClick(int tag);
    void SuspendResumeClick(const SpeedButton& sender);  // freeze (Tag 0) and unfreeze (Tag 1)
    void TerminateThreadClick();

private:
    void SetProcessItem(int number, const std::string& text);

    [[nodiscard]] Subject Target() const;
    [[nodiscard]] bool IsOwnProcess() const;

    PanelHost& host_;
    Controls controls_;
    std::optional<Subject> subject_;
    unique_menu processPriorityMenu_;
    unique_menu threadPriorityMenu_;
};

}  // namespace lvx
