// Base of the modal dialogs made from templates: the object behind the dialog and its dispatch.
#include "Dialog.h"

#include "Window.h"

#include <exception>

namespace lvx {

INT_PTR Dialog::ShowModal(HWND owner)
{
    return ::DialogBoxParamA(ProgramInstance(), MAKEINTRESOURCEA(templateId_), owner, &Dialog::DialogProc,
                             reinterpret_cast<LPARAM>(this));
}

Dialog::~Dialog()
{
    if (modeless_ && handle_ != nullptr) ::DestroyWindow(handle_);
}

bool Dialog::CreateModeless(HWND owner)
{
    if (handle_ != nullptr) return true;
    modeless_ = true;
    return ::CreateDialogParamA(ProgramInstance(), MAKEINTRESOURCEA(templateId_), owner, &Dialog::DialogProc,
                                reinterpret_cast<LPARAM>(this)) != nullptr;
}

void Dialog::Close(INT_PTR result)
{
    // A modeless dialog only hides: it is kept for the next showing.
    if (modeless_) ::ShowWindow(handle_, SW_HIDE);
    else ::EndDialog(handle_, result);
}

TranslationTarget Dialog::CaptionTarget(const char* key)
{
    return {key, [this](const std::string& value) { ::SetWindowTextA(handle_, value.c_str()); }};
}

TranslationTarget Dialog::ItemTextTarget(const char* key, int id)
{
    return {key, [this, id](const std::string& value) { ::SetDlgItemTextA(handle_, id, value.c_str()); }};
}

INT_PTR CALLBACK Dialog::DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    Dialog* self = nullptr;
    if (message == WM_INITDIALOG) {
        self = reinterpret_cast<Dialog*>(lParam);
        self->handle_ = window;
        ::SetWindowLongPtrA(window, DWLP_USER, lParam);
        GiveProgramIcon(window);
    } else {
        self = reinterpret_cast<Dialog*>(::GetWindowLongPtrA(window, DWLP_USER));
    }
    if (self == nullptr) return FALSE;
    if (message == WM_NCDESTROY) {
        ::SetWindowLongPtrA(window, DWLP_USER, 0);
        self->handle_ = nullptr;
        return FALSE;
    }
    try {
        return self->HandleMessage(message, wParam, lParam);
    } catch (const std::exception& error) {
        ReportError(window, error.what());
    } catch (...) {
        ReportError(window, "Unexpected error");
    }
    return FALSE;
}

}  // namespace lvx
