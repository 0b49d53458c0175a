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

void TMyDrag::RepaintScreen()
{
    // Invalidating repaints every window, which removes the frame. RedrawWindow of the null
    // window only invalidates, so a hung window cannot block us here (it keeps the frame until
    // it paints again). The frame is not XOR-erased as well: a window system may show that
    // drawing only after the windows below have repainted, and then it would put the frame back.
    ::RedrawWindow(nullptr, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_FRAME);
    frameDrawn_ = false;
}

void TMyDrag::EndDrag(POINT screen)
{
    RepaintScreen();
    CurrentWindow.Handle = WindowAtPoint(screen.x, screen.y);
    host_.RefreshExecute();
    lastOutlined_ = nullptr;
    host_.SetPictureIndex(0);
}

void TMyDrag::CancelDrag()
{
    RepaintScreen();
    lastOutlined_ = nullptr;
    CurrentWindow = before_;
    host_.ShowWindowInfo(CurrentWindow, false);
    host_.SetPictureIndex(0);
}

}  // namespace lvx
