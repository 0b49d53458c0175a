// Process and thread commands on a target process: priorities read back through the platform,
// freezing with its counter, termination, the NtOpenThread fall-back and the own-process guard.
#include "TestSupport.h"

#include "core/MainForm.h"
#include "core/MainFormIds.h"
#include "core/UNI_DLLs.h"
#include "core/UNI_Processes.h"
#include "core/UNI_WindowInfo.h"
#include "core/UNI_WinVer.h"
#include "details/WindowDetails.h"
#include "resources/resource.h"
#include "settings/Settings.h"

#include <commctrl.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <tuple>

using namespace lvx;
using lvxtest::TargetProcess;
namespace ids = lvx::MainFormIds;

namespace {

std::string TextOf(HWND control)
{
    char buffer[256] = {};
    ::GetWindowTextA(control, buffer, static_cast<int>(std::size(buffer)));
    return buffer;
}

bool Answers(HWND window)
{
    DWORD_PTR result = 0;
    return ::SendMessageTimeoutA(window, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 300, &result) != 0;
}

class ProcessTest : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        Settings = std::make_unique<lvxtest::RegistryKeyBackup>(SettingsKey);
        InitPlatformFlags();
        Form = std::make_unique<TMainForm>();
        ASSERT_TRUE(Form->FormCreate());
        Click(Form->processPanelButton_);  // the process panel
    }
    static void TearDownTestSuite()
    {
        Form.reset();
        Settings.reset();
    }
    void SetUp() override
    {
        target = std::make_unique<TargetProcess>(std::initializer_list<std::string>{"basic", "hung"});
        ASSERT_TRUE(target->Ready());
        Inspect(target->Window("basic"));
    }
    void TearDown() override
    {
        // A test may leave the target frozen: let it go before closing it.
        // ResumeThread answers the count before it, or all ones when it fails: stop on either.
        if (const HANDLE thread = ::OpenThread(THREAD_SUSPEND_RESUME, FALSE, static_cast<DWORD>(target->Number("tid")))) {
            for (DWORD previous = ::ResumeThread(thread); previous != static_cast<DWORD>(-1) && previous > 1;
                 previous = ::ResumeThread(thread)) {
            }
            ::CloseHandle(thread);
        }
        target.reset();
    }

    static void Inspect(HWND window)
    {
        CurrentWindow = WindowInfo{};
        CurrentWindow.Handle = window;
        Form->RefreshExecute();
    }
    static void Click(SpeedButton& button) { ::SendMessageA(button.Handle(), BM_CLICK, 0, 0); }
    static void Choose(int item) { ::SendMessageA(Form->Handle(), WM_COMMAND, item, 0); }

    DWORD PriorityClass() const
    {
        const HANDLE process = ::OpenProcess(PROCESS_QUERY_INFORMATION, FALSE, target->ProcessId());
        const DWORD priority = ::GetPriorityClass(process);
        ::CloseHandle(process);
        return priority;
    }
    int ThreadPriority() const
    {
        const HANDLE thread = ::OpenThread(THREAD_QUERY_INFORMATION, FALSE, static_cast<DWORD>(target->Number("tid")));
        const int priority = ::GetThreadPriority(thread);
        ::CloseHandle(thread);
        return priority;
    }
    // The item marked when the button's menu opens.
    static int MarkedItem(SpeedButton& button, HMENU menu, int first, int last)
    {
        int marked = -1;
        lvxtest::ModalWatcher watcher;
        watcher.OnMenu = [&] {
            for (int id = first; id <= last; ++id)
                if (::GetMenuState(menu, id, MF_BYCOMMAND) & MF_CHECKED) marked = id;
        };
        Click(button);
        return marked;
    }

    static std::unique_ptr<lvxtest::RegistryKeyBackup> Settings;
    static std::unique_ptr<TMainForm> Form;
    std::unique_ptr<TargetProcess> target;
};
std::unique_ptr<lvxtest::RegistryKeyBackup> ProcessTest::Settings;
std::unique_ptr<TMainForm> ProcessTest::Form;

TEST_F(ProcessTest, ThePriorityClassChangesAndTheMenuMarksIt)
{
    EXPECT_EQ(MarkedItem(Form->processPriorityButton_, Form->ProcessPriorityMenu(), ids::RealTimePriorityItemId,
                         ids::IdlePriorityItemId),
              ids::NormalPriorityItemId);  // normal
    Choose(ids::HighPriorityItemId);
    EXPECT_EQ(PriorityClass(), static_cast<DWORD>(HIGH_PRIORITY_CLASS));
    EXPECT_EQ(MarkedItem(Form->processPriorityButton_, Form->ProcessPriorityMenu(), ids::RealTimePriorityItemId,
                         ids::IdlePriorityItemId),
              ids::HighPriorityItemId);
    Choose(ids::IdlePriorityItemId);
    EXPECT_EQ(PriorityClass(), static_cast<DWORD>(IDLE_PRIORITY_CLASS));
    Choose(ids::NormalPriorityItemId);
    EXPECT_EQ(PriorityClass(), static_cast<DWORD>(NORMAL_PRIORITY_CLASS));
}

