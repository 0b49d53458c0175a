// The uninstall engine run on real install logs: files, folders, registry, INI files, environment and a progress page.
#include "EngineTestSupport.h"
#include "SystemTestSupport.h"

#include "engine/Engine.h"
#include "system/Handles.h"
#include "system/Registry.h"
#include "system/Restart.h"
#include "system/SystemSeam.h"

#include <shlobj.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <stdexcept>

using namespace lvu;
using lvutest::Exists;
using lvutest::MakeFolder;
using lvutest::ReadFile;
using lvutest::WriteFile;

namespace {

const std::string SharedDlls = "HKLM\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\SharedDLLs";

const std::string StatusTexts =
    "[Strings]\r\nAppID=LvuTest\r\n10=file %s\r\n11=value %s\r\n12=key %s\r\n13=ini %s\r\n14=shortcut %s\r\n"
    "15=folder %s\r\n16=server %s\r\n17=font %s\r\n18=shared %s\r\n19=assembly %s\r\n20=variable %s\r\n";

// Values under HKLM set by a test (shared counts, fonts), removed however it ends.
struct MachineValues {
    std::vector<std::pair<std::string, std::string>> Written;
    void Count(const std::string& path, int count)
    {
        RegWriteInteger(SharedDlls, path, count);
        Written.emplace_back(SharedDlls, path);
    }
    void String(const std::string& key, const std::string& name, const std::string& data)
    {
        RegWriteString(key, name, data);
        Written.emplace_back(key, name);
    }
    ~MachineValues()
    {
        for (const auto& [key, name] : Written) RegRemoveValue(key, name);
    }
};

// A variable of this process's environment, put back afterwards.
struct OwnVariable {
    std::string Name;
    std::optional<std::string> Saved;
    OwnVariable(std::string name, const std::string& value) : Name(std::move(name))
    {
        char old[32768];
        const DWORD length = ::GetEnvironmentVariableA(Name.c_str(), old, sizeof old);
        if (length > 0 && length < sizeof old) Saved = std::string(old, length);
        ::SetEnvironmentVariableA(Name.c_str(), value.c_str());
    }
    ~OwnVariable() { ::SetEnvironmentVariableA(Name.c_str(), Saved ? Saved->c_str() : nullptr); }
};

bool KeyExists(const std::string& path)
{
    return lvutest::SaveRegistryTree(HKEY_CURRENT_USER, path.substr(5)).Exists;  // "HKCU\..."
}

// A key of HKCU that cannot be removed through the ANSI calls while this lives: it holds a
// sub-key whose name has no form in the ANSI code page (as a Unicode program may leave one).
struct UndeletableKey {
    std::wstring SubKey;
    bool Locked = false;
    explicit UndeletableKey(const std::string& path)
        : SubKey(std::wstring(path.begin() + 5, path.end()) + L"\\Lvu\u4E2D\u6587")  // "HKCU\..."
    {
        HKEY key = nullptr;
        Locked = ::RegCreateKeyExW(HKEY_CURRENT_USER, SubKey.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, &key,
                                   nullptr) == ERROR_SUCCESS;
        if (Locked) ::RegCloseKey(key);
    }
    ~UndeletableKey() { ::RegDeleteKeyW(HKEY_CURRENT_USER, SubKey.c_str()); }
};

class EngineTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        UseFamily(PlatformNT);
        for (const char* folder : {"App", "App\\Sub", "Bin", "Common", "Menu"}) MakeFolder(T(folder));
        ResetState();
    }
    void TearDown() override { ClearRebootNeeded(); }

    void UseFamily(int platform)
    {
        seam_.reset();
        seam_.emplace(lvutest::RecordingSeam(record_, platform, T(""), T(""), key_.Path() + "\\RunOnce"));
    }
    // The engine as the program leaves it before the run, this test's page and programs in place.
    void ResetState()
    {
        lvutest::ResetEngineState(log_, page_.Handle());
        page_.ClearEvents();
        Uninstall.OwnFolder = T("Bin");
        Uninstall.UninstallKey = K("Uninstall\\LvuTest");
        Uninstall.AskSharedFile = [this](const std::string& path) {
            questions_.push_back(path);
            return answer_;
        };
        RegWriteString(Uninstall.UninstallKey, "DisplayName", "Lvu Test");
    }

    [[nodiscard]] std::string T(const std::string& relative) const { return temp_.Path() + relative; }
    [[nodiscard]] std::string K(const std::string& relative) const { return key_.Path() + "\\" + relative; }
    void Files(std::initializer_list<const char*> names)
    {
        for (const char* name : names) WriteFile(T(name), name);
    }
    // A copy of the helper program that records its starts in Bin\calls.txt.
    void Program(const std::string& name)
    {
        ::CopyFileA((lvutest::BinFolder() + "lvu_engine_test_helper.exe").c_str(), T("Bin\\" + name).c_str(), FALSE);
    }
    [[nodiscard]] std::string Calls() const { return ReadFile(T("Bin\\calls.txt")); }
    void WriteLog(const std::string& sections) { WriteFile(log_, StatusTexts + sections); }

    lvutest::TempFolder temp_;
    lvutest::ScratchRegistryKey key_;
    lvutest::SeamRecord record_;
    std::optional<ScopedSeamOverride> seam_;
    lvutest::TestProgressPage page_;
    std::string log_ = temp_.Path() + "install.log";
    std::vector<std::string> questions_;
    SharedFileAnswer answer_ = SharedFileAnswer::No;
};

