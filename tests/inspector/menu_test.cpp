// The menu browser against real menus: the tree of a window's menu, the selected item's type and
// identifier, the item commands as the menu's owner sees them, and docking to the main window.
// Wine keeps menus per process (another process's menu reads as no items), so the menus that
// are read and changed belong to a window of this process on its own thread, as a program's
// would be; the target program in another process is used where the platform allows.
#include "TestSupport.h"

#include "../target/MenuScenario.h"
#include "core/MainForm.h"
#include "core/UNI_WindowInfo.h"
#include "language/LanguageKeys.h"
#include "language/MessageTable.h"
#include "language/MultiLang.h"
#include "menubrowser/MenuBrowser.h"
#include "settings/Settings.h"

#include <gtest/gtest.h>

#include <future>
#include <set>
#include <memory>
#include <string>
#include <thread>
#include <vector>

using namespace lvx;
using lvxtest::ModalWatcher;
using lvxtest::TargetProcess;
using lvxtest::WaitFor;

namespace {

const std::string Empty = "<Пустая строка>";
const std::string OperationFailed = "Не удалось выполнить операцию над меню";

// A window with the scenario's menu, owned by a thread of its own that pumps its messages.
class MenuWindowThread {
public:
    MenuWindowThread()
    {
        std::promise<std::pair<HWND, DWORD>> made;
        std::future<std::pair<HWND, DWORD>> result = made.get_future();
        thread_ = std::thread([&made] {
            lvxmenu::RegisterRecordingClass();
            const HBITMAP picture = lvxmenu::MakePicture();
            HWND window = ::CreateWindowExA(0, lvxmenu::WindowClass, "Menu Window", WS_OVERLAPPEDWINDOW | WS_VISIBLE,
                                            650, 100, 360, 200, nullptr, lvxmenu::BuildMenuBar(picture),
                                            ::GetModuleHandleA(nullptr), nullptr);
            made.set_value({window, ::GetCurrentThreadId()});
            MSG message;
            while (::GetMessageA(&message, nullptr, 0, 0) > 0) {
                ::TranslateMessage(&message);
                ::DispatchMessageA(&message);
            }
            if (::IsWindow(window)) ::DestroyWindow(window);  // the menu goes with it
            ::DeleteObject(picture);
        });
        const auto [window, threadId] = result.get();
        window_ = window;
        threadId_ = threadId;
    }
    ~MenuWindowThread() { Close(); }
    MenuWindowThread(const MenuWindowThread&) = delete;
    MenuWindowThread& operator=(const MenuWindowThread&) = delete;

