// The simple search against the windows of another process: the masks and scopes of the search
// itself, and the whole command from the main window through the search dialog and the list.
#include "MainFormFixture.h"

#include "core/MainForm.h"
#include "core/UNI_WinVer.h"
#include "discovery/DiscoveryText.h"
#include "discovery/FoundWindowsForm.h"
#include "discovery/QuickSearchForm.h"
#include "discovery/WindowLocator.h"
#include "discovery/WindowSearch.h"
#include "language/LanguageKeys.h"
#include "resources/resource.h"
#include "settings/Settings.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <set>

using namespace lvx;
using lvxtest::DialogDriver;
using lvxtest::TargetProcess;

namespace {

const char SearchCaption[] = "\xCF\xEE\xE8\xF1\xEA \xEE\xEA\xED\xE0";                             // Поиск окна
const char ListCaption[] = "\xD1\xEF\xE8\xF1\xEE\xEA \xED\xE0\xE9\xE4\xE5\xED\xED\xFB\xF5 \xEE\xEA\xEE\xED";  // Список найденных окон

std::vector<HWND> Handles(const std::vector<FoundWindowEntry>& entries)
{
    std::vector<HWND> handles;
    for (const FoundWindowEntry& entry : entries) handles.push_back(entry.Handle);
    return handles;
}

bool Contains(const std::vector<HWND>& handles, HWND window)
{
    return std::find(handles.begin(), handles.end(), window) != handles.end();
}

std::string ItemText(HWND dialog, int id)
{
    char text[512] = {};
    ::GetDlgItemTextA(dialog, id, text, static_cast<int>(std::size(text)));
    return text;
}

// Fills the search dialog and confirms it.
DialogDriver::Step Search(std::string textMask, std::string classMask, int scope)
{
    return {SearchCaption, [=](HWND dialog) {
                ::SetDlgItemTextA(dialog, IDC_SEARCH_TEXT, textMask.c_str());
                ::SetDlgItemTextA(dialog, IDC_SEARCH_CLASS, classMask.c_str());
                ::CheckRadioButton(dialog, IDC_SEARCH_TOP_LEVEL, IDC_SEARCH_ALL, IDC_SEARCH_TOP_LEVEL + scope);
                ::SendMessageA(::GetDlgItem(dialog, IDOK), BM_CLICK, 0, 0);
            }};
}

class SearchTest : public lvxtest::MainFormFixture<SearchTest> {
protected:
    static void SetUpTestSuite() { Start({"basic", "nested", "hung"}); }
    // Runs the simple search command with the dialog steps; true when every step ran.
    static bool RunSimpleSearch(std::vector<DialogDriver::Step> steps)
    {
        DialogDriver driver(std::move(steps));
        ::SendMessageA(Form->findWindowButton_.Handle(), BM_CLICK, 0, 0);
        return driver.Done();
    }
    static bool Find(const char* text, const char* className, SearchScope scope, HWND current = nullptr)
    {
        std::string error;
        const bool valid = SearchWindowsByMask(text, className, scope, current, error);
        EXPECT_TRUE(valid) << error;
        return valid;
    }

};

}  // namespace

TEST_F(SearchTest, ScopesDecideWhichWindowsAreLookedAt)
{
    const HWND top = Target->Window("basic");
    // Top-level windows: the target's main window by its text, in any letter case.
    ASSERT_TRUE(Find("lumivex TARGET", "*", SearchScope::TopLevel));
    ASSERT_EQ(FoundWindows.size(), 1u);
    EXPECT_EQ(FoundWindows[0].Handle, top);
    EXPECT_EQ(FoundWindows[0].Text, "Lumivex Target");
    EXPECT_EQ(FoundWindows[0].ClassName, "LvxTargetMain");
    // A child is not a top-level window.
    ASSERT_TRUE(Find("Inner label", "*", SearchScope::TopLevel));
    EXPECT_TRUE(FoundWindows.empty());

    // Children: every descendant of the given window, at any depth, in enumeration order.
    ASSERT_TRUE(Find("*", "*", SearchScope::Children, top));
    const std::vector<HWND> children = Handles(FoundWindows);
    for (const char* name : {"basic.button", "basic.edit", "basic.empty", "basic.panel", "basic.panel.label"})
        EXPECT_TRUE(Contains(children, Target->Window(name))) << name;
    EXPECT_FALSE(Contains(children, top));
    EXPECT_FALSE(Contains(children, Target->Window("nested.inner")));

    // All windows: descendants of every top-level window too.
    ASSERT_TRUE(Find("Inn*", "static", SearchScope::AllWindows));
    const std::vector<HWND> all = Handles(FoundWindows);
    EXPECT_TRUE(Contains(all, Target->Window("basic.panel.label")));
    EXPECT_TRUE(Contains(all, Target->Window("nested.inner")));
    EXPECT_EQ(all.size(), 2u);
}