TEST_F(EngineTest, AWholeInstallationIsUndoneInStageOrder)
{
    UseFamily(PlatformWin95);  // environment in autoexec.bat of the test's own folder
    log_ = T("App\\install.log");
    ResetState();
    for (const char* folder : {"App\\Data", "App\\Data\\Cache", "Fonts"}) MakeFolder(T(folder));
    Files({"App\\app.exe", "App\\help.hlp", "App\\help.gid", "App\\help.fts", "App\\Sub\\a.dat", "App\\user.cfg",
           "App\\Data\\d.txt", "App\\Data\\Cache\\c.bin", "App\\server.dll", "Menu\\App.lnk", "Menu\\App.pif",
           "Common\\shared.dll", "Fonts\\lvu.ttf", "silent.ini"});
    WriteFile(T("settings.ini"), "; kept by nobody\r\n[Main]\r\nA=new\r\nB=installed\r\nno equals\r\n[main]\r\nC=x\r\n");
    for (const char* name : {"pre.exe", "post.exe", "gacutil.exe"}) Program(name);
    RegWriteString(K("Settings"), "Name", "new");
    RegWriteInteger(K("Settings"), "Added", 1);
    RegWriteString(K("Created\\Deep"), "", "");
    RegWriteString(K("Kept\\Foreign"), "", "");
    Uninstall.SilentSettings = T("silent.ini");
    MachineValues machine;
    machine.Count(T("Common\\shared.dll"), 3);
    const std::string fontsKey = "HKLM\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Fonts";
    const std::string fontName = lvutest::UniqueTestName("Lvu Test Font");
    machine.String(fontsKey, fontName, T("Fonts\\lvu.ttf"));
    // The stored value counts, not the one this process inherited.
    const OwnVariable variable(lvutest::UniqueTestName("LVU_ENGINE"), "C:\\Stale;C:\\Added");
    WriteFile(T("autoexec.bat"), "SET " + variable.Name + "=C:\\Keep;C:\\Added\r\n");

    WriteLog("[PreRunApp]\r\n1=\"" + T("Bin\\pre.exe") + "\",exit 0,,0,Preparing\r\n"
             "[SharedFiles]\r\n" + T("Common\\shared.dll") + "=1\r\n"
             "[SharedAssemblies]\r\n1=LvuAssembly,Version=1.0.0.0\r\n"
             "[Shortcuts]\r\n" + T("Menu\\App.lnk") + "=1\r\n"
             "[AddReg]\r\n" + K("Settings\\Name") + "=1,old value\r\n" + K("Settings\\Lines") + "=7,a||b\r\n" +
             K("Settings\\Added") + "=0,\r\n" + K("Settings\\Count") + "=4,4294967295\r\n"
             "[CreateKeys]\r\n" + K("Created") + "=1\r\n" + K("Created\\Deep") + "=1\r\n" + K("Kept") + "=1\r\n"
             "[AddIni]\r\n" + T("settings.ini") + ",Main,A=old\r\n" + T("settings.ini") + ",Main,B=\r\n"
             "[EnvVars]\r\n" + variable.Name + "=0,C:\\Added\r\n"
             "[RegFonts]\r\n" + fontName + "=" + T("Fonts\\lvu.ttf") + "\r\n"
             "[RegServers]\r\n" + T("App\\server.dll") + "=1\r\n"
             "[DataFiles]\r\n" + T("App\\user.cfg") + "=1\r\n"
             "[CopyFiles]\r\n" + T("App\\app.exe") + "=1\r\n" + T("App\\help.hlp") + "=1\r\n" + T("App\\Sub\\*.dat") +
             "=1\r\n" + T("App\\server.dll") + "=1\r\n" + T("Common\\shared.dll") + "=1\r\n"
             "[DataFolders]\r\n" + T("App\\Data") + "=1\r\n"
             "[CreateDirs]\r\n" + T("App") + "=1\r\n" + T("App\\Sub") + "=1\r\n" + T("Menu") + "=1\r\n"
             "[RunApp]\r\n1=" + T("Bin\\post.exe") + ",exit 0,,0,Finishing\r\n");

    EXPECT_TRUE(RunUninstall());

    const std::vector<std::string> expected{
        "icon 301", "range 0-100", "step 1", "text Preparing", "text shared " + T("Common\\shared.dll"),
        "text assembly LvuAssembly", "icon 302", "icon 304", "text shortcut " + T("Menu\\App.lnk"), "icon 305",
        "icon 307", "text value " + K("Settings\\Name"), "text value " + K("Settings\\Lines"),
        "text value " + K("Settings\\Added"), "text value " + K("Settings\\Count"), "text key " + K("Kept"),
        "text key " + K("Created\\Deep"), "text key " + K("Created"), "text ini " + T("settings.ini"),
        "text ini " + T("settings.ini"), "text variable " + variable.Name, "icon 308", "icon 310",
        "text font " + fontName, "icon 311", "icon 313", "text server " + T("App\\server.dll"), "icon 314",
        "icon 316", "text file " + T("App\\user.cfg"), "text file " + T("App\\app.exe"),
        "text file " + T("App\\help.hlp"), "text file " + T("App\\help.gid"), "text file " + T("App\\help.fts"),
        "text file " + T("App\\Sub\\a.dat"), "text file " + T("App\\server.dll"), "text folder " + T("App\\Data"),
        "text folder " + T("Menu"), "text folder " + T("App\\Sub"), "text folder " + T("App"), "icon 317",
        "icon 319", "text Finishing", "icon 320"};
    EXPECT_EQ(page_.Script(), expected);
    const std::vector<int> positions = page_.Positions();
    EXPECT_EQ(positions.size(), 26u);
    EXPECT_TRUE(std::is_sorted(positions.begin(), positions.end()));
    EXPECT_EQ(page_.Position(), 100);
    EXPECT_EQ(Uninstall.PageResult.load(), PageResultNext);

    EXPECT_EQ(Calls(), "pre.exe exit 0\ngacutil.exe /ur LvuAssembly,Version=1.0.0.0\npost.exe exit 0\n");
    // The shared file is used by someone else still.
    EXPECT_TRUE(Exists(T("Common\\shared.dll")));
    EXPECT_EQ(RegReadInteger(SharedDlls, T("Common\\shared.dll"), 0), 2);
    // Files, folders (the log's own included) and shortcuts.
    EXPECT_FALSE(Exists(T("App")));
    EXPECT_FALSE(Exists(T("Menu")));
    EXPECT_FALSE(Exists(T("Fonts\\lvu.ttf")));
    EXPECT_FALSE(RegValueExists(fontsKey, fontName));
    // Registry values back as they were, created keys gone deepest first, a foreign sub-key kept.
    EXPECT_EQ(RegReadString(K("Settings"), "Name", "?"), "old value");
    EXPECT_EQ(RegReadString(K("Settings"), "Lines", "?"), "a\r\nb");
    EXPECT_EQ(RegReadString(K("Settings"), "Count", "?"), "4294967295");
    EXPECT_FALSE(RegValueExists(K("Settings"), "Added"));
    EXPECT_FALSE(KeyExists(K("Created")));
    EXPECT_TRUE(KeyExists(K("Kept\\Foreign")));
    // The INI file changes in the logged lines only.
    EXPECT_EQ(ReadFile(T("settings.ini")), "; kept by nobody\r\n[Main]\r\nA=old\r\nno equals\r\n[main]\r\nC=x\r\n");
    EXPECT_EQ(ReadFile(T("autoexec.bat")), "SET " + variable.Name + "=C:\\Keep\r\n");
    EXPECT_TRUE(RebootNeeded());
    // Success takes the last traces.
    EXPECT_FALSE(KeyExists(Uninstall.UninstallKey));
    EXPECT_FALSE(Exists(T("silent.ini")));
}

