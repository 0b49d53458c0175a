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
    SpeedButton3.SetDown(true);
    FormResize();
    return true;
}

void TMenuBrowserForm::AddButton(SpeedButton& button, HWND panel, int number, const SpeedButton::Options& options,
                                 const char* hint)
{
    button.Create(panel, IDC_MENU_SPEEDBUTTON1 + number - 1, options);
    if (hint != nullptr) hints_.SetHint(button.Handle(), hint);
}

void TMenuBrowserForm::CreateControls()
{
    using Options = SpeedButton::Options;
    font_.reset(::CreateFontA(-Scaled(11), 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                              CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, VARIABLE_PITCH | FF_SWISS, "Tahoma"));
    const auto font = reinterpret_cast<WPARAM>(font_.get());

    Panel1 = CreatePanel(Handle(), IDC_MENU_PANEL1);
    AddButton(SpeedButton1, Panel1, 1, Options{.Glyph = Glyph::MenuCollapse}, "Свернуть все уровни дерева");
    AddButton(SpeedButton2, Panel1, 2, Options{.Glyph = Glyph::MenuExpand}, "Развернуть все уровни дерева");
    AddButton(SpeedButton13, Panel1, 13, Options{.Glyph = Glyph::Refresh}, "Сканировать дерево меню");
    AddButton(SpeedButton3, Panel1, 3, Options{.GroupIndex = 10, .AllowAllUp = true, .Down = true,
                                               .Glyph = Glyph::MenuPin},
              "Прикрепить к главному окну");
    SpeedButton1.OnClick = [this](SpeedButton&) { SpeedButton2Click(); };
    SpeedButton2.OnClick = [this](SpeedButton&) { SpeedButton1Click(); };
    SpeedButton3.OnClick = [this](SpeedButton&) { SpeedButton3Click(); };
    SpeedButton13.OnClick = [this](SpeedButton&) { SpeedButton13Click(); };

    TreeView1 = ::CreateWindowExA(WS_EX_CLIENTEDGE, WC_TREEVIEWA, "",
                                  WS_CHILD | WS_VISIBLE | WS_TABSTOP | TVS_HASBUTTONS | TVS_HASLINES | TVS_LINESATROOT |
                                      TVS_SHOWSELALWAYS | TVS_TRACKSELECT | TVS_DISABLEDRAGDROP,
                                  0, 0, 0, 0, Handle(), ControlId(IDC_MENU_TREEVIEW1), ProgramInstance(), nullptr);
    ::SendMessageA(TreeView1, TVM_SETINDENT, static_cast<WPARAM>(Scaled(TreeIndent)), 0);
    tree_.TreeView = TreeView1;

    Panel2 = CreatePanel(Handle(), IDC_MENU_PANEL2);
    for (int i = 0; i < 10; ++i) {
        const char* caption = i < MenuTypeLabelCount ? MenuTypeCaptions[i] : "ID меню";
        Label[i] = ::CreateWindowExA(0, "STATIC", caption, WS_CHILD | WS_VISIBLE | SS_LEFT | SS_NOPREFIX, 0, 0, 0, 0,
                                     Panel2, ControlId(IDC_MENU_LABEL1 + i), ProgramInstance(), nullptr);
        ::SendMessageA(Label[i], WM_SETFONT, font, FALSE);
    }
    Edit1 = ::CreateWindowExA(WS_EX_CLIENTEDGE, "EDIT", "", WS_CHILD | WS_VISIBLE | ES_READONLY | ES_AUTOHSCROLL, 0, 0,
                              0, 0, Panel2, ControlId(IDC_MENU_EDIT1), ProgramInstance(), nullptr);
    ::SendMessageA(Edit1, WM_SETFONT, font, FALSE);
    AddButton(SpeedButton4, Panel2, 4, Options{.GroupIndex = 20, .AllowAllUp = true, .Caption = "Управление"}, nullptr);
    SpeedButton4.SetFont(static_cast<HFONT>(font_.get()));
    SpeedButton4.OnClick = [this](SpeedButton&) { SpeedButton4Click(); };
    DisableTypeLabels();

    Panel3 = CreatePanel(Handle(), IDC_MENU_PANEL3);
    ::ShowWindow(Panel3, SW_HIDE);
    AddButton(SpeedButton5, Panel3, 5, Options{.Tag = 1, .Glyph = Glyph::MenuEnable}, "Активировать пункт меню");
    AddButton(SpeedButton6, Panel3, 6, Options{.Tag = 2, .Glyph = Glyph::MenuGray},
              "Деактивировать и отключить  возможность выбрать пункт меню ");
    AddButton(SpeedButton7, Panel3, 7, Options{.Tag = 3, .Glyph = Glyph::MenuDisable},
              "Деактивировать пункт меню без отключения возможности выбора");
    AddButton(SpeedButton8, Panel3, 8, Options{.Tag = 1, .Glyph = Glyph::MenuCheck}, "Установить отметку на пункт меню");
    AddButton(SpeedButton9, Panel3, 9, Options{.Tag = 2, .Glyph = Glyph::MenuUncheck}, "Снять пометку с пункта меню");
    AddButton(SpeedButton10, Panel3, 10, Options{.Tag = 0, .Glyph = Glyph::MenuExecute},
              "Выполнить операцию, связанную с пунктом меню");
    AddButton(SpeedButton11, Panel3, 11, Options{.Tag = 0, .Glyph = Glyph::MenuDelete},
              "Удалить пункт меню и дочерние меню, если есть");
    AddButton(SpeedButton12, Panel3, 12, Options{.Tag = 1, .Glyph = Glyph::MenuRemove},
              "Исключить пункт из меню (без уничтожения)");
    for (SpeedButton* button : {&SpeedButton5, &SpeedButton6, &SpeedButton7})
        button->OnClick = [this](SpeedButton& sender) { SpeedButton5Click(sender); };
    for (SpeedButton* button : {&SpeedButton8, &SpeedButton9})
        button->OnClick = [this](SpeedButton& sender) { SpeedButton9Click(sender); };
    SpeedButton10.OnClick = [this](SpeedButton&) { SpeedButton10Click(); };
    for (SpeedButton* button : {&SpeedButton11, &SpeedButton12})
        button->OnClick = [this](SpeedButton& sender) { SpeedButton11Click(sender); };
}

