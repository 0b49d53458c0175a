// The window tree against the windows of another process: the scan, node texts and pictures,
// the handle notation, the search, the saved text file and the way back to the main window.
#include "TestSupport.h"

#include "core/TextFiles.h"
#include "core/UNI_Strings.h"
#include "core/UNI_WinVer.h"
#include "core/MainFormIds.h"
#include "core/panels/ProcessThreadPanel.h"
#include "discovery/ClassIcons.h"
#include "discovery/QuickSearchForm.h"
#include "discovery/WindowTreeForm.h"
#include "language/LanguageKeys.h"
#include "language/MessageTable.h"
#include "language/MultiLang.h"
#include "msglog/MessageLogForm.h"
#include "msglog/MessageLogSession.h"
#include "resources/resource.h"
#include "settings/Settings.h"
#include "settings/UNI_SimpleRegAccess.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <optional>
#include <set>

using namespace lvx;
using lvxtest::DialogDriver;
using lvxtest::TargetProcess;

namespace {

const char TreeCaption[] = "\xC4\xE5\xF0\xE5\xE2\xEE \xEE\xEA\xEE\xED";          // Дерево окон
const char SearchCaption[] = "\xCF\xEE\xE8\xF1\xEA \xEE\xEA\xED\xE0";           // Поиск окна

class TreeTest : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        InitPlatformFlags();  // binds the process calls that locators use
        Target = std::make_unique<TargetProcess>(std::initializer_list<std::string>{"basic", "nested", "owned", "hung"});
        Search = std::make_unique<TQuickSearchForm>();
        Tree = std::make_unique<TWindowTreeForm>(*Search, [](WindowInfo info) { Inspected = std::move(info); });
        Commands = std::make_unique<ProcessThreadPanel>(Host, ProcessThreadPanel::Controls{});
        Commands->CreatePriorityMenus();
        Tree->SetProcessCommands(Commands.get());
    }
    static void TearDownTestSuite()
    {
        Tree.reset();
        Commands.reset();
        Search.reset();
        Target.reset();
    }
    void SetUp() override
    {
        ASSERT_TRUE(Target->Ready());
        HandleDisplayMode = HandleNotation::Hexadecimal;
        ShowClassIcons = 2;
        TreeGroupByProcess = false;
        ClassIconNames.clear();
        ClassIconMasks.clear();
        Inspected.reset();
    }

    // Opens the tree and runs `act` while it is shown; the tree is closed afterwards unless
    // `act` closed it. True when `act` ran.
    static bool WithTree(const std::function<void(HWND dialog)>& act, HWND initial = nullptr, HWND owner = nullptr)
    {
        DialogDriver driver({{TreeCaption, [&](HWND dialog) {
            act(dialog);
            if (::IsWindow(dialog)) ::PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
        }}});
        Tree->InitialWindow = initial;
        Tree->ShowTree(owner);
        return driver.Done();
    }
    static int IndexOf(HWND window)
    {
        const auto& nodes = Tree->Nodes();
        const auto found = std::find_if(nodes.begin(), nodes.end(),
                                        [&](const TWindowTreeForm::Node& node) { return node.Entry.Handle == window; });
        return found == nodes.end() ? -1 : static_cast<int>(found - nodes.begin());
    }
    static const TWindowTreeForm::Node& NodeOf(HWND window)
    {
        static const TWindowTreeForm::Node none;
        const int index = IndexOf(window);
        EXPECT_GE(index, 0);
        return index < 0 ? none : Tree->Nodes()[static_cast<size_t>(index)];
    }
    static std::string ShownText(HTREEITEM item)
    {
        char text[512] = {};
        TVITEMA query{};
        query.mask = TVIF_TEXT;
        query.hItem = item;
        query.pszText = text;
        query.cchTextMax = static_cast<int>(std::size(text));
        ::SendMessageA(Tree->TreeView(), TVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&query));
        return text;
    }
    static void Select(HWND window)
    {
        ::SendMessageA(Tree->TreeView(), TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(NodeOf(window).Item));
    }
    // The parent node of a node: the nearest earlier node one level up.
    static HWND ParentOf(HWND window)
    {
        const auto& nodes = Tree->Nodes();
        const int index = IndexOf(window);
        for (int i = index - 1; i >= 0; --i)
            if (nodes[static_cast<size_t>(i)].Depth == nodes[static_cast<size_t>(index)].Depth - 1)
                return nodes[static_cast<size_t>(i)].Entry.Handle;
        return nullptr;
    }

    // The node of the process, or -1.
    static int ProcessNodeOf(DWORD processId)
    {
        const auto& nodes = Tree->Nodes();
        for (size_t i = 0; i < nodes.size(); ++i)
            if (nodes[i].Kind == TWindowTreeForm::NodeKind::Process && nodes[i].ProcessId == processId) return static_cast<int>(i);
        return -1;
    }
    // The parent node of a node: the nearest earlier node one level up.
    static int ParentIndex(int index)
    {
        const auto& nodes = Tree->Nodes();
        for (int i = index - 1; i >= 0; --i)
            if (nodes[static_cast<size_t>(i)].Depth == nodes[static_cast<size_t>(index)].Depth - 1) return i;
        return -1;
    }
    // The saved file read back as nodes: depth from the indent, then the marker, then the text.
    struct SavedLine {
        int Depth;
        bool HasChildren;
        std::string Text;
        bool operator==(const SavedLine&) const = default;
    };
    static std::vector<SavedLine> ReadSavedTree(const std::string& path)
    {
        std::string content;
        EXPECT_TRUE(ReadWholeFile(path, content));
        std::vector<SavedLine> lines;
        for (size_t start = 0; start < content.size();) {
            const size_t end = content.find("\r\n", start);
            if (end == std::string::npos) break;
            const std::string line = content.substr(start, end - start);
            const size_t depth = line.find_first_not_of(' ');
            if (depth != std::string::npos && (line[depth] == '+' || line[depth] == '\x95'))
                lines.push_back({static_cast<int>(depth), line[depth] == '+', line.substr(depth + 1)});
            start = end + 2;
        }
        return lines;
    }
    static std::vector<SavedLine> ShownTree()
    {
        std::vector<SavedLine> lines;
        for (size_t i = 0; i < Tree->Nodes().size(); ++i) {
            const auto& node = Tree->Nodes()[i];
            lines.push_back({node.Depth, node.HasChildren, ReplaceControlChars(Tree->NodeText(static_cast<int>(i)), "?")});
        }
        return lines;
    }

    // The main window's side of the process commands.
    struct CommandHost : PanelHost {
        HWND PanelOwner() const override { return nullptr; }
        void RefreshExecute() override {}
        void ShowError(Msg, UINT) const override { ++Errors; }
        mutable int Errors = 0;
    };

    static std::unique_ptr<TargetProcess> Target;
    static std::unique_ptr<TQuickSearchForm> Search;
    static std::unique_ptr<TWindowTreeForm> Tree;
    static std::optional<WindowInfo> Inspected;
    static CommandHost Host;
    static std::unique_ptr<ProcessThreadPanel> Commands;
};
TreeTest::CommandHost TreeTest::Host;
std::unique_ptr<ProcessThreadPanel> TreeTest::Commands;
std::unique_ptr<TargetProcess> TreeTest::Target;
std::unique_ptr<TQuickSearchForm> TreeTest::Search;
std::unique_ptr<TWindowTreeForm> TreeTest::Tree;
std::optional<WindowInfo> TreeTest::Inspected;

}  // namespace