    [[nodiscard]] HWND Window() const { return window_; }
    [[nodiscard]] HMENU Menu() const { return ::GetMenu(window_); }
    [[nodiscard]] HMENU Popup(int position) const { return ::GetSubMenu(Menu(), position); }
    // The window ends with its menu.
    void Close()
    {
        if (!thread_.joinable()) return;
        ::PostThreadMessageA(threadId_, WM_QUIT, 0, 0);
        thread_.join();
    }

private:
    std::thread thread_;
    HWND window_ = nullptr;
    DWORD threadId_ = 0;
};

LRESULT Ask(HWND window, WPARAM question)
{
    DWORD_PTR answer = 0;
    ::SendMessageTimeoutA(window, lvxmenu::QueryMessage, question, 0, SMTO_ABORTIFHUNG, 5000, &answer);
    return static_cast<LRESULT>(answer);
}

// The item's state as the menu's owner reads it.
UINT StateOf(HMENU menu, UINT position)
{
    return ::GetMenuState(menu, position, MF_BYPOSITION);
}

struct Expected {
    std::string Text;
    int Parent;
    UINT Id;  // 0 for an item with a submenu: its identifier is the platform's business
    bool SubMenu;
};

// The scenario's menu in tree order.
const std::vector<Expected> ScenarioTree = {
    {"&File", -1, 0, true},          {"&Open\tCtrl+O", 0, 111, false}, {Empty, 0, 0, false},
    {"Recent", 0, 0, true},          {"First", 3, 201, false},        {"Second", 3, 202, false},
    {"E&xit", 0, 112, false},        {"&Edit", -1, 0, true},          {"Undo", 7, 301, false},
    {"Cut", 7, 302, false},          {"Left", 7, 311, false},         {"Right", 7, 312, false},
    {Empty, 7, 320, false},          {Empty, 7, 321, false},          {"Twin A", 7, 400, false},
    {"&Help", -1, 0, true},          {"About", 15, 121, false},       {"Twin B", 15, 400, false},
    {"Column", 15, 122, false},      {"Big", 15, 57601, false},       {"Info", -1, 500, false},
};
enum Node { File, Open, Separator, Recent, First, Second, Exit, Edit, Undo, Cut, Left, Right, Drawn, Picture, TwinA,
            Help, About, TwinB, Column, Big, Info };

void ExpectScenarioTree(const std::vector<MenuNode>& nodes)
{
    ASSERT_EQ(nodes.size(), ScenarioTree.size());
    for (size_t i = 0; i < nodes.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(nodes[i].Text, ScenarioTree[i].Text);
        EXPECT_EQ(nodes[i].Parent, ScenarioTree[i].Parent);
        EXPECT_EQ(nodes[i].Entry.SubMenu != nullptr, ScenarioTree[i].SubMenu);
        if (!ScenarioTree[i].SubMenu) {
            EXPECT_EQ(nodes[i].Entry.CommandId, ScenarioTree[i].Id);
        }
        const int parent = nodes[i].Parent;
        int position = 0;
        for (size_t j = 0; j < i; ++j) position += nodes[j].Parent == parent ? 1 : 0;
        EXPECT_EQ(nodes[i].Entry.Position, position);
    }
}

class MenuBrowserTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        Browser = std::make_unique<TMenuBrowserForm>(Inspected, nullptr);
        ASSERT_TRUE(Browser->FormCreate());
        Inspect(Target.Window());
    }
    void Inspect(HWND window)
    {
        Inspected = WindowInfo{};
        GatherWindowInfo(window, false, Inspected);
        Browser->RebuildMenuTree(Inspected.Menu);
    }
    void Select(Node node) { Browser->SelectNode(static_cast<int>(node)); }
    static void Click(SpeedButton& button) { button.Click(); }
    std::vector<bool> Labels() const
    {
        std::vector<bool> lit;
        for (int i = 0; i < MenuTypeLabelCount; ++i) lit.push_back(Browser->LabelEnabled(i));
        return lit;
    }

    MenuWindowThread Target;
    WindowInfo Inspected;
    std::unique_ptr<TMenuBrowserForm> Browser;
};

TEST_F(MenuBrowserTest, ShowsTheMenuWithItsSubmenusAndTheSelectedItemsTypeAndId)
{
    ExpectScenarioTree(Browser->Nodes());
    EXPECT_EQ(Browser->SelectedIndex(), 0);  // the first node after every rebuild

    //                 BITMAP MENUBARBREAK MENUBREAK OWNERDRAW RADIOCHECK RIGHTJUSTIFY RIGHTORDER SEPARATOR STRING
    using L = std::vector<bool>;
    Select(Open);
    EXPECT_EQ(Browser->IdText(), "111 (#6F)");
    EXPECT_EQ(Labels(), (L{false, false, false, false, false, false, false, false, true}));
    Select(Separator);
    EXPECT_EQ(Browser->IdText(), "0 (#0)");
    EXPECT_EQ(Labels(), (L{false, false, false, false, false, false, false, true, false}));
    Select(Left);
    EXPECT_TRUE(Browser->LabelEnabled(4));
    Select(Drawn);
    EXPECT_EQ(Labels(), (L{false, false, false, true, false, false, false, false, false}));
    Select(Picture);
    EXPECT_EQ(Labels(), (L{true, false, false, false, false, false, false, false, false}));
    Select(Column);
    EXPECT_EQ(Labels(), (L{false, true, false, false, false, false, false, false, true}));
    Select(Info);
    EXPECT_EQ(Labels(), (L{false, false, false, false, false, true, false, false, true}));
    Select(Big);
    EXPECT_EQ(Browser->IdText(), "57601 (#E101)");

    // Collapse and expand both end on the first node.
    Select(Second);
    Click(Browser->collapseButton_);
    EXPECT_EQ(Browser->SelectedIndex(), 0);
    Select(Recent);
    Click(Browser->expandButton_);
    EXPECT_EQ(Browser->SelectedIndex(), 0);
    const auto expanded = [&](Node node) {
        return (::SendMessageA(Browser->menuTreeView_, TVM_GETITEMSTATE,
                               reinterpret_cast<WPARAM>(Browser->Nodes()[node].Item), TVIS_EXPANDED) &
                TVIS_EXPANDED) != 0;
    };
    EXPECT_TRUE(expanded(Recent));
    Click(Browser->collapseButton_);
    EXPECT_FALSE(expanded(Recent));
    EXPECT_FALSE(expanded(File));
}

