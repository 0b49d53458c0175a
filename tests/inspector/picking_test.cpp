// Picking: which window lies under a point, and the XOR frame that must leave the screen as it was.
#include "TestSupport.h"

#include "core/Picking.h"
#include "settings/Settings.h"

#include <gtest/gtest.h>

#include <memory>

using namespace lvx;
using lvxtest::CenterOf;
using lvxtest::TargetProcess;

namespace {

class PickingTest : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        Target = std::make_unique<TargetProcess>(std::initializer_list<std::string>{"basic", "dialog", "nested", "overlap", "owned"});
    }
    static void TearDownTestSuite() { Target.reset(); }
    void SetUp() override { ASSERT_TRUE(Target->Ready()); }
    void TearDown() override { PowerScanning = true; }

    static HWND At(HWND window)
    {
        const POINT centre = CenterOf(window);
        return WindowAtPoint(centre.x, centre.y);
    }

    static std::unique_ptr<TargetProcess> Target;
};
std::unique_ptr<TargetProcess> PickingTest::Target;

TEST_F(PickingTest, FindsDisabledButtonsInsideDialogs)
{
    for (const bool power : {true, false}) {
        PowerScanning = power;
        EXPECT_EQ(At(Target->Window("dialog.disabled")), Target->Window("dialog.disabled")) << power;
        EXPECT_EQ(At(Target->Window("dialog.enabled")), Target->Window("dialog.enabled")) << power;
    }
}

TEST_F(PickingTest, OfTwoControlsWithTheSameRectangleTheDeeperWins)
{
    EXPECT_EQ(At(Target->Window("nested.outer")), Target->Window("nested.inner"));
}

TEST_F(PickingTest, PowerScanningReachesSmallerControlsOfOtherBranches)
{
    const POINT centre = CenterOf(Target->Window("overlap.b1"));
    // The platform itself answers the control on top, from the other branch.
    ASSERT_EQ(::WindowFromPoint(centre), Target->Window("overlap.a1"));
    PowerScanning = true;
    EXPECT_EQ(WindowAtPoint(centre.x, centre.y), Target->Window("overlap.b1"));
    PowerScanning = false;
    EXPECT_EQ(WindowAtPoint(centre.x, centre.y), Target->Window("overlap.a1"));
}

TEST_F(PickingTest, WindowsWithoutChildrenAndTheEdgesOfRectangles)
{
    EXPECT_EQ(At(Target->Window("owned")), Target->Window("owned"));
    RECT button{};
    ::GetWindowRect(Target->Window("basic.button"), &button);
    // The left and top edges belong to the rectangle, the right and bottom ones do not.
    EXPECT_EQ(WindowAtPoint(button.left, button.top), Target->Window("basic.button"));
    EXPECT_NE(WindowAtPoint(button.right, button.top + 5), Target->Window("basic.button"));
}

TEST_F(PickingTest, DrawingTheFrameTwiceRestoresTheScreen)
{
    const HWND edit = Target->Window("basic.edit");
    RECT rect{};
    ::GetWindowRect(edit, &rect);
    RECT around = rect;
    ::InflateRect(&around, 4, 4);
    const auto before = lvxtest::CaptureScreen(around);
    ASSERT_FALSE(before.empty());

    const RECT drawn = DrawHighlightFrame(edit);
    EXPECT_TRUE(::EqualRect(&drawn, &rect));
    const auto framed = lvxtest::CaptureScreen(around);
    size_t changed = 0;
    const int width = around.right - around.left;
    for (size_t i = 0; i < before.size(); ++i) {
        if (before[i] == framed[i]) continue;
        ++changed;
        // Only pixels of the three-pixel frame inside the rectangle may change.
        const int x = static_cast<int>(i % width) + around.left;
        const int y = static_cast<int>(i / width) + around.top;
        const bool inFrame = x >= rect.left && x < rect.right && y >= rect.top && y < rect.bottom &&
                             (x < rect.left + 3 || x >= rect.right - 3 || y < rect.top + 3 || y >= rect.bottom - 3);
        EXPECT_TRUE(inFrame) << x << "," << y;
    }
    EXPECT_GT(changed, static_cast<size_t>(rect.right - rect.left));

    DrawHighlightFrameRect(drawn);
    EXPECT_EQ(lvxtest::CaptureScreen(around), before);
}

}  // namespace
