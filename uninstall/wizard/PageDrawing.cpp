// What the wizard pages draw with: fonts from the log's descriptions kept by their windows, the bitmaps, the title texts.
#include "PageDrawing.h"
#include "Wizard.h"

#include "engine/Engine.h"
#include "log/IniCache.h"

#include <algorithm>
#include <iterator>

namespace lvu {

unique_font CreateSpecFont(const FontSpec& description)
{
    const WindowDC screen(Wizard.MainWindow.get(), WindowDC::Area::Client);
    const int pixelsPerInch = screen.get() != nullptr ? ::GetDeviceCaps(screen.get(), LOGPIXELSY) : 96;
    LOGFONTA font{};
    font.lfHeight = -::MulDiv(description.Size, pixelsPerInch, 72);
    font.lfWeight = description.Bold ? FW_BOLD : FW_NORMAL;
    font.lfItalic = description.Italic;
    font.lfUnderline = description.Underline;
    font.lfStrikeOut = description.StrikeOut;
    font.lfCharSet = static_cast<BYTE>(cached::ReadInteger(Uninstall.LogPath, "Display", "Charset", DEFAULT_CHARSET));
    description.Face.copy(font.lfFaceName, LF_FACESIZE - 1);
    return unique_font(::CreateFontIndirectA(&font));
}

void SetWindowFont(HWND window, const FontSpec& description)
{
    unique_font font = CreateSpecFont(description);
    if (!font) return;
    unique_font previous(static_cast<HFONT>(::GetPropA(window, FontProperty)));
    ::SendMessageA(window, WM_SETFONT, reinterpret_cast<WPARAM>(font.get()), TRUE);
    if (::SetPropA(window, FontProperty, font.get())) (void)font.release();
}

void DeleteWindowFont(HWND window)
{
    const unique_font font(static_cast<HFONT>(::RemovePropA(window, FontProperty)));
}

void CentrePage(HWND page)
{
    RECT area{};
    RECT frame{};
    if (!::SystemParametersInfoA(SPI_GETWORKAREA, 0, &area, 0) || !::GetWindowRect(page, &frame)) return;
    const int width = frame.right - frame.left;
    const int height = frame.bottom - frame.top;
    int left = area.left + (area.right - area.left - width) / 2;
    int top = area.top + (area.bottom - area.top - height) / 2;
    left = std::max(0, std::min(left, ::GetSystemMetrics(SM_CXSCREEN) - width));
    top = std::max(0, std::min(top, ::GetSystemMetrics(SM_CYSCREEN) - height));
    ::SetWindowPos(page, nullptr, left, top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void DrawBitmap(const DRAWITEMSTRUCT& item, const char* name)
{
    RECT area{};
    ::GetClientRect(item.hwndItem, &area);
    const int width = area.right - area.left;
    const int height = area.bottom - area.top;
    const unique_dc memory(::CreateCompatibleDC(item.hDC));
    const unique_bitmap canvas(::CreateCompatibleBitmap(item.hDC, width, height));
    if (!memory || !canvas) return;
    const SelectGuard canvasSelected(memory.get(), canvas.get());
    ::FillRect(memory.get(), &area, static_cast<HBRUSH>(::GetStockObject(WHITE_BRUSH)));
    const unique_bitmap picture(
        static_cast<HBITMAP>(::LoadImageA(::GetModuleHandleA(nullptr), name, IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION)));
    const unique_dc source(::CreateCompatibleDC(item.hDC));
    BITMAP size{};
    if (picture && source && ::GetObjectA(picture.get(), sizeof size, &size) != 0) {
        const SelectGuard pictureSelected(source.get(), picture.get());
        ::SetStretchBltMode(memory.get(), HALFTONE);
        ::SetBrushOrgEx(memory.get(), 0, 0, nullptr);
        ::StretchBlt(memory.get(), 0, 0, width, height, source.get(), 0, 0, size.bmWidth, size.bmHeight, SRCCOPY);
    }
    ::BitBlt(item.hDC, 0, 0, width, height, memory.get(), 0, 0, SRCCOPY);
}

// The title and subtitle lie on the white banner, which is clipped around them: their own
// areas are filled white before the text goes on transparently.
void DrawTitleText(const DRAWITEMSTRUCT& item, COLORREF colour, bool wrap)
{
    RECT area{};
    ::GetClientRect(item.hwndItem, &area);
    ::FillRect(item.hDC, &area, static_cast<HBRUSH>(::GetStockObject(WHITE_BRUSH)));
    char text[1024] = {};
    const int length = ::GetWindowTextA(item.hwndItem, text, static_cast<int>(std::size(text)));
    const SelectGuard font(item.hDC, ::GetPropA(item.hwndItem, FontProperty));
    ::SetBkMode(item.hDC, TRANSPARENT);
    ::SetTextColor(item.hDC, colour);
    ::DrawTextA(item.hDC, text, length, &area, DT_NOPREFIX | (wrap ? DT_WORDBREAK : DT_SINGLELINE));
}


}  // namespace lvu
