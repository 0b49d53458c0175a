// The options dialog: scanning, edge snapping, class icons and the way to the language chooser.
#include "OptionsForm.h"

#include "Settings.h"
#include "language/LangForm.h"
#include "resources/resource.h"

#include <utility>

namespace lvx {

TOptionsForm::TOptionsForm(TLangForm& langForm, std::function<void()> snappingChanged)
    : Dialog(IDD_OPTIONSFORM), langForm_(langForm), snappingChanged_(std::move(snappingChanged))
{
}

std::vector<TranslationTarget> TOptionsForm::TranslationTargets()
{
    return {
        CaptionTarget("Caption"),
        ItemTextTarget("Language", IDC_OPTIONS_BITBTN2),
        ItemTextTarget("UseAdvScanning", IDC_OPTIONS_CHECKBOX1),
        ItemTextTarget("WCA", IDC_OPTIONS_RADIOGROUP1),
        ItemTextTarget("DontShow", IDC_OPTIONS_RADIO0),
        ItemTextTarget("OnlyKnown", IDC_OPTIONS_RADIO1),
        ItemTextTarget("AnalyzeName", IDC_OPTIONS_RADIO2),
    };
}

void TOptionsForm::FormShow()
{
    ::CheckDlgButton(Handle(), IDC_OPTIONS_CHECKBOX1, PowerScanning ? BST_CHECKED : BST_UNCHECKED);
    ::CheckDlgButton(Handle(), IDC_OPTIONS_CHECKBOX2, MagneticField ? BST_CHECKED : BST_UNCHECKED);
    // A stored mode outside 0..2 selects no item, and stays as it is until one is clicked.
    const int selected = ShowClassIcons <= 2 ? IDC_OPTIONS_RADIO0 + ShowClassIcons : 0;
    ::CheckRadioButton(Handle(), IDC_OPTIONS_RADIO0, IDC_OPTIONS_RADIO2, selected);
}

void TOptionsForm::FormClose(INT_PTR result)
{
    WriteSettings();
    Close(result);
}

void TOptionsForm::BitBtn2Click()
{
    langForm_.ShowChooser(Handle());
    ::MessageBoxA(Handle(), "To apply changes, please restart this application", "Warning", MB_OK | MB_ICONINFORMATION);
}

INT_PTR TOptionsForm::HandleMessage(UINT message, WPARAM wParam, LPARAM)
{
    switch (message) {
    case WM_INITDIALOG:
        TranslateWindow("OptionsForm", TranslationTargets());
        FormShow();
        return TRUE;
    case WM_COMMAND:
        switch (LOWORD(wParam)) {
        case IDC_OPTIONS_CHECKBOX1:
            PowerScanning = ::IsDlgButtonChecked(Handle(), IDC_OPTIONS_CHECKBOX1) == BST_CHECKED;
            return TRUE;
        case IDC_OPTIONS_CHECKBOX2:
            MagneticField = ::IsDlgButtonChecked(Handle(), IDC_OPTIONS_CHECKBOX2) == BST_CHECKED;
            if (snappingChanged_) snappingChanged_();
            return TRUE;
        case IDC_OPTIONS_RADIO0:
        case IDC_OPTIONS_RADIO1:
        case IDC_OPTIONS_RADIO2:
            if (::IsDlgButtonChecked(Handle(), LOWORD(wParam)) == BST_CHECKED)
                ShowClassIcons = static_cast<uint8_t>(LOWORD(wParam) - IDC_OPTIONS_RADIO0);
            return TRUE;
        case IDC_OPTIONS_BITBTN2:
            BitBtn2Click();
            return TRUE;
        case IDOK:
        case IDCANCEL:  // Enter, Escape and the close box all save
            FormClose(LOWORD(wParam));
            return TRUE;
        default:
            return FALSE;
        }
    default:
        return FALSE;
    }
}

}  // namespace lvx
