// The uninstaller program in its own process: command line, log search, silent runs, the wizard pages, repair and restart.
#include "SystemTestSupport.h"
#include "WizardTestSupport.h"

#include "system/Registry.h"

#include <gtest/gtest.h>

#include <commctrl.h>

#include <algorithm>
#include <functional>
#include <memory>

using namespace lvutest;
using lvu::RegReadString;
using lvu::RegRemoveKey;
using lvu::RegValueExists;
using lvu::RegWriteInteger;
using lvu::RegWriteString;

namespace {

constexpr char SharedDlls[] = "HKLM\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\SharedDLLs";
constexpr char UninstallRoot[] = "\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\";
constexpr const char* PageNames[] = {"DLG_START",     "DLG_BEFOREUNINSTALL", "DLG_BEFOREREPAIR",
                                     "DLG_BROWSEFORSETUP", "DLG_UNINSTALL", "DLG_REBOOT",
                                     "DLG_UNINSTALLSUCCEEDED", "DLG_DELSHARED", "DLG_ITEMSLEFT"};

// Presses the button that closes the window and waits until it has gone, so that the next page
// found is never the one that was just left (it stays until its successor is up).
void Leave(HWND window, int id)
{
    Press(window, id);
    EXPECT_TRUE(WaitFor([window] { return !::IsWindow(window); })) << "window of button " << id;
}

// The captions the tests find the pages by.
std::string PageCaption(const std::string& page)
{
    return "Lvu " + page;
}

class WizardTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        for (const char* folder : {"Prog", "App", "App\\Data", "Common", "Setup"}) MakeFolder(T(folder));
        WriteFile(T("sentinel.txt"), "stays");
        WriteFile(T("App\\sentinel.txt"), "stays");
    }
    void TearDown() override
    {
        // A program, or the batch file's command interpreter, that has just ended may hold its
        // file or its current folder a moment longer.
        EXPECT_TRUE(WaitFor([this] { return RemoveTree(temp_.Path()); }, 30000));
        RegRemoveKey(Key("HKCU"), true);
        RegRemoveKey(Key("HKLM"), true);
        for (const std::string& name : sharedCounts_) lvu::RegRemoveValue(SharedDlls, name);
        ::SetEnvironmentVariableA("LVU_WIZARD_RECORD", nullptr);
        ::SetEnvironmentVariableA("LVU_WIZARD_RIGHTS", nullptr);
    }

    [[nodiscard]] std::string T(const std::string& relative) const { return temp_.Path() + relative; }
    [[nodiscard]] std::string Key(const std::string& root) const { return root + UninstallRoot + appId_; }
    [[nodiscard]] std::string Program() const { return T("Prog\\uninstall.exe"); }

    // The program copied into its own folder (it removes itself there); the seamed build records
    // restarts in the test's folder instead of restarting.
    void InstallProgram(bool seamed = false)
    {
        const std::string built = BinFolder() + (seamed ? "lvu_seamed_uninstall.exe" : "uninstall.exe");
        ASSERT_TRUE(::CopyFileA(built.c_str(), Program().c_str(), FALSE));
        if (seamed) ::SetEnvironmentVariableA("LVU_WIZARD_RECORD", temp_.Path().c_str());
    }
    // The application's uninstall key with its name, the silent-settings file and more values.
    void RegisterApplication(const std::string& root = "HKCU")
    {
        RegWriteString(Key(root), "DisplayName", "Lvu Wizard Test");
        WriteFile(T("silent.ini"), "[Silent]\r\nA=1\r\n");
        RegWriteString(Key(root), "SilentSettings", T("silent.ini"));
    }
    void SharedCount(const std::string& path, int count)
    {
        RegWriteInteger(SharedDlls, path, count);
        sharedCounts_.push_back(path);
    }
    // A log with this test's identifier, the page texts and the given sections; `strings` are
    // more lines of its "Strings".
    void WriteLog(const std::string& path, const std::string& sections, const std::string& appId = "",
                  const std::string& strings = "")
    {
        std::string text = "[Strings]\r\nAppID=" + (appId.empty() ? appId_ : appId) +
                           "\r\n1=Lvu Uninstall\r\n2=No setup program in that folder\r\n3=Administrator rights needed\r\n" +
                           strings;
        for (const char* page : PageNames)
            text += std::string("[Dialog.") + page + "]\r\nCaption=" + PageCaption(page) +
                    "\r\nTitle=Title\r\nSubtitle=Subtitle\r\n101=< Back\r\n102=Next >\r\n103=Cancel\r\n";
        WriteFile(path, text + sections);
    }
    std::unique_ptr<UninstallerProcess> Start(const std::string& arguments)
    {
        auto process = std::make_unique<UninstallerProcess>(Program(), arguments);
        EXPECT_TRUE(process->Started());
        return process;
    }
    [[nodiscard]] bool BatchFileLeft() const
    {
        for (const std::string& name : FolderNames(temp_.Path()))
            if (name.size() > 4 && name.substr(name.size() - 4) == ".bat") return true;
        return false;
    }
    // The program file (and its folder, when nothing else is left in it) goes through the batch
    // file it leaves beside that folder, which then deletes itself. A folder that keeps something
    // is tried for as long as the file would be (about a minute) before the batch gives up.
    [[nodiscard]] bool ProgramRemoved(bool folderToo = true) const
    {
        return WaitFor(
            [&] { return !Exists(Program()) && !(folderToo && Exists(T("Prog"))) && !BatchFileLeft(); },
            folderToo ? 30000 : 120000);
    }
    // Shows a page by its caption, waited for.
    HWND Page(const UninstallerProcess& process, const std::string& page) const
    {
        const HWND window = process.WaitWindow(PageCaption(page));
        EXPECT_NE(window, nullptr) << page;
        return window;
    }

    TempFolder temp_;
    std::string appId_ = UniqueTestName("LvuWizard");
    std::vector<std::string> sharedCounts_;
};