TEST_F(EngineTest, AFailingPreRunProgramLeavesEverythingAsItWas)
{
    Files({"App\\app.exe"});
    Program("pre.exe");
    RegWriteString(K("Settings"), "Name", "new");
    WriteLog("[PreRunApp]\r\n1=" + T("Bin\\pre.exe") + ",exit 1,,0,Checking\r\n2=" + T("Bin\\pre.exe") +
             ",exit 0\r\n[CopyFiles]\r\n" + T("App\\app.exe") + "=1\r\n[AddReg]\r\n" + K("Settings\\Name") +
             "=0,\r\n[CreateDirs]\r\n" + T("App") + "=1\r\n");

    EXPECT_FALSE(RunUninstall());

    EXPECT_EQ(Calls(), "pre.exe exit 1\n");
    EXPECT_EQ(page_.Script(), (std::vector<std::string>{"icon 301", "range 0-100", "step 1", "text Checking"}));
    EXPECT_EQ(page_.Position(), 0);
    EXPECT_EQ(Uninstall.PageResult.load(), PageResultNext);
    EXPECT_TRUE(Exists(T("App\\app.exe")));
    EXPECT_EQ(RegReadString(K("Settings"), "Name", "?"), "new");
    EXPECT_TRUE(KeyExists(Uninstall.UninstallKey));
    EXPECT_TRUE(Exists(log_));
    EXPECT_EQ(Uninstall.Outcome, UninstallOutcome::NotBegun);

    // Without its progress page the worker does nothing at all.
    ResetState();
    Uninstall.ShowProgressPage = [] { throw std::runtime_error("no page"); };
    EXPECT_THROW((void)RunUninstall(), std::runtime_error);
    EXPECT_TRUE(page_.Events().empty());
    EXPECT_EQ(Calls(), "pre.exe exit 1\n");
    EXPECT_TRUE(Exists(T("App\\app.exe")));
    EXPECT_EQ(Uninstall.Outcome, UninstallOutcome::NotBegun);
}

