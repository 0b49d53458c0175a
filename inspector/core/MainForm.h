// The main window: picking box, the inspected window's fields, navigation and the command panels.
#pragma once

#include "Handles.h"
#include "Hints.h"
#include "MessageList.h"
#include "MyDrag.h"
#include "SpeedButton.h"
#include "UNI_WindowInfo.h"
#include "Window.h"
#include "language/MessageTable.h"
#include "language/MultiLang.h"

#include <array>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace lvx {

// The inspected window, owned by the main window for the whole run.
extern WindowInfo CurrentWindow;
// Names and values from "messages.lst", in file order.
extern std::vector<MessageName> MessageNames;

class TMainForm;
class TLangForm;
class TOptionsForm;
class TQuickSearchForm;
class TFoundWindowsForm;
class TWindowTreeForm;
class TQuickInfoForm;
class TChangeSizeForm;
class TStylesForm;
class TAboutForm;
class TMenuBrowserForm;

// The little box the picking tool is dragged from.
class TPaintBox : public Window {
public:
    bool Create(TMainForm& form, HWND parent, int controlId);
    void Repaint();

protected:
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    void Paint();
    void FinishDrag(POINT screen);
    [[nodiscard]] static bool PickingButtonHeld();
    [[nodiscard]] POINT ScreenPoint(LPARAM lParam) const;

    TMainForm* form_ = nullptr;
};

class TMainForm : public Window, public PickingHost {
public:
    TMainForm();
    ~TMainForm() override;

    // Creates the window and its controls, reads the data files; the window stays hidden.
    bool FormCreate();
    // Shows the window the first time.
    void ShowForm();
    // Keyboard shortcuts and dialog navigation; true when the message was used.
    bool PreTranslateMessage(MSG& message);
    // The translate step: the texts a language file replaces, and applying them.
    [[nodiscard]] std::vector<TranslationTarget> TranslationTargets();
    void Translate();
    // The language chooser the options dialog opens (created at program start).
    void SetLanguageChooser(TLangForm& chooser) { langForm_ = &chooser; }
    void OptionsExecute();
    // The search dialog, shared by the simple search and the window tree.
    [[nodiscard]] TQuickSearchForm& QuickSearchForm();
    [[nodiscard]] HMENU ProcessPriorityMenu() const { return processPriorityMenu_.get(); }
    [[nodiscard]] HMENU ThreadPriorityMenu() const { return threadPriorityMenu_.get(); }

    // PickingHost
    void SetPictureIndex(int index) override;
    void ShowWindowInfo(const WindowInfo& info, bool picking) override;
    void RefreshExecute() override;
    [[nodiscard]] HCURSOR PickingCursor() const override { return sniperCursor_; }

    [[nodiscard]] int PictureIndex() const noexcept { return pictureIndex_; }
    [[nodiscard]] HBITMAP PictureImage(int index) const;

    // The picking box's mouse: press, moves and release in screen coordinates; cancel.
    void PickingStart();
    void PickingMove(POINT screen);
    void PickingEnd(POINT screen);
    void PickingCancel();
    void ScheduleFrameCleanup(const RECT& frame);
    [[nodiscard]] bool IsPicking() const noexcept { return drag_.has_value(); }
    // The menu browser, once the "Меню" toggle has created it.
    [[nodiscard]] TMenuBrowserForm* MenuBrowserForm() const noexcept { return menuBrowserForm_.get(); }

protected:
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    enum PanelId { Panel5, Panel2, Panel4, Panel3, ControlPanel, ProcessPanel, Panel6, PanelCount };

    void CreateControls();
    void CreatePriorityMenus();
    HWND AddLabel(int number, const char* caption);
    HWND AddEdit(int number, bool readOnly);
    void AddButton(SpeedButton& button, int number, const SpeedButton::Options& options, const char* hint);
    void CreateFonts();
    void ApplyFonts();
    void Layout();
    void SetClientHeight(int height);
    void UpdatePanels();
    void UpdateProcessButtons(bool windowShown);
    void UpdateRelatedButtons();
    void PaintPanels();
    void ReadMessageNames();

    void FormShow();
    void FormClose();
    void SetText(HWND control, const std::string& text);
    void SetVisible(HWND control, bool visible);
    void ShowHandle(HWND control, HWND value);
    LRESULT ControlColor(HDC dc, HWND control, bool editable);