// --- Silent runs -------------------------------------------------------------------------------

TEST_F(WizardTest, SilentRunWithTheLogBesideTheProgramRemovesTheInstallation)
{
    InstallProgram();
    RegisterApplication();
    for (const char* file : {"App\\app.exe", "App\\readme.txt", "App\\Data\\user.dat", "Common\\shared.dll"})
        WriteFile(T(file), file);
    SharedCount(T("Common\\shared.dll"), 1);
    RegWriteString(Key("HKCU") + "\\Settings", "Value", "installed");
    WriteFile(T("App\\App.lnk"), "shortcut");
    WriteLog(T("Prog\\install.log"),
             "[SharedFiles]\r\n" + T("Common\\shared.dll") + "=1\r\n"
             "[Shortcuts]\r\n" + T("App\\App.lnk") + "=1\r\n"
             "[AddReg]\r\n" + Key("HKCU") + "\\Settings\\Value=5,x\r\n"
             "[CopyFiles]\r\n" + T("App\\app.exe") + "=1\r\n" + T("App\\readme.txt") + "=1\r\n" +
             T("Common\\shared.dll") + "=1\r\n"
             "[DataFiles]\r\n" + T("App\\Data\\*.dat") + "=1\r\n"
             "[DataFolders]\r\n" + T("App\\Data") + "=1\r\n");

    // The switch in upper case after a slash: no window, no question about the shared file. A
    // shortcut in use cannot go and a value of an unknown type is refused: the report says so,
    // the exit code does not.
    const std::string report = T("report.txt");
    std::unique_ptr<UninstallerProcess> process;
    {
        const lvu::unique_file held(::CreateFileA(T("App\\App.lnk").c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                                  OPEN_EXISTING, 0, nullptr));
        ASSERT_TRUE(held);
        process = Start("/S /LOG=\"" + report + "\"");
        bool windowSeen = false;
        EXPECT_TRUE(WaitFor([&] {
            windowSeen = windowSeen || !process->Windows().empty();
            return !process->Running();
        }, 60000));
        EXPECT_FALSE(windowSeen);
    }
    EXPECT_EQ(process->WaitExit(), 0u);
    const std::string text = ReadFile(report);
    for (const std::string& line : std::vector<std::string>{
             "\r\nStage 1 of 7: programs run before, shared files and assemblies\r\n",
          "\r\n  done      " + T("Common\\shared.dll") + " -- its count removed: the file goes with the program's files\r\n",
          "\r\n  refused   " + Key("HKCU") + "\\Settings\\Value -- unknown value type 5\r\n",
          "\r\n  failed    " + T("App\\App.lnk") + " -- ", "\r\nStage 6 of 7: files and folders\r\n",
          "\r\n  done      " + T("App\\app.exe") + "\r\n", "\r\nStage 7 of 7: programs run after\r\n",
          "\r\nThe uninstallation has finished; 2 item(s) left.\r\n"})
        EXPECT_NE(text.find(line), std::string::npos) << line << "\nin:\n" << text;
    // The system's own text for a file in use, with its code.
    const size_t failed = text.find("  failed    " + T("App\\App.lnk") + " -- ");
    ASSERT_NE(failed, std::string::npos);
    const std::string reason = text.substr(failed, text.find("\r\n", failed) - failed);
    EXPECT_NE(reason.find(" (32)"), std::string::npos) << reason;
    EXPECT_EQ(reason.find("-- error"), std::string::npos) << reason;
    EXPECT_EQ(RegReadString(Key("HKCU") + "\\Settings", "Value", "gone"), "gone");  // with the uninstall key
    for (const char* file : {"App\\app.exe", "App\\readme.txt", "App\\Data", "Common\\shared.dll", "silent.ini"})
        EXPECT_FALSE(Exists(T(file))) << file;
    EXPECT_FALSE(RegValueExists(SharedDlls, T("Common\\shared.dll")));
    EXPECT_EQ(RegReadString(Key("HKCU"), "DisplayName", "gone"), "gone");
    EXPECT_EQ(ReadFile(T("sentinel.txt")), "stays");
    EXPECT_EQ(ReadFile(T("App\\sentinel.txt")), "stays");
    EXPECT_TRUE(ProgramRemoved());
}

