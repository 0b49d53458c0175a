// The position and size dialog against a window of another process: what it shows, and how
// each change of a field moves or resizes the window at once.
#include "MainFormFixture.h"

#include "core/MainForm.h"
#include "core/UNI_WinVer.h"
#include "language/LanguageKeys.h"
#include "resources/resource.h"
#include "settings/Settings.h"
#include "tools/ChangeSizeForm.h"

#include <gtest/gtest.h>

#include <memory>
#include <set>

using namespace lvx;
using lvxtest::DialogDriver;
using lvxtest::TargetProcess;

namespace {

const char SizeCaption[] = "\xD0\xE0\xE7\xEC\xE5\xF0\xFB \xE8 \xEA\xEE\xEE\xF0\xE4\xE8\xED\xE0\xF2\xFB";  // Размеры и координаты

std::string Field(HWND dialog, int id)
{
    char text[64] = {};
    ::GetDlgItemTextA(dialog, id, text, static_cast<int>(std::size(text)));
    return text;
}

// The window's rectangle in its parent's client area (or on the screen for a top-level one).
RECT Placement(HWND window)
{
    RECT rect{};
    ::GetWindowRect(window, &rect);
    if (HWND parent = ::GetParent(window); parent && (::GetWindowLongA(window, GWL_STYLE) & WS_CHILD))
        ::MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

class ChangeSizeTest : public lvxtest::MainFormFixture<ChangeSizeTest> {
protected:
    static void SetUpTestSuite() { Start({"nested", "owned", "hung"}); }
    static bool OpenDialog(const std::function<void(HWND)>& act)
    {
        DialogDriver driver({{SizeCaption, [&](HWND dialog) {
            act(dialog);
            ::PostMessageA(::GetDlgItem(dialog, IDC_SIZE_X), WM_KEYDOWN, VK_ESCAPE, 0x00010001);
        }}});
        ::SendMessageA(Form->changeSizeButton_.Handle(), BM_CLICK, 0, 0);
        return driver.Done();
    }

};

}  // namespace

TEST_F(ChangeSizeTest, AChildMovesInsideItsParentAndShrinksToNothing)
{
    const HWND outer = Target->Window("nested.outer");
    Inspect(outer);
    const RECT before = Placement(outer);
    ASSERT_TRUE(OpenDialog([&](HWND dialog) {
        // Filling the fields applies nothing.
        EXPECT_EQ(Field(dialog, IDC_SIZE_X), "20");
        EXPECT_EQ(Field(dialog, IDC_SIZE_Y), "20");
        EXPECT_EQ(Field(dialog, IDC_SIZE_WIDTH), "120");
        EXPECT_EQ(Field(dialog, IDC_SIZE_HEIGHT), "60");
        const RECT unchanged = Placement(outer);
        EXPECT_TRUE(::EqualRect(&before, &unchanged));

        // One more in X moves it one pixel right inside the parent, at once.
        ::SetDlgItemTextA(dialog, IDC_SIZE_X, "21");
        EXPECT_TRUE(lvxtest::WaitFor([&] { return Placement(outer).left == 21; }));
        EXPECT_EQ(Placement(outer).top, 20);
        // A spin step moves it too.
        ::SendMessageA(::GetDlgItem(dialog, IDC_SIZE_Y), WM_KEYDOWN, VK_UP, 0);
        EXPECT_EQ(Field(dialog, IDC_SIZE_Y), "21");
        EXPECT_TRUE(lvxtest::WaitFor([&] { return Placement(outer).top == 21; }));
        // Not a number: the field becomes 0 and the width follows.
        ::SetDlgItemTextA(dialog, IDC_SIZE_WIDTH, "");
        EXPECT_EQ(Field(dialog, IDC_SIZE_WIDTH), "0");
        EXPECT_TRUE(lvxtest::WaitFor([&] {
            const RECT now = Placement(outer);
            return now.right == now.left;
        }));
        ::SetDlgItemTextA(dialog, IDC_SIZE_HEIGHT, "-");
        EXPECT_EQ(Field(dialog, IDC_SIZE_HEIGHT), "0");
    }));
    // After closing, the main window shows the real rectangle.
    EXPECT_EQ(CurrentWindow.Width, 0);
    EXPECT_EQ(CurrentWindow.RelativeLeft, 21);
    EXPECT_EQ(CurrentWindow.RelativeTop, 21);
    ::MoveWindow(outer, 20, 20, 120, 60, TRUE);
}

TEST_F(ChangeSizeTest, ATopLevelWindowUsesScreenCoordinates)
{
    const HWND top = Target->Window("nested");
    ASSERT_TRUE(::SetWindowPos(top, nullptr, 100, 90, 300, 200, SWP_NOZORDER | SWP_NOACTIVATE));
    ASSERT_TRUE(lvxtest::WaitFor([&] { return Placement(top).left == 100; }));
    Inspect(top);
    ASSERT_TRUE(OpenDialog([&](HWND dialog) {
        EXPECT_EQ(Field(dialog, IDC_SIZE_X), "100");
        EXPECT_EQ(Field(dialog, IDC_SIZE_Y), "90");
        ::SetDlgItemTextA(dialog, IDC_SIZE_HEIGHT, "250");
        EXPECT_TRUE(lvxtest::WaitFor([&] {
            const RECT now = Placement(top);
            return now.bottom - now.top == 250 && now.left == 100 && now.right - now.left == 300;
        }));
        // The lowest 32-bit value is outside the range: the field stops one above it.
        ::SetDlgItemTextA(dialog, IDC_SIZE_X, "-2147483648");
        EXPECT_EQ(Field(dialog, IDC_SIZE_X), "-2147483647");
        ::SetDlgItemTextA(dialog, IDC_SIZE_X, "100");
    }));
    EXPECT_EQ(CurrentWindow.Height, 250);

    // An owned pop-up has its owner as "parent", but it is placed on the screen all the same.
    const HWND owned = Target->Window("owned");
    const RECT ownedBefore = Placement(owned);
    Inspect(owned);
    ASSERT_NE(CurrentWindow.Parent, nullptr);
    ASSERT_TRUE(OpenDialog([&](HWND dialog) {
        EXPECT_EQ(Field(dialog, IDC_SIZE_X), std::to_string(ownedBefore.left));
        EXPECT_EQ(Field(dialog, IDC_SIZE_Y), std::to_string(ownedBefore.top));
        ::SetDlgItemTextA(dialog, IDC_SIZE_X, std::to_string(ownedBefore.left + 1).c_str());
        EXPECT_TRUE(lvxtest::WaitFor([&] { return Placement(owned).left == ownedBefore.left + 1; }));
        EXPECT_EQ(Placement(owned).top, ownedBefore.top);
    }));
}

TEST_F(ChangeSizeTest, MovesTypedWhileTheWindowHangsWaitInOneThreadAndTheLastOneWins)
{
    const HWND hung = Target->Window("hung");
    Inspect(hung);
    const RECT before = Placement(hung);
    const int threads = lvxtest::ThreadCount();
    Target->HangWindow(15000);
    ASSERT_TRUE(lvxtest::WaitFor([&] { return ::IsHungAppWindow(hung) != FALSE; }));
    ASSERT_TRUE(OpenDialog([&](HWND dialog) {
        for (int step = 1; step <= 3; ++step) {
            const ULONGLONG start = ::GetTickCount64();
            ::SetDlgItemTextA(dialog, IDC_SIZE_X, std::to_string(before.left + step).c_str());
            EXPECT_LT(::GetTickCount64() - start, 1000u) << "move " << step;
        }
        EXPECT_LE(lvxtest::ThreadCount(), threads + 1);
    }));
    // Once the window answers again the last value typed is applied, and nothing older after it.
    EXPECT_TRUE(lvxtest::WaitFor([&] { return Placement(hung).left == before.left + 3; }, 30000));
    EXPECT_TRUE(lvxtest::WaitFor([&] { return lvxtest::ThreadCount() <= threads; }));
    EXPECT_EQ(Placement(hung).left, before.left + 3);
    ::MoveWindow(hung, before.left, before.top, before.right - before.left, before.bottom - before.top, TRUE);
}

TEST_F(ChangeSizeTest, NothingToChangeWithoutAWindow)
{
    CurrentWindow = WindowInfo{};
    bool shown = false;
    {
        DialogDriver driver({{SizeCaption, [&](HWND dialog) {
            shown = true;
            ::PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
        }}});
        ::SendMessageA(Form->changeSizeButton_.Handle(), BM_CLICK, 0, 0);
        lvxtest::PumpMessages();
    }
    EXPECT_FALSE(shown);

    TChangeSizeForm form;
    std::set<std::string> looked;
    for (const TranslationTarget& target : form.TranslationTargets()) looked.insert(target.Key);
    const auto keys = LanguageKeysOf("ChangeSizeForm");
    EXPECT_EQ(looked, std::set<std::string>(keys.begin(), keys.end()));
}
