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
#include "about/AboutForm.h"
#include "discovery/FoundWindowsForm.h"
#include "discovery/QuickInfo.h"
#include "discovery/QuickSearchForm.h"
#include "discovery/WindowSearch.h"
#include "discovery/WindowTreeForm.h"
#include "menubrowser/MenuBrowser.h"
#include "msglog/MessageLogForm.h"
#include "resources/resource.h"
#include "settings/OptionsForm.h"
#include "settings/Settings.h"
#include "tools/ChangeSizeForm.h"
#include "tools/StylesForm.h"
#include "details/DetailsForm.h"

#include <commctrl.h>

#include <gtest/gtest.h>

#include <fstream>
#include <functional>
#include <initializer_list>
#include <set>

using namespace lvx;

namespace {

std::string TextOf(HWND control)
{
    char buffer[512] = {};
    ::GetWindowTextA(control, buffer, static_cast<int>(std::size(buffer)));
    return buffer;
}

BOOL CALLBACK AddShownText(HWND control, LPARAM texts)
{
    reinterpret_cast<std::set<std::string>*>(texts)->insert(TextOf(control));
    return TRUE;
}

struct ToolSearch {
    HWND Window;
    std::set<std::string>* Texts;
};

// The hints a tooltip of this thread holds for the window or its controls.
BOOL CALLBACK AddHints(HWND tooltip, LPARAM parameter)
{
    const auto& search = *reinterpret_cast<ToolSearch*>(parameter);
    char name[64] = {};
    ::GetClassNameA(tooltip, name, static_cast<int>(std::size(name)));
    if (lstrcmpiA(name, TOOLTIPS_CLASSA) != 0) return TRUE;
    const auto count = static_cast<UINT>(::SendMessageA(tooltip, TTM_GETTOOLCOUNT, 0, 0));
    for (UINT i = 0; i < count; ++i) {
        TTTOOLINFOA tool{};
        tool.cbSize = sizeof tool;
        if (!::SendMessageA(tooltip, TTM_ENUMTOOLSA, i, reinterpret_cast<LPARAM>(&tool))) continue;
        if (tool.hwnd != search.Window && !::IsChild(search.Window, tool.hwnd)) continue;
        char text[512] = {};
        tool.lpszText = text;
        ::SendMessageA(tooltip, TTM_GETTEXTA, std::size(text), reinterpret_cast<LPARAM>(&tool));
        search.Texts->insert(text);
    }
    return TRUE;
}

// Every text a user can see on a window of this thread: its caption, its controls' texts, the
// hints of its controls and the items of `menus`.
std::set<std::string> ShownTexts(HWND window, std::initializer_list<HMENU> menus = {})
{
    std::set<std::string> texts{TextOf(window)};
    ::EnumChildWindows(window, &AddShownText, reinterpret_cast<LPARAM>(&texts));
    ToolSearch search{window, &texts};
    ::EnumThreadWindows(::GetCurrentThreadId(), &AddHints, reinterpret_cast<LPARAM>(&search));
    for (const HMENU menu : menus) {
        for (int item = 0; item < ::GetMenuItemCount(menu); ++item) {
            char text[256] = {};
            ::GetMenuStringA(menu, static_cast<UINT>(item), text, static_cast<int>(std::size(text)), MF_BYPOSITION);
            texts.insert(text);
        }
    }
    return texts;
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

    EXPECT_EQ(TextOf(::GetDlgItem(form.Handle(), MainFormIds::WindowTextLabelId)),
              Language.LookupText(Language.LookupSection("LumivexForm"), "WindowText"));
    EXPECT_EQ(TextOf(form.menuBrowserButton_.Handle()), Language.LookupText(Language.LookupSection("LumivexForm"), "MenuBtn"));
    char item[128] = {};
    ::GetMenuStringA(form.ProcessPriorityMenu(), MainFormIds::RealTimePriorityItemId, item, 128, MF_BYCOMMAND);
    EXPECT_EQ(std::string(item), Language.LookupText(Language.LookupSection("LumivexForm"), "RealTimeProc"));
    // The extended classes stay unavailable where the system has none, whatever the text.
    const UINT state = ::GetMenuState(form.ProcessPriorityMenu(), MainFormIds::AboveNormalPriorityItemId, MF_BYCOMMAND);
    EXPECT_EQ((state & MF_GRAYED) != 0, !HasExtendedPriorities);
}

TEST_F(LanguageTest, AMissingSectionShowsUntranslatedEverywhere)
{
    ASSERT_EQ(LoadLanguage(WriteFile("other.lng", "[lumivexform]\r\nWindowText=lower case section\r\n")),
              LanguageLoad::Loaded);
    TMainForm form;
    ASSERT_TRUE(form.FormCreate());
    EXPECT_EQ(TextOf(::GetDlgItem(form.Handle(), MainFormIds::WindowTextLabelId)), UntranslatedText);
    EXPECT_EQ(TextOf(form.messagePanelButton_.Handle()), UntranslatedText);
}

TEST_F(LanguageTest, AFileOfItsOwnKeysReachesTheControlsOfAllTwelveWindows)
{
    // Every text is its own key, so each shows where it lands.
    std::string content;
    for (const LanguageSection& section : LanguageSections()) {
        content += std::string("[") + section.Name + "]\r\n";
        for (const char* key : section.Keys) content += std::string(key) + "=" + key + "\r\n";
    }
    ASSERT_EQ(LoadLanguage(WriteFile("keys.lng", content)), LanguageLoad::Loaded);
    std::set<std::string> checked;
    const auto expectShown = [&](const char* section, const std::set<std::string>& shown) {
        checked.insert(section);
        for (const char* key : LanguageKeysOf(section)) EXPECT_EQ(shown.count(key), 1u) << section << ": " << key;
    };
    // The modal windows are looked at while they show (their caption is the key "Caption").
    const auto whileShown = [&](const char* section, const std::function<void()>& show,
                                const std::function<std::set<std::string>(HWND)>& texts = {}) {
        lvxtest::DialogDriver driver({{"Caption", [&](HWND dialog) {
            expectShown(section, texts ? texts(dialog) : ShownTexts(dialog));
            ::PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
        }}});
        show();
        EXPECT_TRUE(driver.Done()) << section;
    };

    TMainForm form;
    ASSERT_TRUE(form.FormCreate());
    // The mark beside the process id shows one bitness at a time.
    std::set<std::string> mainTexts;
    WindowInfo current;
    current.Handle = form.Handle();
    for (const ProcessBits bits : {ProcessBits::Bits32, ProcessBits::Bits64}) {
        current.Bits = bits;
        form.ShowWindowInfo(current, false);
        mainTexts.merge(ShownTexts(form.Handle(), {form.ProcessPriorityMenu()}));
    }
    expectShown("LumivexForm", mainTexts);
    current.PointersRead = false;  // as a 32-bit build reads a 64-bit program: placeholders and refusals
    TMenuBrowserForm browser(current, form.Handle());
    ASSERT_TRUE(browser.FormCreate());
    expectShown("MenuBrowserForm", ShownTexts(browser.Handle()));
    TStylesForm styles(current, nullptr);
    styles.ShowParameters(form.Handle());
    expectShown("StylesForm", ShownTexts(styles.Handle()));
    ::ShowWindow(styles.Handle(), SW_HIDE);
    TDetailsForm details(current, nullptr);
    details.ShowDetails(form.Handle());
    {
        const std::vector<std::string> texts = details.ShownTexts();
        std::set<std::string> shown(texts.begin(), texts.end());
        // Values that show only in some states (another bitness, a higher integrity level, a system
        // without the DPI calls, a capture): the window holds them as the file gave them.
        for (const char* key : {"Bits32", "Bits64", "IntegrityUntrusted", "IntegrityLow", "IntegrityMedium",
                                "IntegrityHigh", "IntegritySystem", "Yes", "No", "Blocked", "BlockedText",
                                "AwarenessUnaware", "AwarenessSystem", "AwarenessPerMonitor", "AwarenessPerMonitorV2",
                                "NotAvailable", "Unreadable", "NoProperties", "None", "Remainder", "ListViewExStyle",
                                "CaptureQuestion", "CaptureFailed", "StateMinimized", "StateMaximized", "StateNormal"})
            if (details.Text(key) == key) shown.insert(key);
        expectShown("DetailsForm", shown);
    }
    ::ShowWindow(details.Handle(), SW_HIDE);

    TQuickSearchForm search;
    whileShown("QuickSearchForm", [&] { search.ShowForSimpleSearch(form.Handle()); });
    TWindowTreeForm tree(search, nullptr);
    whileShown("WindowTreeForm", [&] { tree.ShowTree(form.Handle()); }, [&](HWND dialog) {
        // The toolbar asks the window for its hints.
        std::set<std::string> texts = ShownTexts(dialog, {tree.HandleNotationMenu()});
        for (const int command : {IDM_TREE_SCAN, IDM_TREE_COLLAPSE, IDM_TREE_EXPAND, IDM_TREE_EXPANDTHIS, IDM_TREE_FIND,
                                  IDM_TREE_FINDNEXT, IDM_TREE_SAVE, IDM_TREE_SHOWHANDLES}) {
            NMTTDISPINFOA info{};
            info.hdr.code = TTN_GETDISPINFOA;
            info.hdr.idFrom = static_cast<UINT_PTR>(command);
            ::SendMessageA(dialog, WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&info));
            if (info.lpszText != nullptr) texts.insert(info.lpszText);
        }
        return texts;
    });
    FoundWindows = {FoundWindowEntry{}};
    TFoundWindowsForm found;
    whileShown("FoundWindowsForm", [&] { found.ShowList(form.Handle()); });
    FoundWindows.clear();
    TQuickInfoForm quickInfo;
    whileShown("QuickInfoForm", [&] { quickInfo.ShowInfo(form.Handle(), form.Handle()); });
    TChangeSizeForm changeSize;
    whileShown("ChangeSizeForm", [&] { changeSize.ShowFor(form.Handle(), current); });
    TLangForm chooser(SettingsKey);
    TOptionsForm options(chooser, {});
    whileShown("OptionsForm", [&] { options.ShowModal(form.Handle()); });
    TAboutForm about;
    whileShown("AboutForm", [&] { about.ShowAbout(form.Handle()); });
    TMessageLogForm log(ProgramFolder);
    ASSERT_TRUE(log.FormCreate(form.Handle()));
    // Besides its controls: the filter's modes, and what shows only on occasion (the kinds, the
    // missing result, the status sentences) or in the list's header.
    std::set<std::string> logTexts = ShownTexts(log.Handle());
    for (int item = 0; item < ::SendMessageA(log.filterModeCombo_, CB_GETCOUNT, 0, 0); ++item) {
        char text[256] = {};
        ::SendMessageA(log.filterModeCombo_, CB_GETLBTEXT, static_cast<WPARAM>(item), reinterpret_cast<LPARAM>(text));
        logTexts.insert(text);
    }
    const HWND header = reinterpret_cast<HWND>(::SendMessageA(log.recordList_, LVM_GETHEADER, 0, 0));
    for (int column = 0; column < ::SendMessageA(header, HDM_GETITEMCOUNT, 0, 0); ++column) {
        char text[256] = {};
        HDITEMA item{};
        item.mask = HDI_TEXT;
        item.pszText = text;
        item.cchTextMax = static_cast<int>(std::size(text));
        ::SendMessageA(header, HDM_GETITEMA, static_cast<WPARAM>(column), reinterpret_cast<LPARAM>(&item));
        logTexts.insert(text);
    }
    for (const std::string& text : log.OccasionalTexts()) logTexts.insert(text);
    expectShown("MessageLogForm", logTexts);

    EXPECT_EQ(checked.size(), LanguageSections().size());
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