TEST_F(TreeTest, ScanShowsEveryWindowUnderItsParent)
{
    ASSERT_TRUE(WithTree([](HWND) {
        const auto& nodes = Tree->Nodes();
        ASSERT_FALSE(nodes.empty());
        // The desktop at the root.
        const HWND desktop = ::GetDesktopWindow();
        EXPECT_EQ(nodes[0].Entry.Handle, desktop);
        EXPECT_EQ(nodes[0].Depth, 0);
        EXPECT_EQ(nodes[0].Image, DesktopImage);
        EXPECT_EQ(ShownText(nodes[0].Item), "[" + FormatHandle(HandleValue(desktop)) + "] <Desktop> {#32769}");

        const HWND top = Target->Window("basic");
        EXPECT_EQ(NodeOf(top).Depth, 1);
        EXPECT_EQ(NodeOf(top).Image, TopLevelImage);
        EXPECT_EQ(ShownText(NodeOf(top).Item), "[" + FormatHandle(HandleValue(top)) + "] Lumivex Target {LvxTargetMain}");
        // Children at every depth, each under its own parent, in the platform's order.
        EXPECT_EQ(ParentOf(Target->Window("basic.panel.label")), Target->Window("basic.panel"));
        EXPECT_EQ(NodeOf(Target->Window("basic.panel.label")).Depth, 3);
        EXPECT_EQ(ParentOf(Target->Window("nested.inner")), Target->Window("nested.outer"));
        std::vector<HWND> expected, shown;
        for (HWND child = ::GetWindow(top, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT)) expected.push_back(child);
        for (const auto& node : nodes)
            if (node.Depth == 2 && ParentOf(node.Entry.Handle) == top) shown.push_back(node.Entry.Handle);
        EXPECT_EQ(shown, expected);
        // A child without text: handle, blank, class.
        const HWND empty = Target->Window("basic.empty");
        EXPECT_EQ(ShownText(NodeOf(empty).Item), "[" + FormatHandle(HandleValue(empty)) + "] {Static}");
        EXPECT_FALSE(NodeOf(empty).HasChildren);
        // An owned window is a top-level window: under the root, not under its owner, and with the
        // top-level picture although GetParent names its owner.
        EXPECT_EQ(NodeOf(Target->Window("owned")).Depth, 1);
        EXPECT_EQ(NodeOf(Target->Window("owned")).Image, TopLevelImage);
        // Every node appears once.
        std::set<HWND> unique;
        for (const auto& node : nodes) EXPECT_TRUE(unique.insert(node.Entry.Handle).second);
    }));
}

TEST_F(TreeTest, AHungWindowGetsThePlaceholder)
{
    Target->HangWindow();
    ASSERT_TRUE(WithTree([](HWND) {
        EXPECT_EQ(NodeOf(Target->Window("hung")).Entry.Text, MessageText(Msg::WindowNotReply));
        EXPECT_EQ(NodeOf(Target->Window("hung")).Entry.ClassName, "LvxTargetHung");
    }));
}

