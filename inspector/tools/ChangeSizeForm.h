// The position and size dialog: four numbers that move and resize the inspected window live.
#pragma once

#include "core/Dialog.h"
#include "core/Handles.h"
#include "language/MultiLang.h"
#include "tools/ToolWindows.h"

#include <cstdint>
#include <vector>

namespace lvx {

struct WindowInfo;

class TChangeSizeForm : public Dialog {
public:
    // The range of each field: the 32-bit range less its lowest value.
    static constexpr int32_t MinValue = -2147483647;
    static constexpr int32_t MaxValue = 2147483647;

    TChangeSizeForm();

    // Shows the dialog for `window` (the inspected window's record) modally.
    void ShowFor(HWND owner, const WindowInfo& window);

    [[nodiscard]] std::vector<TranslationTarget> TranslationTargets();

protected:
    INT_PTR HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    ToolPlace place_;  // where the user last put the window
    void FormCreate();
    void FormShow();
    void FieldChange(int id);
    [[nodiscard]] int32_t Value(int id) const;

    const WindowInfo* window_ = nullptr;
    bool Loading = false;
    unique_gdi font_;
};

}  // namespace lvx
