// The position and size dialog: four numbers that move and resize the inspected window live.
#include "ChangeSizeForm.h"

#include "core/UNI_Strings.h"
#include "core/UNI_WindowInfo.h"
#include "core/Window.h"
#include "core/WindowCommands.h"
#include "resources/resource.h"

#include <commctrl.h>

#include <string>

namespace lvx {

namespace {

constexpr int SpinEdits[] = {IDC_SIZE_X, IDC_SIZE_Y, IDC_SIZE_WIDTH, IDC_SIZE_HEIGHT};
constexpr int UpDowns[] = {IDC_SIZE_X_SPIN, IDC_SIZE_Y_SPIN, IDC_SIZE_WIDTH_SPIN, IDC_SIZE_HEIGHT_SPIN};

}  // namespace

TChangeSizeForm::TChangeSizeForm() : Dialog(IDD_CHANGESIZEFORM) {}

void TChangeSizeForm::ShowFor(HWND owner, const WindowInfo& window)
{
    window_ = &window;
    ShowModal(owner);
    window_ = nullptr;
}

std::vector<TranslationTarget> TChangeSizeForm::TranslationTargets()
{
    return {
        CaptionTarget("Caption"),
        ItemTextTarget("Coords", IDC_SIZE_POSITION_GROUP),
        ItemTextTarget("Size", IDC_SIZE_SIZE_GROUP),
        ItemTextTarget("Width", IDC_SIZE_WIDTH_LABEL),
        ItemTextTarget("Height", IDC_SIZE_HEIGHT_LABEL),
    };
}

void TChangeSizeForm::FormCreate()
{
    TranslateWindow("ChangeSizeForm", TranslationTargets());
    font_.reset(::CreateFontA(-::MulDiv(12, static_cast<int>(DpiOfWindow(Handle())), 72), 0, 0, 0, FW_BOLD, FALSE,
                              FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                              DEFAULT_PITCH | FF_SWISS, "MS Sans Serif"));
    for (size_t i = 0; i < std::size(SpinEdits); ++i) {
        ::SendMessageA(Item(SpinEdits[i]), WM_SETFONT, reinterpret_cast<WPARAM>(font_.get()), FALSE);
        ::SendMessageA(Item(UpDowns[i]), UDM_SETRANGE32, static_cast<WPARAM>(MinValue), MaxValue);
    }
}

void TChangeSizeForm::FormShow()
{
    if (window_ == nullptr) return;
    Loading = true;
    // MoveWindow places a child in its parent's client area and anything else on the screen;
    // GetParent also answers the owner of an owned pop-up, so the style decides, not Parent.
    const bool child = (::GetWindowLongA(window_->Handle, GWL_STYLE) & WS_CHILD) != 0 && window_->Parent != nullptr;
    const int32_t values[] = {child ? window_->RelativeLeft : window_->Left, child ? window_->RelativeTop : window_->Top,
                              window_->Width, window_->Height};
    for (size_t i = 0; i < std::size(SpinEdits); ++i) {
        ::SendMessageA(Item(UpDowns[i]), UDM_SETPOS32, 0, values[i]);
        ::SetDlgItemTextA(Handle(), SpinEdits[i], std::to_string(values[i]).c_str());
    }
    Loading = false;
}

int32_t TChangeSizeForm::Value(int id) const
{
    const std::optional<int32_t> value = StrToInt(GetControlText(Item(id)));
    return value ? *value : 0;
}

void TChangeSizeForm::FieldChange(int id)
{
    const std::string text = GetControlText(Item(id));
    std::optional<int32_t> value = StrToInt(text);
    if (!value) {
        // Not a number: the field becomes 0, which is a change of its own and applies it.
        ::SetDlgItemTextA(Handle(), id, "0");
        return;
    }
    if (*value < MinValue) {
        ::SetDlgItemTextA(Handle(), id, std::to_string(MinValue).c_str());
        return;
    }
    if (Loading || window_ == nullptr) return;
    const HWND target = window_->Handle;
    const int32_t x = Value(IDC_SIZE_X), y = Value(IDC_SIZE_Y);
    const int32_t width = Value(IDC_SIZE_WIDTH), height = Value(IDC_SIZE_HEIGHT);
    // A window of another thread that does not answer must not hang the dialog; what is typed
    // meanwhile lands once it answers, the latest values only.
    CallWithTimeout(target, [=] { ::MoveWindow(target, x, y, width, height, TRUE); }, WhenBusy::Replace);
}

INT_PTR TChangeSizeForm::HandleMessage(UINT message, WPARAM wParam, LPARAM)
{
    switch (message) {
    case WM_INITDIALOG:
        FormCreate();
        FormShow();
        PlaceToolWindow(Handle(), ::GetWindow(Handle(), GW_OWNER), place_);
        return TRUE;
    case WM_EXITSIZEMOVE:
        RememberToolWindowPlace(Handle(), place_);
        return FALSE;
    case WM_COMMAND:
        if (HIWORD(wParam) == EN_CHANGE) {
            for (int id : SpinEdits) {
                if (LOWORD(wParam) == id) {
                    FieldChange(id);
                    return TRUE;
                }
            }
            return FALSE;
        }
        // Escape closes from any field; Enter too, as there is nothing to confirm.
        if (LOWORD(wParam) == IDCANCEL || LOWORD(wParam) == IDOK) {
            Close(IDCANCEL);
            return TRUE;
        }
        return FALSE;
    default:
        return FALSE;
    }
}

}  // namespace lvx