TEST_F(WizardTest, SilentRunUsesTheNamedLogAndTheMachineKey)
{
    InstallProgram();
    RegisterApplication("HKLM");  // under HKLM only: every value is read from there
    WriteFile(T("App\\named.txt"), "named");
    WriteFile(T("App\\beside.txt"), "beside");
    WriteLog(T("Prog\\install.log"), "[CopyFiles]\r\n" + T("App\\beside.txt") + "=1\r\n");
    // The log removes the uninstall key itself: the silent-settings file it named at start-up goes all the same.
    WriteLog(T("App\\install.log"), "[CopyFiles]\r\n" + T("App\\named.txt") + "=1\r\n[CreateKeys]\r\n" + Key("HKLM") +
                                        "=1\r\n");

    const auto process = Start("\"" + T("App\\install.log") + "\" -s");
    EXPECT_EQ(process->WaitExit(), 0u);
    EXPECT_FALSE(Exists(T("App\\named.txt")));
    EXPECT_FALSE(Exists(T("App\\install.log")));
    EXPECT_EQ(ReadFile(T("App\\beside.txt")), "beside");
    EXPECT_TRUE(Exists(T("Prog\\install.log")));
    EXPECT_EQ(RegReadString(Key("HKLM"), "DisplayName", "gone"), "gone");
    EXPECT_FALSE(Exists(T("silent.ini")));
    // The folder keeps the other log, so only the program file goes.
    EXPECT_TRUE(ProgramRemoved(false));
}

TEST_F(WizardTest, AFailingPreRunProgramChangesNothing)
{
    InstallProgram();
    RegisterApplication();
    ASSERT_TRUE(::CopyFileA((BinFolder() + "lvu_engine_test_helper.exe").c_str(), T("Setup\\check.exe").c_str(), FALSE));
    WriteFile(T("App\\app.exe"), "app");
    WriteLog(T("App\\install.log"), "[PreRunApp]\r\n1=\"" + T("Setup\\check.exe") + "\",exit 1,,0\r\n"
                                    "[CopyFiles]\r\n" + T("App\\app.exe") + "=1\r\n");

    const auto process = Start("/s \"" + T("App\\install.log") + "\"");
    EXPECT_EQ(process->WaitExit(), ExitFailed);
    EXPECT_TRUE(Exists(T("App\\app.exe")));
    EXPECT_TRUE(Exists(T("App\\install.log")));
    EXPECT_TRUE(Exists(T("silent.ini")));
    EXPECT_EQ(RegReadString(Key("HKCU"), "DisplayName", "gone"), "Lvu Wizard Test");
    EXPECT_TRUE(Exists(Program()));
}