TEST_F(EngineTest, AFailingPostRunProgramKeepsTheUninstallKeyAndTheLog)
{
    // The log in a folder the installation made: it stays there until the run has succeeded.
    log_ = T("App\\install.log");
    ResetState();
    Uninstall.SilentSettings = T("silent.ini");
    Files({"App\\app.exe", "silent.ini", "Common\\shared.dll"});
    // Another product uses the shared file too: every run but one must leave its count alone.
    MachineValues machine;
    machine.Count(T("Common\\shared.dll"), 3);
    WriteLog("[SharedFiles]\r\n" + T("Common\\shared.dll") + "=1\r\n[CopyFiles]\r\n" + T("App\\app.exe") + "=1\r\n" +
             T("Common\\shared.dll") + "=1\r\n[CreateDirs]\r\n" + T("App") + "=1\r\n" + T("App\\Sub") +
             "=1\r\n[RunApp]\r\n1=" + T("Bin\\post.exe") + ",,,0,Finishing,0\r\n");
    EXPECT_FALSE(RunUninstall());
    EXPECT_EQ(Uninstall.Outcome, UninstallOutcome::Failed);
    EXPECT_EQ(RegReadInteger(SharedDlls, T("Common\\shared.dll"), 0), 2);
    EXPECT_FALSE(Exists(T("App\\app.exe")));
    EXPECT_FALSE(Exists(T("App\\Sub")));
    EXPECT_TRUE(page_.IconVisible(319));
    EXPECT_FALSE(page_.IconVisible(320));
    EXPECT_TRUE(KeyExists(Uninstall.UninstallKey));
    EXPECT_TRUE(Exists(log_));
    EXPECT_TRUE(Exists(T("silent.ini")));

    // The cause gone, a second run succeeds; an uninstall key that cannot be removed keeps the
    // log and the silent settings with it.
    Program("post.exe");
    ResetState();
    Uninstall.SilentSettings = T("silent.ini");
    {
        const UndeletableKey locked(Uninstall.UninstallKey);
        ASSERT_TRUE(locked.Locked);
        EXPECT_FALSE(RunUninstall());
        EXPECT_EQ(Uninstall.Outcome, UninstallOutcome::EntryKept);
        EXPECT_TRUE(KeyExists(Uninstall.UninstallKey));
        EXPECT_TRUE(Exists(log_));
        EXPECT_TRUE(Exists(T("silent.ini")));
    }
    ResetState();
    Uninstall.SilentSettings = T("silent.ini");
    EXPECT_TRUE(RunUninstall());
    EXPECT_EQ(Uninstall.Outcome, UninstallOutcome::Succeeded);
    EXPECT_EQ(RegReadInteger(SharedDlls, T("Common\\shared.dll"), 0), 2);
    EXPECT_TRUE(Exists(T("Common\\shared.dll")));
    EXPECT_TRUE(lvutest::WaitFor([&] { return Calls() == "post.exe\npost.exe\n"; }));  // started without waiting
    EXPECT_FALSE(KeyExists(Uninstall.UninstallKey));
    EXPECT_FALSE(Exists(T("silent.ini")));
    EXPECT_FALSE(Exists(T("App")));  // its folder too, once the log has gone

    // Unchecked, the same missing program is no failure; a nameless one never starts.
    log_ = T("install.log");
    ResetState();
    WriteLog("[RunApp]\r\n1=" + T("Bin\\missing.exe") + ",,,0,Finishing,1,0\r\n");
    EXPECT_TRUE(RunUninstall());
    EXPECT_FALSE(KeyExists(Uninstall.UninstallKey));
    EXPECT_FALSE(Exists(log_));
    ResetState();
    WriteLog("[PreRunApp]\r\n1=,,,0,Nothing,0\r\n");
    EXPECT_FALSE(RunUninstall());
}

TEST_F(EngineTest, SharedFilesStayWhileCountedOrWhenTheAnswerIsNoToAll)
{
    Files({"Common\\three.dll", "Common\\one.dll", "Common\\later.dll", "Common\\unlisted.dll", "App\\plain.dll"});
    MachineValues machine;
    for (const auto& [name, count] : {std::pair{"three.dll", 3}, {"one.dll", 1}, {"later.dll", 1}, {"unlisted.dll", 1}})
        machine.Count(T("Common\\") + name, count);
    answer_ = SharedFileAnswer::NoToAll;
    WriteLog("[SharedFiles]\r\n" + T("Common\\three.dll") + "=1\r\n" + T("Common\\unlisted.dll") + "=1\r\n" +
             T("Common\\one.dll") + "=1\r\n" + T("Common\\later.dll") + "=1\r\n[CopyFiles]\r\n" +
             T("Common\\three.dll") + "=1\r\n" + T("Common\\one.dll") + "=1\r\n" + T("Common\\later.dll") + "=1\r\n" +
             T("App\\plain.dll") + "=1\r\n[RegServers]\r\n" + T("Common\\one.dll") + "=1\r\n");

    ASSERT_TRUE(RunUninstall());

    EXPECT_EQ(questions_, (std::vector<std::string>{T("Common\\one.dll")}));
    EXPECT_EQ(RegReadInteger(SharedDlls, T("Common\\three.dll"), 0), 2);
    for (const char* name : {"one.dll", "later.dll", "unlisted.dll"}) {
        EXPECT_EQ(RegReadInteger(SharedDlls, T("Common\\") + name, 0), 1) << name;
        EXPECT_TRUE(Exists(T("Common\\") + name)) << name;
    }
    EXPECT_TRUE(Exists(T("Common\\three.dll")));
    EXPECT_FALSE(Exists(T("App\\plain.dll")));
    // A kept shared file is not unregistered either.
    for (const std::string& event : page_.Script()) EXPECT_EQ(event.find("text server"), std::string::npos) << event;
}

