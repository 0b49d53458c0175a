// The message panel: a message by name or number, its wParam and lParam, sent to the inspected
// window, and the answer.
#pragma once

#include "PanelHost.h"

namespace lvx {

class MessageSendPanel {
public:
    struct Controls {
        const HWND& MessageCombo;
        const HWND& WParamEdit;
        const HWND& LParamEdit;
        const HWND& ResultEdit;
    };
    MessageSendPanel(PanelHost& host, Controls controls) : host_(host), controls_(controls) {}

    void SendMessageClick();
    // Lists the known messages whose names hold what is typed.
    void MessageComboDropDown();

private:
    PanelHost& host_;
    Controls controls_;
};

}  // namespace lvx