TEST_F(WizardTest, AFailedRunIsToldAndLeavesAWorkingUninstallEntry)
{
    InstallProgram();
    RegisterApplication();
    MakeFolder(T("Logs"));
    WriteFile(T("App\\app.exe"), "app");
    const std::string log = T("Logs\\install.log");
    // The program at the end runs in its own folder, so that nothing it leaves behind holds the
    // uninstaller's folder.
    WriteLog(log, "[CopyFiles]\r\n" + T("App\\app.exe") + "=1\r\n[CreateDirs]\r\n" + T("Logs") + "=1\r\n[RunApp]\r\n1=\"" +
                      T("Setup\\post.exe") + "\",exit 0," + T("Setup") + ",0\r\n");
    const auto entryKept = [&] {
        EXPECT_FALSE(Exists(T("App\\app.exe")));
        EXPECT_TRUE(Exists(log));
        EXPECT_TRUE(Exists(T("silent.ini")));
        EXPECT_EQ(RegReadString(Key("HKCU"), "DisplayName", "gone"), "Lvu Wizard Test");
        EXPECT_TRUE(Exists(Program()));
        EXPECT_FALSE(BatchFileLeft());  // the program does not remove itself
    };
    // The program at the end is missing. Silent: no message.
    {
        const auto process = Start("/s \"" + log + "\"");
        bool windowSeen = false;
        EXPECT_TRUE(WaitFor([&] {
            windowSeen = windowSeen || !process->Windows().empty();
            return !process->Running();
        }, 60000));
        EXPECT_EQ(process->WaitExit(), ExitFailed);
        EXPECT_FALSE(windowSeen);
        entryKept();
    }
    // With the wizard the failure is told.
    {
        const auto process = Start("\"" + log + "\"");
        Leave(Page(*process, "DLG_START"), 102);
        Leave(Page(*process, "DLG_BEFOREUNINSTALL"), 102);
        const HWND box = process->WaitWindow("Tallow Uninstaller");
        ASSERT_NE(box, nullptr);
        EXPECT_NE(BoxText(box).find("could not be completed"), std::string::npos) << BoxText(box);
        Leave(box, IDOK);
        EXPECT_EQ(process->WaitExit(), ExitFailed);
        entryKept();
    }
    // The cause gone, the entry works: everything goes, the log's folder with the log.
    ASSERT_TRUE(::CopyFileA((BinFolder() + "lvu_engine_test_helper.exe").c_str(), T("Setup\\post.exe").c_str(), FALSE));
    const auto process = Start("/s \"" + log + "\"");
    EXPECT_EQ(process->WaitExit(), 0u);
    EXPECT_FALSE(Exists(T("Logs")));
    EXPECT_FALSE(Exists(T("silent.ini")));
    EXPECT_EQ(RegReadString(Key("HKCU"), "DisplayName", "gone"), "gone");
    EXPECT_TRUE(ProgramRemoved());
}

// --- Administrator rights -------------------------------------------------------------------------

TEST_F(WizardTest, AnAdministratorsLogIsRunElevatedOnceOrEndsWithoutRights)
{
    InstallProgram(true);
    RegisterApplication();
    WriteFile(T("App\\app.exe"), "app");
    const std::string log = T("App\\install.log");
    WriteLog(log, "[CopyFiles]\r\n" + T("App\\app.exe") + "=1\r\n", "", "AdminRights=1\r\n");
    const std::string parameters = "\"" + log + "\" /s";

    // Nobody to ask, a refused consent, and an elevated program that is still no administrator
    // (which must not ask again): the rights are missing, told even in silent mode.
    for (const char* rights : {"user", "refused", "limited-again"}) {
        ::SetEnvironmentVariableA("LVU_WIZARD_RIGHTS", rights);
        const auto process = Start(parameters);
        HWND box = nullptr;
        ASSERT_TRUE(WaitFor([&] { return (box = ::FindWindowA(nullptr, "Tallow Uninstaller")) != nullptr; }, 30000))
            << rights;
        EXPECT_EQ(BoxText(box), "Administrator rights needed") << rights;
        Leave(box, IDOK);
        EXPECT_EQ(process->WaitExit(), ExitFailed) << rights;
        EXPECT_EQ(ReadFile(T("elevations.txt")), std::string(rights) == "user" ? "" : parameters + "\n") << rights;
        ::DeleteFileA(T("elevations.txt").c_str());
        EXPECT_TRUE(Exists(T("App\\app.exe"))) << rights;
    }
    // Consent given: the elevated program does the work, and this one ends with its exit code.
    ::SetEnvironmentVariableA("LVU_WIZARD_RIGHTS", "limited");
    const auto process = Start(parameters);
    EXPECT_EQ(process->WaitExit(), 0u);
    EXPECT_EQ(ReadFile(T("elevations.txt")), parameters + "\n");
    EXPECT_FALSE(Exists(T("App\\app.exe")));
    EXPECT_EQ(RegReadString(Key("HKCU"), "DisplayName", "gone"), "gone");
    EXPECT_TRUE(ProgramRemoved());
}

// --- Logs that are not there or not acceptable -------------------------------------------------

