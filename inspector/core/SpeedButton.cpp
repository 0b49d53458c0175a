// Flat tool button with a glyph or caption: push, toggle, or one of a group that stays down.
#include "SpeedButton.h"

#include "Handles.h"

#include <windowsx.h>

namespace lvx {
namespace {

constexpr char SpeedButtonClass[] = "TSpeedButton";

// The light checkered face of a button that is held down by its state, not by the mouse.
unique_gdi MakeDownBrush()
{
    static const WORD pattern[8] = {0x55, 0xAA, 0x55, 0xAA, 0x55, 0xAA, 0x55, 0xAA};
    const unique_gdi bitmap(::CreateBitmap(8, 8, 1, 1, pattern));
    return unique_gdi(bitmap ? ::CreatePatternBrush(static_cast<HBITMAP>(bitmap.get())) : nullptr);
}

}  // namespace

bool SpeedButton::Create(HWND parent, int controlId, const Options& options)
{
    options_ = options;
    if (!RegisterWindowClass(SpeedButtonClass, CS_HREDRAW | CS_VREDRAW, nullptr, nullptr, nullptr)) return false;
    return CreateWindowObject(0, SpeedButtonClass, options.Caption, WS_CHILD | WS_VISIBLE, RECT{0, 0, 0, 0}, parent,
                              reinterpret_cast<HMENU>(static_cast<INT_PTR>(controlId)));
}

void SpeedButton::SetDown(bool down)
{
    if (options_.GroupIndex == 0) down = false;
    if (down == options_.Down) return;
    options_.Down = down;
    if (down) {
        // Put the other buttons of the group up.
        for (HWND sibling = ::GetWindow(::GetParent(Handle()), GW_CHILD); sibling != nullptr;
             sibling = ::GetWindow(sibling, GW_HWNDNEXT)) {
            if (sibling == Handle()) continue;
            char className[32] = {};
            ::GetClassNameA(sibling, className, static_cast<int>(std::size(className)));
            if (lstrcmpA(className, SpeedButtonClass) != 0) continue;
            auto* other = reinterpret_cast<SpeedButton*>(::GetWindowLongPtrA(sibling, GWLP_USERDATA));
            if (other != nullptr && other->options_.GroupIndex == options_.GroupIndex && other->options_.Down) {
                other->options_.Down = false;
                ::InvalidateRect(sibling, nullptr, TRUE);
            }
        }
    }
    ::InvalidateRect(Handle(), nullptr, TRUE);
}

void SpeedButton::SetCaption(const std::string& caption)
{
    if (caption == options_.Caption) return;
    options_.Caption = caption;
    ::SetWindowTextA(Handle(), caption.c_str());
    ::InvalidateRect(Handle(), nullptr, TRUE);
}

void SpeedButton::SetFont(HFONT font)
{
    font_ = font;
    ::InvalidateRect(Handle(), nullptr, TRUE);
}

void SpeedButton::SetVisible(bool visible)
{
    if (IsVisible() != visible) ::ShowWindow(Handle(), visible ? SW_SHOWNA : SW_HIDE);
}

bool SpeedButton::IsVisible() const
{
    return (::GetWindowLongA(Handle(), GWL_STYLE) & WS_VISIBLE) != 0;
}

void SpeedButton::SetEnabled(bool enabled)
{
    if ((::IsWindowEnabled(Handle()) != FALSE) != enabled) ::EnableWindow(Handle(), enabled);
}

void SpeedButton::Click()
{
    if (options_.GroupIndex != 0) {
        if (!options_.Down)
            SetDown(true);
        else if (options_.AllowAllUp)
            SetDown(false);
    }
    if (OnClick) OnClick(*this);
}

bool SpeedButton::Contains(POINT point) const
{
    RECT client{};
    ::GetClientRect(Handle(), &client);
    return ::PtInRect(&client, point) != FALSE;
}

void SpeedButton::TrackMouse(POINT point)
{
    const bool inside = Contains(point);
    if (inside != inside_) {
        inside_ = inside;
        ::InvalidateRect(Handle(), nullptr, TRUE);
    }
    if (!tracking_ && !pressed_) {
        TRACKMOUSEEVENT track{sizeof track, TME_LEAVE, Handle(), 0};
        tracking_ = ::TrackMouseEvent(&track) != FALSE;
    }
}

void SpeedButton::Paint()
{
    PaintDC paint(Handle());
    const HDC dc = paint.get();
    RECT client{};
    ::GetClientRect(Handle(), &client);
    const bool enabled = ::IsWindowEnabled(Handle()) != FALSE;
    const bool sunken = options_.Down || (pressed_ && inside_);

    if (options_.Down && !(pressed_ && inside_)) {
        const unique_gdi brush = MakeDownBrush();
        ::SetTextColor(dc, ::GetSysColor(COLOR_BTNFACE));
        ::SetBkColor(dc, ::GetSysColor(COLOR_BTNHIGHLIGHT));
        ::FillRect(dc, &client, brush ? static_cast<HBRUSH>(brush.get()) : ::GetSysColorBrush(COLOR_BTNFACE));
    } else {
        ::FillRect(dc, &client, ::GetSysColorBrush(COLOR_BTNFACE));
    }
    if (sunken)
        ::DrawEdge(dc, &client, BDR_SUNKENOUTER, BF_RECT);
    else if (inside_ && enabled)
        ::DrawEdge(dc, &client, BDR_RAISEDINNER, BF_RECT);
    else
        ::DrawEdge(dc, &client, BDR_RAISEDINNER, BF_RECT | BF_FLAT | BF_MONO);

    RECT content = client;
    ::InflateRect(&content, -2, -2);
    if (sunken) ::OffsetRect(&content, 1, 1);

    if (options_.Glyph != Glyph::None && options_.Caption.empty()) {
        DrawGlyph(dc, options_.Glyph, content, enabled, DpiOfWindow(Handle()));
        return;
    }
    if (options_.Glyph != Glyph::None) {
        const int side = content.bottom - content.top;
        RECT glyphBox{content.left + 2, content.top, content.left + 2 + side, content.bottom};
        DrawGlyph(dc, options_.Glyph, glyphBox, enabled, DpiOfWindow(Handle()));
        content.left = glyphBox.right;
    }
    const SelectGuard selectFont(dc, font_);
    ::SetBkMode(dc, TRANSPARENT);
    const UINT format = DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX | DT_END_ELLIPSIS;
    if (enabled) {
        ::SetTextColor(dc, ::GetSysColor(COLOR_BTNTEXT));
        ::DrawTextA(dc, options_.Caption.c_str(), -1, &content, format);
    } else {
        RECT shadow = content;
        ::OffsetRect(&shadow, 1, 1);
        ::SetTextColor(dc, ::GetSysColor(COLOR_BTNHIGHLIGHT));
        ::DrawTextA(dc, options_.Caption.c_str(), -1, &shadow, format);
        ::SetTextColor(dc, ::GetSysColor(COLOR_GRAYTEXT));
        ::DrawTextA(dc, options_.Caption.c_str(), -1, &content, format);
    }
}

LRESULT SpeedButton::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_PAINT:
        Paint();
        return 0;
    case WM_ERASEBKGND:
        return 1;
    case WM_ENABLE:
        ::InvalidateRect(Handle(), nullptr, TRUE);
        return 0;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
        pressed_ = true;
        inside_ = true;
        ::SetCapture(Handle());
        ::InvalidateRect(Handle(), nullptr, TRUE);
        return 0;
    case WM_MOUSEMOVE:
        TrackMouse(POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)});
        return 0;
    case WM_MOUSELEAVE:
        tracking_ = false;
        if (!pressed_ && inside_) {
            inside_ = false;
            ::InvalidateRect(Handle(), nullptr, TRUE);
        }
        return 0;
    case WM_LBUTTONUP: {
        const bool clicked = pressed_ && Contains(POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)});
        pressed_ = false;
        if (::GetCapture() == Handle()) ::ReleaseCapture();
        ::InvalidateRect(Handle(), nullptr, TRUE);
        if (clicked) Click();
        return 0;
    }
    case WM_CAPTURECHANGED:
        if (pressed_) {
            pressed_ = false;
            ::InvalidateRect(Handle(), nullptr, TRUE);
        }
        return 0;
    case BM_CLICK:
        if (::IsWindowEnabled(Handle())) Click();
        return 0;
    case BM_GETCHECK:
        return options_.Down ? BST_CHECKED : BST_UNCHECKED;
    case BM_SETCHECK:
        SetDown(wParam == BST_CHECKED);
        return 0;
    case WM_SETFONT:
        SetFont(reinterpret_cast<HFONT>(wParam));
        return 0;
    case WM_GETFONT:
        return reinterpret_cast<LRESULT>(font_);
    default:
        return DefaultHandling(message, wParam, lParam);
    }
}

}  // namespace lvx
