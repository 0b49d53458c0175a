// The question after a window's picture is taken: copy it, save it as PNG, or neither.
#pragma once

#include "core/Dialog.h"

#include <string>

namespace lvx {

// A small modal dialog whose buttons say what they do, in the program's language rather than the
// system's (a message box names its Yes/No buttons in the system's language).
class TCaptureQuestion : public Dialog {
public:
    struct Texts {
        std::string Caption;
        std::string Question;
        std::string Copy;
        std::string Save;
        std::string Cancel;
    };
    explicit TCaptureQuestion(Texts texts);

    // IDYES: copy to the clipboard; IDNO: save as PNG; IDCANCEL: neither.
    int Ask(HWND owner);

protected:
    INT_PTR HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    void Layout();

    Texts texts_;
};

}  // namespace lvx