TEST_F(TreeTest, ClassPicturesFollowTheOption)
{
    ASSERT_TRUE(ParseClassIcons("12\r\n!BUTTON\r\n13\r\n?*TARGETMAIN\r\n", ClassIconNames, ClassIconMasks));
    SortClassIconNames(ClassIconNames);
    ASSERT_TRUE(WithTree([](HWND) {
        EXPECT_EQ(NodeOf(Target->Window("basic.button")).Image, 12);
        EXPECT_EQ(NodeOf(Target->Window("basic")).Image, 13);
        EXPECT_NE(::SendMessageA(Tree->TreeView(), TVM_GETIMAGELIST, TVSIL_NORMAL, 0), 0);
    }));
    ShowClassIcons = 1;  // exact names only: the mask no longer applies
    ASSERT_TRUE(WithTree([](HWND) { EXPECT_EQ(NodeOf(Target->Window("basic")).Image, TopLevelImage); }));
    ShowClassIcons = 0;  // no pictures at all
    ASSERT_TRUE(WithTree([](HWND) { EXPECT_EQ(::SendMessageA(Tree->TreeView(), TVM_GETIMAGELIST, TVSIL_NORMAL, 0), 0); }));
}

TEST_F(TreeTest, HandleNotationRewritesEveryLineWithoutARescan)
{
    ASSERT_TRUE(WithTree([](HWND) {
        const HWND top = Target->Window("basic");
        const HWND empty = Target->Window("basic.empty");
        const size_t count = Tree->Nodes().size();
        Tree->HandleNotationClick(1);
        EXPECT_EQ(ShownText(NodeOf(top).Item),
                  "[" + std::to_string(static_cast<int32_t>(HandleValue(top))) + "] Lumivex Target {LvxTargetMain}");
        Tree->HandleNotationClick(0);
        EXPECT_EQ(ShownText(NodeOf(top).Item), " Lumivex Target {LvxTargetMain}");
        EXPECT_EQ(ShownText(NodeOf(empty).Item), " {Static}");
        EXPECT_EQ(Tree->Nodes().size(), count);
        Tree->HandleNotationClick(2);
        EXPECT_EQ(ShownText(NodeOf(empty).Item), "[" + FormatHandle(HandleValue(empty)) + "] {Static}");
    }));
    // The notation lasts for the run: the next opening still uses it.
    HandleDisplayMode = HandleNotation::None;
    ASSERT_TRUE(WithTree([](HWND) { EXPECT_EQ(ShownText(Tree->Nodes()[0].Item), " <Desktop> {#32769}"); }));

    // The notation button's tool tip goes when its menu drops down, instead of covering the first item.
    POINT cursor{};
    ::GetCursorPos(&cursor);
    ASSERT_TRUE(WithTree([](HWND dialog) {
        const HWND pager = ::FindWindowExA(dialog, nullptr, WC_PAGESCROLLERA, nullptr);
        const HWND toolBar = ::FindWindowExA(pager, nullptr, TOOLBARCLASSNAMEA, nullptr);
        ASSERT_NE(toolBar, nullptr);
        const auto tip = reinterpret_cast<HWND>(::SendMessageA(toolBar, TB_GETTOOLTIPS, 0, 0));
        RECT button{};
        ::SendMessageA(toolBar, TB_GETRECT, IDM_TREE_SHOWHANDLES, reinterpret_cast<LPARAM>(&button));
        ::SetForegroundWindow(dialog);  // tips show over an active window only
        POINT middle{(button.left + button.right) / 2, (button.top + button.bottom) / 2};
        ::MapWindowPoints(toolBar, nullptr, &middle, 1);
        ::SetCursorPos(middle.x, middle.y);
        ::ScreenToClient(toolBar, &middle);
        ::SendMessageA(toolBar, WM_MOUSEMOVE, 0, MAKELPARAM(middle.x, middle.y));  // the tool bar relays it to its tip
        ASSERT_TRUE(lvxtest::WaitFor([&] { return ::IsWindowVisible(tip) != FALSE; }));
        std::optional<bool> tipOverMenu;
        lvxtest::ModalWatcher watcher;
        watcher.OnMenu = [&] { tipOverMenu = ::IsWindowVisible(tip) != FALSE; };
        NMTOOLBARA dropDown{};
        dropDown.hdr = {toolBar, static_cast<UINT_PTR>(::GetDlgCtrlID(toolBar)), static_cast<UINT>(TBN_DROPDOWN)};
        dropDown.iItem = IDM_TREE_SHOWHANDLES;
        ::SendMessageA(dialog, WM_NOTIFY, dropDown.hdr.idFrom, reinterpret_cast<LPARAM>(&dropDown));
        EXPECT_EQ(tipOverMenu, std::optional<bool>(false));
    }));
    ::SetCursorPos(cursor.x, cursor.y);
}

TEST_F(TreeTest, SearchWalksForwardFromTheSelection)
{
    ASSERT_TRUE(WithTree([](HWND) {
        const HWND label = Target->Window("basic.panel.label");
        ::SendMessageA(Tree->TreeView(), TVM_SELECTITEM, TVGN_CARET, 0);
        // From the start: the only window with this text; then nothing more, and the selection stays.
        EXPECT_EQ(Tree->FindNextInTree("inner LABEL", "*"), IndexOf(label));
        EXPECT_EQ(Tree->SelectedIndex(), IndexOf(label));
        EXPECT_EQ(Tree->FindNextInTree("inner LABEL", "*"), -1);
        EXPECT_EQ(Tree->SelectedIndex(), IndexOf(label));
        // An empty text mask finds only windows without text.
        Select(Target->Window("basic"));
        const int empty = Tree->FindNextInTree("", "Static");
        ASSERT_GE(empty, 0);
        EXPECT_TRUE(Tree->Nodes()[static_cast<size_t>(empty)].Entry.Text.empty());
        // An invalid mask finds nothing and says why.
        std::string error;
        EXPECT_EQ(Tree->FindNextInTree("*", "[", &error), -1);
        EXPECT_EQ(error, "'[' is an invalid mask at (2)");
        // A locator finds its window whatever the class mask says.
        ::SendMessageA(Tree->TreeView(), TVM_SELECTITEM, TVGN_CARET, 0);
        EXPECT_EQ(Tree->FindNextInTree("lvxtarget.exe/LvxTargetMain/LvxPanel/Static", "Button"), IndexOf(label));
    }));
}

