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
    void SpeedButton2Click();  // collapse all (the button SpeedButton1)
    void SpeedButton1Click();  // expand all (the button SpeedButton2)
    void SpeedButton3Click();
    void SpeedButton4Click();
    void SpeedButton5Click(const SpeedButton& sender);   // enable, gray, disable by Tag
    void SpeedButton9Click(const SpeedButton& sender);   // check, uncheck by Tag
    void SpeedButton10Click();                           // execute
    void SpeedButton11Click(const SpeedButton& sender);  // delete (Tag 0), remove (Tag 1)
    void SpeedButton13Click();                           // rescan
    void TreeView1Change();

    // What a test or the display reads back.
    [[nodiscard]] const std::vector<MenuNode>& Nodes() const noexcept { return tree_.Nodes; }
    [[nodiscard]] int SelectedIndex() const;
    void SelectNode(int index);
    [[nodiscard]] bool LabelEnabled(int label) const;  // 0..8 for Label1..Label9
    [[nodiscard]] std::string IdText() const;
    [[nodiscard]] std::string Hint(HWND control) const { return hints_.Hint(control); }

    [[nodiscard]] std::vector<TranslationTarget> TranslationTargets();

protected:
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    void CreateControls();
    void AddButton(SpeedButton& button, HWND panel, int number, const SpeedButton::Options& options,
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
    // Controls keep the names they are known by in the program's documentation and language files.
    HWND TreeView1 = nullptr;
    HWND Panel1 = nullptr, Panel2 = nullptr, Panel3 = nullptr;
    HWND Label[10] = {};  // Label1..Label10
    HWND Edit1 = nullptr;
    SpeedButton SpeedButton1, SpeedButton2, SpeedButton3, SpeedButton4, SpeedButton5, SpeedButton6, SpeedButton7,
        SpeedButton8, SpeedButton9, SpeedButton10, SpeedButton11, SpeedButton12, SpeedButton13;
};

}  // namespace lvx