TEST_F(ProcessTest, TheThreadPriorityChangesAndTheMenuMarksIt)
{
    Choose(ids::HighestThreadItemId);
    EXPECT_EQ(ThreadPriority(), THREAD_PRIORITY_HIGHEST);
    EXPECT_EQ(MarkedItem(Form->threadPriorityButton_, Form->ThreadPriorityMenu(), ids::TimeCriticalThreadItemId,
                         ids::IdleThreadItemId),
              ids::HighestThreadItemId);
    Choose(ids::TimeCriticalThreadItemId);
    EXPECT_EQ(ThreadPriority(), THREAD_PRIORITY_TIME_CRITICAL);
    Choose(ids::IdleThreadItemId);
    EXPECT_EQ(ThreadPriority(), THREAD_PRIORITY_IDLE);
    Choose(ids::NormalThreadItemId);
    EXPECT_EQ(ThreadPriority(), THREAD_PRIORITY_NORMAL);
    EXPECT_EQ(MarkedItem(Form->threadPriorityButton_, Form->ThreadPriorityMenu(), ids::TimeCriticalThreadItemId,
                         ids::IdleThreadItemId),
              ids::NormalThreadItemId);
}

TEST_F(ProcessTest, FreezingCountsAndStopsTheThreadUntilUnfrozen)
{
    const HWND window = target->Window("basic");
    Click(Form->suspendThreadButton_);
    EXPECT_EQ(TextOf(Form->suspendCountEdit_), "1");
    Click(Form->suspendThreadButton_);
    EXPECT_EQ(TextOf(Form->suspendCountEdit_), "2");
    EXPECT_FALSE(Answers(window));
    Click(Form->resumeThreadButton_);
    EXPECT_EQ(TextOf(Form->suspendCountEdit_), "1");
    EXPECT_FALSE(Answers(window));
    Click(Form->resumeThreadButton_);
    EXPECT_EQ(TextOf(Form->suspendCountEdit_), "0");
    EXPECT_TRUE(lvxtest::WaitFor([&] { return Answers(window); }));
    Click(Form->resumeThreadButton_);  // a running thread
    EXPECT_EQ(TextOf(Form->suspendCountEdit_), "0");
    Form->RefreshExecute();
    EXPECT_EQ(TextOf(Form->suspendCountEdit_), "") << "every display empties the counter";
}

TEST_F(ProcessTest, WithoutOpenThreadTheNativeCallOpensTheThread)
{
    // The entry points come back however the test ends, for the tests after it.
    struct RestoreEntries {
        OpenThreadProc Open = OpenThreadEntry;
        NtOpenThreadProc Nt = NtOpenThreadEntry;
        ~RestoreEntries()
        {
            OpenThreadEntry = Open;
            NtOpenThreadEntry = Nt;
        }
    } restore;
    OpenThreadEntry = nullptr;
    NtOpenThreadEntry = reinterpret_cast<NtOpenThreadProc>(
        reinterpret_cast<void*>(::GetProcAddress(::GetModuleHandleA("ntdll.dll"), "NtOpenThread")));
    ASSERT_NE(NtOpenThreadEntry, nullptr);
    const HANDLE thread = OpenTargetThread();
    ASSERT_NE(thread, nullptr);
    ::CloseHandle(thread);
    Click(Form->suspendThreadButton_);
    EXPECT_EQ(TextOf(Form->suspendCountEdit_), "1");
    EXPECT_FALSE(Answers(target->Window("basic")));
    Click(Form->resumeThreadButton_);
    EXPECT_EQ(TextOf(Form->suspendCountEdit_), "0");

    // A thread that does not exist: the message, and no handle.
    CurrentWindow.ThreadId = 0xFFFFFFF0;
    lvxtest::ModalWatcher watcher;
    EXPECT_EQ(OpenTargetThread(), nullptr);
    ASSERT_EQ(watcher.Boxes.size(), 1u);
    EXPECT_EQ(watcher.Boxes[0].Text, "Не удалось открыть поток");
}

