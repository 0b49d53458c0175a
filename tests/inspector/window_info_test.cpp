// The window snapshot against windows of another process, including one that stops answering.
#include "TestSupport.h"

#include "core/UNI_WindowInfo.h"
#include "core/Window.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <memory>

using namespace lvx;
using lvxtest::TargetProcess;

namespace {

class WindowInfoTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { Target = std::make_unique<TargetProcess>(std::initializer_list<std::string>{"basic", "dialog", "owned"}); }
    static void TearDownTestSuite() { Target.reset(); }
    void SetUp() override { ASSERT_TRUE(Target->Ready()); }

    static WindowInfo Gather(HWND window, bool light = false)
    {
        WindowInfo info;
        GatherWindowInfo(window, light, info);
        return info;
    }

    static std::unique_ptr<TargetProcess> Target;
};
std::unique_ptr<TargetProcess> WindowInfoTest::Target;

TEST_F(WindowInfoTest, FullGatherOfATopLevelWindow)
{
    const HWND main = Target->Window("basic");
    const WindowInfo info = Gather(main);
    EXPECT_EQ(info.Handle, main);
    EXPECT_EQ(info.Text, "Lumivex Target");
    EXPECT_EQ(info.WindowText, "Lumivex Target");
    EXPECT_TRUE(info.WindowTextRead);
    EXPECT_EQ(info.ClassName, "LvxTargetMain");
    EXPECT_EQ(info.Left, 200);
    EXPECT_EQ(info.Top, 150);
    EXPECT_EQ(info.Width, 420);
    EXPECT_EQ(info.Height, 320);
    EXPECT_GT(info.ClientWidth, 0);
    EXPECT_LT(info.ClientWidth, info.Width);
    EXPECT_LT(info.ClientHeight, info.Height);  // caption and menu bar take their part
    EXPECT_EQ(info.ShowState, WindowShowState::Normal);
    EXPECT_EQ(info.ProcessId, Target->ProcessId());
    EXPECT_EQ(info.ThreadId, Target->Number("tid"));
    EXPECT_TRUE(info.Visible);
    EXPECT_TRUE(info.Enabled);
    EXPECT_FALSE(info.Topmost);
    EXPECT_NE(info.Menu, nullptr);
    EXPECT_EQ(info.Parent, nullptr);
    EXPECT_EQ(info.Owner, nullptr);
    EXPECT_EQ(::GetParent(info.Child), main);
    EXPECT_TRUE(info.ParentText.empty());
    EXPECT_TRUE(info.ParentClassName.empty());
    EXPECT_EQ(info.RelativeLeft, 0);
    EXPECT_EQ(info.RelativeTop, 0);
    EXPECT_NE(info.ClassAtom, 0u);
    EXPECT_EQ(info.Style & WS_CAPTION, static_cast<uint32_t>(WS_CAPTION));
    EXPECT_EQ(info.Style & WS_CHILD, 0u);
}

TEST_F(WindowInfoTest, ChildControlsGetTheirParentAndRelativePlaceNotAMenu)
{
    const WindowInfo button = Gather(Target->Window("basic.button"));
    EXPECT_EQ(button.Text, "Press me");
    EXPECT_EQ(button.Parent, Target->Window("basic"));
    EXPECT_EQ(button.Menu, nullptr);
    EXPECT_EQ(button.ParentText, "Lumivex Target");
    EXPECT_EQ(button.ParentClassName, "LvxTargetMain");
    EXPECT_EQ(button.RelativeLeft, 0);  // at the client area's top-left corner
    EXPECT_EQ(button.RelativeTop, 0);
    EXPECT_EQ(button.ControlId, 101);
    EXPECT_EQ(button.Id, 101u);
    EXPECT_EQ(button.Style & WS_CHILD, static_cast<uint32_t>(WS_CHILD));

    const WindowInfo label = Gather(Target->Window("basic.panel.label"));
    EXPECT_EQ(label.RelativeLeft, 10);
    EXPECT_EQ(label.RelativeTop, 10);
    EXPECT_EQ(label.ParentClassName, "LvxPanel");
    EXPECT_EQ(label.ParentText, "");

    const WindowInfo edit = Gather(Target->Window("basic.edit"));
    EXPECT_EQ(edit.Text, "Hello edit");
    EXPECT_EQ(edit.Previous, Target->Window("basic.button"));
    EXPECT_EQ(edit.Next, Target->Window("basic.empty"));
}

