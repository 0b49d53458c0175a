// The menu browser: the inspected window's menu as a tree, the selected item's type and
// identifier, and the commands that act on that item inside the other program.
#pragma once

#include "MenuOperations.h"
#include "MenuText.h"
#include "core/Handles.h"
#include "core/Hints.h"
#include "core/SpeedButton.h"
#include "core/UNI_WindowInfo.h"
#include "core/Window.h"
#include "language/MultiLang.h"

#include <string>
#include <vector>

namespace lvx {

class TMenuBrowserForm : public Window {
public:
    // `current` is the inspected window (read by the commands); `mainWindow` is the window the
    // browser docks against and owns it.
    TMenuBrowserForm(const WindowInfo& current, HWND mainWindow);
    ~TMenuBrowserForm() override;

    // Creates the window and its controls, hidden; false when the system refused.
    bool FormCreate();

    // Fills the tree from `menu` (nothing for 0) and selects its first node.
    void RebuildMenuTree(HMENU menu);
    // Places the browser against the main window's left edge, as tall as it.
    void Dock();
    [[nodiscard]] bool Pinned() const noexcept { return pinned_; }
    [[nodiscard]] bool IsVisible() const;

    // The controls' actions.
    void CollapseAllClick();
    void ExpandAllClick();
    void PinClick();
    void ManageClick();
    void ItemStateClick(const SpeedButton& sender);           // enable, gray, disable by Tag
    void ItemCheckClick(const SpeedButton& sender);           // check, uncheck by Tag
    void ExecuteItemClick();
    void DeleteOrRemoveItemClick(const SpeedButton& sender);  // delete (Tag 0), remove (Tag 1)
    void RescanClick();
    void MenuTreeChange();

    // What a test or the display reads back.
    [[nodiscard]] const std::vector<MenuNode>& Nodes() const noexcept { return tree_.Nodes; }
    [[nodiscard]] int SelectedIndex() const;
    void SelectNode(int index);
    [[nodiscard]] bool LabelEnabled(int label) const;  // 0..8: the item type labels
    [[nodiscard]] std::string IdText() const;
    [[nodiscard]] std::string Hint(HWND control) const { return hints_.Hint(control); }

    [[nodiscard]] std::vector<TranslationTarget> TranslationTargets();

protected:
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    void CreateControls();
    void AddButton(SpeedButton& button, HWND panel, int id, const SpeedButton::Options& options,
                   const char* hint);
    void FormResize();
    void FormActivate();
    void Layout();
    void DisableTypeLabels();
    void ShowOperationError() const;
    [[nodiscard]] int Scaled(int value) const { return ScaleForDpi(value, dpi_); }

    const WindowInfo& current_;
    HWND mainWindow_;
    bool pinned_ = false;
    UINT dpi_ = 96;
    MenuTree tree_;
    Hints hints_;
    unique_gdi font_;

public:
    // The controls, public for the tests that press them and read them back.
    HWND menuTreeView_ = nullptr;
    HWND toolBarPanel_ = nullptr, itemPanel_ = nullptr, commandPanel_ = nullptr;
    HWND itemLabels_[10] = {};  // the nine item type labels, then the id caption
    HWND itemIdEdit_ = nullptr;
    SpeedButton collapseButton_, expandButton_, pinButton_, manageButton_, enableItemButton_, grayItemButton_, disableItemButton_,
        checkItemButton_, uncheckItemButton_, executeItemButton_, deleteItemButton_, removeItemButton_, rescanButton_;
};

}  // namespace lvx
