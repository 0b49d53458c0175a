// The main window: picking box, the inspected window's fields, navigation and the command panels.
#pragma once

#include "Handles.h"
#include "Hints.h"
#include "MessageList.h"
#include "MyDrag.h"
#include "SpeedButton.h"
#include "UNI_WindowInfo.h"
#include "Window.h"
#include "panels/MessageSendPanel.h"
#include "panels/PanelHost.h"
#include "panels/ProcessThreadPanel.h"
#include "panels/WindowCommandPanel.h"
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
class TDetailsForm;
class TMessageLogForm;

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

class TMainForm : public Window, public PickingHost, public PanelHost {
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
    [[nodiscard]] HMENU ProcessPriorityMenu() const { return processPanel_.ProcessPriorityMenu(); }
    [[nodiscard]] HMENU ThreadPriorityMenu() const { return processPanel_.ThreadPriorityMenu(); }

    // PickingHost
    void SetPictureIndex(int index) override;
    void ShowWindowInfo(const WindowInfo& info, bool picking) override;
    void RefreshExecute() override;
    [[nodiscard]] HCURSOR PickingCursor() const override { return pickingCursor_; }

    // PanelHost
    [[nodiscard]] HWND PanelOwner() const override;
    void ShowError(Msg message, UINT extraFlags = 0) const override;

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
    // The details window, once opened.
    [[nodiscard]] TDetailsForm* DetailsForm() const noexcept { return detailsForm_.get(); }
    void DetailsClick();
    // The message log, once its button has opened it.
    [[nodiscard]] TMessageLogForm* MessageLogForm() const noexcept { return messageLogForm_.get(); }

protected:
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    // The panels, top to bottom.
    enum PanelId {
        TopPanel, GeometryPanel, RelatedPanel, SwitchPanel, CommandPanel, ProcessPanel, MessagePanel, PanelCount
    };

    void CreateControls();
    HWND AddLabel(int id, const char* caption);
    HWND AddEdit(int id, bool readOnly);
    void AddButton(SpeedButton& button, int id, const SpeedButton::Options& options, const char* hint);
    void CreateFonts();
    void ApplyFonts();
    void Layout();
    void SetClientHeight(int height);
    void UpdatePanels();
    void UpdateProcessButtons(bool windowShown);
    void UpdateRelatedButtons();
    void PaintPanels();
    void ReadMessageNames();
    void ShowProcessBits(ProcessBits bits);

    void FormShow();
    void FormClose();
    void SetVisible(HWND control, bool visible);
    void ShowHandle(HWND control, HWND value);
    LRESULT ControlColor(HDC dc, HWND control, bool editable);

    void GotoRelatedClick(SpeedButton& sender);  // navigation, by Tag
    // Window discovery.
    void FindWindowClick();
    // Opens the window tree on the inspected window; `byProcess` groups it by process and thread.
    void WindowTreeClick(bool byProcess = false);
    void QuickInfoClick(SpeedButton& sender);  // the five quick-info buttons, by Tag
    // Window editing.
    void ChangeSizeClick();
    void ParametersClick();
    void MenuBrowserClick();
    void MessageLogClick();
    void CopyLocatorClick();
    void WindowTextChange();
    void PanelSwitchClick();
    void StayOnTopClick();
    void MinimizeToTrayClick();
    void AboutExecute();
    void HelpExecute();

    void MinimizeToTray();
    void RestoreFromTray();
    void SnapToEdges(RECT& rect);
    void OnDpiChanged(UINT dpi, const RECT& suggested);