TEST_F(MenuBrowserTest, EnableGrayDisableCheckAndUncheckChangeTheItemInTheOwnersMenu)
{
    const HMENU file = Target.Popup(0), edit = Target.Popup(1), help = Target.Popup(2);
    // A unique identifier: the item is found by it wherever it is.
    Select(Open);
    Click(Browser->grayItemButton_);
    EXPECT_EQ(StateOf(file, 0) & (MF_GRAYED | MF_DISABLED), static_cast<UINT>(MF_GRAYED));
    Click(Browser->disableItemButton_);
    EXPECT_EQ(StateOf(file, 0) & (MF_GRAYED | MF_DISABLED), static_cast<UINT>(MF_DISABLED));
    Click(Browser->enableItemButton_);
    EXPECT_EQ(StateOf(file, 0) & (MF_GRAYED | MF_DISABLED), 0u);
    Click(Browser->checkItemButton_);
    EXPECT_NE(StateOf(file, 0) & MF_CHECKED, 0u);
    Click(Browser->uncheckItemButton_);
    EXPECT_EQ(StateOf(file, 0) & MF_CHECKED, 0u);
    Select(Cut);  // grayed in the program
    Click(Browser->enableItemButton_);
    EXPECT_EQ(StateOf(edit, 1) & (MF_GRAYED | MF_DISABLED), 0u);

    // Two items with one identifier: each is found by its position in its own menu.
    Select(TwinB);
    Click(Browser->grayItemButton_);
    Click(Browser->checkItemButton_);
    EXPECT_EQ(StateOf(help, 1) & (MF_GRAYED | MF_CHECKED), static_cast<UINT>(MF_GRAYED | MF_CHECKED));
    EXPECT_EQ(StateOf(edit, 6) & (MF_GRAYED | MF_CHECKED), 0u);
    // A top-level item of the bar, by identifier.
    Select(Info);
    Click(Browser->grayItemButton_);
    EXPECT_NE(StateOf(Target.Menu(), 3) & MF_GRAYED, 0u);

    // The tree is not read again: the selection stays.
    EXPECT_EQ(Browser->SelectedIndex(), static_cast<int>(Info));
}

TEST_F(MenuBrowserTest, ExecuteSendsTheItemsCommandAndNothingForSeparatorsAndSubmenus)
{
    Select(Second);
    Click(Browser->executeItemButton_);
    ASSERT_TRUE(WaitFor([&] { return Ask(Target.Window(), 0) == 1; }));
    EXPECT_EQ(Ask(Target.Window(), 1), static_cast<LRESULT>(lvxmenu::Recent2));
    // Not unique: the identifier is still what the item sends.
    Select(TwinA);
    Click(Browser->executeItemButton_);
    ASSERT_TRUE(WaitFor([&] { return Ask(Target.Window(), 0) == 2; }));
    EXPECT_EQ(Ask(Target.Window(), 1), static_cast<LRESULT>(lvxmenu::Twin));

    {
        ModalWatcher watcher;
        for (Node node : {Separator, Recent, File}) {
            Select(node);
            Click(Browser->executeItemButton_);
        }
        ASSERT_EQ(watcher.Boxes.size(), 3u);
        EXPECT_EQ(watcher.Boxes[0].Text, OperationFailed);
        EXPECT_EQ(watcher.Boxes[0].Caption, "Narvolt Lumivex");
    }
    // A command sent afterwards arrives as the third: none came in between.
    Select(Exit);
    Click(Browser->executeItemButton_);
    ASSERT_TRUE(WaitFor([&] { return Ask(Target.Window(), 0) == 3; }));
    EXPECT_EQ(Ask(Target.Window(), 1), static_cast<LRESULT>(lvxmenu::Exit));
}

