// Base of every window class: the object behind an HWND, message dispatch and DPI scaling.
#include "Window.h"

#include "Handles.h"

#include <commctrl.h>
#include <commdlg.h>

#include <algorithm>
#include <cstdlib>

#include "language/MessageTable.h"

#include <exception>

namespace lvx {
namespace {

// Per-monitor DPI calls exist from Windows 10 1607 on; bound at run time so the program
// still starts on older systems, where the system DPI serves.
using GetDpiForWindowProc = UINT(WINAPI*)(HWND);
using AdjustWindowRectExForDpiProc = BOOL(WINAPI*)(LPRECT, DWORD, BOOL, DWORD, UINT);

template <typename Proc>
Proc User32Entry(const char* name)
{
    return reinterpret_cast<Proc>(reinterpret_cast<void*>(::GetProcAddress(::GetModuleHandleA("user32.dll"), name)));
}

const GetDpiForWindowProc GetDpiForWindowEntry = User32Entry<GetDpiForWindowProc>("GetDpiForWindow");
const AdjustWindowRectExForDpiProc AdjustWindowRectExForDpiEntry =
    User32Entry<AdjustWindowRectExForDpiProc>("AdjustWindowRectExForDpi");

}  // namespace

UINT DpiOfWindow(HWND window)
{
    if (GetDpiForWindowEntry != nullptr && window != nullptr) {
        const UINT dpi = GetDpiForWindowEntry(window);
        if (dpi != 0) return dpi;
    }
    const HDC screen = ::GetDC(nullptr);
    const int dpi = screen ? ::GetDeviceCaps(screen, LOGPIXELSX) : 96;
    if (screen) ::ReleaseDC(nullptr, screen);
    return dpi > 0 ? static_cast<UINT>(dpi) : 96;
}

void AdjustWindowRectForDpi(RECT& rect, DWORD style, DWORD exStyle, UINT dpi)
{
    if (AdjustWindowRectExForDpiEntry == nullptr || !AdjustWindowRectExForDpiEntry(&rect, style, FALSE, exStyle, dpi))
        ::AdjustWindowRectEx(&rect, style, FALSE, exStyle);
}

void ReportError(HWND owner, const char* what)
{
    ::MessageBoxA(owner, what, MessageText(Msg::ERROR_).c_str(), MB_OK | MB_ICONERROR);
}

void SnapToWorkArea(RECT& rect, UINT dpi)
{
    constexpr int SnapDistance = 12;  // at 96 DPI
    MONITORINFO monitor{};
    monitor.cbSize = sizeof monitor;
    if (!::GetMonitorInfoA(::MonitorFromRect(&rect, MONITOR_DEFAULTTONEAREST), &monitor)) return;
    const RECT& area = monitor.rcWork;
    const int distance = ScaleForDpi(SnapDistance, dpi);
    const int width = rect.right - rect.left;
    const int height = rect.bottom - rect.top;
    if (std::abs(rect.left - area.left) <= distance)
        ::OffsetRect(&rect, area.left - rect.left, 0);
    else if (std::abs(rect.right - area.right) <= distance)
        ::OffsetRect(&rect, area.right - rect.right, 0);
    if (std::abs(rect.top - area.top) <= distance)
        ::OffsetRect(&rect, 0, area.top - rect.top);
    else if (std::abs(rect.bottom - area.bottom) <= distance)
        ::OffsetRect(&rect, 0, area.bottom - rect.bottom);
    rect.right = rect.left + width;
    rect.bottom = rect.top + height;
}

bool AskSaveFileName(HWND owner, const char* filter, const char* defaultExtension, std::string& path)
{
    char file[MAX_PATH] = {};
    OPENFILENAMEA dialog{};
    dialog.lStructSize = sizeof dialog;
    dialog.hwndOwner = owner;
    dialog.lpstrFilter = filter;
    dialog.lpstrFile = file;
    dialog.nMaxFile = MAX_PATH;
    dialog.lpstrDefExt = defaultExtension;
    dialog.Flags = OFN_OVERWRITEPROMPT | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY | OFN_NOCHANGEDIR;
    if (!::GetSaveFileNameA(&dialog)) return false;
    path = file;
    return true;
}

std::string GetControlText(HWND control)
{
    const int length = ::GetWindowTextLengthA(control);
    std::string text(static_cast<size_t>(length > 0 ? length : 0) + 1, '\0');
    const int copied = ::GetWindowTextA(control, text.data(), static_cast<int>(text.size()));
    text.resize(static_cast<size_t>(copied > 0 ? copied : 0));
    return text;
}

void SetControlText(HWND control, const std::string& text)
{
    // Setting an unchanged text still repaints the field; picking calls this on every move.
    const int length = ::GetWindowTextLengthA(control);
    if (length == static_cast<int>(text.size())) {
        std::string current(static_cast<size_t>(length) + 1, '\0');
        ::GetWindowTextA(control, current.data(), length + 1);
        current.resize(static_cast<size_t>(length));
        if (current == text) return;
    }
    ::SetWindowTextA(control, text.c_str());
}

HINSTANCE ProgramInstance()
{
    return ::GetModuleHandleA(nullptr);
}

Window::~Window()
{
    if (handle_ != nullptr) {
        // The object is going: detach it first so the destruction messages find no object.
        ::SetWindowLongPtrA(handle_, GWLP_USERDATA, 0);
        const HWND window = handle_;
        handle_ = nullptr;
        ::DestroyWindow(window);
    }
}

bool Window::RegisterWindowClass(const char* className, UINT style, HBRUSH background, HCURSOR cursor, HICON icon)
{
    WNDCLASSEXA existing{};
    existing.cbSize = sizeof existing;
    if (::GetClassInfoExA(ProgramInstance(), className, &existing)) return true;
    WNDCLASSEXA windowClass{};
    windowClass.cbSize = sizeof windowClass;
    windowClass.style = style;
    windowClass.lpfnWndProc = &Window::WindowProc;
    windowClass.hInstance = ProgramInstance();
    windowClass.hCursor = cursor != nullptr ? cursor : ::LoadCursorA(nullptr, IDC_ARROW);
    windowClass.hbrBackground = background;
    windowClass.hIcon = icon;
    windowClass.lpszClassName = className;
    return ::RegisterClassExA(&windowClass) != 0;
}

bool Window::CreateWindowObject(DWORD exStyle, const char* className, const std::string& title, DWORD style,
                                const RECT& bounds, HWND parent, HMENU menuOrId)
{
    const HWND window = ::CreateWindowExA(exStyle, className, title.c_str(), style, bounds.left, bounds.top,
                                          bounds.right - bounds.left, bounds.bottom - bounds.top, parent, menuOrId,
                                          ProgramInstance(), this);
    if (window != nullptr) GiveProgramIcon(window);
    return window != nullptr;
}

int ControlTextWidth(HWND control)
{
    const std::string text = GetControlText(control);
    // A memory DC: a control's own DC may be its parent's (CS_PARENTDC), with the parent's state.
    const unique_dc dc(::CreateCompatibleDC(nullptr));
    if (!dc) return 0;
    const auto font = reinterpret_cast<HGDIOBJ>(::SendMessageA(control, WM_GETFONT, 0, 0));
    const SelectGuard select(dc.get(), font != nullptr ? font : ::GetStockObject(SYSTEM_FONT));
    SIZE size{};
    ::GetTextExtentPoint32A(dc.get(), text.c_str(), static_cast<int>(text.size()), &size);
    return size.cx;
}

void FitLabelColumn(std::initializer_list<LabelRow> rows, int gap)
{
    const auto boundsOf = [](HWND control) {
        RECT rect{};
        ::GetWindowRect(control, &rect);
        ::MapWindowPoints(nullptr, ::GetParent(control), reinterpret_cast<POINT*>(&rect), 2);
        return rect;
    };
    int needed = 0;
    for (const LabelRow& row : rows) {
        const RECT label = boundsOf(row.Label);
        needed = std::max<int>(needed, static_cast<int>(label.left) + ControlTextWidth(row.Label) + gap);
    }
    for (const LabelRow& row : rows) {
        RECT label = boundsOf(row.Label);
        RECT field = boundsOf(row.Field);
        if (label.right < needed - gap)
            ::SetWindowPos(row.Label, nullptr, 0, 0, needed - gap - label.left, label.bottom - label.top,
                           SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
        if (field.left >= needed) continue;
        ::SetWindowPos(row.Field, nullptr, needed, field.top, std::max<int>(0, field.right - needed),
                       field.bottom - field.top, SWP_NOZORDER | SWP_NOACTIVATE);
    }
}

namespace {

BOOL CALLBACK PopToolTip(HWND window, LPARAM)
{
    char name[32] = {};
    ::GetClassNameA(window, name, static_cast<int>(sizeof name));
    if (::lstrcmpiA(name, TOOLTIPS_CLASSA) == 0) ::SendMessageA(window, TTM_POP, 0, 0);
    return TRUE;
}

}  // namespace

void HideThreadToolTips()
{
    ::EnumThreadWindows(::GetCurrentThreadId(), &PopToolTip, 0);
}

void GiveProgramIcon(HWND window)
{
    if (window == nullptr || (::GetWindowLongPtrA(window, GWL_STYLE) & WS_CHILD) != 0) return;
    // Shared icons belong to the system's cache: nothing to destroy.
    const auto icon = [](int metricX, int metricY) {
        return static_cast<HICON>(::LoadImageA(ProgramInstance(), "MAINICON", IMAGE_ICON, ::GetSystemMetrics(metricX),
                                               ::GetSystemMetrics(metricY), LR_SHARED));
    };
    if (::SendMessageA(window, WM_GETICON, ICON_BIG, 0) == 0)
        if (const HICON big = icon(SM_CXICON, SM_CYICON)) ::SendMessageA(window, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(big));
    if (::SendMessageA(window, WM_GETICON, ICON_SMALL, 0) == 0)
        if (const HICON smallIcon = icon(SM_CXSMICON, SM_CYSMICON))
            ::SendMessageA(window, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(smallIcon));
}

LRESULT Window::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    return DefaultHandling(message, wParam, lParam);
}

LRESULT Window::DefaultHandling(UINT message, WPARAM wParam, LPARAM lParam)
{
    return ::DefWindowProcA(handle_, message, wParam, lParam);
}

LRESULT CALLBACK Window::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    Window* self = nullptr;
    if (message == WM_NCCREATE) {
        self = static_cast<Window*>(reinterpret_cast<CREATESTRUCTA*>(lParam)->lpCreateParams);
        self->handle_ = window;
        ::SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    } else {
        self = reinterpret_cast<Window*>(::GetWindowLongPtrA(window, GWLP_USERDATA));
    }
    if (self == nullptr) return ::DefWindowProcA(window, message, wParam, lParam);

    if (message == WM_NCDESTROY) {
        ::SetWindowLongPtrA(window, GWLP_USERDATA, 0);
        self->handle_ = nullptr;
        return ::DefWindowProcA(window, message, wParam, lParam);
    }
    try {
        return self->HandleMessage(message, wParam, lParam);
    } catch (const std::exception& error) {
        ReportError(window, error.what());
    } catch (...) {
        ReportError(window, "Unexpected error");
    }
    return 0;
}

}  // namespace lvx
