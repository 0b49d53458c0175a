// Language files in the program: which language is configured, loading, the message table and
// the translate step of the main window and the options dialog.
#include "TestSupport.h"

#include "core/MainForm.h"
#include "core/MainFormIds.h"
#include "core/UNI_WinVer.h"
#include "language/LangForm.h"
#include "language/LanguageKeys.h"
#include "language/MessageTable.h"
#include "language/MultiLang.h"
#include "settings/OptionsForm.h"
#include "settings/Settings.h"

#include <gtest/gtest.h>

#include <fstream>
#include <set>

using namespace lvx;

namespace {

std::string TextOf(HWND control)
{
    char buffer[512] = {};
    ::GetWindowTextA(control, buffer, static_cast<int>(std::size(buffer)));
    return buffer;
}

class LanguageTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        InitPlatformFlags();
        InitProgramFolder();
    }
    // The language data is program-wide: every test leaves the built-in texts behind it.
    void TearDown() override
    {
        LanguageLoaded = false;
        Language = LanguageData{};
        ResetMessageTable();
    }
    std::string WriteFile(const std::string& name, const std::string& content)
    {
        const std::string path = folder.Path() + name;
        std::ofstream(path, std::ios::binary) << content;
        return path;
    }

    lvxtest::TempFolder folder;
    lvxtest::ScratchRegistryKey scratch;
    lvxtest::RegistryKeyBackup settings{SettingsKey};
};

TEST_F(LanguageTest, TheStoredValueDecidesWhetherALanguageIsConfigured)
{
    std::string path;
    EXPECT_FALSE(LanguageConfigured(scratch.Path(), path));  // no key at all
    lvxtest::WriteRegistryString(scratch.Path(), "Other", "x");
    EXPECT_FALSE(LanguageConfigured(scratch.Path(), path));  // no value
    lvxtest::WriteRegistryString(scratch.Path(), "Language", "Missing.lng");
    EXPECT_FALSE(LanguageConfigured(scratch.Path(), path));  // names no file
    EXPECT_EQ(path, ProgramFolder + "Missing.lng");
    EXPECT_TRUE(StoreLanguage(scratch.Path(), "English.lng"));
    EXPECT_TRUE(LanguageConfigured(scratch.Path(), path));
    EXPECT_EQ(path, ProgramFolder + "English.lng");
    EXPECT_TRUE(StoreLanguage(scratch.Path(), BuiltInLanguage));
    EXPECT_TRUE(LanguageConfigured(scratch.Path(), path));
    EXPECT_TRUE(StoreLanguage(scratch.Path(), ""));
    EXPECT_FALSE(LanguageConfigured(scratch.Path(), path));  // the folder itself is no file

    const DWORD number = 1;
    HKEY key = nullptr;
    ASSERT_EQ(::RegOpenKeyExA(HKEY_CURRENT_USER, scratch.Path().c_str(), 0, KEY_SET_VALUE, &key), ERROR_SUCCESS);
    ::RegSetValueExA(key, "Language", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&number), sizeof number);
    ::RegCloseKey(key);
    EXPECT_FALSE(LanguageConfigured(scratch.Path(), path));  // a value of another type
}

TEST_F(LanguageTest, OnlyARealFileIsLoaded)
{
    EXPECT_EQ(LoadLanguage(ProgramFolder + BuiltInLanguage), LanguageLoad::BuiltIn);
    EXPECT_FALSE(LanguageLoaded);
    EXPECT_EQ(LoadLanguage(folder.Path() + "absent.lng"), LanguageLoad::Unreadable);
    EXPECT_EQ(LoadLanguage(folder.Path()), LanguageLoad::Unreadable);
    EXPECT_FALSE(LanguageLoaded);
    EXPECT_EQ(LoadLanguage(WriteFile("bad.lng", "Caption=x\r\n[S]\r\n")), LanguageLoad::Invalid);
    EXPECT_FALSE(LanguageLoaded);
    EXPECT_EQ(LoadLanguage(WriteFile("empty.lng", "")), LanguageLoad::Loaded);
    EXPECT_TRUE(LanguageLoaded);
}

