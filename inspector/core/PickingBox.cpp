// The picking box of the main window: the tool's picture, and the mouse that drags it over other windows.
#include "MainForm.h"

#include <windowsx.h>

namespace lvx {

namespace {

constexpr char PaintBoxClass[] = "TPaintBox";
constexpr UINT_PTR DragPollTimer = 1;
constexpr UINT DragPollInterval = 15;  // ms

}  // namespace

bool TPaintBox::Create(TMainForm& form, HWND parent, int controlId)
{
    form_ = &form;
    if (!RegisterWindowClass(PaintBoxClass, CS_HREDRAW | CS_VREDRAW, nullptr, nullptr, nullptr)) return false;
    return CreateWindowObject(0, PaintBoxClass, "", WS_CHILD | WS_VISIBLE, RECT{0, 0, 0, 0}, parent,
                              reinterpret_cast<HMENU>(static_cast<INT_PTR>(controlId)));
}

void TPaintBox::Repaint()
{
    ::InvalidateRect(Handle(), nullptr, FALSE);
}

POINT TPaintBox::ScreenPoint(LPARAM lParam) const
{
    POINT point{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
    ::ClientToScreen(Handle(), &point);
    return point;
}

void TPaintBox::Paint()
{
    PaintDC paint(Handle());
    RECT client{};
    ::GetClientRect(Handle(), &client);
    const HBITMAP image = form_->PictureImage(form_->PictureIndex());
    BITMAP info{};
    if (image == nullptr || !::GetObjectA(image, sizeof info, &info)) {
        ::FillRect(paint.get(), &client, ::GetSysColorBrush(COLOR_BTNFACE));
        return;
    }
    const unique_dc memory(::CreateCompatibleDC(paint.get()));
    const SelectGuard select(memory.get(), image);
    ::SetStretchBltMode(paint.get(), COLORONCOLOR);
    ::StretchBlt(paint.get(), 0, 0, client.right, client.bottom, memory.get(), 0, 0, info.bmWidth, info.bmHeight,
                 SRCCOPY);
}

LRESULT TPaintBox::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_PAINT:
        Paint();
        return 0;
    case WM_ERASEBKGND:
        return 1;
    case WM_LBUTTONDOWN:
        if (!form_->IsPicking()) {
            ::SetFocus(Handle());  // so that Escape reaches us during the drag
            ::SetCapture(Handle());
            // Mouse messages are the drag's main input, but a window system may route them
            // elsewhere (or take the capture) while the button is held; the position and the
            // button are also polled, so a drag can neither miss its target nor get stuck.
            ::SetTimer(Handle(), DragPollTimer, DragPollInterval, nullptr);
            form_->PickingStart();
            form_->PickingMove(ScreenPoint(lParam));
        }
        return 0;
    case WM_MOUSEMOVE:
        if (form_->IsPicking()) form_->PickingMove(ScreenPoint(lParam));
        return 0;
    case WM_LBUTTONUP:
        if (form_->IsPicking()) FinishDrag(ScreenPoint(lParam));
        return 0;
    case WM_TIMER:
        if (wParam == DragPollTimer) {
            POINT cursor{};
            ::GetCursorPos(&cursor);
            if (!form_->IsPicking())
                ::KillTimer(Handle(), DragPollTimer);
            else if (!PickingButtonHeld())
                FinishDrag(cursor);
            else
                form_->PickingMove(cursor);
            return 0;
        }
        return DefaultHandling(message, wParam, lParam);
    case WM_KEYDOWN:
        if (wParam == VK_ESCAPE && form_->IsPicking()) {
            ::KillTimer(Handle(), DragPollTimer);
            form_->PickingCancel();
            if (::GetCapture() == Handle()) ::ReleaseCapture();
            return 0;
        }
        return DefaultHandling(message, wParam, lParam);
    case WM_CAPTURECHANGED:
        // Losing the mouse with the button still held: keep following it by polling. With the
        // button already up, the release happened where we could not see it: pick there.
        if (form_->IsPicking() && !PickingButtonHeld()) {
            POINT cursor{};
            ::GetCursorPos(&cursor);
            FinishDrag(cursor);
        }
        return 0;
    case WM_GETDLGCODE:
        return DLGC_WANTALLKEYS;
    default:
        return DefaultHandling(message, wParam, lParam);
    }
}

void TPaintBox::FinishDrag(POINT screen)
{
    ::KillTimer(Handle(), DragPollTimer);
    form_->PickingEnd(screen);
    if (::GetCapture() == Handle()) ::ReleaseCapture();
}

bool TPaintBox::PickingButtonHeld()
{
    // GetAsyncKeyState sees the physical buttons: the logical left one is the right one when swapped.
    const int button = ::GetSystemMetrics(SM_SWAPBUTTON) ? VK_RBUTTON : VK_LBUTTON;
    return (::GetAsyncKeyState(button) & 0x8000) != 0;
}

}  // namespace lvx