TEST_F(WizardTest, AnInstallerOfTheOtherBitnessIsUndoneInItsRegistryViewAndSystemFolder)
{
    using lvu::RegistryView;
    if (!lvu::IsWow64System()) GTEST_SKIP() << "a 32-bit system has one registry view and one system folder";
    const RegistryView own = lvu::OwnRegistryView();
    const RegistryView other = own == RegistryView::Bits32 ? RegistryView::Bits64 : RegistryView::Bits32;
    const auto inView = [](RegistryView view, const std::function<void()>& action) {
        lvu::SetRegistryView(view);
        action();
        lvu::SetRegistryView(RegistryView::Native);
    };
    // The same keys in both views and the same file name in both system folders; the log's
    // installer, of the other bitness, wrote those of its own view and folder.
    const std::string keyPath = "HKLM\\SOFTWARE\\" + appId_;
    for (const RegistryView view : {own, other})
        inView(view, [&] {
            RegWriteString(keyPath + "\\Sub", "Value", "x");
            RegWriteString(keyPath, "Added", "x");
        });
    inView(other, [&] { RegisterApplication("HKLM"); });
    char windows[MAX_PATH] = {};
    ::GetWindowsDirectoryA(windows, MAX_PATH);
    const std::string logged = std::string(windows) + "\\System32\\" + appId_ + ".dll";
    const std::string installers = std::string(windows) + (own == RegistryView::Bits32 ? "\\Sysnative\\" : "\\SysWOW64\\") +
                                   appId_ + ".dll";
    WriteFile(installers, "the installer's");
    WriteFile(logged, "this bitness's");

    InstallProgram();
    WriteLog(T("App\\install.log"), "[AddReg]\r\n" + keyPath + "\\Added=0\r\n[CreateKeys]\r\n" + keyPath + "=1\r\n" +
                                        keyPath + "\\Sub=1\r\n[CopyFiles]\r\n" + logged + "=1\r\n");
    const auto process = Start("\"" + T("App\\install.log") + "\" -s");
    EXPECT_EQ(process->WaitExit(), 0u);

    inView(other, [&] {
        EXPECT_EQ(RegReadString(keyPath + "\\Sub", "Value", "gone"), "gone");
        EXPECT_EQ(RegReadString(keyPath, "Added", "gone"), "gone");
        EXPECT_EQ(RegReadString(Key("HKLM"), "DisplayName", "gone"), "gone");
        RegRemoveKey(Key("HKLM"), true);
        RegRemoveKey(keyPath, true);
    });
    inView(own, [&] {
        EXPECT_EQ(RegReadString(keyPath + "\\Sub", "Value", "gone"), "x");
        EXPECT_EQ(RegReadString(keyPath, "Added", "gone"), "x");
        RegRemoveKey(keyPath, true);
    });
    EXPECT_FALSE(Exists(installers));
    EXPECT_EQ(ReadFile(logged), "this bitness's");
    ::DeleteFileA(logged.c_str());
    ::DeleteFileA(installers.c_str());
    EXPECT_TRUE(ProgramRemoved());
}

TEST_F(WizardTest, WithoutAUsableLogTheProgramEndsWithFailure)
{
    InstallProgram();
    RegisterApplication();
    // Silent: no message at all.
    {
        const auto process = Start("/s");
        EXPECT_EQ(process->WaitExit(), ExitFailed);
    }
    // A log without an identifier, and one whose identifier would name a key outside the
    // application's own (here the list of all installed programs), count as no log.
    WriteFile(T("App\\no-id.log"), "[Strings]\r\n1=Lvu Uninstall\r\n");
    WriteLog(T("App\\backslash.log"), "[CopyFiles]\r\n" + T("App\\sentinel.txt") + "=1\r\n", "\\");
    const auto process =
        Start("\"" + T("App\\no-id.log") + "\" \"" + T("App\\backslash.log") + "\" \"" + T("App") + "\"");
    const HWND box = process->WaitWindow("Tallow Uninstaller");
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(BoxText(box), "Installation log file not found!");
    Leave(box, IDOK);
    EXPECT_EQ(process->WaitExit(), ExitFailed);
    EXPECT_EQ(ReadFile(T("App\\sentinel.txt")), "stays");
    EXPECT_EQ(RegReadString(Key("HKCU"), "DisplayName", "gone"), "Lvu Wizard Test");
}

// --- The wizard ---------------------------------------------------------------------------------

