// The notifications for the companion product, as a listener in another window receives them.
#include "TestSupport.h"

#include "core/SiblingLink.h"
#include "core/UNI_WindowInfo.h"
#include "core/Window.h"

#include <gtest/gtest.h>

#include <utility>
#include <vector>

using namespace lvx;

namespace {

// A top-level window that records every notification under the registered name.
class Listener : public lvx::Window {
public:
    std::vector<std::pair<WPARAM, LPARAM>> Received;
    UINT Message = ::RegisterWindowMessageA("Narvolt Lumivex IPC Message");

    bool Create()
    {
        RegisterWindowClass("LvxTestListener", 0, nullptr, nullptr, nullptr);
        return CreateWindowObject(0, "LvxTestListener", "listener", WS_POPUP, RECT{0, 0, 1, 1}, nullptr, nullptr);
    }

protected:
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override
    {
        if (message == Message) Received.emplace_back(wParam, lParam);
        return DefaultHandling(message, wParam, lParam);
    }
};

class SiblingLinkTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        RegisterIpcMessage();
        ASSERT_TRUE(listener.Create());
        ASSERT_EQ(IpcMessage, listener.Message);
    }
    Listener listener;
};

TEST_F(SiblingLinkTest, RunStateAndWindowReportsCarryTheirMarkers)
{
    ReportRunStateToSibling(RunStateStarted);
    ReportWindowToSibling(reinterpret_cast<HWND>(0x1234));
    ReportRunStateToSibling(RunStateStopping);
    lvxtest::PumpMessages();
    const std::vector<std::pair<WPARAM, LPARAM>> expected = {
        {0x4C56585E, 0}, {0x4C56585F, 0x1234}, {0x4C56585E, 1}};
    EXPECT_EQ(listener.Received, expected);
}

TEST_F(SiblingLinkTest, EveryFullGatherReportsOnceAndLightOnesNever)
{
    const HWND window = listener.Handle();
    WindowInfo info;
    GatherWindowInfo(window, true, info);
    lvxtest::PumpMessages();
    EXPECT_TRUE(listener.Received.empty());

    for (int i = 0; i < 2; ++i) {
        WindowInfo full;
        GatherWindowInfo(window, false, full);
    }
    // Also a handle that is no longer a window is reported as asked.
    const HWND gone = ::CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr);
    ::DestroyWindow(gone);
    WindowInfo dead;
    GatherWindowInfo(gone, false, dead);
    lvxtest::PumpMessages();
    const std::vector<std::pair<WPARAM, LPARAM>> expected = {{0x4C56585F, reinterpret_cast<LPARAM>(window)},
                                                             {0x4C56585F, reinterpret_cast<LPARAM>(window)},
                                                             {0x4C56585F, reinterpret_cast<LPARAM>(gone)}};
    EXPECT_EQ(listener.Received, expected);
}

}  // namespace
