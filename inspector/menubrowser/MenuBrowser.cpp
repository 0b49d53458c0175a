// The menu browser: the inspected window's menu as a tree, the selected item's type and
// identifier, and the commands that act on that item inside the other program.
#include "MenuBrowser.h"

#include "language/MessageTable.h"
#include "resources/resource.h"

#include <algorithm>
#include <iterator>

namespace lvx {

namespace {

constexpr char FormClass[] = "TMenuBrowserForm";
constexpr char ApplicationTitle[] = "Narvolt Lumivex";

// Sizes at 96 DPI.
constexpr int FormWidth = 270;
constexpr int BarHeight = 30;
constexpr int ButtonSize = 26;
constexpr int LabelHeight = 16;
constexpr int TreeIndent = 19;

// The enable and check tables, indexed by the buttons' Tags.
constexpr UINT EnableFlags[] = {0, MF_ENABLED, MF_GRAYED, MF_DISABLED};
constexpr UINT CheckFlags[] = {0, MF_CHECKED, MF_UNCHECKED};

HMENU ControlId(int id)
{
    return reinterpret_cast<HMENU>(static_cast<INT_PTR>(id));
}

HWND CreatePanel(HWND parent, int id)
{
    return ::CreateWindowExA(0, "STATIC", "", WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN | WS_CLIPSIBLINGS, 0, 0, 0, 0,
                             parent, ControlId(id), ProgramInstance(), nullptr);
}

}  // namespace

TMenuBrowserForm::TMenuBrowserForm(const WindowInfo& current, HWND mainWindow)
    : current_(current), mainWindow_(mainWindow)
{
}

TMenuBrowserForm::~TMenuBrowserForm() = default;

bool TMenuBrowserForm::FormCreate()
{
    if (Handle() != nullptr) return true;
    if (!RegisterWindowClass(FormClass, 0, ::GetSysColorBrush(COLOR_BTNFACE), nullptr, nullptr)) return false;
    dpi_ = mainWindow_ != nullptr ? DpiOfWindow(mainWindow_) : 96;
    const RECT bounds{0, 0, Scaled(FormWidth), Scaled(400)};
    // No system buttons: the main window's toggle alone shows and hides the browser.
    if (!CreateWindowObject(WS_EX_TOOLWINDOW, FormClass, "Меню окна", WS_POPUP | WS_CAPTION | WS_THICKFRAME |
                                WS_CLIPCHILDREN, bounds, mainWindow_, nullptr))
        return false;
    hints_.Create(Handle());
    CreateControls();
    TranslateWindow("MenuBrowserForm", TranslationTargets());
    pinned_ = true;
    pinButton_.SetDown(true);
    FormResize();
    return true;
}

void TMenuBrowserForm::AddButton(SpeedButton& button, HWND panel, int id, const SpeedButton::Options& options,
                                 const char* hint)
{
    button.Create(panel, id, options);
    if (hint != nullptr) hints_.SetHint(button.Handle(), hint);
}

void TMenuBrowserForm::CreateControls()
{
    using Options = SpeedButton::Options;
    font_.reset(::CreateFontA(-Scaled(11), 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                              CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, VARIABLE_PITCH | FF_SWISS, "Tahoma"));
    const auto font = reinterpret_cast<WPARAM>(font_.get());

    toolBarPanel_ = CreatePanel(Handle(), IDC_MENU_TOOLBAR_PANEL);
    AddButton(collapseButton_, toolBarPanel_, IDC_MENU_COLLAPSE, Options{.Glyph = Glyph::MenuCollapse},
              "Свернуть все уровни дерева");
    AddButton(expandButton_, toolBarPanel_, IDC_MENU_EXPAND, Options{.Glyph = Glyph::MenuExpand},
              "Развернуть все уровни дерева");
    AddButton(rescanButton_, toolBarPanel_, IDC_MENU_RESCAN, Options{.Glyph = Glyph::Refresh},
              "Сканировать дерево меню");
    AddButton(pinButton_, toolBarPanel_, IDC_MENU_PIN, Options{.GroupIndex = 10, .AllowAllUp = true, .Down = true,
                                               .Glyph = Glyph::MenuPin},
              "Прикрепить к главному окну");
    collapseButton_.OnClick = [this](SpeedButton&) { CollapseAllClick(); };
    expandButton_.OnClick = [this](SpeedButton&) { ExpandAllClick(); };
    pinButton_.OnClick = [this](SpeedButton&) { PinClick(); };
    rescanButton_.OnClick = [this](SpeedButton&) { RescanClick(); };

    menuTreeView_ = ::CreateWindowExA(WS_EX_CLIENTEDGE, WC_TREEVIEWA, "",
                                  WS_CHILD | WS_VISIBLE | WS_TABSTOP | TVS_HASBUTTONS | TVS_HASLINES | TVS_LINESATROOT |
                                      TVS_SHOWSELALWAYS | TVS_TRACKSELECT | TVS_DISABLEDRAGDROP,
                                  0, 0, 0, 0, Handle(), ControlId(IDC_MENU_TREE), ProgramInstance(), nullptr);
    ::SendMessageA(menuTreeView_, TVM_SETINDENT, static_cast<WPARAM>(Scaled(TreeIndent)), 0);
    tree_.TreeView = menuTreeView_;

    itemPanel_ = CreatePanel(Handle(), IDC_MENU_ITEM_PANEL);
    for (int i = 0; i < 10; ++i) {
        const char* caption = i < MenuTypeLabelCount ? MenuTypeCaptions[i] : "ID меню";
        itemLabels_[i] =
            ::CreateWindowExA(0, "STATIC", caption, WS_CHILD | WS_VISIBLE | SS_LEFT | SS_NOPREFIX, 0, 0, 0, 0,
                              itemPanel_, ControlId(IDC_MENU_TYPE_LABEL_FIRST + i), ProgramInstance(), nullptr);
        ::SendMessageA(itemLabels_[i], WM_SETFONT, font, FALSE);
    }
    itemIdEdit_ = ::CreateWindowExA(WS_EX_CLIENTEDGE, "EDIT", "", WS_CHILD | WS_VISIBLE | ES_READONLY | ES_AUTOHSCROLL,
                                    0, 0, 0, 0, itemPanel_, ControlId(IDC_MENU_ID_EDIT), ProgramInstance(), nullptr);
    ::SendMessageA(itemIdEdit_, WM_SETFONT, font, FALSE);
    AddButton(manageButton_, itemPanel_, IDC_MENU_MANAGE,
              Options{.GroupIndex = 20, .AllowAllUp = true, .Caption = "Управление"}, nullptr);
    manageButton_.SetFont(static_cast<HFONT>(font_.get()));
    manageButton_.OnClick = [this](SpeedButton&) { ManageClick(); };
    DisableTypeLabels();

    commandPanel_ = CreatePanel(Handle(), IDC_MENU_COMMAND_PANEL);
    ::ShowWindow(commandPanel_, SW_HIDE);
    AddButton(enableItemButton_, commandPanel_, IDC_MENU_ENABLE, Options{.Tag = 1, .Glyph = Glyph::MenuEnable},
              "Активировать пункт меню");
    AddButton(grayItemButton_, commandPanel_, IDC_MENU_GRAY, Options{.Tag = 2, .Glyph = Glyph::MenuGray},
              "Деактивировать и отключить  возможность выбрать пункт меню ");
    AddButton(disableItemButton_, commandPanel_, IDC_MENU_DISABLE, Options{.Tag = 3, .Glyph = Glyph::MenuDisable},
              "Деактивировать пункт меню без отключения возможности выбора");
    AddButton(checkItemButton_, commandPanel_, IDC_MENU_CHECK, Options{.Tag = 1, .Glyph = Glyph::MenuCheck},
              "Установить отметку на пункт меню");
    AddButton(uncheckItemButton_, commandPanel_, IDC_MENU_UNCHECK, Options{.Tag = 2, .Glyph = Glyph::MenuUncheck},
              "Снять пометку с пункта меню");
    AddButton(executeItemButton_, commandPanel_, IDC_MENU_EXECUTE, Options{.Tag = 0, .Glyph = Glyph::MenuExecute},
              "Выполнить операцию, связанную с пунктом меню");
    AddButton(deleteItemButton_, commandPanel_, IDC_MENU_DELETE, Options{.Tag = 0, .Glyph = Glyph::MenuDelete},
              "Удалить пункт меню и дочерние меню, если есть");
    AddButton(removeItemButton_, commandPanel_, IDC_MENU_REMOVE, Options{.Tag = 1, .Glyph = Glyph::MenuRemove},
              "Исключить пункт из меню (без уничтожения)");
    for (SpeedButton* button : {&enableItemButton_, &grayItemButton_, &disableItemButton_})
        button->OnClick = [this](SpeedButton& sender) { ItemStateClick(sender); };
    for (SpeedButton* button : {&checkItemButton_, &uncheckItemButton_})
        button->OnClick = [this](SpeedButton& sender) { ItemCheckClick(sender); };
    executeItemButton_.OnClick = [this](SpeedButton&) { ExecuteItemClick(); };
    for (SpeedButton* button : {&deleteItemButton_, &removeItemButton_})
        button->OnClick = [this](SpeedButton& sender) { DeleteOrRemoveItemClick(sender); };
}

std::vector<TranslationTarget> TMenuBrowserForm::TranslationTargets()
{
    const auto hint = [this](SpeedButton& button) {
        return [this, &button](const std::string& value) { hints_.SetHint(button.Handle(), value); };
    };
    return {
        {"Caption", [this](const std::string& value) { ::SetWindowTextA(Handle(), value.c_str()); }},
        {"Collapse", hint(collapseButton_)},
        {"Expand", hint(expandButton_)},
        {"ScanMenuTree", hint(rescanButton_)},
        {"Clip", hint(pinButton_)},
        {"MenuID", [this](const std::string& value) { ::SetWindowTextA(itemLabels_[9], value.c_str()); }},
        {"Manage", [this](const std::string& value) { manageButton_.SetCaption(value); }},
        {"EnableItem", hint(enableItemButton_)},
        {"GrayItem", hint(grayItemButton_)},
        {"DisableItem", hint(disableItemButton_)},
        {"CheckItem", hint(checkItemButton_)},
        {"UncheckItem", hint(uncheckItemButton_)},
        {"DeleteItem", hint(deleteItemButton_)},
        {"RemoveItem", hint(removeItemButton_)},
        {"ExecuteItem", hint(executeItemButton_)},
    };
}

// ---- layout and docking -------------------------------------------------------------------

void TMenuBrowserForm::Layout()
{
    RECT client{};
    ::GetClientRect(Handle(), &client);
    const int width = static_cast<int>(client.right);
    const int bar = Scaled(BarHeight), button = Scaled(ButtonSize), gap = Scaled(2);
    const int labelRow = Scaled(LabelHeight);
    const int panel2Height = 3 * labelRow + bar + gap * 2;
    // Its own flag: the panel's visibility also depends on the form's while that is hidden.
    const bool manage = (::GetWindowLongPtrA(commandPanel_, GWL_STYLE) & WS_VISIBLE) != 0;
    const int panel2Top = std::max<int>(bar, client.bottom - panel2Height - (manage ? bar : 0));

    ::MoveWindow(toolBarPanel_, 0, 0, width, bar, TRUE);
    int x = gap;
    for (SpeedButton* b : {&collapseButton_, &expandButton_, &rescanButton_}) {
        ::MoveWindow(b->Handle(), x, gap, button, button, TRUE);
        x += button + gap;
    }
    // The attach button keeps to the right edge of the bar.
    ::MoveWindow(pinButton_.Handle(), std::max<int>(x, width - button - gap), gap, button, button, TRUE);

    ::MoveWindow(menuTreeView_, 0, bar, width, std::max(0, panel2Top - bar), TRUE);

    ::MoveWindow(itemPanel_, 0, panel2Top, width, panel2Height, TRUE);
    const int column = std::max(1, (width - 2 * gap) / 3);
    for (int i = 0; i < MenuTypeLabelCount; ++i)
        ::MoveWindow(itemLabels_[i], gap + (i % 3) * column, gap + (i / 3) * labelRow, column, labelRow, TRUE);
    const int rowTop = gap + 3 * labelRow + gap;
    const int manageWidth = Scaled(78), labelWidth = Scaled(48);
    ::MoveWindow(itemLabels_[9], gap, rowTop + Scaled(5), labelWidth, labelRow, TRUE);
    ::MoveWindow(itemIdEdit_, gap + labelWidth, rowTop + gap, std::max(0, width - labelWidth - manageWidth - 4 * gap),
                 button - 2 * gap, TRUE);
    ::MoveWindow(manageButton_.Handle(), width - manageWidth - gap, rowTop, manageWidth, button, TRUE);

    // The item commands lie directly below itemPanel_.
    ::MoveWindow(commandPanel_, 0, panel2Top + panel2Height, width, bar, TRUE);
    x = gap;
    for (SpeedButton* b : {&enableItemButton_, &grayItemButton_, &disableItemButton_, &checkItemButton_,
                           &uncheckItemButton_, &executeItemButton_, &deleteItemButton_, &removeItemButton_}) {
        ::MoveWindow(b->Handle(), x, gap, button, button, TRUE);
        x +=
            button + (b == &disableItemButton_ || b == &uncheckItemButton_ || b == &executeItemButton_ ? 3 * gap : gap);
    }
}

void TMenuBrowserForm::FormResize()
{
    RECT main{}, own{};
    if (mainWindow_ != nullptr && ::GetWindowRect(mainWindow_, &main) && ::GetWindowRect(Handle(), &own)) {
        const int height = main.bottom - main.top;
        // The WM_SIZE this sends finds the heights equal (or no change at all), so it does not recur.
        if (height != own.bottom - own.top)
            ::SetWindowPos(Handle(), nullptr, 0, 0, own.right - own.left, height,
                           SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
    Layout();
}

void TMenuBrowserForm::Dock()
{
    RECT main{}, own{};
    if (Handle() == nullptr || mainWindow_ == nullptr || !::GetWindowRect(mainWindow_, &main) ||
        !::GetWindowRect(Handle(), &own))
        return;
    const int width = own.right - own.left;
    ::SetWindowPos(Handle(), nullptr, main.left - width, main.top, width, main.bottom - main.top,
                   SWP_NOZORDER | SWP_NOACTIVATE);
}

bool TMenuBrowserForm::IsVisible() const
{
    return Handle() != nullptr && ::IsWindowVisible(Handle());
}

void TMenuBrowserForm::FormActivate()
{
    if (mainWindow_ != nullptr) ::ShowWindow(mainWindow_, SW_SHOW);
}

void TMenuBrowserForm::PinClick()
{
    pinned_ = pinButton_.Down();
    Dock();
}

void TMenuBrowserForm::ManageClick()
{
    ::ShowWindow(commandPanel_, manageButton_.Down() ? SW_SHOW : SW_HIDE);
    Layout();
}

// ---- the tree -----------------------------------------------------------------------------

void TMenuBrowserForm::DisableTypeLabels()
{
    for (int i = 0; i < MenuTypeLabelCount; ++i) ::EnableWindow(itemLabels_[i], FALSE);
}

void TMenuBrowserForm::RebuildMenuTree(HMENU menu)
{
    if (Handle() == nullptr) return;
    DisableTypeLabels();
    lvx::RebuildMenuTree(menu, tree_);
    if (!tree_.Nodes.empty()) SelectNode(0);
}

int TMenuBrowserForm::SelectedIndex() const
{
    const auto item = reinterpret_cast<HTREEITEM>(::SendMessageA(menuTreeView_, TVM_GETNEXTITEM, TVGN_CARET, 0));
    return MenuNodeIndex(tree_, item);
}

void TMenuBrowserForm::SelectNode(int index)
{
    if (index < 0 || static_cast<size_t>(index) >= tree_.Nodes.size()) return;
    ::SendMessageA(menuTreeView_, TVM_SELECTITEM, TVGN_CARET,
                   reinterpret_cast<LPARAM>(tree_.Nodes[static_cast<size_t>(index)].Item));
}

bool TMenuBrowserForm::LabelEnabled(int label) const
{
    return label >= 0 && label < MenuTypeLabelCount && ::IsWindowEnabled(itemLabels_[label]);
}

std::string TMenuBrowserForm::IdText() const
{
    char text[64] = {};
    ::GetWindowTextA(itemIdEdit_, text, static_cast<int>(std::size(text)));
    return text;
}

void TMenuBrowserForm::MenuTreeChange()
{
    const int index = SelectedIndex();
    if (index < 0) {
        ::SetWindowTextA(itemIdEdit_, "--------");
        return;
    }
    const MenuItemEntry& entry = tree_.Nodes[static_cast<size_t>(index)].Entry;
    ::SetWindowTextA(itemIdEdit_, FormatMenuId(entry.CommandId, MessageText(Msg::NoMenuIDFound)).c_str());
    for (int i = 0; i < MenuTypeLabelCount; ++i) ::EnableWindow(itemLabels_[i], MenuTypeLabelLit(i, entry.ItemType));
}

void TMenuBrowserForm::CollapseAllClick()
{
    for (auto node = tree_.Nodes.rbegin(); node != tree_.Nodes.rend(); ++node)
        if (node->Entry.SubMenu != nullptr)
            ::SendMessageA(menuTreeView_, TVM_EXPAND, TVE_COLLAPSE, reinterpret_cast<LPARAM>(node->Item));
    SelectNode(0);
}

void TMenuBrowserForm::ExpandAllClick()
{
    for (const MenuNode& node : tree_.Nodes)
        ::SendMessageA(menuTreeView_, TVM_EXPAND, TVE_EXPAND, reinterpret_cast<LPARAM>(node.Item));
    SelectNode(0);
}

void TMenuBrowserForm::RescanClick()
{
    if (IsExistingWindow(current_.Handle)) {
        RebuildMenuTree(current_.Menu);
        return;
    }
    lvx::RebuildMenuTree(nullptr, tree_);
}

// ---- the item commands --------------------------------------------------------------------

void TMenuBrowserForm::ItemStateClick(const SpeedButton& sender)
{
    const int index = SelectedIndex();
    const int tag = sender.Tag();
    if (index < 0 || tag < 1 || tag > 3) return;
    const MenuItemAddress address = ResolveMenuItem(tree_.Nodes, static_cast<size_t>(index), current_.Menu);
    ::EnableMenuItem(address.Menu, address.Item, address.Flags | EnableFlags[tag]);
}

void TMenuBrowserForm::ItemCheckClick(const SpeedButton& sender)
{
    const int index = SelectedIndex();
    const int tag = sender.Tag();
    if (index < 0 || tag < 1 || tag > 2) return;
    const MenuItemAddress address = ResolveMenuItem(tree_.Nodes, static_cast<size_t>(index), current_.Menu);
    ::CheckMenuItem(address.Menu, address.Item, address.Flags | CheckFlags[tag]);
}

void TMenuBrowserForm::ExecuteItemClick()
{
    const int index = SelectedIndex();
    if (index < 0) return;
    const MenuItemEntry& entry = tree_.Nodes[static_cast<size_t>(index)].Entry;
    // Choosing a separator or a submenu's item sends nothing; its identifier (0, or the
    // submenu's handle) would reach the window as some unrelated command.
    if (!SendsCommand(entry.ItemType, entry.CommandId, entry.SubMenu != nullptr)) {
        ShowOperationError();
        return;
    }
    // A window that has gone away gets nothing; its handle may since name another window.
    if (!IsExistingWindow(current_.Handle)) return;
    ::SendNotifyMessageA(current_.Handle, WM_COMMAND, static_cast<WPARAM>(entry.CommandId), 0);
}

void TMenuBrowserForm::DeleteOrRemoveItemClick(const SpeedButton& sender)
{
    const int index = SelectedIndex();
    if (index < 0) return;
    const MenuItemAddress address = ResolveMenuItem(tree_.Nodes, static_cast<size_t>(index), current_.Menu);
    const BOOL done = sender.Tag() == 0 ? ::DeleteMenu(address.Menu, address.Item, address.Flags)
                                        : ::RemoveMenu(address.Menu, address.Item, address.Flags);
    if (!done) {
        ShowOperationError();
        return;
    }
    RebuildMenuTree(current_.Menu);
}

void TMenuBrowserForm::ShowOperationError() const
{
    ::MessageBoxA(Handle(), MessageText(Msg::CantApplyOperationToMenu).c_str(), ApplicationTitle,
                  MB_OK | MB_ICONERROR);
}

// ---- messages -----------------------------------------------------------------------------

LRESULT TMenuBrowserForm::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_SIZE:
        FormResize();
        return 0;
    case WM_ACTIVATE:
        if (LOWORD(wParam) != WA_INACTIVE) FormActivate();
        return DefaultHandling(message, wParam, lParam);
    case WM_NOTIFY: {
        const auto& header = *reinterpret_cast<const NMHDR*>(lParam);
        if (header.hwndFrom == menuTreeView_ && header.code == TVN_SELCHANGEDA) MenuTreeChange();
        return 0;
    }
    case WM_CLOSE:
        return 0;  // only the main window's toggle hides the browser
    default:
        return DefaultHandling(message, wParam, lParam);
    }
}

}  // namespace lvx