TEST_F(EngineTest, SharedFilesGoWithYesAndWithoutQuestionWhenSilent)
{
    Files({"Common\\a.dll", "Common\\b.dll"});
    MachineValues machine;
    machine.Count(T("Common\\a.dll"), 1);
    machine.Count(T("Common\\b.dll"), 0);
    const std::string log = "[SharedFiles]\r\n" + T("Common\\a.dll") + "=1\r\n" + T("Common\\b.dll") +
                            "=1\r\n[CopyFiles]\r\n" + T("Common\\a.dll") + "=1\r\n" + T("Common\\b.dll") + "=1\r\n";
    WriteLog(log);
    answer_ = SharedFileAnswer::Yes;
    ASSERT_TRUE(RunUninstall());
    EXPECT_EQ(questions_, (std::vector<std::string>{T("Common\\a.dll"), T("Common\\b.dll")}));
    for (const char* name : {"a.dll", "b.dll"}) {
        EXPECT_FALSE(Exists(T("Common\\") + name)) << name;
        EXPECT_FALSE(RegValueExists(SharedDlls, T("Common\\") + name)) << name;
    }

    Files({"Common\\a.dll"});
    machine.Count(T("Common\\a.dll"), 1);
    WriteLog(log);
    ResetState();
    Uninstall.Silent = true;
    questions_.clear();
    ASSERT_TRUE(RunUninstall());
    EXPECT_TRUE(questions_.empty());
    EXPECT_FALSE(Exists(T("Common\\a.dll")));
    EXPECT_TRUE(page_.Events().empty());  // nothing shown when silent
}

TEST_F(EngineTest, TheSharedFileDialogAsksOnceForNoToAll)
{
    Files({"Common\\a.dll", "Common\\b.dll"});
    MachineValues machine;
    machine.Count(T("Common\\a.dll"), 1);
    machine.Count(T("Common\\b.dll"), 1);
    WriteLog("[Dialog.DLG_DELSHARED]\r\nCaption=Lvu shared file\r\n110=No to all\r\n[SharedFiles]\r\n" +
             T("Common\\a.dll") + "=1\r\n" + T("Common\\b.dll") + "=1\r\n[CopyFiles]\r\n" + T("Common\\a.dll") +
             "=1\r\n" + T("Common\\b.dll") + "=1\r\n");
    Uninstall.AskSharedFile = AskSharedFileDialog;
    std::vector<std::string> seen;
    Uninstall.ShowProgressPage = [&] {
        ::ShowWindow(page_.Handle(), SW_SHOWNOACTIVATE);
        ResumeWorker();
        lvutest::WaitFor([&] {
            const HWND dialog = ::FindWindowA(nullptr, "Lvu shared file");
            if (dialog != nullptr && seen.empty()) {
                char text[MAX_PATH] = {};
                for (const int id : {104, 106, 110}) {
                    ::GetDlgItemTextA(dialog, id, text, MAX_PATH);
                    seen.emplace_back(text);
                }
                ::PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(110, BN_CLICKED),
                               reinterpret_cast<LPARAM>(::GetDlgItem(dialog, 110)));
            }
            return Uninstall.PageResult.load() != 0;
        }, 60000);
    };

    ASSERT_TRUE(RunUninstall());
    std::string folder = T("Common\\");
    folder.pop_back();
    EXPECT_EQ(seen, (std::vector<std::string>{"a.dll", folder, "No to all"}));
    EXPECT_TRUE(Exists(T("Common\\a.dll")));
    EXPECT_TRUE(Exists(T("Common\\b.dll")));
    EXPECT_EQ(RegReadInteger(SharedDlls, T("Common\\b.dll"), 0), 1);
}

TEST_F(EngineTest, PathItemsAreRemovedInEverySpellingOnThe95Family)
{
    UseFamily(PlatformWin95);
    MakeFolder(T("Long Folder Name"));
    char shortName[MAX_PATH] = {};
    ASSERT_GT(::GetShortPathNameA(T("Long Folder Name").c_str(), shortName, MAX_PATH), 0u);
    const std::string other = lvutest::UniqueTestName("LVU_OTHER");
    const std::string gone = lvutest::UniqueTestName("LVU_GONE");
    WriteFile(T("autoexec.bat"), "@ECHO OFF\r\nSET PATH=C:\\WINDOWS;c:\\LVUAPP\\Bin;;C:\\Tools ;" +
                                     std::string(shortName) + ";C:\\LvuApp\\Bin\r\nSET " + other +
                                     "=C:\\Mine\r\nSET " + gone + "=c:\\only\r\n");
    WriteLog("[EnvVars]\r\nPATH=1,C:\\LvuApp\\Bin;;c:\\lvuapp\\bin; " + T("Long Folder Name") + "\r\n" + other +
             "=0,\r\n" + gone + "=0,C:\\Only\r\n");

    ASSERT_TRUE(RunUninstall());
    // Items that were not logged stay as they were written; an entry that names nothing added
    // cannot take the variable's own items with it.
    EXPECT_EQ(ReadFile(T("autoexec.bat")), "@ECHO OFF\r\nSET PATH=C:\\WINDOWS;C:\\Tools \r\nSET " + other +
                                               "=C:\\Mine\r\n");
    EXPECT_TRUE(RebootNeeded());
}

