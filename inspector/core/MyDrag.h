// The picking drag: outlines and lightly reads the window under the cursor, picks it on release.
#pragma once

#include "UNI_WindowInfo.h"

#include <windows.h>

namespace lvx {

// What the drag needs from the window it was started from.
class PickingHost {
public:
    virtual void SetPictureIndex(int index) = 0;
    virtual void ShowWindowInfo(const WindowInfo& info, bool picking) = 0;
    virtual void RefreshExecute() = 0;
    [[nodiscard]] virtual HCURSOR PickingCursor() const = 0;

protected:
    ~PickingHost() = default;
};

// One drag from the picking box. The frame on the screen is an XOR drawing; the rectangle
// drawn is remembered, so erasing it restores exactly those pixels even when the window has
// moved or gone since.
class TMyDrag {
public:
    explicit TMyDrag(PickingHost& host);

    // The cursor query made on every mouse move (screen coordinates).
    HCURSOR GetDragCursor(POINT screen);

    // The mouse was released at `screen`: picks the window there.
    void EndDrag(POINT screen);

    // The drag was abandoned (Escape, lost capture): removes the frame and shows again the
    // window inspected before the drag, without reading anything.
    void CancelDrag();

    [[nodiscard]] HWND LastOutlined() const noexcept { return lastOutlined_; }
    // The screen rectangle of the last frame drawn (empty before the first).
    [[nodiscard]] const RECT& LastFrame() const noexcept { return frame_; }

private:
    void EraseFrame();
    void RepaintScreen();

    PickingHost& host_;
    WindowInfo before_;  // CurrentWindow when the drag started
    HWND lastOutlined_ = nullptr;
    RECT frame_{};
    bool frameDrawn_ = false;
    POINT lastPoint_{};
    bool moved_ = false;
};

}  // namespace lvx