TEST_F(WizardTest, TheWizardLeadsThroughItsPagesToTheUninstallation)
{
    InstallProgram();
    RegisterApplication();
    RegWriteInteger(Key("HKCU"), "NoRepair", 1);
    for (const char* file : {"App\\app.exe", "App\\Data\\user.dat", "Common\\shared.dll"}) WriteFile(T(file), file);
    SharedCount(T("Common\\shared.dll"), 1);
    // An INI file the uninstaller cannot edit safely: its line is left, and the last page says so.
    const std::string utf16Ini = T("App\\wide.ini");
    WriteFile(utf16Ini, std::string("\xFF\xFE[\0A\0]\0\r\0\n\0k\0=\0" "1\0\r\0\n\0", 22));
    WriteLog(T("App\\install.log"),
             "[AddIni]\r\n" + utf16Ini + ",A,k=0\r\n"
             "[Display]\r\nForceRemoveDataFiles=1\r\nProgressColor=255\r\n"
             "[SharedFiles]\r\n" + T("Common\\shared.dll") + "=1\r\n"
             "[CopyFiles]\r\n" + T("App\\app.exe") + "=1\r\n" + T("Common\\shared.dll") + "=1\r\n"
             "[DataFiles]\r\n" + T("App\\Data\\user.dat") + "=1\r\n");
    const auto process = Start("\"" + T("App\\install.log") + "\"");

    HWND page = Page(*process, "DLG_START");
    ASSERT_NE(page, nullptr);
    EXPECT_TRUE(process->FindWindowByCaption("Lvu Uninstall") != nullptr);  // the main window
    EXPECT_TRUE(IsChecked(page, 106));
    EXPECT_FALSE(ControlEnabled(page, 107));  // no repair
    EXPECT_FALSE(ControlEnabled(page, 110));
    EXPECT_FALSE(ControlEnabled(page, 101));
    EXPECT_EQ(ControlText(page, 102), "Next >");
    Leave(page, 102);

    page = Page(*process, "DLG_BEFOREUNINSTALL");
    ASSERT_NE(page, nullptr);
    EXPECT_TRUE(ControlVisible(page, 105));
    EXPECT_TRUE(IsChecked(page, 105));
    // The user clears the box; the log does not let it stay cleared.
    ::SendMessageA(::GetDlgItem(page, 105), BM_SETCHECK, BST_UNCHECKED, 0);
    Press(page, 105);
    EXPECT_TRUE(WaitFor([&] { return IsChecked(page, 105); }));
    Leave(page, 101);
    page = Page(*process, "DLG_START");
    ASSERT_NE(page, nullptr);
    Leave(page, 102);
    page = Page(*process, "DLG_BEFOREUNINSTALL");
    ASSERT_NE(page, nullptr);
    Leave(page, 102);

    // The worker asks about the shared file on the progress page; "No" keeps it.
    const HWND question = Page(*process, "DLG_DELSHARED");
    ASSERT_NE(question, nullptr);
    const HWND progress = process->FindWindowByCaption(PageCaption("DLG_UNINSTALL"));
    ASSERT_NE(progress, nullptr);
    // Above the page it belongs to, where the user can answer it (windows come top first).
    EXPECT_TRUE(WaitFor([&] {
        const std::vector<HWND> windows = process->Windows();
        const auto first =
            std::find_if(windows.begin(), windows.end(), [&](HWND w) { return w == question || w == progress; });
        return first != windows.end() && *first == question;
    }));
    EXPECT_FALSE(ControlEnabled(progress, 102));
    // Stage 1 under way, the others not yet, one picture each; the bar in the log's colour.
    EXPECT_FALSE(ControlVisible(progress, 300));
    EXPECT_TRUE(ControlVisible(progress, 301));
    EXPECT_FALSE(ControlVisible(progress, 302));
    EXPECT_TRUE(ControlVisible(progress, 303));
    EXPECT_FALSE(ControlVisible(progress, 304));
    EXPECT_FALSE(ControlVisible(progress, 305));
    EXPECT_EQ(::SendMessageA(::GetDlgItem(progress, 106), PBM_GETBARCOLOR, 0, 0), 255);
    EXPECT_EQ(ControlText(question, 104), "shared.dll");
    Leave(question, 109);

    page = Page(*process, "DLG_UNINSTALLSUCCEEDED");
    ASSERT_NE(page, nullptr);
    // The new page replaces the old one once it is up.
    EXPECT_TRUE(WaitFor([&] { return process->FindWindowByCaption(PageCaption("DLG_UNINSTALL")) == nullptr; }));
    EXPECT_EQ(process->FindWindowByCaption(PageCaption("DLG_REBOOT")), nullptr);
    EXPECT_NE(ControlText(page, 120).find("1 item(s)"), std::string::npos) << ControlText(page, 120);
    ASSERT_TRUE(ControlVisible(page, 121));
    Press(page, 121);
    const HWND list = Page(*process, "DLG_ITEMSLEFT");
    ASSERT_NE(list, nullptr);
    EXPECT_EQ(ControlText(list, 101), utf16Ini + ",A,k -- the file cannot be edited safely (its encoding, or the line's form)\r\n");
    Leave(list, 102);
    Leave(page, 102);
    EXPECT_EQ(process->WaitExit(), 0u);
    EXPECT_FALSE(Exists(T("App\\app.exe")));
    EXPECT_FALSE(Exists(T("App\\Data\\user.dat")));
    EXPECT_EQ(ReadFile(T("Common\\shared.dll")), "Common\\shared.dll");
    EXPECT_EQ(RegReadString(Key("HKCU"), "DisplayName", "gone"), "gone");
    EXPECT_TRUE(ProgramRemoved());
}