TEST_F(TreeTest, SearchDialogEnablesFindNextUntilTheNextScan)
{
    ASSERT_TRUE(WithTree([](HWND tree) {
        EXPECT_FALSE(Tree->FindNextEnabled());
        std::string okCaption;
        bool scopeVisible = true;
        DialogDriver search({{SearchCaption, [&](HWND dialog) {
            okCaption.resize(64);
            okCaption.resize(static_cast<size_t>(::GetDlgItemTextA(dialog, IDOK, okCaption.data(), 64)));
            scopeVisible = ::IsWindowVisible(::GetDlgItem(dialog, IDC_SEARCH_SCOPE)) != FALSE;
            ::SetDlgItemTextA(dialog, IDC_SEARCH_TEXT, "[IO]?*er");  // "Outer", then its child "Inner"
            ::SetDlgItemTextA(dialog, IDC_SEARCH_CLASS, "Static");
            ::SendMessageA(::GetDlgItem(dialog, IDOK), BM_CLICK, 0, 0);
        }}});
        ::SendMessageA(tree, WM_COMMAND, IDM_TREE_FIND, 0);
        EXPECT_TRUE(search.Done());
        EXPECT_EQ(okCaption, MessageText(Msg::FindNext));
        EXPECT_FALSE(scopeVisible);
        EXPECT_EQ(Tree->SelectedIndex(), IndexOf(Target->Window("nested.outer")));
        EXPECT_TRUE(Tree->FindNextEnabled());
        // F3 goes on from there to the next match; a rescan turns it off again.
        ::SendMessageA(tree, WM_COMMAND, IDM_TREE_FINDNEXT, 0);
        EXPECT_EQ(Tree->SelectedIndex(), IndexOf(Target->Window("nested.inner")));
        ::SendMessageA(tree, WM_COMMAND, IDM_TREE_SCAN, 0);
        EXPECT_FALSE(Tree->FindNextEnabled());
    }));
}

TEST_F(TreeTest, SavedFileListsEveryNodeWithDepthAndMarker)
{
    lvxtest::TempFolder folder;
    const std::string path = folder.Path() + "tree.txt";
    std::vector<std::string> expectedLines;
    ASSERT_TRUE(WithTree([&](HWND) {
        // Collapsed or not, every node is written.
        Tree->CollapseTreeExecute();
        ASSERT_TRUE(Tree->SaveTreeToFile(path));
        for (size_t i = 0; i < Tree->Nodes().size(); ++i) {
            const auto& node = Tree->Nodes()[i];
            expectedLines.push_back(std::string(static_cast<size_t>(node.Depth), ' ') +
                                    (node.HasChildren ? '+' : '\x95') +
                                    ReplaceControlChars(Tree->NodeText(static_cast<int>(i)), "?"));
        }
        // A file that cannot be written is refused.
        EXPECT_FALSE(Tree->SaveTreeToFile(folder.Path() + "no such folder\\tree.txt"));
    }));
    std::string content;
    ASSERT_TRUE(ReadWholeFile(path, content));
    std::string expected;
    for (const std::string& line : expectedLines) expected += line + "\r\n";
    EXPECT_EQ(content, expected);
    const HWND empty = Target->Window("basic.empty");
    EXPECT_NE(content.find("\r\n  \x95[" + FormatHandle(HandleValue(empty)) + "] {Static}\r\n"), std::string::npos);
    EXPECT_EQ(content.rfind("+[", 0), 0u);
}

TEST_F(TreeTest, InitialWindowIsSelectedAndDoubleClickInspects)
{
    const HWND edit = Target->Window("basic.edit");
    ASSERT_TRUE(WithTree([&](HWND) { EXPECT_EQ(Tree->SelectedIndex(), IndexOf(edit)); }, edit));
    EXPECT_EQ(Tree->InitialWindow, nullptr);
    // A window that no longer exists selects nothing.
    ASSERT_TRUE(WithTree([](HWND) { EXPECT_EQ(Tree->SelectedIndex(), -1); }, reinterpret_cast<HWND>(0x7FFF0)));

    bool closed = false;
    ASSERT_TRUE(WithTree([&](HWND tree) {
        Select(edit);
        NMHDR header{Tree->TreeView(), IDC_TREE_VIEW, NM_DBLCLK};
        ::SendMessageA(tree, WM_NOTIFY, IDC_TREE_VIEW, reinterpret_cast<LPARAM>(&header));
        closed = !::IsWindow(tree) || !::IsWindowVisible(tree);
    }));
    EXPECT_TRUE(closed);
    ASSERT_TRUE(Inspected.has_value());
    EXPECT_EQ(Inspected->Handle, edit);
    EXPECT_EQ(Inspected->ClassName, "Edit");
}

