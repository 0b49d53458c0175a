// The window information snapshot: one record per window and the routines that read it safely.
#include "UNI_WindowInfo.h"

#include "SiblingLink.h"
#include "UNI_Processes.h"
#include "language/MessageTable.h"

#include <algorithm>
#include <vector>

namespace lvx {
namespace {

// A window may claim any text length; beyond this many characters we read only the start,
// so that a broken or hostile window cannot make us allocate gigabytes.
constexpr LRESULT MaxTextLength = 16 * 1024 * 1024;

// Guards TopLevelAncestor against parent chains that change under it.
constexpr int MaxAncestorSteps = 4096;

}  // namespace

bool SendMessageWithTimeout(HWND window, UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result)
{
    DWORD_PTR answer = 0;
    const LRESULT ok = ::SendMessageTimeoutA(window, message, wParam, lParam, SMTO_ABORTIFHUNG, MessageTimeout, &answer);
    result = ok != 0 ? static_cast<LRESULT>(answer) : 0;
    return ok != 0;
}

std::string ReadTextByMessage(HWND window, const std::string& placeholder)
{
    std::optional<std::string> text = TryReadTextByMessage(window);
    return text ? std::move(*text) : placeholder;
}

std::optional<std::string> TryReadTextByMessage(HWND window)
{
    // The length is asked in the wide form: Wine's SendMessageTimeoutA answers WM_GETTEXTLENGTH
    // by sending a further message without any time-out, which never returns from a hung
    // window. The wide count is at most half the bytes the ANSI text can take, so the buffer
    // is sized for two bytes a character.
    DWORD_PTR answer = 0;
    if (::SendMessageTimeoutW(window, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, MessageTimeout, &answer) == 0)
        return std::nullopt;
    LRESULT length = static_cast<LRESULT>(answer);
    if (length < 0) return std::nullopt;
    if (length == 0) return std::string();
    length = std::min(length, MaxTextLength);

    std::vector<char> buffer(static_cast<size_t>(length) * 2 + 1, '\0');
    LRESULT copied = 0;
    if (!SendMessageWithTimeout(window, WM_GETTEXT, buffer.size(), reinterpret_cast<LPARAM>(buffer.data()), copied))
        return std::nullopt;
    copied = std::clamp<LRESULT>(copied, 0, static_cast<LRESULT>(buffer.size()) - 1);
    return std::string(buffer.data(), static_cast<size_t>(copied));
}

std::string ReadWindowText(HWND window, const std::string& placeholder, bool& ok)
{
    ok = true;
    DWORD owner = 0;
    ::GetWindowThreadProcessId(window, &owner);
    if (owner != ::GetCurrentProcessId()) {
        // Another process's window: GetWindowTextA reads the caption the system keeps, without a
        // message. GetWindowTextLengthA is not asked first because Wine sends WM_GETTEXTLENGTH
        // for it, which never returns from a hung window.
        std::vector<char> buffer(256, '\0');
        for (;;) {
            const int copied = ::GetWindowTextA(window, buffer.data(), static_cast<int>(buffer.size()));
            if (copied <= 0) {
                if (::IsWindow(window)) return {};
                ok = false;
                return placeholder;
            }
            if (static_cast<size_t>(copied) + 1 < buffer.size() || buffer.size() > static_cast<size_t>(MaxTextLength))
                return std::string(buffer.data(), static_cast<size_t>(copied));
            buffer.assign(buffer.size() * 4, '\0');
        }
    }
    const int length = static_cast<int>(std::min<LRESULT>(::GetWindowTextLengthA(window), MaxTextLength));
    if (length <= 0) return {};
    std::vector<char> buffer(static_cast<size_t>(length) + 1, '\0');
    if (::GetWindowTextA(window, buffer.data(), length + 1) == 0) {
        ok = false;
        return placeholder;
    }
    return std::string(buffer.data());
}

std::string ReadClassName(HWND window, const std::string& placeholder)
{
    char buffer[1024] = {};
    if (::GetClassNameA(window, buffer, static_cast<int>(std::size(buffer))) == 0) return placeholder;
    return std::string(buffer);
}

bool IsTopmost(HWND window)
{
    return (::GetWindowLongA(window, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0;
}

WindowShowState GetShowState(HWND window)
{
    if (window == nullptr) return WindowShowState::Normal;
    if (::IsIconic(window)) return WindowShowState::Minimized;
    if (::IsZoomed(window)) return WindowShowState::Maximized;
    return WindowShowState::Normal;
}

HWND TopLevelAncestor(HWND window)
{
    HWND current = window;
    for (int step = 0; step < MaxAncestorSteps; ++step) {
        const HWND parent = ::GetParent(current);
        if (parent == nullptr) break;
        // GetParent of an owned top-level window answers its owner: stop there.
        if (!::IsChild(parent, current)) break;
        current = parent;
    }
    return current;
}

bool IsExistingWindow(HWND window)
{
    return window != nullptr && ::IsWindow(window);
}

void GatherWindowInfo(HWND window, bool light, WindowInfo& info)
{
    if (::IsWindow(window)) {
        info.Handle = window;
        RECT rect{};
        ::GetWindowRect(window, &rect);
        info.Left = rect.left;
        info.Top = rect.top;
        info.Width = rect.right - rect.left;
        info.Height = rect.bottom - rect.top;
        RECT client{};
        ::GetClientRect(window, &client);
        info.ClientWidth = client.right;
        info.ClientHeight = client.bottom;

        info.Text = ReadTextByMessage(window, MessageText(Msg::WindowNotReply));
        info.ClassName = ReadClassName(window, MessageText(Msg::WndClassNotFound));
        if (!light) {
            info.ClassAtom = static_cast<uint32_t>(::GetClassLongA(window, GCW_ATOM));
            info.ClassWndProc = static_cast<uintptr_t>(::GetClassLongPtrA(window, GCLP_WNDPROC));
            info.ClassStyle = static_cast<uint32_t>(::GetClassLongA(window, GCL_STYLE));
        }
        info.WindowText = ReadWindowText(window, MessageText(Msg::CantReadWndText), info.WindowTextRead);

        info.ShowState = GetShowState(window);
        info.Visible = ::IsWindowVisible(window) != FALSE;
        info.Enabled = ::IsWindowEnabled(window) != FALSE;
        info.Topmost = IsTopmost(window);

        DWORD processId = 0;
        info.ThreadId = ::GetWindowThreadProcessId(window, &processId);
        info.ProcessId = processId;
        if (!light) {
            info.Bits = ProcessBitness(processId);
            info.PointersRead = sizeof(void*) == 8 || info.Bits != ProcessBits::Bits64;
        }

        info.Parent = ::GetParent(window);
        info.Child = ::GetWindow(window, GW_CHILD);
        info.Next = ::GetWindow(window, GW_HWNDNEXT);
        info.Previous = ::GetWindow(window, GW_HWNDPREV);
        info.Owner = ::GetWindow(window, GW_OWNER);

        if (info.Parent != nullptr) {
            info.Menu = nullptr;
            POINT corner{rect.left, rect.top};
            ::MapWindowPoints(HWND_DESKTOP, info.Parent, &corner, 1);
            info.RelativeLeft = corner.x;
            info.RelativeTop = corner.y;
            info.ParentText = ReadTextByMessage(info.Parent, MessageText(Msg::CantReadWndText));
            info.ParentClassName = ReadClassName(info.Parent, MessageText(Msg::WndClassNotFound));
        } else {
            info.Menu = ::GetMenu(window);
        }
    } else {
        info.Handle = nullptr;
    }

    if (!light) {
        // Also for a dead handle: the platform answers 0 for each of these.
        info.ControlId = ::GetDlgCtrlID(window);
        info.WndProc = static_cast<uintptr_t>(::GetWindowLongPtrA(window, GWLP_WNDPROC));
        info.Style = static_cast<uint32_t>(::GetWindowLongA(window, GWL_STYLE));
        info.ExStyle = static_cast<uint32_t>(::GetWindowLongA(window, GWL_EXSTYLE));
        info.Instance = static_cast<uintptr_t>(::GetWindowLongPtrA(window, GWLP_HINSTANCE));
        info.Id = static_cast<uint32_t>(::GetWindowLongPtrA(window, GWLP_ID));
        info.UserData = static_cast<uintptr_t>(::GetWindowLongPtrA(window, GWLP_USERDATA));
        // A dead handle answers no message, so its icons are 0 without asking; this also keeps
        // special values such as HWND_BROADCAST from turning the request into a broadcast.
        if (info.Handle != nullptr) {
            LRESULT icon = 0;
            SendMessageWithTimeout(window, WM_GETICON, ICON_BIG, 0, icon);
            info.BigIcon = reinterpret_cast<HICON>(icon);
            SendMessageWithTimeout(window, WM_GETICON, ICON_SMALL, 0, icon);
            info.SmallIcon = reinterpret_cast<HICON>(icon);
        }
        ReportWindowToSibling(window);
    }
}

}  // namespace lvx
