// The window parameters editor: the window longs, class values, module, text and icons of the
// inspected window, with commands that overwrite them.
#include "StylesForm.h"

#include "IconFile.h"
#include "ToolWindows.h"
#include "core/InputQuery.h"
#include "core/UNI_Processes.h"
#include "core/UNI_Strings.h"
#include "core/UNI_WindowInfo.h"
#include "core/Window.h"
#include "core/WindowCommands.h"
#include "language/MessageTable.h"
#include "resources/resource.h"
#include "settings/Settings.h"

#include <algorithm>
#include <atomic>
#include <memory>
#include <cstring>

namespace lvx {

namespace {

constexpr int LongEdits[] = {IDC_STYLES_WNDPROC, IDC_STYLES_STYLE, IDC_STYLES_EXSTYLE,
                             IDC_STYLES_INSTANCE, IDC_STYLES_WINDOW_ID, IDC_STYLES_USERDATA};
constexpr int ReadOnlyEdits[] = {IDC_STYLES_STYLE, IDC_STYLES_EXSTYLE, IDC_STYLES_WNDPROC, IDC_STYLES_MODULE,
                                 IDC_STYLES_INSTANCE, IDC_STYLES_WINDOW_ID, IDC_STYLES_USERDATA, IDC_STYLES_CONTROL_ID,
                                 IDC_STYLES_ATOM, IDC_STYLES_CLASS_WNDPROC, IDC_STYLES_CLASS_STYLE};
// The labels, by their place in the template.
enum LabelId {
    LabelWndProc = IDC_STYLES_LABEL_FIRST, SideWndProc, LabelStyles, SideStyles, LabelExStyles, SideExStyles,
    LabelInstance, SideInstance, LabelWindowId, SideWindowId, LabelUserData, SideUserData, LabelControlId,
    LabelModule, LabelText, LabelAtom, LabelClassProc, LabelClassStyle
};
constexpr int ClassPanel[] = {LabelAtom, IDC_STYLES_ATOM, LabelClassProc, IDC_STYLES_CLASS_WNDPROC, LabelClassStyle,
                              IDC_STYLES_CLASS_STYLE};
constexpr COLORREF Red = RGB(255, 0, 0);
constexpr int IconSide = 32;

// Values wider than 32 bits (pointers of a 64-bit program) keep all their digits.
std::string Hex8(uint64_t value)
{
    return FormatHex(value, 8);
}

}  // namespace

TStylesForm::TStylesForm(const WindowInfo& info, std::function<void()> refresh)
    : Dialog(IDD_STYLESFORM), info_(info), refresh_(std::move(refresh))
{
    AskValue = [this](std::string& value) { return AskValueWithBox(value); };
    AskIconFile = [this](std::string& path) { return AskIconFileWithDialog(path); };
}

TStylesForm::~TStylesForm() = default;

std::vector<TranslationTarget> TStylesForm::TranslationTargets()
{
    const auto into = [](std::string& field) { return [&field](const std::string& value) { field = value; }; };
    return {
        CaptionTarget("Caption"),
        ItemTextTarget("Styles", LabelStyles),
        ItemTextTarget("ExStyles", LabelExStyles),
        ItemTextTarget("Module", LabelModule),
        ItemTextTarget("TextViaGetText", LabelText),
        {"EditHint", into(editHint_)},
        ItemTextTarget("AppInstance", LabelInstance),
        ItemTextTarget("WindowID", LabelWindowId),
        ItemTextTarget("UserData", LabelUserData),
        ItemTextTarget("ControlID", LabelControlId),
        {"ChangeWindowText", into(changeTextHint_)},
        {"BigIcon", into(bigIconHint_)},
        {"SmallIcon", into(smallIconHint_)},
        {"WndClassInfo", [this](const std::string& value) { classInfoButton_.SetCaption(value); }},
        ItemTextTarget("_Icons", IDC_STYLES_ICONS_GROUP),
        ItemTextTarget("Atom", LabelAtom),
        ItemTextTarget("ClassStyle", LabelClassStyle),
        {"NotReadable", into(notReadableText_)},
        {"PointerTooWide", into(pointerTooWideText_)},
    };
}

// ---- creation -----------------------------------------------------------------------------

void TStylesForm::ShowParameters(HWND owner)
{
    if (Handle() == nullptr && !CreateModeless(owner)) return;
    // Its template would put it over the main window, hiding the fields it explains.
    if (!::IsWindowVisible(Handle())) PlaceToolWindow(Handle(), owner, place_);
    ::SetWindowPos(Handle(), HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_SHOWWINDOW);
    RefreshParameters();
}

void TStylesForm::FormCreate()
{
    NoIconIcon = ::LoadIconA(ProgramInstance(), "NoIconIcon");
    const UINT dpi = DpiOfWindow(Handle());
    fixedFont_.reset(::CreateFontA(-::MulDiv(8, static_cast<int>(dpi), 72), 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE,
                                   DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                                   FIXED_PITCH | FF_MODERN, "Courier New"));
    for (int id : ReadOnlyEdits)
        ::SendMessageA(Item(id), WM_SETFONT, reinterpret_cast<WPARAM>(fixedFont_.get()), FALSE);
    ::SendMessageA(Item(IDC_STYLES_TEXT), WM_SETFONT, reinterpret_cast<WPARAM>(fixedFont_.get()), FALSE);

    SpeedButton* changes[] = {&changeWndProcButton_,  &changeStyleButton_,    &changeExStyleButton_,
                              &changeInstanceButton_, &changeWindowIdButton_, &changeUserDataButton_};
    for (int tag = 0; tag < 6; ++tag) {
        changes[tag]->Create(Handle(), IDC_STYLES_CHANGE_LONG_FIRST + tag,
                             SpeedButton::Options{.Tag = tag, .Glyph = Glyph::ChangeText});
        changes[tag]->OnClick = [this](SpeedButton& sender) { EditWndLong(sender.Tag()); };
    }
    changeTextButton_.Create(Handle(), IDC_STYLES_CHANGE_TEXT, SpeedButton::Options{.Glyph = Glyph::ChangeText});
    changeTextButton_.OnClick = [this](SpeedButton&) { ChangeTextClick(); };
    changeTextButton_.SetVisible(false);
    classInfoButton_.Create(
        Handle(), IDC_STYLES_CLASS_INFO,
        SpeedButton::Options{.GroupIndex = 1, .AllowAllUp = true, .Caption = "Информация о классе окна"});
    classInfoButton_.SetFont(reinterpret_cast<HFONT>(::SendMessageA(Handle(), WM_GETFONT, 0, 0)));
    classInfoButton_.OnClick = [this](SpeedButton&) { ClassInfoClick(); };

    TranslateWindow("StylesForm", TranslationTargets());
    hints_ = std::make_unique<Hints>();
    if (hints_->Create(Handle())) {
        for (SpeedButton* button : changes) hints_->SetHint(button->Handle(), editHint_);
        UpdateChangeHints();
        hints_->SetHint(changeTextButton_.Handle(), changeTextHint_);
        hints_->SetHint(Item(IDC_STYLES_BIG_ICON), bigIconHint_);
        hints_->SetHint(Item(IDC_STYLES_SMALL_ICON), smallIconHint_);
    }
    PlaceButtons();
    FitToPanels();
}

// Each change button sits right of its field, as high as the field and as wide as high; each
// picture is the icon size plus a one-pixel bevel on every side.
void TStylesForm::PlaceButtons()
{
    const auto placeBeside = [this](SpeedButton& button, int edit) {
        RECT field{};
        ::GetWindowRect(Item(edit), &field);
        ::MapWindowPoints(nullptr, Handle(), reinterpret_cast<POINT*>(&field), 2);
        const int side = field.bottom - field.top;
        ::MoveWindow(button.Handle(), field.right, field.top, side, side, FALSE);
    };
    SpeedButton* changes[] = {&changeWndProcButton_,  &changeStyleButton_,    &changeExStyleButton_,
                              &changeInstanceButton_, &changeWindowIdButton_, &changeUserDataButton_};
    for (int tag = 0; tag < 6; ++tag) placeBeside(*changes[tag], LongEdits[tag]);
    placeBeside(changeTextButton_, IDC_STYLES_TEXT);

    const int side = ScaleForDpi(IconSide, DpiOfWindow(Handle())) + 2;
    for (int id : {IDC_STYLES_BIG_ICON, IDC_STYLES_SMALL_ICON}) {
        RECT place{};
        ::GetWindowRect(Item(id), &place);
        ::MapWindowPoints(nullptr, Handle(), reinterpret_cast<POINT*>(&place), 2);
        ::MoveWindow(Item(id), place.left, place.top, side, side, FALSE);
    }
    RECT group{};
    ::GetWindowRect(Item(IDC_STYLES_ICONS_GROUP), &group);
    ::MapWindowPoints(nullptr, Handle(), reinterpret_cast<POINT*>(&group), 2);
    RECT edit{};
    ::GetWindowRect(Item(IDC_STYLES_MODULE), &edit);
    ::MapWindowPoints(nullptr, Handle(), reinterpret_cast<POINT*>(&edit), 2);
    const int height = ScaleForDpi(24, DpiOfWindow(Handle()));
    ::MoveWindow(classInfoButton_.Handle(), group.right + ScaleForDpi(8, DpiOfWindow(Handle())),
                 (group.top + group.bottom - height) / 2 + ScaleForDpi(4, DpiOfWindow(Handle())),
                 edit.right - group.right - ScaleForDpi(8, DpiOfWindow(Handle())), height, FALSE);
}

bool TStylesForm::ClassPanelVisible() const
{
    return ::IsWindowVisible(Item(IDC_STYLES_ATOM)) != FALSE;
}

// The window is as tall as its visible panels: the class panel only while its button is down.
void TStylesForm::FitToPanels()
{
    const bool classPanel = classInfoButton_.Down();
    for (int id : ClassPanel) ::ShowWindow(Item(id), classPanel ? SW_SHOW : SW_HIDE);
    RECT last{};
    ::GetWindowRect(Item(classPanel ? IDC_STYLES_CLASS_STYLE : IDC_STYLES_ICONS_GROUP), &last);
    ::MapWindowPoints(nullptr, Handle(), reinterpret_cast<POINT*>(&last), 2);
    RECT client{0, 0, 0, last.bottom + ScaleForDpi(6, DpiOfWindow(Handle()))};
    RECT current{};
    ::GetClientRect(Handle(), &current);
    client.right = current.right;
    const DWORD style = static_cast<DWORD>(::GetWindowLongA(Handle(), GWL_STYLE));
    const DWORD exStyle = static_cast<DWORD>(::GetWindowLongA(Handle(), GWL_EXSTYLE));
    ::AdjustWindowRectEx(&client, style, FALSE, exStyle);
    ::SetWindowPos(Handle(), nullptr, 0, 0, client.right - client.left, client.bottom - client.top,
                   SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

// ---- filling ------------------------------------------------------------------------------

// The buttons of pointer-sized values say why they refuse when the values cannot be read whole.
void TStylesForm::UpdateChangeHints()
{
    if (!hints_) return;
    SpeedButton* pointerChanges[] = {&changeWndProcButton_, &changeInstanceButton_, &changeUserDataButton_};
    for (SpeedButton* button : pointerChanges)
        hints_->SetHint(button->Handle(), info_.PointersRead ? editHint_ : pointerTooWideText_);
}

void TStylesForm::RefreshParameters()
{
    if (Handle() == nullptr) return;
    const auto pointer = [this](uint64_t value) { return info_.PointersRead ? Hex8(value) : notReadableText_; };
    const std::pair<int, std::string> values[] = {
        {IDC_STYLES_WNDPROC, pointer(info_.WndProc)},     {IDC_STYLES_STYLE, Hex8(info_.Style)},
        {IDC_STYLES_EXSTYLE, Hex8(info_.ExStyle)},        {IDC_STYLES_INSTANCE, pointer(info_.Instance)},
        {IDC_STYLES_WINDOW_ID, Hex8(info_.Id)},             {IDC_STYLES_USERDATA, pointer(info_.UserData)},
        {IDC_STYLES_CONTROL_ID, Hex8(static_cast<uint32_t>(info_.ControlId))},
        {IDC_STYLES_ATOM, FormatHex(info_.ClassAtom, 4)},
        {IDC_STYLES_CLASS_WNDPROC, pointer(info_.ClassWndProc)}, {IDC_STYLES_CLASS_STYLE, Hex8(info_.ClassStyle)},
    };
    for (const auto& [id, text] : values) ::SetDlgItemTextA(Handle(), id, text.c_str());
    UpdateChangeHints();

    std::string path;
    moduleFailed_ = !GetWindowModulePath(info_.Handle, path);
    ::SetDlgItemTextA(Handle(), IDC_STYLES_MODULE,
                      moduleFailed_ ? MessageText(Msg::CantGetProcessInfo).c_str() : path.c_str());

    // Setting the text fires the change handler, which decides about the change button.
    ::SetDlgItemTextA(Handle(), IDC_STYLES_TEXT, info_.WindowText.c_str());
    ::InvalidateRect(Item(IDC_STYLES_TEXT), nullptr, TRUE);

    bigMissing_ = info_.BigIcon == nullptr;
    smallMissing_ = info_.SmallIcon == nullptr;
    ::InvalidateRect(Item(IDC_STYLES_BIG_ICON), nullptr, TRUE);
    ::InvalidateRect(Item(IDC_STYLES_SMALL_ICON), nullptr, TRUE);
}

void TStylesForm::DrawPicture(const DRAWITEMSTRUCT& item) const
{
    RECT frame = item.rcItem;
    ::DrawEdge(item.hDC, &frame, BDR_SUNKENOUTER, BF_RECT);
    RECT inside{frame.left + 1, frame.top + 1, frame.right - 1, frame.bottom - 1};
    ::FillRect(item.hDC, &inside, ::GetSysColorBrush(COLOR_BTNFACE));
    const HICON icon = item.CtlID == IDC_STYLES_BIG_ICON ? info_.BigIcon : info_.SmallIcon;
    if (icon != nullptr) {
        // A copy, so that an icon the other program destroys meanwhile cannot break the drawing.
        const unique_icon copy(::CopyIcon(icon));
        if (copy)
            ::DrawIconEx(item.hDC, inside.left, inside.top, copy.get(), 0, 0, 0, nullptr, DI_NORMAL | DI_DEFAULTSIZE);
    } else if (NoIconIcon != nullptr) {
        ::DrawIconEx(item.hDC, inside.left, inside.top, NoIconIcon, 0, 0, 0, nullptr, DI_NORMAL | DI_DEFAULTSIZE);
    }
}

INT_PTR TStylesForm::ControlColor(HDC dc, HWND control, bool editable)
{
    if (control == Item(IDC_STYLES_TEXT)) {
        if (info_.WindowTextRead) {
            ::SetTextColor(dc, ::GetSysColor(COLOR_WINDOWTEXT));
            ::SetBkColor(dc, ::GetSysColor(COLOR_WINDOW));
            return reinterpret_cast<INT_PTR>(::GetSysColorBrush(COLOR_WINDOW));
        }
        ::SetTextColor(dc, Red);
        ::SetBkColor(dc, ::GetSysColor(COLOR_BTNFACE));
        return reinterpret_cast<INT_PTR>(::GetSysColorBrush(COLOR_BTNFACE));
    }
    if (editable) return FALSE;
    if (control == Item(IDC_STYLES_MODULE) && moduleFailed_) ::SetTextColor(dc, Red);
    ::SetBkColor(dc, ::GetSysColor(COLOR_BTNFACE));
    return reinterpret_cast<INT_PTR>(::GetSysColorBrush(COLOR_BTNFACE));
}

// ---- commands -----------------------------------------------------------------------------

bool TStylesForm::AskValueWithBox(std::string& value)
{
    return InputQuery(Handle(), MessageText(Msg::EnterNewValue), MessageText(Msg::Value), value);
}

void TStylesForm::EditWndLong(int tag)
{
    struct Long {
        int Index;
        uint64_t Value;
        bool PointerWide;
    };
    std::optional<Long> chosen;
    switch (tag) {
    case 0: chosen = Long{GWLP_WNDPROC, info_.WndProc, true}; break;
    case 1: chosen = Long{GWL_STYLE, info_.Style, false}; break;
    case 2: chosen = Long{GWL_EXSTYLE, info_.ExStyle, false}; break;
    case 3: chosen = Long{GWLP_HINSTANCE, info_.Instance, true}; break;
    case 4: chosen = Long{GWL_ID, info_.Id, false}; break;
    case 5: chosen = Long{GWLP_USERDATA, info_.UserData, true}; break;
    default: break;
    }
    if (!chosen) {
        ::MessageBoxA(Handle(), "Invalid offset for Get/SetWindowLong", "Bug in program", MB_OK | MB_ICONERROR);
        return;
    }
    if (chosen->PointerWide && !info_.PointersRead) {
        // Writing would store a sign-extended 32-bit value over the 64-bit one.
        ::MessageBoxA(Handle(), pointerTooWideText_.c_str(), MessageText(Msg::WARNING).c_str(),
                      MB_OK | MB_ICONEXCLAMATION);
        return;
    }
    std::string answer = "$" + FormatHex(chosen->Value, 1);
    if (!AskValue || !AskValue(answer)) return;

    // Procedures, instances and user data are as wide as a pointer: on a 64-bit system they
    // take (and show) 64-bit values, so the value shown can always be written back.
    const bool wide = chosen->PointerWide && sizeof(LONG_PTR) > sizeof(LONG);
    std::optional<int64_t> value;
    if (wide) value = StrToInt64(answer);
    else if (const std::optional<int32_t> narrow = StrToInt(answer)) value = *narrow;
    if (!value) {
        ::MessageBoxA(Handle(), MessageText(Msg::MustBeInteger).c_str(), MessageText(Msg::ERROR_).c_str(),
                      MB_OK | MB_ICONERROR);
        return;
    }
    // Style changes send WM_STYLECHANGING to the window, so the write may wait for a hung one:
    // it runs on a helper thread, which reads its own last error.
    const HWND window = info_.Handle;
    const int index = chosen->Index;
    const bool pointerWide = chosen->PointerWide;
    const int64_t newValue = *value;
    const auto error = std::make_shared<std::atomic<DWORD>>(0);
    const bool done = CallWithTimeout(window, [=] {
        ::SetLastError(0);
        if (pointerWide)
            ::SetWindowLongPtrA(window, index, static_cast<LONG_PTR>(newValue));
        else
            ::SetWindowLongA(window, index, static_cast<LONG>(newValue));
        *error = ::GetLastError();
    });
    if (!done || *error != 0) {
        ::MessageBoxA(Handle(), MessageText(Msg::CantModifyParameter).c_str(), MessageText(Msg::WARNING).c_str(),
                      MB_OK | MB_ICONEXCLAMATION);
    }
    if (refresh_) refresh_();
    RefreshParameters();
}

void TStylesForm::WindowTextChange()
{
    if (info_.Handle == nullptr) return;
    changeTextButton_.SetVisible(GetControlText(Item(IDC_STYLES_TEXT)) != info_.WindowText);
}

void TStylesForm::ChangeTextClick()
{
    if (const HWND window = info_.Handle; window != nullptr) {
        // The new text is sent to the window: a hung one is given up after the time-out.
        const std::string text = GetControlText(Item(IDC_STYLES_TEXT));
        if (!CallWithTimeout(window, [window, text] { ::SetWindowTextA(window, text.c_str()); }))
            ::MessageBoxA(Handle(), MessageText(Msg::CCWT).c_str(), MessageText(Msg::WARNING).c_str(),
                          MB_OK | MB_ICONWARNING);
    }
    if (refresh_) refresh_();
    RefreshParameters();
    changeTextButton_.SetVisible(false);
}

void TStylesForm::ClassInfoClick()
{
    FitToPanels();
}

bool TStylesForm::AskIconFileWithDialog(std::string& path)
{
    return AskSaveFileName(Handle(), "Icons (*.ico)\0*.ico\0All files (*.*)\0*.*\0", "ico", path);
}

void TStylesForm::IconDblClick(int tag)
{
    const HICON icon = tag == 0 ? info_.BigIcon : info_.SmallIcon;
    if (icon == nullptr) return;
    std::string path;
    if (!AskIconFile || !AskIconFile(path)) return;
    std::string error;
    if (!SaveIconToFile(icon, path, error)) ReportError(Handle(), error.c_str());
}

HWND TStylesForm::ChangeButton(int tag) const
{
    const SpeedButton* changes[] = {&changeWndProcButton_,  &changeStyleButton_,    &changeExStyleButton_,
                                    &changeInstanceButton_, &changeWindowIdButton_, &changeUserDataButton_};
    return tag >= 0 && tag < 6 ? changes[tag]->Handle() : nullptr;
}

INT_PTR TStylesForm::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_INITDIALOG:
        FormCreate();
        return TRUE;
    case WM_SHOWWINDOW:
        return FALSE;
    case WM_DRAWITEM:
        DrawPicture(*reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
        return TRUE;
    case WM_CTLCOLORSTATIC:
        return ControlColor(reinterpret_cast<HDC>(wParam), reinterpret_cast<HWND>(lParam), false);
    case WM_CTLCOLOREDIT:
        return ControlColor(reinterpret_cast<HDC>(wParam), reinterpret_cast<HWND>(lParam), true);
    case WM_MOVING:
        if (MagneticField) SnapToWorkArea(*reinterpret_cast<RECT*>(lParam), DpiOfWindow(Handle()));
        return TRUE;
    case WM_EXITSIZEMOVE:
        RememberToolWindowPlace(Handle(), place_);
        return FALSE;
    case WM_COMMAND:
        switch (LOWORD(wParam)) {
        case IDC_STYLES_TEXT:
            if (HIWORD(wParam) == EN_CHANGE) WindowTextChange();
            return TRUE;
        case IDC_STYLES_BIG_ICON:
        case IDC_STYLES_SMALL_ICON:
            if (HIWORD(wParam) == STN_DBLCLK) IconDblClick(LOWORD(wParam) == IDC_STYLES_BIG_ICON ? 0 : 1);
            return TRUE;
        case IDCANCEL:  // Escape hides the window from any field
            Close(IDCANCEL);
            return TRUE;
        case IDOK:
            return TRUE;
        default:
            return FALSE;
        }
    default:
        return FALSE;
    }
}

}  // namespace lvx
