// What the main window's command panels ask of it: an owner for their message boxes and menus,
// a fresh read of the inspected window, and the error report.
#pragma once

#include "language/MessageTable.h"

#include <windows.h>

namespace lvx {

class PanelHost {
public:
    [[nodiscard]] virtual HWND PanelOwner() const = 0;
    virtual void RefreshExecute() = 0;
    virtual void ShowError(Msg message, UINT extraFlags = 0) const = 0;

protected:
    ~PanelHost() = default;
};

}  // namespace lvx
