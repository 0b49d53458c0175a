// The speed button's states: push, toggle and radio group, by mouse and by BM_CLICK; its pictures at two DPIs.
#include "TestSupport.h"

#include "core/Handles.h"
#include "core/SpeedButton.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>

using lvx::SpeedButton;

namespace {

class SpeedButtonTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        parent = ::CreateWindowExA(0, "STATIC", "buttons", WS_POPUP | WS_VISIBLE, 0, 600, 200, 60, nullptr, nullptr,
                                   nullptr, nullptr);
        ASSERT_NE(parent, nullptr);
    }
    void TearDown() override { ::DestroyWindow(parent); }

    void Make(SpeedButton& button, int id, SpeedButton::Options options)
    {
        ASSERT_TRUE(button.Create(parent, id, options));
        ::MoveWindow(button.Handle(), (id % 10) * 30, 0, 28, 28, TRUE);
        button.OnClick = [this](SpeedButton& sender) { clicks.push_back(sender.Tag()); };
    }

    HWND parent = nullptr;
    std::vector<int> clicks;
};

TEST_F(SpeedButtonTest, ARadioGroupKeepsExactlyOneButtonDown)
{
    SpeedButton minimize, restore, maximize, other;
    Make(minimize, 1, {.Tag = 0, .GroupIndex = 20});
    Make(restore, 2, {.Tag = 1, .GroupIndex = 20, .Down = true});
    Make(maximize, 3, {.Tag = 2, .GroupIndex = 20});
    Make(other, 4, {.Tag = 9, .GroupIndex = 21, .AllowAllUp = true, .Down = true});

    ::SendMessageA(maximize.Handle(), BM_CLICK, 0, 0);
    EXPECT_TRUE(maximize.Down());
    EXPECT_FALSE(restore.Down());
    EXPECT_FALSE(minimize.Down());
    EXPECT_TRUE(other.Down());  // another group is left alone

    // Clicking the button that is already down keeps it down and runs its command again.
    ::SendMessageA(maximize.Handle(), BM_CLICK, 0, 0);
    EXPECT_TRUE(maximize.Down());
    EXPECT_EQ(clicks, (std::vector<int>{2, 2}));

    // Setting the state from the display fires nothing.
    minimize.SetDown(true);
    EXPECT_FALSE(maximize.Down());
    EXPECT_EQ(::SendMessageA(minimize.Handle(), BM_GETCHECK, 0, 0), BST_CHECKED);
    EXPECT_EQ(clicks.size(), 2u);
}

TEST_F(SpeedButtonTest, TogglesGoUpAgainAndPushButtonsNeverStayDown)
{
    SpeedButton toggle, push;
    Make(toggle, 1, {.Tag = 1, .GroupIndex = 5, .AllowAllUp = true});
    Make(push, 2, {.Tag = 2});
    ::SendMessageA(toggle.Handle(), BM_CLICK, 0, 0);
    EXPECT_TRUE(toggle.Down());
    ::SendMessageA(toggle.Handle(), BM_CLICK, 0, 0);
    EXPECT_FALSE(toggle.Down());
    push.SetDown(true);
    ::SendMessageA(push.Handle(), BM_CLICK, 0, 0);
    EXPECT_FALSE(push.Down());
    EXPECT_EQ(clicks, (std::vector<int>{1, 1, 2}));
}

TEST_F(SpeedButtonTest, AMouseClickCountsOnlyWhenReleasedOverTheButton)
{
    SpeedButton button;
    Make(button, 1, {.Tag = 7});
    ::SendMessageA(button.Handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
    ::SendMessageA(button.Handle(), WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
    ::SendMessageA(button.Handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
    ::SendMessageA(button.Handle(), WM_LBUTTONUP, 0, MAKELPARAM(100, 5));  // dragged off, then released
    EXPECT_EQ(clicks, std::vector<int>{7});

    button.SetEnabled(false);
    ::SendMessageA(button.Handle(), BM_CLICK, 0, 0);
    EXPECT_EQ(clicks.size(), 1u);
}

// The extent of what DrawGlyph paints in a box of `box` pixels at `dpi`, on white.
int PaintedWidth(lvx::Glyph glyph, int box, UINT dpi)
{
    constexpr int Canvas = 64;
    BITMAPINFO info{};
    info.bmiHeader = {sizeof(BITMAPINFOHEADER), Canvas, -Canvas, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    void* bits = nullptr;
    const lvx::unique_gdi bitmap(::CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    const lvx::unique_dc dc(::CreateCompatibleDC(nullptr));
    if (!bitmap || !dc || bits == nullptr) return -1;
    auto* pixels = static_cast<std::uint32_t*>(bits);
    std::fill(pixels, pixels + Canvas * Canvas, 0xFFFFFFu);
    {
        const lvx::SelectGuard select(dc.get(), bitmap.get());
        const RECT place{8, 8, 8 + box, 8 + box};
        lvx::DrawGlyph(dc.get(), glyph, place, true, dpi);
        ::GdiFlush();
    }
    int left = Canvas, right = -1;
    for (int y = 0; y < Canvas; ++y)
        for (int x = 0; x < Canvas; ++x)
            if ((pixels[y * Canvas + x] & 0xFFFFFFu) != 0xFFFFFFu) left = std::min(left, x), right = std::max(right, x);
    return right - left + 1;
}

TEST(Glyphs, PicturesGrowWithTheDpiWhereNoWholeFactorFits)
{
    // The small buttons: 16 pixels at 96 DPI, 24 at 144, with 2-pixel edges inside.
    for (const lvx::Glyph glyph : {lvx::Glyph::ChangeText, lvx::Glyph::QuickInfo, lvx::Glyph::GotoParent}) {
        const int small = PaintedWidth(glyph, 12, 96);
        const int large = PaintedWidth(glyph, 20, 144);
        ASSERT_GT(small, 0);
        EXPECT_GE(large * 4, small * 5) << "at 144 DPI " << large << " pixels, at 96 " << small;
        // Where a whole factor fits, it is kept: crisp doubled pixels.
        EXPECT_EQ(PaintedWidth(glyph, 33, 144), 2 * PaintedWidth(glyph, 16, 96));
    }
}

}  // namespace