TEST_F(EngineTest, StoredVariablesKeepTheirOtherItemsSpellingAndType)
{
    // The machine and user PATH as the registry keeps them, put back however the test ends.
    const std::string machineKey = "HKLM\\SYSTEM\\CurrentControlSet\\Control\\Session Manager\\Environment";
    const std::string userKey = "HKCU\\Environment";
    struct SavedPath {
        std::string Key;
        std::optional<StoredString> Value;
        ~SavedPath()
        {
            if (!Value) RegRemoveValue(Key, "PATH");
            else if (Value->Expandable) RegWriteExpandString(Key, "PATH", Value->Text);
            else RegWriteString(Key, "PATH", Value->Text);
        }
    } machine{machineKey, RegReadStoredString(machineKey, "PATH")}, user{userKey, RegReadStoredString(userKey, "PATH")};
    const std::string machinePath = "%SystemRoot%\\system32;%SystemRoot%;C:\\LvuApp\\Bin;%ProgramFiles%\\Other;C:\\Late";
    ASSERT_TRUE(RegWriteExpandString(machineKey, "PATH", machinePath));
    ASSERT_TRUE(RegWriteString(userKey, "PATH", "C:\\Users\\Mine;C:\\LvuApp\\Bin"));
    // This process's PATH is a merge of both, expanded, from before "C:\Late" was added.
    const OwnVariable own("PATH", "C:\\windows\\system32;C:\\windows;C:\\LvuApp\\Bin;C:\\Users\\Mine");
    char windows[MAX_PATH] = {};
    ::GetWindowsDirectoryA(windows, MAX_PATH);
    WriteLog("[EnvVars]\r\nPATH=1,c:\\lvuapp\\bin\\\r\nPATH=0,C:\\Elsewhere\r\n" +
             std::string("PATH=0,") + windows + "\\System32\r\n");

    ASSERT_TRUE(RunUninstall());
    const auto machineAfter = RegReadStoredString(machineKey, "PATH");
    ASSERT_TRUE(machineAfter.has_value());
    EXPECT_EQ(machineAfter->Text, "%SystemRoot%\\system32;%SystemRoot%;%ProgramFiles%\\Other;C:\\Late");
    EXPECT_TRUE(machineAfter->Expandable);
    // The user's scope lost only what its own line named: the expanded System32 is not there.
    const auto userAfter = RegReadStoredString(userKey, "PATH");
    ASSERT_TRUE(userAfter.has_value());
    EXPECT_EQ(userAfter->Text, "C:\\Users\\Mine;C:\\LvuApp\\Bin");
    EXPECT_FALSE(userAfter->Expandable);
    EXPECT_EQ(Uninstall.FailedLines, 0);
}

TEST_F(EngineTest, LinesCutByAControlCharacterAndMasksOnProtectedFoldersChangeNothing)
{
    const std::string nul(1, '\0');
    Files({"App\\victim.txt", "App\\Sub\\victim.dat"});
    RegWriteString(K("Settings"), "Name", "keep");
    char windows[MAX_PATH] = {};
    ::GetWindowsDirectoryA(windows, MAX_PATH);
    char desktop[MAX_PATH] = {};
    ASSERT_TRUE(SUCCEEDED(::SHGetFolderPathA(nullptr, CSIDL_DESKTOPDIRECTORY, nullptr, SHGFP_TYPE_CURRENT, desktop)));
    const std::string sentinelName = lvutest::UniqueTestName("lvu-sentinel") + ".lvu";
    const std::vector<std::string> sentinels{std::string(windows) + "\\" + sentinelName,
                                             std::string(desktop) + "\\" + sentinelName,
                                             std::string(windows).substr(0, 3) + sentinelName};
    for (const std::string& sentinel : sentinels) WriteFile(sentinel, "stay");
    std::string upward = T("App");  // climbs past the drive root, which it then means
    for (int level = 0; level < 12; ++level) upward += "\\..";
    upward += "\\*.lvu";
    // Each line read up to its NUL would name something it does not: a value, a folder, a file.
    WriteLog("[AddReg]\r\n" + K("Settings\\Name") + nul + "x=0,\r\n"
             "[CopyFiles]\r\n" + T("App\\victim.txt") + nul + ".bak=1\r\n" + windows + "\\*.lvu=1\r\n" + desktop +
             "\\*.lvu=1\r\n" + std::string(windows).substr(0, 3) + "*.lvu=1\r\n" + upward +
             "=1\r\n"
             "[DataFolders]\r\n" + T("App\\Sub") + nul + "\\Other=1\r\n"
             "[RunApp]\r\n");

    ASSERT_TRUE(RunUninstall());
    EXPECT_EQ(RegReadString(K("Settings"), "Name", "?"), "keep");
    EXPECT_TRUE(Exists(T("App\\victim.txt")));
    EXPECT_TRUE(Exists(T("App\\Sub\\victim.dat")));
    for (const std::string& sentinel : sentinels) {
        EXPECT_TRUE(Exists(sentinel)) << sentinel;
        ::DeleteFileA(sentinel.c_str());
    }
    EXPECT_EQ(Uninstall.FailedLines, 7);
    // Each is left with its reason, shown without the control character.
    const auto leftFor = [](const char* reason) {
        return std::count_if(Uninstall.LeftItems.begin(), Uninstall.LeftItems.end(), [reason](const LeftItem& left) {
            return left.Reason.find(reason) != std::string::npos && left.Item.find('\0') == std::string::npos;
        });
    };
    EXPECT_EQ(leftFor("control character"), 3);
    EXPECT_EQ(leftFor("protected folder"), 4);
    EXPECT_EQ(page_.Position(), 100);

    // A program named up to a NUL is some other program: the run fails, nothing is started.
    Program("post.exe");
    WriteLog("[RunApp]\r\n1=" + T("Bin\\post.exe") + nul + "x,exit 0\r\n");
    ResetState();
    EXPECT_FALSE(RunUninstall());
    EXPECT_EQ(Calls(), "");
}

