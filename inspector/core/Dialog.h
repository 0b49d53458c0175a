// Base of the modal dialogs made from templates: the object behind the dialog and its dispatch.
#pragma once

#include "language/MultiLang.h"

#include <windows.h>

namespace lvx {

// `this` arrives with WM_INITDIALOG and is kept in DWLP_USER; no exception leaves the procedure.
class Dialog {
public:
    virtual ~Dialog();
    Dialog(const Dialog&) = delete;
    Dialog& operator=(const Dialog&) = delete;

    // Shows the dialog modally over `owner` and answers the result it ended with.
    INT_PTR ShowModal(HWND owner);
    // Creates the dialog as a modeless window owned by `owner`, hidden until shown; it lives
    // until the object goes. Its messages need IsDialogMessage in the message loop.
    bool CreateModeless(HWND owner);
    [[nodiscard]] HWND Handle() const noexcept { return handle_; }

protected:
    explicit Dialog(int templateId) : templateId_(templateId) {}

    // Answers TRUE for a handled message, as a dialog procedure does.
    virtual INT_PTR HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) = 0;
    void Close(INT_PTR result);
    // Translation targets: the dialog's caption, and the text of one of its controls.
    [[nodiscard]] TranslationTarget CaptionTarget(const char* key);
    [[nodiscard]] TranslationTarget ItemTextTarget(const char* key, int id);
    [[nodiscard]] HWND Item(int id) const { return ::GetDlgItem(handle_, id); }

private:
    static INT_PTR CALLBACK DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

    int templateId_;
    HWND handle_ = nullptr;
    bool modeless_ = false;
};

}  // namespace lvx