TEST_F(SearchTest, EmptyMasksAskForEmptyTextsAndPlaceholdersAreMatched)
{
    const HWND top = Target->Window("basic");
    // An empty text mask finds only windows without text; "*" finds them as well.
    ASSERT_TRUE(Find("", "*", SearchScope::Children, top));
    std::vector<HWND> found = Handles(FoundWindows);
    EXPECT_TRUE(Contains(found, Target->Window("basic.empty")));
    EXPECT_TRUE(Contains(found, Target->Window("basic.panel")));
    EXPECT_FALSE(Contains(found, Target->Window("basic.button")));
    ASSERT_TRUE(Find("*", "", SearchScope::Children, top));
    EXPECT_TRUE(FoundWindows.empty());  // every window has a class name

    // A window that does not answer is matched as its placeholder.
    Target->HangWindow();
    ASSERT_TRUE(Find("<*>", "LvxTargetHung", SearchScope::TopLevel));
    ASSERT_EQ(FoundWindows.size(), 1u);
    EXPECT_EQ(FoundWindows[0].Handle, Target->Window("hung"));
    EXPECT_EQ(FoundWindows[0].Text, MessageText(Msg::CantReadWndText));
}

TEST_F(SearchTest, AnInvalidMaskLeavesNoResults)
{
    ASSERT_TRUE(Find("*", "*", SearchScope::TopLevel));
    ASSERT_FALSE(FoundWindows.empty());
    std::string error;
    EXPECT_FALSE(SearchWindowsByMask("*", "[abc", SearchScope::TopLevel, nullptr, error));
    EXPECT_EQ(error, "'[abc' is an invalid mask at (5)");
    EXPECT_TRUE(FoundWindows.empty());
    // Children of no window: nothing, rather than the top-level windows.
    ASSERT_TRUE(Find("*", "*", SearchScope::Children, nullptr));
    EXPECT_TRUE(FoundWindows.empty());
}

TEST_F(SearchTest, OneResultIsInspectedAtOnce)
{
    Inspect(Target->Window("basic"));
    ASSERT_TRUE(RunSimpleSearch({Search("Hello edit", "Edit", 1)}));
    EXPECT_EQ(CurrentWindow.Handle, Target->Window("basic.edit"));
    EXPECT_EQ(CurrentWindow.ClassName, "Edit");
}