TEST_F(WindowInfoTest, AnEmptyTextIsEmptyNotAPlaceholder)
{
    const WindowInfo info = Gather(Target->Window("basic.empty"));
    EXPECT_EQ(info.Text, "");
    EXPECT_EQ(info.WindowText, "");
    EXPECT_TRUE(info.WindowTextRead);
}

TEST_F(WindowInfoTest, OwnedWindowsAndDisabledControls)
{
    const WindowInfo owned = Gather(Target->Window("owned"));
    EXPECT_EQ(owned.Owner, Target->Window("owned.owner"));
    EXPECT_EQ(TopLevelAncestor(Target->Window("owned")), Target->Window("owned"));
    EXPECT_EQ(TopLevelAncestor(Target->Window("basic.panel.label")), Target->Window("basic"));
    EXPECT_EQ(TopLevelAncestor(Target->Window("dialog.disabled")), Target->Window("dialog"));

    const WindowInfo disabled = Gather(Target->Window("dialog.disabled"));
    EXPECT_FALSE(disabled.Enabled);
    EXPECT_EQ(disabled.ParentClassName, "#32770");
    EXPECT_EQ(disabled.ParentText, "Target Dialog");
}

TEST_F(WindowInfoTest, LightGatherReadsOnlyWhatPickingShows)
{
    const WindowInfo light = Gather(Target->Window("basic.button"), true);
    EXPECT_EQ(light.Text, "Press me");
    EXPECT_EQ(light.ClassName, "Button");
    EXPECT_EQ(light.Parent, Target->Window("basic"));
    EXPECT_EQ(light.ClassAtom, 0u);
    EXPECT_EQ(light.ClassWndProc, 0u);
    EXPECT_EQ(light.ClassStyle, 0u);
    EXPECT_EQ(light.ControlId, 0);
    EXPECT_EQ(light.Style, 0u);
    EXPECT_EQ(light.ExStyle, 0u);
    EXPECT_EQ(light.Instance, 0u);
    EXPECT_EQ(light.Id, 0u);
    EXPECT_EQ(light.BigIcon, nullptr);
    EXPECT_EQ(light.SmallIcon, nullptr);
}

TEST_F(WindowInfoTest, ADeadHandleLeavesEverythingEmpty)
{
    const HWND gone = ::CreateWindowExA(0, "STATIC", "short-lived", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                                        nullptr, nullptr);
    ASSERT_NE(gone, nullptr);
    ::DestroyWindow(gone);
    for (const HWND window : {gone, static_cast<HWND>(nullptr)}) {
        const WindowInfo info = Gather(window);
        EXPECT_EQ(info.Handle, nullptr);
        EXPECT_TRUE(info.Text.empty());
        EXPECT_TRUE(info.ClassName.empty());
        EXPECT_EQ(info.Width, 0);
        EXPECT_EQ(info.Style, 0u);
        EXPECT_EQ(info.BigIcon, nullptr);
    }
    EXPECT_EQ(GetShowState(nullptr), WindowShowState::Normal);
}

// A window of this process whose answers to the text messages can be chosen.
class TextWindow : public lvx::Window {
public:
    LRESULT Length = 0;
    std::string Answer;
    bool Create()
    {
        RegisterWindowClass("LvxTestTextWindow", 0, nullptr, nullptr, nullptr);
        return CreateWindowObject(0, "LvxTestTextWindow", "", WS_POPUP, RECT{0, 0, 50, 50}, nullptr, nullptr);
    }

protected:
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override
    {
        if (message == WM_GETTEXTLENGTH) return Length;
        if (message == WM_GETTEXT) {
            const size_t count = std::min<size_t>(Answer.size(), wParam > 0 ? wParam - 1 : 0);
            std::memcpy(reinterpret_cast<char*>(lParam), Answer.data(), count);
            reinterpret_cast<char*>(lParam)[count] = '\0';
            return static_cast<LRESULT>(count);
        }
        return DefaultHandling(message, wParam, lParam);
    }
};

