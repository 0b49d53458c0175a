// The about box: logo, name and short version from the program's own version resource, links.
#include "AboutForm.h"

#include "JpegImage.h"
#include "VersionInfo.h"
#include "core/UNI_Strings.h"
#include "core/Window.h"
#include "resources/resource.h"

#include <commctrl.h>
#include <shellapi.h>

namespace lvx {

namespace {

// 12 pixels taller than the logo: the OK button gets its own row below the mail link, 8 pixels
// from the link and from the bottom edge.
constexpr int ClientWidth = 318, ClientHeight = 204, LogoWidth = 57;
constexpr int Links[] = {IDC_ABOUT_PRODUCT_LINK, IDC_ABOUT_SITE_LINK, IDC_ABOUT_MAIL_LINK};
constexpr COLORREF Navy = RGB(0, 0, 128);
constexpr COLORREF Red = RGB(255, 0, 0);

HFONT MakeFont(int pixels, int weight, bool italic, bool underline, const char* face)
{
    return ::CreateFontA(-pixels, 0, 0, 0, weight, italic, underline, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                         CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH, face);
}

bool IsLink(int id)
{
    return std::find(std::begin(Links), std::end(Links), id) != std::end(Links);
}

}  // namespace

TAboutForm::TAboutForm() : Dialog(IDD_ABOUTFORM)
{
    OpenLink = [](const std::string& address) {
        ::ShellExecuteA(::GetActiveWindow(), "open", address.c_str(), nullptr, nullptr, SW_HIDE);
    };
}

TAboutForm::~TAboutForm() = default;

void TAboutForm::ShowAbout(HWND owner)
{
    ShowModal(owner);
}

std::string TAboutForm::TitleFor(const std::string& file)
{
    return "Narvolt Lumivex " + ShortVersion(TVersionInfo(file).FileVersion());
}

std::vector<TranslationTarget> TAboutForm::TranslationTargets()
{
    return {
        CaptionTarget("Caption"),
        ItemTextTarget("Site", IDC_ABOUT_SITE_CAPTION),
        ItemTextTarget("Mail", IDC_ABOUT_MAIL_CAPTION),
    };
}

void TAboutForm::FormCreate()
{
    TranslateWindow("AboutForm", TranslationTargets());
    if (title_.empty()) title_ = TitleFor(TVersionInfo::OwnFileName());
    ::SetDlgItemTextA(Handle(), IDC_ABOUT_TITLE, title_.c_str());
    ::SetDlgItemTextA(Handle(), IDC_ABOUT_TITLE_TEXT, title_.c_str());
    if (!logo_) logo_.reset(DecodeJpeg(ProgramResource("LOGO", MAKEINTRESOURCEA(10) /* RT_RCDATA */)));

    const UINT dpi = DpiOfWindow(Handle());
    titleFont_.reset(MakeFont(ScaleForDpi(27, dpi), FW_BOLD, true, false, "Times New Roman"));
    textFont_.reset(MakeFont(ScaleForDpi(13, dpi), FW_BOLD, false, false, "Arial"));
    linkFont_.reset(MakeFont(::MulDiv(8, static_cast<int>(dpi), 72), FW_BOLD, false, false, "MS Sans Serif"));
    hotLinkFont_.reset(MakeFont(::MulDiv(8, static_cast<int>(dpi), 72), FW_BOLD, false, true, "MS Sans Serif"));
    ::SendMessageA(Item(IDC_ABOUT_COPYRIGHT), WM_SETFONT, reinterpret_cast<WPARAM>(textFont_.get()), FALSE);
    for (int id : Links) {
        ::SendMessageA(Item(id), WM_SETFONT, reinterpret_cast<WPARAM>(linkFont_.get()), FALSE);
        ::SetWindowSubclass(Item(id), &TAboutForm::LinkProc, static_cast<UINT_PTR>(id), reinterpret_cast<DWORD_PTR>(this));
    }
    Layout();
}

// The client area is 318 x 204 (at 96 DPI): the logo strip on the left, the texts centred in the rest.
void TAboutForm::Layout()
{
    const UINT dpi = DpiOfWindow(Handle());
    const auto scale = [dpi](int value) { return ScaleForDpi(value, dpi); };
    RECT frame{0, 0, scale(ClientWidth), scale(ClientHeight)};
    ::AdjustWindowRectEx(&frame, static_cast<DWORD>(::GetWindowLongA(Handle(), GWL_STYLE)), FALSE,
                         static_cast<DWORD>(::GetWindowLongA(Handle(), GWL_EXSTYLE)));
    ::SetWindowPos(Handle(), nullptr, 0, 0, frame.right - frame.left, frame.bottom - frame.top,
                   SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    const int left = scale(LogoWidth + 4), width = scale(ClientWidth) - left - scale(4);
    const auto place = [&](int id, int top, int height) { ::MoveWindow(Item(id), left, scale(top), width, scale(height), FALSE); };
    ::MoveWindow(Item(IDC_ABOUT_LOGO), 0, 0, scale(LogoWidth), scale(ClientHeight), FALSE);
    place(IDC_ABOUT_TITLE, 8, 64);
    ::MoveWindow(Item(IDC_ABOUT_TITLE_TEXT), left + scale(2), scale(9), width, scale(64), FALSE);
    place(IDC_ABOUT_COPYRIGHT, 74, 18);
    place(IDC_ABOUT_SITE_CAPTION, 96, 14);
    place(IDC_ABOUT_PRODUCT_LINK, 110, 14);
    place(IDC_ABOUT_SITE_LINK, 124, 14);
    place(IDC_ABOUT_MAIL_CAPTION, 140, 14);
    place(IDC_ABOUT_MAIL_LINK, 154, 14);
    ::MoveWindow(Item(IDOK), scale(ClientWidth) - scale(84), scale(ClientHeight) - scale(28), scale(78), scale(20), FALSE);
    // A title too long for its lines is still drawn in full: the labels wrap words.
}

void TAboutForm::DrawItem(const DRAWITEMSTRUCT& item) const
{
    if (item.CtlID == IDC_ABOUT_LOGO) {
        ::FillRect(item.hDC, &item.rcItem, ::GetSysColorBrush(COLOR_BTNFACE));
        if (!logo_) return;
        const HDC memory = ::CreateCompatibleDC(item.hDC);
        const HGDIOBJ old = ::SelectObject(memory, logo_.get());
        BITMAP shape{};
        ::GetObjectA(logo_.get(), sizeof shape, &shape);
        ::SetStretchBltMode(item.hDC, HALFTONE);
        ::StretchBlt(item.hDC, 0, 0, item.rcItem.right, item.rcItem.bottom, memory, 0, 0, shape.bmWidth,
                     shape.bmHeight, SRCCOPY);
        ::SelectObject(memory, old);
        ::DeleteDC(memory);
        return;
    }
    if (item.CtlID == IDC_ABOUT_TITLE) {
        // The title in relief: the white copy one step right and down, the text on top of it.
        ::FillRect(item.hDC, &item.rcItem, ::GetSysColorBrush(COLOR_BTNFACE));
        const HGDIOBJ old = ::SelectObject(item.hDC, titleFont_.get());
        ::SetBkMode(item.hDC, TRANSPARENT);
        RECT shadow = item.rcItem;
        ::OffsetRect(&shadow, ScaleForDpi(2, DpiOfWindow(Handle())), ScaleForDpi(1, DpiOfWindow(Handle())));
        ::SetTextColor(item.hDC, RGB(255, 255, 255));
        ::DrawTextA(item.hDC, title_.c_str(), -1, &shadow, DT_CENTER | DT_WORDBREAK | DT_NOPREFIX);
        RECT text = item.rcItem;
        ::SetTextColor(item.hDC, ::GetSysColor(COLOR_WINDOWTEXT));
        ::DrawTextA(item.hDC, title_.c_str(), -1, &text, DT_CENTER | DT_WORDBREAK | DT_NOPREFIX);
        ::SelectObject(item.hDC, old);
    }
}

void TAboutForm::LinkClick(int id)
{
    std::string address = GetControlText(Item(id));
    if (id == IDC_ABOUT_MAIL_LINK) address = "mailto:" + address;
    if (OpenLink) OpenLink(address);
}

void TAboutForm::SetHotLink(int id)
{
    if (hotLink_ == id) return;
    const int previous = hotLink_;
    hotLink_ = id;
    for (int link : {previous, id}) {
        if (link == 0) continue;
        ::SendMessageA(Item(link), WM_SETFONT, reinterpret_cast<WPARAM>(link == hotLink_ ? hotLinkFont_.get() : linkFont_.get()), TRUE);
        ::InvalidateRect(Item(link), nullptr, TRUE);
    }
}

LRESULT CALLBACK TAboutForm::LinkProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                                      DWORD_PTR self)
{
    auto* form = reinterpret_cast<TAboutForm*>(self);
    switch (message) {
    case WM_SETCURSOR:
        ::SetCursor(::LoadCursorA(nullptr, MAKEINTRESOURCEA(32649)));  // the hand
        return TRUE;
    case WM_MOUSEMOVE: {
        if (form->hotLink_ != static_cast<int>(id)) {
            TRACKMOUSEEVENT track{sizeof track, TME_LEAVE, window, 0};
            ::TrackMouseEvent(&track);
            form->SetHotLink(static_cast<int>(id));
        }
        break;
    }
    case WM_MOUSELEAVE:
        form->SetHotLink(0);
        break;
    case WM_NCDESTROY:
        ::RemoveWindowSubclass(window, &TAboutForm::LinkProc, id);
        break;
    default:
        break;
    }
    return ::DefSubclassProc(window, message, wParam, lParam);
}

INT_PTR TAboutForm::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_INITDIALOG:
        hotLink_ = 0;
        FormCreate();
        return TRUE;
    case WM_DRAWITEM:
        DrawItem(*reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
        return TRUE;
    case WM_CTLCOLORSTATIC: {
        const auto control = reinterpret_cast<HWND>(lParam);
        const int id = ::GetDlgCtrlID(control);
        const auto dc = reinterpret_cast<HDC>(wParam);
        if (IsLink(id)) ::SetTextColor(dc, id == hotLink_ ? Red : Navy);
        ::SetBkColor(dc, ::GetSysColor(COLOR_BTNFACE));
        return reinterpret_cast<INT_PTR>(::GetSysColorBrush(COLOR_BTNFACE));
    }
    case WM_COMMAND:
        if (IsLink(LOWORD(wParam)) && HIWORD(wParam) == STN_CLICKED) {
            LinkClick(LOWORD(wParam));
            return TRUE;
        }
        // OK, Enter and Escape all close the box with the OK result.
        if (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL) {
            Close(IDOK);
            return TRUE;
        }
        return FALSE;
    default:
        return FALSE;
    }
}

}  // namespace lvx
