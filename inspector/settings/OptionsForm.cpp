// The options dialog: scanning, edge snapping, class icons and the way to the language chooser.
#include "OptionsForm.h"

#include "Settings.h"
#include "language/LangForm.h"
#include "resources/resource.h"
#include "tools/ToolWindows.h"

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
        ItemTextTarget("Language", IDC_OPTIONS_LANGUAGE),
        ItemTextTarget("UseAdvScanning", IDC_OPTIONS_POWER_SCANNING),
        ItemTextTarget("WCA", IDC_OPTIONS_CLASS_ICONS),
        ItemTextTarget("DontShow", IDC_OPTIONS_ICONS_NONE),
        ItemTextTarget("OnlyKnown", IDC_OPTIONS_ICONS_KNOWN),
        ItemTextTarget("AnalyzeName", IDC_OPTIONS_ICONS_ANALYZE),
        // Language files written before this key keep the built-in text rather than the marker.
        {"SnapToEdges",
         [this](const std::string& text) {
             if (text != UntranslatedText) ::SetDlgItemTextA(Handle(), IDC_OPTIONS_SNAP_TO_EDGES, text.c_str());
         }},
    };
}

void TOptionsForm::FormShow()
{
    ::CheckDlgButton(Handle(), IDC_OPTIONS_POWER_SCANNING, PowerScanning ? BST_CHECKED : BST_UNCHECKED);
    ::CheckDlgButton(Handle(), IDC_OPTIONS_SNAP_TO_EDGES, MagneticField ? BST_CHECKED : BST_UNCHECKED);
    // A stored mode outside 0..2 selects no item, and stays as it is until one is clicked.
    const int selected = ShowClassIcons <= 2 ? IDC_OPTIONS_ICONS_NONE + ShowClassIcons : 0;
    ::CheckRadioButton(Handle(), IDC_OPTIONS_ICONS_NONE, IDC_OPTIONS_ICONS_ANALYZE, selected);
}

void TOptionsForm::FormClose(INT_PTR result)
{
    WriteSettings();
    Close(result);
}

void TOptionsForm::LanguageClick()
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
        // Beside the main window, as the tool windows open, not over it in the screen's middle.
        PlaceToolWindow(Handle(), ::GetWindow(Handle(), GW_OWNER), ToolPlace{});
        return TRUE;
    case WM_COMMAND:
        switch (LOWORD(wParam)) {
        case IDC_OPTIONS_POWER_SCANNING:
            PowerScanning = ::IsDlgButtonChecked(Handle(), IDC_OPTIONS_POWER_SCANNING) == BST_CHECKED;
            return TRUE;
        case IDC_OPTIONS_SNAP_TO_EDGES:
            MagneticField = ::IsDlgButtonChecked(Handle(), IDC_OPTIONS_SNAP_TO_EDGES) == BST_CHECKED;
            if (snappingChanged_) snappingChanged_();
            return TRUE;
        case IDC_OPTIONS_ICONS_NONE:
        case IDC_OPTIONS_ICONS_KNOWN:
        case IDC_OPTIONS_ICONS_ANALYZE:
            if (::IsDlgButtonChecked(Handle(), LOWORD(wParam)) == BST_CHECKED)
                ShowClassIcons = static_cast<uint8_t>(LOWORD(wParam) - IDC_OPTIONS_ICONS_NONE);
            return TRUE;
        case IDC_OPTIONS_LANGUAGE:
            LanguageClick();
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
