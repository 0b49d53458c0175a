// The list of windows a simple search found, from which the user picks one by double click.
#pragma once

#include "core/Dialog.h"
#include "core/Handles.h"
#include "language/MultiLang.h"
#include "tools/ToolWindows.h"

#include <vector>

namespace lvx {

class TFoundWindowsForm : public Dialog {
public:
    TFoundWindowsForm();

    // Shows FoundWindows modally; afterwards ChosenIndex is the chosen line, or -1.
    void ShowList(HWND owner);
    int ChosenIndex = -1;

    [[nodiscard]] std::vector<TranslationTarget> TranslationTargets();

protected:
    INT_PTR HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    void FormCreate();
    void FormShow();
    void FoundListDblClick();
    void FillClient();

    unique_gdi font_;
    ToolPlace place_;  // where the user last put the list, kept for the next opening
};

}  // namespace lvx