TEST_F(EngineTest, TheBarFollowsTheLinesAndEveryStageIsMarked)
{
    WriteLog("");
    ASSERT_TRUE(RunUninstall());
    EXPECT_EQ(page_.Position(), 0);
    EXPECT_TRUE(page_.Positions().empty());
    // The three pictures of a stage lie on one another: only the "done" one is left.
    for (int stage = 0; stage < StageCount; ++stage) {
        EXPECT_FALSE(page_.IconVisible(StageIconBaseId + 3 * stage)) << stage;
        EXPECT_FALSE(page_.IconVisible(StageIconBaseId + 1 + 3 * stage)) << stage;
        EXPECT_TRUE(page_.IconVisible(StageIconBaseId + 2 + 3 * stage)) << stage;
    }
    EXPECT_EQ(Uninstall.PageResult.load(), PageResultNext);

    ResetState();
    std::string shortcuts = "[Shortcuts]\r\n";
    for (int line = 0; line < 8; ++line) shortcuts += T("Menu\\missing" + std::to_string(line)) + "=1\r\n";
    WriteLog(shortcuts);
    ASSERT_TRUE(RunUninstall());
    // Eighths: the halves go to the even neighbour.
    EXPECT_EQ(page_.Positions(), (std::vector<int>{12, 25, 38, 50, 62, 75, 88, 100}));

    // Data the user keeps is neither counted nor touched.
    ResetState();
    Uninstall.RemoveData = false;
    MakeFolder(T("App\\Data"));
    Files({"App\\user.cfg"});
    WriteLog("[DataFiles]\r\n" + T("App\\user.cfg") + "=1\r\n[DataFolders]\r\n" + T("App\\Data") + "=1\r\n[Shortcuts]\r\n" +
             T("Menu\\a") + "=1\r\n" + T("Menu\\b") + "=1\r\n");
    ASSERT_TRUE(RunUninstall());
    EXPECT_EQ(page_.Positions(), (std::vector<int>{50, 100}));
    EXPECT_TRUE(Exists(T("App\\user.cfg")));
    EXPECT_TRUE(Exists(T("App\\Data")));
}

TEST_F(EngineTest, AFontInUseGoesAtTheRestartAndASharedOneStays)
{
    const std::string fontsKey = "HKLM\\SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Fonts";
    MakeFolder(T("Fonts"));
    Files({"Fonts\\busy.ttf", "Fonts\\shared.ttf"});
    MachineValues machine;
    const std::string busy = lvutest::UniqueTestName("Lvu Busy"), shared = lvutest::UniqueTestName("Lvu Shared");
    machine.String(fontsKey, busy, T("Fonts\\busy.ttf"));
    machine.String(fontsKey, shared, T("Fonts\\shared.ttf"));
    WriteLog("[SharedFiles]\r\n" + T("Fonts\\shared.ttf") + "=1\r\n[RegFonts]\r\n" + busy + "=" + T("Fonts\\busy.ttf") +
             "\r\n" + shared + "=" + T("Fonts\\shared.ttf") + "\r\n");
    const unique_file held(::CreateFileA(T("Fonts\\busy.ttf").c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                         OPEN_EXISTING, 0, nullptr));
    ASSERT_TRUE(held);

    ASSERT_TRUE(RunUninstall());
    EXPECT_EQ(record_.Scheduled, (std::vector<std::pair<std::string, std::string>>{{T("Fonts\\busy.ttf"), ""}}));
    EXPECT_TRUE(RebootNeeded());
    EXPECT_FALSE(RegValueExists(fontsKey, busy));
    EXPECT_TRUE(RegValueExists(fontsKey, shared));
    EXPECT_TRUE(Exists(T("Fonts\\shared.ttf")));
}

