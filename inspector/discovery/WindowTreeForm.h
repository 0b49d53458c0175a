// The window tree: every window of the desktop as a tree, searchable, exportable as text.
#pragma once

#include "DiscoveryText.h"
#include "core/Dialog.h"
#include "core/Handles.h"
#include "core/UNI_WindowInfo.h"
#include "language/MultiLang.h"
#include "tools/ToolWindows.h"

#include <commctrl.h>

#include <functional>
#include <map>
#include <string>
#include <vector>

namespace lvx {

class TQuickSearchForm;
class ProcessThreadPanel;
namespace msglog {
struct WatchScope;
}

// How node texts show handles; kept for the whole run, not saved.
extern HandleNotation HandleDisplayMode;

// The picture of the desktop and of a top-level window that no class picture covers.
inline constexpr int DesktopImage = 43;
inline constexpr int TopLevelImage = 46;
// The pictures of a process without an icon of its own and of a thread.
inline constexpr int ProcessImage = 40;
inline constexpr int ThreadImage = 42;

struct WindowTreeEntry {
    HWND Handle = nullptr;
    std::string Text;
    std::string ClassName;
};

class TWindowTreeForm : public Dialog {
public:
    // `inspect` gets a double-clicked window, fully gathered, to make it the inspected window.
    using Inspect = std::function<void(WindowInfo info)>;
    TWindowTreeForm(TQuickSearchForm& search, Inspect inspect);
    ~TWindowTreeForm() override;
    // The process and thread commands of process and thread nodes' menus; none: no such menus.
    void SetProcessCommands(ProcessThreadPanel* commands) { commands_ = commands; }
    // Opens the message log on a node's window, thread or process; none: no such menu item.
    using WatchMessages = std::function<void(const msglog::WatchScope& scope)>;
    void SetWatchMessages(WatchMessages watch) { watchMessages_ = std::move(watch); }

    // Shows the tree modally; the node of `InitialWindow` is selected after the scan.
    void ShowTree(HWND owner);
    HWND InitialWindow = nullptr;

    // The actions of the toolbar and the keyboard.
    void ScanWindowTreeExecute();
    void CollapseTreeExecute();
    void ExpandTreeExecute();
    void ExpandThisItemExecute();
    void FindWindowExecute();
    void FindNextWindowExecute();
    void SaveWindowTreeExecute();
    void HandleNotationClick(int tag);  // handle notation, by the menu item's Tag
    // A command of a node's menu: a priority item of the process panel's menus, one of
    // IDM_TREE_PROC_TERMINATE ... IDM_TREE_THREAD_TERMINATE, or IDM_TREE_WATCH_MESSAGES.
    void NodeCommand(int index, int command);
    // The captions of the process and thread nodes' menus, in the order of the commands above
    // (process priority, terminate process, thread priority, suspend, resume, terminate thread),
    // then the message log's item of every node's menu.
    [[nodiscard]] const std::vector<std::string>& NodeMenuCaptions() const noexcept { return nodeMenuCaptions_; }
    // Groups the windows by their parents or by process and thread, remembers it and scans again.
    void GroupingClick(bool byProcess);

    // The next node after the selection, in tree order, whose text and class match the masks (or,
    // when the text is a locator that finds windows, one of those windows); it becomes selected. -1 when none (or when a mask is invalid: `error` then says why).
    int FindNextInTree(const std::string& textMask, const std::string& classMask, std::string* error = nullptr);
    // Writes the whole tree as text; false when the file cannot be written.
    [[nodiscard]] bool SaveTreeToFile(const std::string& path) const;

    // What a test or the display reads back: nodes in tree order. A process node keeps its image
    // file name as its text; process and thread nodes have no window handle.
    enum class NodeKind : uint8_t { Window, Process, Thread };
    struct Node {
        HTREEITEM Item = nullptr;
        int Depth = 0;
        bool HasChildren = false;
        int Image = 0;
        WindowTreeEntry Entry;
        NodeKind Kind = NodeKind::Window;
        DWORD ProcessId = 0;  // of process and thread nodes
        DWORD ThreadId = 0;   // of thread nodes
        ProcessBits Bits = ProcessBits::Unknown;
        int WindowCount = 0;  // the windows below a process or thread node, at every depth
        bool NotResponding = false;  // of a thread whose windows did not answer within the bound
        DWORD SuspendCount = 0;  // of a thread, after the tree's own suspend or resume
    };
    [[nodiscard]] const std::vector<Node>& Nodes() const noexcept { return nodes_; }
    [[nodiscard]] int SelectedIndex() const;
    [[nodiscard]] std::string NodeText(int index) const;
    [[nodiscard]] bool FindNextEnabled() const noexcept { return findNextEnabled_; }
    [[nodiscard]] HWND TreeView() const noexcept { return treeView_; }
    // The menu of the handle notations, under the toolbar's drop-down button.
    [[nodiscard]] HMENU HandleNotationMenu() const noexcept { return handleNotationMenu_.get(); }

    [[nodiscard]] std::vector<TranslationTarget> TranslationTargets();

protected:
    INT_PTR HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    void FormCreate();
    void FormShow();
    void CreateControls();
    void Layout();
    void ShowWait(const std::string& caption);
    void ShowTreeAgain(bool focus);
    void AddWindow(HWND window, int parentNode, bool answers = true);
    void AddProcesses(const std::vector<HWND>& topLevels);
    [[nodiscard]] int ProcessIcon(const std::string& path);
    void SetNodeText(size_t index);
    void InsertNode(Node node, HTREEITEM parent);
    void SelectNode(size_t index);
    void SetFindNextEnabled(bool enabled);
    void TreeDblClick();
    void ShowHandlesMenu();
    void ShowNodeMenu();
    void WatchMessagesOf(size_t index);
    bool HandleKey(WORD key);
    LRESULT TreeCustomDrawItem(NMTVCUSTOMDRAW& draw);
    LRESULT HandleNotify(NMHDR& header);
    [[nodiscard]] int IndexOf(HTREEITEM item) const;
    [[nodiscard]] std::string ToolHint(int command) const;

    TQuickSearchForm& search_;
    Inspect inspect_;
    std::vector<Node> nodes_;
    bool findNextEnabled_ = false;
    ToolPlace place_;  // where the user last put the window
    UINT dpi_ = 96;
    UINT imagesDpi_ = 0;  // the DPI the image lists were made for

    // Texts a language file may replace.
    std::string hints_[8];
    std::string showHandlesHint_;
    std::string menuCaptions_[3];
    std::string groupingHints_[2];
    std::string windowsWord_, notResponding_, bits32_, bits64_, suspendedWord_;
    std::vector<std::string> nodeMenuCaptions_;
    ProcessThreadPanel* commands_ = nullptr;
    WatchMessages watchMessages_;
    std::map<std::string, int> processIcons_;  // image path -> picture in classImages_

    using unique_imagelist = unique_handle<HandleTraits<HIMAGELIST, ::ImageList_Destroy>>;
    unique_imagelist toolImages_;  // toolbar, 32x32
    unique_imagelist classImages_;  // class pictures, 20x20
    unique_menu handleNotationMenu_;
    unique_gdi panelFont_;
    unique_gdi treeFont_;
    unique_gdi selectedFont_;

    HWND toolBarPanel_ = nullptr;
    HWND toolBarScroller_ = nullptr;
    HWND toolBar_ = nullptr;
    HWND treeView_ = nullptr;
};

}  // namespace lvx
