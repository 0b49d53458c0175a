// Commands on a window of any process that must not hang the inspector when it does not answer.
#include "WindowCommands.h"

#include "Handles.h"
#include "UNI_WindowInfo.h"

#include <map>
#include <memory>
#include <mutex>

namespace lvx {
namespace {

// The windows that a helper thread is busy with, each with the call kept to run after the one
// under way (empty when none). A helper thread can outlive every window of the program, so
// each one holds the table alive; the table is the module's, as the threads are nobody's.
struct PendingCalls {
    std::mutex Lock;
    std::map<HWND, std::function<void()>> Waiting;
};
const std::shared_ptr<PendingCalls> Pending = std::make_shared<PendingCalls>();

struct HelperStart {
    std::shared_ptr<PendingCalls> Table;
    HWND Window;
    std::function<void()> Call;
};

DWORD WINAPI RunCalls(void* parameter)
{
    // The thread owns what it was given: a caller that stopped waiting has let go of it.
    const std::unique_ptr<HelperStart> start(static_cast<HelperStart*>(parameter));
    std::function<void()> call = std::move(start->Call);
    while (call) {
        call();
        const std::lock_guard<std::mutex> guard(start->Table->Lock);
        const auto entry = start->Table->Waiting.find(start->Window);
        call = std::move(entry->second);
        entry->second = nullptr;
        if (!call) start->Table->Waiting.erase(entry);
    }
    return 0;
}

}  // namespace

bool CallWithTimeout(HWND window, std::function<void()> call, WhenBusy whenBusy)
{
    if (::GetWindowThreadProcessId(window, nullptr) == ::GetCurrentThreadId()) {
        call();
        return true;
    }
    {
        const std::lock_guard<std::mutex> guard(Pending->Lock);
        const auto [entry, added] = Pending->Waiting.try_emplace(window);
        if (!added) {
            if (whenBusy == WhenBusy::Replace) entry->second = std::move(call);
            return false;
        }
    }
    auto start = std::make_unique<HelperStart>(HelperStart{Pending, window, std::move(call)});
    const unique_kernel_handle thread(::CreateThread(nullptr, 0, &RunCalls, start.get(), 0, nullptr));
    if (!thread) {
        {
            const std::lock_guard<std::mutex> guard(Pending->Lock);
            Pending->Waiting.erase(window);
        }
        start->Call();  // no thread to spare: do it here rather than not at all
        return true;
    }
    start.release();
    // Only this thread adds calls, so the helper ends right after this one unless it is late.
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
