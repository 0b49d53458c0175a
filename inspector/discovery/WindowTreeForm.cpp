// The window tree: every window of the desktop as a tree, searchable, exportable as text.
#include "WindowTreeForm.h"

#include "WindowLocator.h"

#include "ClassIcons.h"
#include "Mask.h"
#include "QuickSearchForm.h"
#include "core/TextFiles.h"
#include "core/PixelScale.h"
#include "core/UNI_Processes.h"
#include "core/panels/ProcessThreadPanel.h"
#include "msglog/MessageLogSession.h"
#include "core/UNI_Strings.h"
#include "core/Window.h"
#include "language/MessageTable.h"
#include "resources/resource.h"
#include "settings/Settings.h"
#include "tools/ToolWindows.h"

#include <shellapi.h>
#include <windowsx.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <map>
#include <optional>
#include <utility>

namespace lvx {

HandleNotation HandleDisplayMode = HandleNotation::Hexadecimal;

namespace {

constexpr char ApplicationTitle[] = "Narvolt Lumivex";
constexpr int ToolButtonSize = 39;
constexpr int ToolImageSize = 32;
constexpr int ClassImageSize = 20;
constexpr int ClassImageCount = 50;
constexpr int ToolImageCount = 10;
constexpr int TreeIndent = 23;

// The toolbar in its order; 0 is a separator.
struct ToolAction {
    int Command;
    int Image;
    const char* Hint;
};
constexpr ToolAction ToolActions[] = {
    {IDM_TREE_SCAN, 2, "Сканировать дерево окон"},
    {0, 0, nullptr},
    {IDM_TREE_COLLAPSE, 1, "Свернуть все ветви дерева"},
    {IDM_TREE_EXPAND, 0, "Развернуть все ветви дерева"},
    {IDM_TREE_EXPANDTHIS, 7, "Развернуть выделенный узел"},
    {IDM_TREE_SHOWHANDLES, 6, "Показывать хэндлы как..."},
    {0, 0, nullptr},
    {IDM_TREE_BYHIERARCHY, 8, "по иерархии"},
    {IDM_TREE_BYPROCESS, 9, "по процессам"},
    {0, 0, nullptr},
    {IDM_TREE_FIND, 3, "Поиск окна в дереве по маске"},
    {IDM_TREE_FINDNEXT, 5, "Искать дальше"},
    {0, 0, nullptr},
    {IDM_TREE_SAVE, 4, "Сохранить дерево окон в текстовом файле"},
};
// The hint slots of the actions (the drop-down button's hint is kept apart).
constexpr int HintCommands[] = {IDM_TREE_SCAN, IDM_TREE_COLLAPSE, IDM_TREE_EXPAND, IDM_TREE_EXPANDTHIS,
                                IDM_TREE_FIND, IDM_TREE_FINDNEXT, IDM_TREE_SAVE};
constexpr const char* MenuCaptions[] = {"Не отображать хэндлы", "Десятичные хэндлы", "Шестнадцатиричные хэндлы"};

int HintSlot(int command)
{
    const auto at = std::find(std::begin(HintCommands), std::end(HintCommands), command);
    return at == std::end(HintCommands) ? -1 : static_cast<int>(at - std::begin(HintCommands));
}

// A strip of pictures with magenta as the transparent colour, drawn `size` pixels square for
// 96 DPI; at other DPIs each picture is resampled smoothly to its scaled size, with alpha.
HIMAGELIST LoadStrip(int resource, int size, int count, UINT dpi)
{
    const auto bitmap = static_cast<HBITMAP>(
        ::LoadImageA(ProgramInstance(), MAKEINTRESOURCEA(resource), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
    const unique_gdi owner(bitmap);
    const int scaled = ScaleForDpi(size, dpi);
    if (scaled == size || bitmap == nullptr) {
        HIMAGELIST list = ::ImageList_Create(size, size, ILC_COLOR24 | ILC_MASK, count, 0);
        if (list != nullptr && bitmap != nullptr) ::ImageList_AddMasked(list, bitmap, RGB(255, 0, 255));
        return list;
    }
    const int width = size * count;
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -size;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    std::vector<std::uint32_t> strip(static_cast<size_t>(width) * static_cast<size_t>(size));
    {
        const WindowDC screen(nullptr, WindowDC::Area::Client);
        if (::GetDIBits(screen.get(), bitmap, 0, static_cast<UINT>(size), strip.data(), &info, DIB_RGB_COLORS) != size)
            return nullptr;
    }
    std::vector<std::uint32_t> result(static_cast<size_t>(scaled) * static_cast<size_t>(scaled) * static_cast<size_t>(count));
    std::vector<std::uint32_t> picture(static_cast<size_t>(size) * static_cast<size_t>(size));
    for (int index = 0; index < count; ++index) {
        for (int y = 0; y < size; ++y) {
            for (int x = 0; x < size; ++x) {
                const std::uint32_t pixel = strip[static_cast<size_t>(y * width + index * size + x)] & 0xFFFFFFu;
                picture[static_cast<size_t>(y * size + x)] = pixel == 0xFF00FFu ? 0 : (0xFF000000u | pixel);
            }
        }
        const std::vector<std::uint32_t> big = ScalePixels(picture, size, size, scaled, scaled);
        for (int y = 0; y < scaled && !big.empty(); ++y) {
            for (int x = 0; x < scaled; ++x) {
                // The image list takes straight alpha: the premultiplied average is divided back.
                std::uint32_t pixel = big[static_cast<size_t>(y * scaled + x)];
                const std::uint32_t alpha = pixel >> 24;
                if (alpha != 0 && alpha != 255) {
                    const auto channel = [&](int shift) {
                        return std::min<std::uint32_t>(255, ((pixel >> shift) & 0xFFu) * 255 / alpha) << shift;
                    };
                    pixel = (alpha << 24) | channel(16) | channel(8) | channel(0);
                }
                result[static_cast<size_t>(y * scaled * count + index * scaled + x)] = pixel;
            }
        }
    }
    info.bmiHeader.biWidth = scaled * count;
    info.bmiHeader.biHeight = -scaled;
    void* bits = nullptr;
    const unique_gdi scaledStrip(::CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    if (!scaledStrip || bits == nullptr) return nullptr;
    std::copy(result.begin(), result.end(), static_cast<std::uint32_t*>(bits));
    HIMAGELIST list = ::ImageList_Create(scaled, scaled, ILC_COLOR32, count, 0);
    if (list != nullptr) ::ImageList_Add(list, static_cast<HBITMAP>(scaledStrip.get()), nullptr);
    return list;
}

BOOL CALLBACK CollectWindow(HWND window, LPARAM parameter)
{
    reinterpret_cast<std::vector<HWND>*>(parameter)->push_back(window);
    return TRUE;
}

std::vector<HWND> TopLevelWindows()
{
    std::vector<HWND> windows;
    ::EnumWindows(&CollectWindow, reinterpret_cast<LPARAM>(&windows));
    return windows;
}

std::vector<HWND> Descendants(HWND window)
{
    std::vector<HWND> windows;
    ::EnumChildWindows(window, &CollectWindow, reinterpret_cast<LPARAM>(&windows));
    return windows;
}

}  // namespace

TWindowTreeForm::TWindowTreeForm(TQuickSearchForm& search, Inspect inspect)
    : Dialog(IDD_WINDOWTREEFORM), search_(search), inspect_(std::move(inspect))
{
    for (int slot = 0; slot < static_cast<int>(std::size(HintCommands)); ++slot) {
        for (const ToolAction& action : ToolActions)
            if (action.Command == HintCommands[slot]) hints_[slot] = action.Hint;
    }
    showHandlesHint_ = "Показывать хэндлы как...";
    groupingHints_[0] = "по иерархии";
    groupingHints_[1] = "по процессам";
    windowsWord_ = "окон";
    notResponding_ = "не отвечает";
    bits32_ = "32 бита";
    bits64_ = "64 бита";
    suspendedWord_ = "заморозок";
    nodeMenuCaptions_ = {"Изменить приоритет процесса", "Принудительно завершить процесс", "Изменить приоритет потока",
                         "Заморозить поток", "Разморозить поток", "Принудительно завершить поток",
                         "Следить за сообщениями"};
    for (size_t i = 0; i < std::size(MenuCaptions); ++i) menuCaptions_[i] = MenuCaptions[i];
}

TWindowTreeForm::~TWindowTreeForm() = default;

void TWindowTreeForm::ShowTree(HWND owner)
{
    ShowModal(owner);
}

std::vector<TranslationTarget> TWindowTreeForm::TranslationTargets()
{
    const auto hint = [this](int command) {
        return [this, command](const std::string& value) { hints_[HintSlot(command)] = value; };
    };
    const auto menu = [this](size_t item) {
        return [this, item](const std::string& value) { menuCaptions_[item] = value; };
    };
    const auto caption = [this](size_t item) {
        return [this, item](const std::string& value) { nodeMenuCaptions_[item] = value; };
    };
    return {
        CaptionTarget("Caption"),
        {"ScanTree", hint(IDM_TREE_SCAN)},
        {"Collapse", hint(IDM_TREE_COLLAPSE)},
        {"Expand", hint(IDM_TREE_EXPAND)},
        {"ExpandSel", hint(IDM_TREE_EXPANDTHIS)},
        {"Search", hint(IDM_TREE_FIND)},
        {"FindNext", hint(IDM_TREE_FINDNEXT)},
        {"SaveTreeInFile", hint(IDM_TREE_SAVE)},
        {"ShowHandles", [this](const std::string& value) { showHandlesHint_ = value; }},
        {"DontShow", menu(0)},
        {"Decimal", menu(1)},
        {"Hex", menu(2)},
        {"ByHierarchy", [this](const std::string& value) { groupingHints_[0] = value; }},
        {"ByProcess", [this](const std::string& value) { groupingHints_[1] = value; }},
        {"Windows", [this](const std::string& value) { windowsWord_ = value; }},
        {"NotResponding", [this](const std::string& value) { notResponding_ = value; }},
        {"Bits32", [this](const std::string& value) { bits32_ = value; }},
        {"Bits64", [this](const std::string& value) { bits64_ = value; }},
        {"Suspended", [this](const std::string& value) { suspendedWord_ = value; }},
        {"ProcPriority", caption(0)},
        {"TermProcess", caption(1)},
        {"ThreadPriority", caption(2)},
        {"FreezeThread", caption(3)},
        {"UnfreezeThread", caption(4)},
        {"TermThread", caption(5)},
        {"WatchMessages", caption(6)},
    };
}

// ---- creation and layout ------------------------------------------------------------------

void TWindowTreeForm::FormCreate()
{
    dpi_ = DpiOfWindow(Handle());
    if (!toolImages_ || imagesDpi_ != dpi_) toolImages_.reset(LoadStrip(IDB_TREETOOLS, ToolImageSize, ToolImageCount, dpi_));
    if (!classImages_ || imagesDpi_ != dpi_) {
        classImages_.reset(LoadStrip(IDB_CLASSICONS, ClassImageSize, ClassImageCount, dpi_));
        processIcons_.clear();  // their pictures went with the old list
    }
    imagesDpi_ = dpi_;
    TranslateWindow("WindowTreeForm", TranslationTargets());
    CreateControls();
    // Where the user last moved it, else beside the main window: never over the main window
    // merely because that moved since.
    PlaceToolWindow(Handle(), ::GetWindow(Handle(), GW_OWNER), place_);
    Layout();
}

void TWindowTreeForm::CreateControls()
{
    const HINSTANCE instance = ProgramInstance();
    const auto id = [](int value) { return reinterpret_cast<HMENU>(static_cast<INT_PTR>(value)); };

    panelFont_.reset(::CreateFontA(-ScaleForDpi(15, dpi_), 0, 0, 0, FW_BOLD, TRUE, FALSE, FALSE, DEFAULT_CHARSET,
                                   OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, VARIABLE_PITCH | FF_SWISS,
                                   "Arial"));
    const int treeHeight = -::MulDiv(8, static_cast<int>(dpi_), 72);
    treeFont_.reset(::CreateFontA(treeHeight, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                                  OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, FIXED_PITCH | FF_MODERN,
                                  "Courier New"));
    selectedFont_.reset(::CreateFontA(treeHeight, 0, 0, 0, FW_BOLD, FALSE, TRUE, FALSE, DEFAULT_CHARSET,
                                      OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, FIXED_PITCH | FF_MODERN,
                                      "Courier New"));

    toolBarPanel_ = ::CreateWindowExA(0, "STATIC", "", WS_CHILD | WS_VISIBLE | SS_CENTER | SS_CENTERIMAGE, 0, 0, 0, 0,
                               Handle(), id(IDC_TREE_TOOLBAR_PANEL), instance, nullptr);
    ::SendMessageA(toolBarPanel_, WM_SETFONT, reinterpret_cast<WPARAM>(panelFont_.get()), FALSE);

    toolBarScroller_ = ::CreateWindowExA(0, WC_PAGESCROLLERA, "", WS_CHILD | WS_VISIBLE | PGS_HORZ, 0, 0, 0, 0, Handle(),
                                      id(IDC_TREE_TOOLBAR_SCROLLER), instance, nullptr);
    toolBar_ = ::CreateWindowExA(0, TOOLBARCLASSNAMEA, "",
                                 WS_CHILD | WS_VISIBLE | TBSTYLE_FLAT | TBSTYLE_TOOLTIPS | CCS_NORESIZE | CCS_NODIVIDER |
                                     CCS_NOPARENTALIGN,
                                 0, 0, 0, 0, toolBarScroller_, id(IDC_TREE_TOOLBAR), instance, nullptr);
    const int toolButtonSize = ScaleForDpi(ToolButtonSize, dpi_);
    ::SendMessageA(toolBar_, TB_BUTTONSTRUCTSIZE, sizeof(TBBUTTON), 0);
    ::SendMessageA(toolBar_, TB_SETEXTENDEDSTYLE, 0, TBSTYLE_EX_DRAWDDARROWS);
    ::SendMessageA(toolBar_, TB_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(toolImages_.get()));
    ::SendMessageA(toolBar_, TB_SETBUTTONSIZE, 0, MAKELPARAM(toolButtonSize, toolButtonSize));
    std::vector<TBBUTTON> buttons;
    for (const ToolAction& action : ToolActions) {
        TBBUTTON button{};
        if (action.Command == 0) {
            button.fsStyle = BTNS_SEP;
            button.iBitmap = 6;
        } else {
            button.iBitmap = action.Image;
            button.idCommand = action.Command;
            button.fsState = TBSTATE_ENABLED;
            button.fsStyle = action.Command == IDM_TREE_SHOWHANDLES ? BTNS_WHOLEDROPDOWN : BTNS_BUTTON;
            if (action.Command == IDM_TREE_BYHIERARCHY || action.Command == IDM_TREE_BYPROCESS) {
                button.fsStyle = BTNS_CHECKGROUP;
                if ((action.Command == IDM_TREE_BYPROCESS) == TreeGroupByProcess) button.fsState |= TBSTATE_CHECKED;
            }
        }
        buttons.push_back(button);
    }
    ::SendMessageA(toolBar_, TB_ADDBUTTONSA, buttons.size(), reinterpret_cast<LPARAM>(buttons.data()));
    ::SendMessageA(toolBar_, TB_SETBUTTONSIZE, 0, MAKELPARAM(toolButtonSize, toolButtonSize));
    ::SendMessageA(toolBar_, TB_AUTOSIZE, 0, 0);
    ::SendMessageA(toolBarScroller_, PGM_SETCHILD, 0, reinterpret_cast<LPARAM>(toolBar_));
    SetFindNextEnabled(findNextEnabled_);

    handleNotationMenu_.reset(::CreatePopupMenu());
    for (int item = 0; item < 3; ++item)
        ::AppendMenuA(handleNotationMenu_.get(), MF_STRING, static_cast<UINT_PTR>(IDM_TREE_HANDLES_NONE + item), menuCaptions_[item].c_str());

    treeView_ = ::CreateWindowExA(WS_EX_CLIENTEDGE, WC_TREEVIEWA, "",
                                  WS_CHILD | WS_VISIBLE | WS_TABSTOP | TVS_HASBUTTONS | TVS_HASLINES |
                                      TVS_LINESATROOT | TVS_SHOWSELALWAYS | TVS_DISABLEDRAGDROP,
                                  0, 0, 0, 0, Handle(), id(IDC_TREE_VIEW), instance, nullptr);
    ::SendMessageA(treeView_, WM_SETFONT, reinterpret_cast<WPARAM>(treeFont_.get()), FALSE);
    ::SendMessageA(treeView_, TVM_SETINDENT, static_cast<WPARAM>(ScaleForDpi(TreeIndent, dpi_)), 0);
}

void TWindowTreeForm::Layout()
{
    RECT client{};
    ::GetClientRect(Handle(), &client);
    SIZE toolbar{};
    ::SendMessageA(toolBar_, TB_GETMAXSIZE, 0, reinterpret_cast<LPARAM>(&toolbar));
    const int toolbarHeight = std::max<int>(toolbar.cy, ScaleForDpi(ToolButtonSize, dpi_));
    // The scroller is as tall as the toolbar; it scrolls the buttons when the form is narrow.
    ::MoveWindow(toolBarScroller_, 0, 0, client.right, toolbarHeight, TRUE);
    ::SendMessageA(toolBarScroller_, PGM_RECALCSIZE, 0, 0);
    ::MoveWindow(toolBarPanel_, 0, toolbarHeight, client.right, std::max<int>(0, client.bottom - toolbarHeight), TRUE);
    ::MoveWindow(treeView_, 0, toolbarHeight, client.right, std::max<int>(0, client.bottom - toolbarHeight), TRUE);
}

void TWindowTreeForm::FormShow()
{
    // Class pictures only when the option asks for them.
    ::SendMessageA(treeView_, TVM_SETIMAGELIST, TVSIL_NORMAL,
                   reinterpret_cast<LPARAM>(ShowClassIcons != 0 ? classImages_.get() : nullptr));
    ScanWindowTreeExecute();
    if (!nodes_.empty()) ::SendMessageA(treeView_, TVM_EXPAND, TVE_EXPAND, reinterpret_cast<LPARAM>(nodes_[0].Item));
    if (IsExistingWindow(InitialWindow)) {
        const auto found = std::find_if(nodes_.begin(), nodes_.end(),
                                        [this](const Node& node) { return node.Entry.Handle == InitialWindow; });
        if (found != nodes_.end()) {
            ::SendMessageA(treeView_, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(found->Item));
            ::SetFocus(treeView_);
        }
    }
    InitialWindow = nullptr;
}

void TWindowTreeForm::ShowWait(const std::string& caption)
{
    ::SetWindowTextA(toolBarPanel_, caption.c_str());
    ::ShowWindow(toolBarPanel_, SW_SHOW);
    ::ShowWindow(treeView_, SW_HIDE);
    // Paint the wait text before the work starts.
    ::UpdateWindow(Handle());
    ::UpdateWindow(toolBarPanel_);
}

void TWindowTreeForm::ShowTreeAgain(bool focus)
{
    ::ShowWindow(treeView_, SW_SHOW);
    // The wait text lies under the tree: hidden, it cannot paint through it.
    ::ShowWindow(toolBarPanel_, SW_HIDE);
    if (focus) ::SetFocus(treeView_);
}

void TWindowTreeForm::SetFindNextEnabled(bool enabled)
{
    findNextEnabled_ = enabled;
    if (toolBar_ != nullptr) ::SendMessageA(toolBar_, TB_ENABLEBUTTON, IDM_TREE_FINDNEXT, MAKELPARAM(enabled, 0));
}

// ---- scanning ----------------------------------------------------------------------------

void TWindowTreeForm::InsertNode(Node node, HTREEITEM parent)
{
    nodes_.push_back(std::move(node));
    const std::string text = NodeText(static_cast<int>(nodes_.size() - 1));
    Node& added = nodes_.back();
    TVINSERTSTRUCTA insert{};
    insert.hParent = parent;
    insert.hInsertAfter = TVI_LAST;
    insert.item.mask = TVIF_TEXT | TVIF_IMAGE | TVIF_SELECTEDIMAGE | TVIF_PARAM;
    insert.item.pszText = const_cast<char*>(text.c_str());
    insert.item.iImage = added.Image;
    insert.item.iSelectedImage = added.Image;
    insert.item.lParam = static_cast<LPARAM>(nodes_.size() - 1);
    added.Item = reinterpret_cast<HTREEITEM>(::SendMessageA(treeView_, TVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&insert)));
}

void TWindowTreeForm::SetNodeText(size_t index)
{
    const std::string text = NodeText(static_cast<int>(index));
    TVITEMA item{};
    item.mask = TVIF_TEXT;
    item.hItem = nodes_[index].Item;
    item.pszText = const_cast<char*>(text.c_str());
    ::SendMessageA(treeView_, TVM_SETITEMA, 0, reinterpret_cast<LPARAM>(&item));
}

// Adds a top-level window and, below it, its child windows at every depth. One enumeration of
// all its descendants and one GetParent each place every window under its parent, in the
// order the platform reports them; texts are read only for the windows that get a node.
void TWindowTreeForm::AddWindow(HWND window, int parentNode, bool answers)
{
    const std::string& notReplied = MessageText(Msg::WindowNotReply);
    const std::string& noClass = MessageText(Msg::WndClassNotFound);
    const auto makeNode = [&](HWND handle, HWND parent, int depth) {
        Node node;
        node.Depth = depth;
        node.Entry = {handle, answers ? ReadTextByMessage(handle, notReplied) : notReplied, ReadClassName(handle, noClass)};
        node.Image = LookupClassIcon(UpperCaseAscii(node.Entry.ClassName), ShowClassIcons);
        if (node.Image == 0 && parent == nullptr) node.Image = TopLevelImage;
        return node;
    };

    // Group the descendants by parent, keeping the reported order.
    std::map<HWND, std::vector<HWND>> children;
    for (HWND child : Descendants(window)) children[::GetParent(child)].push_back(child);

    // Insert depth first, parent before children: the order of nodes_ is the tree order.
    struct Pending {
        HWND handle;
        HWND parentHandle;
        int parentNode;
    };
    // The top-level window has no parent here even when GetParent names its owner: an owned window
    // gets the top-level picture, not the faint one of child windows.
    std::vector<Pending> stack{{window, nullptr, parentNode}};
    while (!stack.empty()) {
        const Pending current = stack.back();
        stack.pop_back();
        const auto parentIndex = static_cast<size_t>(current.parentNode);
        nodes_[parentIndex].HasChildren = true;
        const int index = static_cast<int>(nodes_.size());
        InsertNode(makeNode(current.handle, current.parentHandle, nodes_[parentIndex].Depth + 1),
                   nodes_[parentIndex].Item);
        const auto found = children.find(current.handle);
        if (found == children.end()) continue;
        const std::vector<HWND> list = std::move(found->second);
        children.erase(found);  // a window reported twice, or a loop of parents, is added once
        for (auto child = list.rbegin(); child != list.rend(); ++child) stack.push_back({*child, current.handle, index});
    }
}

void TWindowTreeForm::ScanWindowTreeExecute()
{
    SetFindNextEnabled(false);
    ShowWait(MessageText(Msg::Please_Wait));
    ::SendMessageA(treeView_, WM_SETREDRAW, FALSE, 0);
    ::SendMessageA(treeView_, TVM_DELETEITEM, 0, reinterpret_cast<LPARAM>(TVI_ROOT));
    nodes_.clear();

    const HWND desktop = ::GetDesktopWindow();
    Node root;
    root.Entry = {desktop, "<Desktop>", ReadClassName(desktop, MessageText(Msg::WndClassNotFound))};
    root.Image = DesktopImage;
    InsertNode(std::move(root), TVI_ROOT);
    const std::vector<HWND> topLevels = TopLevelWindows();
    if (TreeGroupByProcess) AddProcesses(topLevels);
    else for (HWND window : topLevels) AddWindow(window, 0);

    ::SendMessageA(treeView_, TVM_EXPAND, TVE_EXPAND, reinterpret_cast<LPARAM>(nodes_[0].Item));
    ::SendMessageA(treeView_, WM_SETREDRAW, TRUE, 0);
    ShowTreeAgain(true);
    // A fresh tree has no selection; the tree view picks its first node when it takes the focus.
    ::SendMessageA(treeView_, TVM_SELECTITEM, TVGN_CARET, 0);
}

// Groups the top-level windows under their processes and threads: the ids of each top-level window
// once, each process opened once for its image and bitness, each thread asked once whether it
// answers; a thread that does not answer within the bound gets the placeholder for all its windows
// at once instead of a wait for each.
void TWindowTreeForm::AddProcesses(const std::vector<HWND>& topLevels)
{
    struct Thread {
        DWORD Id;
        std::vector<HWND> Windows;
    };
    struct Process {
        DWORD Id;
        std::string Path, Name;
        ProcessBits Bits = ProcessBits::Unknown;
        std::vector<Thread> Threads;  // in the order of their first window
    };
    std::vector<Process> processes;
    std::map<DWORD, size_t> processIndex;
    for (HWND window : topLevels) {
        DWORD processId = 0;
        const DWORD threadId = ::GetWindowThreadProcessId(window, &processId);
        if (threadId == 0) continue;  // gone since the enumeration
        const auto [at, added] = processIndex.try_emplace(processId, processes.size());
        if (added) processes.push_back({processId, {}, {}, ProcessBits::Unknown, {}});
        std::vector<Thread>& threads = processes[at->second].Threads;
        const auto thread = std::find_if(threads.begin(), threads.end(), [&](const Thread& t) { return t.Id == threadId; });
        if (thread == threads.end()) threads.push_back({threadId, {window}});
        else thread->Windows.push_back(window);
    }
    for (Process& process : processes) {
        ProcessImageAndBits(process.Id, process.Path, process.Bits);
        process.Name = FileNamePart(process.Path);
    }
    std::sort(processes.begin(), processes.end(), [](const Process& a, const Process& b) {
        const std::string left = UpperCaseAscii(a.Name), right = UpperCaseAscii(b.Name);
        return left != right ? left < right : a.Id < b.Id;
    });

    for (const Process& process : processes) {
        const size_t processNode = nodes_.size();
        Node node;
        node.Depth = 1;
        node.Kind = NodeKind::Process;
        node.Entry.Text = process.Name;
        node.ProcessId = process.Id;
        node.Bits = process.Bits;
        node.Image = ProcessIcon(process.Path);
        nodes_[0].HasChildren = true;
        InsertNode(std::move(node), nodes_[0].Item);
        for (const Thread& thread : process.Threads) {
            DWORD_PTR answer = 0;
            const bool answers = ::SendMessageTimeoutW(thread.Windows.front(), WM_NULL, 0, 0, SMTO_ABORTIFHUNG,
                                                       MessageTimeout, &answer) != 0;
            const size_t threadNode = nodes_.size();
            Node threadEntry;
            threadEntry.Depth = 2;
            threadEntry.Kind = NodeKind::Thread;
            threadEntry.ProcessId = process.Id;
            threadEntry.ThreadId = thread.Id;
            threadEntry.NotResponding = !answers;
            threadEntry.Image = ThreadImage;
            nodes_[processNode].HasChildren = true;
            InsertNode(std::move(threadEntry), nodes_[processNode].Item);
            for (HWND window : thread.Windows) AddWindow(window, static_cast<int>(threadNode), answers);
            nodes_[threadNode].WindowCount = static_cast<int>(nodes_.size() - threadNode - 1);
            SetNodeText(threadNode);
        }
        nodes_[processNode].WindowCount = static_cast<int>(nodes_.size() - processNode - 1 - process.Threads.size());
        SetNodeText(processNode);
    }
}

// The process's own small icon, read once per image; the generic picture without one.
int TWindowTreeForm::ProcessIcon(const std::string& path)
{
    if (path.empty() || !classImages_ || ShowClassIcons == 0) return ProcessImage;
    const auto [entry, added] = processIcons_.try_emplace(UpperCaseAscii(path), ProcessImage);
    if (!added) return entry->second;
    HICON small = nullptr;
    if (::ExtractIconExA(path.c_str(), 0, nullptr, &small, 1) > 0 && small != nullptr) {
        const int index = ::ImageList_ReplaceIcon(classImages_.get(), -1, small);
        ::DestroyIcon(small);
        if (index >= 0) entry->second = index;
    }
    return entry->second;
}

void TWindowTreeForm::GroupingClick(bool byProcess)
{
    if (toolBar_ != nullptr) {
        ::SendMessageA(toolBar_, TB_CHECKBUTTON, IDM_TREE_BYHIERARCHY, MAKELPARAM(!byProcess, 0));
        ::SendMessageA(toolBar_, TB_CHECKBUTTON, IDM_TREE_BYPROCESS, MAKELPARAM(byProcess, 0));
    }
    if (byProcess == TreeGroupByProcess && !nodes_.empty()) return;
    TreeGroupByProcess = byProcess;
    WriteTreeGrouping();
    ScanWindowTreeExecute();
}

// ---- collapsing, expanding, notation ------------------------------------------------------

void TWindowTreeForm::CollapseTreeExecute()
{
    ShowWait(MessageText(Msg::JustPleaseWait));
    for (auto node = nodes_.rbegin(); node != nodes_.rend(); ++node)
        if (node->HasChildren) ::SendMessageA(treeView_, TVM_EXPAND, TVE_COLLAPSE, reinterpret_cast<LPARAM>(node->Item));
    ShowTreeAgain(false);
}

void TWindowTreeForm::ExpandTreeExecute()
{
    ShowWait(MessageText(Msg::JustPleaseWait));
    for (const Node& node : nodes_)
        if (node.HasChildren) ::SendMessageA(treeView_, TVM_EXPAND, TVE_EXPAND, reinterpret_cast<LPARAM>(node.Item));
    ShowTreeAgain(true);
}

void TWindowTreeForm::ExpandThisItemExecute()
{
    const int selected = SelectedIndex();
    if (selected < 0) return;
    ::ShowWindow(treeView_, SW_HIDE);
    // The selected node and every node below it: the following nodes deeper than it.
    const int depth = nodes_[static_cast<size_t>(selected)].Depth;
    for (size_t i = static_cast<size_t>(selected); i < nodes_.size(); ++i) {
        if (i != static_cast<size_t>(selected) && nodes_[i].Depth <= depth) break;
        if (nodes_[i].HasChildren) ::SendMessageA(treeView_, TVM_EXPAND, TVE_EXPAND, reinterpret_cast<LPARAM>(nodes_[i].Item));
    }
    ShowTreeAgain(true);
}

void TWindowTreeForm::HandleNotationClick(int tag)
{
    if (tag < 0 || tag > 2) return;
    HandleDisplayMode = static_cast<HandleNotation>(tag);
    ::SendMessageA(treeView_, WM_SETREDRAW, FALSE, 0);
    for (size_t i = 0; i < nodes_.size(); ++i) SetNodeText(i);
    ::SendMessageA(treeView_, WM_SETREDRAW, TRUE, 0);
    ::InvalidateRect(treeView_, nullptr, TRUE);
}

void TWindowTreeForm::ShowHandlesMenu()
{
    for (int item = 0; item < 3; ++item) {
        ::ModifyMenuA(handleNotationMenu_.get(), static_cast<UINT>(IDM_TREE_HANDLES_NONE + item), MF_BYCOMMAND | MF_STRING,
                      static_cast<UINT_PTR>(IDM_TREE_HANDLES_NONE + item), menuCaptions_[item].c_str());
    }
    ::CheckMenuRadioItem(handleNotationMenu_.get(), IDM_TREE_HANDLES_NONE, IDM_TREE_HANDLES_HEX,
                         IDM_TREE_HANDLES_NONE + static_cast<UINT>(HandleDisplayMode), MF_BYCOMMAND);
    RECT button{};
    ::SendMessageA(toolBar_, TB_GETRECT, IDM_TREE_SHOWHANDLES, reinterpret_cast<LPARAM>(&button));
    ::MapWindowPoints(toolBar_, nullptr, reinterpret_cast<POINT*>(&button), 2);
    HideThreadToolTips();
    ::TrackPopupMenu(handleNotationMenu_.get(), TPM_LEFTALIGN | TPM_TOPALIGN, button.left, button.bottom, 0, Handle(), nullptr);
}

// The menu of a node: the process panel's commands on a process or thread node's process or
// thread, and the message log on any node's window, thread or process.
void TWindowTreeForm::ShowNodeMenu()
{
    const int index = SelectedIndex();
    if (index < 0) return;
    const Node& node = nodes_[static_cast<size_t>(index)];
    const bool commands = commands_ != nullptr && node.Kind != NodeKind::Window;
    if (!commands && !watchMessages_) return;
    const unique_menu menu(::CreatePopupMenu());
    if (!menu) return;
    HMENU priorities = nullptr;
    if (commands) {
        commands_->SetSubject(ProcessThreadPanel::Subject{nullptr, node.ProcessId, node.ThreadId});
        if (node.Kind == NodeKind::Process) {
            commands_->MarkProcessPriority();
            priorities = commands_->ProcessPriorityMenu();
            ::AppendMenuA(menu.get(), MF_POPUP, reinterpret_cast<UINT_PTR>(priorities), nodeMenuCaptions_[0].c_str());
            ::AppendMenuA(menu.get(), MF_STRING, IDM_TREE_PROC_TERMINATE, nodeMenuCaptions_[1].c_str());
        } else {
            commands_->MarkThreadPriority();
            priorities = commands_->ThreadPriorityMenu();
            ::AppendMenuA(menu.get(), MF_POPUP, reinterpret_cast<UINT_PTR>(priorities), nodeMenuCaptions_[2].c_str());
            ::AppendMenuA(menu.get(), MF_STRING, IDM_TREE_THREAD_SUSPEND, nodeMenuCaptions_[3].c_str());
            ::AppendMenuA(menu.get(), MF_STRING, IDM_TREE_THREAD_RESUME, nodeMenuCaptions_[4].c_str());
            ::AppendMenuA(menu.get(), MF_STRING, IDM_TREE_THREAD_TERMINATE, nodeMenuCaptions_[5].c_str());
        }
    }
    if (watchMessages_) {
        if (commands) ::AppendMenuA(menu.get(), MF_SEPARATOR, 0, nullptr);
        ::AppendMenuA(menu.get(), MF_STRING, IDM_TREE_WATCH_MESSAGES, nodeMenuCaptions_[6].c_str());
    }
    RECT item{};
    std::memcpy(&item, &node.Item, sizeof node.Item);  // the message takes the item in the rectangle
    ::SendMessageA(treeView_, TVM_GETITEMRECT, TRUE, reinterpret_cast<LPARAM>(&item));
    POINT at{item.left, item.bottom};
    ::ClientToScreen(treeView_, &at);
    HideThreadToolTips();
    const int command = static_cast<int>(::TrackPopupMenu(menu.get(), TPM_LEFTALIGN | TPM_TOPALIGN | TPM_RETURNCMD | TPM_NONOTIFY,
                                                          at.x, at.y, 0, Handle(), nullptr));
    // The priority menu belongs to the panel: taken out before this menu goes.
    if (priorities != nullptr) ::RemoveMenu(menu.get(), 0, MF_BYPOSITION);
    if (commands) commands_->SetSubject(std::nullopt);
    if (command != 0) NodeCommand(index, command);
}

// A window node watches its window as the main window's log does; a thread or process node
// every window of it, the log checked with the first window below the node.
void TWindowTreeForm::WatchMessagesOf(size_t index)
{
    if (!watchMessages_ || index >= nodes_.size()) return;
    const Node& node = nodes_[index];
    msglog::WatchScope scope;
    scope.Window = node.Entry.Handle;
    if (node.Kind != NodeKind::Window) {
        scope.What = node.Kind == NodeKind::Thread ? msglog::WatchScope::Kind::Thread : msglog::WatchScope::Kind::Process;
        scope.ThreadId = node.ThreadId;
        scope.ProcessId = node.ProcessId;
        for (size_t i = index + 1; i < nodes_.size() && nodes_[i].Depth > node.Depth; ++i)
            if (nodes_[i].Kind == NodeKind::Window) {
                scope.Window = nodes_[i].Entry.Handle;
                break;
            }
    }
    watchMessages_(scope);
}

void TWindowTreeForm::NodeCommand(int index, int command)
{
    if (index < 0 || static_cast<size_t>(index) >= nodes_.size()) return;
    if (command == IDM_TREE_WATCH_MESSAGES) {
        WatchMessagesOf(static_cast<size_t>(index));
        return;
    }
    if (commands_ == nullptr) return;
    const Node node = nodes_[static_cast<size_t>(index)];
    if (node.Kind == NodeKind::Window) return;
    commands_->SetSubject(ProcessThreadPanel::Subject{nullptr, node.ProcessId, node.ThreadId});
    bool rescan = false;
    if (command == IDM_TREE_PROC_TERMINATE && node.Kind == NodeKind::Process) {
        commands_->TerminateProcessClick();
        rescan = true;
    } else if (node.Kind != NodeKind::Thread) {
        commands_->MenuCommand(command);
    } else if (command == IDM_TREE_THREAD_SUSPEND || command == IDM_TREE_THREAD_RESUME) {
        if (const std::optional<DWORD> count = commands_->SuspendResume(command == IDM_TREE_THREAD_RESUME)) {
            nodes_[static_cast<size_t>(index)].SuspendCount = *count;
            SetNodeText(static_cast<size_t>(index));
        }
    } else if (command == IDM_TREE_THREAD_TERMINATE) {
        commands_->TerminateThreadClick();
        rescan = true;
    } else {
        commands_->MenuCommand(command);
    }
    commands_->SetSubject(std::nullopt);
    if (rescan) ScanWindowTreeExecute();
}

// ---- searching ----------------------------------------------------------------------------

int TWindowTreeForm::FindNextInTree(const std::string& textMask, const std::string& classMask, std::string* error)
{
    if (nodes_.empty()) return -1;
    // A locator in the text field names windows by their path; the class mask then plays no part. A
    // text that reads as a locator but finds nothing is taken as a mask after all.
    if (const std::optional<Locator> locator = ParseLocator(textMask)) {
        const LocatorMatches matches = FindWindowsByLocator(*locator);
        if (!matches.Windows.empty()) {
            for (size_t i = static_cast<size_t>(SelectedIndex() + 1); i < nodes_.size(); ++i) {
                const uint64_t handle = FromHandle(nodes_[i].Entry.Handle);
                if (std::find(matches.Windows.begin(), matches.Windows.end(), handle) == matches.Windows.end()) continue;
                SelectNode(i);
                return static_cast<int>(i);
            }
            return -1;
        }
    }
    // Here an empty mask is an ordinary mask: it matches only the empty text.
    std::string message;
    const std::optional<TMask> text = TMask::Create(textMask, &message);
    const std::optional<TMask> className = text ? TMask::Create(classMask, &message) : std::nullopt;
    if (!text || !className) {
        if (error) *error = message;
        return -1;
    }
    const int selected = SelectedIndex();
    for (size_t i = static_cast<size_t>(selected + 1); i < nodes_.size(); ++i) {
        const WindowTreeEntry& entry = nodes_[i].Entry;
        if (text->Matches(entry.Text) && className->Matches(entry.ClassName)) {
            SelectNode(i);
            return static_cast<int>(i);
        }
    }
    return -1;
}

void TWindowTreeForm::SelectNode(size_t index)
{
    ::SendMessageA(treeView_, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(nodes_[index].Item));
    ::SendMessageA(treeView_, TVM_ENSUREVISIBLE, 0, reinterpret_cast<LPARAM>(nodes_[index].Item));
}

void TWindowTreeForm::FindWindowExecute()
{
    const bool confirmed = search_.ShowForTree(Handle(), [this](const std::string& text, const std::string& className) {
        return FindNextInTree(text, className);
    });
    SetFindNextEnabled(confirmed);
    ::SetFocus(treeView_);
}

void TWindowTreeForm::FindNextWindowExecute()
{
    if (!findNextEnabled_) return;
    std::string error;
    if (FindNextInTree(search_.TextMask(), search_.ClassMask(), &error) == -1) {
        if (!error.empty()) return ReportError(Handle(), error.c_str());
        ::MessageBeep(0);
        return;
    }
    ::SetFocus(treeView_);
}

int TWindowTreeForm::SelectedIndex() const
{
    const auto item = reinterpret_cast<HTREEITEM>(::SendMessageA(treeView_, TVM_GETNEXTITEM, TVGN_CARET, 0));
    return item == nullptr ? -1 : IndexOf(item);
}

int TWindowTreeForm::IndexOf(HTREEITEM item) const
{
    TVITEMA query{};
    query.mask = TVIF_PARAM;
    query.hItem = item;
    if (!::SendMessageA(treeView_, TVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&query))) return -1;
    const auto index = static_cast<size_t>(query.lParam);
    return index < nodes_.size() && nodes_[index].Item == item ? static_cast<int>(index) : -1;
}

std::string TWindowTreeForm::NodeText(int index) const
{
    if (index < 0 || static_cast<size_t>(index) >= nodes_.size()) return {};
    const Node& node = nodes_[static_cast<size_t>(index)];
    const WindowTreeEntry& entry = node.Entry;
    // Process and thread lines take the shape of window lines: the id in brackets, the text, and
    // in braces what a window line has its class in.
    std::string details = windowsWord_ + ": " + std::to_string(node.WindowCount);
    switch (node.Kind) {
    case NodeKind::Window:
        return FormatTreeNodeText(HandleDisplayMode, HandleValue(entry.Handle), entry.Text, entry.ClassName);
    case NodeKind::Process:
        if (node.Bits != ProcessBits::Unknown) details = (node.Bits == ProcessBits::Bits64 ? bits64_ : bits32_) + ", " + details;
        return "[PID " + std::to_string(node.ProcessId) + "] " + entry.Text + " {" + details + "}";
    case NodeKind::Thread:
        if (node.SuspendCount != 0) details += ", " + suspendedWord_ + ": " + std::to_string(node.SuspendCount);
        if (node.NotResponding) details += ", " + notResponding_;
        return "[TID " + std::to_string(node.ThreadId) + "] {" + details + "}";
    }
    return {};
}

// ---- saving -------------------------------------------------------------------------------

bool TWindowTreeForm::SaveTreeToFile(const std::string& path) const
{
    std::string content;
    for (size_t i = 0; i < nodes_.size(); ++i)
        content += FormatTreeFileLine(nodes_[i].Depth, nodes_[i].HasChildren, NodeText(static_cast<int>(i)));
    return WriteWholeFile(path, content);
}

void TWindowTreeForm::SaveWindowTreeExecute()
{
    std::string path;
    if (!AskSaveFileName(Handle(), "Text files\0*.txt\0All files\0*.*\0", "txt", path)) return;
    if (!SaveTreeToFile(path)) {
        const std::string text = FormatMessageText(MessageText(Msg::CantSaveFile), path);
        ::MessageBoxA(Handle(), text.c_str(), ApplicationTitle, MB_OK | MB_ICONERROR);
    }
}

// ---- the user's actions -------------------------------------------------------------------

void TWindowTreeForm::TreeDblClick()
{
    const int selected = SelectedIndex();
    if (selected < 0) return;
    const HWND window = nodes_[static_cast<size_t>(selected)].Entry.Handle;
    if (!::IsWindow(window)) return;
    WindowInfo info;
    GatherWindowInfo(window, false, info);
    if (inspect_) inspect_(std::move(info));
    Close(IDOK);
}

bool TWindowTreeForm::HandleKey(WORD key)
{
    const bool control = ::GetKeyState(VK_CONTROL) < 0;
    if (key == VK_F5 && !control) ScanWindowTreeExecute();
    else if (key == VK_F3 && !control) FindNextWindowExecute();
    else if (key == 'F' && control) FindWindowExecute();
    else if (key == VK_RETURN && !control) TreeDblClick();
    else return false;
    return true;
}

std::string TWindowTreeForm::ToolHint(int command) const
{
    if (command == IDM_TREE_SHOWHANDLES) return showHandlesHint_;
    if (command == IDM_TREE_BYHIERARCHY) return groupingHints_[0];
    if (command == IDM_TREE_BYPROCESS) return groupingHints_[1];
    const int slot = HintSlot(command);
    return slot < 0 ? std::string() : hints_[slot];
}

LRESULT TWindowTreeForm::TreeCustomDrawItem(NMTVCUSTOMDRAW& draw)
{
    switch (draw.nmcd.dwDrawStage) {
    case CDDS_PREPAINT:
        return CDRF_NOTIFYITEMDRAW;
    case CDDS_ITEMPREPAINT:
        // The selected node stands out in bold, underlined.
        if (draw.nmcd.uItemState & CDIS_SELECTED) {
            ::SelectObject(draw.nmcd.hdc, selectedFont_.get());
            return CDRF_NEWFONT;
        }
        return CDRF_DODEFAULT;
    default:
        return CDRF_DODEFAULT;
    }
}

LRESULT TWindowTreeForm::HandleNotify(NMHDR& header)
{
    if (header.hwndFrom == treeView_) {
        switch (header.code) {
        case NM_DBLCLK:
            TreeDblClick();
            return 0;
        case NM_RCLICK: {
            // The node under the cursor becomes the selection, then its menu opens.
            TVHITTESTINFO hit{};
            ::GetCursorPos(&hit.pt);
            ::ScreenToClient(treeView_, &hit.pt);
            if (const auto item = reinterpret_cast<HTREEITEM>(::SendMessageA(treeView_, TVM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit))))
                ::SendMessageA(treeView_, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(item));
            ShowNodeMenu();
            return 1;
        }
        case NM_CUSTOMDRAW:
            return TreeCustomDrawItem(reinterpret_cast<NMTVCUSTOMDRAW&>(header));
        case TVN_KEYDOWN:
            return HandleKey(reinterpret_cast<NMTVKEYDOWN&>(header).wVKey) ? 1 : 0;
        default:
            return 0;
        }
    }
    if (header.hwndFrom == toolBar_ && header.code == TBN_DROPDOWN) {
        ShowHandlesMenu();
        return TBDDRET_DEFAULT;
    }
    if (header.hwndFrom == toolBarScroller_ && header.code == PGN_CALCSIZE) {
        auto& size = reinterpret_cast<NMPGCALCSIZE&>(header);
        SIZE toolbar{};
        ::SendMessageA(toolBar_, TB_GETMAXSIZE, 0, reinterpret_cast<LPARAM>(&toolbar));
        if (size.dwFlag == PGF_CALCWIDTH) size.iWidth = toolbar.cx;
        if (size.dwFlag == PGF_CALCHEIGHT) size.iHeight = toolbar.cy;
        return 0;
    }
    if (header.code == TTN_GETDISPINFOA) {
        auto& info = reinterpret_cast<NMTTDISPINFOA&>(header);
        static std::string hint;  // must outlive this notification
        hint = ToolHint(static_cast<int>(header.idFrom));
        info.lpszText = hint.data();
        return 0;
    }
    return 0;
}

INT_PTR TWindowTreeForm::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_INITDIALOG:
        FormCreate();
        FormShow();
        return FALSE;  // FormShow placed the focus
    case WM_SIZE:
        Layout();
        return TRUE;
    case WM_EXITSIZEMOVE:
        RememberToolWindowPlace(Handle(), place_);
        return FALSE;
    case WM_NOTIFY: {
        const LRESULT result = HandleNotify(*reinterpret_cast<NMHDR*>(lParam));
        ::SetWindowLongPtrA(Handle(), DWLP_MSGRESULT, result);
        return TRUE;
    }
    case WM_COMMAND:
        switch (LOWORD(wParam)) {
        case IDM_TREE_SCAN: ScanWindowTreeExecute(); return TRUE;
        case IDM_TREE_COLLAPSE: CollapseTreeExecute(); return TRUE;
        case IDM_TREE_EXPAND: ExpandTreeExecute(); return TRUE;
        case IDM_TREE_EXPANDTHIS: ExpandThisItemExecute(); return TRUE;
        case IDM_TREE_SHOWHANDLES: ShowHandlesMenu(); return TRUE;
        case IDM_TREE_FIND: FindWindowExecute(); return TRUE;
        case IDM_TREE_FINDNEXT: FindNextWindowExecute(); return TRUE;
        case IDM_TREE_SAVE: SaveWindowTreeExecute(); return TRUE;
        case IDM_TREE_BYHIERARCHY: GroupingClick(false); return TRUE;
        case IDM_TREE_BYPROCESS: GroupingClick(true); return TRUE;
        case IDM_TREE_HANDLES_NONE:
        case IDM_TREE_HANDLES_DECIMAL:
        case IDM_TREE_HANDLES_HEX:
            HandleNotationClick(LOWORD(wParam) - IDM_TREE_HANDLES_NONE);
            return TRUE;
        case IDOK:  // Enter on the tree inspects the selected window
            if (::GetFocus() == treeView_) TreeDblClick();
            return TRUE;
        case IDCANCEL:
            Close(IDCANCEL);
            return TRUE;
        default:
            return FALSE;
        }
    case WM_DESTROY:
        nodes_.clear();  // the items die with the tree view
        treeView_ = toolBar_ = toolBarScroller_ = toolBarPanel_ = nullptr;
        return FALSE;
    default:
        return FALSE;
    }
}

}  // namespace lvx
