// Base of every window class: the object behind an HWND, message dispatch and DPI scaling.
#pragma once

#include <windows.h>

#include <initializer_list>
#include <string>

namespace lvx {

// Sizes are written at 96 DPI and scaled to the window's monitor.
[[nodiscard]] UINT DpiOfWindow(HWND window);
[[nodiscard]] inline int ScaleForDpi(int value, UINT dpi) { return ::MulDiv(value, static_cast<int>(dpi), 96); }

// AdjustWindowRectExForDpi where the system has it, AdjustWindowRectEx otherwise.
void AdjustWindowRectForDpi(RECT& rect, DWORD style, DWORD exStyle, UINT dpi);

// Shows an unexpected error caught at a window procedure, with the program's error caption.
void ReportError(HWND owner, const char* what);

// Moves a window rectangle that comes within a few pixels of an edge of its monitor's work
// area onto that edge, keeping its size: the program's windows "stick" to the desktop's edges.
void SnapToWorkArea(RECT& rect, UINT dpi);

// Asks for a file to save to, with `filter` in the dialog's form ("Name\0*.ext\0...\0") and
// `defaultExtension` added to a name typed without one; an existing file is overwritten only
// after the user agreed. True with the chosen path.
bool AskSaveFileName(HWND owner, const char* filter, const char* defaultExtension, std::string& path);

// The text of one of the program's own controls.
[[nodiscard]] std::string GetControlText(HWND control);
// Puts `text` into one of the program's own controls, leaving an unchanged one alone.
void SetControlText(HWND control, const std::string& text);

// A label and the field to its right, in one row of a column of labels.
struct LabelRow {
    HWND Label;
    HWND Field;
};
// Widens the labels of a column to their longest text in their own font, plus `gap` pixels, and
// moves each field's left edge along (its right edge stays); nothing moves while every text fits.
void FitLabelColumn(std::initializer_list<LabelRow> rows, int gap);
// Width in pixels of a control's text in the control's font.
[[nodiscard]] int ControlTextWidth(HWND control);

// Takes down every tool tip this thread shows, before a menu opens where one stands.
void HideThreadToolTips();

// Puts the program's icon, big and small, on a top-level window of ours (child windows are left alone).
void GiveProgramIcon(HWND window);

// The module every window class of the program is registered with.
[[nodiscard]] HINSTANCE ProgramInstance();

// One object per window: `this` arrives with WM_NCCREATE, is kept in GWLP_USERDATA and is
// forgotten at WM_NCDESTROY, so no message reaches a dead object. The window procedure only
// dispatches to HandleMessage; no exception leaves it.
class Window {
public:
    Window() = default;
    virtual ~Window();
    Window(const Window&) = delete;
    Window& operator=(const Window&) = delete;

    [[nodiscard]] HWND Handle() const noexcept { return handle_; }

protected:
    // Registers a class whose procedure dispatches to Window objects (once per class name).
    static bool RegisterWindowClass(const char* className, UINT style, HBRUSH background, HCURSOR cursor, HICON icon);

    // Creates the window for this object; false when the system refused.
    bool CreateWindowObject(DWORD exStyle, const char* className, const std::string& title, DWORD style,
                            const RECT& bounds, HWND parent, HMENU menuOrId);

    virtual LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT DefaultHandling(UINT message, WPARAM wParam, LPARAM lParam);

private:
    static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

    HWND handle_ = nullptr;
};

}  // namespace lvx