TEST_F(MenuBrowserTest, DeleteAndRemoveTakeTheItemOutAndReadTheTreeAgain)
{
    const HMENU file = Target.Popup(0), help = Target.Popup(2);
    Select(Recent);  // a submenu with its items
    Click(Browser->deleteItemButton_);
    EXPECT_EQ(::GetMenuItemCount(file), 3);
    ASSERT_EQ(Browser->Nodes().size(), ScenarioTree.size() - 3);
    EXPECT_EQ(Browser->Nodes()[3].Text, "E&xit");
    EXPECT_EQ(Browser->SelectedIndex(), 0);

    Browser->SelectNode(TwinB - 3);  // by position
    ASSERT_EQ(Browser->Nodes()[TwinB - 3].Text, "Twin B");
    const HMENU detachedFrom = help;
    Click(Browser->removeItemButton_);
    EXPECT_EQ(::GetMenuItemCount(detachedFrom), 3);
    char text[32] = {};
    ::GetMenuStringA(help, 1, text, static_cast<int>(std::size(text)), MF_BYPOSITION);
    EXPECT_STREQ(text, "Column");
    EXPECT_EQ(Browser->Nodes().size(), ScenarioTree.size() - 4);

    // The item went away behind the browser's back: the failure is shown, the tree stays.
    Browser->SelectNode(3);
    ASSERT_EQ(Browser->Nodes()[3].Text, "E&xit");
    ASSERT_TRUE(::DeleteMenu(file, lvxmenu::Exit, MF_BYCOMMAND));
    ModalWatcher watcher;
    Click(Browser->deleteItemButton_);
    ASSERT_EQ(watcher.Boxes.size(), 1u);
    EXPECT_EQ(watcher.Boxes[0].Text, OperationFailed);
    EXPECT_EQ(watcher.Boxes[0].Caption, "Narvolt Lumivex");
    EXPECT_EQ(Browser->Nodes().size(), ScenarioTree.size() - 4);
}

TEST_F(MenuBrowserTest, AGoneWindowOrNoMenuLeavesTheTreeEmptyWithoutHarm)
{
    // Rescanning while the window lives reads its menu as it is now.
    ::DeleteMenu(Target.Menu(), 3, MF_BYPOSITION);
    Click(Browser->rescanButton_);
    EXPECT_EQ(Browser->Nodes().size(), ScenarioTree.size() - 1);

    Select(Open);
    Target.Close();  // the window and its menu are gone
    ModalWatcher watcher;
    Click(Browser->grayItemButton_);
    Click(Browser->checkItemButton_);
    Click(Browser->executeItemButton_);
    EXPECT_TRUE(watcher.Boxes.empty());
    Click(Browser->deleteItemButton_);
    ASSERT_EQ(watcher.Boxes.size(), 1u);
    EXPECT_EQ(watcher.Boxes[0].Text, OperationFailed);

    // The rescan empties the tree and leaves the labels as they were.
    const std::vector<bool> before = Labels();
    Click(Browser->rescanButton_);
    EXPECT_TRUE(Browser->Nodes().empty());
    EXPECT_EQ(Labels(), before);
    Browser->RebuildMenuTree(Inspected.Menu);  // a stale menu handle
    EXPECT_TRUE(Browser->Nodes().empty());
}

