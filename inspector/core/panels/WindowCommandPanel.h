// The commands the main window gives the inspected window: show state, close, visibility,
// enabling, topmost, flashing and a new text.
#pragma once

#include "PanelHost.h"
#include "core/SpeedButton.h"

namespace lvx {

class WindowCommandPanel {
public:
    // The toggles are read for the state asked for; the text comes from `windowTextEdit`.
    struct Controls {
        const SpeedButton& VisibleButton;
        const SpeedButton& EnabledButton;
        const SpeedButton& TopmostButton;
        const HWND& WindowTextEdit;
    };
    WindowCommandPanel(PanelHost& host, Controls controls) : host_(host), controls_(controls) {}

    void ShowStateClick(const SpeedButton& sender);  // minimise, restore, maximise, by Tag
    void CloseClick();
    void SysCommandCloseClick();
    void VisibleClick();
    void EnabledClick();
    void TopmostClick();
    void FlashClick();
    void ChangeTextClick();

private:
    PanelHost& host_;
    Controls controls_;
};

}  // namespace lvx