    UINT dpi_ = 96;
    bool shownOnce_ = false;
    int pictureIndex_ = 0;
    std::optional<TMyDrag> drag_;
    RECT cleanupFrame_{};
    HCURSOR pickingCursor_ = nullptr;
    unique_gdi pickingPictures_[2];  // the picking box at rest and while dragged
    unique_gdi uiFont_;
    unique_gdi fixedFont_;
    unique_gdi boldFixedFont_;
    HACCEL accelerators_ = nullptr;
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
    std::unique_ptr<TDetailsForm> detailsForm_;
    std::unique_ptr<TMessageLogForm> messageLogForm_;
    Hints hints_;
    bool trayIconShown_ = false;
    UINT taskbarCreatedMessage_ = 0;
    bool panelVisible_[PanelCount] = {};
    // Whether the parent, child, next, previous and owner rows show, from the last full display.
    std::array<bool, 5> relatedShown_{};
    RECT panelBounds_[PanelCount] = {};
    std::map<HWND, COLORREF> textColors_;
    std::map<int, HWND> labels_;  // the fields' captions, by control id
    // The mark beside the process id: how the pointer-sized values of the process read.
    std::string processBitsTexts_[2] = {"32 бита", "64 бита"};
    ProcessBits shownBits_ = ProcessBits::Unknown;
    std::vector<HWND> panelControls_[PanelCount];
    PanelId creatingPanel_ = TopPanel;

public:
    // The controls, public for the tests that press them and read them back; grouped by panel.
    TPaintBox pickingBox_;
    HWND handleEdit_ = nullptr, menuEdit_ = nullptr;
    SpeedButton refreshButton_, optionsButton_, aboutButton_, stayOnTopButton_, minimizeToTrayButton_;
    // The inspected window's text and geometry.
    HWND windowTextEdit_ = nullptr, classNameEdit_ = nullptr, positionEdit_ = nullptr, sizeEdit_ = nullptr,
         relativePositionEdit_ = nullptr, clientSizeEdit_ = nullptr;
    SpeedButton copyLocatorButton_;  // beside the class name: the locator to the clipboard
    SpeedButton changeTextButton_, windowTreeButton_, changeSizeButton_, flashButton_, parametersButton_, detailsButton_;
    // Related windows: a handle field, a button that goes there and one that shows quick information.
    HWND parentEdit_ = nullptr, childEdit_ = nullptr, ownerEdit_ = nullptr, nextEdit_ = nullptr,
         previousEdit_ = nullptr;
    SpeedButton gotoParentButton_, gotoChildButton_, gotoOwnerButton_, gotoNextButton_, gotoPreviousButton_;
    SpeedButton parentInfoButton_, childInfoButton_, ownerInfoButton_, nextInfoButton_, previousInfoButton_;
    SpeedButton findWindowButton_;
    // The toggles that open the menu browser and the three command panels.
    SpeedButton menuBrowserButton_, commandPanelButton_, processPanelButton_, messagePanelButton_;
    // Window commands.
    SpeedButton minimizeButton_, restoreButton_, maximizeButton_, closeButton_, sysCommandCloseButton_, visibleButton_,
        enabledButton_, topmostButton_;
    // Process and thread.
    HWND processIdEdit_ = nullptr, processBitsLabel_ = nullptr, threadIdEdit_ = nullptr, suspendCountEdit_ = nullptr;
    SpeedButton processPriorityButton_, terminateProcessButton_, threadPriorityButton_, suspendThreadButton_,
        resumeThreadButton_, terminateThreadButton_, processTreeButton_;
    // Messages.
    HWND messageCombo_ = nullptr, wParamEdit_ = nullptr, lParamEdit_ = nullptr, resultEdit_ = nullptr;
    SpeedButton sendMessageButton_, messageLogButton_;

private:
    // The command panels' handlers, acting on the controls above.
    WindowCommandPanel windowCommands_{*this, {visibleButton_, enabledButton_, topmostButton_, windowTextEdit_}};
    MessageSendPanel messagePanel_{*this, {messageCombo_, wParamEdit_, lParamEdit_, resultEdit_}};
    ProcessThreadPanel processPanel_{*this, {&processPriorityButton_, &threadPriorityButton_, &suspendCountEdit_}};
};

}  // namespace lvx