TEST(MenuOperations, AMenuThatContainsItselfIsEnteredOnce)
{
    const HMENU outer = ::CreatePopupMenu(), inner = ::CreatePopupMenu();
    ::AppendMenuA(outer, MF_POPUP, reinterpret_cast<UINT_PTR>(inner), "Inner");
    ::AppendMenuA(inner, MF_POPUP, reinterpret_cast<UINT_PTR>(outer), "Outer");  // the platform may refuse
    const std::vector<MenuNode> nodes = ReadMenuItems(outer);
    ASSERT_GE(nodes.size(), 1u);
    ASSERT_LE(nodes.size(), 2u);
    EXPECT_EQ(nodes[0].Text, "Inner");
    // No loop left for the platform to follow when it destroys the menus.
    while (::GetMenuItemCount(inner) > 0) ::RemoveMenu(inner, 0, MF_BYPOSITION);
    ::DestroyMenu(outer);
}

TEST_F(MenuBrowserTest, AgainstTheTargetProgramInAnotherProcess)
{
    TargetProcess other({"basic", "menus"});
    ASSERT_TRUE(other.Ready());
    const HWND foreign = other.Window("menus");

    // A child window has no menu.
    Inspect(other.Window("basic.button"));
    EXPECT_EQ(Inspected.Menu, nullptr);
    EXPECT_TRUE(Browser->Nodes().empty());

    // Windows reads another process's menu; Wine answers for none (the tree is then empty).
    Inspect(foreign);
    ASSERT_NE(Inspected.Menu, nullptr);
    if (::GetMenuItemCount(Inspected.Menu) >= 0) ExpectScenarioTree(Browser->Nodes());
    else EXPECT_TRUE(Browser->Nodes().empty());

    // The command reaches the other process: the tree of the same menu here, sent there.
    Browser->RebuildMenuTree(Target.Menu());
    Select(Open);
    Click(Browser->executeItemButton_);
    ASSERT_TRUE(WaitFor([&] { return Ask(foreign, 0) == 1; }));
    EXPECT_EQ(Ask(foreign, 1), static_cast<LRESULT>(lvxmenu::Open));
    EXPECT_EQ(Ask(Target.Window(), 0), 0);
}

TEST_F(MenuBrowserTest, ManageShowsTheItemCommandsBelowTheIdentifier)
{
    ::ShowWindow(Browser->Handle(), SW_SHOWNOACTIVATE);
    EXPECT_FALSE(::IsWindowVisible(Browser->commandPanel_));
    Click(Browser->manageButton_);
    EXPECT_TRUE(::IsWindowVisible(Browser->commandPanel_));
    RECT panel2{}, panel3{};
    ::GetWindowRect(Browser->itemPanel_, &panel2);
    ::GetWindowRect(Browser->commandPanel_, &panel3);
    EXPECT_EQ(panel3.top, panel2.bottom);
    Click(Browser->manageButton_);
    EXPECT_FALSE(::IsWindowVisible(Browser->commandPanel_));
    EXPECT_EQ(Browser->Hint(Browser->grayItemButton_.Handle()),
              "Деактивировать и отключить  возможность выбрать пункт меню ");
}

TEST(MenuBrowserLanguage, TheEnglishFileTranslatesEveryTextOfTheBrowser)
{
    InitProgramFolder();
    ASSERT_EQ(LoadLanguage(ProgramFolder + "English.lng"), LanguageLoad::Loaded);
    WindowInfo none;
    TMenuBrowserForm browser(none, nullptr);
    ASSERT_TRUE(browser.FormCreate());  // translates itself
    std::set<std::string> looked;
    for (const TranslationTarget& target : browser.TranslationTargets()) looked.insert(target.Key);
    const auto keys = LanguageKeysOf("MenuBrowserForm");
    EXPECT_EQ(looked, std::set<std::string>(keys.begin(), keys.end()));
    char text[128] = {};
    ::GetWindowTextA(browser.Handle(), text, static_cast<int>(std::size(text)));
    EXPECT_STREQ(text, "Window Menu");
    ::GetWindowTextA(browser.itemLabels_[9], text, static_cast<int>(std::size(text)));
    EXPECT_STREQ(text, "Menu ID");
    ::GetWindowTextA(browser.manageButton_.Handle(), text, static_cast<int>(std::size(text)));
    EXPECT_STREQ(text, "Manage");
    EXPECT_EQ(browser.Hint(browser.grayItemButton_.Handle()), "Disable and gray menu item");
    EXPECT_EQ(browser.Hint(browser.executeItemButton_.Handle()), "Execute menu item command");
    LanguageLoaded = false;
    Language = LanguageData{};
    ResetMessageTable();
}

