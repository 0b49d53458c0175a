// The options dialog: scanning, edge snapping, class icons and the way to the language chooser.
#pragma once

#include "core/Dialog.h"
#include "language/MultiLang.h"

#include <functional>
#include <vector>

namespace lvx {

class TLangForm;

// Every change takes effect at the click; however the dialog is closed, the options are saved.
class TOptionsForm : public Dialog {
public:
    // `snappingChanged` runs when the snapping box is clicked, to apply it to the open windows.
    TOptionsForm(TLangForm& langForm, std::function<void()> snappingChanged);

    // The texts a language file replaces, with their keys.
    [[nodiscard]] std::vector<TranslationTarget> TranslationTargets();

protected:
    INT_PTR HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    void FormShow();
    void FormClose(INT_PTR result);
    void LanguageClick();

    TLangForm& langForm_;
    std::function<void()> snappingChanged_;
};

}  // namespace lvx
