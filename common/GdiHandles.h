// Owners for windows, menus, icons, GDI objects and drawing contexts, shared by both programs.
#pragma once

#include "UniqueHandle.h"

#include <windows.h>

namespace lvc {

struct GdiObjectTraits {
    using pointer = HGDIOBJ;
    static constexpr pointer invalid() noexcept { return nullptr; }
    static void close(pointer value) noexcept { ::DeleteObject(value); }
};

using unique_window = unique_handle<HandleTraits<HWND, ::DestroyWindow>>;
using unique_gdi = unique_handle<GdiObjectTraits>;
using unique_icon = unique_handle<HandleTraits<HICON, ::DestroyIcon>>;
using unique_cursor = unique_handle<HandleTraits<HCURSOR, ::DestroyCursor>>;
using unique_menu = unique_handle<HandleTraits<HMENU, ::DestroyMenu>>;
using unique_dc = unique_handle<HandleTraits<HDC, ::DeleteDC>>;

// A DC from GetDC / GetWindowDC, given back with ReleaseDC.
class WindowDC {
public:
    enum class Area { Client, Window };
    WindowDC(HWND window, Area area) noexcept
        : window_(window), dc_(area == Area::Window ? ::GetWindowDC(window) : ::GetDC(window))
    {
    }
    ~WindowDC()
    {
        if (dc_) ::ReleaseDC(window_, dc_);
    }
    WindowDC(const WindowDC&) = delete;
    WindowDC& operator=(const WindowDC&) = delete;
    [[nodiscard]] HDC get() const noexcept { return dc_; }
    explicit operator bool() const noexcept { return dc_ != nullptr; }

private:
    HWND window_;
    HDC dc_;
};

// BeginPaint / EndPaint for one WM_PAINT.
class PaintDC {
public:
    explicit PaintDC(HWND window) noexcept : window_(window) { ::BeginPaint(window_, &paint_); }
    ~PaintDC() { ::EndPaint(window_, &paint_); }
    PaintDC(const PaintDC&) = delete;
    PaintDC& operator=(const PaintDC&) = delete;
    [[nodiscard]] HDC get() const noexcept { return paint_.hdc; }
    [[nodiscard]] const RECT& area() const noexcept { return paint_.rcPaint; }

private:
    HWND window_;
    PAINTSTRUCT paint_{};
};

// Selects an object into a DC and puts the previous one back when it goes.
class SelectGuard {
public:
    SelectGuard(HDC dc, HGDIOBJ object) noexcept : dc_(dc), old_(object ? ::SelectObject(dc, object) : nullptr) {}
    ~SelectGuard()
    {
        if (old_ && old_ != HGDI_ERROR) ::SelectObject(dc_, old_);
    }
    SelectGuard(const SelectGuard&) = delete;
    SelectGuard& operator=(const SelectGuard&) = delete;

private:
    HDC dc_;
    HGDIOBJ old_;
};

}  // namespace lvc