TEST_F(SearchTest, SeveralResultsAreListedAndTheChosenOneInspected)
{
    const HWND top = Target->Window("basic");
    Inspect(top);
    std::vector<std::string> lines;
    bool listed = RunSimpleSearch({Search("*", "*", 1), {ListCaption, [&](HWND list) {
        const HWND box = ::GetDlgItem(list, IDC_FOUND_LIST);
        const auto count = static_cast<int>(::SendMessageA(box, LB_GETCOUNT, 0, 0));
        for (int i = 0; i < count; ++i) {
            char line[512] = {};
            ::SendMessageA(box, LB_GETTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(line));
            lines.emplace_back(line);
        }
        // Double click on the line of the button.
        for (int i = 0; i < count; ++i) {
            if (lines[static_cast<size_t>(i)].find("Press me {Button}") != std::string::npos) {
                ::SendMessageA(box, LB_SETCURSEL, static_cast<WPARAM>(i), 0);
                ::SendMessageA(list, WM_COMMAND, MAKEWPARAM(IDC_FOUND_LIST, LBN_DBLCLK), reinterpret_cast<LPARAM>(box));
            }
        }
    }}});
    ASSERT_TRUE(listed);
    ASSERT_EQ(lines.size(), FoundWindows.size());
    // One line per result, in order: handle, two blanks, text, class in braces.
    const HWND button = Target->Window("basic.button");
    for (size_t i = 0; i < lines.size(); ++i) {
        EXPECT_EQ(lines[i], FormatFoundWindowLine(HandleValue(FoundWindows[i].Handle), FoundWindows[i].Text,
                                                  FoundWindows[i].ClassName));
    }
    EXPECT_EQ(CurrentWindow.Handle, button);

    // Closing the list without a choice keeps the inspected window, refreshed.
    Inspect(top);
    RECT first{};
    ASSERT_TRUE(RunSimpleSearch({Search("*", "*", 1), {ListCaption, [&](HWND list) {
        ::GetWindowRect(list, &first);
        ::PostMessageA(list, WM_COMMAND, IDCANCEL, 0);
    }}}));
    EXPECT_EQ(CurrentWindow.Handle, top);

    // The main window moved over where the list stood: the list, never moved by the user, opens
    // beside it again rather than over it.
    RECT main{};
    ::GetWindowRect(Form->Handle(), &main);
    ::SetWindowPos(Form->Handle(), nullptr, first.left, main.top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    RECT second{}, moved{}, overlap{};
    ::GetWindowRect(Form->Handle(), &moved);
    ASSERT_TRUE(RunSimpleSearch({Search("*", "*", 1), {ListCaption, [&](HWND list) {
        ::GetWindowRect(list, &second);
        ::PostMessageA(list, WM_COMMAND, IDCANCEL, 0);
    }}}));
    EXPECT_FALSE(::IntersectRect(&overlap, &moved, &second))
        << second.left << "," << second.top << " main " << moved.left << "," << moved.top;
    ::SetWindowPos(Form->Handle(), nullptr, main.left, main.top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

TEST_F(SearchTest, NoResultSaysSoAndKeepsTheWindow)
{
    const HWND top = Target->Window("basic");
    Inspect(top);
    std::string caption, text;
    ASSERT_TRUE(RunSimpleSearch({Search("no window has this text", "*", 2),
                                 {MessageText(Msg::MESSAGE), [&](HWND box) {
                                      text = lvxtest::MessageBoxText(box);
                                      lvxtest::PressOk(box);
                                  }}}));
    EXPECT_EQ(text, MessageText(Msg::NoWindowsFound));
    EXPECT_EQ(CurrentWindow.Handle, top);
}

TEST_F(SearchTest, ChildScopeWithoutAWindowDoesNothingAndMasksStay)
{
    CurrentWindow = WindowInfo{};
    FoundWindows.assign(1, FoundWindowEntry{});
    ASSERT_TRUE(RunSimpleSearch({Search("*", "*", 1)}));
    // The command ended before searching: the old result is untouched and no box came.
    EXPECT_EQ(FoundWindows.size(), 1u);
    EXPECT_EQ(CurrentWindow.Handle, nullptr);

    // The dialog shows what was typed last time, and the simple search's caption on its button.
    std::string text, className, ok;
    bool childChecked = false;
    ASSERT_TRUE(RunSimpleSearch({{SearchCaption, [&](HWND dialog) {
        text = ItemText(dialog, IDC_SEARCH_TEXT);
        className = ItemText(dialog, IDC_SEARCH_CLASS);
        ok = ItemText(dialog, IDOK);
        childChecked = ::IsDlgButtonChecked(dialog, IDC_SEARCH_CHILDREN) == BST_CHECKED;
        ::PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
    }}}));
    EXPECT_EQ(text, "*");
    EXPECT_EQ(className, "*");
    EXPECT_TRUE(childChecked);
    EXPECT_EQ(ok, "OK");
}

TEST_F(SearchTest, AnInvalidMaskIsReportedAndNothingIsInspected)
{
    const HWND top = Target->Window("basic");
    Inspect(top);
    std::string text;
    ASSERT_TRUE(RunSimpleSearch({Search("[", "*", 0), {MessageText(Msg::ERROR_), [&](HWND box) {
        text = lvxtest::MessageBoxText(box);
        lvxtest::PressOk(box);
    }}}));
    EXPECT_EQ(text, "'[' is an invalid mask at (2)");
    EXPECT_TRUE(FoundWindows.empty());
    EXPECT_EQ(CurrentWindow.Handle, top);
}

TEST(DiscoveryForms, TranslateEveryKeyOfTheirSections)
{
    TQuickSearchForm search;
    std::set<std::string> looked;
    for (const TranslationTarget& target : search.TranslationTargets()) looked.insert(target.Key);
    const auto keys = LanguageKeysOf("QuickSearchForm");
    EXPECT_EQ(looked, std::set<std::string>(keys.begin(), keys.end()));
    TFoundWindowsForm found;
    looked.clear();
    for (const TranslationTarget& target : found.TranslationTargets()) looked.insert(target.Key);
    const auto foundKeys = LanguageKeysOf("FoundWindowsForm");
    EXPECT_EQ(looked, std::set<std::string>(foundKeys.begin(), foundKeys.end()));
}

TEST(Locators, AControlIsFoundAgainAfterItsProgramRestartsAndAmbiguityOrAbsenceIsSaid)
{
    const auto find = [](const std::string& text) {
        const std::optional<Locator> locator = ParseLocator(text);
        EXPECT_TRUE(locator) << text;
        return locator ? FindWindowsByLocator(*locator) : LocatorMatches{};
    };
    const auto handles = [](const LocatorMatches& matches) {
        std::vector<HWND> windows;
        for (const uint64_t handle : matches.Windows) windows.push_back(ToHandle(handle));
        return windows;
    };
    InitPlatformFlags();
    std::string edit, second, label;
    {
        TargetProcess target({"basic", "twins", "hung"});
        ASSERT_TRUE(target.Ready());
        edit = LocatorOfWindow(target.Window("basic.edit")).value_or("");
        second = LocatorOfWindow(target.Window("twins.second")).value_or("");
        label = LocatorOfWindow(target.Window("twins.label")).value_or("");
        EXPECT_EQ(edit, "lvxtarget.exe/LvxTargetMain/Edit");
        EXPECT_EQ(second, "lvxtarget.exe/LvxTargetTwins/Static[2]");  // id and text are shared
        EXPECT_EQ(label, "lvxtarget.exe/LvxTargetTwins/Static[text=\"Label two\"]");
        EXPECT_EQ(handles(find("lvxtarget.exe/LvxTargetTwins/Static[id=701]")),
                  (std::vector<HWND>{target.Window("twins.first"), target.Window("twins.second"), target.Window("twins.label")}));
        // A window that does not answer is skipped and counted, within the bound.
        target.HangWindow();
        const LocatorMatches hung = find("lvxtarget.exe/LvxTargetHung/Button[text=\"*\"]");
        EXPECT_TRUE(hung.Windows.empty());
        EXPECT_EQ(hung.NotAnswering, 1);
        EXPECT_EQ(handles(find("lvxtarget.exe/LvxTargetHung/Button")), std::vector<HWND>{target.Window("hung.button")});
    }
    EXPECT_TRUE(find(edit).Windows.empty());  // the program is gone
    TargetProcess again({"basic", "twins"});
    ASSERT_TRUE(again.Ready());
    EXPECT_EQ(handles(find(edit)), std::vector<HWND>{again.Window("basic.edit")});
    EXPECT_EQ(handles(find(second)), std::vector<HWND>{again.Window("twins.second")});
    EXPECT_EQ(handles(find(label)), std::vector<HWND>{again.Window("twins.label")});
}
