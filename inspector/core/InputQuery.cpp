// A small modal box that asks for one line of text.
#include "InputQuery.h"

#include "Dialog.h"
#include "Window.h"
#include "language/MultiLang.h"
#include "resources/resource.h"

namespace lvx {

namespace {

// The box has no language section of its own: its cancel button says what the search
// dialog's does.
std::string CancelCaption()
{
    if (!LanguageLoaded) return "Отмена";
    return Language.LookupText(Language.LookupSection("QuickSearchForm"), "Cancel");
}

class InputBox : public Dialog {
public:
    InputBox(const std::string& caption, const std::string& prompt, std::string& value)
        : Dialog(IDD_INPUTQUERY), caption_(caption), prompt_(prompt), value_(value)
    {
    }

protected:
    INT_PTR HandleMessage(UINT message, WPARAM wParam, LPARAM) override
    {
        switch (message) {
        case WM_INITDIALOG:
            ::SetWindowTextA(Handle(), caption_.c_str());
            ::SetDlgItemTextA(Handle(), IDC_INPUT_PROMPT, prompt_.c_str());
            ::SetDlgItemTextA(Handle(), IDC_INPUT_EDIT, value_.c_str());
            ::SetDlgItemTextA(Handle(), IDCANCEL, CancelCaption().c_str());
            ::SendMessageA(Item(IDC_INPUT_EDIT), EM_SETSEL, 0, -1);
            ::SetFocus(Item(IDC_INPUT_EDIT));
            return FALSE;
        case WM_COMMAND:
            if (LOWORD(wParam) == IDOK) {
                value_ = GetControlText(Item(IDC_INPUT_EDIT));
                Close(IDOK);
                return TRUE;
            }
            if (LOWORD(wParam) == IDCANCEL) {
                Close(IDCANCEL);
                return TRUE;
            }
            return FALSE;
        default:
            return FALSE;
        }
    }

private:
    const std::string& caption_;
    const std::string& prompt_;
    std::string& value_;
};

}  // namespace

bool InputQuery(HWND owner, const std::string& caption, const std::string& prompt, std::string& value)
{
    std::string edited = value;
    InputBox box(caption, prompt, edited);
    if (box.ShowModal(owner) != IDOK) return false;
    value = std::move(edited);
    return true;
}

}  // namespace lvx
