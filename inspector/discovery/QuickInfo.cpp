// The quick information window: the essentials of a window related to the inspected one.
#include "QuickInfo.h"

#include "core/Glyphs.h"
#include "core/UNI_Strings.h"
#include "core/UNI_WindowInfo.h"
#include "core/Window.h"
#include "language/MessageTable.h"
#include "resources/resource.h"

#include <commctrl.h>

namespace lvx {

namespace {

constexpr int PictureSize = 33;
constexpr int PictureIds[] = {IDC_QUICKINFO_VISIBLE, IDC_QUICKINFO_ENABLED, IDC_QUICKINFO_TOPMOST};
constexpr Glyph PictureGlyphs[] = {Glyph::Visible, Glyph::Enabled, Glyph::Topmost};
constexpr const char* PictureHints[] = {"Окно видимо", "Окно активно", "Окно поверх всех"};
constexpr int EditIds[] = {IDC_QUICKINFO_TEXT, IDC_QUICKINFO_CLASS, IDC_QUICKINFO_POSITION, IDC_QUICKINFO_SIZE};

// The fields show values to read and copy: tabbing into one leaves the caret where it was
// instead of selecting everything.
LRESULT CALLBACK KeepSelection(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR)
{
    const LRESULT result = ::DefSubclassProc(window, message, wParam, lParam);
    return message == WM_GETDLGCODE ? result & ~static_cast<LRESULT>(DLGC_HASSETSEL) : result;
}

}  // namespace

HWND RelatedWindowByTag(const WindowInfo& info, int tag)
{
    switch (tag) {
    case 0: return info.Parent;
    case 1: return info.Child;
    case 2: return info.Owner;
    case 3: return info.Next;
    case 4: return info.Previous;
    default: return nullptr;
    }
}

TQuickInfoForm::TQuickInfoForm() : Dialog(IDD_QUICKINFOFORM)
{
    for (int i = 0; i < 3; ++i) hints_[i] = PictureHints[i];
}

TQuickInfoForm::~TQuickInfoForm() = default;

void TQuickInfoForm::ShowInfo(HWND owner, HWND window)
{
    InfoWindow = window;
    ShowModal(owner);
}

std::string TQuickInfoForm::Hint(int index) const
{
    if (index < 0 || index >= 3) return {};
    return tooltips_ && Handle() ? tooltips_->Hint(Item(PictureIds[index])) : hints_[index];
}

std::vector<TranslationTarget> TQuickInfoForm::TranslationTargets()
{
    const auto hint = [this](int index) { return [this, index](const std::string& value) { hints_[index] = value; }; };
    return {
        CaptionTarget("Caption"),
        ItemTextTarget("WndText", IDC_QUICKINFO_TEXT_LABEL),
        ItemTextTarget("WndClass", IDC_QUICKINFO_CLASS_LABEL),
        ItemTextTarget("Coord", IDC_QUICKINFO_POSITION_LABEL),
        ItemTextTarget("Size", IDC_QUICKINFO_SIZE_LABEL),
        {"Visible", hint(0)},
        {"Enabled", hint(1)},
        {"Topmost", hint(2)},
    };
}

void TQuickInfoForm::FormCreate()
{
    TranslateWindow("QuickInfoForm", TranslationTargets());
    for (int id : EditIds) ::SetWindowSubclass(Item(id), &KeepSelection, 0, 0);
    FitLabelColumn({{Item(IDC_QUICKINFO_TEXT_LABEL), Item(IDC_QUICKINFO_TEXT)},
                    {Item(IDC_QUICKINFO_CLASS_LABEL), Item(IDC_QUICKINFO_CLASS)},
                    {Item(IDC_QUICKINFO_POSITION_LABEL), Item(IDC_QUICKINFO_POSITION)}},
                   ScaleForDpi(4, DpiOfWindow(Handle())));
    // The pictures keep their size in pixels, whatever the dialog font makes of the template.
    const int side = ScaleForDpi(PictureSize, DpiOfWindow(Handle()));
    for (int i = 0; i < 3; ++i) {
        RECT place{};
        ::GetWindowRect(Item(PictureIds[i]), &place);
        ::MapWindowPoints(nullptr, Handle(), reinterpret_cast<POINT*>(&place), 2);
        ::MoveWindow(Item(PictureIds[i]), place.left, place.top, side, side, FALSE);
    }
    tooltips_ = std::make_unique<Hints>();
    if (tooltips_->Create(Handle())) {
        for (int i = 0; i < 3; ++i) tooltips_->SetHint(Item(PictureIds[i]), hints_[i]);
    }
}

void TQuickInfoForm::FormShow()
{
    std::string fields[4];
    bool states[3] = {};
    if (InfoWindow != nullptr && ::IsWindow(InfoWindow)) {
        WindowInfo info;
        GatherWindowInfo(InfoWindow, true, info);
        fields[0] = info.Text;
        fields[1] = info.ClassName;
        fields[2] = FormatPoint(info.Left, info.Top);
        fields[3] = FormatSize(info.Width, info.Height);
        states[0] = info.Visible;
        states[1] = info.Enabled;
        states[2] = info.Topmost;
    } else {
        fields[0] = MessageText(Msg::NoWindowFoundTxt);
    }
    for (int i = 0; i < 4; ++i) ::SetDlgItemTextA(Handle(), EditIds[i], fields[i].c_str());
    for (int i = 0; i < 3; ++i) {
        shown_[i] = states[i];
        ::ShowWindow(Item(PictureIds[i]), states[i] ? SW_SHOW : SW_HIDE);
    }
}

void TQuickInfoForm::DrawPicture(const DRAWITEMSTRUCT& item) const
{
    for (int i = 0; i < 3; ++i) {
        if (static_cast<int>(item.CtlID) != PictureIds[i]) continue;
        ::FillRect(item.hDC, &item.rcItem, ::GetSysColorBrush(COLOR_BTNFACE));
        DrawGlyph(item.hDC, PictureGlyphs[i], item.rcItem, true, DpiOfWindow(item.hwndItem));
    }
}

INT_PTR TQuickInfoForm::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam)
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
    case WM_DRAWITEM:
        DrawPicture(*reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
        return TRUE;
    case WM_COMMAND:
        // Esc (and Enter) close the window, whichever field has the focus.
        if (LOWORD(wParam) == IDCANCEL || LOWORD(wParam) == IDOK) {
            Close(IDCANCEL);
            return TRUE;
        }
        return FALSE;
    case WM_DESTROY:
        for (int id : EditIds) ::RemoveWindowSubclass(Item(id), &KeepSelection, 0);
        tooltips_.reset();
        return FALSE;
    default:
        return FALSE;
    }
}

}  // namespace lvx
