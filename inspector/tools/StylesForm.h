// The window parameters editor: the window longs, class values, module, text and icons of the
// inspected window, with commands that overwrite them.
#pragma once

#include "core/Dialog.h"
#include "core/Handles.h"
#include "core/Hints.h"
#include "core/SpeedButton.h"
#include "language/MultiLang.h"
#include "tools/ToolWindows.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace lvx {

struct WindowInfo;

class TStylesForm : public Dialog {
public:
    // `info` is the inspected window's record; `refresh` is the main window's Refresh action,
    // which gathers the record again (and then calls RefreshParameters).
    TStylesForm(const WindowInfo& info, std::function<void()> refresh);
    ~TStylesForm() override;

    // Creates the window on first use, then shows it and fills it.
    void ShowParameters(HWND owner);
    // Fills every field from the record.
    void RefreshParameters();

    // The six change buttons (Tag 0..5) and what they do.
    void EditWndLong(int tag);
    void ChangeTextClick();
    void ClassInfoClick();
    void IconDblClick(int tag);
    // Overridable for tests: asking for a value and for a file name.
    std::function<bool(std::string& value)> AskValue;
    std::function<bool(std::string& path)> AskIconFile;

    [[nodiscard]] std::vector<TranslationTarget> TranslationTargets();
    [[nodiscard]] bool ChangeTextVisible() const { return changeTextButton_.IsVisible(); }
    [[nodiscard]] bool ClassPanelVisible() const;
    [[nodiscard]] std::string Hint(HWND control) const { return hints_ ? hints_->Hint(control) : std::string(); }
    [[nodiscard]] HWND ChangeButton(int tag) const;
    [[nodiscard]] HWND TextButton() const { return changeTextButton_.Handle(); }
    [[nodiscard]] HWND ClassButton() const { return classInfoButton_.Handle(); }
    // True when the picture shows the no-icon stand-in.
    [[nodiscard]] bool ShowsNoIcon(int tag) const { return tag == 0 ? bigMissing_ : smallMissing_; }

protected:
    INT_PTR HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    void FormCreate();
    void PlaceButtons();
    void FitToPanels();
    void UpdateChangeHints();
    void WindowTextChange();
    void DrawPicture(const DRAWITEMSTRUCT& item) const;
    INT_PTR ControlColor(HDC dc, HWND control, bool editable);
    bool AskValueWithBox(std::string& value);
    bool AskIconFileWithDialog(std::string& path);

    const WindowInfo& info_;
    std::function<void()> refresh_;
    HICON NoIconIcon = nullptr;
    unique_gdi fixedFont_;
    std::unique_ptr<Hints> hints_;
    bool moduleFailed_ = false;
    bool bigMissing_ = true;
    bool smallMissing_ = true;
    ToolPlace place_;

    // Texts a language file may replace.
    std::string editHint_ = "Изменить значение";
    std::string changeTextHint_ = "Изменить текст окна";
    // A 32-bit program sees only the low half of a 64-bit program's pointers: those fields show
    // this placeholder, and their change buttons refuse with the sentence below.
    std::string notReadableText_ = "<не читается>";
    std::string pointerTooWideText_ =
        "Это значение 64-битного процесса шире 32 бит: 32-битная версия программы не может ни прочитать, ни записать "
        "его. Откройте окно в 64-битной версии.";
    std::string bigIconHint_ = "BIG_ICON (Двойной клик - сохранить иконку)";
    std::string smallIconHint_ = "SMALL_ICON (Двойной клик - сохранить иконку)";

    SpeedButton changeWndProcButton_, changeStyleButton_, changeExStyleButton_, changeInstanceButton_, changeWindowIdButton_, changeUserDataButton_;
    SpeedButton classInfoButton_, changeTextButton_;
};

}  // namespace lvx