TEST(ReadTextByMessage, SurvivesWindowsThatClaimAbsurdLengths)
{
    TextWindow window;
    ASSERT_TRUE(window.Create());
    window.Answer = "abc";
    window.Length = 0x7FFFFFFF;  // would be a 2 GB buffer if believed
    EXPECT_EQ(ReadTextByMessage(window.Handle(), "<p>"), "abc");
    window.Length = -5;
    EXPECT_EQ(ReadTextByMessage(window.Handle(), "<p>"), "<p>");
    window.Length = 1;  // shorter than the text: what fits the buffer sized from it
    const std::string cut = ReadTextByMessage(window.Handle(), "<p>");
    EXPECT_FALSE(cut.empty());
    EXPECT_EQ(std::string("abc").substr(0, cut.size()), cut);
}

TEST(GatherWindowInfo, KeepsPointerSizedValuesWhole)
{
    const HWND window = ::CreateWindowExA(0, "STATIC", "wide", WS_POPUP, 0, 0, 20, 20, nullptr, nullptr,
                                          ::GetModuleHandleA(nullptr), nullptr);
    ASSERT_NE(window, nullptr);
    const auto userData = static_cast<LONG_PTR>(sizeof(void*) == 8 ? 0x123456789ALL : 0x12345678);
    ::SetWindowLongPtrA(window, GWLP_USERDATA, userData);
    WindowInfo info;
    GatherWindowInfo(window, false, info);
    EXPECT_EQ(info.UserData, static_cast<uintptr_t>(userData));
    EXPECT_EQ(info.Instance, reinterpret_cast<uintptr_t>(::GetModuleHandleA(nullptr)));
    EXPECT_EQ(info.WndProc, static_cast<uintptr_t>(::GetWindowLongPtrA(window, GWLP_WNDPROC)));
    EXPECT_EQ(info.ClassWndProc, static_cast<uintptr_t>(::GetClassLongPtrA(window, GCLP_WNDPROC)));
    EXPECT_NE(info.ClassWndProc, 0u);
    ::DestroyWindow(window);
}

TEST(GatherWindowInfo, ShowStateFollowsTheWindow)
{
    const HWND window = ::CreateWindowExA(0, "STATIC", "states", WS_OVERLAPPEDWINDOW, 50, 50, 200, 100, nullptr,
                                          nullptr, nullptr, nullptr);
    ::ShowWindow(window, SW_SHOWMINNOACTIVE);
    EXPECT_EQ(GetShowState(window), WindowShowState::Minimized);
    ::ShowWindow(window, SW_SHOWMAXIMIZED);
    EXPECT_EQ(GetShowState(window), WindowShowState::Maximized);
    ::ShowWindow(window, SW_RESTORE);
    EXPECT_EQ(GetShowState(window), WindowShowState::Normal);
    ::DestroyWindow(window);
}

TEST(HungWindow, AFullGatherEndsWithinTheTimeOutsAndShowsThePlaceholder)
{
    TargetProcess target({"hung"});
    ASSERT_TRUE(target.Ready());
    target.HangWindow();
    for (const char* name : {"hung", "hung.button"}) {
        const ULONGLONG start = ::GetTickCount64();
        WindowInfo info;
        GatherWindowInfo(target.Window(name), false, info);
        const ULONGLONG elapsed = ::GetTickCount64() - start;
        // At most six messages of 500 ms each; a generous margin for a loaded machine.
        EXPECT_LT(elapsed, 10000u) << name;
        EXPECT_EQ(info.Handle, target.Window(name));
        EXPECT_EQ(info.Text, "<Окно не ответило на запрос>") << name;
        EXPECT_EQ(info.BigIcon, nullptr);
        EXPECT_EQ(info.ClassName.empty(), false);
    }
    WindowInfo button;
    GatherWindowInfo(target.Window("hung.button"), true, button);
    EXPECT_EQ(button.ParentText, "<Не удалось прочитать текст окна>");
    // GetWindowTextA of another process's window asks no message: it still reads.
    WindowInfo hung;
    GatherWindowInfo(target.Window("hung"), true, hung);
    EXPECT_EQ(hung.WindowText, "Hung Window");
}

}  // namespace
