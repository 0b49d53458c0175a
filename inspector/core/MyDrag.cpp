// The picking drag: outlines and lightly reads the window under the cursor, picks it on release.
#include "MyDrag.h"

#include "MainForm.h"
#include "Picking.h"

namespace lvx {

TMyDrag::TMyDrag(PickingHost& host) : host_(host), before_(CurrentWindow)
{
    host_.SetPictureIndex(1);
}

HCURSOR TMyDrag::GetDragCursor(POINT screen)
{
    // Mouse messages repeat the same position (a press, a re-sent move): nothing new to find.
    if (moved_ && screen.x == lastPoint_.x && screen.y == lastPoint_.y) return host_.PickingCursor();
    moved_ = true;
    lastPoint_ = screen;

    const HWND window = WindowAtPoint(screen.x, screen.y);
    if (window != nullptr && window != lastOutlined_) {
        EraseFrame();
        frame_ = DrawHighlightFrame(window);
        frameDrawn_ = true;
        lastOutlined_ = window;
        WindowInfo info;
        GatherWindowInfo(window, true, info);
        CurrentWindow = std::move(info);
        host_.ShowWindowInfo(CurrentWindow, true);
    }
    return host_.PickingCursor();
}

void TMyDrag::EraseFrame()
{
    if (frameDrawn_) {
        DrawHighlightFrameRect(frame_);
        frameDrawn_ = false;
    }
}

void TMyDrag::EndDrag(POINT screen)
{
    EraseFrame();
    // Repaint the whole screen as well, in case a window painted over the frame meanwhile.
    // RedrawWindow of the null window only invalidates, so a hung window cannot block us here.
    ::RedrawWindow(nullptr, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_FRAME);
    CurrentWindow.Handle = WindowAtPoint(screen.x, screen.y);
    host_.RefreshExecute();
    lastOutlined_ = nullptr;
    host_.SetPictureIndex(0);
}

void TMyDrag::CancelDrag()
{
    EraseFrame();
    ::RedrawWindow(nullptr, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_FRAME);
    lastOutlined_ = nullptr;
    CurrentWindow = before_;
    host_.ShowWindowInfo(CurrentWindow, false);
    host_.SetPictureIndex(0);
}

}  // namespace lvx
