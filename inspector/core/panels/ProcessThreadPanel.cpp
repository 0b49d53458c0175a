// Process and thread commands. The inspector never suspends or ends its own thread or process.
#include "ProcessThreadPanel.h"

#include "core/MainForm.h"
#include "core/MainFormIds.h"
#include "core/UNI_Processes.h"
#include "core/UNI_WinVer.h"
#include "core/Window.h"

#include <algorithm>
#include <cstdint>

namespace lvx {

namespace {

using namespace MainFormIds;

// The process priority classes of the priority menu's items, by Tag.
constexpr DWORD ProcessPriorityClasses[] = {REALTIME_PRIORITY_CLASS, HIGH_PRIORITY_CLASS, ABOVE_NORMAL_PRIORITY_CLASS,
                                            NORMAL_PRIORITY_CLASS, BELOW_NORMAL_PRIORITY_CLASS, IDLE_PRIORITY_CLASS};
// The thread priorities of the thread menu's items, by Tag.
constexpr int ThreadPriorities[] = {15, 2, 1, 0, -1, -2, -15};
constexpr int NormalThreadItem = 3;

// The screen point where a button's menu opens: its right edge, at its top.
POINT MenuPoint(const SpeedButton* button)
{
    RECT rect{};
    if (button != nullptr) ::GetWindowRect(button->Handle(), &rect);
    return POINT{rect.right, rect.top};
}

// "Above normal" and "below normal" (the third and fifth items) exist only from NT 5 on.
bool NeedsExtendedPriorities(int number)
{
    return (number == 3 || number == 5) && !HasExtendedPriorities;
}

}  // namespace

ProcessThreadPanel::Subject ProcessThreadPanel::Target() const
{
    return subject_ ? *subject_ : Subject{CurrentWindow.Handle, CurrentWindow.ProcessId, CurrentWindow.ThreadId};
}

bool ProcessThreadPanel::IsOwnProcess() const
{
    // Freezing or ending the inspector's own thread or process would hang or kill the tool.
    return Target().ProcessId == ::GetCurrentProcessId();
}

void ProcessThreadPanel::CreatePriorityMenus()
{
    processPriorityMenu_.reset(::CreatePopupMenu());
    const char* const processItems[] = {"Реального времени", "Высокий", "Выше среднего", "Средний", "Ниже среднего",
                                        "Низкий"};
    for (int number = 1; number <= 6; ++number) {
        UINT flags = MF_STRING;
        if (NeedsExtendedPriorities(number)) flags |= MF_GRAYED;
        ::AppendMenuA(processPriorityMenu_.get(), flags, RealTimePriorityItemId + number - 1, processItems[number - 1]);
    }
    threadPriorityMenu_.reset(::CreatePopupMenu());
    const char* const threadItems[] = {"TIME_CRITICAL", "HIGHEST", "ABOVE_NORMAL", "NORMAL", "BELOW_NORMAL", "LOWEST",
                                       "IDLE"};
    for (int tag = 0; tag < 7; ++tag)
        ::AppendMenuA(threadPriorityMenu_.get(), MF_STRING, TimeCriticalThreadItemId + tag, threadItems[tag]);
}

void ProcessThreadPanel::SetProcessItem(int number, const std::string& text)
{
    const UINT id = static_cast<UINT>(RealTimePriorityItemId + number - 1);
    ::ModifyMenuA(processPriorityMenu_.get(), id, MF_BYCOMMAND | MF_STRING, id, text.c_str());
    if (NeedsExtendedPriorities(number)) ::EnableMenuItem(processPriorityMenu_.get(), id, MF_BYCOMMAND | MF_GRAYED);
}

void ProcessThreadPanel::AddTranslationTargets(std::vector<TranslationTarget>& targets)
{
    const char* const keys[] = {"RealTimeProc", "HighProc", "AboveNormalProc", "NormalProc", "BelowNormalProc",
                                "IdleProc"};
    for (int number = 1; number <= 6; ++number)
        targets.push_back({keys[number - 1], [this, number](const std::string& text) { SetProcessItem(number, text); }});
}

bool ProcessThreadPanel::MenuCommand(int id)
{
    if (id >= RealTimePriorityItemId && id <= IdlePriorityItemId)
        ProcessPriorityItemClick(id - RealTimePriorityItemId);
    else if (id >= TimeCriticalThreadItemId && id <= IdleThreadItemId)
        ThreadPriorityItemClick(id - TimeCriticalThreadItemId);
    else
        return false;
    return true;
}

void ProcessThreadPanel::MarkProcessPriority()
{
    DWORD priority = 0;
    if (const unique_kernel_handle process(::OpenProcess(PROCESS_QUERY_INFORMATION, FALSE, Target().ProcessId)); process)
        priority = ::GetPriorityClass(process.get());
    int item = 4;  // "normal", also when the process cannot be opened
    switch (priority) {
    case IDLE_PRIORITY_CLASS: item = 6; break;
    case HIGH_PRIORITY_CLASS: item = 2; break;
    case REALTIME_PRIORITY_CLASS: item = 1; break;
    case BELOW_NORMAL_PRIORITY_CLASS: item = 5; break;
    case ABOVE_NORMAL_PRIORITY_CLASS: item = 3; break;
    default: break;
    }
    ::CheckMenuRadioItem(processPriorityMenu_.get(), RealTimePriorityItemId, IdlePriorityItemId,
                         RealTimePriorityItemId + item - 1, MF_BYCOMMAND);
}

void ProcessThreadPanel::ProcessPriorityClick()
{
    if (Target().ProcessId == 0) return;
    MarkProcessPriority();
    const POINT point = MenuPoint(controls_.ProcessPriorityButton);
    HideThreadToolTips();
    ::TrackPopupMenu(processPriorityMenu_.get(), TPM_LEFTALIGN | TPM_TOPALIGN, point.x, point.y, 0, host_.PanelOwner(),
                     nullptr);
}

void ProcessThreadPanel::ProcessPriorityItemClick(int tag)
{
    const Subject target = Target();
    if ((target.Window == nullptr && !subject_) || target.ProcessId == 0 || tag < 0 || tag > 5) return;
    const unique_kernel_handle process(::OpenProcess(
        PROCESS_QUERY_INFORMATION | PROCESS_SET_INFORMATION | PROCESS_TERMINATE, FALSE, target.ProcessId));
    if (!process || !::SetPriorityClass(process.get(), ProcessPriorityClasses[tag])) host_.ShowError(Msg::CPP);
}

void ProcessThreadPanel::TerminateProcessClick()
{
    const Subject target = Target();
    if ((target.Window == nullptr && !subject_) || target.ProcessId == 0 || IsOwnProcess()) return;
    if (const unique_kernel_handle process(::OpenProcess(PROCESS_TERMINATE, FALSE, target.ProcessId)); process)
        ::TerminateProcess(process.get(), 0);
    ::Sleep(300);  // time for the process to go before the refresh looks
    host_.RefreshExecute();
}

void ProcessThreadPanel::MarkThreadPriority()
{
    int priority = THREAD_PRIORITY_ERROR_RETURN;
    if (const unique_kernel_handle thread(OpenTargetThread(Target().ThreadId)); thread) priority = ::GetThreadPriority(thread.get());
    int item = NormalThreadItem;
    for (int tag = 0; tag < 7; ++tag) {
        if (ThreadPriorities[tag] == priority) {
            item = tag;
            break;
        }
    }
    ::CheckMenuRadioItem(threadPriorityMenu_.get(), TimeCriticalThreadItemId, IdleThreadItemId,
                         TimeCriticalThreadItemId + item, MF_BYCOMMAND);
}

void ProcessThreadPanel::ThreadPriorityClick()
{
    if (Target().ThreadId != 0) {
        MarkThreadPriority();
        const POINT point = MenuPoint(controls_.ThreadPriorityButton);
        HideThreadToolTips();
        ::TrackPopupMenu(threadPriorityMenu_.get(), TPM_LEFTALIGN | TPM_TOPALIGN, point.x, point.y, 0,
                         host_.PanelOwner(), nullptr);
    }
    host_.RefreshExecute();
}

void ProcessThreadPanel::ThreadPriorityItemClick(int tag)
{
    if (Target().ThreadId != 0 && tag >= 0 && tag < 7) {
        if (const unique_kernel_handle thread(OpenTargetThread(Target().ThreadId)); thread) {
            if (!::SetThreadPriority(thread.get(), ThreadPriorities[tag])) host_.ShowError(Msg::CTP);
        }
    }
    host_.RefreshExecute();
}

std::optional<DWORD> ProcessThreadPanel::SuspendResume(bool resume)
{
    if (Target().ThreadId == 0 || IsOwnProcess()) return std::nullopt;
    const unique_kernel_handle thread(OpenTargetThread(Target().ThreadId));
    if (!thread) return std::nullopt;
    // Both calls answer the count before them; the count after is what is shown.
    const DWORD count = resume ? ::ResumeThread(thread.get()) : ::SuspendThread(thread.get());
    if (count == static_cast<DWORD>(-1)) {
        host_.ShowError(resume ? Msg::CRT : Msg::CST);
        return std::nullopt;
    }
    return resume ? (count == 0 ? 0 : count - 1) : count + 1;
}

void ProcessThreadPanel::SuspendResumeClick(const SpeedButton& sender)
{
    if (const std::optional<DWORD> count = SuspendResume(sender.Tag() != 0); count && controls_.SuspendCountEdit != nullptr)
        SetControlText(*controls_.SuspendCountEdit, std::to_string(*count));
}

void ProcessThreadPanel::TerminateThreadClick()
{
    const Subject target = Target();
    if ((target.Window == nullptr && !subject_) || target.ThreadId == 0 || IsOwnProcess()) return;
    const unique_kernel_handle thread(OpenTargetThread(target.ThreadId));
    if (!thread) {
        host_.ShowError(Msg::OnlyME2000XP, MB_TASKMODAL);
        return;
    }
    ::TerminateThread(thread.get(), 0);
    ::Sleep(300);
    host_.RefreshExecute();
}

}  // namespace lvx
