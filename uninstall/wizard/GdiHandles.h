// Owners for the windows, GDI objects and drawing contexts of the wizard.
#pragma once

#include "system/Handles.h"

#include <windows.h>

namespace lvu {

using unique_window = unique_handle<HandleTraits<HWND, ::DestroyWindow>>;
using unique_font = unique_handle<HandleTraits<HFONT, ::DeleteObject>>;
using unique_bitmap = unique_handle<HandleTraits<HBITMAP, ::DeleteObject>>;
using unique_memory_dc = unique_handle<HandleTraits<HDC, ::DeleteDC>>;
using unique_icon = unique_handle<HandleTraits<HICON, ::DestroyIcon>>;

// A window's drawing context, given back when the owner goes.
class WindowDc {
public:
    explicit WindowDc(HWND window) : window_(window), dc_(::GetDC(window)) {}
    ~WindowDc()
    {
        if (dc_ != nullptr) ::ReleaseDC(window_, dc_);
    }
    WindowDc(const WindowDc&) = delete;
    WindowDc& operator=(const WindowDc&) = delete;
    [[nodiscard]] HDC get() const noexcept { return dc_; }

private:
    HWND window_;
    HDC dc_;
};

// Selects an object into a drawing context and puts the previous one back when it goes.
class SelectedObject {
public:
    SelectedObject(HDC dc, HGDIOBJ object)
        : dc_(dc), previous_(object != nullptr ? ::SelectObject(dc, object) : nullptr)
    {
    }
    ~SelectedObject()
    {
        if (previous_ != nullptr && previous_ != HGDI_ERROR) ::SelectObject(dc_, previous_);
    }
    SelectedObject(const SelectedObject&) = delete;
    SelectedObject& operator=(const SelectedObject&) = delete;

private:
    HDC dc_;
    HGDIOBJ previous_;
};

}  // namespace lvu
