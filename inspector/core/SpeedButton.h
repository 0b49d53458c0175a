// Flat tool button with a glyph or caption: push, toggle, or one of a group that stays down.
#pragma once

#include "Glyphs.h"
#include "Window.h"

#include <functional>
#include <string>

namespace lvx {

// Behaves like a classic speed button: it never takes the focus; with GroupIndex 0 it is a
// push button; otherwise a click puts it down and the other buttons of the same group (same
// parent, same GroupIndex) up, and with AllowAllUp a click on a down button puts it up.
// A click on a down button of a group that cannot be all up leaves it down and still fires.
// BM_CLICK, BM_GETCHECK and BM_SETCHECK work as for a system button, for automation.
class SpeedButton : public Window {
public:
    struct Options {
        int Tag = 0;
        int GroupIndex = 0;
        bool AllowAllUp = false;
        bool Down = false;
        lvx::Glyph Glyph = lvx::Glyph::None;
        std::string Caption;
    };

    bool Create(HWND parent, int controlId, const Options& options);

    [[nodiscard]] int Tag() const noexcept { return options_.Tag; }
    [[nodiscard]] bool Down() const noexcept { return options_.Down; }
    void SetDown(bool down);
    void SetCaption(const std::string& caption);
    void SetFont(HFONT font);
    void SetVisible(bool visible);
    void SetEnabled(bool enabled);
    [[nodiscard]] bool IsVisible() const;

    // Runs as a user's click does: the down state changes as described above, then OnClick.
    void Click();

    std::function<void(SpeedButton&)> OnClick;

protected:
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    void Paint();
    void TrackMouse(POINT point);
    [[nodiscard]] bool Contains(POINT point) const;

    Options options_;
    HFONT font_ = nullptr;
    bool pressed_ = false;   // mouse held down on the button
    bool inside_ = false;    // pointer over it while held or hovering
    bool tracking_ = false;  // WM_MOUSELEAVE requested
};

}  // namespace lvx
