// The language chooser: the built-in entry and the language files of the program folder.
#pragma once

#include "core/Dialog.h"
#include "core/Handles.h"

#include <string>

namespace lvx {

class TLangForm : public Dialog {
public:
    // `settingsKey`: where the choice is stored when the chooser closes.
    explicit TLangForm(std::string settingsKey);

    // Shows the chooser modally. The choice (empty when the window was closed without one) is
    // stored as the "Language" setting whenever the chooser closes, and answered.
    std::string ShowChooser(HWND owner);
    [[nodiscard]] const std::string& Choice() const noexcept { return choice_; }

protected:
    INT_PTR HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    void FormShow();
    void ChooseSelected();
    void FormClose();

    std::string settingsKey_;
    std::string choice_;
    unique_gdi font_;
};

}  // namespace lvx
