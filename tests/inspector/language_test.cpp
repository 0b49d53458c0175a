// Language files in the program: which language is configured, loading, the message table and
// the translate step of the main window and the options dialog.
#include "TestSupport.h"

#include "core/CommandLine.h"
#include "core/CommandLineRun.h"
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
#include "details/CaptureQuestion.h"
#include "details/DetailsForm.h"
#include "details/WindowCapture.h"

#include <commctrl.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <initializer_list>
#include <set>
#include <sstream>

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

// ---- layout of every window ----------------------------------------------------------------

// Windows whose layout is mended elsewhere: their faults are printed, not counted as failures.
const std::set<std::string> KnownLayoutExceptions = {};

std::string ClassOf(HWND control)
{
    char name[64] = {};
    ::GetClassNameA(control, name, static_cast<int>(std::size(name)));
    return name;
}

std::string Describe(HWND control)
{
    return ClassOf(control) + " " + std::to_string(::GetDlgCtrlID(control)) + " \"" + TextOf(control) + "\"";
}

RECT BoundsIn(HWND window, HWND control)
{
    RECT rect{};
    ::GetWindowRect(control, &rect);
    ::MapWindowPoints(nullptr, window, reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

// Group boxes and tab controls hold other controls: what lies wholly inside them is no overlap.
// An up-down control sits on the edge of the field it steps, by design.
bool Holds(HWND container, const RECT& outer, const RECT& inner, HWND held)
{
    if (lstrcmpiA(ClassOf(container).c_str(), UPDOWN_CLASSA) == 0 &&
        reinterpret_cast<HWND>(::SendMessageA(container, UDM_GETBUDDY, 0, 0)) == held)
        return true;
    const std::string name = ClassOf(container);
    const LONG style = ::GetWindowLongA(container, GWL_STYLE);
    const bool holder = (lstrcmpiA(name.c_str(), "Button") == 0 && (style & BS_TYPEMASK) == BS_GROUPBOX) ||
                        lstrcmpiA(name.c_str(), WC_TABCONTROLA) == 0;
    return holder && inner.left >= outer.left && inner.top >= outer.top && inner.right <= outer.right &&
           inner.bottom <= outer.bottom;
}

// What a static text or a button needs for its text in its own font beyond its client area, or
// an empty string when the text fits.
std::string TextFault(HWND control)
{
    std::string text = TextOf(control);
    const std::string name = ClassOf(control);
    const LONG style = ::GetWindowLongA(control, GWL_STYLE);
    const bool isStatic = lstrcmpiA(name.c_str(), "Static") == 0;
    const bool isButton = lstrcmpiA(name.c_str(), "Button") == 0;
    const bool isSpeedButton = name == "TSpeedButton";
    if (text.empty() || (!isStatic && !isButton && !isSpeedButton)) return {};
    const LONG kind = isStatic ? (style & SS_TYPEMASK) : (style & BS_TYPEMASK);
    if (isStatic && kind != SS_LEFT && kind != SS_CENTER && kind != SS_RIGHT && kind != SS_LEFTNOWORDWRAP &&
        kind != SS_SIMPLE)
        return {};
    if (isButton && kind == BS_OWNERDRAW) return {};
    if (!(isStatic && (style & SS_NOPREFIX))) std::erase(text, '&');
    RECT client{};
    ::GetClientRect(control, &client);
    const int dpi = static_cast<int>(DpiOfWindow(control));
    const HDC dc = ::GetDC(control);
    HGDIOBJ font = reinterpret_cast<HGDIOBJ>(::SendMessageA(control, WM_GETFONT, 0, 0));
    const HGDIOBJ old = ::SelectObject(dc, font != nullptr ? font : ::GetStockObject(SYSTEM_FONT));
    SIZE size{};
    ::GetTextExtentPoint32A(dc, text.c_str(), static_cast<int>(text.size()), &size);
    int room = client.right;
    bool fits = true;
    if (isStatic && !(style & SS_CENTERIMAGE) && kind != SS_LEFTNOWORDWRAP && kind != SS_SIMPLE) {
        // Word-wrapping text: every line within the width, all lines within the height.
        RECT lines{0, 0, client.right, 0};
        ::DrawTextA(dc, text.c_str(), -1, &lines, DT_CALCRECT | DT_WORDBREAK | DT_NOPREFIX);
        fits = lines.right <= client.right && lines.bottom <= client.bottom;
    } else {
        if (isButton && kind == BS_GROUPBOX) room -= ScaleForDpi(12, dpi);
        else if (isButton && kind != BS_PUSHBUTTON && kind != BS_DEFPUSHBUTTON)
            room -= ::GetSystemMetrics(SM_CXMENUCHECK) + ScaleForDpi(4, dpi);  // the box or circle and its gap
        else if (!isStatic) room -= ScaleForDpi(8, dpi);  // a button's edges
        fits = size.cx <= room;
    }
    ::SelectObject(dc, old);
    ::ReleaseDC(control, dc);
    if (fits) return {};
    return Describe(control) + " needs " + std::to_string(size.cx) + " pixels for its text, has " +
           std::to_string(room) + " of " + std::to_string(client.right) + "x" + std::to_string(client.bottom);
}

// A report list's columns show their whole titles and texts where the list is wide enough for all
// of them, and then it does not scroll sideways; the last column always, since it can grow into a
// sideways scroll.
std::string ColumnFault(HWND list)
{
    if (lstrcmpiA(ClassOf(list).c_str(), WC_LISTVIEWA) != 0 || (::GetWindowLongA(list, GWL_STYLE) & LVS_TYPEMASK) != LVS_REPORT)
        return {};
    const HWND header = reinterpret_cast<HWND>(::SendMessageA(list, LVM_GETHEADER, 0, 0));
    const int columns = static_cast<int>(::SendMessageA(header, HDM_GETITEMCOUNT, 0, 0));
    const int rows = static_cast<int>(::SendMessageA(list, LVM_GETITEMCOUNT, 0, 0));
    const int padding = ScaleForDpi(12, DpiOfWindow(list));
    std::vector<int> needed(static_cast<size_t>(std::max(columns, 0)), 0);
    for (int column = 0; column < columns; ++column) {
        char title[256] = {};
        HDITEMA titleItem{};
        titleItem.mask = HDI_TEXT;
        titleItem.pszText = title;
        titleItem.cchTextMax = static_cast<int>(std::size(title));
        ::SendMessageA(header, HDM_GETITEMA, static_cast<WPARAM>(column), reinterpret_cast<LPARAM>(&titleItem));
        needed[static_cast<size_t>(column)] =
            static_cast<int>(::SendMessageA(list, LVM_GETSTRINGWIDTHA, 0, reinterpret_cast<LPARAM>(title))) + padding;
        for (int row = 0; row < rows; ++row) {
            char text[1024] = {};
            LVITEMA item{};
            item.iSubItem = column;
            item.pszText = text;
            item.cchTextMax = static_cast<int>(std::size(text));
            ::SendMessageA(list, LVM_GETITEMTEXTA, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
            const int width = static_cast<int>(::SendMessageA(list, LVM_GETSTRINGWIDTHA, 0, reinterpret_cast<LPARAM>(text)));
            needed[static_cast<size_t>(column)] = std::max(needed[static_cast<size_t>(column)], width + padding);
        }
    }
    if (columns > 0 && (::SendMessageA(list, LVM_GETEXTENDEDLISTVIEWSTYLE, 0, 0) & LVS_EX_CHECKBOXES))
        needed[0] += ::GetSystemMetrics(SM_CXSMICON) + padding / 2;
    RECT client{};
    ::GetClientRect(list, &client);
    int total = 0;
    for (int width : needed) total += width;
    const int first = total > client.right ? columns - 1 : 0;  // no room for all: a cut is the user's to widen
    std::string faults;
    // An empty list's columns keep room for the texts to come (the message log's).
    if (first == 0 && rows > 0 && (::GetWindowLongA(list, GWL_STYLE) & WS_HSCROLL) != 0)
        faults += "scrolls sideways although its texts fit; ";
    for (int column = std::max(first, 0); column < columns; ++column) {
        const int width = static_cast<int>(::SendMessageA(list, LVM_GETCOLUMNWIDTH, static_cast<WPARAM>(column), 0));
        if (width < needed[static_cast<size_t>(column)])
            faults += "column " + std::to_string(column) + " is " + std::to_string(width) + " pixels wide, its texts need " +
                      std::to_string(needed[static_cast<size_t>(column)]) + "; ";
    }
    return faults.empty() ? faults : Describe(list) + ": " + faults;
}

// The window's picture, frame included, once it is on top and painted. Dialogs are taken from the
// screen (their own printing leaves their controls out under Wine), the other windows print
// themselves (they may lie partly off the screen).
unique_gdi ScreenPicture(HWND window)
{
    if (ClassOf(window) != "#32770") return CaptureWindowPicture(window);
    ::SetWindowPos(window, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    ::RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
    lvxtest::PumpMessages();
    RECT bounds{};
    ::GetWindowRect(window, &bounds);
    const int width = bounds.right - bounds.left, height = bounds.bottom - bounds.top;
    const HDC screen = ::GetDC(nullptr);
    unique_gdi picture(::CreateCompatibleBitmap(screen, width, height));
    const unique_dc memory(::CreateCompatibleDC(screen));
    if (picture && memory) {
        const SelectGuard select(memory.get(), picture.get());
        ::BitBlt(memory.get(), 0, 0, width, height, screen, bounds.left, bounds.top, SRCCOPY);
    }
    ::ReleaseDC(nullptr, screen);
    return picture;
}

// Every visible control inside the client area, no two overlapping (containers aside), every text whole.
std::vector<std::string> LayoutFaults(HWND window)
{
    std::vector<std::string> faults;
    RECT client{};
    ::GetClientRect(window, &client);
    std::vector<std::pair<HWND, RECT>> shown;
    for (HWND child = ::GetWindow(window, GW_CHILD); child != nullptr; child = ::GetWindow(child, GW_HWNDNEXT)) {
        if (!::IsWindowVisible(child) || lstrcmpiA(ClassOf(child).c_str(), TOOLTIPS_CLASSA) == 0) continue;
        const RECT bounds = BoundsIn(window, child);
        if (::IsRectEmpty(&bounds)) continue;
        if (bounds.left < 0 || bounds.top < 0 || bounds.right > client.right || bounds.bottom > client.bottom) {
            std::ostringstream fault;
            fault << Describe(child) << " at (" << bounds.left << "," << bounds.top << ")-(" << bounds.right << ","
                  << bounds.bottom << ") leaves the client area " << client.right << "x" << client.bottom;
            faults.push_back(fault.str());
        }
        for (std::string fault : {TextFault(child), ColumnFault(child)})
            if (!fault.empty()) faults.push_back(fault);
        for (const auto& [other, otherBounds] : shown) {
            RECT common{};
            if (::IntersectRect(&common, &bounds, &otherBounds) && !Holds(child, bounds, otherBounds, other) &&
                !Holds(other, otherBounds, bounds, child))
                faults.push_back(Describe(child) + " overlaps " + Describe(other));
        }
        shown.emplace_back(child, bounds);
    }
    return faults;
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
                                "CaptureQuestion", "CaptureCopy", "CaptureSave", "CaptureCancel", "CaptureFailed",
                                "StateMinimized", "StateMaximized", "StateNormal"})
            if (details.Text(key) == key) shown.insert(key);
        expectShown("DetailsForm", shown);
    }
    ::ShowWindow(details.Handle(), SW_HIDE);

    TQuickSearchForm search;
    whileShown("QuickSearchForm", [&] { search.ShowForSimpleSearch(form.Handle()); });
    TWindowTreeForm tree(search, nullptr);
    TreeGroupByProcess = true;  // the process and thread lines have texts of their own
    whileShown("WindowTreeForm", [&] { tree.ShowTree(form.Handle()); }, [&](HWND dialog) {
        // The toolbar asks the window for its hints.
        std::set<std::string> texts = ShownTexts(dialog, {tree.HandleNotationMenu()});
        // This process's line has its bitness and window count; the other bitness and a thread that
        // does not answer need another program (the tree's own scenarios show them).
        const char* const ownBits = sizeof(void*) == 8 ? "Bits64" : "Bits32";
        for (size_t i = 0; i < tree.Nodes().size(); ++i) {
            const std::string line = tree.NodeText(static_cast<int>(i));
            for (const char* key : {"Windows", ownBits})
                if (tree.Nodes()[i].ProcessId == ::GetCurrentProcessId() && line.find(key) != std::string::npos)
                    texts.insert(key);
        }
        texts.insert({sizeof(void*) == 8 ? "Bits32" : "Bits64", "NotResponding", "Suspended"});
        texts.insert(tree.NodeMenuCaptions().begin(), tree.NodeMenuCaptions().end());
        for (const int command : {IDM_TREE_SCAN, IDM_TREE_COLLAPSE, IDM_TREE_EXPAND, IDM_TREE_EXPANDTHIS, IDM_TREE_FIND,
                                  IDM_TREE_FINDNEXT, IDM_TREE_SAVE, IDM_TREE_SHOWHANDLES, IDM_TREE_BYHIERARCHY,
                                  IDM_TREE_BYPROCESS}) {
            NMTTDISPINFOA info{};
            info.hdr.code = TTN_GETDISPINFOA;
            info.hdr.idFrom = static_cast<UINT_PTR>(command);
            ::SendMessageA(dialog, WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&info));
            if (info.lpszText != nullptr) texts.insert(info.lpszText);
        }
        return texts;
    });
    TreeGroupByProcess = false;
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
    TMessageLogForm log(ProgramFolder, MessageNames);
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
    // The command line has no window: its sentences and the locator errors come from its section.
    std::set<std::string> commandTexts;
    for (const MessageDef& text : CommandLineTexts()) commandTexts.insert(LookupCommandText(text));
    for (const MessageDef& text : LocatorTexts()) commandTexts.insert(LookupCommandText(text));
    expectShown("CommandLine", commandTexts);
    EXPECT_EQ(checked.size(), LanguageSections().size());
}

