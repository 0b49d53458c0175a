// The quick information window: the essentials of a window related to the inspected one.
#pragma once

#include "core/Dialog.h"
#include "core/Hints.h"
#include "language/MultiLang.h"
#include "tools/ToolWindows.h"

#include <memory>
#include <string>
#include <vector>

namespace lvx {

struct WindowInfo;

// Which related window of the inspected one a button's Tag stands for: parent, child, owner,
// next, previous; any other Tag gives none.
[[nodiscard]] HWND RelatedWindowByTag(const WindowInfo& info, int tag);

class TQuickInfoForm : public Dialog {
public:
    TQuickInfoForm();
    ~TQuickInfoForm() override;

    // Shows the window's essentials, read once, modally.
    void ShowInfo(HWND owner, HWND window);
    HWND InfoWindow = nullptr;

    [[nodiscard]] std::vector<TranslationTarget> TranslationTargets();
    // What the last showing displayed, for a look from outside while it is open.
    [[nodiscard]] bool PictureShown(int index) const { return index >= 0 && index < 3 && shown_[index]; }
    [[nodiscard]] std::string Hint(int index) const;

protected:
    INT_PTR HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    ToolPlace place_;  // where the user last put the window
    void FormCreate();
    void FormShow();
    void DrawPicture(const DRAWITEMSTRUCT& item) const;

    bool shown_[3] = {};
    std::string hints_[3];
    std::unique_ptr<Hints> tooltips_;
};

}  // namespace lvx