TEST_F(LanguageTest, AFileWithOnlyTheErrorCaptionLeavesEveryOtherMessageUntranslated)
{
    ASSERT_EQ(LoadLanguage(WriteFile("error.lng", "[AllVars]\r\n_ERROR=Error\r\n")), LanguageLoad::Loaded);
    LoadMessageTable();
    EXPECT_EQ(MessageText(Msg::ERROR_), "Error");
    for (size_t i = 0; i < MessageCount; ++i) {
        if (static_cast<Msg>(i) != Msg::ERROR_) {
            EXPECT_EQ(MessageText(static_cast<Msg>(i)), UntranslatedText) << i;
        }
    }
}

TEST_F(LanguageTest, WithoutAFileTheMessageTableKeepsItsBuiltInTexts)
{
    LoadMessageTable();
    EXPECT_EQ(MessageText(Msg::WindowNotReply), "<Окно не ответило на запрос>");
}

TEST_F(LanguageTest, TheEnglishFileTranslatesTheMainWindowCompletely)
{
    ASSERT_EQ(LoadLanguage(ProgramFolder + "English.lng"), LanguageLoad::Loaded);
    LoadMessageTable();
    for (size_t i = 0; i < MessageCount; ++i) EXPECT_NE(MessageText(static_cast<Msg>(i)), UntranslatedText) << i;

    TMainForm form;
    ASSERT_TRUE(form.FormCreate());  // translates itself
    std::set<std::string> looked;
    for (const TranslationTarget& target : form.TranslationTargets()) {
        EXPECT_TRUE(looked.insert(target.Key).second) << target.Key;
        EXPECT_NE(Language.LookupText(Language.LookupSection("LumivexForm"), target.Key), UntranslatedText)
            << target.Key;
    }
    const auto keys = LanguageKeysOf("LumivexForm");
    EXPECT_EQ(looked, std::set<std::string>(keys.begin(), keys.end()));

    EXPECT_EQ(TextOf(::GetDlgItem(form.Handle(), MainFormIds::LabelId(1))),
              Language.LookupText(Language.LookupSection("LumivexForm"), "WindowText"));
    EXPECT_EQ(TextOf(form.SpeedButton2.Handle()), Language.LookupText(Language.LookupSection("LumivexForm"), "MenuBtn"));
    char item[128] = {};
    ::GetMenuStringA(form.ProcessPriorityMenu(), MainFormIds::ProcessPriorityItem(1), item, 128, MF_BYCOMMAND);
    EXPECT_EQ(std::string(item), Language.LookupText(Language.LookupSection("LumivexForm"), "RealTimeProc"));
    // The extended classes stay unavailable where the system has none, whatever the text.
    const UINT state = ::GetMenuState(form.ProcessPriorityMenu(), MainFormIds::ProcessPriorityItem(3), MF_BYCOMMAND);
    EXPECT_EQ((state & MF_GRAYED) != 0, !HasExtendedPriorities);
}

TEST_F(LanguageTest, AMissingSectionShowsUntranslatedEverywhere)
{
    ASSERT_EQ(LoadLanguage(WriteFile("other.lng", "[lumivexform]\r\nWindowText=lower case section\r\n")),
              LanguageLoad::Loaded);
    TMainForm form;
    ASSERT_TRUE(form.FormCreate());
    EXPECT_EQ(TextOf(::GetDlgItem(form.Handle(), MainFormIds::LabelId(1))), UntranslatedText);
    EXPECT_EQ(TextOf(form.SpeedButton15.Handle()), UntranslatedText);
}

TEST_F(LanguageTest, TheOptionsDialogLooksUpExactlyItsKeys)
{
    TLangForm chooser(SettingsKey);
    TOptionsForm options(chooser, {});
    std::set<std::string> looked;
    for (const TranslationTarget& target : options.TranslationTargets()) looked.insert(target.Key);
    const auto keys = LanguageKeysOf("OptionsForm");
    EXPECT_EQ(looked, std::set<std::string>(keys.begin(), keys.end()));
}

}  // namespace