    void SpeedButton7Click(SpeedButton& sender);  // navigation, by Tag
    // Window commands.
    void SpeedButton17Click(SpeedButton& sender);  // minimise, restore, maximise, by Tag
    void SpeedButton20Click();
    void SpeedButton22Click();
    void SpeedButton21Click();
    void SpeedButton24Click();
    void SpeedButton25Click();
    void SpeedButton34Click();
    void SpeedButton35Click();
    void SpeedButton32Click();
    // Window discovery.
    void SpeedButton33Click();
    void SpeedButton36Click();
    void SpeedButton8Click(SpeedButton& sender);  // the five quick-info buttons, by Tag
    // Window editing.
    void SpeedButton37Click();
    void SpeedButton38Click();
    void SpeedButton2Click();  // the menu browser
    // Process and thread commands.
    void SpeedButton26Click();
    void N6Click(int tag);
    void SpeedButton27Click();
    void SpeedButton28Click();
    void IDLE1Click(int tag);
    void SpeedButton31Click(SpeedButton& sender);  // freeze (Tag 0) and unfreeze (Tag 1)
    void SpeedButton29Click();
    [[nodiscard]] bool IsOwnProcess() const;
    [[nodiscard]] std::string ControlText(HWND control) const;
    void ShowError(Msg message, UINT extraFlags = 0) const;
    void Edit1Change();
    void PanelSwitchClick();
    void SpeedButton1Click();
    void SpeedButton23Click();
    void AboutExecute();
    void HelpExecute();
    void ComboBox1DropDown();

    void MinimizeToTray();
    void RestoreFromTray();
    void SnapToEdges(RECT& rect);
    void OnDpiChanged(UINT dpi, const RECT& suggested);

    UINT dpi_ = 96;
    bool shownOnce_ = false;
    int pictureIndex_ = 0;
    std::optional<TMyDrag> drag_;
    RECT cleanupFrame_{};
    HCURSOR sniperCursor_ = nullptr;
    unique_gdi pictures_[2];
    unique_gdi uiFont_;
    unique_gdi fixedFont_;
    unique_gdi boldFixedFont_;
    HACCEL accelerators_ = nullptr;
    unique_menu processPriorityMenu_;
    unique_menu threadPriorityMenu_;
    TLangForm* langForm_ = nullptr;
    std::unique_ptr<TOptionsForm> optionsForm_;
    std::unique_ptr<TQuickSearchForm> quickSearchForm_;
    std::unique_ptr<TFoundWindowsForm> foundWindowsForm_;
    std::unique_ptr<TWindowTreeForm> windowTreeForm_;
    std::unique_ptr<TQuickInfoForm> quickInfoForm_;
    std::unique_ptr<TChangeSizeForm> changeSizeForm_;
    std::unique_ptr<TStylesForm> stylesForm_;
    std::unique_ptr<TAboutForm> aboutForm_;
    std::unique_ptr<TMenuBrowserForm> menuBrowserForm_;
    Hints hints_;
    bool trayIconShown_ = false;
    UINT taskbarCreatedMessage_ = 0;
    bool panelVisible_[PanelCount] = {};
    // Whether the parent, child, next, previous and owner rows show, from the last full display.
    std::array<bool, 5> relatedShown_{};
    RECT panelBounds_[PanelCount] = {};
    std::map<HWND, COLORREF> textColors_;
    std::map<int, HWND> labels_;
    std::vector<HWND> panelControls_[PanelCount];
    PanelId creatingPanel_ = Panel5;

public:
    // Controls keep the names they are known by in the program's documentation and language files.
    TPaintBox PaintBox1;
    HWND Edit1 = nullptr, Edit2 = nullptr, Edit3 = nullptr, Edit4 = nullptr, Edit5 = nullptr, Edit6 = nullptr,
         Edit7 = nullptr, Edit8 = nullptr, Edit9 = nullptr, Edit10 = nullptr, Edit11 = nullptr, Edit12 = nullptr,
         Edit13 = nullptr, Edit14 = nullptr, Edit15 = nullptr, Edit16 = nullptr, Edit17 = nullptr, Edit18 = nullptr,
         Edit19 = nullptr;
    HWND ComboBox1 = nullptr;
    SpeedButton SpeedButton1, SpeedButton2, SpeedButton3, SpeedButton4, SpeedButton5, SpeedButton6, SpeedButton7,
        SpeedButton8, SpeedButton9, SpeedButton10, SpeedButton11, SpeedButton12, SpeedButton13, SpeedButton14,
        SpeedButton15, SpeedButton16, SpeedButton17, SpeedButton18, SpeedButton19, SpeedButton20, SpeedButton21,
        SpeedButton22, SpeedButton23, SpeedButton24, SpeedButton25, SpeedButton26, SpeedButton27, SpeedButton28,
        SpeedButton29, SpeedButton30, SpeedButton31, SpeedButton32, SpeedButton33, SpeedButton34, SpeedButton35,
        SpeedButton36, SpeedButton37, SpeedButton38, SpeedButton39, SpeedButton40;
};

}  // namespace lvx
