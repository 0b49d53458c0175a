// Running real programs and documents and waiting for them; a program's file removed after it ends.
#include "Handles.h"
#include "Programs.h"
#include "RestartFiles.h"
#include "SystemTestSupport.h"

#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <thread>

using namespace lvu;
using lvutest::Exists;
using lvutest::TempFolder;
using lvutest::WriteFile;

namespace {

std::string SystemFile(const char* name)
{
    char folder[MAX_PATH] = {};
    ::GetSystemDirectoryA(folder, MAX_PATH);
    return std::string(folder) + "\\" + name;
}

std::string Helper()
{
    return lvutest::BinFolder() + "lvu_system_test_helper.exe";
}

TEST(RunAndWait, ProgramsAndBatchFilesGiveTheirExitCodes)
{
    EXPECT_EQ(RunAndWait(nullptr, SystemFile("cmd.exe"), "/c exit 7", SW_HIDE, ""), 7);
    EXPECT_EQ(RunAndWait(nullptr, "  \"" + SystemFile("cmd.exe") + "\" ", "/c exit 0", SW_HIDE, ""), 0);

    TempFolder temp;
    const std::string batch = temp.Path() + "check folder.bat";
    WriteFile(batch, "@if exist marker.txt (exit /b 5) else (exit /b 6)\r\n");
    WriteFile(temp.Path() + "marker.txt", "x");
    // The folder is used without its quotes and blanks.
    EXPECT_EQ(RunAndWait(nullptr, batch, "", SW_HIDE, " \"" + temp.Path() + "\" "), 5);
    EXPECT_EQ(RunAndWait(nullptr, batch, "", SW_HIDE, ""), 6);
}

TEST(RunAndWait, WhatCannotStartGivesMinusOne)
{
    TempFolder temp;
    EXPECT_EQ(RunAndWait(nullptr, temp.Path() + "missing.exe", "", SW_HIDE, ""), -1);
    EXPECT_EQ(RunAndWait(nullptr, temp.Path() + "missing.txt", "", SW_HIDE, ""), -1);
}

std::atomic<int> Ticks{0};

void CALLBACK CountTick(HWND, UINT, UINT_PTR, DWORD)
{
    ++Ticks;
}

TEST(RunAndWait, TheCallingThreadKeepsHandlingItsMessages)
{
    Ticks = 0;
    const UINT_PTR timer = ::SetTimer(nullptr, 0, 20, CountTick);
    ::PostQuitMessage(3);
    EXPECT_EQ(RunAndWait(nullptr, Helper(), "sleep 600 9", SW_HIDE, ""), 9);
    ::KillTimer(nullptr, timer);
    EXPECT_GT(Ticks.load(), 2);
    // A quit request that arrived meanwhile is still there for the caller's own loop.
    MSG message{};
    ASSERT_TRUE(::PeekMessageA(&message, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
    EXPECT_EQ(message.wParam, 3u);
}

// A visible top-level window whose title holds `text`.
BOOL CALLBACK MatchTitle(HWND window, LPARAM parameter)
{
    auto* search = reinterpret_cast<std::pair<std::string, HWND>*>(parameter);
    char title[512] = {};
    ::GetWindowTextA(window, title, sizeof title);
    if (!::IsWindowVisible(window) || std::string(title).find(search->first) == std::string::npos) return TRUE;
    search->second = window;
    return FALSE;
}

HWND FindWindowByTitle(const std::string& text)
{
    std::pair<std::string, HWND> search{text, nullptr};
    ::EnumWindows(MatchTitle, reinterpret_cast<LPARAM>(&search));
    return search.second;
}

TEST(RunAndWait, ADocumentOpensThroughTheShellAndIsWaitedFor)
{
    TempFolder temp;
    // The editor keeps its settings when it closes; they are put back as they were.
    const std::string editorSettings = "Software\\Microsoft\\Notepad";
    const lvutest::RegistryTree settings = lvutest::SaveRegistryTree(HKEY_CURRENT_USER, editorSettings);
    const std::string name = lvutest::UniqueTestName("lvu-document") + ".txt";
    WriteFile(temp.Path() + name, "opened by the shell");
    std::atomic<bool> returned{false};
    std::atomic<int> exitCode{-2};
    std::thread runner([&] {
        exitCode = RunAndWait(nullptr, temp.Path() + name, "", SW_SHOWNORMAL, "");
        returned = true;
    });
    HWND window = nullptr;
    const bool opened = lvutest::WaitFor([&] { return (window = FindWindowByTitle(name)) != nullptr; }, 30000);
    EXPECT_TRUE(opened);
    if (opened) {
        ::Sleep(300);
        EXPECT_FALSE(returned.load());  // still waiting while the document is open
        ::PostMessageA(window, WM_CLOSE, 0, 0);
        EXPECT_TRUE(lvutest::WaitFor([&] { return returned.load(); }, 15000));
        EXPECT_EQ(exitCode.load(), 0);
    }
    runner.join();
    lvutest::RestoreRegistryTree(HKEY_CURRENT_USER, editorSettings, settings);
}

// The helper program copied to <temp>\parent\app\, started and left to remove itself.
struct SelfRemoval {
    TempFolder Temp;
    std::string Parent = Temp.Path() + "parent\\";
    std::string App = Parent + "app\\";
    std::string Program = App + "uninstall.exe";

    explicit SelfRemoval(const std::string& arguments)
    {
        lvutest::MakeFolder(Parent);
        lvutest::MakeFolder(App);
        WriteFile(Parent + "sentinel.txt", "stay");
        if (!::CopyFileA(Helper().c_str(), Program.c_str(), FALSE)) return;
        std::string commandLine = "\"" + Program + "\" " + arguments;
        STARTUPINFOA startup{};
        startup.cb = sizeof startup;
        PROCESS_INFORMATION process{};
        if (!::CreateProcessA(Program.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                              &startup, &process))
            return;
        ::CloseHandle(process.hThread);
        ::WaitForSingleObject(process.hProcess, 20000);
        ::GetExitCodeProcess(process.hProcess, &ExitCode);
        ::CloseHandle(process.hProcess);
    }
    [[nodiscard]] bool BatchFilesGone() const
    {
        for (const std::string& name : lvutest::FolderNames(Parent))
            if (name.size() > 4 && name.substr(name.size() - 4) == ".bat") return false;
        return true;
    }
    DWORD ExitCode = 99;
};

TEST(RemoveOwnFile, TheProgramAndItsFolderGoAfterItEnds)
{
    SelfRemoval removal("remove-own folder");
    ASSERT_EQ(removal.ExitCode, 0u);
    EXPECT_TRUE(lvutest::WaitFor([&] { return !Exists(removal.App) && removal.BatchFilesGone(); }, 30000));
    EXPECT_TRUE(Exists(removal.Parent + "sentinel.txt"));
}

TEST(RemoveOwnFile, WithoutTheSwitchTheFolderStays)
{
    SelfRemoval removal("remove-own");
    ASSERT_EQ(removal.ExitCode, 0u);
    EXPECT_TRUE(lvutest::WaitFor([&] { return !Exists(removal.Program) && removal.BatchFilesGone(); }, 30000));
    EXPECT_TRUE(Exists(removal.App));
    EXPECT_TRUE(Exists(removal.Parent + "sentinel.txt"));
}

// The batch text as the command interpreter runs it, in folders whose names hold "%", with three tries.
TEST(RemoveOwnFile, TheBatchEndsWithTheFileGoneOrItsTriesUsedUp)
{
    TempFolder temp;
    const std::string app = temp.Path() + "App 100%\\";
    const std::string own = app + "own %PATH%.exe";
    const std::string batch = temp.Path() + "50%.bat";
    lvutest::MakeFolder(app);
    WriteFile(own, "own");
    // The batch's error output goes to a file of each run (a process the batch started may hold
    // the last one a moment longer): its first line tells that a command has failed.
    std::string errors;
    int runs = 0;
    // True when the batch has ended within a generous time; `meanwhile` runs while it runs.
    const auto runBatch = [&](int tries, const std::function<void()>& meanwhile) {
        WriteFile(batch, SelfRemovalBatch(own, app, true, batch, true, tries));
        errors = temp.Path() + "errors" + std::to_string(++runs) + ".txt";
        SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
        const unique_file errorFile(::CreateFileA(errors.c_str(), GENERIC_WRITE,
                                                  FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, &inherit,
                                                  CREATE_ALWAYS, 0, nullptr));
        std::string commandLine = "\"" + batch + "\"";
        STARTUPINFOA startup{};
        startup.cb = sizeof startup;
        startup.dwFlags = STARTF_USESTDHANDLES;
        startup.hStdError = startup.hStdOutput = errorFile.get();
        PROCESS_INFORMATION process{};
        if (!errorFile || !::CreateProcessA(nullptr, commandLine.data(), nullptr, nullptr, TRUE, CREATE_NO_WINDOW,
                                            nullptr, temp.Path().c_str(), &startup, &process))
            return false;
        const unique_kernel_handle thread(process.hThread), batchProcess(process.hProcess);
        if (meanwhile) meanwhile();
        return ::WaitForSingleObject(batchProcess.get(), 60000) == WAIT_OBJECT_0;
    };
    const auto somethingFailed = [&] {
        WIN32_FILE_ATTRIBUTE_DATA data{};
        return ::GetFileAttributesExA(errors.c_str(), GetFileExInfoStandard, &data) && data.nFileSizeLow > 0;
    };

    // Held open: the tries run out, the file and its folder stay, the batch goes all the same.
    {
        const unique_file held(::CreateFileA(own.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0,
                                             nullptr));
        ASSERT_TRUE(held);
        EXPECT_TRUE(runBatch(3, {}));
        EXPECT_TRUE(Exists(own));
        EXPECT_FALSE(Exists(batch));
    }
    // Read-only and hidden: it goes, then its folder and the batch.
    ASSERT_TRUE(::SetFileAttributesA(own.c_str(), FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN));
    EXPECT_TRUE(runBatch(3, {}));
    EXPECT_FALSE(Exists(own));
    EXPECT_FALSE(Exists(app));
    EXPECT_FALSE(Exists(batch));

    // The folder cannot go at the first try (something is left in it a moment longer): it is
    // tried again, within the same tries, and goes.
    lvutest::MakeFolder(app);
    WriteFile(own, "own");
    WriteFile(app + "late.tmp", "late");
    EXPECT_TRUE(runBatch(SelfRemovalTries, [&] {
        EXPECT_TRUE(lvutest::WaitFor(somethingFailed, 30000));  // the first "rd"
        EXPECT_TRUE(::DeleteFileA((app + "late.tmp").c_str()));
    }));
    EXPECT_FALSE(Exists(own));
    EXPECT_FALSE(Exists(app));
    EXPECT_FALSE(Exists(batch));
}

}  // namespace
