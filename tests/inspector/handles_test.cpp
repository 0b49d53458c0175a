// The handle owner: closes exactly once, in the right order, and never after a move or release.
#include "core/Handles.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

std::vector<int> Closed;

struct CountingTraits {
    using pointer = int;
    static constexpr pointer invalid() noexcept { return 0; }
    static void close(pointer value) noexcept { Closed.push_back(value); }
};
using counted = lvx::unique_handle<CountingTraits>;

TEST(UniqueHandle, ClosesOnceAndOnlyWhatItOwns)
{
    Closed.clear();
    {
        counted first(1);
        counted empty;
        EXPECT_FALSE(empty);
        first.reset(2);  // the old value is closed first
        EXPECT_EQ(Closed, std::vector<int>{1});
        counted moved(std::move(first));
        EXPECT_FALSE(first);
        EXPECT_EQ(moved.get(), 2);
        counted assigned(3);
        assigned = std::move(moved);  // 3 goes, 2 is now owned by `assigned`
        EXPECT_EQ(Closed, (std::vector<int>{1, 3}));
        counted released(4);
        EXPECT_EQ(released.release(), 4);
        EXPECT_FALSE(released);
    }
    EXPECT_EQ(Closed, (std::vector<int>{1, 3, 2}));
}

TEST(SelectGuard, PutsThePreviousObjectBack)
{
    const lvx::unique_dc dc(::CreateCompatibleDC(nullptr));
    ASSERT_TRUE(dc);
    const HGDIOBJ original = ::GetCurrentObject(dc.get(), OBJ_PEN);
    const lvx::unique_gdi pen(::CreatePen(PS_SOLID, 3, RGB(1, 2, 3)));
    {
        const lvx::SelectGuard select(dc.get(), pen.get());
        EXPECT_EQ(::GetCurrentObject(dc.get(), OBJ_PEN), pen.get());
    }
    EXPECT_EQ(::GetCurrentObject(dc.get(), OBJ_PEN), original);
}

}  // namespace
