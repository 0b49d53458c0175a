// The search dialog shared by the simple search and the window tree's search.
#include "QuickSearchForm.h"

#include "Mask.h"
#include "core/Window.h"
#include "language/MessageTable.h"
#include "resources/resource.h"

#include <algorithm>
#include <utility>

namespace lvx {

TQuickSearchForm::TQuickSearchForm() : Dialog(IDD_QUICKSEARCHFORM) {}

bool TQuickSearchForm::ShowForSimpleSearch(HWND owner)
{
    mode_ = Mode::SimpleSearch;
    findNext_ = nullptr;
    okCaption_ = MessageText(Msg::OK);
    return ShowModal(owner) == IDOK;
}

bool TQuickSearchForm::ShowForTree(HWND owner, FindNext findNext)
{
    mode_ = Mode::Tree;
    findNext_ = std::move(findNext);
    okCaption_ = MessageText(Msg::FindNext);
    return ShowModal(owner) == IDOK;
}

void TQuickSearchForm::SetMasks(std::string textMask, std::string classMask, SearchScope scope)
{
    textMask_ = std::move(textMask);
    classMask_ = std::move(classMask);
    scope_ = scope;
}

std::vector<TranslationTarget> TQuickSearchForm::TranslationTargets()
{
    return {
        CaptionTarget("Caption"),
        ItemTextTarget("WndText", IDC_SEARCH_TEXT_LABEL),
        ItemTextTarget("WndClass", IDC_SEARCH_CLASS_LABEL),
        ItemTextTarget("SearchIn", IDC_SEARCH_SCOPE),
        ItemTextTarget("SearchInTop", IDC_SEARCH_TOP_LEVEL),
        ItemTextTarget("SearchInChild", IDC_SEARCH_CHILDREN),
        ItemTextTarget("SearchInAll", IDC_SEARCH_ALL),
        ItemTextTarget("OK", IDOK),
        ItemTextTarget("Cancel", IDCANCEL),
    };
}

void TQuickSearchForm::FormCreate()
{
    TranslateWindow("QuickSearchForm", TranslationTargets());
}

void TQuickSearchForm::FormShow()
{
    ::SetDlgItemTextA(Handle(), IDC_SEARCH_TEXT, textMask_.c_str());
    ::SetDlgItemTextA(Handle(), IDC_SEARCH_CLASS, classMask_.c_str());
    ::CheckRadioButton(Handle(), IDC_SEARCH_TOP_LEVEL, IDC_SEARCH_ALL, IDC_SEARCH_TOP_LEVEL + static_cast<int>(scope_));
    // The scope means nothing to the tree, which searches its own nodes.
    const int show = mode_ == Mode::SimpleSearch ? SW_SHOW : SW_HIDE;
    for (int id = IDC_SEARCH_SCOPE; id <= IDC_SEARCH_ALL; ++id) ::ShowWindow(Item(id), show);
    ::SetDlgItemTextA(Handle(), IDOK, okCaption_.c_str());
    if (mode_ == Mode::Tree) CloseScopeGap();
    ::SendMessageA(Item(IDC_SEARCH_TEXT), EM_SETSEL, 0, -1);
}

// Without the scope group the buttons move up into one row under the class field, at its right,
// each as wide as its caption needs (the tree's "find next" is longer than "OK"), and the dialog
// ends below them. Sizes are the template's dialog units, mapped to this dialog's pixels.
void TQuickSearchForm::CloseScopeGap()
{
    RECT units{8, 64, 52, 86};  // right margin, row top, least button width, client height
    RECT gap{0, 0, 4, 15};      // between the buttons; the buttons' height
    ::MapDialogRect(Handle(), &units);
    ::MapDialogRect(Handle(), &gap);
    RECT client{};
    ::GetClientRect(Handle(), &client);
    int right = client.right - units.left;
    for (const int id : {IDCANCEL, IDOK}) {
        const int width = std::max<int>(units.right, ControlTextWidth(Item(id)) + 2 * units.left);
        ::SetWindowPos(Item(id), nullptr, right - width, units.top, width, gap.bottom, SWP_NOZORDER | SWP_NOACTIVATE);
        right -= width + gap.right;
    }
    RECT frame{0, 0, client.right, units.bottom};
    ::AdjustWindowRectEx(&frame, static_cast<DWORD>(::GetWindowLongPtrA(Handle(), GWL_STYLE)), FALSE,
                         static_cast<DWORD>(::GetWindowLongPtrA(Handle(), GWL_EXSTYLE)));
    ::SetWindowPos(Handle(), nullptr, 0, 0, frame.right - frame.left, frame.bottom - frame.top,
                   SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void TQuickSearchForm::StoreFields()
{
    textMask_ = GetControlText(Item(IDC_SEARCH_TEXT));
    classMask_ = GetControlText(Item(IDC_SEARCH_CLASS));
    for (int item = 0; item <= 2; ++item)
        if (::IsDlgButtonChecked(Handle(), IDC_SEARCH_TOP_LEVEL + item) == BST_CHECKED) scope_ = static_cast<SearchScope>(item);
}

void TQuickSearchForm::OkClick()
{
    StoreFields();
    if (mode_ == Mode::Tree && findNext_) {
        // An invalid mask is reported by the search and keeps the dialog open for a correction.
        for (const std::string* mask : {&textMask_, &classMask_}) {
            std::string error;
            if (!mask->empty() && !TMask::Create(*mask, &error)) return ReportError(Handle(), error.c_str());
        }
        if (findNext_(textMask_, classMask_) == -1) ::MessageBeep(0);
    }
    Close(IDOK);
}

void TQuickSearchForm::CancelClick()
{
    StoreFields();
    Close(IDCANCEL);
}

INT_PTR TQuickSearchForm::HandleMessage(UINT message, WPARAM wParam, LPARAM)
{
    switch (message) {
    case WM_INITDIALOG:
        FormCreate();
        FormShow();
        ::SetFocus(Item(IDC_SEARCH_TEXT));
        return FALSE;  // the focus is set
    case WM_COMMAND:
        switch (LOWORD(wParam)) {
        case IDOK:
            OkClick();
            return TRUE;
        case IDCANCEL:
            CancelClick();
            return TRUE;
        default:
            return FALSE;
        }
    default:
        return FALSE;
    }
}

}  // namespace lvx
