// Owners for Win32 handles: one small unique_handle template and the guards for DCs and selections.
#pragma once

#include <windows.h>

#include <utility>

namespace lvx {

// Owns one handle; Traits give the handle type, its empty value and how to close it.
template <typename Traits>
class unique_handle {
public:
    using pointer = typename Traits::pointer;

    unique_handle() noexcept = default;
    explicit unique_handle(pointer value) noexcept : value_(value) {}
    ~unique_handle() { reset(); }

    unique_handle(const unique_handle&) = delete;
    unique_handle& operator=(const unique_handle&) = delete;
    unique_handle(unique_handle&& other) noexcept : value_(other.release()) {}
    unique_handle& operator=(unique_handle&& other) noexcept
    {
        if (this != &other) reset(other.release());
        return *this;
    }

    // Closes the value held so far, then takes `value`.
    void reset(pointer value = Traits::invalid()) noexcept
    {
        const pointer old = std::exchange(value_, value);
        if (old != Traits::invalid()) Traits::close(old);
    }
    [[nodiscard]] pointer release() noexcept { return std::exchange(value_, Traits::invalid()); }
    [[nodiscard]] pointer get() const noexcept { return value_; }
    explicit operator bool() const noexcept { return value_ != Traits::invalid(); }

private:
    pointer value_ = Traits::invalid();
};

template <typename T, auto Close, T Invalid = T{}>
struct HandleTraits {
    using pointer = T;
    static constexpr pointer invalid() noexcept { return Invalid; }
    static void close(pointer value) noexcept { Close(value); }
};

struct FileHandleTraits {
    using pointer = HANDLE;
    static pointer invalid() noexcept { return INVALID_HANDLE_VALUE; }
    static void close(pointer value) noexcept { ::CloseHandle(value); }
};

struct GdiObjectTraits {
    using pointer = HGDIOBJ;
    static constexpr pointer invalid() noexcept { return nullptr; }
    static void close(pointer value) noexcept { ::DeleteObject(value); }
};

struct FindHandleTraits {
    using pointer = HANDLE;
    static pointer invalid() noexcept { return INVALID_HANDLE_VALUE; }
    static void close(pointer value) noexcept { ::FindClose(value); }
};

using unique_kernel_handle = unique_handle<HandleTraits<HANDLE, ::CloseHandle>>;
using unique_file = unique_handle<FileHandleTraits>;
using unique_find = unique_handle<FindHandleTraits>;
using unique_window = unique_handle<HandleTraits<HWND, ::DestroyWindow>>;
using unique_gdi = unique_handle<GdiObjectTraits>;
using unique_icon = unique_handle<HandleTraits<HICON, ::DestroyIcon>>;
using unique_cursor = unique_handle<HandleTraits<HCURSOR, ::DestroyCursor>>;
using unique_menu = unique_handle<HandleTraits<HMENU, ::DestroyMenu>>;
using unique_hkey = unique_handle<HandleTraits<HKEY, ::RegCloseKey>>;
using unique_module = unique_handle<HandleTraits<HMODULE, ::FreeLibrary>>;
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

}  // namespace lvx