// Every window of the program, in Russian and in English, at the DPI the system runs at (the test
// scripts run this at 96 and at 144 DPI): controls inside the client area, none over another, every
// text whole in its control's font. With LVX_SHOT_FOLDER set, each window is also saved there as
// a PNG picture, for a reviewer's eyes.
TEST_F(LanguageTest, EveryWindowKeepsItsControlsInsideAndItsTextsWhole)
{
    const char* shotFolder = std::getenv("LVX_SHOT_FOLDER");
    for (const bool english : {false, true}) {
        if (english) {
            ASSERT_EQ(LoadLanguage(ProgramFolder + "English.lng"), LanguageLoad::Loaded);
            LoadMessageTable();
        }
        const std::string language = english ? "en" : "ru";
        TMainForm form;
        ASSERT_TRUE(form.FormCreate());
        const std::string dpi = std::to_string(DpiOfWindow(form.Handle()));
        const auto check = [&](const std::string& name, HWND window) {
            ASSERT_NE(window, nullptr) << name;
            ::RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
            lvxtest::PumpMessages();
            std::vector<std::string> faults = LayoutFaults(window);
            if (english) {
                // Cyrillic letters are 0xC0..0xFF in code page 1251: none may stay in the English interface.
                std::set<std::string> texts{TextOf(window)};
                ::EnumChildWindows(window, &AddShownText, reinterpret_cast<LPARAM>(&texts));
                for (const std::string& text : texts)
                    if (std::any_of(text.begin(), text.end(), [](char c) { return static_cast<unsigned char>(c) >= 0xC0; }))
                        faults.push_back("Russian text in English: \"" + text + "\"");
            }
            const bool known = KnownLayoutExceptions.count(name.substr(0, name.find('-'))) != 0;
            for (const std::string& fault : faults) {
                if (known) std::printf("known layout fault, %s %s %s dpi: %s\n", name.c_str(), language.c_str(), dpi.c_str(), fault.c_str());
                else ADD_FAILURE() << name << " " << language << " " << dpi << " dpi: " << fault;
            }
            if (shotFolder == nullptr) return;
            const unique_gdi picture = ScreenPicture(window);
            EXPECT_TRUE(picture && SavePictureAsPng(static_cast<HBITMAP>(picture.get()),
                                                    std::string(shotFolder) + "\\" + name + "-" + language + "-" + dpi + ".png"))
                << name;
        };
        const auto whileShown = [&](const std::string& name, const std::function<void()>& show,
                                    const std::function<bool(HWND)>& ready = {}) {
            lvxtest::DialogDriver driver({{"", [&](HWND dialog) {
                if (ready) {
                    EXPECT_TRUE(lvxtest::WaitFor([&] { return ready(dialog); })) << name;
                }
                check(name, dialog);
                ::PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
            }}});
            show();
            EXPECT_TRUE(driver.Done()) << name;
        };

        form.ShowForm();
        WindowInfo current;
        GatherWindowInfo(form.Handle(), false, current);
        CurrentWindow = current;  // the panels show their buttons for an inspected window only
        form.ShowWindowInfo(current, false);
        check("LumivexForm", form.Handle());
        for (const auto& [panel, name] : {std::pair{&form.commandPanelButton_, "commands"},
                                          std::pair{&form.processPanelButton_, "process"},
                                          std::pair{&form.messagePanelButton_, "messages"}}) {
            panel->Click();
            check(std::string("LumivexForm-") + name, form.Handle());
            panel->Click();
        }
        TMenuBrowserForm browser(current, form.Handle());
        ASSERT_TRUE(browser.FormCreate());
        ::ShowWindow(browser.Handle(), SW_SHOWNOACTIVATE);
        check("MenuBrowserForm", browser.Handle());
        ::ShowWindow(browser.Handle(), SW_HIDE);
        TStylesForm styles(current, nullptr);
        styles.ShowParameters(form.Handle());
        check("StylesForm", styles.Handle());
        ::ShowWindow(styles.Handle(), SW_HIDE);
        // A button's class has several class styles: their names make the longest value of a page.
        const lvx::unique_window button(::CreateWindowExA(0, "BUTTON", "", WS_CHILD, 0, 0, 8, 8, form.Handle(), nullptr,
                                                          nullptr, nullptr));
        WindowInfo buttonInfo;
        GatherWindowInfo(button.get(), false, buttonInfo);
        TDetailsForm details(buttonInfo, nullptr);
        details.ShowDetails(form.Handle());
        for (int page = 0; page < TDetailsForm::PageCount; ++page) {
            details.SelectPage(page);
            check("DetailsForm-" + std::to_string(page + 1), details.Handle());
        }
        ::ShowWindow(details.Handle(), SW_HIDE);
        TCaptureQuestion question({details.Text("Capture"), details.Text("CaptureQuestion"), details.Text("CaptureCopy"),
                                   details.Text("CaptureSave"), details.Text("CaptureCancel")});
        whileShown("CaptureQuestion", [&] { question.Ask(form.Handle()); });

        TQuickSearchForm search;
        whileShown("QuickSearchForm", [&] { search.ShowForSimpleSearch(form.Handle()); });
        whileShown("QuickSearchForm-tree", [&] { search.ShowForTree(form.Handle(), nullptr); });
        TWindowTreeForm tree(search, nullptr);
        const auto treeFilled = [](HWND dialog) {
            const HWND view = ::FindWindowExA(dialog, nullptr, WC_TREEVIEWA, nullptr);
            return ::IsWindowVisible(view) && ::SendMessageA(view, TVM_GETCOUNT, 0, 0) > 0;
        };
        whileShown("WindowTreeForm", [&] { tree.ShowTree(form.Handle()); }, treeFilled);
        TreeGroupByProcess = true;
        tree.InitialWindow = form.Handle();  // its process's node opens, showing process, thread and window lines
        whileShown("WindowTreeForm-process", [&] { tree.ShowTree(form.Handle()); }, treeFilled);
        TreeGroupByProcess = false;
        tree.InitialWindow = nullptr;
        FoundWindows = {FoundWindowEntry{form.Handle(), TextOf(form.Handle()), "TMainForm"}};
        TFoundWindowsForm found;
        whileShown("FoundWindowsForm", [&] { found.ShowList(form.Handle()); });
        FoundWindows.clear();
        TQuickInfoForm quickInfo;
        whileShown("QuickInfoForm", [&] { quickInfo.ShowInfo(form.Handle(), form.Handle()); });
        TChangeSizeForm changeSize;
        whileShown("ChangeSizeForm", [&] { changeSize.ShowFor(form.Handle(), current); });
        TLangForm chooser(SettingsKey);
        whileShown("LangForm", [&] { chooser.ShowChooser(form.Handle()); });
        TOptionsForm options(chooser, {});
        whileShown("OptionsForm", [&] { options.ShowModal(form.Handle()); });
        TAboutForm about;
        whileShown("AboutForm", [&] { about.ShowAbout(form.Handle()); });
        TMessageLogForm log(ProgramFolder, MessageNames);
        ASSERT_TRUE(log.FormCreate(form.Handle()));
        ::ShowWindow(log.Handle(), SW_SHOWNOACTIVATE);
        check("MessageLogForm", log.Handle());
        // Its rows wrap to any width down to its least size, and maximised.
        ::SetWindowPos(log.Handle(), nullptr, 0, 0, 1, 1, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
        RECT least{};
        ::GetClientRect(log.Handle(), &least);
        EXPECT_GT(least.right, ScaleForDpi(200, DpiOfWindow(log.Handle())));
        check("MessageLogForm-least", log.Handle());
        ::ShowWindow(log.Handle(), SW_MAXIMIZE);
        check("MessageLogForm-maximised", log.Handle());
        CurrentWindow = WindowInfo{};
    }
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