TEST_F(WizardTest, CancelOrAClearedDataBoxLeavesWhatItShould)
{
    InstallProgram();
    RegisterApplication();
    for (const char* file : {"App\\app.exe", "App\\Data\\user.dat"}) WriteFile(T(file), file);
    WriteLog(T("App\\install.log"), "[CopyFiles]\r\n" + T("App\\app.exe") + "=1\r\n"
                                    "[DataFiles]\r\n" + T("App\\Data\\user.dat") + "=1\r\n");
    // Cancel on the second page: nothing changes.
    {
        const auto process = Start("\"" + T("App\\install.log") + "\"");
        Leave(Page(*process, "DLG_START"), 102);
        Leave(Page(*process, "DLG_BEFOREUNINSTALL"), 103);
        EXPECT_EQ(process->WaitExit(), ExitFailed);
        EXPECT_TRUE(Exists(T("App\\app.exe")));
        EXPECT_TRUE(Exists(T("App\\install.log")));
        EXPECT_EQ(RegReadString(Key("HKCU"), "DisplayName", "gone"), "Lvu Wizard Test");
    }
    // Data files kept when the box is cleared; the program files go.
    const auto process = Start("\"" + T("App\\install.log") + "\"");
    Leave(Page(*process, "DLG_START"), 102);
    const HWND page = Page(*process, "DLG_BEFOREUNINSTALL");
    ::SendMessageA(::GetDlgItem(page, 105), BM_SETCHECK, BST_UNCHECKED, 0);
    Press(page, 105);
    Leave(page, 102);
    Leave(Page(*process, "DLG_UNINSTALLSUCCEEDED"), 102);
    EXPECT_EQ(process->WaitExit(), 0u);
    EXPECT_FALSE(Exists(T("App\\app.exe")));
    EXPECT_EQ(ReadFile(T("App\\Data\\user.dat")), "App\\Data\\user.dat");
    EXPECT_TRUE(ProgramRemoved());
}

// --- Repair -------------------------------------------------------------------------------------

TEST_F(WizardTest, RepairStartsTheSetupProgramFoundOrChosen)
{
    InstallProgram();
    RegisterApplication();
    ASSERT_TRUE(::CopyFileA((BinFolder() + "lvu_engine_test_helper.exe").c_str(), T("Setup\\setup.exe").c_str(), FALSE));
    WriteFile(T("App\\app.exe"), "app");
    WriteLog(T("App\\install.log"), "[CopyFiles]\r\n" + T("App\\app.exe") + "=1\r\n");
    const std::string expected = "setup.exe -repair " + appId_ + "\n";

    // The logged setup file exists: the browse page is skipped.
    RegWriteString(Key("HKCU"), "InstallSourceFile", T("Setup\\setup.exe"));
    {
        const auto process = Start("\"" + T("App\\install.log") + "\"");
        HWND page = Page(*process, "DLG_START");
        ASSERT_NE(page, nullptr);
        EXPECT_TRUE(ControlEnabled(page, 107));
        ChooseRadio(page, 107, 106);
        Leave(page, 102);
        Leave(Page(*process, "DLG_BEFOREREPAIR"), 102);
        EXPECT_EQ(process->WaitExit(), 0u);
        EXPECT_TRUE(WaitFor([&] { return ReadFile(T("Setup\\calls.txt")) == expected; }));
    }
    ::DeleteFileA(T("Setup\\calls.txt").c_str());

    // A setup file that cannot be started: the repair has failed.
    WriteFile(T("Setup\\setup.lvu-none"), "not a program");
    RegWriteString(Key("HKCU"), "InstallSourceFile", T("Setup\\setup.lvu-none"));
    {
        const auto process = Start("\"" + T("App\\install.log") + "\"");
        const HWND page = Page(*process, "DLG_START");
        ASSERT_NE(page, nullptr);
        ChooseRadio(page, 107, 106);
        Leave(page, 102);
        Leave(Page(*process, "DLG_BEFOREREPAIR"), 102);
        EXPECT_EQ(process->WaitExit(), ExitFailed);
    }

    // It has moved: the user names its folder, after one that does not hold it.
    RegWriteString(Key("HKCU"), "InstallSourceFile", T("Moved\\setup.exe"));
    const auto process = Start("\"" + T("App\\install.log") + "\"");
    HWND page = Page(*process, "DLG_START");
    ChooseRadio(page, 107, 106);
    Leave(page, 102);
    Leave(Page(*process, "DLG_BEFOREREPAIR"), 102);
    page = Page(*process, "DLG_BROWSEFORSETUP");
    ASSERT_NE(page, nullptr);
    EXPECT_EQ(ControlText(page, 106), T("Moved"));
    SetControlText(page, 106, T("App"));
    Press(page, 102);
    const HWND box = process->WaitWindow("Tallow Uninstaller");
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(BoxText(box), "No setup program in that folder");
    Leave(box, IDOK);
    SetControlText(page, 106, T("Setup"));
    Leave(page, 102);
    EXPECT_EQ(process->WaitExit(), 0u);
    EXPECT_TRUE(WaitFor([&] { return ReadFile(T("Setup\\calls.txt")) == expected; }));
    // Repair removes nothing.
    EXPECT_TRUE(Exists(T("App\\app.exe")));
    EXPECT_TRUE(Exists(T("App\\install.log")));
    EXPECT_EQ(RegReadString(Key("HKCU"), "DisplayName", "gone"), "Lvu Wizard Test");
    EXPECT_TRUE(Exists(Program()));
}