TEST_F(ProcessTest, TerminatingTheThreadOrTheProcessMakesTheWindowGo)
{
    Inspect(target->Window("hung"));  // a thread of its own in the target
    Click(Form->terminateThreadButton_);
    EXPECT_TRUE(lvxtest::WaitFor([&] { return !::IsWindow(target->Window("hung")); }));
    Form->RefreshExecute();
    EXPECT_EQ(TextOf(Form->windowTextEdit_), "<Окно не существует>");
    EXPECT_TRUE(::IsWindow(target->Window("basic")));

    Inspect(target->Window("basic"));
    Click(Form->terminateProcessButton_);
    EXPECT_EQ(::WaitForSingleObject(target->Process(), 10000), WAIT_OBJECT_0);
    Form->RefreshExecute();
    EXPECT_EQ(TextOf(Form->windowTextEdit_), "<Окно не существует>");
    EXPECT_FALSE(Form->terminateProcessButton_.IsVisible());
}

TEST_F(ProcessTest, TheInspectorNeverFreezesOrEndsItself)
{
    Inspect(Form->Handle());
    ASSERT_EQ(CurrentWindow.ProcessId, ::GetCurrentProcessId());
    Click(Form->suspendThreadButton_);
    EXPECT_EQ(TextOf(Form->suspendCountEdit_), "");
    Click(Form->terminateThreadButton_);
    Click(Form->terminateProcessButton_);
    EXPECT_TRUE(::IsWindow(Form->Handle()));  // still here to check
}

TEST_F(ProcessTest, TheTreeButtonShowsTheInspectedWindowUnderItsProcess)
{
    TreeGroupByProcess = false;
    std::string selected, process;
    bool expanded = false;
    const auto textOf = [](HWND view, HTREEITEM item) {
        char text[512] = {};
        TVITEMA query{};
        query.mask = TVIF_TEXT | TVIF_STATE;
        query.stateMask = TVIS_EXPANDED;
        query.hItem = item;
        query.pszText = text;
        query.cchTextMax = static_cast<int>(std::size(text));
        ::SendMessageA(view, TVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&query));
        return std::make_pair(std::string(text), (query.state & TVIS_EXPANDED) != 0);
    };
    lvxtest::DialogDriver driver({{"\xC4\xE5\xF0\xE5\xE2\xEE \xEE\xEA\xEE\xED", [&](HWND dialog) {  // Дерево окон
        const HWND view = ::GetDlgItem(dialog, IDC_TREE_VIEW);
        const auto item = reinterpret_cast<HTREEITEM>(::SendMessageA(view, TVM_GETNEXTITEM, TVGN_CARET, 0));
        selected = textOf(view, item).first;
        const auto thread = reinterpret_cast<HTREEITEM>(::SendMessageA(view, TVM_GETNEXTITEM, TVGN_PARENT, reinterpret_cast<LPARAM>(item)));
        const auto owner = reinterpret_cast<HTREEITEM>(::SendMessageA(view, TVM_GETNEXTITEM, TVGN_PARENT, reinterpret_cast<LPARAM>(thread)));
        std::tie(process, expanded) = textOf(view, owner);
        ::PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
    }}});
    Click(Form->processTreeButton_);
    EXPECT_TRUE(driver.Done());
    EXPECT_TRUE(TreeGroupByProcess);
    EXPECT_NE(selected.find("] Lumivex Target {LvxTargetMain}"), std::string::npos) << selected;
    EXPECT_EQ(process.rfind("[PID " + std::to_string(target->ProcessId()) + "] lvxtarget.exe {", 0), 0u) << process;
    EXPECT_TRUE(expanded);
    TreeGroupByProcess = false;
}

TEST_F(ProcessTest, TheModulePathIsTheProcessExecutableOnBothFamilies)
{
    std::string path;
    ASSERT_TRUE(GetWindowModulePath(target->Window("basic"), path));
    EXPECT_NE(path.find("lvxtarget.exe"), std::string::npos) << path;
    std::vector<HMODULE> modules;
    std::vector<std::string> names;
    ASSERT_TRUE(ListProcessModules(target->ProcessId(), modules, names));
    EXPECT_GT(modules.size(), 3u);
    EXPECT_EQ(modules.size(), names.size());

    // The 95 family asks user32 for the window's module instead.
    const DWORD platform = Win32Platform;
    Win32Platform = VER_PLATFORM_WIN32_WINDOWS;
    IsNT = false;
    BindProcessEntryPoints();
    std::string own;
    EXPECT_TRUE(GetWindowModulePath(Form->Handle(), own));
    EXPECT_NE(own.find("lvx_core_tests.exe"), std::string::npos) << own;
    EXPECT_FALSE(ListProcessModules(target->ProcessId(), modules, names));
    Win32Platform = platform;
    IsNT = true;
    BindProcessEntryPoints();
}

