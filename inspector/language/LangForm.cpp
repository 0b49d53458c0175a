// The language chooser: the built-in entry and the language files of the program folder.
#include "LangForm.h"

#include "MultiLang.h"
#include "core/Window.h"
#include "resources/resource.h"

#include <utility>
#include <vector>

namespace lvx {

TLangForm::TLangForm(std::string settingsKey) : Dialog(IDD_LANGFORM), settingsKey_(std::move(settingsKey)) {}

std::string TLangForm::ShowChooser(HWND owner)
{
    ShowModal(owner);
    return choice_;
}

void TLangForm::FormShow()
{
    choice_.clear();
    const HWND list = Item(IDC_LANG_LIST);
    const UINT dpi = DpiOfWindow(Handle());
    font_.reset(::CreateFontA(-::MulDiv(10, static_cast<int>(dpi), 72), 0, 0, 0, FW_NORMAL, 0, 0, 0, RUSSIAN_CHARSET,
                              OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, FIXED_PITCH | FF_MODERN,
                              "Courier New"));
    ::SendMessageA(list, WM_SETFONT, reinterpret_cast<WPARAM>(font_.get()), FALSE);
    ::SendMessageA(list, LB_RESETCONTENT, 0, 0);
    ::SendMessageA(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(BuiltInLanguage));
    bool foundFiles = false;
    WIN32_FIND_DATAA entry{};
    const unique_find find(::FindFirstFileA((ProgramFolder + "*.lng").c_str(), &entry));
    if (find) {
        do {
            ::SendMessageA(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(entry.cFileName));
            foundFiles = true;
        } while (::FindNextFileA(find.get(), &entry));
    }
    if (foundFiles) ::SendMessageA(list, LB_SETCURSEL, 0, 0);
}

void TLangForm::ChooseSelected()
{
    const HWND list = Item(IDC_LANG_LIST);
    const LRESULT selected = ::SendMessageA(list, LB_GETCURSEL, 0, 0);
    if (selected == LB_ERR) return;
    const LRESULT length = ::SendMessageA(list, LB_GETTEXTLEN, selected, 0);
    if (length == LB_ERR) return;
    std::vector<char> text(static_cast<size_t>(length) + 1, '\0');
    ::SendMessageA(list, LB_GETTEXT, selected, reinterpret_cast<LPARAM>(text.data()));
    choice_ = text.data();
    FormClose();
}

void TLangForm::FormClose()
{
    if (!settingsKey_.empty())
        StoreLanguage(settingsKey_, choice_);  // a failed write is ignored: the next start asks again
    else
        ::MessageBoxA(Handle(), "Application registry key not defined", "Bug in program", MB_OK | MB_ICONERROR);
    Close(IDOK);
}

INT_PTR TLangForm::HandleMessage(UINT message, WPARAM wParam, LPARAM)
{
    switch (message) {
    case WM_INITDIALOG:
        FormShow();
        return TRUE;
    case WM_COMMAND:
        if (LOWORD(wParam) == IDC_LANG_LIST && HIWORD(wParam) == LBN_DBLCLK) {
            ChooseSelected();
            return TRUE;
        }
        if (LOWORD(wParam) == IDOK) {  // Enter chooses the selected entry, as a double click does
            ChooseSelected();
            return TRUE;
        }
        if (LOWORD(wParam) == IDCANCEL) {  // Escape or the system's close: no choice
            FormClose();
            return TRUE;
        }
        return FALSE;
    default:
        return FALSE;
    }
}

}  // namespace lvx
