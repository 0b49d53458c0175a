// The capture question: its texts, and buttons sized to them.
#include "CaptureQuestion.h"

#include "core/Window.h"
#include "resources/resource.h"

#include <algorithm>
#include <utility>

namespace lvx {

TCaptureQuestion::TCaptureQuestion(Texts texts) : Dialog(IDD_CAPTUREQUESTION), texts_(std::move(texts)) {}

int TCaptureQuestion::Ask(HWND owner)
{
    return static_cast<int>(ShowModal(owner));
}

// The question beside the icon, the buttons in a row below it at the right, each as wide as its
// text needs (at least the template's width), the dialog around them, centred on its owner.
void TCaptureQuestion::Layout()
{
    const auto units = [this](int x, int y) {
        RECT rect{0, 0, x, y};
        ::MapDialogRect(Handle(), &rect);
        return SIZE{rect.right, rect.bottom};
    };
    const SIZE margin = units(7, 7);
    const SIZE buttonMinimum = units(50, 14);
    const SIZE gap = units(4, 4);
    const int icon = ::GetSystemMetrics(SM_CXICON);
    const int buttonIds[] = {IDYES, IDNO, IDCANCEL};
    int buttonsWidth = 0;
    int widths[3] = {};
    for (int i = 0; i < 3; ++i) {
        widths[i] = std::max<int>(buttonMinimum.cx, ControlTextWidth(Item(buttonIds[i])) + 2 * margin.cx);
        buttonsWidth += widths[i] + (i > 0 ? gap.cx : 0);
    }
    // The question wraps at the buttons' width, or at a comfortable line when that is narrow.
    const HWND question = Item(IDC_CAPTURE_TEXT);
    const int textWidth = std::max<int>(buttonsWidth - icon - margin.cx, units(180, 0).cx);
    RECT text{0, 0, textWidth, 0};
    {
        const HDC dc = ::GetDC(question);
        const HGDIOBJ old = ::SelectObject(dc, reinterpret_cast<HGDIOBJ>(::SendMessageA(question, WM_GETFONT, 0, 0)));
        ::DrawTextA(dc, texts_.Question.c_str(), -1, &text, DT_CALCRECT | DT_WORDBREAK | DT_NOPREFIX);
        ::SelectObject(dc, old);
        ::ReleaseDC(question, dc);
    }
    const int clientWidth = margin.cx + std::max<int>(buttonsWidth, icon + margin.cx + textWidth) + margin.cx;
    const int textHeight = std::max<int>(text.bottom, icon);
    const int buttonsTop = margin.cy + textHeight + margin.cy;
    const int clientHeight = buttonsTop + buttonMinimum.cy + margin.cy;
    const auto move = [](HWND control, int x, int y, int width, int height) {
        ::SetWindowPos(control, nullptr, x, y, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
    };
    move(Item(IDC_CAPTURE_ICON), margin.cx, margin.cy, icon, icon);
    move(question, margin.cx + icon + margin.cx, margin.cy + std::max<int>(0, (icon - text.bottom) / 2), textWidth,
         text.bottom);
    int left = clientWidth - margin.cx - buttonsWidth;
    for (int i = 0; i < 3; ++i) {
        move(Item(buttonIds[i]), left, buttonsTop, widths[i], buttonMinimum.cy);
        left += widths[i] + gap.cx;
    }
    RECT frame{0, 0, clientWidth, clientHeight};
    ::AdjustWindowRectEx(&frame, static_cast<DWORD>(::GetWindowLongPtrA(Handle(), GWL_STYLE)), FALSE,
                         static_cast<DWORD>(::GetWindowLongPtrA(Handle(), GWL_EXSTYLE)));
    const int width = frame.right - frame.left;
    const int height = frame.bottom - frame.top;
    RECT around{};
    const HWND owner = ::GetWindow(Handle(), GW_OWNER);
    if (owner == nullptr || !::GetWindowRect(owner, &around)) ::SystemParametersInfoA(SPI_GETWORKAREA, 0, &around, 0);
    RECT bounds{(around.left + around.right - width) / 2, (around.top + around.bottom - height) / 2, 0, 0};
    bounds.right = bounds.left + width;
    bounds.bottom = bounds.top + height;
    MONITORINFO monitor{};
    monitor.cbSize = sizeof monitor;
    if (::GetMonitorInfoA(::MonitorFromRect(&bounds, MONITOR_DEFAULTTONEAREST), &monitor)) {
        const RECT& area = monitor.rcWork;
        bounds.left = std::max<int>(area.left, std::min<int>(bounds.left, area.right - width));
        bounds.top = std::max<int>(area.top, std::min<int>(bounds.top, area.bottom - height));
    }
    ::SetWindowPos(Handle(), nullptr, bounds.left, bounds.top, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
}

INT_PTR TCaptureQuestion::HandleMessage(UINT message, WPARAM wParam, LPARAM)
{
    switch (message) {
    case WM_INITDIALOG: {
        // The caption is the capture button's text without the ellipsis that announced this dialog.
        std::string caption = texts_.Caption;
        while (!caption.empty() && (caption.back() == '.' || caption.back() == '\x85')) caption.pop_back();
        ::SetWindowTextA(Handle(), caption.c_str());
        ::SetDlgItemTextA(Handle(), IDC_CAPTURE_TEXT, texts_.Question.c_str());
        ::SetDlgItemTextA(Handle(), IDYES, texts_.Copy.c_str());
        ::SetDlgItemTextA(Handle(), IDNO, texts_.Save.c_str());
        ::SetDlgItemTextA(Handle(), IDCANCEL, texts_.Cancel.c_str());
        ::SendDlgItemMessageA(Handle(), IDC_CAPTURE_ICON, STM_SETICON,
                              reinterpret_cast<WPARAM>(::LoadIconA(nullptr, IDI_QUESTION)), 0);
        Layout();
        return TRUE;
    }
    case WM_COMMAND:
        switch (LOWORD(wParam)) {
        case IDYES:
        case IDNO:
        case IDCANCEL:
            Close(LOWORD(wParam));
            return TRUE;
        default:
            return FALSE;
        }
    default:
        return FALSE;
    }
}

}  // namespace lvx