// ---- the main window's side ---------------------------------------------------------------

class MenuDockingTest : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        Settings = std::make_unique<lvxtest::RegistryKeyBackup>(SettingsKey);
        Form = std::make_unique<TMainForm>();
        ASSERT_TRUE(Form->FormCreate());
        Form->ShowForm();
    }
    static void TearDownTestSuite()
    {
        Form.reset();
        Settings.reset();
    }
    static void MoveMain(int x, int y)
    {
        ::SetWindowPos(Form->Handle(), nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
    static bool DockedAtLeft()
    {
        RECT main{}, browser{};
        ::GetWindowRect(Form->Handle(), &main);
        ::GetWindowRect(Form->MenuBrowserForm()->Handle(), &browser);
        return browser.right == main.left && browser.top == main.top && browser.bottom == main.bottom;
    }

    static std::unique_ptr<lvxtest::RegistryKeyBackup> Settings;
    static std::unique_ptr<TMainForm> Form;
};
std::unique_ptr<lvxtest::RegistryKeyBackup> MenuDockingTest::Settings;
std::unique_ptr<TMainForm> MenuDockingTest::Form;

TEST_F(MenuDockingTest, TheMenuToggleDocksTheBrowserWhichFollowsTheMainWindowAndEveryFullDisplay)
{
    MenuWindowThread target;
    CurrentWindow = WindowInfo{};
    CurrentWindow.Handle = target.Window();
    Form->RefreshExecute();
    EXPECT_EQ(Form->MenuBrowserForm(), nullptr);  // created on first use

    MoveMain(600, 100);
    Form->menuBrowserButton_.Click();
    ASSERT_NE(Form->MenuBrowserForm(), nullptr);
    TMenuBrowserForm& browser = *Form->MenuBrowserForm();
    EXPECT_TRUE(browser.IsVisible());
    EXPECT_TRUE(DockedAtLeft());
    EXPECT_EQ(browser.Nodes().size(), ScenarioTree.size());

    MoveMain(700, 160);
    EXPECT_TRUE(DockedAtLeft());

    // Picking shows windows without reading their menus; the full display that ends it does.
    WindowInfo picked;
    GatherWindowInfo(::GetDesktopWindow(), true, picked);
    Form->ShowWindowInfo(picked, true);
    EXPECT_EQ(browser.Nodes().size(), ScenarioTree.size());
    CurrentWindow = WindowInfo{};
    CurrentWindow.Handle = Form->Handle();  // no menu bar
    Form->RefreshExecute();
    EXPECT_TRUE(browser.Nodes().empty());

    // Detached, it stays where it is; hidden, it still follows the display.
    browser.pinButton_.Click();
    EXPECT_FALSE(browser.Pinned());
    RECT before{}, after{};
    ::GetWindowRect(browser.Handle(), &before);
    MoveMain(650, 120);
    ::GetWindowRect(browser.Handle(), &after);
    EXPECT_TRUE(::EqualRect(&before, &after));
    browser.pinButton_.Click();
    EXPECT_TRUE(browser.Pinned());
    EXPECT_TRUE(DockedAtLeft());

    Form->menuBrowserButton_.Click();
    EXPECT_FALSE(browser.IsVisible());
    CurrentWindow = WindowInfo{};
    CurrentWindow.Handle = target.Window();
    Form->RefreshExecute();
    EXPECT_EQ(browser.Nodes().size(), ScenarioTree.size());
    MoveMain(600, 100);  // a hidden browser stays put
    Form->menuBrowserButton_.Click();
    EXPECT_TRUE(browser.IsVisible());
    EXPECT_TRUE(DockedAtLeft());
    Form->menuBrowserButton_.Click();
    CurrentWindow = WindowInfo{};
}

}  // namespace
