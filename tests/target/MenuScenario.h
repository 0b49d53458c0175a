// The menu of the target's "menus" scenario and the window that records the commands it gets;
// built the same way by the target program and by the menu tests.
#pragma once

#include <windows.h>

namespace lvxmenu {

enum Command : UINT {
    Open = 111, Exit = 112, Recent1 = 201, Recent2 = 202, Undo = 301, Cut = 302, Left = 311, Right = 312,
    Drawn = 320, Picture = 321, Twin = 400, About = 121, Column = 122, Big = 57601, Info = 500,
};

// Asked of the window with SendMessage: wParam 0 the number of WM_COMMAND messages it got,
// 1 the wParam of the last one.
inline constexpr UINT QueryMessage = WM_APP + 10;
inline constexpr char WindowClass[] = "LvxMenuTarget";

// The menu bar:
//   &File: &Open<Tab>Ctrl+O, separator, Recent (First, Second), E&xit
//   &Edit: Undo (checked), Cut (grayed), Left and Right (radio, Left checked), an owner-drawn
//          item, a bitmap item, Twin A
//   &Help: About, Twin B (the same identifier as Twin A), Column (starts a new column), Big
//   Info: an item of the bar itself, kept at its right edge
inline HMENU BuildMenuBar(HBITMAP picture)
{
    HMENU recent = ::CreatePopupMenu();
    ::AppendMenuA(recent, MF_STRING, Recent1, "First");
    ::AppendMenuA(recent, MF_STRING, Recent2, "Second");
    HMENU file = ::CreatePopupMenu();
    ::AppendMenuA(file, MF_STRING, Open, "&Open\tCtrl+O");
    ::AppendMenuA(file, MF_SEPARATOR, 0, nullptr);
    ::AppendMenuA(file, MF_POPUP, reinterpret_cast<UINT_PTR>(recent), "Recent");
    ::AppendMenuA(file, MF_STRING, Exit, "E&xit");
    HMENU edit = ::CreatePopupMenu();
    ::AppendMenuA(edit, MF_STRING | MF_CHECKED, Undo, "Undo");
    ::AppendMenuA(edit, MF_STRING | MF_GRAYED, Cut, "Cut");
    ::AppendMenuA(edit, MF_STRING, Left, "Left");
    ::AppendMenuA(edit, MF_STRING, Right, "Right");
    ::CheckMenuRadioItem(edit, Left, Right, Left, MF_BYCOMMAND);
    ::AppendMenuA(edit, MF_OWNERDRAW, Drawn, reinterpret_cast<LPCSTR>(static_cast<ULONG_PTR>(7)));
    ::AppendMenuA(edit, MF_BITMAP, Picture, reinterpret_cast<LPCSTR>(picture));
    ::AppendMenuA(edit, MF_STRING, Twin, "Twin A");
    HMENU help = ::CreatePopupMenu();
    ::AppendMenuA(help, MF_STRING, About, "About");
    ::AppendMenuA(help, MF_STRING, Twin, "Twin B");
    ::AppendMenuA(help, MF_STRING | MF_MENUBARBREAK, Column, "Column");
    ::AppendMenuA(help, MF_STRING, Big, "Big");
    HMENU bar = ::CreateMenu();
    ::AppendMenuA(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(file), "&File");
    ::AppendMenuA(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(edit), "&Edit");
    ::AppendMenuA(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(help), "&Help");
    ::AppendMenuA(bar, MF_STRING | MF_HELP, Info, "Info");
    return bar;
}

// The recording window's procedure. The counts live in the window's own extra bytes, so every
// window of the class keeps its own.
inline LRESULT CALLBACK RecordingProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_COMMAND:
        ::SetWindowLongPtrA(window, 0, ::GetWindowLongPtrA(window, 0) + 1);
        ::SetWindowLongPtrA(window, sizeof(LONG_PTR), static_cast<LONG_PTR>(wParam));
        return 0;
    case WM_MEASUREITEM: {
        auto& measure = *reinterpret_cast<MEASUREITEMSTRUCT*>(lParam);
        measure.itemWidth = 40;
        measure.itemHeight = 16;
        return TRUE;
    }
    case QueryMessage:
        return ::GetWindowLongPtrA(window, wParam == 0 ? 0 : static_cast<int>(sizeof(LONG_PTR)));
    default:
        return ::DefWindowProcA(window, message, wParam, lParam);
    }
}

inline bool RegisterRecordingClass()
{
    WNDCLASSEXA windowClass{};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = RecordingProc;
    windowClass.cbWndExtra = 2 * sizeof(LONG_PTR);
    windowClass.hInstance = ::GetModuleHandleA(nullptr);
    windowClass.hCursor = ::LoadCursorA(nullptr, IDC_ARROW);
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(COLOR_WINDOW + 1));
    windowClass.lpszClassName = WindowClass;
    WNDCLASSEXA existing{};
    existing.cbSize = sizeof existing;
    return ::GetClassInfoExA(windowClass.hInstance, WindowClass, &existing) || ::RegisterClassExA(&windowClass);
}

// A 16 x 16 picture for the bitmap item; the caller keeps it while the menu lives.
inline HBITMAP MakePicture()
{
    static const WORD pattern[16] = {0xFFFF, 0x8001, 0x8001, 0x8001, 0x8001, 0x8001, 0x8001, 0x8001,
                                     0x8001, 0x8001, 0x8001, 0x8001, 0x8001, 0x8001, 0x8001, 0xFFFF};
    return ::CreateBitmap(16, 16, 1, 1, pattern);
}

}  // namespace lvxmenu
