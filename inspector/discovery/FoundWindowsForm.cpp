// The list of windows a simple search found, from which the user picks one by double click.
#include "FoundWindowsForm.h"

#include "DiscoveryText.h"
#include "WindowSearch.h"
#include "core/UNI_WindowInfo.h"
#include "core/Window.h"
#include "resources/resource.h"
#include "tools/ToolWindows.h"

#include <algorithm>

namespace lvx {

TFoundWindowsForm::TFoundWindowsForm() : Dialog(IDD_FOUNDWINDOWSFORM) {}

void TFoundWindowsForm::ShowList(HWND owner)
{
    ChosenIndex = -1;
    ShowModal(owner);
}

std::vector<TranslationTarget> TFoundWindowsForm::TranslationTargets()
{
    return {CaptionTarget("Caption")};
}

void TFoundWindowsForm::FormCreate()
{
    TranslateWindow("FoundWindowsForm", TranslationTargets());
    const UINT dpi = DpiOfWindow(Handle());
    font_.reset(::CreateFontA(-::MulDiv(8, static_cast<int>(dpi), 72), 0, 0, 0, FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET,
                              OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, FIXED_PITCH | FF_MODERN,
                              "Courier New"));
    const HWND list = Item(IDC_FOUND_LIST);
    ::SendMessageA(list, WM_SETFONT, reinterpret_cast<WPARAM>(font_.get()), FALSE);
    ::SendMessageA(list, LB_SETITEMHEIGHT, 0, ScaleForDpi(14, dpi));
    // Where the user last moved it, else beside the main window: never over the main window
    // merely because that moved since.
    PlaceToolWindow(Handle(), ::GetWindow(Handle(), GW_OWNER), place_);
    FillClient();
}

void TFoundWindowsForm::FormShow()
{
    const HWND list = Item(IDC_FOUND_LIST);
    ::SendMessageA(list, WM_SETREDRAW, FALSE, 0);
    ::SendMessageA(list, LB_RESETCONTENT, 0, 0);
    // The widest line sets the horizontal scroll range, so long texts can be read to the end.
    const HDC dc = ::GetDC(list);
    const HGDIOBJ oldFont = ::SelectObject(dc, font_.get());
    LONG widest = 0;
    for (const FoundWindowEntry& entry : FoundWindows) {
        const std::string line = FormatFoundWindowLine(HandleValue(entry.Handle), entry.Text, entry.ClassName);
        ::SendMessageA(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(line.c_str()));
        SIZE size{};
        if (::GetTextExtentPoint32A(dc, line.c_str(), static_cast<int>(std::min<size_t>(line.size(), 32767)), &size))
            widest = std::max(widest, size.cx);
    }
    ::SelectObject(dc, oldFont);
    ::ReleaseDC(list, dc);
    ::SendMessageA(list, LB_SETHORIZONTALEXTENT, static_cast<WPARAM>(widest + 8), 0);
    ::SendMessageA(list, LB_SETCURSEL, 0, 0);
    ::SendMessageA(list, WM_SETREDRAW, TRUE, 0);
    ::InvalidateRect(list, nullptr, TRUE);
    ChosenIndex = -1;
}

void TFoundWindowsForm::FoundListDblClick()
{
    const LRESULT index = ::SendMessageA(Item(IDC_FOUND_LIST), LB_GETCURSEL, 0, 0);
    if (index == LB_ERR) return;
    ChosenIndex = static_cast<int>(index);
    Close(IDOK);
}

void TFoundWindowsForm::FillClient()
{
    RECT client{};
    ::GetClientRect(Handle(), &client);
    ::MoveWindow(Item(IDC_FOUND_LIST), 0, 0, client.right, client.bottom, TRUE);
}

INT_PTR TFoundWindowsForm::HandleMessage(UINT message, WPARAM wParam, LPARAM)
{
    switch (message) {
    case WM_INITDIALOG:
        FormCreate();
        FormShow();
        return TRUE;
    case WM_SIZE:
        FillClient();
        return TRUE;
    case WM_EXITSIZEMOVE:
        RememberToolWindowPlace(Handle(), place_);
        return FALSE;
    case WM_COMMAND:
        if (LOWORD(wParam) == IDC_FOUND_LIST && HIWORD(wParam) == LBN_DBLCLK) {
            FoundListDblClick();
            return TRUE;
        }
        if (LOWORD(wParam) == IDOK) {  // Enter chooses the selected line, as a double click does
            FoundListDblClick();
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

}  // namespace lvx