std::vector<TranslationTarget> TMenuBrowserForm::TranslationTargets()
{
    const auto hint = [this](SpeedButton& button) {
        return [this, &button](const std::string& value) { hints_.SetHint(button.Handle(), value); };
    };
    return {
        {"Caption", [this](const std::string& value) { ::SetWindowTextA(Handle(), value.c_str()); }},
        {"Collapse", hint(SpeedButton1)},
        {"Expand", hint(SpeedButton2)},
        {"ScanMenuTree", hint(SpeedButton13)},
        {"Clip", hint(SpeedButton3)},
        {"MenuID", [this](const std::string& value) { ::SetWindowTextA(Label[9], value.c_str()); }},
        {"Manage", [this](const std::string& value) { SpeedButton4.SetCaption(value); }},
        {"EnableItem", hint(SpeedButton5)},
        {"GrayItem", hint(SpeedButton6)},
        {"DisableItem", hint(SpeedButton7)},
        {"CheckItem", hint(SpeedButton8)},
        {"UncheckItem", hint(SpeedButton9)},
        {"DeleteItem", hint(SpeedButton11)},
        {"RemoveItem", hint(SpeedButton12)},
        {"ExecuteItem", hint(SpeedButton10)},
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
    const bool manage = (::GetWindowLongPtrA(Panel3, GWL_STYLE) & WS_VISIBLE) != 0;
    const int panel2Top = std::max<int>(bar, client.bottom - panel2Height - (manage ? bar : 0));

    ::MoveWindow(Panel1, 0, 0, width, bar, TRUE);
    int x = gap;
    for (SpeedButton* b : {&SpeedButton1, &SpeedButton2, &SpeedButton13}) {
        ::MoveWindow(b->Handle(), x, gap, button, button, TRUE);
        x += button + gap;
    }
    // The attach button keeps to the right edge of the bar.
    ::MoveWindow(SpeedButton3.Handle(), std::max<int>(x, width - button - gap), gap, button, button, TRUE);

    ::MoveWindow(TreeView1, 0, bar, width, std::max(0, panel2Top - bar), TRUE);

    ::MoveWindow(Panel2, 0, panel2Top, width, panel2Height, TRUE);
    const int column = std::max(1, (width - 2 * gap) / 3);
    for (int i = 0; i < MenuTypeLabelCount; ++i)
        ::MoveWindow(Label[i], gap + (i % 3) * column, gap + (i / 3) * labelRow, column, labelRow, TRUE);
    const int rowTop = gap + 3 * labelRow + gap;
    const int manageWidth = Scaled(78), labelWidth = Scaled(48);
    ::MoveWindow(Label[9], gap, rowTop + Scaled(5), labelWidth, labelRow, TRUE);
    ::MoveWindow(Edit1, gap + labelWidth, rowTop + gap, std::max(0, width - labelWidth - manageWidth - 4 * gap),
                 button - 2 * gap, TRUE);
    ::MoveWindow(SpeedButton4.Handle(), width - manageWidth - gap, rowTop, manageWidth, button, TRUE);

    // The item commands lie directly below Panel2.
    ::MoveWindow(Panel3, 0, panel2Top + panel2Height, width, bar, TRUE);
    x = gap;
    for (SpeedButton* b : {&SpeedButton5, &SpeedButton6, &SpeedButton7, &SpeedButton8, &SpeedButton9, &SpeedButton10,
                           &SpeedButton11, &SpeedButton12}) {
        ::MoveWindow(b->Handle(), x, gap, button, button, TRUE);
        x += button + (b == &SpeedButton7 || b == &SpeedButton9 || b == &SpeedButton10 ? 3 * gap : gap);
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

void TMenuBrowserForm::SpeedButton3Click()
{
    pinned_ = SpeedButton3.Down();
    Dock();
}

void TMenuBrowserForm::SpeedButton4Click()
{
    ::ShowWindow(Panel3, SpeedButton4.Down() ? SW_SHOW : SW_HIDE);
    Layout();
}

// ---- the tree -----------------------------------------------------------------------------

void TMenuBrowserForm::DisableTypeLabels()
{
    for (int i = 0; i < MenuTypeLabelCount; ++i) ::EnableWindow(Label[i], FALSE);
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
    const auto item = reinterpret_cast<HTREEITEM>(::SendMessageA(TreeView1, TVM_GETNEXTITEM, TVGN_CARET, 0));
    return MenuNodeIndex(tree_, item);
}

void TMenuBrowserForm::SelectNode(int index)
{
    if (index < 0 || static_cast<size_t>(index) >= tree_.Nodes.size()) return;
    ::SendMessageA(TreeView1, TVM_SELECTITEM, TVGN_CARET,
                   reinterpret_cast<LPARAM>(tree_.Nodes[static_cast<size_t>(index)].Item));
}

bool TMenuBrowserForm::LabelEnabled(int label) const
{
    return label >= 0 && label < MenuTypeLabelCount && ::IsWindowEnabled(Label[label]);
}

std::string TMenuBrowserForm::IdText() const
{
    char text[64] = {};
    ::GetWindowTextA(Edit1, text, static_cast<int>(std::size(text)));
    return text;
}

void TMenuBrowserForm::TreeView1Change()
{
    const int index = SelectedIndex();
    if (index < 0) {
        ::SetWindowTextA(Edit1, "--------");
        return;
    }
    const MenuItemEntry& entry = tree_.Nodes[static_cast<size_t>(index)].Entry;
    ::SetWindowTextA(Edit1, FormatMenuId(entry.CommandId, MessageText(Msg::NoMenuIDFound)).c_str());
    for (int i = 0; i < MenuTypeLabelCount; ++i) ::EnableWindow(Label[i], MenuTypeLabelLit(i, entry.ItemType));
}

void TMenuBrowserForm::SpeedButton2Click()
{
    for (auto node = tree_.Nodes.rbegin(); node != tree_.Nodes.rend(); ++node)
        if (node->Entry.SubMenu != nullptr)
            ::SendMessageA(TreeView1, TVM_EXPAND, TVE_COLLAPSE, reinterpret_cast<LPARAM>(node->Item));
    SelectNode(0);
}

void TMenuBrowserForm::SpeedButton1Click()
{
    for (const MenuNode& node : tree_.Nodes)
        ::SendMessageA(TreeView1, TVM_EXPAND, TVE_EXPAND, reinterpret_cast<LPARAM>(node.Item));
    SelectNode(0);
}

void TMenuBrowserForm::SpeedButton13Click()
{
    if (IsExistingWindow(current_.Handle)) {
        RebuildMenuTree(current_.Menu);
        return;
    }
    lvx::RebuildMenuTree(nullptr, tree_);
}

// ---- the item commands --------------------------------------------------------------------

void TMenuBrowserForm::SpeedButton5Click(const SpeedButton& sender)
{
    const int index = SelectedIndex();
    const int tag = sender.Tag();
    if (index < 0 || tag < 1 || tag > 3) return;
    const MenuItemAddress address = ResolveMenuItem(tree_.Nodes, static_cast<size_t>(index), current_.Menu);
    ::EnableMenuItem(address.Menu, address.Item, address.Flags | EnableFlags[tag]);
}

void TMenuBrowserForm::SpeedButton9Click(const SpeedButton& sender)
{
    const int index = SelectedIndex();
    const int tag = sender.Tag();
    if (index < 0 || tag < 1 || tag > 2) return;
    const MenuItemAddress address = ResolveMenuItem(tree_.Nodes, static_cast<size_t>(index), current_.Menu);
    ::CheckMenuItem(address.Menu, address.Item, address.Flags | CheckFlags[tag]);
}

void TMenuBrowserForm::SpeedButton10Click()
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

void TMenuBrowserForm::SpeedButton11Click(const SpeedButton& sender)
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
        if (header.hwndFrom == TreeView1 && header.code == TVN_SELCHANGEDA) TreeView1Change();
        return 0;
    }
    case WM_CLOSE:
        return 0;  // only the main window's toggle hides the browser
    default:
        return DefaultHandling(message, wParam, lParam);
    }
}

}  // namespace lvx
