// The real lumivex.exe driven like a user does: drag the picking tool, navigate, refresh, close;
// a listener in this process checks the broadcasts the inspector sends meanwhile.
#include "TestSupport.h"

#include "core/MainFormIds.h"
#include "core/UNI_Strings.h"
#include "core/UNI_WindowInfo.h"
#include "core/Window.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstdio>
#include <cstdlib>
#include <utility>
#include <vector>

using namespace lvxtest;
using lvx::FormatHandle;
using lvx::HandleValue;
namespace ids = lvx::MainFormIds;

namespace {

constexpr WPARAM WindowReport = 0x4C56585F;
constexpr WPARAM RunState = 0x4C56585E;
using Notice = std::pair<WPARAM, LPARAM>;

class Listener : public lvx::Window {
public:
    std::vector<Notice> Received;
    const UINT Message = ::RegisterWindowMessageA("Narvolt Lumivex IPC Message");

    bool Create()
    {
        RegisterWindowClass("LvxE2EListener", 0, nullptr, nullptr, nullptr);
        return CreateWindowObject(0, "LvxE2EListener", "listener", WS_POPUP, RECT{0, 0, 1, 1}, nullptr, nullptr);
    }
    bool WaitForCount(size_t count, DWORD timeoutMs = 20000)
    {
        return WaitFor([&] { return Received.size() >= count; }, timeoutMs);
    }

protected:
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override
    {
        // Only the low 32 bits of a handle are significant between processes.
        if (message == Message) Received.emplace_back(wParam, static_cast<LPARAM>(static_cast<uint32_t>(lParam)));
        return DefaultHandling(message, wParam, lParam);
    }
};

Notice Report(HWND window)
{
    return {WindowReport, static_cast<LPARAM>(HandleValue(window))};
}

// Where the screen differs from what it was, for the failure message.
std::string DescribeDifference(const RECT& area, const std::vector<COLORREF>& before)
{
    const auto now = CaptureScreen(area);
    const int width = area.right - area.left;
    int count = 0;
    RECT box{INT_MAX, INT_MAX, INT_MIN, INT_MIN};
    for (size_t i = 0; i < now.size() && i < before.size(); ++i) {
        if (now[i] == before[i]) continue;
        ++count;
        const int x = area.left + static_cast<int>(i) % width;
        const int y = area.top + static_cast<int>(i) / width;
        box = RECT{std::min<LONG>(box.left, x), std::min<LONG>(box.top, y), std::max<LONG>(box.right, x),
                   std::max<LONG>(box.bottom, y)};
    }
    return "the outline stayed on the screen: " + std::to_string(count) + " pixels within (" +
           std::to_string(box.left) + "," + std::to_string(box.top) + ")-(" + std::to_string(box.right) + "," +
           std::to_string(box.bottom) + ")";
}

// The inspector started as a user would start it, with its main window found.
class Inspector {
public:
    Inspector() : process_(BinFolder() + "lumivex.exe", "")
    {
        WaitFor([this] { return (main_ = FindProcessWindow(process_.Id(), "TMainForm")) != nullptr; }, 30000);
    }
    [[nodiscard]] HWND Main() const { return main_; }
    [[nodiscard]] HWND Control(int id) const { return ::GetDlgItem(main_, id); }
    [[nodiscard]] std::string Field(int number) const { return ForeignText(Control(ids::EditId(number))); }
    bool WaitForField(int number, const std::string& text, DWORD timeoutMs = 20000) const
    {
        return WaitFor([&] { return Field(number) == text; }, timeoutMs);
    }
    void ClickButton(int number) const
    {
        const POINT centre = CenterOf(Control(ids::SpeedButtonId(number)));
        MouseMoveTo(centre.x, centre.y);
        MouseDown();
        MouseUp();
    }
    // Drags the picking tool from its box onto a window and releases it there. Each step waits
    // for the inspector to have taken it, as a user's hand is slower than synthetic input.
    void PickAt(HWND target, const std::function<void()>& whileHeld = {}) const
    {
        const POINT box = CenterOf(Control(ids::PaintBox1Id));
        MouseMoveTo(box.x, box.y);
        MouseDown();
        EXPECT_TRUE(WaitFor([this] { return CaptureOwner() == Control(ids::PaintBox1Id); })) << InputState();
        const POINT point = CenterOf(target);
        MouseGlideTo(point.x, point.y, 16);
        EXPECT_TRUE(WaitForField(6, FormatHandle(HandleValue(target)))) << InputState();
        if (whileHeld) whileHeld();
        MouseUp();
        EXPECT_TRUE(WaitFor([this] { return CaptureOwner() == nullptr; }));
    }
    [[nodiscard]] std::string InputState() const
    {
        GUITHREADINFO info{};
        info.cbSize = sizeof info;
        ::GetGUIThreadInfo(::GetWindowThreadProcessId(main_, nullptr), &info);
        POINT cursor{};
        ::GetCursorPos(&cursor);
        DWORD_PTR answer = 0;
        const ULONGLONG start = ::GetTickCount64();
        const bool answers = ::SendMessageTimeoutA(main_, WM_NULL, 0, 0, SMTO_NORMAL, 10000, &answer) != 0;
        const auto waited = static_cast<unsigned long>(::GetTickCount64() - start);
        const HWND shown = reinterpret_cast<HWND>(static_cast<uintptr_t>(std::strtoull(Field(6).c_str(), nullptr, 16)));
        char shownClass[64] = {};
        ::GetClassNameA(shown, shownClass, 64);
        RECT shownRect{};
        ::GetWindowRect(shown, &shownRect);
        char text[768];
        std::snprintf(text, sizeof text, "button %d, answers %d after %lu ms, handle field '%s' %s (%ld,%ld)-(%ld,%ld), main %p active %p focus %p capture %p flags %lx foreground %p cursor %ld,%ld",
                      (::GetAsyncKeyState(VK_LBUTTON) & 0x8000) != 0, answers, waited, Field(6).c_str(), shownClass, shownRect.left, shownRect.top, shownRect.right,
                      shownRect.bottom, static_cast<void*>(main_), static_cast<void*>(info.hwndActive), static_cast<void*>(info.hwndFocus),
                      static_cast<void*>(info.hwndCapture), info.flags, static_cast<void*>(::GetForegroundWindow()),
                      cursor.x, cursor.y);
        return text;
    }
    [[nodiscard]] HWND CaptureOwner() const
    {
        GUITHREADINFO info{};
        info.cbSize = sizeof info;
        ::GetGUIThreadInfo(::GetWindowThreadProcessId(main_, nullptr), &info);
        return info.hwndCapture;
    }
    ChildProcess& Process() { return process_; }

private:
    ChildProcess process_;
    HWND main_ = nullptr;
};

TEST(EndToEnd, PickNavigateRefreshAndClose)
{
    Listener listener;
    ASSERT_TRUE(listener.Create());
    TargetProcess target({"basic"});
    ASSERT_TRUE(target.Ready());
    Inspector inspector;
    ASSERT_NE(inspector.Main(), nullptr);

    // Start notice, then the report of the first refresh, for no window yet.
    ASSERT_TRUE(listener.WaitForCount(2));
    EXPECT_EQ(listener.Received[0], Notice(RunState, 0));
    EXPECT_EQ(listener.Received[1], Notice(WindowReport, 0));
    ASSERT_TRUE(inspector.WaitForField(1, "<Окно не существует>"));
    EXPECT_EQ(inspector.Field(6), "");

    // At the top right of the screen, above other windows.
    RECT placed{};
    ::GetWindowRect(inspector.Main(), &placed);
    EXPECT_EQ(placed.top, 0);
    EXPECT_EQ(placed.right, ::GetSystemMetrics(SM_CXSCREEN));
    EXPECT_TRUE(::GetWindowLongA(inspector.Main(), GWL_EXSTYLE) & WS_EX_TOPMOST);

    const HWND edit = target.Window("basic.edit");
    RECT around{};
    ::GetWindowRect(edit, &around);
    ::InflateRect(&around, 4, 4);
    const auto clean = CaptureScreen(around);

    inspector.PickAt(edit, [&] {
        // While the button is held: the outline is on the screen and the light data are shown,
        // and nothing has been broadcast.
        EXPECT_TRUE(WaitFor([&] { return CaptureScreen(around) != clean; }));
        EXPECT_EQ(inspector.Field(1), "Hello edit");
        EXPECT_EQ(listener.Received.size(), 2u);
    });
    ASSERT_TRUE(listener.WaitForCount(3));
    EXPECT_EQ(listener.Received[2], Report(edit));
    EXPECT_TRUE(WaitFor([&] { return CaptureScreen(around) == clean; })) << DescribeDifference(around, clean);

    RECT rect{};
    ::GetWindowRect(edit, &rect);
    EXPECT_EQ(inspector.Field(2), "Edit");
    EXPECT_EQ(inspector.Field(3), lvx::FormatPoint(rect.left, rect.top));
    EXPECT_EQ(inspector.Field(4), "150x24");
    EXPECT_EQ(inspector.Field(5), "(10,40)");
    EXPECT_EQ(inspector.Field(12), "Нет");
    EXPECT_EQ(inspector.Field(7), FormatHandle(HandleValue(target.Window("basic"))));

    // To the parent and to its first child, with real clicks.
    inspector.ClickButton(3);
    ASSERT_TRUE(listener.WaitForCount(4));
    EXPECT_EQ(listener.Received[3], Report(target.Window("basic")));
    EXPECT_TRUE(inspector.WaitForField(1, "Lumivex Target"));
    EXPECT_EQ(inspector.Field(12), "Есть");
    inspector.ClickButton(4);
    ASSERT_TRUE(listener.WaitForCount(5));
    EXPECT_EQ(listener.Received[4], Report(target.Window("basic.button")));
    EXPECT_TRUE(inspector.WaitForField(1, "Press me"));

    // Every refresh reports once: the button, then F5.
    inspector.ClickButton(13);
    ASSERT_TRUE(listener.WaitForCount(6));
    ::PostMessageA(inspector.Main(), WM_KEYDOWN, VK_F5, 0);
    ASSERT_TRUE(listener.WaitForCount(7));
    EXPECT_EQ(listener.Received[5], Report(target.Window("basic.button")));
    EXPECT_EQ(listener.Received[6], Report(target.Window("basic.button")));

    // F1 without a help file beside the program does no harm.
    ::PostMessageA(inspector.Main(), WM_KEYDOWN, VK_F1, 0);
    DWORD_PTR answer = 0;
    EXPECT_NE(::SendMessageTimeoutA(inspector.Main(), WM_NULL, 0, 0, SMTO_NORMAL, 5000, &answer), 0);

    ::PostMessageA(inspector.Main(), WM_CLOSE, 0, 0);
    EXPECT_EQ(inspector.Process().WaitExit(20000), 0u);
    ASSERT_TRUE(listener.WaitForCount(8));
    EXPECT_EQ(listener.Received.size(), 8u);
    EXPECT_EQ(listener.Received[7], Notice(RunState, 1));
}

TEST(EndToEnd, AHungWindowShowsThePlaceholderAndTheInspectorStaysResponsive)
{
    TargetProcess target({"hung"});
    ASSERT_TRUE(target.Ready());
    target.HangWindow();
    Inspector inspector;
    ASSERT_NE(inspector.Main(), nullptr);
    ASSERT_TRUE(inspector.WaitForField(1, "<Окно не существует>"));

    inspector.PickAt(target.Window("hung.button"));
    EXPECT_TRUE(inspector.WaitForField(1, "<Окно не ответило на запрос>"));
    EXPECT_EQ(inspector.Field(2), "Button");
    DWORD_PTR answer = 0;
    EXPECT_NE(::SendMessageTimeoutA(inspector.Main(), WM_NULL, 0, 0, SMTO_NORMAL, 5000, &answer), 0)
        << "the inspector stopped answering";
    // Navigating to the hung parent answers too.
    inspector.ClickButton(3);
    EXPECT_TRUE(inspector.WaitForField(6, FormatHandle(HandleValue(target.Window("hung")))));
    EXPECT_EQ(inspector.Field(1), "<Окно не ответило на запрос>");
    ::PostMessageA(inspector.Main(), WM_CLOSE, 0, 0);
    EXPECT_EQ(inspector.Process().WaitExit(20000), 0u);
}

}  // namespace