TEST_F(EngineTest, MalformedLinesAreSkippedWithoutHarm)
{
    WriteFile(T("keep.ini"), "[Sec]\r\nA=1\r\n");
    const std::string huge(1 << 20, 'x');
    WriteLog("[AddReg]\r\nLvuNoKey=1,x\r\n=\r\n" + K("Bad") + "=text,x\r\n" + huge +
             "\r\n[AddIni]\r\n" + T("keep.ini") + ",Sec=1\r\n" + T("keep.ini") + "=1\r\n,Sec,A=1\r\n" + huge + "=\r\n"
             "[EnvVars]\r\n=1,C:\\x\r\n=\r\n"
             "[CreateKeys]\r\n=\r\n[Shortcuts]\r\n=\r\n[CopyFiles]\r\n=\r\n" + huge + "=1\r\n"
             "[DataFolders]\r\n=\r\n[CreateDirs]\r\n=\r\n[RegFonts]\r\n=\r\n[RegServers]\r\n=\r\n"
             "[SharedAssemblies]\r\n=\r\n[SharedFiles]\r\n=\r\n" + huge + "=1\r\n");
    ASSERT_TRUE(RunUninstall());
    EXPECT_EQ(ReadFile(T("keep.ini")), "[Sec]\r\nA=1\r\n");
    EXPECT_FALSE(RegValueExists("HKCU", "LvuNoKey"));
    EXPECT_TRUE(KeyExists(key_.Path()));
    EXPECT_EQ(page_.Position(), 100);
}

TEST_F(EngineTest, OtherProgramsIniFilesChangeInTheLoggedLineOnly)
{
    const std::string utf16("\xFF\xFE[\0A\0]\0\r\0\n\0k\0=\0" "1\0\r\0\n\0", 22);
    const std::vector<std::pair<std::string, std::string>> files{
        {"lf.ini", "[A]\nk=new\nother=1\n"},
        {"crlf.ini", "; settings\r\n[A]\r\n  k = \"new value\"  \r\nplain line\r\n\r\n[B]\r\nx=1\r\n[a]\r\nk=later\r\n"},
        {"bom.ini", "\xEF\xBB\xBF[A]\r\nk=new\r\nadded=1\r\n"},
        {"utf16.ini", utf16},
        {"readonly.ini", "[A]\r\nk=new\r\n"},
        {"same.ini", "[A]\r\nk=old\r\n"}};
    std::string log = "[AddIni]\r\n";
    for (const auto& [name, content] : files) {
        WriteFile(T(name), content);
        log += T(name) + ",A,k=old\r\n";
    }
    log += T("lf.ini") + ",B,n=2\r\n" + T("bom.ini") + ",A,added=\r\n" + T("crlf.ini") + ",A,n=3\r\n";
    ::SetFileAttributesA(T("readonly.ini").c_str(), FILE_ATTRIBUTE_READONLY);
    WriteLog(log);

    ASSERT_TRUE(RunUninstall());
    EXPECT_EQ(ReadFile(T("lf.ini")), "[A]\nk=old\nother=1\n[B]\nn=2\n");
    EXPECT_EQ(ReadFile(T("crlf.ini")),
              "; settings\r\n[A]\r\n  k = \"old\"  \r\nplain line\r\nn=3\r\n\r\n[B]\r\nx=1\r\n[a]\r\nk=later\r\n");
    EXPECT_EQ(ReadFile(T("bom.ini")), "\xEF\xBB\xBF[A]\r\nk=old\r\n");
    EXPECT_EQ(ReadFile(T("utf16.ini")), utf16);
    EXPECT_EQ(ReadFile(T("readonly.ini")), "[A]\r\nk=new\r\n");
    EXPECT_EQ(ReadFile(T("same.ini")), "[A]\r\nk=old\r\n");
    EXPECT_EQ(Uninstall.FailedLines, 2);  // the UTF-16 file and the read-only one
    EXPECT_EQ(page_.Position(), 100);
    ::SetFileAttributesA(T("readonly.ini").c_str(), FILE_ATTRIBUTE_NORMAL);
}

TEST_F(EngineTest, TheProgramFileIsCountedDownOrRemoved)
{
    char own[MAX_PATH * 2] = {};
    ::GetModuleFileNameA(nullptr, own, sizeof own);
    MachineValues machine;
    machine.Count(own, 3);
    EXPECT_TRUE(FinishUninstall());
    EXPECT_EQ(RegReadInteger(SharedDlls, own, 0), 2);
    EXPECT_TRUE(record_.Scheduled.empty());

    // The last user, with a restart ahead: the file goes at the restart.
    machine.Count(own, 1);
    SetRebootNeeded();
    EXPECT_TRUE(FinishUninstall());
    EXPECT_FALSE(RegValueExists(SharedDlls, own));
    EXPECT_EQ(record_.Scheduled, (std::vector<std::pair<std::string, std::string>>{{own, ""}}));

    // Without a restart the program removes itself and its folder once it has ended.
    MakeFolder(T("Uninstaller"));
    const std::string program = T("Uninstaller\\uninstall.exe");
    ASSERT_TRUE(::CopyFileA((lvutest::BinFolder() + "lvu_engine_test_helper.exe").c_str(), program.c_str(), FALSE));
    machine.Count(program, 1);
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    std::string commandLine = "\"" + program + "\" finish";
    ASSERT_TRUE(::CreateProcessA(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                                 &process));
    const unique_kernel_handle thread(process.hThread), helper(process.hProcess);
    EXPECT_EQ(::WaitForSingleObject(helper.get(), 30000), WAIT_OBJECT_0);
    DWORD exitCode = 1;
    ::GetExitCodeProcess(helper.get(), &exitCode);
    EXPECT_EQ(exitCode, 0u);
    EXPECT_FALSE(RegValueExists(SharedDlls, program));
    EXPECT_TRUE(lvutest::WaitFor([&] { return !Exists(T("Uninstaller")); }, 60000));
}

}  // namespace
