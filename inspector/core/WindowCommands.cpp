// Commands on a window of any process that must not hang the inspector when it does not answer.
#include "WindowCommands.h"

#include "Handles.h"
#include "UNI_WindowInfo.h"

#include <memory>

namespace lvx {
namespace {

DWORD WINAPI RunCall(void* parameter)
{
    // The thread owns the call: a caller that stopped waiting has let go of it.
    const std::unique_ptr<std::function<void()>> call(static_cast<std::function<void()>*>(parameter));
    (*call)();
    return 0;
}

}  // namespace

bool CallWithTimeout(HWND window, std::function<void()> call)
{
    if (::GetWindowThreadProcessId(window, nullptr) == ::GetCurrentThreadId()) {
        call();
        return true;
    }
    auto owned = std::make_unique<std::function<void()>>(std::move(call));
    const unique_kernel_handle thread(::CreateThread(nullptr, 0, &RunCall, owned.get(), 0, nullptr));
    if (!thread) {
        (*owned)();  // no thread to spare: do it here rather than not at all
        return true;
    }
    owned.release();
    return ::WaitForSingleObject(thread.get(), MessageTimeout) == WAIT_OBJECT_0;
}

void FlashTargetWindow(HWND window)
{
    RECT rect{};
    if (!::GetWindowRect(window, &rect)) return;
    const HWND desktop = ::GetDesktopWindow();
    const WindowDC screen(desktop, WindowDC::Area::Window);
    if (!screen) return;
    const HDC dc = screen.get();
    const int oldMix = ::SetROP2(dc, R2_NOT);
    const unique_gdi pen(::CreatePen(PS_INSIDEFRAME, 0, RGB(0, 0, 0)));
    {
        const SelectGuard selectPen(dc, pen.get());
        const SelectGuard selectBrush(dc, ::GetStockObject(BLACK_BRUSH));
        for (int flash = 0; flash < 3; ++flash) {
            ::Rectangle(dc, rect.left, rect.top, rect.right, rect.bottom);  // inverts every pixel
            ::GdiFlush();
            ::Sleep(100);
            ::Rectangle(dc, rect.left, rect.top, rect.right, rect.bottom);  // and back
            ::GdiFlush();
            ::Sleep(100);
        }
    }
    ::SetROP2(dc, oldMix);
}

bool ChangeWindowText(HWND window, const std::string& text)
{
    LRESULT result = 0;
    const std::string sent(text.c_str());  // up to the first NUL, as the edit hands it over
    const bool delivered =
        SendMessageWithTimeout(window, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(sent.c_str()), result);
    return delivered && ReadTextByMessage(window, "") == sent;
}

}  // namespace lvx