TEST_F(ProcessTest, AProgramOfTheOtherBitnessReadsAsItHoldsItself)
{
    const std::string program = lvxtest::OtherBitnessTarget();
    if (program.empty()) GTEST_SKIP() << "the other bitness's build has not made its target program";
    const lvxtest::TargetProcess peer({"basic"}, program);
    ASSERT_TRUE(peer.Ready());
    const bool inspector64 = sizeof(void*) == 8;
    ASSERT_EQ(peer.Number("bits"), inspector64 ? 32u : 64u);
    EXPECT_EQ(ProcessBitness(peer.ProcessId()), inspector64 ? ProcessBits::Bits32 : ProcessBits::Bits64);
    EXPECT_EQ(ProcessBitness(::GetCurrentProcessId()), inspector64 ? ProcessBits::Bits64 : ProcessBits::Bits32);

    // The program's own module first, not the system layer that runs 32-bit code.
    std::string path;
    const bool listed = GetWindowModulePath(peer.Window("basic"), path);
    // The 32-bit build cannot list a 64-bit program's modules, but the system names its image.
    EXPECT_TRUE(listed);
    EXPECT_NE(path.find("lvxtarget-other.exe"), std::string::npos) << path;
    if (inspector64) {
        // Its system DLLs are the 32-bit ones, in the folder where they really are.
        std::vector<HMODULE> modules;
        std::vector<std::string> names;
        ASSERT_TRUE(ListProcessModules(peer.ProcessId(), modules, names));
        char wow64[MAX_PATH] = {};
        ASSERT_NE(::GetSystemWow64DirectoryA(wow64, MAX_PATH), 0u);
        const auto kernel = std::find_if(names.begin(), names.end(), [](const std::string& name) {
            return name.size() > 13 && ::lstrcmpiA(name.c_str() + name.size() - 13, "\\kernel32.dll") == 0;
        });
        ASSERT_NE(kernel, names.end());
        EXPECT_EQ(::CompareStringA(LOCALE_SYSTEM_DEFAULT, NORM_IGNORECASE, kernel->c_str(), ::lstrlenA(wow64), wow64, -1),
                  CSTR_EQUAL)
            << *kernel;
        EXPECT_NE(::GetFileAttributesA(kernel->c_str()), INVALID_FILE_ATTRIBUTES) << *kernel;
    }

    WindowInfo info;
    GatherWindowInfo(peer.Window("basic"), false, info);
    EXPECT_EQ(info.Bits, inspector64 ? ProcessBits::Bits32 : ProcessBits::Bits64);
    EXPECT_EQ(info.PointersRead, inspector64);
    if (inspector64) {
        EXPECT_EQ(info.UserData, peer.Number("basic.userdata"));
        EXPECT_EQ(info.Instance, peer.Number("basic.instance"));
        // Wine answers 0 for another process's procedures; Windows gives them.
        if (info.ClassWndProc != 0) {
            EXPECT_EQ(info.ClassWndProc, peer.Number("basic.classproc"));
        }
        if (info.WndProc != 0) {
            EXPECT_EQ(info.WndProc, peer.Number("basic.wndproc"));
        }
    }

    // The display marks the bitness, and the thread commands reach the other bitness's thread.
    Inspect(peer.Window("basic"));
    EXPECT_EQ(TextOf(Form->processBitsLabel_), inspector64 ? "32 бита" : "64 бита");
    Click(Form->suspendThreadButton_);
    EXPECT_EQ(TextOf(Form->suspendCountEdit_), "1");
    EXPECT_FALSE(Answers(peer.Window("basic")));
    Click(Form->resumeThreadButton_);
    EXPECT_EQ(TextOf(Form->suspendCountEdit_), "0");
    EXPECT_TRUE(lvxtest::WaitFor([&] { return Answers(peer.Window("basic")); }));
    Choose(ids::HighestThreadItemId);
    EXPECT_EQ(MarkedItem(Form->threadPriorityButton_, Form->ThreadPriorityMenu(), ids::TimeCriticalThreadItemId,
                         ids::IdleThreadItemId),
              ids::HighestThreadItemId);

    // The details window's process page across the bitness boundary.
    WindowDetails details;
    GatherWindowDetails(peer.Window("basic"), details);
    EXPECT_EQ(details.Process.Bits, inspector64 ? ProcessBits::Bits32 : ProcessBits::Bits64);
    EXPECT_NE(details.Process.ImagePath.find("lvxtarget-other.exe"), std::string::npos) << details.Process.ImagePath;
    EXPECT_TRUE(details.Process.StartRead);
    EXPECT_EQ(details.Class.InstanceRead, inspector64);
    if (inspector64) {
        EXPECT_EQ(details.Class.Instance, peer.Number("basic.instance"));
    }
}

}  // namespace