// --- Restart ------------------------------------------------------------------------------------

class RestartTest : public WizardTest {
protected:
    void SetUp() override
    {
        WizardTest::SetUp();
        InstallProgram(true);
        RegisterApplication();
        WriteFile(T("App\\app.exe"), "app");
        // A changed environment variable asks for a restart (scope 2: the current user's; the
        // name is this test's own, so nothing of the user's is touched).
        WriteLog(T("App\\install.log"), "[CopyFiles]\r\n" + T("App\\app.exe") + "=1\r\n"
                                        "[EnvVars]\r\n" + UniqueTestName("LVU_WIZARD") + "=2,C:\\LvuWizardTest\r\n");
    }
    [[nodiscard]] std::string Restarts() const { return ReadFile(T("restarts.txt")); }
    [[nodiscard]] std::string Scheduled() const { return ReadFile(T("scheduled.txt")); }
};

TEST_F(RestartTest, RestartNowRestartsAndLeavesTheProgramFileToTheRestart)
{
    const auto process = Start("\"" + T("App\\install.log") + "\"");
    Leave(Page(*process, "DLG_START"), 102);
    Leave(Page(*process, "DLG_BEFOREUNINSTALL"), 102);
    const HWND page = Page(*process, "DLG_REBOOT");
    ASSERT_NE(page, nullptr);
    EXPECT_TRUE(IsChecked(page, 105));
    EXPECT_FALSE(IsChecked(page, 106));
    EXPECT_FALSE(ControlEnabled(page, 101));
    Leave(page, 102);
    EXPECT_EQ(process->WaitExit(), 0u);  // no success page waits for an answer
    EXPECT_EQ(Restarts(), std::to_string(EWX_REBOOT) + "\n");
    EXPECT_EQ(Scheduled(), Program() + "|\n");
    EXPECT_TRUE(Exists(Program()));
    EXPECT_FALSE(Exists(T("App\\app.exe")));
}

TEST_F(RestartTest, RestartLaterShowsTheSuccessPageAndRemovesTheProgramFile)
{
    const auto process = Start("\"" + T("App\\install.log") + "\"");
    Leave(Page(*process, "DLG_START"), 102);
    Leave(Page(*process, "DLG_BEFOREUNINSTALL"), 102);
    const HWND page = Page(*process, "DLG_REBOOT");
    ASSERT_NE(page, nullptr);
    ChooseRadio(page, 106, 105);
    Leave(page, 102);
    Leave(Page(*process, "DLG_UNINSTALLSUCCEEDED"), 102);
    EXPECT_EQ(process->WaitExit(), 0u);
    EXPECT_EQ(Restarts(), "");
    EXPECT_EQ(Scheduled(), "");
    EXPECT_TRUE(ProgramRemoved());
}

TEST_F(RestartTest, SilentRunRestartsWithoutAsking)
{
    const auto process = Start("\"" + T("App\\install.log") + "\" -S");
    EXPECT_EQ(process->WaitExit(), 0u);
    EXPECT_EQ(Restarts(), std::to_string(EWX_REBOOT) + "\n");
    EXPECT_EQ(Scheduled(), Program() + "|\n");
    EXPECT_FALSE(Exists(T("App\\app.exe")));
}

}  // namespace