TEST_F(TreeTest, OpensBesideTheMainWindowUnlessTheUserMovedItAndInsideTheWorkArea)
{
    // A stand-in for the main window at the top right of the screen.
    const HWND main = ::CreateWindowExA(WS_EX_TOOLWINDOW, "STATIC", "main", WS_POPUP | WS_VISIBLE, 900, 0, 380, 400,
                                        nullptr, nullptr, ::GetModuleHandleA(nullptr), nullptr);
    ASSERT_NE(main, nullptr);
    RECT work{};
    ::SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
    const auto placed = [&](const char* when, const std::function<void(HWND tree)>& act = {}) {
        RECT shown{};
        EXPECT_TRUE(WithTree([&](HWND tree) {
            ::GetWindowRect(tree, &shown);
            if (act) act(tree);
        }, nullptr, main));
        EXPECT_TRUE(shown.left >= work.left && shown.top >= work.top && shown.right <= work.right &&
                    shown.bottom <= work.bottom)
            << when << ": " << shown.left << "," << shown.top << "," << shown.right << "," << shown.bottom;
        return shown;
    };
    const auto besideMain = [&](const RECT& shown) {
        RECT mainRect{}, overlap{};
        ::GetWindowRect(main, &mainRect);
        return ::IntersectRect(&overlap, &mainRect, &shown) == FALSE;
    };
    EXPECT_TRUE(besideMain(placed("first")));
    // Never moved by the user, it follows the main window rather than reopening over it.
    ::SetWindowPos(main, nullptr, 500, 0, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    const RECT second = placed("after the main window moved");
    EXPECT_TRUE(besideMain(second));
    // Moved and sized by the user partly off the screen: it reopens there with that size, pulled inside.
    const int width = second.right - second.left + 20;
    const int height = second.bottom - second.top;
    placed("moved", [&](HWND tree) {
        ::SetWindowPos(tree, nullptr, work.left - 150, work.top + 100, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
        ::SendMessageA(tree, WM_EXITSIZEMOVE, 0, 0);
    });
    const RECT third = placed("reopened after the move");
    EXPECT_EQ(third.left, work.left);
    EXPECT_EQ(third.top, std::min<LONG>(work.top + 100, work.bottom - height));
    EXPECT_EQ(third.right - third.left, width);
    ::DestroyWindow(main);
}

TEST_F(TreeTest, ByProcessGroupsWindowsUnderTheirProcessAndThread)
{
    lvxtest::RegistryKeyBackup settings(SettingsKey);
    lvxtest::TempFolder folder;
    Target->HangWindow();
    const HWND top = Target->Window("basic");
    const HWND hung = Target->Window("hung");
    const DWORD mainThread = ::GetWindowThreadProcessId(top, nullptr);
    const auto hungThread = static_cast<DWORD>(Target->Number("hung.tid"));
    ASSERT_NE(mainThread, hungThread);
    ASSERT_TRUE(WithTree([&](HWND tree) {
        // The tool bar's choice regroups at once and is remembered.
        ::SendMessageA(tree, WM_COMMAND, IDM_TREE_BYPROCESS, 0);
        EXPECT_TRUE(TreeGroupByProcess);
        bool stored = false;
        EXPECT_TRUE(SettingsReadBool(SettingsKey, "TreeByProcess", stored));
        EXPECT_TRUE(stored);
        EXPECT_NE(::SendMessageA(::GetDlgItem(::GetDlgItem(tree, IDC_TREE_TOOLBAR_SCROLLER), IDC_TREE_TOOLBAR),
                                 TB_ISBUTTONCHECKED, IDM_TREE_BYPROCESS, 0), 0);

        const auto& nodes = Tree->Nodes();
        const int process = ProcessNodeOf(Target->ProcessId());
        ASSERT_GE(process, 0);
        const auto& node = nodes[static_cast<size_t>(process)];
        EXPECT_EQ(node.Depth, 1);
        EXPECT_EQ(node.Entry.Text, "lvxtarget.exe");
        EXPECT_EQ(node.Bits, sizeof(void*) == 8 ? ProcessBits::Bits64 : ProcessBits::Bits32);
        EXPECT_EQ(ShownText(node.Item).rfind("[PID " + std::to_string(Target->ProcessId()) + "] lvxtarget.exe {", 0), 0u)
            << ShownText(node.Item);
        // Processes sorted by name, then id.
        for (int i = 0, last = -1; i < static_cast<int>(nodes.size()); ++i) {
            if (nodes[static_cast<size_t>(i)].Kind != TWindowTreeForm::NodeKind::Process) continue;
            if (last >= 0) {
                const auto& before = nodes[static_cast<size_t>(last)];
                const auto& after = nodes[static_cast<size_t>(i)];
                const std::string a = UpperCaseAscii(before.Entry.Text), b = UpperCaseAscii(after.Entry.Text);
                EXPECT_TRUE(a < b || (a == b && before.ProcessId < after.ProcessId)) << a << " " << b;
            }
            last = i;
        }
        // Each top-level window under the thread that made it; its children below it as in the hierarchy.
        const auto& mainNode = nodes[static_cast<size_t>(ParentIndex(IndexOf(top)))];
        const auto& hungNode = nodes[static_cast<size_t>(ParentIndex(IndexOf(hung)))];
        EXPECT_EQ(mainNode.Kind, TWindowTreeForm::NodeKind::Thread);
        EXPECT_EQ(mainNode.ThreadId, mainThread);
        EXPECT_EQ(hungNode.ThreadId, hungThread);
        EXPECT_EQ(ParentIndex(ParentIndex(IndexOf(hung))), process);
        EXPECT_EQ(ParentOf(Target->Window("basic.panel.label")), Target->Window("basic.panel"));
        EXPECT_EQ(NodeOf(Target->Window("basic.panel.label")).Depth, 5);
        // Only the thread whose windows do not answer is marked, and its windows get the placeholder.
        EXPECT_TRUE(hungNode.NotResponding);
        EXPECT_FALSE(mainNode.NotResponding);
        EXPECT_EQ(NodeOf(hung).Entry.Text, MessageText(Msg::WindowNotReply));
        EXPECT_NE(ShownText(hungNode.Item).find(", "), std::string::npos) << ShownText(hungNode.Item);
        EXPECT_EQ(ShownText(mainNode.Item).find(", "), std::string::npos) << ShownText(mainNode.Item);
        // The counts: every window below, at every depth.
        int windows = 0;
        for (size_t i = static_cast<size_t>(process) + 1; i < nodes.size() && nodes[i].Depth > 1; ++i)
            windows += nodes[i].Kind == TWindowTreeForm::NodeKind::Window;
        EXPECT_EQ(node.WindowCount, windows);
        // The hung thread's own windows (the system may add a helper window of its own to a thread).
        const int hungIndex = ParentIndex(IndexOf(hung));
        int hungWindows = 0;
        for (size_t i = static_cast<size_t>(hungIndex) + 1; i < nodes.size() && nodes[i].Depth > 2; ++i) ++hungWindows;
        EXPECT_EQ(hungNode.WindowCount, hungWindows);
        EXPECT_GE(hungWindows, 2);

        // The search and the handle notation reach the windows in this grouping too.
        ::SendMessageA(Tree->TreeView(), TVM_SELECTITEM, TVGN_CARET, 0);
        EXPECT_EQ(Tree->FindNextInTree("inner LABEL", "*"), IndexOf(Target->Window("basic.panel.label")));
        ::SendMessageA(Tree->TreeView(), TVM_SELECTITEM, TVGN_CARET, 0);
        EXPECT_EQ(Tree->FindNextInTree("lvxtarget.exe/LvxTargetMain/LvxPanel/Static", "*"),
                  IndexOf(Target->Window("basic.panel.label")));
        Tree->HandleNotationClick(1);
        EXPECT_EQ(ShownText(NodeOf(top).Item),
                  "[" + std::to_string(static_cast<int32_t>(HandleValue(top))) + "] Lumivex Target {LvxTargetMain}");
        Tree->HandleNotationClick(2);

        // Saved with process and thread lines, read back node by node; the hierarchy's file as well.
        ASSERT_TRUE(Tree->SaveTreeToFile(folder.Path() + "process.txt"));
        EXPECT_EQ(ReadSavedTree(folder.Path() + "process.txt"), ShownTree());
        ::SendMessageA(tree, WM_COMMAND, IDM_TREE_BYHIERARCHY, 0);
        EXPECT_FALSE(TreeGroupByProcess);
        EXPECT_EQ(NodeOf(top).Depth, 1);
        ASSERT_TRUE(Tree->SaveTreeToFile(folder.Path() + "hierarchy.txt"));
        EXPECT_EQ(ReadSavedTree(folder.Path() + "hierarchy.txt"), ShownTree());
    }));
    EXPECT_TRUE(SettingsReadBool(SettingsKey, "TreeByProcess", TreeGroupByProcess));
    EXPECT_FALSE(TreeGroupByProcess);

    // Opened grouped by process on a window: its node selected, the process expanded; a double
    // click inspects it as in the hierarchy.
    TreeGroupByProcess = true;
    const HWND edit = Target->Window("basic.edit");
    ASSERT_TRUE(WithTree([&](HWND tree) {
        EXPECT_EQ(Tree->SelectedIndex(), IndexOf(edit));
        const int process = ProcessNodeOf(Target->ProcessId());
        ASSERT_GE(process, 0);
        const auto state = ::SendMessageA(Tree->TreeView(), TVM_GETITEMSTATE,
                                          reinterpret_cast<WPARAM>(Tree->Nodes()[static_cast<size_t>(process)].Item), TVIS_EXPANDED);
        EXPECT_NE(state & TVIS_EXPANDED, 0);
        NMHDR header{Tree->TreeView(), IDC_TREE_VIEW, NM_DBLCLK};
        ::SendMessageA(tree, WM_NOTIFY, IDC_TREE_VIEW, reinterpret_cast<LPARAM>(&header));
    }, edit));
    ASSERT_TRUE(Inspected.has_value());
    EXPECT_EQ(Inspected->Handle, edit);
}

TEST_F(TreeTest, ProcessAndThreadNodesCommandTheirOwnProcessAndThread)
{
    using namespace MainFormIds;
    TreeGroupByProcess = true;
    const TargetProcess victim({"basic"});
    ASSERT_TRUE(victim.Ready());
    const HWND top = Target->Window("basic");
    const DWORD threadId = ::GetWindowThreadProcessId(top, nullptr);
    const unique_kernel_handle thread(::OpenThread(THREAD_QUERY_INFORMATION | THREAD_SUSPEND_RESUME, FALSE, threadId));
    ASSERT_TRUE(thread);
    ASSERT_TRUE(WithTree([&](HWND) {
        const int process = ProcessNodeOf(Target->ProcessId());
        ASSERT_GE(process, 0);
        Tree->NodeCommand(process, RealTimePriorityItemId + 4);  // below normal
        EXPECT_EQ(::GetPriorityClass(Target->Process()), static_cast<DWORD>(BELOW_NORMAL_PRIORITY_CLASS));
        EXPECT_EQ(::GetPriorityClass(victim.Process()), static_cast<DWORD>(NORMAL_PRIORITY_CLASS));
        Tree->NodeCommand(process, RealTimePriorityItemId + 3);
        EXPECT_EQ(::GetPriorityClass(Target->Process()), static_cast<DWORD>(NORMAL_PRIORITY_CLASS));

        const int threadNode = ParentIndex(IndexOf(top));
        Tree->NodeCommand(threadNode, TimeCriticalThreadItemId + 4);  // below normal
        EXPECT_EQ(::GetThreadPriority(thread.get()), THREAD_PRIORITY_BELOW_NORMAL);
        Tree->NodeCommand(threadNode, TimeCriticalThreadItemId + 3);
        EXPECT_EQ(::GetThreadPriority(thread.get()), THREAD_PRIORITY_NORMAL);
        // Suspended once: its count shows on the node, and the thread really is held.
        Tree->NodeCommand(threadNode, IDM_TREE_THREAD_SUSPEND);
        EXPECT_EQ(Tree->Nodes()[static_cast<size_t>(threadNode)].SuspendCount, 1u);
        EXPECT_NE(ShownText(Tree->Nodes()[static_cast<size_t>(threadNode)].Item).find(": 1"), std::string::npos);
        EXPECT_EQ(::SuspendThread(thread.get()), 1u);
        EXPECT_EQ(::ResumeThread(thread.get()), 2u);
        Tree->NodeCommand(threadNode, IDM_TREE_THREAD_RESUME);
        EXPECT_EQ(Tree->Nodes()[static_cast<size_t>(threadNode)].SuspendCount, 0u);
        EXPECT_EQ(::SuspendThread(thread.get()), 0u);
        ::ResumeThread(thread.get());

        // The inspector's own thread and process are refused: this test goes on running.
        const int own = ProcessNodeOf(::GetCurrentProcessId());
        ASSERT_GE(own, 0);
        Tree->NodeCommand(own + 1, IDM_TREE_THREAD_SUSPEND);
        EXPECT_EQ(Tree->Nodes()[static_cast<size_t>(own + 1)].SuspendCount, 0u);
        Tree->NodeCommand(own, IDM_TREE_PROC_TERMINATE);

        // Ending a process ends that one only, and the tree is scanned again without it.
        Tree->NodeCommand(ProcessNodeOf(victim.ProcessId()), IDM_TREE_PROC_TERMINATE);
        EXPECT_EQ(::WaitForSingleObject(victim.Process(), 10000), WAIT_OBJECT_0);
        EXPECT_EQ(::WaitForSingleObject(Target->Process(), 0), static_cast<DWORD>(WAIT_TIMEOUT));
        EXPECT_LT(ProcessNodeOf(victim.ProcessId()), 0);
        EXPECT_GE(ProcessNodeOf(Target->ProcessId()), 0);
    }));
    EXPECT_EQ(Host.Errors, 0);
}

TEST_F(TreeTest, ByProcessNamesTheOtherBitnessProgram)
{
    const std::string program = lvxtest::OtherBitnessTarget();
    if (program.empty()) GTEST_SKIP() << "the other bitness's build has not made its target program";
    const TargetProcess peer({"basic"}, program);
    ASSERT_TRUE(peer.Ready());
    TreeGroupByProcess = true;
    ASSERT_TRUE(WithTree([&](HWND) {
        const int process = ProcessNodeOf(peer.ProcessId());
        ASSERT_GE(process, 0);
        const auto& node = Tree->Nodes()[static_cast<size_t>(process)];
        EXPECT_EQ(node.Entry.Text, "lvxtarget-other.exe");
        EXPECT_EQ(node.Bits, sizeof(void*) == 8 ? ProcessBits::Bits32 : ProcessBits::Bits64);
        EXPECT_EQ(ParentIndex(ParentIndex(IndexOf(peer.Window("basic")))), process);
    }));
}

// The message log opened from a process node covers every thread of the process, threads that
// come later included, thread messages too; from a thread node that thread only. The log's
// window column and window filter are seen on the way.
TEST_F(TreeTest, WatchingMessagesFromAProcessOrThreadNodeCoversItsThreads)
{
    InitProgramFolder();
    const TargetProcess watched({"basic", "hung"});
    ASSERT_TRUE(watched.Ready());
    TreeGroupByProcess = true;
    const std::vector<MessageName> names;
    TMessageLogForm log(ProgramFolder, names);
    Tree->SetWatchMessages([&](const msglog::WatchScope& scope) { log.ShowWatching(nullptr, scope); });
    constexpr UINT Marker = WM_APP + 0x300;
    constexpr UINT NewThreadWindow = WM_APP + 13;
    const HWND main = watched.Window("basic"), hung = watched.Window("hung"), button = watched.Window("hung.button");
    const auto hungThread = static_cast<DWORD>(watched.Number("hung.tid"));
    const auto mark = [&](HWND window) {
        DWORD_PTR answer = 0;
        return ::SendMessageTimeoutA(window, Marker, 0, 0, SMTO_NORMAL, 10000, &answer) != 0;
    };
    const auto marked = [&](HWND window) {
        size_t count = 0;
        for (size_t i = 0; i < log.Store().Size(); ++i)
            count += log.Store().At(i).Message == Marker && log.Store().At(i).Window == reinterpret_cast<uintptr_t>(window);
        return count;
    };
    HWND later = nullptr;
    ASSERT_TRUE(WithTree([&](HWND dialog) {
        Tree->NodeCommand(ProcessNodeOf(watched.ProcessId()), IDM_TREE_WATCH_MESSAGES);
        ASSERT_TRUE(log.Session().Active()) << log.StatusText();
        EXPECT_GE(log.Session().Threads().size(), 2u);
        // A window on a thread that did not exist when the watch began: hooked once it is found.
        DWORD_PTR answer = 0;
        ASSERT_NE(::SendMessageTimeoutA(watched.Window("control"), NewThreadWindow, 0, 0, SMTO_NORMAL, 10000, &answer), 0);
        later = reinterpret_cast<HWND>(answer);
        ASSERT_TRUE(::IsWindow(later));
        for (const HWND window : {main, hung, button}) ASSERT_TRUE(mark(window));
        ASSERT_TRUE(::PostThreadMessageA(hungThread, Marker, 7, 0));
        EXPECT_TRUE(lvxtest::WaitFor([&] {
            log.PollRecords();
            if (marked(later) < 2) mark(later);  // until hooked before a whole send
            return marked(main) >= 2 && marked(hung) >= 2 && marked(button) >= 2 && marked(later) >= 2 && marked(nullptr) >= 1;
        })) << marked(main) << marked(hung) << marked(button) << marked(later) << marked(nullptr);
        EXPECT_EQ(log.StatusText(), "Идет запись сообщений всех окон процесса lvxtarget.exe (" +
                                        std::to_string(watched.ProcessId()) + ")");
        // The window column: the handle and the class; the thread message's placeholder.
        for (size_t i = 0; i < log.Store().Size(); ++i) {
            const auto& record = log.Store().At(i);
            if (record.Message != Marker) continue;
            if (record.Window == reinterpret_cast<uintptr_t>(button)) {
                EXPECT_EQ(log.Cell(i, 2), FormatHandle(HandleValue(button)) + " Button");
            }
            if (record.Window == 0) {
                EXPECT_EQ(log.Cell(i, 2), "(сообщение потока)");
            }
        }
        // The window filter: a class (in any case) and a handle; a word that is no window is said.
        ::SetWindowTextA(log.filterWindowsEdit_, "0xZZ");
        EXPECT_FALSE(log.ApplyFilterClick());
        EXPECT_EQ(log.StatusText(), "В фильтре не окно: 0xZZ");
        ::SetWindowTextA(log.filterWindowsEdit_, ("bUTTON " + FormatHandle(HandleValue(later))).c_str());
        ASSERT_TRUE(log.ApplyFilterClick());
        EXPECT_GE(marked(button), 2u);
        EXPECT_GE(marked(later), 2u);
        EXPECT_EQ(marked(main) + marked(hung) + marked(nullptr), 0u);
        ::SetWindowTextA(log.filterWindowsEdit_, "");
        ASSERT_TRUE(log.ApplyFilterClick());

        // From the hung thread's node: its windows, not the main thread's.
        log.ClearClick();
        Tree->NodeCommand(ParentIndex(IndexOf(hung)), IDM_TREE_WATCH_MESSAGES);
        ASSERT_TRUE(log.Session().Active()) << log.StatusText();
        EXPECT_EQ(log.Session().Threads(), std::vector<DWORD>{hungThread});
        for (const HWND window : {main, later, hung, button}) ASSERT_TRUE(mark(window));
        EXPECT_TRUE(lvxtest::WaitFor([&] {
            log.PollRecords();
            return marked(hung) >= 2 && marked(button) >= 2;
        }));
        EXPECT_EQ(log.StatusText(), "Идет запись сообщений всех окон потока " + std::to_string(hungThread));
        log.FollowWindow(main);  // picked while recording: the watch goes on as it is
        log.StopClick();
        EXPECT_EQ(marked(main) + marked(later), 0u);
        log.StartClick();
        EXPECT_EQ(log.Session().Scope().What, msglog::WatchScope::Kind::Thread);
        log.StopClick();
        // Picked while not recording: the log is the window's again; so from a window's node.
        log.FollowWindow(hung);
        log.StartClick();
        EXPECT_EQ(log.Session().Scope().What, msglog::WatchScope::Kind::Window);
        EXPECT_EQ(log.Session().Scope().Window, hung);
        Tree->NodeCommand(IndexOf(main), IDM_TREE_WATCH_MESSAGES);
        EXPECT_EQ(log.Session().Scope().What, msglog::WatchScope::Kind::Window);
        EXPECT_EQ(log.Session().Scope().Window, main);
        EXPECT_EQ(log.Session().Threads(), std::vector<DWORD>{::GetWindowThreadProcessId(main, nullptr)});
        log.StopClick();

        // This program's own thread: its windows are recorded, but for the log's own, whose
        // redrawing would feed itself.
        log.ClearClick();
        Tree->NodeCommand(ProcessNodeOf(::GetCurrentProcessId()) + 1, IDM_TREE_WATCH_MESSAGES);
        ASSERT_TRUE(log.Session().Active()) << log.StatusText();
        ASSERT_TRUE(mark(dialog));
        EXPECT_TRUE(lvxtest::WaitFor([&] {
            log.PollRecords();
            return marked(dialog) >= 2;
        })) << marked(dialog);
        size_t own = 0;
        for (size_t i = 0; i < log.Store().Size(); ++i) {
            const auto window = reinterpret_cast<HWND>(static_cast<uintptr_t>(log.Store().At(i).Window));
            own += window == log.Handle() || ::IsChild(log.Handle(), window);
        }
        EXPECT_EQ(own, 0u);
        log.StopClick();
    }));
    Tree->SetWatchMessages(nullptr);
}

TEST(WindowTreeForm, TranslatesEveryKeyOfItsSection)
{
    TQuickSearchForm search;
    TWindowTreeForm tree(search, nullptr);
    std::set<std::string> looked;
    for (const TranslationTarget& target : tree.TranslationTargets()) looked.insert(target.Key);
    const auto keys = LanguageKeysOf("WindowTreeForm");
    EXPECT_EQ(looked, std::set<std::string>(keys.begin(), keys.end()));
}
